// The Windows API the module uses: the process heap and the 8-bit string functions.
// On Windows this is <windows.h>; elsewhere the stand-ins of this folder provide the same calls
// with the same semantics, so module code is written once against the Windows names.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <cstddef>
#include <cstdint>

using HANDLE = void*;
using BOOL = int;
using DWORD = std::uint32_t;
using SIZE_T = std::size_t;
using LPVOID = void*;
using LPSTR = char*;
using LPCSTR = const char*;
using INT_PTR = std::intptr_t;
using LONG_PTR = std::intptr_t;
using DWORD_PTR = std::uintptr_t;

#define WINAPI
#define WINAPIV

constexpr DWORD HEAP_ZERO_MEMORY = 0x00000008;

HANDLE GetProcessHeap();
LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID block);

LPSTR lstrcpyA(LPSTR dest, LPCSTR src);
// Copies at most max - 1 characters and always terminates (when max > 0).
LPSTR lstrcpynA(LPSTR dest, LPCSTR src, int max);
int lstrcmpA(LPCSTR a, LPCSTR b);
int lstrlenA(LPCSTR text);
LPSTR lstrcatA(LPSTR dest, LPCSTR src);

// Test and measurement seam of the heap stand-in (no such thing exists on Windows).
namespace platform {
// Called before every HeapAlloc with the number of the allocation (counting from 1 since the
// hook was set); returning true makes that allocation fail. Null (the default) never fails.
using HeapFaultHook = bool (*)(unsigned long long allocation, SIZE_T bytes);
void SetHeapFaultHook(HeapFaultHook hook);

struct HeapCounters {
    unsigned long long allocations; // successful HeapAlloc calls
    unsigned long long frees;       // HeapFree calls with a block
};
HeapCounters GetHeapCounters();
} // namespace platform
#endif
