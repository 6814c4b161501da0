// The stand-in host's dialog model: items, focus, edit fields, keys and events.
#include "hostsim/dialog.h"

#include "hostsim/recorder.h"

#include <algorithm>
#include <cstring>

namespace numo::hostsim {

namespace {
std::vector<Dialog*>& LiveDialogs() {
    static std::vector<Dialog*> dialogs;
    return dialogs;
}

bool IsPrintable(int key) {
    return key >= 0x20 && key <= 0xFF && key != 0x7F;
}

void CopyText(FarDialogItem& item, std::string_view text) {
    std::size_t length = std::min<std::size_t>(text.size(), Dialog::kMaxTextLength);
    std::memcpy(item.Data, text.data(), length);
    item.Data[length] = '\0';
}
} // namespace

std::optional<std::string> HistoryStore::Last(const std::string& name) const {
    std::vector<std::string> entries = Entries(name);
    if (entries.empty())
        return std::nullopt;
    return entries.back();
}

std::vector<std::string> MemoryHistory::Entries(const std::string& name) const {
    auto it = lists_.find(name);
    return it == lists_.end() ? std::vector<std::string>{} : it->second;
}

void MemoryHistory::Add(const std::string& name, const std::string& text) {
    std::vector<std::string>& list = lists_[name];
    list.erase(std::remove(list.begin(), list.end(), text), list.end());
    list.push_back(text);
}

Dialog::Dialog(const FarDialogItem* items, int count, FARWINDOWPROC proc, std::string helpTopic,
               DialogGeometry geometry, HistoryStore* history, CallRecorder* recorder)
    : items_(items, items + std::max(count, 0)), history_names_(items_.size()),
      unchanged_(items_.size(), false), cursor_(items_.size(), 0), anchor_(items_.size(), -1),
      undo_(items_.size()), texts_(items_.size()), scroll_(items_.size(), 0),
      max_length_(items_.size(), -1), proc_(proc), help_topic_(std::move(helpTopic)),
      geometry_(geometry), history_(history), recorder_(recorder) {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        FarDialogItem& item = items_[i];
        item.Data[kMaxTextLength] = '\0'; // never read past the record, whatever the module gave
        texts_[i] = item.Data;
        if (IsEditField(static_cast<int>(i))) {
            if ((item.Flags & DIF_HISTORY) && item.History != nullptr)
                history_names_[i] = item.History;
            unchanged_[i] = true;
            cursor_[i] = static_cast<int>(texts_[i].size());
            KeepCursorInSight(static_cast<int>(i), true);
        }
    }
    LiveDialogs().push_back(this);
}

