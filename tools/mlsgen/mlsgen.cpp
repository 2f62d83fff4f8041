// mlsgen: compiles a string-module text source (UTF-8) into the binary module image the program reads.
#include "strings/MLSImage.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>

#include <cstdio>

namespace {

// The program's images are all US English: language index 4 of the language table.
constexpr quint16 kLanguageIndex = 4;
const char *const kLanguageName = "English (United States)";

int fail(const QString &what)
{
    std::fprintf(stderr, "mlsgen: %s\n", qPrintable(what));
    return 1;
}

// SOURCE_DATE_EPOCH, when set, makes the build time reproducible.
QDateTime buildTime()
{
    bool ok = false;
    const qint64 epoch = qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong(&ok);
    return ok ? QDateTime::fromSecsSinceEpoch(epoch, Qt::UTC) : QDateTime::currentDateTimeUtc();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: mlsgen <source.txt> <image> <module name> <entry count>\n");
        return 2;
    }
    const QString sourcePath = QString::fromLocal8Bit(argv[1]);
    const QString imagePath = QString::fromLocal8Bit(argv[2]);
    const QString moduleName = QString::fromLocal8Bit(argv[3]);
    bool countOk = false;
    const int count = QByteArray(argv[4]).toInt(&countOk);
    if (!countOk || count < 0) return fail(QStringLiteral("bad entry count \"%1\"").arg(argv[4]));

    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly)) return fail(QStringLiteral("cannot read %1").arg(sourcePath));

    QString error;
    const QByteArray description =
        MLSImageDescription(moduleName, QString::fromLatin1(kLanguageName), buildTime());
    const std::optional<QByteArray> image =
        CompileMLSSource(source.readAll(), count, kLanguageIndex, description, &error);
    if (!image) return fail(QStringLiteral("%1: %2").arg(sourcePath, error));

    QSaveFile out(imagePath);
    if (!out.open(QIODevice::WriteOnly) || out.write(*image) != image->size() || !out.commit())
        return fail(QStringLiteral("cannot write %1").arg(imagePath));
    return 0;
}
