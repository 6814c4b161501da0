// The real terminal through ncurses: cells and colours, keys, and putting the terminal back.
#include "console/curses_terminal.h"

#include "console/exit_status.h"

#include <curses.h>
#include <term.h>

#include <langinfo.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

namespace numo::console {

namespace {
// --- State the signal handlers read: plain globals, written before the handlers go in.
volatile sig_atomic_t gInterrupted = 0;
volatile sig_atomic_t gStopSignal = 0;
volatile sig_atomic_t gTerminalTaken = 0; // the crash handler has something to put back
termios gShellModes;                      // the terminal's modes before numo took it
char gResetSequence[512];                 // the terminal's own sequences that undo numo's modes
std::size_t gResetLength = 0;
bool gOpen = false;

constexpr int kFlagSignals[] = {SIGINT, SIGHUP, SIGTERM};
constexpr int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
struct sigaction gPreviousFlag[std::size(kFlagSignals)];
struct sigaction gPreviousCrash[std::size(kCrashSignals)];

void OnFlagSignal(int signal) {
    if (signal == SIGINT)
        gInterrupted = 1;
    else
        gStopSignal = signal;
}

// Runs in a crashing process: only async-signal-safe calls (write, tcsetattr, sigaction, raise).
void OnCrashSignal(int signal) {
    if (gTerminalTaken) {
        gTerminalTaken = 0;
        ssize_t ignored = write(STDOUT_FILENO, gResetSequence, gResetLength);
        (void)ignored;
        tcsetattr(STDIN_FILENO, TCSANOW, &gShellModes);
    }
    // The handler from before numo's (a sanitizer's, or the default) gets the signal: raised now,
    // it arrives as soon as this handler returns. A real fault also repeats on return.
    for (std::size_t i = 0; i < std::size(kCrashSignals); ++i) {
        if (kCrashSignals[i] == signal)
            sigaction(signal, &gPreviousCrash[i], nullptr);
    }
    raise(signal);
}

void InstallHandlers() {
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    action.sa_handler = OnFlagSignal;
    for (std::size_t i = 0; i < std::size(kFlagSignals); ++i)
        sigaction(kFlagSignals[i], &action, &gPreviousFlag[i]);
    action.sa_handler = OnCrashSignal;
    for (std::size_t i = 0; i < std::size(kCrashSignals); ++i)
        sigaction(kCrashSignals[i], &action, &gPreviousCrash[i]);
}

void RemoveHandlers() {
    for (std::size_t i = 0; i < std::size(kFlagSignals); ++i)
        sigaction(kFlagSignals[i], &gPreviousFlag[i], nullptr);
    for (std::size_t i = 0; i < std::size(kCrashSignals); ++i)
        sigaction(kCrashSignals[i], &gPreviousCrash[i], nullptr);
}

// A terminfo string to write, "" when the terminal has none.
std::string CapabilityText(const char* name) {
    const char* value = Capability(name);
    return value != nullptr ? value : "";
}

// DECKPAM/DECKPNM: the keypad's application mode on and off, for terminals whose keypad-transmit
// sequences leave the keypad alone (xterm's and screen's include them; others do not).
constexpr const char* kKeypadApplication = "\033=";
constexpr const char* kKeypadNumeric = "\033>";

short CursesColour(int console) {
    static const short kBase[8] = {COLOR_BLACK, COLOR_BLUE,    COLOR_GREEN,  COLOR_CYAN,
                                   COLOR_RED,   COLOR_MAGENTA, COLOR_YELLOW, COLOR_WHITE};
    short colour = kBase[console & 7];
    if ((console & 8) != 0 && COLORS >= 16)
        colour = static_cast<short>(colour + 8);
    return colour;
}
} // namespace

CursesTerminal::CursesTerminal(int codePage) {
    if (gOpen)
        throw Failure(kExitUsage, "the terminal is already in use");
    // The host's characters and line drawing in the character set of the locale that main set.
    const char* codeset = nl_langinfo(CODESET);
    wide_ = codeset != nullptr && std::strcmp(codeset, "UTF-8") == 0;
    code_page_.emplace(codePage, codeset != nullptr ? codeset : "");

    if (tcgetattr(STDIN_FILENO, &gShellModes) != 0)
        throw Failure(kExitUsage,
                      std::string("cannot read the terminal's modes: ") + std::strerror(errno));
    // The handlers go in before curses starts, so curses keeps its own hands off SIGINT and
    // SIGTERM (it installs handlers only where the default is in place).
    gInterrupted = 0;
    gStopSignal = 0;
    InstallHandlers();

    const char* term = std::getenv("TERM");
    SCREEN* screen = newterm(nullptr, stdout, stdin);
    if (screen == nullptr) {
        RemoveHandlers();
        tcsetattr(STDIN_FILENO, TCSANOW, &gShellModes);
        throw Failure(kExitUsage, std::string("cannot use the terminal TERM=") +
                                      (term != nullptr ? term : "(not set)"));
    }
    set_term(screen);
    if (tigetstr("cup") == nullptr || tigetstr("cup") == reinterpret_cast<char*>(-1)) {
        // Without cursor addressing (TERM=dumb and the like) curses would run every line of
        // the dialog into one; nothing has been written yet.
        endwin();
        delscreen(screen);
        RemoveHandlers();
        tcsetattr(STDIN_FILENO, TCSANOW, &gShellModes);
        throw Failure(kExitUsage,
                      std::string("the terminal TERM=") + (term != nullptr ? term : "") +
                          " cannot place the cursor, which the calculator needs; without one use "
                          "a command (numo --help)");
    }
    screen_ = screen;
    open_ = true;
    gOpen = true;

    raw();
    noecho();
    nonl();
    intrflush(stdscr, FALSE);
    meta(stdscr, TRUE);
    set_escdelay(25);
    keypad(stdscr, TRUE);
    std::string keypadOn = CapabilityText("smkx");
    if (keypadOn.find(kKeypadApplication) == std::string::npos) {
        putp(kKeypadApplication);
        std::fflush(stdout);
    }
    if (has_colors() && start_color() == OK)
        colours_ = true;
    curs_set(0);
    decoder_.emplace(term != nullptr ? term : "");

    // What the crash handler writes: attributes off, keypad back to numeric, cursor visible,
    // the shell's screen back.
    std::string reset = CapabilityText("sgr0") + CapabilityText("rmkx") + kKeypadNumeric +
                        CapabilityText("cnorm") + CapabilityText("rmcup");
    std::size_t length = std::min(reset.size(), sizeof gResetSequence);
    std::memcpy(gResetSequence, reset.data(), length);
    gResetLength = length;
    gTerminalTaken = 1;
}

CursesTerminal::~CursesTerminal() {
    Restore();
}

void CursesTerminal::Restore() {
    if (!open_)
        return;
    open_ = false;
    gTerminalTaken = 0;
    curs_set(1);
    endwin();
    putp(kKeypadNumeric);
    std::fflush(stdout);
    delscreen(static_cast<SCREEN*>(screen_));
    screen_ = nullptr;
    tcsetattr(STDIN_FILENO, TCSANOW, &gShellModes);
    RemoveHandlers();
    gOpen = false;
}

int CursesTerminal::StopSignal() {
    return gStopSignal;
}

void CursesTerminal::RaiseStopSignal() {
    int signal = gStopSignal;
    if (signal == 0)
        return;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

int CursesTerminal::Columns() const {
    return getmaxx(stdscr);
}

int CursesTerminal::Rows() const {
    return getmaxy(stdscr);
}

unsigned long CursesTerminal::CellAttributes(Attribute attr) {
    int fg = attr & 0x0F, bg = attr >> 4;
    if (!colours_) {
        // Without colours: the light backgrounds of dialogs read as normal text, input fields
        // (cyan) and selections (blue) as reverse, bright text as bold.
        attr_t mono = A_NORMAL;
        if (bg == 1 || bg == 3)
            mono |= A_REVERSE;
        if (fg >= 8)
            mono |= A_BOLD;
        return mono;
    }
    attr_t bold = (fg & 8) != 0 && COLORS < 16 ? A_BOLD : A_NORMAL;
    auto it = pairs_.find(attr);
    if (it != pairs_.end())
        return COLOR_PAIR(it->second) | bold;
    if (next_pair_ >= COLOR_PAIRS || next_pair_ > 255)
        return bold;
    short pair = static_cast<short>(next_pair_++);
    init_pair(pair, CursesColour(fg), CursesColour(bg));
    pairs_[attr] = pair;
    return COLOR_PAIR(pair) | bold;
}

void CursesTerminal::Clear(Attribute attr) {
    chtype blank = ' ' | static_cast<chtype>(CellAttributes(attr));
    for (int y = 0; y < Rows(); ++y)
        mvwhline(stdscr, y, 0, blank, Columns());
}

void CursesTerminal::Put(int x, int y, std::string_view text, Attribute attr) {
    if (y < 0 || y >= Rows())
        return;
    if (x < 0) {
        if (static_cast<std::size_t>(-x) >= text.size())
            return;
        text.remove_prefix(static_cast<std::size_t>(-x));
        x = 0;
    }
    int room = Columns() - x;
    if (room <= 0)
        return;
    // One host byte is one cell: the text is cut in host bytes, then each byte becomes its
    // character in the locale's set.
    std::string shown;
    for (char ch : Shown(text.substr(0, static_cast<std::size_t>(room)))) {
        unsigned char byte = static_cast<unsigned char>(ch);
        if (byte < 0x80)
            shown += ch;
        else
            shown += code_page_->CellText(byte);
    }
    wattrset(stdscr, static_cast<int>(CellAttributes(attr)));
    mvwaddnstr(stdscr, y, x, shown.c_str(), static_cast<int>(shown.size()));
    wattrset(stdscr, A_NORMAL);
}

void CursesTerminal::PutGlyph(int x, int y, Glyph glyph, int count, Attribute attr) {
    if (y < 0 || y >= Rows())
        return;
    if (x < 0) {
        count += x;
        x = 0;
    }
    count = std::min(count, Columns() - x);
    if (count <= 0)
        return;
    attr_t cell = static_cast<attr_t>(CellAttributes(attr));
    if (wide_) {
        static const wchar_t kUnicode[] = {L'\x2500', L'\x2502', L'\x250C', L'\x2510', L'\x2514',
                                           L'\x2518', L'\x2550', L'\x2551', L'\x2554', L'\x2557',
                                           L'\x255A', L'\x255D', L'\x255F', L'\x2562', L'\x251C',
                                           L'\x2524', L'\x2193', L'\x2191'}; // ORDER GLYPH
        static_assert(std::size(kUnicode) == kGlyphCount);
        wchar_t chars[2] = {kUnicode[static_cast<int>(glyph)], L'\0'};
        cchar_t ch;
        setcchar(&ch, chars, cell & ~A_COLOR, static_cast<short>(PAIR_NUMBER(cell)), nullptr);
        for (int i = 0; i < count; ++i)
            mvwadd_wch(stdscr, y, x + i, &ch);
        return;
    }
    // Elsewhere the terminal's own line set, which has single lines only.
    chtype line;
    switch (glyph) {
    case Glyph::Horizontal:
    case Glyph::DoubleHorizontal:
        line = ACS_HLINE;
        break;
    case Glyph::Vertical:
    case Glyph::DoubleVertical:
        line = ACS_VLINE;
        break;
    case Glyph::TopLeft:
    case Glyph::DoubleTopLeft:
        line = ACS_ULCORNER;
        break;
    case Glyph::TopRight:
    case Glyph::DoubleTopRight:
        line = ACS_URCORNER;
        break;
    case Glyph::BottomLeft:
    case Glyph::DoubleBottomLeft:
        line = ACS_LLCORNER;
        break;
    case Glyph::BottomRight:
    case Glyph::DoubleBottomRight:
        line = ACS_LRCORNER;
        break;
    case Glyph::DoubleTeeRight:
    case Glyph::TeeRight:
        line = ACS_LTEE;
        break;
    case Glyph::DoubleTeeLeft:
    case Glyph::TeeLeft:
        line = ACS_RTEE;
        break;
    case Glyph::ArrowDown:
        line = ACS_DARROW;
        break;
    case Glyph::ArrowUp:
    default:
        line = ACS_UARROW;
        break;
    }
    for (int i = 0; i < count; ++i)
        mvwaddch(stdscr, y, x + i, line | cell);
}

void CursesTerminal::ShowCursor(int x, int y) {
    cursor_x_ = x;
    cursor_y_ = y;
}

void CursesTerminal::HideCursor() {
    cursor_x_ = cursor_y_ = -1;
}

void CursesTerminal::Flush() {
    bool visible = cursor_x_ >= 0 && cursor_x_ < Columns() && cursor_y_ >= 0 && cursor_y_ < Rows();
    if (visible)
        wmove(stdscr, cursor_y_, cursor_x_);
    curs_set(visible ? 1 : 0);
    wrefresh(stdscr);
}

bool CursesTerminal::TerminalGone() const {
    pollfd fd{STDIN_FILENO, POLLIN, 0};
    return poll(&fd, 1, 0) > 0 && (fd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

InputKey CursesTerminal::ReadKey(int timeoutMs) {
    // Waits in short slices so that signals are seen at once even where a read is restarted.
    constexpr int kSlice = 100;
    int waited = 0;
    if (!pending_.empty()) {
        InputKey key = pending_.front();
        pending_.pop_front();
        return key;
    }
    for (;;) {
        if (gStopSignal != 0)
            return InputKey::Of(InputKey::Kind::Hangup);
        if (gInterrupted) {
            gInterrupted = 0;
            return InputKey::Of(InputKey::Kind::Interrupt);
        }
        int slice = timeoutMs < 0 ? kSlice : std::min(kSlice, timeoutMs - waited);
        if (timeoutMs >= 0 && slice <= 0)
            return InputKey::Of(InputKey::Kind::None);
        wtimeout(stdscr, slice);
        int ch = wgetch(stdscr);
        if (ch != ERR)
            return Translate(ch);
        if (TerminalGone())
            return InputKey::Of(InputKey::Kind::Hangup);
        waited += slice;
    }
}

InputKey CursesTerminal::TypedCharacter(int first) {
    // The rest of a character the terminal sends as several bytes follows at once; a byte that
    // does not come, or is no byte, leaves the character cut off.
    constexpr int kRestWaitMs = 50;
    constexpr std::size_t kLongestCharacter = 8;
    std::string typed(1, static_cast<char>(first));
    bool incomplete = false;
    std::string host = code_page_->ToHost(typed, &incomplete);
    while (incomplete && typed.size() < kLongestCharacter) {
        wtimeout(stdscr, kRestWaitMs);
        int next = wgetch(stdscr);
        if (next == ERR || next < 0 || next > 0xFF) {
            if (next != ERR)
                ungetch(next);
            break;
        }
        typed += static_cast<char>(next);
        host = code_page_->ToHost(typed, &incomplete);
    }
    if (incomplete || host.empty())
        host += '?';
    for (std::size_t i = 1; i < host.size(); ++i)
        pending_.push_back(InputKey::Byte(static_cast<unsigned char>(host[i])));
    return InputKey::Byte(static_cast<unsigned char>(host[0]));
}

InputKey CursesTerminal::Translate(int ch) {
    if (ch == 27) {
        // Esc followed at once by another key is that key with Alt (curses has already waited its
        // escape delay for a sequence it knows).
        wtimeout(stdscr, 0);
        int next = wgetch(stdscr);
        if (next == ERR || next == 27)
            return InputKey::Byte(27);
        if (next >= 0 && next <= 0xFF)
            return InputKey::Byte(next, true);
        return Translate(next);
    }
    if (ch >= 0x80 && ch <= 0xFF)
        return TypedCharacter(ch);
    if (ch >= 0 && ch <= 0xFF)
        return InputKey::Byte(ch);
    if (ch == KEY_RESIZE)
        return InputKey::Of(InputKey::Kind::Resize);
    return decoder_->Decode(ch);
}

} // namespace numo::console
