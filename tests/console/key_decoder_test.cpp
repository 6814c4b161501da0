// Key decoding under each TERM of tests/terminal/keys.txt, through curses itself: the bytes go
// into a pipe that a curses screen of that terminal reads, and what wgetch returns is decoded.
// - No two different sequences decode to one curses code: every key the terminal's description
//   names (its extended keys included) and every sequence numo binds itself.
// - Each key of the table, as that terminal sends it, means the host key it should.
#include "console/key_decoder.h"

#include <gtest/gtest.h>

#include <curses.h>
#include <term.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace numo::console;

namespace {
struct TableKey {
    std::string name, bytes;
};

// printf's %b: the escapes the table uses.
std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == '0') {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 3), nullptr, 8));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::map<std::string, std::vector<TableKey>> ReadTable() {
    std::ifstream in(NUMO_KEYS_TABLE);
    std::map<std::string, std::vector<TableKey>> table;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string term, name, bytes;
        if (line.empty() || line[0] == '#' || !(fields >> term >> name >> bytes))
            continue;
        table[term].push_back({name, Unescape(bytes)});
    }
    return table;
}

// What a key of the table means: a byte typed, or a named key.
InputKey Expected(const std::string& name) {
    static const std::map<std::string, InputKey::Named> kNamed = {
        {"kp+", InputKey::KeypadPlus},
        {"kp-", InputKey::KeypadMinus},
        {"kp*", InputKey::KeypadStar},
        {"kp/", InputKey::KeypadSlash},
        {"kpenter", InputKey::KeypadEnter},
        {"up", InputKey::Up},
        {"down", InputKey::Down},
        {"left", InputKey::Left},
        {"right", InputKey::Right},
        {"home", InputKey::Home},
        {"end", InputKey::End},
        {"ctrl-down", InputKey::CtrlDown},
        {"shift-tab", InputKey::BackTab},
        {"f1", InputKey::F1},
    };
    if (name.size() == 3 && name.compare(0, 2, "kp") == 0 &&
        (std::isdigit(static_cast<unsigned char>(name[2])) || name[2] == '.'))
        return InputKey::Byte(name[2]); // a digit or the point types itself
    auto it = kNamed.find(name);
    return it != kNamed.end() ? InputKey::Key(it->second) : InputKey::Of(InputKey::Kind::None);
}

std::string Shown(const InputKey& key) {
    return "kind " + std::to_string(static_cast<int>(key.kind)) + " code " +
           std::to_string(key.code);
}

// A curses screen of one terminal type that reads a pipe and writes nowhere.
class PipeScreen {
public:
    explicit PipeScreen(const std::string& term) {
        if (pipe(fds_) != 0)
            return;
        in_ = fdopen(fds_[0], "r");
        out_ = std::fopen("/dev/null", "w");
        screen_ = newterm(term.c_str(), out_, in_);
        if (screen_ == nullptr)
            return;
        set_term(screen_);
        keypad(stdscr, TRUE);
        set_escdelay(200);
    }
    ~PipeScreen() {
        if (screen_ != nullptr) {
            endwin();
            delscreen(screen_);
        }
        if (in_ != nullptr)
            std::fclose(in_);
        if (out_ != nullptr)
            std::fclose(out_);
        close(fds_[1]);
    }
    bool Open() const { return screen_ != nullptr; }

