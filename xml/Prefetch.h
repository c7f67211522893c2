#pragma once

namespace stubsetup {

// Asks the processor to start loading the memory at `address`, which is about
// to be read; a hint only, so any address is safe.
inline void prefetchForReading(const void *address)
{
    __builtin_prefetch(address);
}

} // namespace stubsetup
