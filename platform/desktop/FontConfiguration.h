// The system's font configuration, which the toolkit reads when it first lays out text.
#pragma once

namespace platform {

// Reads the font configuration and the font lists now, so that the first text laid out finds them
// read. Safe on any thread; a second call costs nothing.
void LoadFontConfiguration();

} // namespace platform
