// What the interactive front end needs of a terminal: a grid of cells painted in console colours,
// line-drawing glyphs, a cursor, and keys. The curses terminal (curses_terminal.h) is the real
// one; tests use one that keeps the cells in memory. Nothing here knows about curses, so the
// host's key codes (far/far_api.h) and curses' key macros never meet in one file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace numo::console {

// A console attribute: foreground colour in the low four bits, background in the high four, in
// the console's order (0 black, 1 blue, 2 green, 3 cyan, 4 red, 5 magenta, 6 brown, 7 light grey,
// 8..15 their bright forms: 8 dark grey ... 14 yellow, 15 white). 0x74 is red on light grey.
using Attribute = std::uint8_t;

// ORDER GLYPH: the terminals' tables of glyphs follow this order (each checks its count against
// kGlyphCount).
enum class Glyph {
    Horizontal,
    Vertical,
    TopLeft,
    TopRight,
    BottomLeft,
    BottomRight,
    DoubleHorizontal,
    DoubleVertical,
    DoubleTopLeft,
    DoubleTopRight,
    DoubleBottomLeft,
    DoubleBottomRight,
    DoubleTeeRight, // a single line leaving a double vertical to the right: the box's left edge
    DoubleTeeLeft,  // the same, to the left: the box's right edge
    TeeRight,       // single vertical, single line to the right
    TeeLeft,
    ArrowDown, // beside an edit field with a history list
    ArrowUp,
};
constexpr int kGlyphCount = static_cast<int>(Glyph::ArrowUp) + 1;

// A key or event from the terminal, before the host gives it its own key code.
struct InputKey {
    enum class Kind {
        None,      // nothing arrived in the time given
        Char,      // a byte: code 0..255; alt when Esc came just before it
        Named,     // a key without a character: code is a Named value
        Resize,    // the terminal changed its size, or came back from a stop: draw it all again
        Interrupt, // SIGINT from outside
        Hangup,    // the terminal went away, or SIGTERM: stop at once
        Paste,     // text pasted as a whole (bracketed paste): text, in the host's code page
    };
    enum Named {
        Up = 1,
        Down,
        Left,
        Right,
        Home,
        End,
        PageUp,
        PageDown,
        Insert,
        Delete,
        Backspace,
        Enter,
        BackTab,
        KeypadPlus,
        KeypadMinus,
        KeypadStar,
        KeypadSlash,
        KeypadEnter,
        CtrlUp,
        CtrlDown,
        F1 = 100, // F1..F12 are F1 + n - 1
    };
    Kind kind = Kind::None;
    int code = 0;
    bool alt = false;
    // Held with a Named key (Ctrl+Left, Shift+Ins); a control byte carries its Ctrl already.
    bool shift = false;
    bool ctrl = false;
    std::string text; // Paste only

    InputKey(Kind kind = Kind::None, int code = 0, bool alt = false, bool shift = false,
             bool ctrl = false, std::string text = {})
        : kind(kind), code(code), alt(alt), shift(shift), ctrl(ctrl), text(std::move(text)) {}

    static InputKey Byte(int code, bool alt = false) { return {Kind::Char, code, alt}; }
    static InputKey Key(Named named) { return {Kind::Named, named, false}; }
    static InputKey Of(Kind kind) { return {kind, 0, false}; }
    static InputKey Modified(Named named, bool shift, bool alt, bool ctrl) {
        return {Kind::Named, named, alt, shift, ctrl};
    }
    static InputKey Pasted(std::string text) { return {Kind::Paste, 0, false, false, false, text}; }
};

// The text as a terminal shows it: the host's characters, one cell each, a control byte as '?'.
// The front end lays text out by these bytes; the terminal shows each in its own character set.
inline std::string Shown(std::string_view text) {
    std::string shown(text);
    for (char& ch : shown) {
        unsigned char byte = static_cast<unsigned char>(ch);
        if (byte < 0x20 || byte == 0x7F)
            ch = '?';
    }
    return shown;
}

class Terminal {
public:
    virtual ~Terminal() = default;
    virtual int Columns() const = 0;
    virtual int Rows() const = 0;
    // Every cell a blank in attr.
    virtual void Clear(Attribute attr) = 0;
    // Text in the host's code page from column x of row y, one byte a cell, cut at the screen's
    // edge; each byte shows as its character in the code page (or '?' where the terminal has
    // none). The front end hands no control bytes; a terminal shows them as '?' all the same.
    virtual void Put(int x, int y, std::string_view text, Attribute attr) = 0;
    // count copies of a glyph from column x to the right.
    virtual void PutGlyph(int x, int y, Glyph glyph, int count, Attribute attr) = 0;
    virtual void ShowCursor(int x, int y) = 0;
    virtual void HideCursor() = 0;
    // Shows what was painted since the last Flush.
    virtual void Flush() = 0;
    // Waits at most timeoutMs (forever when negative) for the next key or event.
    virtual InputKey ReadKey(int timeoutMs) = 0;
    // Hands the terminal back to the shell and stops the process as a terminal program does on
    // Ctrl+Z; returns once the process is continued, with the terminal taken again (the next
    // ReadKey reports Resize, so that everything is drawn anew). Nothing where there is no shell.
    virtual void Suspend() {}
    // Puts text (the host's characters) on the terminal's own clipboard, where it has one.
    virtual void CopyToClipboard(std::string_view text) { (void)text; }
};

} // namespace numo::console
