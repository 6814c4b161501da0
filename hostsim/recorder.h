// A record of the service calls a module makes, in order, for tests that check exact sequences.
#pragma once

#include "far/far_api.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace numo::hostsim {

enum class Service {
    GetMsg,
    DialogEx,
    SendDlgMessage,
    DefDlgProc,
    Sprintf,
    Itoa,
    Itoa64,
    LStrupr,
    LStrlwr,
    Event, // not a service: the host passing an event to the dialog procedure
};

struct Call {
    Service service;
    int msg = 0;         // GetMsg: the message number; itoa, itoa64: the radix; else the message
    int param1 = 0;      // the item, for dialog messages
    LONG_PTR param2 = 0; // when a plain value; pointers are recorded as 0 (null) or 1
    std::string text;    // DialogEx: the help topic; sprintf: the format
    std::string line;    // the whole call in one line, see Describe below
};

// The name of a dialog message or event ("DM_GETDLGITEM", "DN_EDITCHANGE"), or its number. The
// values 1 and 9 are DM_CLOSE/DM_KEY when sent by the module and DN_CLOSE/DN_KEY as events.
std::string MessageName(int msg, bool event);

class CallRecorder {
public:
    void Start() { on_ = true; }
    void Stop() { on_ = false; }
    void Clear() { calls_.clear(); }
    bool On() const { return on_; }
    void Add(Call call);
    const std::vector<Call>& Calls() const { return calls_; }

    // The calls as lines, all of them or only those of the given services:
    //   "GetMsg 5"
    //   "DialogEx -1 -1 64 15 Contents 22 0 0 0" (X1 Y1 X2 Y2 topic count reserved flags param)
    //   "SendDlgMessage DM_GETDLGITEM 7" and "SendDlgMessage DM_SETDLGITEM 7" (item only)
    //   "SendDlgMessage DM_SETFOCUS 2 0", "SendDlgMessage DN_EDITCHANGE 2 0" (param1 param2)
    //   "DefDlgProc DN_INITDIALOG 0 0", "Event DN_KEY 2 363"
    //   "sprintf %.3lf", "itoa 16", "LStrupr", "LStrlwr"
    // A pointer in param2 shows as "0" when null and "ptr" otherwise.
    std::vector<std::string> Lines() const;
    std::vector<std::string> Lines(std::initializer_list<Service> services) const;

private:
    bool on_ = false;
    std::vector<Call> calls_;
};

// The recorder when it is recording, else null: callers build a call's text only for a recorder
// that keeps it (the module calls the services many times per edit).
inline CallRecorder* Recording(CallRecorder* recorder) {
    return recorder != nullptr && recorder->On() ? recorder : nullptr;
}

// Builds the call record (with its line) for a dialog message, event or DefDlgProc call.
Call DialogCall(Service service, int msg, int param1, LONG_PTR param2);

} // namespace numo::hostsim
