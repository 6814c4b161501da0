// Entry layer: the start-up call, which keeps the host's records and starts the heap.
#include "engine/heap.h"
#include "services/services.h"

extern "C" void WINAPI SetStartupInfo(const PluginStartupInfo* Info) {
    if (Info == nullptr)
        return;
    KeepHostRecords(Info);
    InitHeap();
}
