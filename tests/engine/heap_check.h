// Test helpers over the heap stand-in: a fixture that fails a test which leaks heap blocks, and
// a fault plan that makes chosen allocations fail.
#pragma once

#include "engine/heap.h"
#include "platform/winapi.h"

#include <gtest/gtest.h>

// Every block the test took from the heap must have gone back by its end.
class HeapCheck : public ::testing::Test {
protected:
    void SetUp() override {
        InitHeap();
        start_ = platform::GetHeapCounters();
    }
    void TearDown() override {
        platform::SetHeapFaultHook(nullptr);
        EXPECT_EQ(Allocations(), Frees()) << "heap blocks leaked";
    }
    unsigned long long Allocations() const {
        return platform::GetHeapCounters().allocations - start_.allocations;
    }
    unsigned long long Frees() const { return platform::GetHeapCounters().frees - start_.frees; }

private:
    platform::HeapCounters start_{};
};

// Which allocations fail, counted from 1 after Arm: only the Nth, or the Nth and all later ones.
struct FaultPlan {
    unsigned long long failAt = 0;
    bool andLater = false;
    bool fired = false;           // an allocation was refused
    unsigned long long calls = 0; // allocations asked for since Arm
    SIZE_T lastBytes = 0;         // size of the latest request

    static FaultPlan& Current() {
        static FaultPlan plan;
        return plan;
    }
    static bool Hook(unsigned long long allocation, SIZE_T bytes) {
        FaultPlan& plan = Current();
        plan.calls = allocation;
        plan.lastBytes = bytes;
        bool fail = plan.failAt != 0 &&
                    (allocation == plan.failAt || (plan.andLater && allocation > plan.failAt));
        plan.fired = plan.fired || fail;
        return fail;
    }
    // failAt 0 refuses nothing and only records.
    static void Arm(unsigned long long failAt, bool andLater = false) {
        Current() = FaultPlan{failAt, andLater, false, 0, 0};
        platform::SetHeapFaultHook(&FaultPlan::Hook);
    }
    static void Disarm() { platform::SetHeapFaultHook(nullptr); }
};
