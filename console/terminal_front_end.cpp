// The interactive front end: drawing a dialog by its items, keys, the help window and the
// history list.
#include "console/terminal_front_end.h"

#include "hostsim/code_page.h"
#include "hostsim/host_error.h"
#include "hostsim/language_file.h"
#include "hostsim/text_util.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <map>

namespace numo::console {

using hostsim::ChooseLanguageFile;
using hostsim::Dialog;
using hostsim::DialogGeometry;
using hostsim::HelpLine;
using hostsim::HostError;
using hostsim::ReadHelpFile;
using hostsim::RenderHelpTopic;

namespace {
// The host's colours (console attributes, see terminal.h).
constexpr Attribute kScreen = 0x07;        // behind the dialog
constexpr Attribute kDialog = 0x70;        // dialog, its texts and boxes: black on light grey
constexpr Attribute kEdit = 0x30;          // an edit field: black on cyan
constexpr Attribute kEditSelected = 0x1F;  // its unchanged text while focused: white on blue
constexpr Attribute kReadOnly = 0x70;      // a read-only field: no input background
constexpr Attribute kButtonFocused = 0x30; // the focused button
constexpr Attribute kHelp = 0x30;          // help window: black on cyan
constexpr Attribute kHelpHighlight = 0x3F; // #text#: white
constexpr Attribute kHelpLink = 0x3E;      // ~link~: yellow
constexpr Attribute kMenu = 0x30;          // history list
constexpr Attribute kMenuSelected = 0x0F;  // its chosen line: white on black

constexpr int kHistoryRows = 10; // lines of a history list shown at once

// Layout of the screens other than the dialog, in cells.
constexpr int kTooSmallTextWidth = 44; // the "enlarge the window" note's widest line
constexpr int kMessageMaxWidth = 76;   // a message box, frame and margins included
constexpr int kMessageMargin = 3;      // blank, frame, blank on each side of a message's text
constexpr int kHelpMaxWidth = 80;      // the help window, frame included
constexpr int kHelpMinWidth = 20;      // below this or kHelpMinHeight the help is not drawn
constexpr int kHelpMinHeight = 6;

// The bytes a terminal sends for the control keys in raw mode.
constexpr int kByteCtrlA = 1; // Ctrl+A .. Ctrl+Z are 1 .. 26
constexpr int kByteCtrlC = 3;
constexpr int kByteBackspace = 8; // Ctrl+H, what some terminals send for Backspace
constexpr int kByteTab = 9;
constexpr int kByteLineFeed = 10;
constexpr int kByteReturn = 13;
constexpr int kByteCtrlZ = 26;
constexpr int kByteEscape = 27;
constexpr int kByteCtrlUnderscore = 31;
constexpr int kByteDelete = 127; // what most terminals send for Backspace

// ORDER HOSTTEXT: the stand-in host's own texts, in UTF-8, in each language it speaks (the
// module's texts are the module's). {1}x{2} is the terminal's size, {3}x{4} the dialog's.
const char* const kEnglishTexts[] = {
    "Help",
    "History",
    "Terminal {1}x{2}: the calculator needs {3}x{4}. Enlarge the window, or press Esc.",
    "The terminal is too small for the help.",
    " Waiting for the history file: another numo is writing it ",
};
const char* const kRussianTexts[] = {
    "Помощь",
    "История",
    "Терминал {1}x{2}: калькулятору нужно {3}x{4}. Увеличьте окно или нажмите Esc.",
    "Терминал слишком мал для помощи.",
    " Ждём файл истории: его пишет другой numo ",
};
static_assert(std::size(kEnglishTexts) == static_cast<std::size_t>(HostText::Count));
static_assert(std::size(kRussianTexts) == std::size(kEnglishTexts));

bool IsBox(int type) {
    return type == DI_DOUBLEBOX || type == DI_SINGLEBOX;
}

int Length(std::string_view text) {
    return static_cast<int>(text.size());
}

// Lines of at most width columns, broken at blanks; a word longer than a line is cut.
std::vector<std::string> WrapWords(std::string_view text, int width) {
    std::vector<std::string> lines;
    std::string line;
    std::size_t room = static_cast<std::size_t>(std::max(width, 1));
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        std::string word(text.substr(start, end == std::string_view::npos ? end : end - start));
        start = end == std::string_view::npos ? text.size() : end + 1;
        if (word.empty())
            continue;
        if (!line.empty() && line.size() + 1 + word.size() > room) {
            lines.push_back(line);
            line.clear();
        }
        if (!line.empty())
            line += ' ';
        line += word;
        while (line.size() > room) {
            lines.push_back(line.substr(0, room));
            line.erase(0, room);
        }
    }
    if (!line.empty() || lines.empty())
        lines.push_back(line);
    return lines;
}

void DrawBox(Terminal& terminal, int left, int top, int right, int bottom, bool twin,
             Attribute attr) {
    if (right <= left || bottom <= top)
        return;
    int inner = right - left - 1;
    terminal.PutGlyph(left, top, twin ? Glyph::DoubleTopLeft : Glyph::TopLeft, 1, attr);
    terminal.PutGlyph(left + 1, top, twin ? Glyph::DoubleHorizontal : Glyph::Horizontal, inner,
                      attr);
    terminal.PutGlyph(right, top, twin ? Glyph::DoubleTopRight : Glyph::TopRight, 1, attr);
    for (int y = top + 1; y < bottom; ++y) {
        terminal.PutGlyph(left, y, twin ? Glyph::DoubleVertical : Glyph::Vertical, 1, attr);
        terminal.PutGlyph(right, y, twin ? Glyph::DoubleVertical : Glyph::Vertical, 1, attr);
    }
    terminal.PutGlyph(left, bottom, twin ? Glyph::DoubleBottomLeft : Glyph::BottomLeft, 1, attr);
    terminal.PutGlyph(left + 1, bottom, twin ? Glyph::DoubleHorizontal : Glyph::Horizontal, inner,
                      attr);
    terminal.PutGlyph(right, bottom, twin ? Glyph::DoubleBottomRight : Glyph::BottomRight, 1, attr);
}

// A title centred in a box's top edge, between blanks.
void DrawTitle(Terminal& terminal, int left, int right, int y, std::string_view title,
               Attribute attr) {
    if (title.empty())
        return;
    int room = right - left - 1;
    std::string text(1, ' ');
    text += Shown(title).substr(0, static_cast<std::size_t>(std::max(room - 2, 0)));
    text += ' ';
    if (Length(text) > room)
        return;
    terminal.Put(left + 1 + (room - Length(text)) / 2, y, text, attr);
}

// Fills a rectangle with blanks.
void Fill(Terminal& terminal, int left, int top, int right, int bottom, Attribute attr) {
    std::string blanks(static_cast<std::size_t>(std::max(right - left + 1, 0)), ' ');
    for (int y = top; y <= bottom; ++y)
        terminal.Put(left, y, blanks, attr);
}

std::string ButtonText(const FarDialogItem& item) {
    // The default button is marked with braces.
    std::string text = Shown(item.Data);
    return item.DefaultButton != 0 ? "{ " + text + " }" : "[ " + text + " ]";
}

// The width of an item in a centred group.
int GroupWidth(const FarDialogItem& item) {
    if (item.Type == DI_BUTTON)
        return Length(ButtonText(item));
    return Length(item.Data);
}

// Columns (relative to the dialog) of the DIF_CENTERGROUP items: those on one row stand side
// by side, one blank apart, centred in the dialog as a whole.
std::map<int, int> CentredColumns(const Dialog& dialog, int width) {
    std::map<int, std::vector<int>> rows;
    for (int i = 0; i < dialog.ItemCount(); ++i) {
        const FarDialogItem& item = dialog.Item(i);
        if ((item.Flags & DIF_CENTERGROUP) != 0 && (item.Flags & DIF_HIDDEN) == 0 &&
            !IsBox(item.Type))
            rows[item.Y1].push_back(i);
    }
    std::map<int, int> columns;
    for (const auto& [row, items] : rows) {
        int total = -1;
        for (int i : items)
            total += GroupWidth(dialog.Item(i)) + 1;
        int x = (width - total) / 2;
        for (int i : items) {
            columns[i] = x;
            x += GroupWidth(dialog.Item(i)) + 1;
        }
    }
    return columns;
}
} // namespace

