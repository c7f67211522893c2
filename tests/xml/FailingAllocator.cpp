#include "FailingAllocator.h"

#include <cstdlib>
#include <new>

namespace {

// Tests run one at a time, and a test that uses another thread waits for it.
std::size_t allocations = 0;
std::size_t failingAllocation = 0;

} // namespace

namespace stubsetup::test {

void setFailingAllocation(std::size_t number)
{
    allocations = 0;
    failingAllocation = number;
}

std::size_t allocationCount()
{
    return allocations;
}

} // namespace stubsetup::test

// The array, nothrow and sized forms of the standard library call these.
void *operator new(std::size_t size)
{
    if (++allocations == failingAllocation)
        throw std::bad_alloc();
    if (void *memory = std::malloc(size != 0 ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void *memory) noexcept
{
    std::free(memory);
}

void operator delete(void *memory, std::size_t) noexcept
{
    std::free(memory);
}
