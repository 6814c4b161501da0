// The stand-in host: the services a module calls (with the host's signatures), the records
// handed to SetStartupInfo, and the calls into a module's three entry points.
//
// A test runs a module headless like this:
//
//   Host host(ReadLanguageFile("build/release/bin/numo_en.lng")); // built from lang/
//   host.Recorder().Start();                       // optional: record every service call
//   host.Start(SetStartupInfo);                    // fresh records, then the module's call
//   PluginInfo info = host.QueryPluginInfo(GetPluginInfo);
//   host.Open(OpenPlugin, [](Dialog& dialog) {     // runs while the dialog is open
//       dialog.EditText(2, "1+2*3");
//       dialog.Key(KEY_ADD);
//       std::string result = dialog.Text(13);
//       dialog.Close(-1);
//   });
//   host.Recorder().Lines({Service::SendDlgMessage});
//
// The entry points may come from a loaded library (LoadedModule) or be linked in directly.
#pragma once

#include "far/far_api.h"
#include "hostsim/dialog.h"
#include "hostsim/language_file.h"
#include "hostsim/recorder.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace numo::hostsim {

// The headless front end: runs a script on the open dialog. A script that returns while the
// dialog is still open leaves it to DialogEx, which closes it with -1.
class ScriptedFrontEnd : public FrontEnd {
public:
    using Script = std::function<void(Dialog&)>;
    explicit ScriptedFrontEnd(Script script = {}) : script_(std::move(script)) {}
    void Run(Dialog& dialog) override {
        if (script_)
            script_(dialog);
    }

private:
    Script script_;
};

class Host {
public:
    // messages: the module's language file (GetMsg answers from it). moduleName: the module's
    // full path, handed over in ModuleName (cut to 259 characters).
    explicit Host(LanguageFile messages, std::string moduleName = "");
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // The number this host gives its module in ModuleNumber; GetMsg and DialogEx find the host
    // by it.
    INT_PTR ModuleNumber() const { return module_number_; }
    const LanguageFile& Language() const { return messages_; }
    // Message id of the module, or "" for a number the file does not have (the real host shows
    // "Message %d not found" and returns "" too; here the number is kept in MissingMessages).
    const char* Message(int id);
    const std::vector<int>& MissingMessages() const { return missing_messages_; }

    CallRecorder& Recorder() { return recorder_; }
    // In memory unless replaced; the store must outlive the host's use of it.
    HistoryStore& History() { return *history_; }
    void SetHistory(HistoryStore* history);
    // The front end that runs dialogs; null gives a front end that closes each dialog at once.
    void SetFrontEnd(FrontEnd* frontEnd) { front_end_ = frontEnd; }
    FrontEnd* GetFrontEnd() const { return front_end_; }

    // Builds fresh records and calls the module's SetStartupInfo with them. The records stay
    // the host's: a test may spoil them afterwards (StartupRecord, StandardFunctionsRecord), and
    // the host itself never reads them again.
    void Start(SETSTARTUPINFO setStartupInfo);
    PluginStartupInfo& StartupRecord() { return startup_; }
    FarStandardFunctions& StandardFunctionsRecord() { return functions_; }
    // Calls GetPluginInfo with a zero-filled record and returns what the module wrote.
    PluginInfo QueryPluginInfo(GETPLUGININFO getPluginInfo);
    // Calls OpenPlugin with the current front end, or with a script run on the dialog.
    HANDLE Open(OPENPLUGIN openPlugin, int openFrom = OPEN_PLUGINSMENU, INT_PTR item = 0);
    HANDLE Open(OPENPLUGIN openPlugin, ScriptedFrontEnd::Script script);

    // How many dialogs DialogEx ran for this host, and the last one's closing result.
    int DialogsRun() const { return dialogs_run_; }
    int LastResult() const { return last_result_; }

    // The host by its module number, or null.
    static Host* FromModuleNumber(INT_PTR number);
    // The host whose recorder takes the standard functions' calls (they carry no module number):
    // the one made last of those still alive.
    static Host* Current();

    // DialogEx's work, for the service of that name.
    int RunDialog(int x1, int y1, int x2, int y2, const char* helpTopic, FarDialogItem* items,
                  int count, FARWINDOWPROC proc, LONG_PTR param);

private:
    LanguageFile messages_;
    std::string module_name_;
    INT_PTR module_number_;
    std::vector<int> missing_messages_;
    CallRecorder recorder_;
    MemoryHistory own_history_;
    HistoryStore* history_ = &own_history_;
    FrontEnd* front_end_ = nullptr;
    PluginStartupInfo startup_{};
    FarStandardFunctions functions_{};
    int dialogs_run_ = 0;
    int last_result_ = -1;
};

// The host's services as plain functions with the host's signatures.
namespace services {
const char* WINAPI GetMsg(INT_PTR PluginNumber, int MsgId);
int WINAPI DialogEx(INT_PTR PluginNumber, int X1, int Y1, int X2, int Y2, const char* HelpTopic,
                    FarDialogItem* Item, int ItemsNumber, DWORD Reserved, DWORD Flags,
                    FARWINDOWPROC DlgProc, LONG_PTR Param);
LONG_PTR WINAPI SendDlgMessage(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2);
LONG_PTR WINAPI DefDlgProc(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2);
// The C library's vsprintf: no bound, as the host's. Its decimal mark is the process's locale's,
// as in the host, which sets the user's locale at start-up (a Russian user sees "25,000").
int WINAPIV Sprintf(char* Buffer, const char* Format, ...);
// The C runtime's _itoa: radix 2..36, digits 0-9a-z in lower case, a minus sign only in radix
// 10; any other radix writes the value as an unsigned 32-bit number (-1 in radix 16 is
// "ffffffff"). An invalid radix writes the empty text; a null Str gives null.
char* WINAPI Itoa(int Value, char* Str, int Radix);
// The C runtime's _i64toa, as the host's itoa64: the same, over 64 bits (-1 in radix 16 is
// "ffffffffffffffff").
char* WINAPI Itoa64(__int64 Value, char* Str, int Radix);
// Upper and lower case of the 8-bit character set in place: the ASCII letters only; bytes 0x80
// and above stay as they are (the console code page's letters differ from one page to another).
void WINAPI LStrupr(char* Str);
void WINAPI LStrlwr(char* Str);
} // namespace services

// What those services do, without recording the call: for another host of the module (the
// benchmark's) that must behave the same.
namespace runtime {
// _itoa (bits 32) and _i64toa (bits 64): radix 2..36, digits 0-9a-z, a minus sign only in radix
// 10, any other radix the value's low bits as unsigned; an invalid radix writes the empty text.
char* IntegerText(std::int64_t value, char* str, int radix, int bits);
// ASCII letters only, in place; other bytes stay.
void AsciiUpper(char* text);
void AsciiLower(char* text);
} // namespace runtime

} // namespace numo::hostsim
