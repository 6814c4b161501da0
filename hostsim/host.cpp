// The stand-in host: services, records and the calls into a module's entry points.
#include "hostsim/host.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace numo::hostsim {

namespace {
struct Registry {
    std::vector<Host*> hosts; // in order of making
    INT_PTR next_number = 0;
};

Registry& Hosts() {
    static Registry registry;
    return registry;
}

CallRecorder* CurrentRecorder() {
    Host* host = Host::Current();
    return host != nullptr ? Recording(&host->Recorder()) : nullptr;
}

void RecordPlain(Service service, int msg, std::string text, std::string line) {
    if (CallRecorder* recorder = CurrentRecorder())
        recorder->Add(Call{service, msg, 0, 0, std::move(text), std::move(line)});
}

// Runs a dialog for a host whose front end was not set: closes it at once.
class ClosingFrontEnd : public FrontEnd {
public:
    void Run(Dialog&) override {}
};
} // namespace

Host::Host(LanguageFile messages, std::string moduleName)
    : messages_(std::move(messages)), module_name_(std::move(moduleName)),
      module_number_(Hosts().next_number++) {
    Hosts().hosts.push_back(this);
}

Host::~Host() {
    auto& hosts = Hosts().hosts;
    hosts.erase(std::remove(hosts.begin(), hosts.end(), this), hosts.end());
}

Host* Host::FromModuleNumber(INT_PTR number) {
    for (Host* host : Hosts().hosts) {
        if (host->module_number_ == number)
            return host;
    }
    return nullptr;
}

Host* Host::Current() {
    return Hosts().hosts.empty() ? nullptr : Hosts().hosts.back();
}

const char* Host::Message(int id) {
    if (id < 0 || id >= static_cast<int>(messages_.messages.size())) {
        missing_messages_.push_back(id);
        return "";
    }
    return messages_.messages[static_cast<std::size_t>(id)].c_str();
}

void Host::SetHistory(HistoryStore* history) {
    history_ = history != nullptr ? history : &own_history_;
}

void Host::Start(SETSTARTUPINFO setStartupInfo) {
    functions_ = FarStandardFunctions{};
    functions_.StructSize = sizeof functions_;
    functions_.sprintf = services::Sprintf;
    functions_.itoa = services::Itoa;
    functions_.itoa64 = services::Itoa64;
    functions_.LStrupr = services::LStrupr;
    functions_.LStrlwr = services::LStrlwr;

    startup_ = PluginStartupInfo{};
    startup_.StructSize = sizeof startup_;
    std::size_t length = std::min(module_name_.size(), sizeof startup_.ModuleName - 1);
    std::memcpy(startup_.ModuleName, module_name_.data(), length);
    startup_.ModuleName[length] = '\0';
    startup_.ModuleNumber = module_number_;
    startup_.GetMsg = services::GetMsg;
    startup_.FSF = &functions_;
    startup_.DialogEx = services::DialogEx;
    startup_.SendDlgMessage = services::SendDlgMessage;
    startup_.DefDlgProc = services::DefDlgProc;
    setStartupInfo(&startup_);
}

PluginInfo Host::QueryPluginInfo(GETPLUGININFO getPluginInfo) {
    PluginInfo info;
    std::memset(&info, 0, sizeof info);
    getPluginInfo(&info);
    return info;
}

HANDLE Host::Open(OPENPLUGIN openPlugin, int openFrom, INT_PTR item) {
    return openPlugin(openFrom, item);
}

HANDLE Host::Open(OPENPLUGIN openPlugin, ScriptedFrontEnd::Script script) {
    ScriptedFrontEnd frontEnd(std::move(script));
    FrontEnd* previous = front_end_;
    front_end_ = &frontEnd;
    struct Restore {
        Host* host;
        FrontEnd* previous;
        ~Restore() { host->front_end_ = previous; }
    } restore{this, previous};
    return openPlugin(OPEN_PLUGINSMENU, 0);
}

int Host::RunDialog(int x1, int y1, int x2, int y2, const char* helpTopic, FarDialogItem* items,
                    int count, FARWINDOWPROC proc, LONG_PTR param) {
    if (items == nullptr || count <= 0)
        return -1;
    DialogGeometry geometry;
    geometry.centred = x1 == -1 && y1 == -1;
    geometry.x1 = x1;
    geometry.y1 = y1;
    geometry.x2 = x2;
    geometry.y2 = y2;
    Dialog dialog(items, count, proc, helpTopic != nullptr ? helpTopic : "", geometry, history_,
                  &recorder_);
    ++dialogs_run_;
    dialog.Open(param);
    if (!dialog.Closed()) {
        ClosingFrontEnd closing;
        (front_end_ != nullptr ? *front_end_ : closing).Run(dialog);
    }
    if (!dialog.Closed())
        dialog.ForceClose(-1);

    // Closed through a button or Enter (not cancelled): the history fields keep their text.
    if (dialog.Result() >= 0) {
        for (int i = 0; i < dialog.ItemCount(); ++i) {
            if (!dialog.HistoryName(i).empty() && !dialog.Text(i).empty())
                history_->Add(dialog.HistoryName(i), dialog.Text(i));
        }
    }
    // The caller's records get the final state, as the host hands them back.
    std::copy(dialog.Items().begin(), dialog.Items().end(), items);
    last_result_ = dialog.Result();
    return last_result_;
}

