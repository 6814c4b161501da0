// The host's language setting from the locale, and its code page.
#include "hostsim/host_language.h"

#include "hostsim/code_page.h"
#include "hostsim/host_error.h"
#include "hostsim/text_util.h"

#include <cstdlib>

namespace numo::hostsim {

std::string LanguageOfLocale(const char* lcAll, const char* lcMessages, const char* lang) {
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (value == nullptr || *value == '\0')
            continue;
        // language[_territory][.codeset][@modifier]
        std::string_view locale = value;
        std::string_view code = locale.substr(0, locale.find_first_of("_.@"));
        return EqualsIgnoringCase(code, "ru") ? "Russian" : "English";
    }
    return "English";
}

std::string LanguageOfEnvironment() {
    return LanguageOfLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

int DefaultCodePage(const std::string& language) {
    return EqualsIgnoringCase(language, "Russian") ? 866 : 437;
}

LanguageChoice ChooseHostLanguage(const std::string* given, const std::string& charset) {
    if (given != nullptr)
        return {*given, ""};
    std::string language = LanguageOfEnvironment();
    if (EqualsIgnoringCase(language, "English") || charset.empty())
        return {language, ""};
    // The upper half of the code page holds the language's letters (and lines): a set that
    // shows fewer than half of them shows the language as question marks.
    constexpr int kUpperHalf = 128;
    int shown = 0;
    try {
        CodePage page(DefaultCodePage(language), charset);
        for (int byte = 0x80; byte <= 0xFF; ++byte)
            shown += page.CellText(static_cast<unsigned char>(byte)) != "?" ? 1 : 0;
    } catch (const HostError&) {
        shown = 0; // a set the system cannot convert to shows nothing of it either
    }
    if (shown * 2 >= kUpperHalf)
        return {language, ""};
    return {"English", "the locale asks for " + language + ", but its character set " + charset +
                           " cannot show it"};
}

} // namespace numo::hostsim
