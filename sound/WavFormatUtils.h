// The message file's RIFF WAVE layout: byte streams, reading the PCM header and the plain-PCM test.
#pragma once

#include "platform/codecs/AudioCompression.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// Packing runs in the separate chirpel-pack tool too, which starts in a few milliseconds because
// it loads no Qt library: this unit and WaveConvert use the standard library only.

// A file that cannot be opened, read or written; the text names the file and the system's reason.
class EStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A positioned byte stream. Numbers are read and written little-endian, as RIFF stores them.
class TStream {
public:
    virtual ~TStream() = default;

    // Reads up to `count` bytes; fewer only at the end of the stream.
    virtual size_t Read(void *buffer, size_t count) = 0;
    virtual void Write(const void *buffer, size_t count) = 0;
    virtual uint64_t Position() const = 0;
    // Moves to `position`; beyond the end a later write fills the gap with zeros.
    virtual void Seek(uint64_t position) = 0;
    virtual uint64_t Size() const = 0;
    // Reads up to `count` bytes at `position` without moving the stream; fewer only at the end.
    // Several threads may call it at once, while nothing writes to the stream.
    virtual size_t ReadAt(uint64_t position, void *buffer, size_t count) const = 0;

    bool ReadExact(void *buffer, size_t count) { return Read(buffer, count) == count; }
    void WriteUInt16(uint16_t value);
    void WriteUInt32(uint32_t value);
    void WriteTag(const char (&tag)[5]) { Write(tag, 4); }
};

// A stream held in memory.
class TMemoryStream final : public TStream {
public:
    explicit TMemoryStream(std::vector<uint8_t> bytes = {}) : FBytes(std::move(bytes)) {}

    size_t Read(void *buffer, size_t count) override;
    void Write(const void *buffer, size_t count) override;
    uint64_t Position() const override { return FPosition; }
    void Seek(uint64_t position) override { FPosition = position; }
    uint64_t Size() const override { return FBytes.size(); }
    size_t ReadAt(uint64_t position, void *buffer, size_t count) const override;

    const std::vector<uint8_t> &Bytes() const { return FBytes; }

    // Replaces the file `fileName` with the stream's bytes, whole or not at all: they go to a new
    // file in the same folder, reach the disk, and that file is renamed over the old one, which
    // lends it its permission bits. A symbolic link is followed. Throws EStreamError.
    void SaveToFile(const std::string &fileName) const;

private:
    std::vector<uint8_t> FBytes;
    uint64_t FPosition = 0;
};

// A stream over an open file, read only.
class TFileStream final : public TStream {
public:
    // Throws EStreamError when the file cannot be opened, is not a regular file or is larger
    // than MaxWaveFileBytes.
    explicit TFileStream(const std::string &fileName);
    ~TFileStream() override;
    TFileStream(const TFileStream &) = delete;
    TFileStream &operator=(const TFileStream &) = delete;

    // Throws EStreamError when the system reports a read error.
    size_t Read(void *buffer, size_t count) override;
    // Always throws EStreamError: the stream is read only.
    void Write(const void *buffer, size_t count) override;
    uint64_t Position() const override { return FPosition; }
    void Seek(uint64_t position) override { FPosition = position; }
    uint64_t Size() const override;
    size_t ReadAt(uint64_t position, void *buffer, size_t count) const override;

private:
    std::string FFileName;
    int FHandle = -1;
    uint64_t FPosition = 0;
};

// Reads "RIFF", its size, "WAVE", "fmt " and the format size N; takes the first 19 bytes of the
// format body as the source format and goes on at the body's start + N; skips one "fact" chunk if
// one follows; then requires "data" and reads the data size. On true the stream stands at the
// first data byte. False for anything else between "fmt " and "data", a format body shorter than
// 16 bytes, or a format or "fact" chunk reaching beyond the end of the stream. A data chunk
// shorter than its size says is accepted: the conversion takes what is there.
bool ReadPcmWaveHeader(TStream &stream, platform::WaveFormatEx &format, uint32_t &dataSize);

// The lowest and highest sample rates the compression takes.
constexpr uint32_t MinPcmRate = 1000;
constexpr uint32_t MaxPcmRate = 384000;

// True for plain PCM: format tag 1, 1 or 2 channels, samples per second x block alignment
// (32-bit product) equal to the average bytes per second; and, for the conversion's safety, a
// block alignment above 0 and a rate from MinPcmRate to MaxPcmRate. Bits per sample are left
// to the codec.
bool IsPlainPcm(const platform::WaveFormatEx &format);
