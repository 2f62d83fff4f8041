// links: chirpel_settings
// Reads arbitrary bytes as a tips file: every tip has a text and a one-line title, and the tips
// written back in the file's format read as the same tips.
#include "settings/TipsViewer.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > kMaxTipsFileBytes) return 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::vector<TTip> tips = ParseTips(text);
    QString written;
    for (const TTip &tip : tips) {
        if (tip.Text.isEmpty() || tip.Title.contains(QLatin1Char('\n'))) __builtin_trap();
        written += QStringLiteral("* ") + tip.Title + QLatin1Char('\n');
        // A line break within a text is an empty line between its parts.
        written += tip.Text.split(QLatin1Char('\n')).join(QStringLiteral("\n\n")) + QLatin1Char('\n');
    }
    if (ParseTips(written) != tips) __builtin_trap();
    return 0;
}
