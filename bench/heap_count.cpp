// Replacements of the global operator new and delete; new counts its calls. They must be visible
// to the shared muParser library, which calls them, hence the default visibility in a build
// whose symbols are hidden otherwise. delete is replaced too, to pair with new's malloc.
#include "bench/heap_count.h"

#include <cstdlib>
#include <new>

namespace {
unsigned long long gNewCount = 0;
}

unsigned long long GetNewCount() {
    return gNewCount;
}

#define NUMO_VISIBLE __attribute__((visibility("default")))

NUMO_VISIBLE void* operator new(std::size_t size) {
    void* block = std::malloc(size != 0 ? size : 1);
    if (block == nullptr)
        throw std::bad_alloc();
    ++gNewCount;
    return block;
}

NUMO_VISIBLE void* operator new[](std::size_t size) {
    return operator new(size);
}
NUMO_VISIBLE void operator delete(void* block) noexcept {
    std::free(block);
}
NUMO_VISIBLE void operator delete[](void* block) noexcept {
    std::free(block);
}
NUMO_VISIBLE void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
NUMO_VISIBLE void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}
