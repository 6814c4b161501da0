// The host's language setting: from the locale, and the host's 8-bit code page that goes with it.
#pragma once

#include <string>

namespace numo::hostsim {

// The language a locale's variables ask for, tried in the C library's order of precedence for
// messages: the first of LC_ALL, LC_MESSAGES and LANG that is set and not empty decides. A
// locale of the Russian language ("ru", "ru_RU.UTF-8", "ru_UA@...") gives "Russian"; any other
// ("C", "en_GB.UTF-8", "de_DE") or none gives "English", the language every module ships. Null
// stands for a variable that is not set.
std::string LanguageOfLocale(const char* lcAll, const char* lcMessages, const char* lang);
// The same, from this process's environment.
std::string LanguageOfEnvironment();

// The host's OEM code page for its language: 866 for Russian (in any case), else 437.
int DefaultCodePage(const std::string& language);

// The host's language as chosen, and why the locale's was set aside ("" when it was not).
struct LanguageChoice {
    std::string language;
    std::string note;
};
// The language given (--lang), else the environment's; but a language other than English that
// only the locale asks for gives way to English when the locale's character set (an iconv
// name, LocaleCharset) cannot show the letters of its code page: under LANG=ru, a name without
// a character set, the set is ASCII and every letter would be a '?'.
LanguageChoice ChooseHostLanguage(const std::string* given, const std::string& charset);

} // namespace numo::hostsim
