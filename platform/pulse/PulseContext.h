// A libpulse connection on its own event-loop thread, shared by the pulse back ends.
#pragma once

#include "platform/pulse/PulseLibrary.h"

#include <functional>
#include <mutex>

namespace platform {

// How long a command waits for a connection that is still being made. The connection is made
// in the background (started early, see connectInBackground); a command on the UI thread never
// holds the window up longer than this, and a later command finds the connection ready.
constexpr int ConnectWaitMs = 100;
// A connection still not made after this long (a server that accepts and never answers) is given
// up at the next command, which starts a new one.
constexpr int ConnectGiveUpMs = 5000;

// Releases an operation whose result nobody waits for.
inline void unrefOperation(pa_operation *operation)
{
    if (operation) Pulse().pa_operation_unref(operation);
}

// Owns a pa_threaded_mainloop and one context on it. Every member except the constructor and
// destructor is called with the lock held (PulseLock), from any thread but the loop's own,
// unless noted. The connection is made on first use (or earlier, in the background) and made
// again after the server went away or could not be reached; it never autospawns a server.
class PulseContext {
public:
    explicit PulseContext(const char *streamRole);
    ~PulseContext();
    PulseContext(const PulseContext &) = delete;
    PulseContext &operator=(const PulseContext &) = delete;

    void lock();
    void unlock();

    // True when the context is ready, connecting first if needed; waits at most `timeoutMs` for
    // a connection under way, which goes on in the background when the time is up.
    bool connect(int timeoutMs = ConnectWaitMs);
    // Starts connecting unless a connection is ready or under way; does not wait.
    void connectInBackground();
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
    bool startConnecting();

    std::once_flag FLoopMade;
    pa_threaded_mainloop *FLoop = nullptr;
    pa_context *FContext = nullptr;
    const char *FRole;
    bool FStarted = false;
    int FGeneration = 0;
    bool FCounted = false; // the current context's readiness is in FGeneration
    unsigned long long FConnectStartedUs = 0;
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
