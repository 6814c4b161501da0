// Key decoding: the terminal description's keys first, then numo's own sequences for the rest.
#include "console/key_decoder.h"

#include <curses.h>
#include <term.h>

#include <algorithm>

namespace numo::console {

namespace {
// Families of terminals that send the same sequences for the keys below.
enum Family : unsigned {
    kXterm = 1,  // xterm and the emulators that follow it
    kRxvt = 2,   // rxvt, urxvt
    kScreen = 4, // GNU screen
    kTmux = 8,
    kLinux = 16, // the Linux text console
    kVt = 32,    // DEC's terminals and their emulations by name
};
constexpr unsigned kDecKeypad = kXterm | kRxvt | kScreen | kTmux | kVt;
constexpr unsigned kEveryFamily = kDecKeypad | kLinux;

struct FamilyName {
    const char* name;
    Family family;
};
const FamilyName kFamilies[] = {
    {"xterm", kXterm},   {"alacritty", kXterm}, {"foot", kXterm},    {"kitty", kXterm},
    {"konsole", kXterm}, {"gnome", kXterm},     {"vte", kXterm},     {"st", kXterm},
    {"putty", kXterm},   {"rxvt", kRxvt},       {"screen", kScreen}, {"tmux", kTmux},
    {"linux", kLinux},   {"vt100", kVt},        {"vt102", kVt},      {"vt220", kVt},
};

unsigned FamilyOf(std::string_view term) {
    std::string_view name = term.substr(0, term.find_first_of("-."));
    for (const FamilyName& entry : kFamilies) {
        if (name == entry.name)
            return entry.family;
    }
    return 0;
}

InputKey Named(InputKey::Named key) {
    return InputKey::Key(key);
}
InputKey Shifted(InputKey::Named key) {
    return InputKey::Modified(key, true, false, false);
}
InputKey Controlled(InputKey::Named key) {
    return InputKey::Modified(key, false, false, true);
}

// What the description's key capabilities mean. A keypad key named by its place (ka1 is the
// upper left) types the digit of that place on a PC keypad, unless its sequence is one of the
// keypad's own below, which says which key it really is (vt100's ka1 is the key "1").
struct CapabilityKey {
    const char* name;
    InputKey key;
    bool keypadPlace = false;
};
const CapabilityKey kCapabilityKeys[] = {
    {"kcuu1", Named(InputKey::Up)},
    {"kcud1", Named(InputKey::Down)},
    {"kcub1", Named(InputKey::Left)},
    {"kcuf1", Named(InputKey::Right)},
    {"khome", Named(InputKey::Home)},
    {"kend", Named(InputKey::End)},
    {"kfnd", Named(InputKey::Home)}, // Find and Select: where a VT220 keyboard has Home and End
    {"kslt", Named(InputKey::End)},
    {"kpp", Named(InputKey::PageUp)},
    {"knp", Named(InputKey::PageDown)},
    {"kich1", Named(InputKey::Insert)},
    {"kdch1", Named(InputKey::Delete)},
    {"kbs", Named(InputKey::Backspace)},
    {"kent", Named(InputKey::KeypadEnter)},
    {"kcbt", Named(InputKey::BackTab)},
    {"kcbt2", Named(InputKey::BackTab)},
    {"kUP5", Named(InputKey::CtrlUp)},
    {"kDN5", Named(InputKey::CtrlDown)},
    // The edit lines' keys with Shift (selection) and Ctrl (words, line ends, copy).
    {"kLFT", Shifted(InputKey::Left)},
    {"kRIT", Shifted(InputKey::Right)},
    {"kHOM", Shifted(InputKey::Home)},
    {"kEND", Shifted(InputKey::End)},
    {"kIC", Shifted(InputKey::Insert)},
    {"kDC", Shifted(InputKey::Delete)},
    {"kLFT5", Controlled(InputKey::Left)},
    {"kRIT5", Controlled(InputKey::Right)},
    {"kHOM5", Controlled(InputKey::Home)},
    {"kEND5", Controlled(InputKey::End)},
    {"kIC5", Controlled(InputKey::Insert)},
    {"kDC5", Controlled(InputKey::Delete)},
    {"kLFT6", InputKey::Modified(InputKey::Left, true, false, true)},
    {"kRIT6", InputKey::Modified(InputKey::Right, true, false, true)},
    {"kpADD", Named(InputKey::KeypadPlus)},
    {"kpSUB", Named(InputKey::KeypadMinus)},
    {"kpMUL", Named(InputKey::KeypadStar)},
    {"kpDIV", Named(InputKey::KeypadSlash)},
    {"kpDOT", InputKey::Byte('.')},
    {"kpCMA", InputKey::Byte(',')},
    {"kpZRO", InputKey::Byte('0')},
    {"ka1", InputKey::Byte('7'), true},
    {"ka2", InputKey::Byte('8'), true},
    {"ka3", InputKey::Byte('9'), true},
    {"kb1", InputKey::Byte('4'), true},
    {"kb2", InputKey::Byte('5'), true},
    {"kp5", InputKey::Byte('5'), true},
    {"kb3", InputKey::Byte('6'), true},
    {"kc1", InputKey::Byte('1'), true},
    {"kc2", InputKey::Byte('2'), true},
    {"kc3", InputKey::Byte('3'), true},
    {"kf1", {InputKey::Kind::Named, InputKey::F1, false}},
    {"kf2", {InputKey::Kind::Named, InputKey::F1 + 1, false}},
    {"kf3", {InputKey::Kind::Named, InputKey::F1 + 2, false}},
    {"kf4", {InputKey::Kind::Named, InputKey::F1 + 3, false}},
    {"kf5", {InputKey::Kind::Named, InputKey::F1 + 4, false}},
    {"kf6", {InputKey::Kind::Named, InputKey::F1 + 5, false}},
    {"kf7", {InputKey::Kind::Named, InputKey::F1 + 6, false}},
    {"kf8", {InputKey::Kind::Named, InputKey::F1 + 7, false}},
    {"kf9", {InputKey::Kind::Named, InputKey::F1 + 8, false}},
    {"kf10", {InputKey::Kind::Named, InputKey::F1 + 9, false}},
    {"kf11", {InputKey::Kind::Named, InputKey::F1 + 10, false}},
    {"kf12", {InputKey::Kind::Named, InputKey::F1 + 11, false}},
};

// Sequences known terminals send for keys their descriptions may lack, and the families that
// send each. The keypad rows are its application mode, which numo turns on.
struct OwnSequence {
    const char* sequence;
    InputKey key;
    unsigned families;
};
const OwnSequence kOwnSequences[] = {
    // The keypad: DEC's sequences, and the Linux console's where they differ.
    {"\033Op", InputKey::Byte('0'), kEveryFamily},
    {"\033Oq", InputKey::Byte('1'), kEveryFamily},
    {"\033Or", InputKey::Byte('2'), kEveryFamily},
    {"\033Os", InputKey::Byte('3'), kEveryFamily},
    {"\033Ot", InputKey::Byte('4'), kEveryFamily},
    {"\033Ou", InputKey::Byte('5'), kEveryFamily},
    {"\033Ov", InputKey::Byte('6'), kEveryFamily},
    {"\033Ow", InputKey::Byte('7'), kEveryFamily},
    {"\033Ox", InputKey::Byte('8'), kEveryFamily},
    {"\033Oy", InputKey::Byte('9'), kEveryFamily},
    {"\033On", InputKey::Byte('.'), kEveryFamily},
    {"\033OM", Named(InputKey::KeypadEnter), kEveryFamily},
    {"\033Ok", Named(InputKey::KeypadPlus), kDecKeypad},
    {"\033Om", Named(InputKey::KeypadMinus), kDecKeypad},
    {"\033Oj", Named(InputKey::KeypadStar), kDecKeypad},
    {"\033Oo", Named(InputKey::KeypadSlash), kDecKeypad},
    {"\033Ol", InputKey::Byte(','), kDecKeypad},
    {"\033OX", InputKey::Byte('='), kXterm | kScreen | kTmux},
    {"\033Ol", Named(InputKey::KeypadPlus), kLinux},
    {"\033OS", Named(InputKey::KeypadMinus), kLinux},
    {"\033OR", Named(InputKey::KeypadStar), kLinux},
    {"\033OQ", Named(InputKey::KeypadSlash), kLinux},
    // Ctrl with the arrows: xterm's modifier form (screen and tmux pass it on), and rxvt's.
    {"\033[1;5A", Named(InputKey::CtrlUp), kXterm | kScreen | kTmux},
    {"\033[1;5B", Named(InputKey::CtrlDown), kXterm | kScreen | kTmux},
    {"\033Oa", Named(InputKey::CtrlUp), kRxvt},
    {"\033Ob", Named(InputKey::CtrlDown), kRxvt},
    // Home and End in the forms these terminals send in either cursor-key mode.
    {"\033[1~", Named(InputKey::Home), kXterm | kRxvt | kScreen | kTmux | kLinux},
    {"\033[4~", Named(InputKey::End), kXterm | kRxvt | kScreen | kTmux | kLinux},
    {"\033[7~", Named(InputKey::Home), kRxvt},
    {"\033[8~", Named(InputKey::End), kRxvt},
    {"\033[H", Named(InputKey::Home), kXterm | kScreen | kTmux},
    {"\033[F", Named(InputKey::End), kXterm | kScreen | kTmux},
    {"\033OH", Named(InputKey::Home), kXterm | kScreen | kTmux},
    {"\033OF", Named(InputKey::End), kXterm | kScreen | kTmux},
    {"\033[Z", Named(InputKey::BackTab), kXterm | kRxvt | kScreen | kTmux | kLinux},
};

// The key of one of numo's own keypad rows for this family with that sequence, if any.
const OwnSequence* OwnKeypadRow(const char* sequence, unsigned family) {
    for (const OwnSequence& row : kOwnSequences) {
        if ((row.families & family) != 0 && std::string_view(row.sequence) == sequence &&
            sequence[1] == 'O')
            return &row;
    }
    return nullptr;
}
} // namespace

std::string KeyDecoder::Family(std::string_view term) {
    unsigned family = FamilyOf(term);
    for (const FamilyName& entry : kFamilies) {
        if (entry.family == family)
            return entry.name;
    }
    return "";
}

KeyDecoder::KeyDecoder(std::string_view term) {
    unsigned family = FamilyOf(term);
    for (const CapabilityKey& cap : kCapabilityKeys) {
        const char* sequence = Capability(cap.name);
        if (sequence == nullptr)
            continue;
        int code = key_defined(sequence);
        if (code <= 0xFF)
            continue; // a plain byte (kbs as ^?), or a sequence ncurses could not bind
        InputKey key = cap.key;
        if (cap.keypadPlace) {
            if (const OwnSequence* row = OwnKeypadRow(sequence, family))
                key = row->key;
        }
        keys_.emplace(code, key); // the first meaning of a code stays
    }

    int next = KEY_MAX + 1;
    for (const OwnSequence& row : kOwnSequences) {
        if ((row.families & family) == 0 || key_defined(row.sequence) != 0)
            continue; // another family's, or the description's (or a prefix of one of its keys)
        // A code nothing has: neither the description's keys nor any extended capability's
        // number, which ncurses counts from KEY_MAX up.
        while (has_key(next) || keyname(next) != nullptr || keys_.count(next) != 0)
            ++next;
        if (define_key(row.sequence, next) != OK)
            continue;
        keys_.emplace(next, row.key);
        own_.push_back({row.sequence, next, row.key});
        ++next;
    }
}

InputKey KeyDecoder::Decode(int code) const {
    auto it = keys_.find(code);
    return it != keys_.end() ? it->second : InputKey::Of(InputKey::Kind::None);
}

const char* Capability(const char* name) {
    const char* value = tigetstr(name);
    if (value == nullptr || value == reinterpret_cast<const char*>(-1) || value[0] == '\0')
        return nullptr;
    return value;
}

} // namespace numo::console
