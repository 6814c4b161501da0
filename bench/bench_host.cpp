// The benchmark's host: item records in an array, the standard functions over the C runtime.
#include "bench/bench_host.h"

#include "engine/vocabulary.h"
#include "hostsim/host.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// Every item message moves the whole record, as the host's own DM_GETDLGITEM/DM_SETDLGITEM do.
LONG_PTR WINAPI SendDlgMessage(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2) {
    auto* dialog = static_cast<BenchDialog*>(hDlg);
    if (Param1 < 0 || Param1 >= kDialogItemCount)
        return 0;
    auto* item = reinterpret_cast<FarDialogItem*>(Param2);
    switch (Msg) {
    case DM_GETDLGITEM:
        std::memcpy(item, &dialog->items[Param1], sizeof(FarDialogItem));
        return 1;
    case DM_SETDLGITEM:
        std::memcpy(&dialog->items[Param1], item, sizeof(FarDialogItem));
        return 1;
    default:
        return 0;
    }
}

LONG_PTR WINAPI DefDlgProc(HANDLE, int, int, LONG_PTR) {
    return 0;
}

char gMessages[kMessageCount][32];

const char* WINAPI GetMsg(INT_PTR, int MsgId) {
    return MsgId >= 0 && MsgId < kMessageCount ? gMessages[MsgId] : nullptr;
}

int WINAPIV Sprintf(char* Buffer, const char* Format, ...) {
    va_list args;
    va_start(args, Format);
    int written = std::vsprintf(Buffer, Format, args);
    va_end(args);
    return written;
}

// The stand-in host's conversions, without its call recorder: the same digits and letters the
// program's host gives, at the cost of the conversion alone.
char* WINAPI Itoa(int Value, char* Str, int Radix) {
    return numo::hostsim::runtime::IntegerText(Value, Str, Radix, 32);
}

char* WINAPI Itoa64(__int64 Value, char* Str, int Radix) {
    return numo::hostsim::runtime::IntegerText(Value, Str, Radix, 64);
}

void WINAPI Strupr(char* Str) {
    numo::hostsim::runtime::AsciiUpper(Str);
}

void WINAPI Strlwr(char* Str) {
    numo::hostsim::runtime::AsciiLower(Str);
}

} // namespace

void StartBenchHost() {
    for (int i = 0; i < kMessageCount; ++i)
        std::snprintf(gMessages[i], sizeof gMessages[i], "Message %d", i);

    static FarStandardFunctions fsf;
    std::memset(&fsf, 0, sizeof fsf);
    fsf.StructSize = sizeof fsf;
    fsf.sprintf = Sprintf;
    fsf.itoa = Itoa;
    fsf.itoa64 = Itoa64;
    fsf.LStrupr = Strupr;
    fsf.LStrlwr = Strlwr;

    static PluginStartupInfo info;
    std::memset(&info, 0, sizeof info);
    info.StructSize = sizeof info;
    std::strcpy(info.ModuleName, "numo_bench");
    info.GetMsg = GetMsg;
    info.FSF = &fsf;
    info.SendDlgMessage = SendDlgMessage;
    info.DefDlgProc = DefDlgProc;
    SetStartupInfo(&info);
    BuildAllowedChars();
}

void OpenBenchDialog(BenchDialog* dialog, const char* formula) {
    ExpandDialogItems(kCompactItems, dialog->items, kDialogItemCount);
    lstrcpynA(dialog->items[ItemFormula].Data, formula, kItemTextSize);
    static const int fields[] = {ItemVarA, ItemVarB, ItemVarC};
    for (int field : fields)
        lstrcpyA(dialog->items[field].Data, "0");
}