TerminalFrontEnd::TerminalFrontEnd(Terminal& terminal, Options options)
    : terminal_(terminal), options_(std::move(options)),
      texts_(HostTextsIn(options_.language, options_.codePage)) {}

HostTexts HostTextsIn(const std::string& language, int codePage) {
    const char* const* texts =
        hostsim::EqualsIgnoringCase(language, "Russian") ? kRussianTexts : kEnglishTexts;
    // In the host's code page, as every text the front end lays out.
    hostsim::CodePage page(codePage, "UTF-8");
    HostTexts host;
    for (std::size_t i = 0; i < host.size(); ++i)
        host[i] = page.ToHost(texts[i]);
    return host;
}

const std::string& TerminalFrontEnd::Text(HostText text) const {
    return texts_[static_cast<std::size_t>(text)];
}

void TerminalFrontEnd::RethrowFailure() {
    if (failure_) {
        std::exception_ptr failure = failure_;
        failure_ = nullptr;
        std::rethrow_exception(failure);
    }
}

int TerminalFrontEnd::HostKey(const InputKey& key) {
    if (key.kind == InputKey::Kind::Char) {
        int ch = key.code;
        if (key.alt) {
            // The documented stand-ins for the keypad's plus and minus.
            if (ch == '=')
                return KEY_ADD;
            if (ch == '-')
                return KEY_SUBTRACT;
            if (ch == kByteBackspace || ch == kByteDelete)
                return KEY_ALT | KEY_BS;
            if (ch >= 'a' && ch <= 'z')
                ch -= 'a' - 'A';
            return ch > 0x20 && ch < 0x7F ? KEY_ALT | ch : 0;
        }
        switch (ch) {
        case kByteCtrlC:
            return kCtrlC;
        case kByteBackspace:
        case kByteDelete:
            return KEY_BS;
        case kByteTab:
            return KEY_TAB;
        case kByteLineFeed:
        case kByteReturn:
            return KEY_ENTER;
        case kByteEscape:
            return KEY_ESC;
        case kByteCtrlUnderscore: // readline's undo (Ctrl+/ sends it too): the host's Alt+BS
            return KEY_ALT | KEY_BS;
        default:
            break;
        }
        if (ch >= kByteCtrlA && ch <= kByteCtrlZ)
            return KEY_CTRL | ('A' + ch - kByteCtrlA);
        if (ch < 0x20 || ch > 0xFF)
            return 0;
        return ch; // the host's 8-bit character, 0x80 and above included
    }
    if (key.kind != InputKey::Kind::Named)
        return 0;
    int base = NamedKey(key.code);
    if (base == 0)
        return 0;
    return base | (key.shift ? KEY_SHIFT : 0) | (key.ctrl ? KEY_CTRL : 0) | (key.alt ? KEY_ALT : 0);
}

