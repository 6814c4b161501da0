// Process heap stand-in: HeapAlloc/HeapFree over the C allocator, with a fault hook for tests.
#include "platform/winapi.h"

#include <cstdlib>

namespace {
int gProcessHeapTag;
platform::HeapFaultHook gFaultHook = nullptr;
unsigned long long gHookCount = 0;
platform::HeapCounters gCounters{};
} // namespace

HANDLE GetProcessHeap() { return &gProcessHeapTag; }

LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
    if (heap != &gProcessHeapTag)
        return nullptr;
    if (gFaultHook != nullptr && gFaultHook(++gHookCount, bytes))
        return nullptr;
    // HeapAlloc(0) gives a valid, unique block; malloc(0) may not.
    void* block = (flags & HEAP_ZERO_MEMORY) ? std::calloc(1, bytes ? bytes : 1)
                                             : std::malloc(bytes ? bytes : 1);
    if (block != nullptr)
        ++gCounters.allocations;
    return block;
}

BOOL HeapFree(HANDLE heap, DWORD, LPVOID block) {
    if (heap != &gProcessHeapTag)
        return 0;
    if (block != nullptr) {
        ++gCounters.frees;
        std::free(block);
    }
    return 1;
}

namespace platform {
void SetHeapFaultHook(HeapFaultHook hook) {
    gFaultHook = hook;
    gHookCount = 0;
}

HeapCounters GetHeapCounters() { return gCounters; }
} // namespace platform
