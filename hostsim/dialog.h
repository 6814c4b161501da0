// The stand-in host's dialog: the item records a module hands to DialogEx, the dialog procedure,
// focus, the edit fields' state, and what the user does to it. Front ends (headless, terminal)
// drive a Dialog through its user actions and read it back; the module reaches it through
// SendDlgMessage and DefDlgProc.
//
// Host behaviour kept here, as the host has it:
// - Every edit field (DI_EDIT, DI_FIXEDIT, DI_PSWEDIT) opens in the unchanged state: the first
//   character typed replaces its whole text, and BS, Del and Ctrl+Y empty it. Clearing the state
//   (DM_EDITUNCHANGEDFLAG with 0, or a cursor key) makes typing edit at the cursor, which opens
//   at the end of the text.
// - Focus before DN_INITDIALOG: the first focusable item whose Focus is set, else the first
//   focusable item; a DM_SETFOCUS during DN_INITDIALOG wins.
// - Every change of an edit field's text by the user sends DN_EDITCHANGE (param1 the item,
//   param2 a pointer to a copy of its record) after the text changed. DM_SETDLGITEM sends none.
// - Every key reaches the dialog procedure first as DN_KEY (param1 the focused item, param2 the
//   key); only when it returns 0 does the host's default handling run.
// - Closing (Enter, Esc, F10, a button, DM_CLOSE) asks the procedure with DN_CLOSE (param1 the
//   result); a 0 answer keeps the dialog open.
// - No DN_GOTFOCUS/DN_KILLFOCUS, DN_BTNCLICK or drawing events are sent: a module that needs
//   them is not served by this host.
// - Of the events a module sends itself through SendDlgMessage, DN_BTNCLICK and messages above
//   DM_USER reach its procedure as they are; any other DN_* arrives as message 0, as the
//   current host's layer for 1.x modules passes them on.
// - An edit line takes any number of characters until DM_SETMAXTEXTLENGTH limits it; the
//   module's record holds the first 511 of them.
// - An edit line shows the part of its text that starts at its scroll position. The scroll
//   moves only as far as needed to keep the cursor in sight (room for one more character at the
//   end), also when the module writes a new text (DM_SETDLGITEM puts the cursor after a changed
//   text): a shorter text does not bring it back, DM_SETCURSORPOS does. After the user's own
//   edits the line shows as much of the text as fits.
#pragma once

#include "far/far_api.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace numo::hostsim {

class CallRecorder;

// The host's history lists, by name ("Numo\Numoline"), oldest entry first.
class HistoryStore {
public:
    virtual ~HistoryStore() = default;
    virtual std::vector<std::string> Entries(const std::string& name) const = 0;
    virtual void Add(const std::string& name, const std::string& text) = 0;
    std::optional<std::string> Last(const std::string& name) const;
};

// Kept in memory only: nothing is read or written outside the process.
class MemoryHistory : public HistoryStore {
public:
    std::vector<std::string> Entries(const std::string& name) const override;
    // An entry equal to an earlier one moves to the end instead of being listed twice.
    void Add(const std::string& name, const std::string& text) override;

private:
    std::map<std::string, std::vector<std::string>> lists_;
};

// Where the dialog stands: centred (X1 = Y1 = -1 in DialogEx, then X2, Y2 are width and height)
// or at fixed screen cells x1..x2, y1..y2.
struct DialogGeometry {
    bool centred = true;
    int x1 = -1, y1 = -1, x2 = 0, y2 = 0;
    int Width() const { return centred ? x2 : x2 - x1 + 1; }
    int Height() const { return centred ? y2 : y2 - y1 + 1; }
};

class Dialog {
public:
    static constexpr int kMaxTextLength = kItemTextSize - 1; // 511 characters

    // Takes copies of the items (each text cut to 511 characters). The procedure may be null:
    // then the host's default processing answers every event. history may be null.
    Dialog(const FarDialogItem* items, int count, FARWINDOWPROC proc, std::string helpTopic,
           DialogGeometry geometry, HistoryStore* history, CallRecorder* recorder);
    ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    HANDLE Handle() { return reinterpret_cast<HANDLE>(this); }
    // The live dialog of a handle, or null for anything else.
    static Dialog* FromHandle(HANDLE handle);

    // Opening: the last history entries of DIF_USELASTHISTORY fields, the items' focus, then
    // DN_INITDIALOG with param as param2.
    void Open(LONG_PTR param);

    // The host side of SendDlgMessage for this dialog: DM_GETDLGITEM, DM_SETDLGITEM,
    // DM_SETFOCUS, DM_GETFOCUS, DM_REDRAW, DM_CLOSE, DM_EDITUNCHANGEDFLAG, DM_SETMAXTEXTLENGTH,
    // DM_GETCURSORPOS, DM_SETCURSORPOS; an event goes to the dialog procedure before this
    // returns (as message 0 unless it is DN_BTNCLICK or above DM_USER). Anything else: 0.
    LONG_PTR Send(int msg, int param1, LONG_PTR param2);
    // The host's default processing of an event (what DefDlgProc answers).
    static LONG_PTR DefaultProcessing(int msg, int param1, LONG_PTR param2);

