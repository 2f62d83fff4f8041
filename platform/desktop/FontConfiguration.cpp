// Reading the font configuration ahead.
#include "platform/desktop/FontConfiguration.h"

#include <fontconfig/fontconfig.h>

namespace platform {

void LoadFontConfiguration()
{
    // The toolkit takes the configuration this makes current; without it the toolkit reads it
    // itself, so a failure here costs only the head start.
    [[maybe_unused]] static const bool loaded = FcInit();
}

} // namespace platform
