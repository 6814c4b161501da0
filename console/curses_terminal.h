// The real terminal on standard input and output, through ncurses: with the key decoder, the only
// units of numo that include <curses.h>.
//
// A terminal without cursor addressing (TERM=dumb) is refused as an unknown TERM is.
//
// While it is open the terminal is in raw mode with the keypad in application mode (so the
// numeric keypad's plus and minus are told apart from the main keyboard's), and the terminal is
// put back as it was on every way out:
// - Restore() or the destructor (a normal end, also by an exception);
// - SIGINT (ReadKey reports Interrupt; in raw mode Ctrl+C arrives as the byte 3 instead);
// - SIGHUP and SIGTERM (ReadKey reports Hangup; the caller closes, restores, and then dies of the
//   signal with RaiseStopSignal);
// - SIGSEGV, SIGBUS, SIGFPE, SIGILL and SIGABRT, and every other signal whose default ends the
//   process (QUIT, USR1, USR2, ALRM, VTALRM, PROF, XCPU, XFSZ, PIPE, TRAP, SYS): the handler
//   writes the terminal's own reset sequences and the saved terminal modes with
//   async-signal-safe calls only, then hands the signal to whoever handled it before (a
//   sanitizer's report, or the default: death, with a core for some).
// A stop (SIGSTOP, SIGTSTP, or Suspend on Ctrl+Z) hands the terminal to the shell; on SIGCONT
// the terminal is taken again (raw mode, keypad, bracketed paste) and drawn anew, whatever the
// shell did to it meanwhile.
//
// Bracketed paste is on while the terminal is open: a paste arrives as one Paste event, its
// newlines and tabs text. Escape sequences that curses does not know are read whole: xterm's and
// rxvt's forms of keys with Shift, Alt and Ctrl become those keys; any other (a mouse report,
// a function key nobody serves) is dropped instead of being typed.
#pragma once

#include "console/key_decoder.h"
#include "console/terminal.h"
#include "hostsim/code_page.h"

#include <termios.h>

#include <deque>
#include <map>
#include <optional>
#include <string>

namespace numo::console {

class CursesTerminal : public Terminal {
public:
    // Takes over the terminal; only one may be open at a time. codePage is the host's: text put
    // on the screen is in it, one byte a cell, and typed characters are turned into it. Throws
    // Failure (kExitUsage) when the terminal cannot be used (an unknown TERM, say); the terminal
    // is left as it was then.
    explicit CursesTerminal(int codePage);
    ~CursesTerminal() override;
    CursesTerminal(const CursesTerminal&) = delete;
    CursesTerminal& operator=(const CursesTerminal&) = delete;

    // Puts the terminal back as it was and removes the signal handlers; idempotent.
    void Restore();
    // SIGHUP or SIGTERM when one of them arrived, else 0.
    static int StopSignal();
    // After Restore: ends the process by the stop signal, with its default action, as if numo
    // had never caught it. Returns only when there is none.
    static void RaiseStopSignal();

    int Columns() const override;
    int Rows() const override;
    void Clear(Attribute attr) override;
    void Put(int x, int y, std::string_view text, Attribute attr) override;
    void PutGlyph(int x, int y, Glyph glyph, int count, Attribute attr) override;
    void ShowCursor(int x, int y) override;
    void HideCursor() override;
    void Flush() override;
    InputKey ReadKey(int timeoutMs) override;
    void Suspend() override;
    void CopyToClipboard(std::string_view text) override;

private:
    unsigned long CellAttributes(Attribute attr); // a curses attr_t
    InputKey Translate(int ch);
    int NextByte(int waitMs);
    // The rest of ESC [ ... once ESC [ was read: a key, a paste, or None for one to drop.
    InputKey ControlSequence();
    InputKey Paste();
    void SkipMouseReport();
    // After SIGCONT or a suspension: the terminal as numo needs it, and every cell drawn anew.
    void Resume();
    // A typed byte beyond ASCII: the start of a character in the locale's set, read whole and
    // turned into the host's byte (or '?').
    InputKey TypedCharacter(int first);
    bool TerminalGone() const;

    void* screen_ = nullptr; // the curses SCREEN
    bool open_ = false;
    bool colours_ = false;
    bool wide_ = false; // a UTF-8 locale: lines drawn as Unicode characters
    int cursor_x_ = -1, cursor_y_ = -1;
    int next_pair_ = 1;
    std::map<Attribute, short> pairs_;
    std::optional<KeyDecoder> decoder_; // what the curses key codes mean
    std::optional<hostsim::CodePage> code_page_;
    std::deque<InputKey> pending_;     // host bytes typed as one character, after the first
    bool ctrl_backspace_ = false;      // byte 8 is Ctrl+Backspace, not Backspace
    std::string paste_on_, paste_off_; // bracketed paste's sequences; "" without it
    std::string extra_modes_;          // numo's modes that curses does not set again itself
    termios program_modes_{};          // the terminal's modes as numo set them
};

} // namespace numo::console
