// The message file's RIFF WAVE layout: byte streams, reading the PCM header and the plain-PCM test.
#include "sound/WavFormatUtils.h"

#include "platform/files/AtomicFile.h"
#include "platform/files/SafeRead.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string systemReason(int error)
{
    return std::strerror(error);
}

[[noreturn]] void fail(const std::string &what, const std::string &fileName, int error)
{
    throw EStreamError(what + " " + platform::QuotedPath(fileName) + ": " + systemReason(error));
}

uint16_t uint16At(const uint8_t *bytes)
{
    return uint16_t(bytes[0] | bytes[1] << 8);
}

uint32_t uint32At(const uint8_t *bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

bool readUInt32(TStream &stream, uint32_t &value)
{
    uint8_t bytes[4];
    if (!stream.ReadExact(bytes, 4)) return false;
    value = uint32At(bytes);
    return true;
}

bool readTag(TStream &stream, char (&tag)[4])
{
    return stream.ReadExact(tag, 4);
}

bool isTag(const char (&tag)[4], const char *expected)
{
    return std::memcmp(tag, expected, 4) == 0;
}

} // namespace

void TStream::WriteUInt16(uint16_t value)
{
    const uint8_t bytes[2] = {uint8_t(value), uint8_t(value >> 8)};
    Write(bytes, 2);
}

void TStream::WriteUInt32(uint32_t value)
{
    const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                              uint8_t(value >> 24)};
    Write(bytes, 4);
}

size_t TMemoryStream::Read(void *buffer, size_t count)
{
    const size_t n = ReadAt(FPosition, buffer, count);
    FPosition += n;
    return n;
}

size_t TMemoryStream::ReadAt(uint64_t position, void *buffer, size_t count) const
{
    if (count == 0 || position >= FBytes.size()) return 0;
    const size_t n = std::min<uint64_t>(count, FBytes.size() - position);
    std::memcpy(buffer, FBytes.data() + position, n);
    return n;
}

void TMemoryStream::Write(const void *buffer, size_t count)
{
    if (count == 0) return;
    if (FPosition + count > FBytes.size()) FBytes.resize(FPosition + count);
    std::memcpy(FBytes.data() + FPosition, buffer, count);
    FPosition += count;
}

void TMemoryStream::SaveToFile(const std::string &fileName) const
{
    const platform::ReplaceResult result =
        platform::ReplaceFileAtomically(fileName, FBytes.data(), FBytes.size());
    if (!result) fail(result.step, result.path, result.error);
}

TFileStream::TFileStream(const std::string &fileName) : FFileName(fileName)
{
    // A FIFO, a device or a folder put in the message's place is refused at once, never waited on.
    platform::SafeReadResult refused;
    FHandle = platform::OpenRegularFile(fileName, platform::MaxWaveFileBytes, refused);
    if (FHandle < 0) throw EStreamError("Cannot open file " + refused.what);
}

TFileStream::~TFileStream()
{
    ::close(FHandle);
}

size_t TFileStream::Read(void *buffer, size_t count)
{
    const size_t n = ReadAt(FPosition, buffer, count);
    FPosition += n;
    return n;
}

size_t TFileStream::ReadAt(uint64_t position, void *buffer, size_t count) const
{
    auto *bytes = static_cast<uint8_t *>(buffer);
    size_t done = 0;
    while (done < count) {
        if (position + done > uint64_t(LLONG_MAX)) break;
        const ssize_t n = ::pread(FHandle, bytes + done, count - done, off_t(position + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("Cannot read file", FFileName, errno);
        }
        if (n == 0) break;
        done += size_t(n);
    }
    return done;
}

void TFileStream::Write(const void *, size_t)
{
    fail("Cannot write to the read-only stream of", FFileName, EBADF);
}

uint64_t TFileStream::Size() const
{
    struct stat info {};
    if (::fstat(FHandle, &info) != 0) fail("Cannot read file", FFileName, errno);
    return uint64_t(info.st_size);
}

bool ReadPcmWaveHeader(TStream &stream, platform::WaveFormatEx &format, uint32_t &dataSize)
{
    char tag[4];
    uint32_t size = 0;
    if (!readTag(stream, tag) || !isTag(tag, "RIFF") || !readUInt32(stream, size)) return false;
    if (!readTag(stream, tag) || !isTag(tag, "WAVE") || !readTag(stream, tag) || !isTag(tag, "fmt "))
        return false;
    uint32_t formatSize = 0;
    if (!readUInt32(stream, formatSize) || formatSize < 16) return false;
    const uint64_t bodyStart = stream.Position();
    const uint64_t end = stream.Size();
    if (bodyStart + formatSize > end) return false;
    // 19 bytes as the format record holds them; after a 16-byte PCM body the last three belong to
    // the next chunk's header and mean nothing here.
    uint8_t body[19];
    if (!stream.ReadExact(body, sizeof body)) return false;
    format = platform::WaveFormatEx{};
    format.formatTag = uint16At(body);
    format.channels = uint16At(body + 2);
    format.samplesPerSec = uint32At(body + 4);
    format.avgBytesPerSec = uint32At(body + 8);
    format.blockAlign = uint16At(body + 12);
    format.bitsPerSample = uint16At(body + 14);
    stream.Seek(bodyStart + formatSize);

    if (!readTag(stream, tag)) return false;
    if (isTag(tag, "fact")) {
        uint32_t factSize = 0;
        if (!readUInt32(stream, factSize) || stream.Position() + factSize > end) return false;
        stream.Seek(stream.Position() + factSize);
        if (!readTag(stream, tag)) return false;
    }
    if (!isTag(tag, "data")) return false;
    return readUInt32(stream, dataSize);
}

bool IsPlainPcm(const platform::WaveFormatEx &format)
{
    const bool plain = format.formatTag == platform::WaveFormatPcm &&
                       (format.channels == 1 || format.channels == 2) &&
                       uint32_t(format.samplesPerSec * format.blockAlign) == format.avgBytesPerSec;
    // A block alignment of 0 would make the chunk size a division by zero; rates far outside
    // speech would make the conversion's buffers absurd.
    const bool safe =
        format.blockAlign > 0 && format.samplesPerSec >= MinPcmRate && format.samplesPerSec <= MaxPcmRate;
    return plain && safe;
}
