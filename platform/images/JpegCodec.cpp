// Baseline JPEG (JFIF) reading and writing of pictures, over libjpeg.
#include "platform/images/JpegCodec.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

namespace platform {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return. Unwinding C++ through
// the C library is not safe, so it jumps back to the call that started the work instead.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr cinfo)
{
    auto *err = reinterpret_cast<ErrorManager *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->escape, 1);
}

void onMessage(j_common_ptr cinfo, int level)
{
    // A picture whose data runs out is refused rather than padded with grey.
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) {
        auto *err = reinterpret_cast<ErrorManager *>(cinfo->err);
        (*cinfo->err->format_message)(cinfo, err->message);
        std::longjmp(err->escape, 1);
    }
}

void useErrorManager(ErrorManager &err)
{
    jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.emit_message = onMessage;
    err.message[0] = '\0';
}

// Runs the decoder on plain C state only, so that the long jump out of it skips no destructor.
// Returns false with err.message filled on failure; `limitExceeded` tells an oversized picture.
bool decodeInto(const unsigned char *bytes, unsigned long size, qint64 maxPixels, ErrorManager &err,
                QImage *target, bool *limitExceeded)
{
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = &err.pub;
    if (setjmp(err.escape)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes, size);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGRX; // the byte order of QImage::Format_RGB32 on little-endian
    jpeg_calc_output_dimensions(&cinfo);
    const qint64 pixels = qint64(cinfo.output_width) * qint64(cinfo.output_height);
    if (cinfo.output_width > 32767 || cinfo.output_height > 32767 || pixels > maxPixels) {
        *limitExceeded = true;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    // QImage allocation happens here, before start_decompress; a failure shows as a null image.
    *target = QImage(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGB32);
    if (target->isNull()) {
        std::strcpy(err.message, "not enough memory for the picture");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = target->scanLine(int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool encodeInto(const QImage &rgb, int quality, ErrorManager &err, unsigned char **out,
                unsigned long *outSize)
{
    jpeg_compress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = &err.pub;
    if (setjmp(err.escape)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, out, outSize);
    cinfo.image_width = JDIMENSION(rgb.width());
    cinfo.image_height = JDIMENSION(rgb.height());
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE /* baseline tables */);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        // libjpeg takes rows as non-const although it only reads them.
        auto *row = const_cast<JSAMPLE *>(rgb.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

} // namespace

QImage jpegDecode(QByteArrayView data, qint64 maxPixels)
{
    if (data.isEmpty()) throw JpegError("JPEG: no image data");
    ErrorManager err;
    useErrorManager(err);
    QImage picture;
    bool limitExceeded = false;
    if (!decodeInto(reinterpret_cast<const unsigned char *>(data.data()),
                    static_cast<unsigned long>(data.size()), maxPixels, err, &picture, &limitExceeded)) {
        if (limitExceeded) throw JpegError("JPEG: the picture is larger than allowed");
        throw JpegError(std::string("JPEG: ") + err.message);
    }
    return picture;
}

QByteArray jpegEncode(const QImage &picture, int quality)
{
    if (picture.isNull() || picture.width() == 0 || picture.height() == 0)
        throw JpegError("JPEG: cannot write an empty picture");
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    ErrorManager err;
    useErrorManager(err);
    unsigned char *out = nullptr;
    unsigned long outSize = 0;
    const bool ok = encodeInto(rgb, quality, err, &out, &outSize);
    QByteArray bytes;
    if (ok) bytes = QByteArray(reinterpret_cast<const char *>(out), static_cast<qsizetype>(outSize));
    std::free(out);
    if (!ok) throw JpegError(std::string("JPEG: ") + err.message);
    return bytes;
}

} // namespace platform
