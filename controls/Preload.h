// Reading ahead what the first window needs: its shape data, decoded on another processor while
// the program sets itself up on this one, and the font configuration when text comes first.
#pragma once

#include "controls/WinShapeUtils.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace preload {

// Starts reading the shape data, in the order given, on a thread of its own. Call once, as early as
// may be: nothing it reads needs the application object.
void Start(const QStringList &shapes);

// Starts reading the font configuration on another thread of its own. Call at most once.
void StartFonts();

// The shape data read ahead for `path`, waiting for it if it is still being read; nothing when it
// was not asked for, was taken already, or could not be read (the caller then reads it itself,
// and meets the failure as it always would).
std::optional<TWinShapeData> TakeShape(const QString &path);

// Waits until the font configuration asked for has been read, so that the toolkit does not read it
// a second time alongside; at once when it was not asked for.
void WaitForFonts();

// Waits for the reader to finish and drops what was not taken.
void Stop();

} // namespace preload
