// The system's font configuration, which the toolkit reads when it first lays out text.
#pragma once

namespace platform {

// Reads the font configuration and the font lists, so that the first text laid out finds them
// read. Safe on any thread; returns once they are read, at once after that.
void LoadFontConfiguration();

} // namespace platform