namespace services {

const char* WINAPI GetMsg(INT_PTR PluginNumber, int MsgId) {
    Host* host = Host::FromModuleNumber(PluginNumber);
    if (host == nullptr)
        return "";
    if (CallRecorder* recorder = Recording(&host->Recorder()))
        recorder->Add(Call{Service::GetMsg, MsgId, 0, 0, "", "GetMsg " + std::to_string(MsgId)});
    return host->Message(MsgId);
}

int WINAPI DialogEx(INT_PTR PluginNumber, int X1, int Y1, int X2, int Y2, const char* HelpTopic,
                    FarDialogItem* Item, int ItemsNumber, DWORD Reserved, DWORD Flags,
                    FARWINDOWPROC DlgProc, LONG_PTR Param) {
    Host* host = Host::FromModuleNumber(PluginNumber);
    if (host == nullptr)
        return -1;
    if (CallRecorder* recorder = Recording(&host->Recorder())) {
        std::string topic = HelpTopic != nullptr ? HelpTopic : "";
        std::string line = "DialogEx " + std::to_string(X1) + " " + std::to_string(Y1) + " " +
                           std::to_string(X2) + " " + std::to_string(Y2) + " " + topic + " " +
                           std::to_string(ItemsNumber) + " " + std::to_string(Reserved) + " " +
                           std::to_string(Flags) + " " + std::to_string(Param);
        recorder->Add(Call{Service::DialogEx, 0, 0, Param, topic, line});
    }
    return host->RunDialog(X1, Y1, X2, Y2, HelpTopic, Item, ItemsNumber, DlgProc, Param);
}

LONG_PTR WINAPI SendDlgMessage(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2) {
    Dialog* dialog = Dialog::FromHandle(hDlg);
    if (dialog == nullptr)
        return 0;
    if (CallRecorder* recorder = Recording(dialog->Recorder()))
        recorder->Add(DialogCall(Service::SendDlgMessage, Msg, Param1, Param2));
    return dialog->Send(Msg, Param1, Param2);
}

LONG_PTR WINAPI DefDlgProc(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2) {
    Dialog* dialog = Dialog::FromHandle(hDlg);
    if (dialog == nullptr)
        return 0;
    if (CallRecorder* recorder = Recording(dialog->Recorder()))
        recorder->Add(DialogCall(Service::DefDlgProc, Msg, Param1, Param2));
    return Dialog::DefaultProcessing(Msg, Param1, Param2);
}

int WINAPIV Sprintf(char* Buffer, const char* Format, ...) {
    if (Buffer == nullptr || Format == nullptr)
        return -1;
    RecordPlain(Service::Sprintf, 0, Format, std::string("sprintf ") + Format);
    va_list args;
    va_start(args, Format);
#ifdef _WIN32
    // The host hands out the C run-time's own printing, as msvcrt.dll has it (ties rounded away
    // from zero, "1.#INF"); mingw's vsprintf is its own C99 replacement ("2", "inf").
    int written = __ms_vsprintf(Buffer, Format, args);
#else
    int written = std::vsprintf(Buffer, Format, args);
#endif
    va_end(args);
    return written;
}

char* WINAPI Itoa(int Value, char* Str, int Radix) {
    if (CurrentRecorder() != nullptr)
        RecordPlain(Service::Itoa, Radix, "", "itoa " + std::to_string(Radix));
    if (Str == nullptr)
        return nullptr;
#ifdef _WIN32
    if (Radix >= 2 && Radix <= 36)
        return _itoa(Value, Str, Radix); // msvcrt.dll's own, as the host calls it
#endif
    return runtime::IntegerText(Value, Str, Radix, 32);
}

char* WINAPI Itoa64(__int64 Value, char* Str, int Radix) {
    if (CurrentRecorder() != nullptr)
        RecordPlain(Service::Itoa64, Radix, "", "itoa64 " + std::to_string(Radix));
    if (Str == nullptr)
        return nullptr;
#ifdef _WIN32
    if (Radix >= 2 && Radix <= 36)
        return _i64toa(Value, Str, Radix); // msvcrt.dll's own, as the host calls it
#endif
    return runtime::IntegerText(Value, Str, Radix, 64);
}

void WINAPI LStrupr(char* Str) {
    RecordPlain(Service::LStrupr, 0, "", "LStrupr");
    runtime::AsciiUpper(Str);
}

void WINAPI LStrlwr(char* Str) {
    RecordPlain(Service::LStrlwr, 0, "", "LStrlwr");
    runtime::AsciiLower(Str);
}

} // namespace services

namespace runtime {

char* IntegerText(std::int64_t value, char* str, int radix, int bits) {
    if (radix < 2 || radix > 36) {
        str[0] = '\0';
        return str;
    }
    // Only radix 10 has a sign; any other radix writes the value's low `bits` bits read as
    // unsigned: two's complement digits.
    const bool negative = radix == 10 && value < 0;
    std::uint64_t magnitude = static_cast<std::uint64_t>(value);
    if (bits == 32) {
        magnitude =
            negative ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    } else if (negative) {
        magnitude = 0u - magnitude;
    }
    char digits[65];
    int count = 0;
    do {
        const auto digit = static_cast<unsigned>(magnitude % static_cast<unsigned>(radix));
        digits[count++] = static_cast<char>(digit < 10 ? '0' + digit : 'a' + digit - 10);
        magnitude /= static_cast<unsigned>(radix);
    } while (magnitude != 0);
    char* out = str;
    if (negative)
        *out++ = '-';
    while (count > 0)
        *out++ = digits[--count];
    *out = '\0';
    return str;
}

void AsciiUpper(char* text) {
    for (char* p = text; p != nullptr && *p != '\0'; ++p) {
        if (*p >= 'a' && *p <= 'z')
            *p = static_cast<char>(*p - 'a' + 'A');
    }
}

void AsciiLower(char* text) {
    for (char* p = text; p != nullptr && *p != '\0'; ++p) {
        if (*p >= 'A' && *p <= 'Z')
            *p = static_cast<char>(*p - 'A' + 'a');
    }
}

} // namespace runtime

} // namespace numo::hostsim
