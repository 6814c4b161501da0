// The host's language setting from the locale, and its code page.
#include "hostsim/host_language.h"

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

} // namespace numo::hostsim
