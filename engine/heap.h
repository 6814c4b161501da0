// The module's heap operations: zero-filled blocks from the process heap.
#pragma once

#include <cstddef>

// Fetches the process heap. SetStartupInfo calls it; MemAlloc also fetches it on first use, so a
// caller that never ran it still gets blocks.
void InitHeap();
// A zero-filled block of size bytes, or null when the heap refuses.
void* MemAlloc(std::size_t size);
// Returns a block from MemAlloc to the heap; null is ignored.
void MemFree(void* block);
