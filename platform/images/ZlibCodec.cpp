// One-stream zlib compression for pictures carried inside stored data.
#include "platform/images/ZlibCodec.h"

#include <zlib.h>

#include <array>
#include <limits>
#include <string>

namespace platform {

namespace {

// Input is fed to zlib in slices that its 32-bit counters can hold.
constexpr qsizetype maxSlice = std::numeric_limits<uInt>::max() / 2;

// Output arrives in blocks of this size, as the stored data has always been inflated.
constexpr qsizetype inflateBlock = 61440;

std::string zlibMessage(const z_stream &zs, int rc)
{
    return zs.msg ? zs.msg : zError(rc);
}

} // namespace

QByteArray zlibDeflate(QByteArrayView data)
{
    z_stream zs{};
    if (deflateInit(&zs, Z_DEFAULT_COMPRESSION) != Z_OK) throw ZlibError("zlib: cannot start compression");

    QByteArray out;
    std::array<unsigned char, inflateBlock> block;
    const auto *next = reinterpret_cast<const Bytef *>(data.data());
    qsizetype left = data.size();
    int rc = Z_OK;
    do {
        const qsizetype slice = std::min(left, maxSlice);
        zs.next_in = const_cast<Bytef *>(next);
        zs.avail_in = static_cast<uInt>(slice);
        next += slice;
        left -= slice;
        const int flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        do {
            zs.next_out = block.data();
            zs.avail_out = static_cast<uInt>(block.size());
            rc = deflate(&zs, flush);
            if (rc == Z_STREAM_ERROR) {
                deflateEnd(&zs);
                throw ZlibError("zlib: compression failed");
            }
            out.append(reinterpret_cast<const char *>(block.data()),
                       static_cast<qsizetype>(block.size() - zs.avail_out));
        } while (zs.avail_out == 0);
    } while (left > 0);
    deflateEnd(&zs);
    if (rc != Z_STREAM_END) throw ZlibError("zlib: compression did not finish");
    return out;
}

QByteArray zlibInflate(QByteArrayView data, qsizetype maxSize)
{
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) throw ZlibError("zlib: cannot start decompression");

    QByteArray out;
    std::array<unsigned char, inflateBlock> block;
    const auto *next = reinterpret_cast<const Bytef *>(data.data());
    qsizetype left = data.size();
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        if (zs.avail_in == 0 && left > 0) {
            const qsizetype slice = std::min(left, maxSlice);
            zs.next_in = const_cast<Bytef *>(next);
            zs.avail_in = static_cast<uInt>(slice);
            next += slice;
            left -= slice;
        }
        zs.next_out = block.data();
        zs.avail_out = static_cast<uInt>(block.size());
        rc = inflate(&zs, Z_NO_FLUSH);
        const qsizetype produced = static_cast<qsizetype>(block.size() - zs.avail_out);
        if (rc == Z_NEED_DICT || rc == Z_DATA_ERROR || rc == Z_MEM_ERROR || rc == Z_STREAM_ERROR) {
            const std::string why = zlibMessage(zs, rc == Z_NEED_DICT ? Z_DATA_ERROR : rc);
            inflateEnd(&zs);
            throw ZlibError("zlib: " + why);
        }
        if (rc == Z_BUF_ERROR || (produced == 0 && zs.avail_in == 0 && left == 0 && rc != Z_STREAM_END)) {
            inflateEnd(&zs);
            throw ZlibError("zlib: the compressed data ends early");
        }
        if (out.size() + produced > maxSize) {
            inflateEnd(&zs);
            throw ZlibError("zlib: the data inflates beyond its limit");
        }
        out.append(reinterpret_cast<const char *>(block.data()), produced);
    }
    inflateEnd(&zs);
    return out;
}

} // namespace platform
