// A plug-in of the tests' own for loading a module by its file: it exports the three entry
// points by their plain names (or, built with NUMO_TEST_NO_OPENPLUGIN, only two of them) and
// runs a one-field dialog.
#include "far/far_api.h"

#include <cstring>

namespace {
PluginStartupInfo gInfo;
FarStandardFunctions gFsf;
const char* gMenu[1];
} // namespace

extern "C" NUMO_EXPORT void WINAPI SetStartupInfo(const PluginStartupInfo* Info) {
    gInfo = *Info;
    gFsf = *Info->FSF;
    gInfo.FSF = &gFsf;
}

extern "C" NUMO_EXPORT void WINAPI GetPluginInfo(PluginInfo* Info) {
    Info->StructSize = sizeof(PluginInfo);
    Info->Flags = PF_EDITOR;
    gMenu[0] = gInfo.GetMsg(gInfo.ModuleNumber, 0);
    Info->PluginMenuStrings = gMenu;
    Info->PluginMenuStringsNumber = 1;
}

#ifndef NUMO_TEST_NO_OPENPLUGIN
extern "C" NUMO_EXPORT HANDLE WINAPI OpenPlugin(int, INT_PTR) {
    FarDialogItem item;
    std::memset(&item, 0, sizeof item);
    item.Type = DI_EDIT;
    std::strcpy(item.Data, gInfo.GetMsg(gInfo.ModuleNumber, 1));
    gInfo.DialogEx(gInfo.ModuleNumber, -1, -1, 20, 5, "Contents", &item, 1, 0, 0, nullptr, 0);
    return NUMO_INVALID_HANDLE;
}
#endif
