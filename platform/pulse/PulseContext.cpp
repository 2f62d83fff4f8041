// A libpulse connection on its own event-loop thread, shared by the pulse back ends.
#include "platform/pulse/PulseContext.h"

namespace platform {

PulseContext::PulseContext(const char *streamRole) : FRole(streamRole) {}

PulseContext::~PulseContext()
{
    if (!FLoop) return;
    if (FStarted) {
        lock();
        dropContext();
        unlock();
        Pulse().pa_threaded_mainloop_stop(FLoop);
    }
    Pulse().pa_threaded_mainloop_free(FLoop);
}

void PulseContext::lock()
{
    // The library and the loop come with the first command, so that a window that only shows
    // loads neither. Without the library there is no loop, and every command finds the server
    // unreachable.
    std::call_once(FLoopMade, [this] {
        if (LoadPulseLibrary()) FLoop = Pulse().pa_threaded_mainloop_new();
    });
    if (FLoop) Pulse().pa_threaded_mainloop_lock(FLoop);
}

void PulseContext::unlock()
{
    if (FLoop) Pulse().pa_threaded_mainloop_unlock(FLoop);
}

pa_mainloop_api *PulseContext::api() const
{
    return FLoop ? Pulse().pa_threaded_mainloop_get_api(FLoop) : nullptr;
}

bool PulseContext::inLoopThread() const
{
    return FLoop && Pulse().pa_threaded_mainloop_in_thread(FLoop);
}

void PulseContext::signal()
{
    Pulse().pa_threaded_mainloop_signal(FLoop, 0);
}

void PulseContext::stateChanged(pa_context *, void *self)
{
    static_cast<PulseContext *>(self)->signal();
}

void PulseContext::dropContext()
{
    if (!FContext) return;
    Pulse().pa_context_set_state_callback(FContext, nullptr, nullptr);
    Pulse().pa_context_disconnect(FContext);
    Pulse().pa_context_unref(FContext);
    FContext = nullptr;
}

bool PulseContext::startConnecting()
{
    if (!FLoop) return false;
    if (FContext) {
        const pa_context_state_t state = Pulse().pa_context_get_state(FContext);
        const bool stale = state != PA_CONTEXT_READY && Pulse().pa_rtclock_now() - FConnectStartedUs >
                                                            pa_usec_t(ConnectGiveUpMs) * PA_USEC_PER_MSEC;
        if (PA_CONTEXT_IS_GOOD(state) && !stale) return true;
    }
    dropContext();
    if (!FStarted) {
        // The loop thread is started by the first connection; the caller holds the lock,
        // which the thread needs only once it runs callbacks.
        Pulse().pa_threaded_mainloop_set_name(FLoop, "chirpel-pulse");
        if (Pulse().pa_threaded_mainloop_start(FLoop) < 0) return false;
        FStarted = true;
    }

    pa_proplist *props = Pulse().pa_proplist_new();
    Pulse().pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Chirpel");
    Pulse().pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "chirpel");
    Pulse().pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, FRole);
    FContext =
        Pulse().pa_context_new_with_proplist(Pulse().pa_threaded_mainloop_get_api(FLoop), "Chirpel", props);
    Pulse().pa_proplist_free(props);
    if (!FContext) return false;
    Pulse().pa_context_set_state_callback(FContext, stateChanged, this);
    FCounted = false;
    FConnectStartedUs = Pulse().pa_rtclock_now();
    if (Pulse().pa_context_connect(FContext, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        dropContext();
        return false;
    }
    return true;
}

void PulseContext::connectInBackground()
{
    startConnecting();
}

bool PulseContext::connect(int timeoutMs)
{
    if (!startConnecting()) return false;
    waitUntil(
        [this] {
            const pa_context_state_t state = Pulse().pa_context_get_state(FContext);
            return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
        },
        timeoutMs);
    const pa_context_state_t state = Pulse().pa_context_get_state(FContext);
    if (!PA_CONTEXT_IS_GOOD(state)) {
        // Refused or lost: the next command tries afresh, so a server started later is found.
        dropContext();
        return false;
    }
    if (state != PA_CONTEXT_READY) return false; // still connecting; it goes on meanwhile
    if (!FCounted) {
        FCounted = true;
        ++FGeneration;
    }
    return true;
}

namespace {
struct Deadline {
    PulseContext *pulse;
    bool passed = false;
};
} // namespace

bool PulseContext::waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    if (done()) return true;
    Deadline deadline{this};
    pa_mainloop_api *api = Pulse().pa_threaded_mainloop_get_api(FLoop);
    timeval when;
    Pulse().pa_gettimeofday(&when);
    Pulse().pa_timeval_add(&when, pa_usec_t(timeoutMs) * PA_USEC_PER_MSEC);
    pa_time_event *timer = api->time_new(
        api, &when,
        [](pa_mainloop_api *, pa_time_event *, const timeval *, void *data) {
            auto *d = static_cast<Deadline *>(data);
            d->passed = true;
            d->pulse->signal();
        },
        &deadline);
    while (!done() && !deadline.passed)
        Pulse().pa_threaded_mainloop_wait(FLoop);
    api->time_free(timer);
    return done();
}

bool PulseContext::waitFor(pa_operation *operation, int timeoutMs)
{
    if (!operation) return false;
    Pulse().pa_operation_set_state_callback(
        operation, [](pa_operation *, void *self) { static_cast<PulseContext *>(self)->signal(); }, this);
    const bool finished = waitUntil(
        [operation] { return Pulse().pa_operation_get_state(operation) != PA_OPERATION_RUNNING; }, timeoutMs);
    if (!finished) Pulse().pa_operation_cancel(operation);
    const bool done = Pulse().pa_operation_get_state(operation) == PA_OPERATION_DONE;
    Pulse().pa_operation_set_state_callback(operation, nullptr, nullptr);
    Pulse().pa_operation_unref(operation);
    return done;
}

} // namespace platform
