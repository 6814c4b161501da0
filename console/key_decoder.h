// What the curses key codes of the terminal in use mean to numo.
//
// A key means first what the terminal's own description says: its key capabilities, the extended
// ones included (kDN5, kUP5, kpADD, kpSUB, kpMUL, kpDIV, ...), which ncurses has already bound to
// codes. Only for keys a description lacks does numo bind sequences of its own, from a table of
// the sequences known terminals send, each row naming the terminal families it serves. A
// sequence the description already names, or that clashes with a longer one, is left alone, and
// a sequence of numo's own gets a code that ncurses has not assigned to anything: no sequence and
// no code ever has two meanings.
//
// The keypad is in application mode while numo runs: its + and - change the decimals, and its *,
// /, digits and point type themselves. Under the Linux console the keypad's + - * / send
// ESC O l, ESC O S, ESC O R and ESC O Q, which xterm-likes use for other keys: each row serves
// only the families that send it.
#pragma once

#include "console/terminal.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace numo::console {

// A string capability of the current terminal description (terminfo), or nullptr when the
// description has none or an empty one. Both curses files read capabilities through it.
const char* Capability(const char* name);

class KeyDecoder {
public:
    // Binds numo's own sequences in the current curses screen (set_term) for the terminal named
    // term, and learns what the description's key codes mean. Needs keypad() on the screen.
    explicit KeyDecoder(std::string_view term);

    // What a curses key code above 255 means; Kind::None for a code without a meaning here.
    InputKey Decode(int code) const;

    // A sequence numo bound itself, with the code it got: for tests and diagnostics.
    struct OwnBinding {
        std::string sequence;
        int code;
        InputKey key;
    };
    const std::vector<OwnBinding>& OwnBindings() const { return own_; }

    // The family a TERM value belongs to ("rxvt" for rxvt-unicode-256color), by its name up to
    // the first '-' or '.'; "" when numo knows none.
    static std::string Family(std::string_view term);

private:
    std::map<int, InputKey> keys_;
    std::vector<OwnBinding> own_;
};

} // namespace numo::console
