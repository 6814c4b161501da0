// The host's help files: reading, finding a topic, and rendering it to display lines.
#include "hostsim/help_file.h"

#include "hostsim/host_error.h"
#include "hostsim/language_file.h"
#include "hostsim/text_util.h"

#include <charconv>
#include <cstdlib>

namespace numo::hostsim {

namespace {
// "@Name" starts a topic; "@-", "@+" and "@@" at the start of a line do not.
bool IsTopicLine(std::string_view line) {
    return line.size() > 1 && line[0] == '@' && line[1] != '-' && line[1] != '+' &&
           line[1] != '@' && line[1] != ' ';
}

std::string_view TopicName(std::string_view line) {
    return Trim(line.substr(1));
}

std::string_view WithoutLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    return line;
}

// Turns one line's markup into its shown text and marks.
HelpLine RenderMarkup(std::string_view line, int tabSize) {
    HelpLine out;
    bool highlight = false;
    auto put = [&](char ch, char mark) {
        if (ch == '\t') {
            do {
                out.text += ' ';
                out.marks += mark;
            } while (out.text.size() % static_cast<std::size_t>(tabSize) != 0);
            return;
        }
        out.text += ch;
        out.marks += mark;
    };
    for (std::size_t i = 0; i < line.size(); ++i) {
        char ch = line[i];
        char next = i + 1 < line.size() ? line[i + 1] : '\0';
        if ((ch == '#' || ch == '~' || ch == '@') && next == ch) { // doubled: the character
            put(ch, highlight ? '#' : ' ');
            ++i;
        } else if (ch == '#') {
            highlight = !highlight;
        } else if (ch == '~') {
            // ~text~@Topic@: the text is shown, the target is not. A link never spans lines.
            std::size_t close = line.find('~', i + 1);
            if (close == std::string_view::npos) {
                put(ch, ' ');
                continue;
            }
            for (std::size_t k = i + 1; k < close; ++k)
                put(line[k], '~');
            i = close;
            if (i + 1 < line.size() && line[i + 1] == '@') {
                std::size_t end = line.find('@', i + 2);
                i = end == std::string_view::npos ? line.size() : end;
            }
        } else {
            put(ch, highlight ? '#' : ' ');
        }
    }
    return out;
}

// Wraps one paragraph to width columns at spaces; a word longer than the width is cut.
// The column under which a wrapped line goes on. A row of a two-column table (indented, then a
// first word, two or more blanks, and the right column) goes on under its right column, so the
// table stays a table in a narrow window; any other line goes on at the left edge.
std::size_t HangingIndent(const std::string& text, std::size_t width) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == 0 || first == std::string::npos)
        return 0;
    std::size_t gap = text.find("  ", first);
    if (gap == std::string::npos)
        return 0;
    std::size_t column = text.find_first_not_of(' ', gap);
    return column != std::string::npos && column <= width / 2 ? column : 0;
}

void Wrap(const HelpLine& paragraph, std::size_t width, std::vector<HelpLine>& out) {
    std::string text = paragraph.text, marks = paragraph.marks;
    std::size_t hang = HangingIndent(text, width);
    while (text.size() > width) {
        std::size_t cut = text.rfind(' ', width);
        std::size_t resume = cut;
        if (cut == std::string::npos || cut == 0 || text.find_first_not_of(' ') >= cut) {
            cut = width; // no place to break but inside a word
            resume = width;
        } else {
            while (resume < text.size() && text[resume] == ' ')
                ++resume;
            while (cut > 0 && text[cut - 1] == ' ')
                --cut;
        }
        HelpLine piece = paragraph;
        piece.text = text.substr(0, cut);
        piece.marks = marks.substr(0, cut);
        out.push_back(piece);
        text.erase(0, resume);
        marks.erase(0, resume);
        text.insert(0, hang, ' ');
        marks.insert(0, hang, ' ');
    }
    HelpLine rest = paragraph;
    rest.text = text;
    rest.marks = marks;
    out.push_back(rest);
}
} // namespace

