// Reading ahead what the first window needs: its pictures and shape data, decoded on another
// processor while the program sets itself up on this one.
#pragma once

#include "controls/WinShapeUtils.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>

namespace preload {

// Starts decoding the shape data and then the pictures (read as QImage reads them), in that
// order, on a thread of its own. Call once, early, but after the application object exists;
// nothing is read ahead without it.
void Start(const QStringList &pictures, const QStringList &shapes);

// The picture or shape data read ahead for `path`, waiting for it if it is still being read;
// nothing when it was not asked for, was taken already, or could not be read (the caller then
// reads it itself, and meets the failure as it always would).
std::optional<QImage> TakePicture(const QString &path);
std::optional<TWinShapeData> TakeShape(const QString &path);

// Waits for the reader to finish and drops what was not taken.
void Stop();

} // namespace preload