Dialog::~Dialog() {
    auto& live = LiveDialogs();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

Dialog* Dialog::FromHandle(HANDLE handle) {
    for (Dialog* dialog : LiveDialogs()) {
        if (dialog->Handle() == handle)
            return dialog;
    }
    return nullptr;
}

bool Dialog::IsEditField(int item) const {
    if (!ValidItem(item))
        return false;
    int type = Item(item).Type;
    return type == DI_EDIT || type == DI_FIXEDIT || type == DI_PSWEDIT;
}

bool Dialog::IsReadOnly(int item) const {
    return IsEditField(item) && (Item(item).Flags & DIF_READONLY) != 0;
}

bool Dialog::CanFocus(int item) const {
    if (!ValidItem(item))
        return false;
    const FarDialogItem& it = Item(item);
    if (it.Flags & (DIF_DISABLE | DIF_HIDDEN | DIF_NOFOCUS))
        return false;
    return IsEditField(item) || it.Type == DI_BUTTON;
}

int Dialog::Width(int item) const {
    const FarDialogItem& record = Item(item);
    return std::max(record.X2 - record.X1 + 1, 1);
}

std::string Dialog::Window(int item) const {
    const std::string& text = texts_.at(static_cast<std::size_t>(item));
    std::size_t from = std::min(static_cast<std::size_t>(Scroll(item)), text.size());
    return text.substr(from, static_cast<std::size_t>(Width(item)));
}

void Dialog::KeepCursorInSight(int item, bool fitText) {
    std::size_t index = static_cast<std::size_t>(item);
    int cursor = cursor_[index], width = Width(item);
    int& scroll = scroll_[index];
    if (cursor < scroll)
        scroll = cursor;
    if (cursor >= scroll + width)
        scroll = cursor - width + 1;
    if (fitText) {
        int length = static_cast<int>(texts_[index].size());
        scroll = length < width ? 0 : std::min(scroll, length - width + 1);
    }
}

bool Dialog::Fits(int item, std::size_t length) const {
    int limit = MaxTextLength(item);
    return limit < 0 || length <= static_cast<std::size_t>(limit);
}

int Dialog::DefaultButton() const {
    for (int i = 0; i < ItemCount(); ++i) {
        if (Item(i).DefaultButton != 0)
            return i;
    }
    return -1;
}

std::optional<std::string> Dialog::TakeHelpRequest() {
    std::optional<std::string> topic = std::move(help_request_);
    help_request_.reset();
    return topic;
}

void Dialog::Open(LONG_PTR param) {
    for (int i = 0; i < ItemCount(); ++i) {
        FarDialogItem& item = items_[static_cast<std::size_t>(i)];
        DWORD lastHistory = DIF_HISTORY | DIF_USELASTHISTORY;
        if (IsEditField(i) && (item.Flags & lastHistory) == lastHistory && item.Data[0] == '\0' &&
            history_ != nullptr && !history_names_[static_cast<std::size_t>(i)].empty()) {
            if (auto last = history_->Last(history_names_[static_cast<std::size_t>(i)]))
                SetText(i, *last);
        }
    }
    int first = -1;
    for (int i = 0; i < ItemCount() && focus_ < 0; ++i) {
        if (CanFocus(i) && Item(i).Focus != 0)
            focus_ = i;
        if (first < 0 && CanFocus(i))
            first = i;
    }
    FocusItem(focus_ >= 0 ? focus_ : first);
    CallProc(DN_INITDIALOG, 0, param);
}

LONG_PTR Dialog::CallProc(int msg, int param1, LONG_PTR param2) {
    if (CallRecorder* recorder = Recording(recorder_))
        recorder->Add(DialogCall(Service::Event, msg, param1, param2));
    if (proc_ == nullptr)
        return DefaultProcessing(msg, param1, param2);
    return proc_(Handle(), msg, param1, param2);
}

LONG_PTR Dialog::DefaultProcessing(int msg, int param1, LONG_PTR param2) {
    (void)param1;
    switch (msg) {
    case DN_INITDIALOG:
    case DN_CLOSE:      // closing is allowed
    case DN_EDITCHANGE: // the change stands
    case DN_HOTKEY:
    case DN_DRAWDIALOG:
    case DN_RESIZECONSOLE:
        return 1;
    case DN_KILLFOCUS: // the focus may leave
        return -1;
    case DN_HELP: // show the topic asked for
    case DN_CTLCOLORDIALOG:
    case DN_CTLCOLORDLGITEM:
        return param2;
    default: // DN_KEY among them: not handled, the host does its default
        return 0;
    }
}

LONG_PTR Dialog::Send(int msg, int param1, LONG_PTR param2) {
    switch (msg) {
    case DM_GETDLGITEM: {
        if (!ValidItem(param1) || param2 == 0)
            return 0;
        std::memcpy(reinterpret_cast<FarDialogItem*>(param2), &Item(param1), sizeof(FarDialogItem));
        return 1;
    }
    case DM_SETDLGITEM: {
        if (!ValidItem(param1) || param2 == 0)
            return 0;
        FarDialogItem& item = items_[static_cast<std::size_t>(param1)];
        bool textChanged =
            std::strncmp(item.Data, reinterpret_cast<const FarDialogItem*>(param2)->Data,
                         kItemTextSize) != 0;
        std::memcpy(&item, reinterpret_cast<const FarDialogItem*>(param2), sizeof item);
        item.Data[kMaxTextLength] = '\0';
        item.Focus = param1 == focus_; // the focus is the dialog's, not the record's
        std::size_t index = static_cast<std::size_t>(param1);
        if (textChanged || texts_[index].size() > static_cast<std::size_t>(kMaxTextLength))
            texts_[index] = item.Data;
        int length = static_cast<int>(texts_[index].size());
        int& cursor = cursor_[index];
        cursor = textChanged ? length : std::min(cursor, length);
        if (IsEditField(param1))
            KeepCursorInSight(param1, false); // from where the scroll stood
        return 1;
    }
    case DM_SETMAXTEXTLENGTH: {
        if (!IsEditField(param1))
            return 0;
        int& limit = max_length_[static_cast<std::size_t>(param1)];
        int previous = limit;
        limit = param2 > 0 ? static_cast<int>(param2) : -1;
        return previous;
    }
    case DM_GETCURSORPOS:
    case DM_SETCURSORPOS: {
        if (!IsEditField(param1) || param2 == 0)
            return 0;
        COORD* position = reinterpret_cast<COORD*>(param2);
        int& cursor = cursor_[static_cast<std::size_t>(param1)];
        if (msg == DM_GETCURSORPOS) {
            *position = COORD{static_cast<SHORT>(cursor), 0};
            return 1;
        }
        cursor = std::clamp<int>(position->X, 0, static_cast<int>(Text(param1).size()));
        KeepCursorInSight(param1, false);
        return 1;
    }
    case DM_SETFOCUS:
        if (!CanFocus(param1))
            return 0;
        FocusItem(param1);
        return 1;
    case DM_GETFOCUS:
        return focus_;
    case DM_REDRAW:
        ++redraws_;
        return 1;
    case DM_CLOSE:
        return Close(param1) ? 1 : 0;
    case DM_EDITUNCHANGEDFLAG: {
        if (!IsEditField(param1))
            return -1;
        bool previous = unchanged_[static_cast<std::size_t>(param1)];
        if (param2 == 0 || param2 == 1)
            unchanged_[static_cast<std::size_t>(param1)] = param2 == 1;
        return previous ? 1 : 0;
    }
    default:
        // Events for the procedure itself. The current host's layer passes on DN_BTNCLICK and
        // the module's own messages above DM_USER; every other DN_* it knows no translation for
        // becomes message 0, which the procedure receives instead.
        if (msg == DN_BTNCLICK || msg > DM_USER)
            return CallProc(msg, param1, param2);
        if (msg > DN_BTNCLICK && msg <= DM_USER)
            return CallProc(0, param1, param2);
        return 0;
    }
}

void Dialog::FocusItem(int item) {
    if (ValidItem(focus_))
        items_[static_cast<std::size_t>(focus_)].Focus = 0;
    focus_ = item;
    if (ValidItem(focus_))
        items_[static_cast<std::size_t>(focus_)].Focus = 1;
}

bool Dialog::SetFocus(int item) {
    if (!CanFocus(item))
        return false;
    FocusItem(item);
    return true;
}

void Dialog::SetText(int item, std::string text) {
    std::size_t index = static_cast<std::size_t>(item);
    CopyText(items_[index], text); // the module's record holds the first 511 characters
    cursor_[index] = static_cast<int>(text.size());
    anchor_[index] = -1;
    texts_[index] = std::move(text);
    KeepCursorInSight(item, true);
}

std::pair<int, int> Dialog::Selection(int item) const {
    if (!IsEditField(item))
        return {0, 0};
    std::size_t index = static_cast<std::size_t>(item);
    int length = static_cast<int>(Text(item).size());
    int cursor = std::min(cursor_[index], length);
    if (anchor_[index] < 0)
        return {cursor, cursor};
    int anchor = std::min(anchor_[index], length);
    return {std::min(anchor, cursor), std::max(anchor, cursor)};
}

std::string& Dialog::Clipboard() {
    static std::string clipboard;
    return clipboard;
}

std::optional<std::string> Dialog::TakeCopied() {
    std::optional<std::string> text = std::move(copied_);
    copied_.reset();
    return text;
}

bool Dialog::Paste(std::string_view text) {
    if (closed_ || !IsEditField(focus_) || IsReadOnly(focus_))
        return false;
    std::string kept;
    for (char ch : text) {
        if (IsPrintable(static_cast<unsigned char>(ch)))
            kept += ch;
    }
    std::string before = Text(focus_);
    auto [first, last] = Selection(focus_);
    if (unchanged_[static_cast<std::size_t>(focus_)]) {
        first = 0;
        last = static_cast<int>(before.size());
    }
    Replace(focus_, first, last, kept);
    return before != Text(focus_);
}

void Dialog::EditChanged(int item) {
    FarDialogItem copy = Item(item); // the procedure sees the changed record, not ours
    CallProc(DN_EDITCHANGE, item, reinterpret_cast<LONG_PTR>(&copy));
}

bool Dialog::EditText(int item, std::string_view text) {
    if (closed_ || !IsEditField(item) || IsReadOnly(item) || !CanFocus(item) ||
        !Fits(item, text.size()))
        return false;
    FocusItem(item);
    SetText(item, std::string(text));
    unchanged_[static_cast<std::size_t>(item)] = false;
    EditChanged(item);
    return true;
}

bool Dialog::Close(int result) {
    if (closed_)
        return true;
    if (CallProc(DN_CLOSE, result, 0) == 0)
        return false;
    ForceClose(result);
    return true;
}

void Dialog::ForceClose(int result) {
    closed_ = true;
    result_ = result;
}

void Dialog::Type(std::string_view chars) {
    for (char ch : chars) {
        if (closed_)
            return;
        Key(static_cast<unsigned char>(ch));
    }
}

bool Dialog::Key(int key) {
    if (closed_)
        return false;
    if (CallProc(DN_KEY, focus_, key) != 0)
        return true;
    if (closed_)
        return true;
    return DefaultKey(key);
}

void Dialog::MoveFocus(int step) {
    int count = ItemCount();
    for (int n = 1; n <= count; ++n) {
        int candidate = ((focus_ + step * n) % count + count) % count;
        if (CanFocus(candidate)) {
            FocusItem(candidate);
            return;
        }
    }
}

bool Dialog::DefaultKey(int key) {
    if (IsEditField(focus_) && EditKey(focus_, key))
        return true;
    bool onButton = ValidItem(focus_) && Item(focus_).Type == DI_BUTTON;
    switch (key) {
    case KEY_TAB:
    case KEY_DOWN:
        MoveFocus(1);
        return true;
    case KEY_SHIFTTAB:
    case KEY_UP:
        MoveFocus(-1);
        return true;
    case KEY_ENTER:
    case KEY_NUMENTER: {
        int button = onButton ? focus_ : DefaultButton();
        Close(button >= 0 ? button : focus_);
        return true;
    }
    case KEY_SPACE:
        if (!onButton)
            return false;
        Close(focus_);
        return true;
    case KEY_ESC:
    case KEY_F10:
        Close(-1);
        return true;
    case KEY_F1: {
        LONG_PTR topic = CallProc(DN_HELP, focus_, reinterpret_cast<LONG_PTR>(help_topic_.c_str()));
        if (topic != 0)
            help_request_ = std::string(reinterpret_cast<const char*>(topic));
        return true;
    }
    default:
        return false;
    }
}

// The keys of an edit field. Returns false for keys an edit field does not take.
namespace {
// The keypad's grey keys type their characters, as in the host's edit lines, unless the dialog
// procedure took them first; any other key stays as it is.
int TypedKey(int key) {
    switch (key) {
    case KEY_ADD:
        return '+';
    case KEY_SUBTRACT:
        return '-';
    case KEY_MULTIPLY:
        return '*';
    case KEY_DIVIDE:
        return '/';
    default:
        return key;
    }
}

// Characters of a word for the word keys: a number, a name, and any letter of the code page.
bool IsWordChar(char ch) {
    unsigned char byte = static_cast<unsigned char>(ch);
    return (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'z') ||
           (byte >= 'A' && byte <= 'Z') || byte == '.' || byte == '_' || byte >= 0x80;
}

int WordLeft(const std::string& text, int cursor) {
    while (cursor > 0 && !IsWordChar(text[static_cast<std::size_t>(cursor - 1)]))
        --cursor;
    while (cursor > 0 && IsWordChar(text[static_cast<std::size_t>(cursor - 1)]))
        --cursor;
    return cursor;
}

// The start of the next word, as the host's Ctrl+Right goes.
int WordRight(const std::string& text, int cursor) {
    int length = static_cast<int>(text.size());
    while (cursor < length && IsWordChar(text[static_cast<std::size_t>(cursor)]))
        ++cursor;
    while (cursor < length && !IsWordChar(text[static_cast<std::size_t>(cursor)]))
        ++cursor;
    return cursor;
}

constexpr int kCtrlA = KEY_CTRL | 'A', kCtrlD = KEY_CTRL | 'D', kCtrlE = KEY_CTRL | 'E';
constexpr int kCtrlK = KEY_CTRL | 'K', kCtrlS = KEY_CTRL | 'S', kCtrlU = KEY_CTRL | 'U';
constexpr int kCtrlV = KEY_CTRL | 'V', kCtrlW = KEY_CTRL | 'W', kCtrlZ = KEY_CTRL | 'Z';
constexpr int kAltB = KEY_ALT | 'B', kAltF = KEY_ALT | 'F', kAltBs = KEY_ALT | KEY_BS;
constexpr std::size_t kUndoDepth = 100; // edits an undo reaches back, per field
} // namespace

bool Dialog::EditKey(int item, int key) {
    key = TypedKey(key);
    if (IsPrintable(key)) {
        TypeChar(item, static_cast<char>(key));
        return true;
    }
    // Shift with a moving key selects from where the cursor stood.
    bool select = (key & KEY_SHIFT) != 0;
    int target = MoveTarget(item, select ? key & ~KEY_SHIFT : key);
    if (target >= 0) {
        MoveCursor(item, target, select);
        return true;
    }
    switch (key) {
    case KEY_BS:
    case KEY_DEL:
    case KEY_NUMDEL:
    case KEY_CTRLY:
    case KEY_CTRL | KEY_BS:
    case kCtrlW:
    case KEY_CTRL | KEY_DEL:
    case kCtrlK:
    case kCtrlU:
        DeleteKey(item, key);
        return true;
    case KEY_CTRL | KEY_INS:
        Copy(item);
        return true;
    case KEY_SHIFT | KEY_DEL: // cut: the selection copied, then deleted
        if (Selection(item).first != Selection(item).second) {
            Copy(item);
            DeleteKey(item, KEY_DEL);
        }
        return true;
    case KEY_SHIFT | KEY_INS:
    case kCtrlV:
        if (!IsReadOnly(item))
            Paste(Clipboard());
        return true;
    case kCtrlZ:
    case kAltBs:
        Undo(item);
        return true;
    default:
        return false;
    }
}

void Dialog::TypeChar(int item, char ch) {
    if (IsReadOnly(item))
        return; // taken, and nothing happens
    std::size_t index = static_cast<std::size_t>(item);
    int length = static_cast<int>(Text(item).size());
    auto [first, last] = Selection(item);
    if (unchanged_[index]) {
        first = 0; // the first key replaces the whole text
        last = length;
    }
    if (first == last && !Fits(item, static_cast<std::size_t>(length) + 1))
        return; // the field is full
    Replace(item, first, last, std::string_view(&ch, 1));
}

int Dialog::MoveTarget(int item, int key) const {
    const std::string text = Text(item);
    int length = static_cast<int>(text.size());
    int cursor = std::min(cursor_[static_cast<std::size_t>(item)], length);
    switch (key) {
    case KEY_LEFT:
    case kCtrlS:
        return std::max(cursor - 1, 0);
    case KEY_RIGHT:
    case kCtrlD:
        return std::min(cursor + 1, length);
    case KEY_HOME:
    case KEY_CTRL | KEY_HOME:
    case kCtrlA:
        return 0;
    case KEY_END:
    case KEY_CTRL | KEY_END:
    case kCtrlE:
        return length;
    case KEY_CTRL | KEY_LEFT:
    case kAltB:
        return WordLeft(text, cursor);
    case KEY_CTRL | KEY_RIGHT:
    case kAltF:
        return WordRight(text, cursor);
    default:
        return -1;
    }
}

void Dialog::MoveCursor(int item, int target, bool select) {
    std::size_t index = static_cast<std::size_t>(item);
    unchanged_[index] = false;
    if (!select)
        anchor_[index] = -1;
    else if (anchor_[index] < 0)
        anchor_[index] = cursor_[index];
    cursor_[index] = target;
    KeepCursorInSight(item, true);
}

void Dialog::DeleteKey(int item, int key) {
    if (IsReadOnly(item))
        return;
    std::size_t index = static_cast<std::size_t>(item);
    const std::string text = Text(item);
    int length = static_cast<int>(text.size());
    int cursor = std::min(cursor_[index], length);
    auto [first, last] = Selection(item);
    if (unchanged_[index] || key == KEY_CTRLY) {
        first = 0; // the whole unchanged text goes, as a selection would
        last = length;
    } else if (first == last) {
        switch (key) {
        case KEY_BS:
            first = std::max(cursor - 1, 0);
            break;
        case KEY_CTRL | KEY_BS:
        case kCtrlW:
            first = WordLeft(text, cursor);
            break;
        case kCtrlU:
            first = 0;
            break;
        case KEY_CTRL | KEY_DEL:
            last = WordRight(text, cursor);
            break;
        case kCtrlK:
            last = length;
            break;
        default: // Del
            last = std::min(cursor + 1, length);
            break;
        }
    }
    if (first == last)
        return;
    Replace(item, first, last, "");
}

void Dialog::Replace(int item, int first, int last, std::string_view text) {
    std::string edited = Text(item);
    int limit = MaxTextLength(item);
    if (limit >= 0) {
        int room = limit - (static_cast<int>(edited.size()) - (last - first));
        text = text.substr(0, static_cast<std::size_t>(std::max(room, 0)));
    }
    edited.replace(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first), text);
    ApplyEdit(item, edited, first + static_cast<int>(text.size()));
}

