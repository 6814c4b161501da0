// Fuzz target: the host's readers of language files and help files, with any file contents.
// A malformed file is refused with HostError, which names it; any other exception, a crash or
// a sanitizer report is a finding. A readable help file must render every topic it lists.
#include "fuzz/fuzz_check.h"
#include "hostsim/help_file.h"
#include "hostsim/host_error.h"
#include "hostsim/language_file.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace numo::hostsim;
using numo::fuzz::Escaped;

namespace {
// Rendering starts its search for the topic from the top, so a file of thousands of topics
// would make one input quadratic; a few topics show every path through the renderer.
constexpr std::size_t kTopicsRendered = 16;

void ReadLanguage(std::string_view contents) {
    LanguageFile file;
    try {
        file = ParseLanguageFile(contents, "fuzz.lng");
    } catch (const HostError& error) {
        std::string_view what = error.what();
        FUZZ_CHECK(what.find("fuzz.lng") != std::string_view::npos,
                   "the error does not name the file: " + Escaped(what));
        return;
    }
    FUZZ_CHECK(!file.name.empty(), "a language file was read without a language name");
}

void ReadHelp(std::string_view contents) {
    HelpFile file;
    try {
        file = ParseHelpFile(contents, "fuzz.hlf");
    } catch (const HostError& error) {
        std::string_view what = error.what();
        FUZZ_CHECK(what.find("fuzz.hlf") != std::string_view::npos,
                   "the error does not name the file: " + Escaped(what));
        return;
    }
    FUZZ_CHECK(file.tabSize >= 1 && file.tabSize <= 16, "tab size " + std::to_string(file.tabSize));
    std::vector<std::string> topics = HelpTopics(file);
    for (std::size_t i = 0; i < topics.size() && i < kTopicsRendered; ++i) {
        for (int width : {0, 12, 76}) {
            std::vector<HelpLine> lines;
            try {
                lines = RenderHelpTopic(file, topics[i], width);
            } catch (const HostError& error) {
                FUZZ_CHECK(false, "listed topic '" + Escaped(topics[i]) +
                                      "' cannot be rendered: " + Escaped(error.what()));
            }
            for (const HelpLine& line : lines) {
                FUZZ_CHECK(line.marks.size() == line.text.size(),
                           "marks and text differ in length on '" + Escaped(line.text) + "'");
            }
        }
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view contents(reinterpret_cast<const char*>(data), size);
    ReadLanguage(contents);
    ReadHelp(contents);
    return 0;
}
