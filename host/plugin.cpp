// Entry layer: the plug-in menu entry, the command that opens the calculator, the entry routine.
#include "dialog/calculator.h"
#include "engine/status.h"
#include "services/services.h"

// The one plug-in menu entry; its text is fetched anew on every GetPluginInfo.
const char* gMenuStrings[1];

extern "C" void WINAPI GetPluginInfo(PluginInfo* Info) {
    if (Info == nullptr)
        return;
    Info->StructSize = sizeof(PluginInfo);
    Info->Flags = PF_EDITOR | PF_VIEWER; // offered in the editor and viewer too
    gMenuStrings[0] = GetMsgText(MsgTitle);
    Info->PluginMenuStrings = gMenuStrings;
    Info->PluginMenuStringsNumber = 1;
}

extern "C" HANDLE WINAPI OpenPlugin(int, INT_PTR) {
    // A host that left out a service the dialog calls gets no dialog (calling a null service
    // would end the host's process), and no panel either way.
    if (HasDialogServices())
        ShowCalculator();
    return NUMO_INVALID_HANDLE; // the host opens no panel for us
}

#ifdef _WIN32
// All set-up happens in SetStartupInfo; loading and unloading need nothing.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
#endif