HelpFile ParseHelpFile(std::string_view contents, const std::string& path) {
    std::vector<std::string_view> lines = SplitLines(contents);
    HelpFile file;
    file.path = path;
    file.language = RequireHeaderLanguage(lines, "help file", path);
    bool inHeader = true;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::string_view line = WithoutLineEnd(lines[i]);
        if (IsTopicLine(line))
            inHeader = false;
        if (inHeader) {
            std::string_view directive = Trim(line);
            constexpr std::string_view kTabSize = ".Options TabSize=";
            if (StartsWithIgnoringCase(directive, kTabSize)) {
                // The digits come from the file: read them checked (atoi's result for a number
                // beyond int is undefined), and take only 1..16.
                std::string_view digits = Trim(directive.substr(kTabSize.size()));
                int size = 0;
                auto [end, error] =
                    std::from_chars(digits.data(), digits.data() + digits.size(), size);
                if (error == std::errc() && size >= 1 && size <= 16)
                    file.tabSize = size;
            }
        }
        file.lines.emplace_back(line);
    }
    return file;
}

HelpFile ReadHelpFile(const std::string& path) {
    // A help file is a few pages; one of many megabytes (damaged, or not a help file at all)
    // would make F1 slow and the program large for text nobody reads.
    constexpr std::uintmax_t kMaxHelpFileSize = 1 << 20;
    return ParseHelpFile(ReadWholeFile(path, "help file", kMaxHelpFileSize), path);
}

std::vector<std::string> HelpTopics(const HelpFile& file) {
    std::vector<std::string> names;
    for (const std::string& line : file.lines) {
        if (IsTopicLine(line))
            names.emplace_back(TopicName(line));
    }
    return names;
}

std::vector<HelpLine> RenderHelpTopic(const HelpFile& file, std::string_view topic, int width) {
    std::size_t start = 0;
    while (start < file.lines.size() && !(IsTopicLine(file.lines[start]) &&
                                          EqualsIgnoringCase(TopicName(file.lines[start]), topic)))
        ++start;
    if (start == file.lines.size())
        throw HostError("help file " + file.path + " has no topic @" + std::string(topic));

    struct Entry {
        HelpLine line;
        bool reflow; // an auto-formatted paragraph: joined and wrapped to the width
    };
    std::vector<Entry> entries;
    bool autoFormat = true;
    bool titleArea = true;
    bool paragraphOpen = false; // the last entry may take continuation lines
    for (std::size_t i = start + 1; i < file.lines.size() && !IsTopicLine(file.lines[i]); ++i) {
        std::string_view line = file.lines[i];
        if (Trim(line) == "@-" || Trim(line) == "@+") {
            autoFormat = Trim(line) == "@+";
            paragraphOpen = false;
            continue;
        }
        bool title = titleArea && !line.empty() && line[0] == '$';
        titleArea = title;
        if (title)
            line.remove_prefix(1);
        bool centred = !line.empty() && line[0] == '^';
        if (centred)
            line.remove_prefix(1);
        HelpLine rendered = RenderMarkup(line, file.tabSize);
        rendered.title = title;
        rendered.centred = centred;

        bool startsInColumnOne = !line.empty() && line[0] != ' ' && line[0] != '\t';
        if (width > 0 && autoFormat && paragraphOpen && !title && !centred && startsInColumnOne) {
            HelpLine& paragraph = entries.back().line;
            paragraph.text += ' ';
            paragraph.marks += ' ';
            paragraph.text += rendered.text;
            paragraph.marks += rendered.marks;
            continue;
        }
        bool reflow = autoFormat && !title && !centred;
        paragraphOpen = reflow && !Trim(rendered.text).empty();
        entries.push_back({std::move(rendered), reflow});
    }

    std::vector<HelpLine> out;
    for (Entry& entry : entries) {
        HelpLine& line = entry.line;
        if (width > 0 && line.centred) {
            std::size_t from = line.text.find_first_not_of(' ');
            if (from == std::string::npos)
                from = line.text.size();
            std::size_t length = Trim(line.text).size();
            line.text = line.text.substr(from, length);
            line.marks = line.marks.substr(from, length);
            if (length < static_cast<std::size_t>(width)) {
                std::size_t pad = (static_cast<std::size_t>(width) - length) / 2;
                line.text.insert(0, pad, ' ');
                line.marks.insert(0, pad, ' ');
            }
            out.push_back(line);
        } else if (width > 0 && entry.reflow) {
            Wrap(line, static_cast<std::size_t>(width), out);
        } else {
            out.push_back(line);
        }
    }
    return out;
}

} // namespace numo::hostsim
