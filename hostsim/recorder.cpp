// The call recorder: one line per call, so a test compares whole sequences at a glance.
#include "hostsim/recorder.h"

#include <algorithm>

namespace numo::hostsim {

namespace {
const char* ServiceName(Service service) {
    switch (service) {
    case Service::GetMsg:
        return "GetMsg";
    case Service::DialogEx:
        return "DialogEx";
    case Service::SendDlgMessage:
        return "SendDlgMessage";
    case Service::DefDlgProc:
        return "DefDlgProc";
    case Service::Sprintf:
        return "sprintf";
    case Service::Itoa:
        return "itoa";
    case Service::Itoa64:
        return "itoa64";
    case Service::LStrupr:
        return "LStrupr";
    case Service::LStrlwr:
        return "LStrlwr";
    case Service::Event:
        return "Event";
    }
    return "?";
}

// Messages whose param2 is a pointer rather than a plain value.
bool PointerParam(int msg, bool event) {
    switch (msg) {
    case DM_GETDLGITEM:
    case DM_SETDLGITEM:
    case DN_EDITCHANGE:
    case DN_HELP:
    case DM_GETCURSORPOS:
        return true;
    case DM_KEY: // DM_KEY carries an array of keys; DN_KEY a key code
        return !event;
    default:
        return false;
    }
}
} // namespace

std::string MessageName(int msg, bool event) {
    switch (msg) {
    case DM_CLOSE:
        return event ? "DN_CLOSE" : "DM_CLOSE";
    case DM_KEY:
        return event ? "DN_KEY" : "DM_KEY";
    case DM_GETDLGITEM:
        return "DM_GETDLGITEM";
    case DM_SETDLGITEM:
        return "DM_SETDLGITEM";
    case DM_SETFOCUS:
        return "DM_SETFOCUS";
    case DM_REDRAW:
        return "DM_REDRAW";
    case DM_GETFOCUS:
        return "DM_GETFOCUS";
    case DM_SETMAXTEXTLENGTH:
        return "DM_SETMAXTEXTLENGTH";
    case DM_GETCURSORPOS:
        return "DM_GETCURSORPOS";
    case DM_SETCURSORPOS:
        return "DM_SETCURSORPOS";
    case DM_EDITUNCHANGEDFLAG:
        return "DM_EDITUNCHANGEDFLAG";
    case DN_BTNCLICK:
        return "DN_BTNCLICK";
    case DN_CTLCOLORDIALOG:
        return "DN_CTLCOLORDIALOG";
    case DN_CTLCOLORDLGITEM:
        return "DN_CTLCOLORDLGITEM";
    case DN_DRAWDIALOG:
        return "DN_DRAWDIALOG";
    case DN_EDITCHANGE:
        return "DN_EDITCHANGE";
    case DN_ENTERIDLE:
        return "DN_ENTERIDLE";
    case DN_GOTFOCUS:
        return "DN_GOTFOCUS";
    case DN_HELP:
        return "DN_HELP";
    case DN_HOTKEY:
        return "DN_HOTKEY";
    case DN_INITDIALOG:
        return "DN_INITDIALOG";
    case DN_KILLFOCUS:
        return "DN_KILLFOCUS";
    case DN_MOUSECLICK:
        return "DN_MOUSECLICK";
    case DN_RESIZECONSOLE:
        return "DN_RESIZECONSOLE";
    case DN_DRAWDIALOGDONE:
        return "DN_DRAWDIALOGDONE";
    default:
        return std::to_string(msg);
    }
}

Call DialogCall(Service service, int msg, int param1, LONG_PTR param2) {
    bool event = service != Service::SendDlgMessage;
    Call call{service, msg, param1, param2, "", ""};
    call.line = std::string(ServiceName(service)) + " " + MessageName(msg, event) + " " +
                std::to_string(param1);
    if (!event && (msg == DM_GETDLGITEM || msg == DM_SETDLGITEM)) {
        call.param2 = param2 != 0;
        return call; // the item number says it all
    }
    if (!event && msg == DM_SETCURSORPOS && param2 != 0) {
        const COORD* position = reinterpret_cast<const COORD*>(param2);
        call.line += " {" + std::to_string(position->X) + "," + std::to_string(position->Y) + "}";
        return call;
    }
    if (PointerParam(msg, event)) {
        call.param2 = param2 != 0;
        call.line += param2 != 0 ? " ptr" : " 0";
    } else {
        call.line += ' ';
        call.line += std::to_string(param2);
    }
    return call;
}

void CallRecorder::Add(Call call) {
    if (!on_)
        return;
    if (call.line.empty())
        call.line = ServiceName(call.service);
    calls_.push_back(std::move(call));
}

std::vector<std::string> CallRecorder::Lines() const {
    std::vector<std::string> lines;
    for (const Call& call : calls_)
        lines.push_back(call.line);
    return lines;
}

std::vector<std::string> CallRecorder::Lines(std::initializer_list<Service> services) const {
    std::vector<std::string> lines;
    for (const Call& call : calls_) {
        if (std::find(services.begin(), services.end(), call.service) != services.end())
            lines.push_back(call.line);
    }
    return lines;
}

} // namespace numo::hostsim
