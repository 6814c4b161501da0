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
volatile sig_atomic_t gContinued = 0;     // SIGCONT: the shell may have changed the terminal
termios gShellModes;                      // the terminal's modes before numo took it
char gResetSequence[512];                 // the terminal's own sequences that undo numo's modes
std::size_t gResetLength = 0;
bool gOpen = false;

constexpr int kFlagSignals[] = {SIGINT, SIGHUP, SIGTERM, SIGCONT};
// Every other signal whose default action ends the process: a crash, or one sent from outside
// (kill -QUIT, a timer nobody here set, a pipe or file size limit). Each puts the terminal back
// at once and then takes its default course.
constexpr int kCrashSignals[] = {SIGSEGV, SIGBUS,  SIGFPE,  SIGILL,    SIGABRT, SIGQUIT,
                                 SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU,
                                 SIGXFSZ, SIGPIPE, SIGTRAP, SIGSYS};
struct sigaction gPreviousFlag[std::size(kFlagSignals)];
struct sigaction gPreviousCrash[std::size(kCrashSignals)];

void OnFlagSignal(int signal) {
    if (signal == SIGINT)
        gInterrupted = 1;
    else if (signal == SIGCONT)
        gContinued = 1;
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

// Bracketed paste (xterm's mode 2004): the terminal marks pasted text with ESC [ 200 ~ and
// ESC [ 201 ~, so that a newline or a tab in it is text, not Enter or Tab. The description's
// BE and BD where it has them; else xterm's sequences for the families known to take them.
constexpr const char* kPasteOn = "\033[?2004h";
constexpr const char* kPasteOff = "\033[?2004l";
constexpr const char* kPasteStart = "200";
constexpr const char* kPasteEnd = "\033[201~";
// A paste is held up to this size; the field takes far less, and the rest is read and dropped.
constexpr std::size_t kMaxPaste = 1 << 16;

// How long the rest of an escape sequence may take to arrive once its first bytes are in.
constexpr int kSequenceWaitMs = 50;
// A longer run of parameter bytes is no sequence any terminal sends: it is dropped.
constexpr std::size_t kMaxSequence = 32;

// Base64 for the terminal's clipboard (OSC 52).
std::string Base64(std::string_view bytes) {
    static const char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        unsigned value = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            value |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size())
            value |= static_cast<unsigned char>(bytes[i + 2]);
        out += kDigits[(value >> 18) & 63];
        out += kDigits[(value >> 12) & 63];
        out += i + 1 < bytes.size() ? kDigits[(value >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kDigits[value & 63] : '=';
    }
    return out;
}

// The key of an xterm-style sequence ESC [ params final, or None. params is "number;modifier":
// the modifier less one is a mask (1 Shift, 2 Alt, 4 Ctrl). rxvt marks the same keys with the
// final byte instead: ~ plain, $ Shift, ^ Ctrl, @ both; and its Shift+arrows end in a..d.
InputKey ControlSequenceKey(const std::string& params, int final) {
    std::string number = params.substr(0, params.find(';'));
    int modifier = 1;
    if (std::size_t semicolon = params.find(';'); semicolon != std::string::npos) {
        std::string digits = params.substr(semicolon + 1);
        if (digits.empty() || digits.size() > 3 ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            return InputKey::Of(InputKey::Kind::None);
        modifier = std::stoi(digits);
    }
    int mask = std::max(modifier - 1, 0);
    bool shift = (mask & 1) != 0, alt = (mask & 2) != 0, ctrl = (mask & 4) != 0;
    auto key = [&](InputKey::Named named) { return InputKey::Modified(named, shift, alt, ctrl); };
    if (number.empty() || number == "1") {
        switch (final) {
        case 'A':
            return key(InputKey::Up);
        case 'B':
            return key(InputKey::Down);
        case 'C':
            return key(InputKey::Right);
        case 'D':
            return key(InputKey::Left);
        case 'H':
            return key(InputKey::Home);
        case 'F':
            return key(InputKey::End);
        case 'Z':
            return InputKey::Key(InputKey::BackTab);
        default:
            break;
        }
    }
    if (number.empty() && final >= 'a' && final <= 'd') {
        static const InputKey::Named kArrows[] = {InputKey::Up, InputKey::Down, InputKey::Right,
                                                  InputKey::Left};
        return InputKey::Modified(kArrows[final - 'a'], true, false, false);
    }
    if (final == '~' || final == '$' || final == '^' || final == '@') {
        shift = shift || final == '$' || final == '@';
        ctrl = ctrl || final == '^' || final == '@';
        static const std::pair<const char*, InputKey::Named> kNumbered[] = {
            {"1", InputKey::Home},   {"7", InputKey::Home},    {"4", InputKey::End},
            {"8", InputKey::End},    {"2", InputKey::Insert},  {"3", InputKey::Delete},
            {"5", InputKey::PageUp}, {"6", InputKey::PageDown}};
        for (const auto& [digits, named] : kNumbered) {
            if (number == digits)
                return key(named);
        }
    }
    return InputKey::Of(InputKey::Kind::None);
}

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
    // Byte 8 is Ctrl+Backspace where Backspace itself sends DEL (as most terminals' do).
    ctrl_backspace_ = CapabilityText("kbs") == "\177";
    paste_on_ = CapabilityText("BE");
    paste_off_ = CapabilityText("BD");
    std::string family = KeyDecoder::Family(term != nullptr ? term : "");
    if (paste_on_.empty() &&
        (family == "xterm" || family == "rxvt" || family == "screen" || family == "tmux")) {
        paste_on_ = kPasteOn;
        paste_off_ = kPasteOff;
    }
    if (paste_off_.empty())
        paste_on_.clear();
    extra_modes_ =
        (keypadOn.find(kKeypadApplication) == std::string::npos ? kKeypadApplication : "") +
        paste_on_;
    putp(paste_on_.c_str());
    std::fflush(stdout);
    tcgetattr(STDIN_FILENO, &program_modes_);

    // What the crash handler writes: attributes off, keypad back to numeric, pasting plain
    // again, cursor visible, the shell's screen back.
    std::string reset = CapabilityText("sgr0") + CapabilityText("rmkx") + kKeypadNumeric +
                        paste_off_ + CapabilityText("cnorm") + CapabilityText("rmcup");
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
    putp(paste_off_.c_str());
    std::fflush(stdout);
    delscreen(static_cast<SCREEN*>(screen_));
    screen_ = nullptr;
    tcsetattr(STDIN_FILENO, TCSANOW, &gShellModes);
    RemoveHandlers();
    gOpen = false;
}

void CursesTerminal::Resume() {
    // Whatever the shell did to the terminal meanwhile (cooked mode and echo after a stop, its
    // own screen): curses takes it back as after endwin, with numo's modes, and draws it all.
    endwin();
    tcsetattr(STDIN_FILENO, TCSANOW, &program_modes_);
    clearok(curscr, TRUE);
    wrefresh(stdscr);
    putp(extra_modes_.c_str());
    std::fflush(stdout);
}

void CursesTerminal::Suspend() {
    if (!open_)
        return;
    putp(kKeypadNumeric);
    putp(paste_off_.c_str());
    std::fflush(stdout);
    endwin(); // the shell's modes and screen
    tcsetattr(STDIN_FILENO, TCSANOW, &gShellModes);
    // Stopped as by the terminal's own Ctrl+Z: the shell takes over until `fg`.
    struct sigaction stop {
    }, previous{};
    sigemptyset(&stop.sa_mask);
    stop.sa_handler = SIG_DFL;
    sigaction(SIGTSTP, &stop, &previous);
    raise(SIGTSTP);
    sigaction(SIGTSTP, &previous, nullptr);
    gContinued = 1; // taken again on the next read, as after any stop
}

void CursesTerminal::CopyToClipboard(std::string_view text) {
    // OSC 52: the terminal (and tmux with set-clipboard) puts the text on its clipboard; the
    // text goes in the locale's character set, as typed text comes.
    std::string sequence = "\033]52;c;" + Base64(code_page_->ToLocal(text)) + "\a";
    putp(sequence.c_str());
    std::fflush(stdout);
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
        if (gContinued) {
            gContinued = 0;
            Resume();
            return InputKey::Of(InputKey::Kind::Resize);
        }
        if (gInterrupted) {
            gInterrupted = 0;
            return InputKey::Of(InputKey::Kind::Interrupt);
        }
        int slice = timeoutMs < 0 ? kSlice : std::min(kSlice, timeoutMs - waited);
        if (timeoutMs >= 0 && slice <= 0)
            return InputKey::Of(InputKey::Kind::None);
        wtimeout(stdscr, slice);
        int ch = wgetch(stdscr);
        if (ch != ERR) {
            InputKey key = Translate(ch);
            if (key.kind != InputKey::Kind::None)
                return key;
            continue; // a sequence that means nothing here, read whole and dropped
        }
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

int CursesTerminal::NextByte(int waitMs) {
    wtimeout(stdscr, waitMs);
    return wgetch(stdscr);
}

InputKey CursesTerminal::ControlSequence() {
    // ESC [ parameter and intermediate bytes (0x20..0x3F) then one final byte (0x40..0x7E).
    std::string params;
    for (;;) {
        int ch = NextByte(kSequenceWaitMs);
        if (ch == ERR)
            return InputKey::Of(InputKey::Kind::None);
        if (ch > 0xFF || ch < 0x20 || ch == 0x7F || params.size() > kMaxSequence) {
            if (ch > 0xFF || ch < 0x20)
                ungetch(ch); // a key that came after a cut-off sequence is a key of its own
            return InputKey::Of(InputKey::Kind::None);
        }
        // rxvt ends its Shift forms in '$', an intermediate byte by the grammar: after digits
        // alone it ends the sequence.
        bool rxvtShift = ch == '$' && !params.empty() &&
                         params.find_first_not_of("0123456789") == std::string::npos;
        if ((ch >= 0x40 && ch <= 0x7E) || rxvtShift) {
            if (ch == '~' && params == kPasteStart)
                return Paste();
            if (ch == 'M' && params.empty()) {
                // A mouse report in the old form: three bytes of button and place follow.
                for (int i = 0; i < 3; ++i)
                    NextByte(kSequenceWaitMs);
                return InputKey::Of(InputKey::Kind::None);
            }
            if ((ch == 'M' || ch == 'm') && !params.empty() && params[0] == '<')
                return InputKey::Of(InputKey::Kind::None); // a mouse report in SGR form
            return ControlSequenceKey(params, ch);
        }
        params += static_cast<char>(ch);
    }
}

void CursesTerminal::SkipMouseReport() {
    std::string prefix = CapabilityText("kmous");
    if (!prefix.empty() && prefix.back() == '<') {
        // SGR form: button;column;row then M or m.
        for (std::size_t i = 0; i < kMaxSequence; ++i) {
            int ch = NextByte(kSequenceWaitMs);
            if (ch == ERR || ch == 'M' || ch == 'm')
                return;
        }
        return;
    }
    for (int i = 0; i < 3; ++i) // the old form: button, column, row, a byte each
        NextByte(kSequenceWaitMs);
}

InputKey CursesTerminal::Paste() {
    // Everything up to ESC [ 201 ~ is text, whatever it holds; the terminal sends it at once.
    constexpr int kPasteWaitMs = 500;
    std::string text;
    std::string end = kPasteEnd;
    std::string pending; // bytes that may be the start of the end mark
    for (;;) {
        int ch = NextByte(kPasteWaitMs);
        if (ch == ERR)
            break; // the end mark never came: take what did
        if (ch > 0xFF)
            continue; // a key code curses made of bytes in the text: no text of ours
        pending += static_cast<char>(ch);
        if (end.compare(0, pending.size(), pending) == 0) {
            if (pending.size() == end.size())
                break;
            continue;
        }
        if (text.size() < kMaxPaste)
            text += pending;
        pending.clear();
    }
    return InputKey::Pasted(code_page_->ToHost(text));
}

InputKey CursesTerminal::Translate(int ch) {
    if (ch == 27) {
        // Esc followed at once by another key is that key with Alt (curses has already waited its
        // escape delay for a sequence it knows); ESC [ and ESC O begin a sequence it does not
        // know, read whole: a key of its own, a paste, or something to drop.
        int next = NextByte(0);
        if (next == ERR || next == 27)
            return InputKey::Byte(27);
        if (next == '[')
            return ControlSequence();
        if (next == 'O') {
            int final = NextByte(kSequenceWaitMs);
            if (final == ERR)
                return InputKey::Byte('O', true);
            if (final >= 'a' && final <= 'd') { // rxvt's Ctrl with the arrows
                static const InputKey::Named kArrows[] = {InputKey::Up, InputKey::Down,
                                                          InputKey::Right, InputKey::Left};
                return InputKey::Modified(kArrows[final - 'a'], false, false, true);
            }
            return ControlSequenceKey("", final); // OA..OD, OH, OF; anything else is dropped
        }
        if (next == 8 || next == 0x7F)
            return InputKey::Modified(InputKey::Backspace, false, true, false);
        if (next >= 0 && next <= 0xFF)
            return InputKey::Byte(next, true);
        InputKey key = Translate(next);
        if (key.kind == InputKey::Kind::Named && key.code == InputKey::Backspace)
            key.alt = true; // Alt+Backspace where curses made a key of the description's kbs
        return key;
    }
    if (ch == KEY_MOUSE) {
        // The description's mouse prefix (kmous): the report's rest follows. numo asks for no
        // mouse reports, but a terminal left in a mouse mode sends them all the same.
        SkipMouseReport();
        return InputKey::Of(InputKey::Kind::None);
    }
    if (ch == 8 && ctrl_backspace_)
        return InputKey::Modified(InputKey::Backspace, false, false, true);
    if (ch >= 0x80 && ch <= 0xFF)
        return TypedCharacter(ch);
    if (ch >= 0 && ch <= 0xFF)
        return InputKey::Byte(ch);
    if (ch == KEY_RESIZE)
        return InputKey::Of(InputKey::Kind::Resize);
    return decoder_->Decode(ch);
}

} // namespace numo::console
