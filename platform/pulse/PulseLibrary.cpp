// Loading libpulse on first use.
#include "platform/pulse/PulseLibrary.h"

#include <dlfcn.h>

#include <cstdio>

namespace platform {

namespace {

const PulseLibrary *load()
{
    // The library name the development package's link would have recorded.
    void *handle = dlopen("libpulse.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::fprintf(stderr, "chirpel: no sound: %s\n", dlerror());
        return nullptr;
    }
    static PulseLibrary library;
#define CHIRPEL_PULSE_LOAD(name)                                                                             \
    library.name = reinterpret_cast<decltype(library.name)>(dlsym(handle, #name));                           \
    if (!library.name) {                                                                                     \
        std::fprintf(stderr, "chirpel: no sound: libpulse has no %s\n", #name);                              \
        return nullptr;                                                                                      \
    }
    CHIRPEL_PULSE_FUNCTIONS(CHIRPEL_PULSE_LOAD)
#undef CHIRPEL_PULSE_LOAD
    return &library;
}

} // namespace

const PulseLibrary *LoadPulseLibrary()
{
    static const PulseLibrary *const library = load();
    return library;
}

const PulseLibrary &Pulse()
{
    return *LoadPulseLibrary();
}

} // namespace platform
