// Baseline JPEG (JFIF) reading and writing of pictures.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

#include <stdexcept>

namespace platform {

// A JPEG image that cannot be read (corrupt, truncated, too large) or a picture that cannot be written.
class JpegError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Decodes a JPEG file image into an RGB32 picture. Throws JpegError on corrupt or truncated data
// and on pictures with more than `maxPixels` pixels (checked before any pixel memory is taken).
QImage jpegDecode(QByteArrayView data, qint64 maxPixels);

// Encodes `picture` as a baseline colour JFIF image at the given quality (0..100).
// Throws JpegError for an empty picture.
QByteArray jpegEncode(const QImage &picture, int quality = 90);

} // namespace platform
