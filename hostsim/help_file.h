// The host's help files (*.hlf): finding a topic and rendering it to plain display lines.
//
// Format: a ".Language=" header and optional ".Options" directives, then topics, each starting
// with a line "@Name". In a topic: "$" lines right after the "@" line form the title area; "^" at
// the start of a line (or after "$") centres it; "#text#" highlights; "~text~@Topic@" is a link
// shown as its text; "~~", "##" and "@@" stand for the character itself; "@-" and "@+" on a line
// of their own turn auto-format off and on. With auto-format on, a line that starts in column 1
// continues the paragraph above it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace numo::hostsim {

struct HelpFile {
    std::string path;
    std::string language;
    int tabSize = 8;
    std::vector<std::string> lines; // every line after the header, as written
};

struct HelpLine {
    std::string text;
    // One mark per byte of text: ' ' plain, '#' highlighted, '~' link text.
    std::string marks;
    bool title = false;   // part of the non-scrolling title area
    bool centred = false; // "^": shown in the middle of the given width
};

// Parses a help file's contents; `path` only names it in errors. Throws HostError for a missing
// or malformed header.
HelpFile ParseHelpFile(std::string_view contents, const std::string& path);
// Reads and parses one file; HostError naming the file when it is missing or unreadable.
HelpFile ReadHelpFile(const std::string& path);

// The names of the topics in file order.
std::vector<std::string> HelpTopics(const HelpFile& file);

// Renders a topic (name compared ignoring case) to display lines. With width > 0, auto-formatted
// paragraphs are joined and wrapped to width columns and centred lines are padded to the middle;
// with width 0 the lines stay as written. Throws HostError naming the file for a missing topic.
std::vector<HelpLine> RenderHelpTopic(const HelpFile& file, std::string_view topic, int width);

} // namespace numo::hostsim
