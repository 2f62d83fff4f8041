// A libpulse connection on its own event-loop thread, shared by the pulse back ends.
#pragma once

#include <pulse/context.h>
#include <pulse/operation.h>
#include <pulse/thread-mainloop.h>

#include <functional>

namespace platform {

// Owns a pa_threaded_mainloop and one context on it. Every member except the constructor and
// destructor is called with the lock held (PulseLock), from any thread but the loop's own,
// unless noted. The connection is made on first use and made again after the server went away;
// it never autospawns a server.
class PulseContext {
public:
    explicit PulseContext(const char *streamRole);
    ~PulseContext();
    PulseContext(const PulseContext &) = delete;
    PulseContext &operator=(const PulseContext &) = delete;

    void lock();
    void unlock();

    // True when the context is ready, connecting first if needed (at most `timeoutMs`).
    bool connect(int timeoutMs = 3000);
    pa_context *context() const { return FContext; }
    // The loop's interface, for timers.
    pa_mainloop_api *api() const;
    // Counts the connections made, so that users can redo their set-up after a reconnect.
    int generation() const { return FGeneration; }

    // Waits, with the lock released meanwhile, until `done` is true or `timeoutMs` passed;
    // returns `done()`. Callbacks run by the loop during the wait call signal() to wake it.
    bool waitUntil(const std::function<bool()> &done, int timeoutMs);
    // Waits for an operation to finish (or be cancelled, or the timeout) and unrefs it; true
    // when it finished.
    bool waitFor(pa_operation *operation, int timeoutMs);
    // Wakes waitUntil; called from the loop's callbacks.
    void signal();
    bool inLoopThread() const;

private:
    static void stateChanged(pa_context *context, void *self);
    void dropContext();

    pa_threaded_mainloop *FLoop = nullptr;
    pa_context *FContext = nullptr;
    const char *FRole;
    bool FStarted = false;
    int FGeneration = 0;
};

// Holds a PulseContext's lock for a scope.
class PulseLock {
public:
    explicit PulseLock(PulseContext &pulse) : FPulse(pulse) { FPulse.lock(); }
    ~PulseLock() { FPulse.unlock(); }
    PulseLock(const PulseLock &) = delete;
    PulseLock &operator=(const PulseLock &) = delete;

private:
    PulseContext &FPulse;
};

} // namespace platform