int TerminalFrontEnd::NamedKey(int code) {
    if (code >= InputKey::F1 && code < InputKey::F1 + 12)
        return KEY_F1 + (code - InputKey::F1);
    switch (code) {
    case InputKey::Up:
        return KEY_UP;
    case InputKey::Down:
        return KEY_DOWN;
    case InputKey::Left:
        return KEY_LEFT;
    case InputKey::Right:
        return KEY_RIGHT;
    case InputKey::Home:
        return KEY_HOME;
    case InputKey::End:
        return KEY_END;
    case InputKey::PageUp:
        return KEY_PGUP;
    case InputKey::PageDown:
        return KEY_PGDN;
    case InputKey::Insert:
        return KEY_INS;
    case InputKey::Delete:
        return KEY_DEL;
    case InputKey::Backspace:
        return KEY_BS;
    case InputKey::Enter:
        return KEY_ENTER;
    case InputKey::BackTab:
        return KEY_SHIFTTAB;
    case InputKey::KeypadPlus:
        return KEY_ADD;
    case InputKey::KeypadMinus:
        return KEY_SUBTRACT;
    case InputKey::KeypadStar:
        return KEY_MULTIPLY;
    case InputKey::KeypadSlash:
        return KEY_DIVIDE;
    case InputKey::KeypadEnter:
        return KEY_NUMENTER;
    case InputKey::CtrlUp:
        return KEY_CTRL | KEY_UP;
    case InputKey::CtrlDown:
        return KEY_CTRLDOWN;
    default:
        return 0;
    }
}

