#pragma once

#include <pthread.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <functional>

namespace stubsetup::test {

// A host program may call us on a thread with a small stack, so work whose
// stack use could grow with its input is tested on one.
//
// Runs `work` on a thread whose stack holds `bytes` (or the system's minimum,
// if that is larger) and waits for it to end. False when the thread could
// not be started. Running out of that stack ends the test program with
// SIGSEGV.
inline bool RunOnStack(std::size_t bytes, const std::function<void()> &work)
{
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0)
        return false;
    const std::size_t size = std::max<std::size_t>(bytes, PTHREAD_STACK_MIN);
    auto run = [](void *argument) -> void * {
        (*static_cast<const std::function<void()> *>(argument))();
        return nullptr;
    };
    pthread_t thread;
    const bool started =
        pthread_attr_setstacksize(&attributes, size) == 0 &&
        pthread_create(&thread, &attributes, run, const_cast<std::function<void()> *>(&work)) == 0;
    pthread_attr_destroy(&attributes);
    return started && pthread_join(thread, nullptr) == 0;
}

} // namespace stubsetup::test
