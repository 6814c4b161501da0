// Heap operations over the process heap.
#include "engine/heap.h"

#include "platform/winapi.h"

namespace {
HANDLE gHeap = nullptr;
}

void InitHeap() {
    gHeap = GetProcessHeap();
}

void* MemAlloc(std::size_t size) {
    if (gHeap == nullptr)
        InitHeap(); // a caller that forgot InitHeap still gets a block, not a crash
    return HeapAlloc(gHeap, HEAP_ZERO_MEMORY, size);
}

void MemFree(void* block) {
    if (block != nullptr)
        HeapFree(gHeap, 0, block);
}