    // The codes wgetch returns for the bytes: one for a sequence curses knows.
    std::vector<int> Codes(const std::string& bytes) {
        if (write(fds_[1], bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            return {};
        std::vector<int> codes;
        wtimeout(stdscr, 1000);
        for (int ch = wgetch(stdscr); ch != ERR; ch = wgetch(stdscr)) {
            codes.push_back(ch);
            wtimeout(stdscr, 0);
        }
        return codes;
    }

private:
    int fds_[2] = {-1, -1};
    FILE* in_ = nullptr;
    FILE* out_ = nullptr;
    SCREEN* screen_ = nullptr;
};

// Every key sequence of the terminal's description: the standard key capabilities and the
// extended ones, each with its name.
std::map<std::string, std::string> DescriptionKeys() {
    std::map<std::string, std::string> keys; // sequence -> capability
    auto add = [&](const char* name) {
        const char* value = tigetstr(name);
        if (name[0] == 'k' && value != nullptr && value != reinterpret_cast<char*>(-1) &&
            value[0] == '\033' && value[1] != '\0')
            keys.emplace(value, name);
    };
    for (int i = 0; strnames[i] != nullptr; ++i)
        add(strnames[i]);
    const TERMTYPE& type = cur_term->type;
    int first = type.ext_Booleans + type.ext_Numbers;
    for (int i = 0; i < type.ext_Strings; ++i)
        add(type.ext_Names[first + i]);
    return keys;
}

std::string Printable(const std::string& bytes) {
    std::string out;
    for (char ch : bytes)
        out += ch == '\033' ? std::string("\\E") : std::string(1, ch);
    return out;
}

TEST(KeyDecoderTest, UnderEveryTermOfTheTableEachKeyHasItsOwnCodeAndMeaning) {
    std::map<std::string, std::vector<TableKey>> table = ReadTable();
    ASSERT_GE(table.size(), 6u) << NUMO_KEYS_TABLE;
    for (const auto& [term, keys] : table) {
        SCOPED_TRACE("TERM=" + term);
        PipeScreen screen(term);
        ASSERT_TRUE(screen.Open()) << "no terminfo entry for " << term;
        KeyDecoder decoder(term);

        // sequence -> where it comes from
        std::map<std::string, std::string> sequences = DescriptionKeys();
        for (const KeyDecoder::OwnBinding& own : decoder.OwnBindings())
            sequences.emplace(own.sequence, "numo's own");
        for (const TableKey& key : keys)
            sequences.emplace(key.bytes, "the table's " + key.name);

        std::map<int, std::string> owner; // code -> sequence
        for (const auto& [sequence, source] : sequences) {
            std::vector<int> codes = screen.Codes(sequence);
            if (codes.size() != 1 || codes[0] <= 0xFF) {
                // Only a key of the description may be shadowed by curses itself (one that is a
                // prefix of another); numo's and the table's keys must arrive whole.
                bool described = source.compare(0, 1, "k") == 0;
                EXPECT_TRUE(described) << Printable(sequence) << " (" << source << ") arrives as "
                                       << codes.size() << " codes";
                continue;
            }
            auto [it, added] = owner.emplace(codes[0], sequence);
            EXPECT_TRUE(added) << Printable(sequence) << " (" << source << ") and "
                               << Printable(it->second) << " (" << sequences[it->second]
                               << ") both decode to code " << codes[0];
        }

        std::set<std::string> names;
        for (const TableKey& key : keys) {
            EXPECT_TRUE(names.insert(key.name).second) << key.name << " twice in the table";
            std::vector<int> codes = screen.Codes(key.bytes);
            ASSERT_EQ(codes.size(), 1u) << key.name;
            InputKey decoded =
                codes[0] > 0xFF ? decoder.Decode(codes[0]) : InputKey::Byte(codes[0]);
            InputKey expected = Expected(key.name);
            EXPECT_TRUE(decoded.kind == expected.kind && decoded.code == expected.code &&
                        !decoded.alt)
                << key.name << " decodes to " << Shown(decoded) << ", not " << Shown(expected)
                << " = " << Printable(key.bytes) << ", curses code " << codes[0];
        }
    }
}

TEST(KeyDecoderTest, FamiliesByTheNameBeforeTheFirstDashOrDot) {
    EXPECT_EQ(KeyDecoder::Family("rxvt-unicode-256color"), "rxvt");
    EXPECT_EQ(KeyDecoder::Family("screen.xterm-256color"), "screen");
    EXPECT_EQ(KeyDecoder::Family("alacritty"), "xterm");
    EXPECT_EQ(KeyDecoder::Family("linux-16color"), "linux");
    EXPECT_EQ(KeyDecoder::Family("stv52"), "");
    EXPECT_EQ(KeyDecoder::Family(""), "");
}
} // namespace
