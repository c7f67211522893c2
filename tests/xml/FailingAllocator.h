#pragma once

#include <cstddef>

namespace stubsetup::test {

// The test program's operator new counts allocations and can be told to fail
// one of them with std::bad_alloc, so that every place that allocates can be
// made to run out of memory in turn.

// Restarts the count; the allocation `number` from now on (1 for the next
// one) fails, all others succeed. 0 lets every allocation succeed.
void setFailingAllocation(std::size_t number);

// The allocations asked for since the last setFailingAllocation, the failed
// one included.
std::size_t allocationCount();

} // namespace stubsetup::test
