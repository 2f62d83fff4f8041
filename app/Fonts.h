// The forms keep the font names they were designed with; this maps them to installed look-alikes.
#pragma once

// Tahoma, MS Sans Serif -> DejaVu Sans; Comic Sans MS -> Comic Neue; System -> DejaVu Sans Mono.
void InstallFontSubstitutes();
