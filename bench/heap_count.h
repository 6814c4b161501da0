// Count of the C++ heap allocations of the whole process (operator new), for the heap traffic
// of muParser; the module's own blocks are counted by the platform's heap.
#pragma once

unsigned long long GetNewCount();