    // --- What a user does ---
    // One key: DN_KEY to the procedure, then, unless it returned non-zero, the default handling
    // (printable characters and the keypad's grey + - * / type into the focused edit field;
    // Left, Right, Home, End, BS, Del, Ctrl+Y edit; Tab, Shift+Tab, Up, Down move the focus;
    // Enter closes through the focused button or the default button; Space presses a focused
    // button; Esc and F10 close with -1; F1 asks for help). Returns true when the procedure or
    // the default handling used the key.
    bool Key(int key);
    // Each byte as the key of that character (so control bytes act as their keys).
    void Type(std::string_view chars);
    // Replaces an edit field's whole text as one edit (selecting all and pasting): focuses the
    // item, sets the text and sends one DN_EDITCHANGE. False (and nothing changes) for an item
    // that is no editable field or a text longer than the field's limit.
    bool EditText(int item, std::string_view text);
    // Moves the focus as a mouse click would; false for an item that cannot take it.
    bool SetFocus(int item);
    // Closes as the user would with that result (-1 = cancel); false when DN_CLOSE refused.
    bool Close(int result);
    // Closes without asking the procedure (the front end gave up).
    void ForceClose(int result);

    // --- What a front end reads ---
    int ItemCount() const { return static_cast<int>(items_.size()); }
    const FarDialogItem& Item(int item) const { return items_.at(static_cast<std::size_t>(item)); }
    const std::vector<FarDialogItem>& Items() const { return items_; }
    // The whole text: for an edit line it may be longer than the record's 511 characters.
    std::string Text(int item) const { return texts_.at(static_cast<std::size_t>(item)); }
    // The characters an edit line shows: its width of the text from its scroll position.
    std::string Window(int item) const;
    int Scroll(int item) const { return scroll_.at(static_cast<std::size_t>(item)); }
    int Width(int item) const;
    // The longest text the field takes (DM_SETMAXTEXTLENGTH); -1 for no limit.
    int MaxTextLength(int item) const { return max_length_.at(static_cast<std::size_t>(item)); }
    std::string HistoryName(int item) const {
        return history_names_.at(static_cast<std::size_t>(item));
    }
    int Focus() const { return focus_; }
    bool Unchanged(int item) const { return unchanged_.at(static_cast<std::size_t>(item)); }
    int Cursor(int item) const { return cursor_.at(static_cast<std::size_t>(item)); }
    bool Closed() const { return closed_; }
    int Result() const { return result_; }
    const std::string& HelpTopic() const { return help_topic_; }
    const DialogGeometry& Geometry() const { return geometry_; }
    int RedrawCount() const { return redraws_; }
    CallRecorder* Recorder() const { return recorder_; }
    int DefaultButton() const; // the item with DefaultButton set, or -1
    // The topic the last F1 asked for, once; empty when none is pending.
    std::optional<std::string> TakeHelpRequest();

    bool IsEditField(int item) const;
    bool IsReadOnly(int item) const;
    bool CanFocus(int item) const;

private:
    LONG_PTR CallProc(int msg, int param1, LONG_PTR param2);
    void SetText(int item, std::string text);
    // Scrolls an edit line as little as keeps its cursor in sight. After the user's own edits
    // (fitText) the text also fills the line: no scroll while it fits, no blank end beyond the
    // cursor's room. A text the module writes keeps the scroll where it stood.
    void KeepCursorInSight(int item, bool fitText);
    bool Fits(int item, std::size_t length) const;
    void EditChanged(int item);
    void MoveFocus(int step);
    void FocusItem(int item);
    bool DefaultKey(int key);
    // An edit field's keys: typing, moving the cursor, deleting. False for any other key.
    bool EditKey(int item, int key);
    void TypeChar(int item, char ch);
    void MoveCursor(int item, int key);
    void DeleteKey(int item, int key);
    // The field's new text and cursor after an edit key; DN_EDITCHANGE when the text changed.
    void ApplyEdit(int item, const std::string& edited, int cursor);
    bool ValidItem(int item) const { return item >= 0 && item < ItemCount(); }

    std::vector<FarDialogItem> items_;
    std::vector<std::string> history_names_;
    std::vector<bool> unchanged_;
    std::vector<int> cursor_;
    std::vector<std::string> texts_;
    std::vector<int> scroll_;
    std::vector<int> max_length_;
    FARWINDOWPROC proc_;
    std::string help_topic_;
    DialogGeometry geometry_;
    HistoryStore* history_;
    CallRecorder* recorder_;
    int focus_ = -1;
    bool closed_ = false;
    int result_ = -1;
    int redraws_ = 0;
    std::optional<std::string> help_request_;
};

// Runs a dialog until it is closed: the terminal, or a script for headless use.
class FrontEnd {
public:
    virtual ~FrontEnd() = default;
    virtual void Run(Dialog& dialog) = 0;
};

} // namespace numo::hostsim
