// One-stream zlib compression for pictures carried inside stored data.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <stdexcept>

namespace platform {

// A zlib stream that is corrupt, truncated or would inflate beyond the caller's limit.
class ZlibError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The whole of `data` as one zlib stream (header, deflate data, Adler-32) at zlib's default level.
QByteArray zlibDeflate(QByteArrayView data);

// Inflates the zlib stream at the start of `data` (bytes after its end are ignored).
// Throws ZlibError when the stream is corrupt or ends early, or when its output would exceed
// `maxSize` bytes.
QByteArray zlibInflate(QByteArrayView data, qsizetype maxSize);

} // namespace platform
