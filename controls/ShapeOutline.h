// Outline text files: the polygons of a shaped window as the artwork draws them.
//
// Format, one item a line:
//   # comment            (also blank lines: ignored)
//   polygon <CombineMode> [<Reserved>]   starts a polygon; Reserved defaults to 0
//   <x> <y>              one vertex of the current polygon, picture coordinates
//   bounds <Left> <Top> <Right> <Bottom> sets the bounds (at most once); otherwise they are
//                        the smallest and largest X and Y over all vertices
#pragma once

#include "controls/WinShapeUtils.h"

#include <QString>

// Reads an outline text into Regions and Bounds (picture, kind and Loaded untouched).
// Throws EShapeDataError naming the line of the first mistake.
TWinShapeData ParseShapeOutline(const QString &text);

// Shape data for a picture and an outline text, ready to be written with SaveToStream.
TWinShapeData BuildShapeData(const QImage &picture, const QString &outlineText, TShapeImageKind kind);
