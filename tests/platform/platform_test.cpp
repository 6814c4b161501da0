// The Windows API stand-ins keep the Windows semantics the module relies on.
#include "platform/winapi.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(PlatformStrings, BoundedCopyAlwaysTerminates) {
    char buf[8];
    std::memset(buf, 'x', sizeof buf);
    lstrcpynA(buf, "abcdefghijk", 5); // at most n - 1 characters
    EXPECT_STREQ(buf, "abcd");
    EXPECT_EQ(buf[5], 'x');
    lstrcpynA(buf, "ab", 8);
    EXPECT_STREQ(buf, "ab");
    lstrcpynA(buf, "zz", 1); // only the terminator fits
    EXPECT_STREQ(buf, "");
    std::memset(buf, 'y', sizeof buf);
    lstrcpynA(buf, "abc", 0); // nothing may be written
    EXPECT_EQ(buf[0], 'y');
}

TEST(PlatformStrings, CopyCatLengthCompare) {
    char buf[16];
    lstrcpyA(buf, "ab");
    lstrcatA(buf, "cd");
    EXPECT_STREQ(buf, "abcd");
    EXPECT_EQ(lstrlenA(buf), 4);
    EXPECT_EQ(lstrlenA(""), 0);
    EXPECT_EQ(lstrcmpA("abc", "abc"), 0);
    EXPECT_LT(lstrcmpA("abc", "abd"), 0);
    EXPECT_GT(lstrcmpA("b", "abc"), 0);
    // Byte comparison: high bytes are not folded or collated.
    EXPECT_NE(lstrcmpA("\xff", "\x7f"), 0);
}

TEST(PlatformHeap, ZeroFilledBlocksAndFaultHook) {
    HANDLE heap = GetProcessHeap();
    ASSERT_NE(heap, nullptr);
    auto* block = static_cast<unsigned char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, 300));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(block[i], 0) << "byte " << i;
    EXPECT_TRUE(HeapFree(heap, 0, block));

    platform::SetHeapFaultHook([](unsigned long long n, SIZE_T) { return n == 2; });
    void* first = HeapAlloc(heap, HEAP_ZERO_MEMORY, 8);
    void* second = HeapAlloc(heap, HEAP_ZERO_MEMORY, 8);
    void* third = HeapAlloc(heap, HEAP_ZERO_MEMORY, 8);
    platform::SetHeapFaultHook(nullptr);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(second, nullptr);
    EXPECT_NE(third, nullptr);
    HeapFree(heap, 0, first);
    HeapFree(heap, 0, third);
}

TEST(PlatformHeap, CountersFollowAllocationsAndFrees) {
    HANDLE heap = GetProcessHeap();
    platform::HeapCounters before = platform::GetHeapCounters();
    void* a = HeapAlloc(heap, HEAP_ZERO_MEMORY, 1);
    void* b = HeapAlloc(heap, 0, 0);
    HeapFree(heap, 0, a);
    HeapFree(heap, 0, b);
    HeapFree(heap, 0, nullptr);
    platform::HeapCounters after = platform::GetHeapCounters();
    EXPECT_EQ(after.allocations - before.allocations, 2u);
    EXPECT_EQ(after.frees - before.frees, 2u);
}