void TerminalFrontEnd::Run(Dialog& dialog) {
    try {
        Loop(dialog);
    } catch (...) {
        failure_ = std::current_exception();
    }
    if (!dialog.Closed())
        dialog.ForceClose(-1);
}

// Ctrl+C and SIGINT: the key goes to the procedure first; unless it takes it, the dialog closes
// as with Esc.
void TerminalFrontEnd::Interrupt(Dialog& dialog) {
    if (!dialog.Key(kCtrlC) && !dialog.Closed())
        dialog.Close(-1);
}

void TerminalFrontEnd::Loop(Dialog& dialog) {
    while (!dialog.Closed()) {
        bool fits = Draw(dialog);
        terminal_.Flush();
        if (options_.crashAfterDrawing && fits && !crashed_) {
            crashed_ = true;
            std::raise(SIGSEGV);
        }
        InputKey input = terminal_.ReadKey(-1);
        switch (input.kind) {
        case InputKey::Kind::Hangup:
            hung_up_ = true;
            dialog.ForceClose(-1);
            return;
        case InputKey::Kind::Interrupt:
            Interrupt(dialog);
            continue;
        case InputKey::Kind::None:
        case InputKey::Kind::Resize:
            continue;
        case InputKey::Kind::Paste:
            // Text, whatever it holds: its line ends and tabs never act as Enter or Tab.
            if (fits)
                dialog.Paste(input.text);
            continue;
        default:
            break;
        }
        int key = HostKey(input);
        if (key == 0)
            continue;
        if (key == kCtrlZ) {
            // The terminal's suspend key, as in every terminal program (the host's undo, Ctrl+Z,
            // is Alt+Backspace here).
            terminal_.Suspend();
            continue;
        }
        // While the terminal is too small the dialog cannot be seen: only closing it works.
        if (!fits && key != KEY_ESC && key != KEY_F10 && key != kCtrlC)
            continue;
        if (key == kCtrlC) {
            Interrupt(dialog);
            continue;
        }
        int focus = dialog.Focus();
        bool used = dialog.Key(key);
        if (std::optional<std::string> copied = dialog.TakeCopied())
            terminal_.CopyToClipboard(*copied);
        if (dialog.Closed())
            break;
        Outcome outcome = Outcome::Back;
        if (std::optional<std::string> topic = dialog.TakeHelpRequest())
            outcome = ShowHelp(*topic);
        else if (!used && key == KEY_CTRLDOWN && focus == dialog.Focus())
            outcome = ShowHistory(dialog, focus);
        if (outcome == Outcome::Hangup) {
            hung_up_ = true;
            dialog.ForceClose(-1);
            return;
        }
        if (outcome == Outcome::Interrupt)
            Interrupt(dialog);
    }
}

TerminalFrontEnd::Cell TerminalFrontEnd::Origin(const Dialog& dialog) const {
    const DialogGeometry& geometry = dialog.Geometry();
    if (!geometry.centred)
        return {geometry.x1, geometry.y1};
    return {(terminal_.Columns() - geometry.Width()) / 2,
            (terminal_.Rows() - geometry.Height()) / 2};
}

bool TerminalFrontEnd::Draw(Dialog& dialog) {
    const DialogGeometry& geometry = dialog.Geometry();
    int width = geometry.Width(), height = geometry.Height();
    int columns = terminal_.Columns(), rows = terminal_.Rows();
    terminal_.Clear(kScreen);
    terminal_.HideCursor();
    auto [x0, y0] = Origin(dialog);
    if (x0 < 0 || y0 < 0 || x0 + width > columns || y0 + height > rows) {
        DrawTooSmall(width, height);
        return false;
    }
    Fill(terminal_, x0, y0, x0 + width - 1, y0 + height - 1, kDialog);
    DrawItems(dialog, x0, y0);
    return true;
}

