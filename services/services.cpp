// The module's copies of the host records and message lookup.
#include "services/services.h"

#include <cstring>

PluginStartupInfo gStartupInfo;
FarStandardFunctions gStdFunctions;

namespace {
// Copies a host record of which the host says it gave size bytes. An older host may hand over a
// shorter record: what it did not give stays zero, so a missing service reads as null.
void CopyRecord(void* dest, std::size_t destSize, const void* src, int size) {
    std::memset(dest, 0, destSize);
    if (src == nullptr || size <= 0)
        return;
    std::memcpy(dest, src, static_cast<std::size_t>(size) < destSize ? size : destSize);
}
} // namespace

void KeepHostRecords(const PluginStartupInfo* info) {
    CopyRecord(&gStartupInfo, sizeof gStartupInfo, info, info->StructSize);
    const FarStandardFunctions* fsf = gStartupInfo.FSF;
    CopyRecord(&gStdFunctions, sizeof gStdFunctions, fsf, fsf != nullptr ? fsf->StructSize : 0);
    gStartupInfo.FSF = &gStdFunctions;
}

bool HasDialogServices() {
    return gStartupInfo.DialogEx != nullptr && gStartupInfo.SendDlgMessage != nullptr &&
           gStartupInfo.DefDlgProc != nullptr && gStartupInfo.GetMsg != nullptr &&
           gStdFunctions.sprintf != nullptr && gStdFunctions.itoa != nullptr &&
           gStdFunctions.LStrupr != nullptr && gStdFunctions.LStrlwr != nullptr;
}

const char* GetMsgText(int index) {
    if (gStartupInfo.GetMsg == nullptr)
        return "";
    const char* text = gStartupInfo.GetMsg(gStartupInfo.ModuleNumber, index);
    return text != nullptr ? text : "";
}