void Dialog::Copy(int item) {
    if (Item(item).Type == DI_PSWEDIT)
        return; // a password is not handed out
    auto [first, last] = Selection(item);
    std::string text = Text(item);
    if (first != last)
        text = text.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first));
    Clipboard() = text;
    copied_ = text;
}

void Dialog::Undo(int item) {
    std::size_t index = static_cast<std::size_t>(item);
    if (IsReadOnly(item) || undo_[index].empty())
        return;
    auto [text, cursor] = std::move(undo_[index].back());
    undo_[index].pop_back();
    unchanged_[index] = false;
    SetText(item, text);
    cursor_[index] = std::min(cursor, static_cast<int>(text.size()));
    EditChanged(item);
}

void Dialog::ApplyEdit(int item, const std::string& edited, int cursor) {
    std::size_t index = static_cast<std::size_t>(item);
    unchanged_[index] = false;
    anchor_[index] = -1;
    // The same text (an unchanged "5" replaced by "5"): no change for the procedure to hear of.
    bool changed = edited != Text(item);
    if (changed) {
        std::vector<std::pair<std::string, int>>& undo = undo_[index];
        undo.emplace_back(Text(item), cursor_[index]);
        if (undo.size() > kUndoDepth)
            undo.erase(undo.begin());
        SetText(item, edited);
    }
    cursor_[index] = cursor;
    KeepCursorInSight(item, true);
    if (changed)
        EditChanged(item);
}

} // namespace numo::hostsim
