// Pictures kept as the screen takes them: a 16-byte header and then 32-bit pixels, opaque or
// premultiplied, so that showing one needs neither decoding nor converting. The pictures of the
// child's first window and of the shield are stored so; any other picture is read as QImage reads it.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// The file name suffixes that mark a screen picture: an opaque one, and one with see-through parts.
inline constexpr char kScreenPictureSuffix[] = ".rgb32";
inline constexpr char kAlphaPictureSuffix[] = ".argb32";

// The picture at `path`: a screen picture by its suffix, otherwise whatever QImage reads there. A
// screen picture compiled in uncompressed is shown from the program's own memory, not copied.
// Null when nothing readable is there.
QImage ReadPicture(const QString &path);

// The compiled-in picture called `name`: ":/chirpel/art/<name>.rgb32" or "<name>.argb32" when it
// is a screen picture, else ":/chirpel/art/<name>.png".
QString ArtPicturePath(const char *name);

// A screen picture's file bytes for `picture`: its alpha channel dropped, or kept (premultiplied).
QByteArray ScreenPictureBytes(const QImage &picture, bool keepAlpha = false);
// The picture in `bytes`, or a null one when they are not a whole screen picture.
QImage ScreenPictureFromBytes(const QByteArray &bytes);
