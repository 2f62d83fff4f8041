// Little-endian reading and writing of stored binary data held in memory.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <stdexcept>
#include <string>

// Stored data that cannot be read: it ends early, a count does not fit the bytes left, or a
// picture inside it is corrupt.
class EShapeDataError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads from a byte buffer that must outlive the reader; every read checks the bytes left.
class TByteReader {
public:
    explicit TByteReader(QByteArrayView data, qsizetype position = 0) : FData(data), FPos(position) {}

    qsizetype Position() const { return FPos; }
    qsizetype Remaining() const { return FData.size() - FPos; }

    std::int32_t ReadInt32()
    {
        Need(4, "a 32-bit value");
        const auto *p = reinterpret_cast<const unsigned char *>(FData.data() + FPos);
        FPos += 4;
        return static_cast<std::int32_t>(std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 |
                                         std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24);
    }

    // The bytes from the current position to the end; the position moves to the end.
    QByteArrayView ReadRest()
    {
        const QByteArrayView rest = FData.sliced(FPos);
        FPos = FData.size();
        return rest;
    }

    void Need(qsizetype count, const char *what) const
    {
        if (count < 0 || count > Remaining())
            throw EShapeDataError(std::string("shape data ends before ") + what);
    }

private:
    QByteArrayView FData;
    qsizetype FPos;
};

// Appends to a byte buffer.
class TByteWriter {
public:
    explicit TByteWriter(QByteArray &out) : FOut(out) {}

    void WriteInt32(std::int32_t value)
    {
        const auto v = static_cast<std::uint32_t>(value);
        const char bytes[4] = {char(v & 0xff), char(v >> 8 & 0xff), char(v >> 16 & 0xff),
                               char(v >> 24 & 0xff)};
        FOut.append(bytes, 4);
    }
    void WriteBytes(QByteArrayView bytes) { FOut.append(bytes); }

private:
    QByteArray &FOut;
};
