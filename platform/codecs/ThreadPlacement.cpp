// Placing a new thread on a processor of its own, and waiting for another thread awake.
#include "platform/codecs/ThreadPlacement.h"

#include <pthread.h>
#include <sched.h>
#include <unistd.h>

namespace platform {

void StartOnAnotherProcessor(std::thread &thread)
{
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return;
    const int current = sched_getcpu();
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (cpu == current || !CPU_ISSET(cpu, &allowed)) continue;
        cpu_set_t other;
        CPU_ZERO(&other);
        CPU_SET(cpu, &other);
        pthread_setaffinity_np(thread.native_handle(), sizeof other, &other);
        return;
    }
}

void RunOnAnyProcessor()
{
    cpu_set_t allowed;
    if (sched_getaffinity(getpid(), sizeof allowed, &allowed) == 0)
        pthread_setaffinity_np(pthread_self(), sizeof allowed, &allowed);
}

} // namespace platform
