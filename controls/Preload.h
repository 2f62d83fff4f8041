// Reading ahead what the first windows need: the shape data, decoded on another processor while
// the program sets itself up on this one, and libraries that load slowly.
#pragma once

#include "controls/WinShapeUtils.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace preload {

// Starts reading the shape data, in the order given, on a thread of its own. Call once, as early as
// may be: nothing it reads needs the application object.
void Start(const QStringList &shapes);

// Runs `job` on a thread of its own, which Stop waits for. For work that makes something ready
// once and that its users wait for when they come first (a thread-safe load-once function).
void RunAhead(std::function<void()> job);

// The shape data read ahead for `path`, waiting for it if it is still being read; nothing when it
// was not asked for, was taken already, or could not be read (the caller then reads it itself,
// and meets the failure as it always would).
std::optional<TWinShapeData> TakeShape(const QString &path);

// Waits for the reader to finish and drops what was not taken.
void Stop();

} // namespace preload
