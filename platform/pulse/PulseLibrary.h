// libpulse, loaded when the program first uses sound rather than at every start: the library and
// the dozen it brings along would otherwise be loaded before the first window, which needs none of
// them. Private to the pulse back ends.
#pragma once

#include <pulse/channelmap.h>
#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/operation.h>
#include <pulse/proplist.h>
#include <pulse/rtclock.h>
#include <pulse/sample.h>
#include <pulse/stream.h>
#include <pulse/subscribe.h>
#include <pulse/thread-mainloop.h>
#include <pulse/timeval.h>
#include <pulse/volume.h>

namespace platform {

// Every libpulse function the back ends call.
#define CHIRPEL_PULSE_FUNCTIONS(X)                                                                           \
    X(pa_channel_map_init_extend)                                                                            \
    X(pa_context_connect)                                                                                    \
    X(pa_context_disconnect)                                                                                 \
    X(pa_context_get_server_info)                                                                            \
    X(pa_context_get_sink_info_by_name)                                                                      \
    X(pa_context_get_source_info_by_name)                                                                    \
    X(pa_context_get_state)                                                                                  \
    X(pa_context_new_with_proplist)                                                                          \
    X(pa_context_set_sink_volume_by_name)                                                                    \
    X(pa_context_set_source_volume_by_name)                                                                  \
    X(pa_context_set_state_callback)                                                                         \
    X(pa_context_set_subscribe_callback)                                                                     \
    X(pa_context_subscribe)                                                                                  \
    X(pa_context_unref)                                                                                      \
    X(pa_cvolume_max)                                                                                        \
    X(pa_cvolume_scale)                                                                                      \
    X(pa_gettimeofday)                                                                                       \
    X(pa_operation_cancel)                                                                                   \
    X(pa_operation_get_state)                                                                                \
    X(pa_operation_set_state_callback)                                                                       \
    X(pa_operation_unref)                                                                                    \
    X(pa_proplist_free)                                                                                      \
    X(pa_proplist_new)                                                                                       \
    X(pa_proplist_sets)                                                                                      \
    X(pa_rtclock_now)                                                                                        \
    X(pa_sample_spec_valid)                                                                                  \
    X(pa_stream_connect_playback)                                                                            \
    X(pa_stream_connect_record)                                                                              \
    X(pa_stream_cork)                                                                                        \
    X(pa_stream_disconnect)                                                                                  \
    X(pa_stream_drain)                                                                                       \
    X(pa_stream_drop)                                                                                        \
    X(pa_stream_get_state)                                                                                   \
    X(pa_stream_get_time)                                                                                    \
    X(pa_stream_new)                                                                                         \
    X(pa_stream_peek)                                                                                        \
    X(pa_stream_set_read_callback)                                                                           \
    X(pa_stream_set_state_callback)                                                                          \
    X(pa_stream_set_write_callback)                                                                          \
    X(pa_stream_unref)                                                                                       \
    X(pa_stream_writable_size)                                                                               \
    X(pa_stream_write)                                                                                       \
    X(pa_threaded_mainloop_free)                                                                             \
    X(pa_threaded_mainloop_get_api)                                                                          \
    X(pa_threaded_mainloop_in_thread)                                                                        \
    X(pa_threaded_mainloop_lock)                                                                             \
    X(pa_threaded_mainloop_new)                                                                              \
    X(pa_threaded_mainloop_set_name)                                                                         \
    X(pa_threaded_mainloop_signal)                                                                           \
    X(pa_threaded_mainloop_start)                                                                            \
    X(pa_threaded_mainloop_stop)                                                                             \
    X(pa_threaded_mainloop_unlock)                                                                           \
    X(pa_threaded_mainloop_wait)                                                                             \
    X(pa_timeval_add)                                                                                        \
    X(pa_usec_to_bytes)

struct PulseLibrary {
#define CHIRPEL_PULSE_POINTER(name) decltype(&::name) name = nullptr;
    CHIRPEL_PULSE_FUNCTIONS(CHIRPEL_PULSE_POINTER)
#undef CHIRPEL_PULSE_POINTER
};

// The library, loaded by the first call (from any thread); nullptr when it or one of its functions
// cannot be found, and the program then has no sound.
const PulseLibrary *LoadPulseLibrary();

// The library; only where LoadPulseLibrary has returned it, which every connection has.
const PulseLibrary &Pulse();

} // namespace platform
