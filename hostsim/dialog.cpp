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
      unchanged_(items_.size(), false), cursor_(items_.size(), 0), texts_(items_.size()),
      scroll_(items_.size(), 0), max_length_(items_.size(), -1), proc_(proc),
      help_topic_(std::move(helpTopic)), geometry_(geometry), history_(history),
      recorder_(recorder) {
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
    texts_[index] = std::move(text);
    KeepCursorInSight(item, true);
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
} // namespace

bool Dialog::EditKey(int item, int key) {
    key = TypedKey(key);
    if (IsPrintable(key)) {
        TypeChar(item, static_cast<char>(key));
        return true;
    }
    switch (key) {
    case KEY_LEFT:
    case KEY_RIGHT:
    case KEY_HOME:
    case KEY_END:
        MoveCursor(item, key);
        return true;
    case KEY_BS:
    case KEY_DEL:
    case KEY_NUMDEL:
    case KEY_CTRLY:
        DeleteKey(item, key);
        return true;
    default:
        return false;
    }
}

void Dialog::TypeChar(int item, char ch) {
    if (IsReadOnly(item))
        return; // taken, and nothing happens
    std::size_t index = static_cast<std::size_t>(item);
    std::string edited = Text(item);
    int cursor = cursor_[index];
    if (unchanged_[index]) {
        edited = std::string(1, ch); // the first key replaces the whole text
        cursor = 1;
    } else {
        if (!Fits(item, edited.size() + 1))
            return; // the field is full
        edited.insert(static_cast<std::size_t>(cursor), 1, ch);
        ++cursor;
    }
    ApplyEdit(item, edited, cursor);
}

void Dialog::MoveCursor(int item, int key) {
    std::size_t index = static_cast<std::size_t>(item);
    int& cursor = cursor_[index];
    int length = static_cast<int>(Text(item).size());
    unchanged_[index] = false;
    if (key == KEY_LEFT)
        cursor = std::max(cursor - 1, 0);
    else if (key == KEY_RIGHT)
        cursor = std::min(cursor + 1, length);
    else
        cursor = key == KEY_HOME ? 0 : length;
    KeepCursorInSight(item, true);
}

void Dialog::DeleteKey(int item, int key) {
    if (IsReadOnly(item))
        return;
    std::size_t index = static_cast<std::size_t>(item);
    std::string edited = Text(item);
    int cursor = cursor_[index];
    if (unchanged_[index] || key == KEY_CTRLY) {
        edited.clear(); // the whole unchanged text goes, as a selection would
        cursor = 0;
    } else if (key == KEY_BS) {
        if (cursor == 0)
            return;
        edited.erase(static_cast<std::size_t>(--cursor), 1);
    } else {
        if (static_cast<std::size_t>(cursor) >= edited.size())
            return;
        edited.erase(static_cast<std::size_t>(cursor), 1);
    }
    ApplyEdit(item, edited, cursor);
}

void Dialog::ApplyEdit(int item, const std::string& edited, int cursor) {
    std::size_t index = static_cast<std::size_t>(item);
    unchanged_[index] = false;
    // The same text (an unchanged "5" replaced by "5"): no change for the procedure to hear of.
    bool changed = edited != Text(item);
    if (changed)
        SetText(item, edited);
    cursor_[index] = cursor;
    KeepCursorInSight(item, true);
    if (changed)
        EditChanged(item);
}

} // namespace numo::hostsim
