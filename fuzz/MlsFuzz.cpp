// links: chirpel_strings
// Fuzzes the string-module image reader with arbitrary images for every module size.
#include "strings/vqMLS.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    // The program's three module sizes, plus small ones that let short images reach the trailer.
    for (std::size_t count : {0, 1, 3, 26, 48, 232}) {
        std::vector<QString> entries(count);
        QBuffer stream;
        stream.setData(bytes);
        stream.open(QIODevice::ReadOnly);
        try {
            TMLSFile().ReadModule(4, stream, entries);
        } catch (const EMLSException &e) {
            // Every refusal carries the format message and a code.
            if (!e.Message().startsWith(QLatin1String(MLSFormatMessage))) __builtin_trap();
        }
    }
    return 0;
}
