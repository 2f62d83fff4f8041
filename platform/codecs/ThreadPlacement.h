// Placing a new thread on a processor of its own, and waiting for another thread awake.
#pragma once

#include <thread>

namespace platform {

// Asks the system to run `thread`, just created, on another processor than the calling thread's.
// Left alone, a new thread waits on the creator's processor until the scheduler moves it, which
// can take up to a timer tick (4 ms), while the other processor idles. Does nothing where the
// process may use only one processor.
void StartOnAnotherProcessor(std::thread &thread);

// Lets the calling thread run on every processor the process may use again, once it has started.
void RunOnAnyProcessor();

// One turn of a loop that waits for another thread without sleeping: a thread asleep on an idle
// processor takes about a millisecond to wake. On x86 the processor's pause hint, which leaves a
// sibling hardware thread its share of the core; elsewhere a yield.
inline void Relax()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

} // namespace platform
