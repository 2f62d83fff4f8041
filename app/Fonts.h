// The forms keep the font names they were designed with; this maps them to installed look-alikes.
#pragma once

// Tahoma, MS Sans Serif -> DejaVu Sans; Comic Sans MS -> Comic Neue; System -> DejaVu Sans Mono.
void InstallFontSubstitutes();

// Reads the system's font configuration (waiting for a read-ahead of it) and the toolkit's list of
// fonts, which the first text laid out needs. Safe on any thread once the application object
// exists; returns once they are read, at once after that.
void LoadFonts();
