// Process heap stand-in: HeapAlloc/HeapFree over the C allocator, with a fault hook for tests.
#include "platform/winapi.h"

#include <cstdlib>
#include <cstring>

namespace {
int gProcessHeapTag;
platform::HeapFaultHook gFaultHook = nullptr;
unsigned long long gHookCount = 0;
platform::HeapCounters gCounters{};
// memset through a pointer the optimiser cannot see through: GCC and Clang turn a malloc followed
// by a memset of the whole block back into calloc, which is what HeapAlloc avoids.
void* (*volatile gZeroFill)(void*, int, std::size_t) = std::memset;
} // namespace

HANDLE GetProcessHeap() {
    return &gProcessHeapTag;
}

LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
    if (heap != &gProcessHeapTag)
        return nullptr;
    if (gFaultHook != nullptr && gFaultHook(++gHookCount, bytes))
        return nullptr;
    // HeapAlloc(0) gives a valid, unique block; malloc(0) may not.
    const SIZE_T size = bytes ? bytes : 1;
    // malloc and then memset rather than calloc: glibc serves small malloc requests from a
    // per-thread cache, which its calloc bypasses, and the module's blocks are small and
    // short-lived (a stack node per operator on every edit). The block is zero-filled all the same.
    void* block = std::malloc(size);
    if (block == nullptr)
        return nullptr;
    if (flags & HEAP_ZERO_MEMORY)
        gZeroFill(block, 0, size);
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

HeapCounters GetHeapCounters() {
    return gCounters;
}
} // namespace platform