void TerminalFrontEnd::DrawTooSmall(int width, int height) {
    int columns = terminal_.Columns(), rows = terminal_.Rows();
    std::string text = Text(HostText::TooSmall);
    const std::pair<const char*, int> kNumbers[] = {
        {"{1}", columns}, {"{2}", rows}, {"{3}", width}, {"{4}", height}};
    for (const auto& [mark, number] : kNumbers)
        text.replace(text.find(mark), std::strlen(mark), std::to_string(number));
    std::vector<std::string> lines = WrapWords(text, std::min(columns, kTooSmallTextWidth));
    int top = std::max((rows - static_cast<int>(lines.size())) / 2, 0);
    for (std::size_t i = 0; i < lines.size(); ++i)
        terminal_.Put(std::max((columns - Length(lines[i])) / 2, 0), top + static_cast<int>(i),
                      lines[i], kScreen);
}

void TerminalFrontEnd::DrawItems(Dialog& dialog, int x0, int y0) {
    int width = dialog.Geometry().Width();
    std::map<int, int> centred = CentredColumns(dialog, width);
    for (int i = 0; i < dialog.ItemCount(); ++i) {
        const FarDialogItem& item = dialog.Item(i);
        if ((item.Flags & DIF_HIDDEN) != 0)
            continue;
        bool ownColour = (item.Flags & DIF_SETCOLOR) != 0;
        Attribute colour = ownColour ? static_cast<Attribute>(item.Flags & DIF_COLORMASK) : kDialog;
        auto at = centred.find(i);
        int x = x0 + (at != centred.end() ? at->second : item.X1);
        int y = y0 + item.Y1;
        switch (item.Type) {
        case DI_DOUBLEBOX:
        case DI_SINGLEBOX:
            DrawBox(terminal_, x0 + item.X1, y, x0 + item.X2, y0 + item.Y2,
                    item.Type == DI_DOUBLEBOX, colour);
            DrawTitle(terminal_, x0 + item.X1, x0 + item.X2, y, item.Data, colour);
            break;
        case DI_TEXT:
            if ((item.Flags & DIF_SEPARATOR) != 0) {
                // Across the box that holds the row, joining its edges; across the whole dialog
                // when no box does.
                int left = x0, right = x0 + width - 1;
                Glyph leftEnd = Glyph::Horizontal, rightEnd = Glyph::Horizontal;
                for (const FarDialogItem& box : dialog.Items()) {
                    if (IsBox(box.Type) && box.Y1 < item.Y1 && item.Y1 < box.Y2) {
                        left = x0 + box.X1;
                        right = x0 + box.X2;
                        bool twin = box.Type == DI_DOUBLEBOX;
                        leftEnd = twin ? Glyph::DoubleTeeRight : Glyph::TeeRight;
                        rightEnd = twin ? Glyph::DoubleTeeLeft : Glyph::TeeLeft;
                        break;
                    }
                }
                terminal_.PutGlyph(left, y, leftEnd, 1, colour);
                terminal_.PutGlyph(left + 1, y, Glyph::Horizontal, right - left - 1, colour);
                terminal_.PutGlyph(right, y, rightEnd, 1, colour);
                DrawTitle(terminal_, left, right, y, item.Data, colour);
                break;
            }
            {
                std::string text = Shown(item.Data);
                if (at == centred.end() && item.X2 > item.X1)
                    text = text.substr(0, static_cast<std::size_t>(item.X2 - item.X1 + 1));
                terminal_.Put(x, y, text, colour);
            }
            break;
        case DI_VTEXT: {
            std::string text = Shown(item.Data);
            for (int k = 0; k < Length(text); ++k)
                terminal_.Put(x, y + k, text.substr(static_cast<std::size_t>(k), 1), colour);
            break;
        }
        case DI_EDIT:
        case DI_FIXEDIT:
        case DI_PSWEDIT:
            DrawEdit(dialog, i, x0, y0);
            break;
        case DI_BUTTON: {
            bool focused = dialog.Focus() == i;
            terminal_.Put(x, y, ButtonText(item),
                          focused ? kButtonFocused : (ownColour ? colour : kDialog));
            break;
        }
        default:
            break; // types this host does not serve
        }
    }
}

