// Entry layer: the start-up call, the copies of the host records and message lookup.
#include "host/startup.h"

#include "engine/heap.h"

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

extern "C" void WINAPI SetStartupInfo(const PluginStartupInfo* Info) {
    if (Info == nullptr)
        return;
    CopyRecord(&gStartupInfo, sizeof gStartupInfo, Info, Info->StructSize);
    const FarStandardFunctions* fsf = gStartupInfo.FSF;
    CopyRecord(&gStdFunctions, sizeof gStdFunctions, fsf, fsf != nullptr ? fsf->StructSize : 0);
    gStartupInfo.FSF = &gStdFunctions;
    InitHeap();
}

const char* GetMsgText(int index) {
    if (gStartupInfo.GetMsg == nullptr)
        return "";
    const char* text = gStartupInfo.GetMsg(gStartupInfo.ModuleNumber, index);
    return text != nullptr ? text : "";
}
