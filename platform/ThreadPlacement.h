// Placing a new thread on a processor of its own.
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

} // namespace platform