void TerminalFrontEnd::DrawEdit(Dialog& dialog, int item, int x0, int y0) {
    const FarDialogItem& record = dialog.Item(item);
    int width = dialog.Width(item);
    // The line's own window: it keeps its scroll when its text is written, as the host's does.
    std::string window = dialog.Window(item);
    std::string shown = record.Type == DI_PSWEDIT ? std::string(window.size(), '*') : Shown(window);
    bool focused = dialog.Focus() == item;
    bool readOnly = dialog.IsReadOnly(item);
    int cursor = dialog.Cursor(item) - dialog.Scroll(item);

    Attribute field = readOnly ? kReadOnly : kEdit;
    if ((record.Flags & DIF_SETCOLOR) != 0)
        field = static_cast<Attribute>(record.Flags & DIF_COLORMASK);
    // An unchanged field shows its text as selected while it has the focus: the first key typed
    // replaces it.
    Attribute textColour = focused && !readOnly && dialog.Unchanged(item) ? kEditSelected : field;
    int x = x0 + record.X1, y = y0 + record.Y1;
    terminal_.Put(x, y, std::string(static_cast<std::size_t>(width), ' '), field);
    terminal_.Put(x, y, shown, textColour);
    // A selection (Shift with the moving keys) shows as the unchanged text does.
    // Cut in host characters (one a cell) before converting, so a character of several bytes in
    // the locale's set is never split.
    auto [first, last] = dialog.Selection(item);
    int offset = dialog.Scroll(item);
    first = std::max(first, offset);
    last = std::min(last, offset + static_cast<int>(window.size()));
    if (focused && first < last) {
        std::string part = window.substr(static_cast<std::size_t>(first - offset),
                                         static_cast<std::size_t>(last - first));
        terminal_.Put(x + first - offset, y,
                      record.Type == DI_PSWEDIT ? std::string(part.size(), '*') : Shown(part),
                      kEditSelected);
    }
    if ((record.Flags & DIF_HISTORY) != 0 && !readOnly)
        terminal_.PutGlyph(x + width, y, Glyph::ArrowDown, 1, kDialog);
    if (focused)
        terminal_.ShowCursor(x + cursor, y);
}

std::optional<TerminalFrontEnd::Outcome> TerminalFrontEnd::PopupEnd(const InputKey& key) const {
    switch (key.kind) {
    case InputKey::Kind::Hangup:
        return Outcome::Hangup;
    case InputKey::Kind::Interrupt:
        return Outcome::Interrupt;
    default:
        break;
    }
    int code = HostKey(key);
    if (code == kCtrlC)
        return Outcome::Interrupt;
    if (code == KEY_ESC || code == KEY_F10)
        return Outcome::Back;
    return std::nullopt;
}

std::optional<TerminalFrontEnd::Outcome> TerminalFrontEnd::PopupKey(int& code) {
    terminal_.Flush();
    InputKey key = terminal_.ReadKey(-1);
    code = HostKey(key);
    return PopupEnd(key);
}

namespace {
// A position in a list moved by a key: Up and Down by one, PgUp and PgDn by a page, Home to
// 0 and End to last. The caller keeps it in range.
int Moved(int code, int position, int page, int last) {
    switch (code) {
    case KEY_UP:
        return position - 1;
    case KEY_DOWN:
        return position + 1;
    case KEY_PGUP:
        return position - page;
    case KEY_PGDN:
        return position + page;
    case KEY_HOME:
        return 0;
    case KEY_END:
        return last;
    default:
        return position;
    }
}
} // namespace

