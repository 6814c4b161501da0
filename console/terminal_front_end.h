// The interactive front end: runs a module's dialog in a terminal as the host does. It draws the
// dialog's items by their type, flags and colours from the dialog's records (nothing about any
// particular module's items is known here), turns the terminal's keys into the host's key codes
// and hands them to the dialog (which sends each to the dialog procedure as DN_KEY first), and
// shows the help window (F1) and the history lists (Ctrl+Down on an edit field with a history).
//
// Keys beyond the dialog's own: Alt+= and Alt+- are delivered as KEY_ADD and KEY_SUBTRACT, for
// terminals that send a plain "+" and "-" for the keypad's keys; Ctrl+C (or SIGINT) closes the
// dialog as Esc does, unless the procedure takes it. Text is the host's 8-bit characters
// throughout, one byte a cell: the terminal turns typed characters into them and shows them in
// its own character set, so the layout never depends on it.
#pragma once

#include "console/terminal.h"
#include "hostsim/dialog.h"
#include "hostsim/help_file.h"

#include <array>
#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace numo::console {

// The stand-in host's own texts (ORDER HOSTTEXT).
enum class HostText { Help, History, TooSmall, HelpTooSmall, LockWait, Count };
using HostTexts = std::array<std::string, static_cast<std::size_t>(HostText::Count)>;
// All of them in a language (English unless it is Russian), in the host's code page.
HostTexts HostTextsIn(const std::string& language, int codePage);

class TerminalFrontEnd : public hostsim::FrontEnd {
public:
    struct Options {
        std::string helpFolder;                   // the module's folder: its help files lie there
        std::string language = "English";         // which help file, and the host's own texts
        int codePage = 437;                       // the host's: the texts are made in it
        hostsim::HistoryStore* history = nullptr; // the lists Ctrl+Down shows; none when null
        // Debugging aid for the test of the crash handler: raise SIGSEGV once the dialog is on
        // the screen. Set by the program from a hidden environment variable (see cli.cpp).
        bool crashAfterDrawing = false;
    };

    TerminalFrontEnd(Terminal& terminal, Options options);

    void Run(hostsim::Dialog& dialog) override;

    // The terminal went away (or SIGTERM) while the dialog ran: it was closed without asking.
    bool HungUp() const { return hung_up_; }
    // An exception from inside the dialog's run cannot cross the module's DialogEx: it is kept,
    // the dialog closed, and the caller raises it again here once DialogEx has returned.
    void RethrowFailure();

    // The host's key code for a terminal key, or 0 for none.
    static int HostKey(const InputKey& key);
    // The key code of Ctrl+C.
    static constexpr int kCtrlC = KEY_CTRLC;
    // The key code of Ctrl+Z: the front end suspends numo with it.
    static constexpr int kCtrlZ = KEY_CTRL | 'Z';

private:
    enum class Outcome { Back, Interrupt, Hangup };

    // The host's key code of a named key without modifiers, or 0.
    static int NamedKey(int code);

    void Loop(hostsim::Dialog& dialog);
    void Interrupt(hostsim::Dialog& dialog);
    // Paints the dialog; false when the terminal is too small for it (a message instead).
    bool Draw(hostsim::Dialog& dialog);
    void DrawItems(hostsim::Dialog& dialog, int x0, int y0);
    void DrawEdit(hostsim::Dialog& dialog, int item, int x0, int y0);
    void DrawTooSmall(int width, int height);
    const std::string& Text(HostText text) const;
    Outcome ShowHelp(const std::string& topic);
    Outcome ShowMessage(const std::string& title, const std::string& text);
    Outcome ShowHistory(hostsim::Dialog& dialog, int item);
    // A key while a popup is up: a closing event, or nothing.
    std::optional<Outcome> PopupEnd(const InputKey& key) const;
    // Shows what a popup painted and waits for a key: a closing event ends the popup; any other
    // key leaves its host code (0 for none) in code.
    std::optional<Outcome> PopupKey(int& code);
    struct HelpPage;
    void RenderHelp(const std::string& topic, int width, HelpPage& page);
    void DrawHelpLine(const hostsim::HelpLine& line, int x, int y, int width);
    int DrawHelp(const HelpPage& page, int left, int width, int& top);
    // The screen cell of the dialog's top left corner.
    struct Cell {
        int x, y;
    };
    Cell Origin(const hostsim::Dialog& dialog) const;

    Terminal& terminal_;
    Options options_;
    HostTexts texts_; // made once: drawing asks for them on every key
    std::optional<hostsim::HelpFile> help_;
    bool hung_up_ = false;
    bool crashed_ = false;
    std::exception_ptr failure_;
};

} // namespace numo::console