TerminalFrontEnd::Outcome TerminalFrontEnd::ShowMessage(const std::string& title,
                                                        const std::string& text) {
    for (;;) {
        int columns = terminal_.Columns(), rows = terminal_.Rows();
        int margins = 2 * kMessageMargin;
        std::vector<std::string> lines =
            WrapWords(Shown(text), std::min(columns, kMessageMaxWidth) - margins);
        int width = margins;
        for (const std::string& line : lines)
            width = std::max(width, Length(line) + margins);
        int height = static_cast<int>(lines.size()) + 4;
        int left = std::max((columns - width) / 2, 0), top = std::max((rows - height) / 2, 0);
        terminal_.Clear(kScreen);
        terminal_.HideCursor();
        Fill(terminal_, left, top, left + width - 1, top + height - 1, kDialog);
        DrawBox(terminal_, left + 1, top, left + width - 2, top + height - 1, true, kDialog);
        DrawTitle(terminal_, left + 1, left + width - 2, top, title, kDialog);
        for (std::size_t i = 0; i < lines.size(); ++i)
            terminal_.Put(left + kMessageMargin, top + 2 + static_cast<int>(i), lines[i], kDialog);
        int code = 0;
        if (std::optional<Outcome> end = PopupKey(code))
            return *end;
        if (code == KEY_ENTER || code == KEY_NUMENTER)
            return Outcome::Back;
    }
}

// A help topic rendered for one width, its title area apart from the lines that scroll.
struct TerminalFrontEnd::HelpPage {
    int width = -1;
    std::vector<HelpLine> title, body;
};

void TerminalFrontEnd::RenderHelp(const std::string& topic, int width, HelpPage& page) {
    if (page.width == width)
        return;
    page = HelpPage{width, {}, {}};
    for (HelpLine& line : RenderHelpTopic(*help_, topic, width))
        (line.title ? page.title : page.body).push_back(std::move(line));
}

void TerminalFrontEnd::DrawHelpLine(const HelpLine& line, int x, int y, int width) {
    std::string text = Shown(line.text).substr(0, static_cast<std::size_t>(width));
    for (std::size_t k = 0; k < text.size(); ++k) {
        char mark = k < line.marks.size() ? line.marks[k] : ' ';
        Attribute attr = mark == '#' ? kHelpHighlight : mark == '~' ? kHelpLink : kHelp;
        terminal_.Put(x + static_cast<int>(k), y, text.substr(k, 1), attr);
    }
}

// The help window over the whole height: frame, title area, a rule under it, and the body's
// lines from top on (kept within the body), with arrows when there is more above or below.
// Returns the body's rows: a page.
int TerminalFrontEnd::DrawHelp(const HelpPage& page, int left, int width, int& top) {
    int height = terminal_.Rows();
    int bodyTop = 1 + static_cast<int>(page.title.size()) + (page.title.empty() ? 0 : 1);
    int rows = std::max(height - 1 - bodyTop, 1);
    int count = static_cast<int>(page.body.size());
    top = std::clamp(top, 0, std::max(count - rows, 0));
    terminal_.Clear(kScreen);
    terminal_.HideCursor();
    Fill(terminal_, left, 0, left + width - 1, height - 1, kHelp);
    DrawBox(terminal_, left, 0, left + width - 1, height - 1, true, kHelp);
    DrawTitle(terminal_, left, left + width - 1, 0, Text(HostText::Help), kHelp);
    for (std::size_t k = 0; k < page.title.size(); ++k)
        DrawHelpLine(page.title[k], left + 2, 1 + static_cast<int>(k), page.width);
    if (!page.title.empty()) {
        int y = 1 + static_cast<int>(page.title.size());
        terminal_.PutGlyph(left, y, Glyph::DoubleTeeRight, 1, kHelp);
        terminal_.PutGlyph(left + 1, y, Glyph::Horizontal, width - 2, kHelp);
        terminal_.PutGlyph(left + width - 1, y, Glyph::DoubleTeeLeft, 1, kHelp);
    }
    for (int k = 0; k < rows && top + k < count; ++k)
        DrawHelpLine(page.body[static_cast<std::size_t>(top + k)], left + 2, bodyTop + k,
                     page.width);
    if (top > 0)
        terminal_.PutGlyph(left + width - 1, bodyTop, Glyph::ArrowUp, 1, kHelp);
    if (top + rows < count)
        terminal_.PutGlyph(left + width - 1, height - 2, Glyph::ArrowDown, 1, kHelp);
    return rows;
}

TerminalFrontEnd::Outcome TerminalFrontEnd::ShowHelp(const std::string& topic) {
    HelpPage page;
    try {
        if (!help_)
            help_ =
                ReadHelpFile(ChooseLanguageFile(options_.helpFolder, ".hlf", options_.language));
    } catch (const HostError& error) {
        return ShowMessage(Text(HostText::Help), error.what());
    }
    int top = 0; // first body line shown
    for (;;) {
        int columns = terminal_.Columns();
        int width = std::min(columns, kHelpMaxWidth);
        int code = 0;
        if (width < kHelpMinWidth || terminal_.Rows() < kHelpMinHeight) {
            terminal_.Clear(kScreen);
            std::vector<std::string> lines = WrapWords(Text(HostText::HelpTooSmall), columns);
            for (std::size_t i = 0; i < lines.size(); ++i)
                terminal_.Put(0, static_cast<int>(i), lines[i], kScreen);
            if (std::optional<Outcome> end = PopupKey(code))
                return *end;
            continue;
        }
        try {
            RenderHelp(topic, width - 4, page);
        } catch (const HostError& error) {
            return ShowMessage(Text(HostText::Help), error.what());
        }
        int rows = DrawHelp(page, (columns - width) / 2, width, top);
        if (std::optional<Outcome> end = PopupKey(code))
            return *end;
        top = Moved(code, top, rows, static_cast<int>(page.body.size()));
    }
}

TerminalFrontEnd::Outcome TerminalFrontEnd::ShowHistory(Dialog& dialog, int item) {
    if (options_.history == nullptr || !dialog.IsEditField(item) || dialog.IsReadOnly(item) ||
        dialog.HistoryName(item).empty())
        return Outcome::Back;
    std::vector<std::string> entries = options_.history->Entries(dialog.HistoryName(item));
    if (entries.empty())
        return Outcome::Back;
    int count = static_cast<int>(entries.size());
    int chosen = count - 1; // the newest, at the bottom
    int first = 0;
    for (;;) {
        int code = 0;
        if (!Draw(dialog)) {
            if (std::optional<Outcome> end = PopupKey(code))
                return *end;
            continue;
        }
        const FarDialogItem& field = dialog.Item(item);
        int rows = terminal_.Rows();
        auto [x0, y0] = Origin(dialog);
        int shown = std::min({count, kHistoryRows, std::max(rows - 2, 1)});
        int left = x0 + field.X1 - 1, right = x0 + field.X2 + 1;
        int top = y0 + field.Y1 + 1; // below the field, or above it when there is no room
        if (top + shown + 1 >= rows)
            top = std::max(y0 + field.Y1 - shown - 2, 0);
        first = std::clamp(first, std::max(chosen - shown + 1, 0), chosen);

        terminal_.HideCursor();
        Fill(terminal_, left, top, right, top + shown + 1, kMenu);
        DrawBox(terminal_, left, top, right, top + shown + 1, true, kMenu);
        DrawTitle(terminal_, left, right, top, Text(HostText::History), kMenu);
        int inner = right - left - 1;
        for (int k = 0; k < shown && first + k < count; ++k) {
            int index = first + k;
            std::string text(1, ' ');
            text += Shown(entries[static_cast<std::size_t>(index)]);
            text.resize(static_cast<std::size_t>(std::max(inner, 0)), ' ');
            terminal_.Put(left + 1, top + 1 + k, text, index == chosen ? kMenuSelected : kMenu);
        }

        if (std::optional<Outcome> end = PopupKey(code))
            return *end;
        if (code == KEY_ENTER || code == KEY_NUMENTER) {
            // As if the user had typed the entry: one change, the procedure hears of it.
            dialog.EditText(item, entries[static_cast<std::size_t>(chosen)]);
            return Outcome::Back;
        }
        chosen = std::clamp(Moved(code, chosen, shown, count - 1), 0, count - 1);
    }
}

} // namespace numo::console
