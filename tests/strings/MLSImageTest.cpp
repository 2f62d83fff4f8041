// Building module images from the numbered text sources.
#include "strings/MLSImage.h"

#include <gtest/gtest.h>

#include <QDateTime>

TEST(MLSImage, LaysTheImageOutByteForByteWithADescriptionOfThreeFixedWidthLines)
{
    // Magic and version, language index 4, description, two entries, their lengths, texts, trailer.
    const QByteArray expected =
        QByteArray::fromHex("4d4c5301 0400 0200 6162 02000000 0100 0300 78 79807a 4d4c53");
    EXPECT_EQ(BuildMLSImage(4, "ab", {"x", "y\x80z"}), expected);
    // The description: three CR LF lines of fixed width.
    const QDateTime built(QDate(2024, 5, 1), QTime(9, 30, 0), Qt::UTC);
    const QByteArray d =
        MLSImageDescription(QStringLiteral("SoundRec"), QStringLiteral("English (United States)"), built);
    EXPECT_EQ(d.size(), 118);
    EXPECT_TRUE(d.startsWith("SoundRec\r\nEnglish (United States)\r\n")) << d.constData();
    EXPECT_TRUE(d.contains("mlsgen") && d.contains("2024-05-01 09:30:00") && d.endsWith("\r\n"))
        << d.constData();
    EXPECT_EQ(d.count("\r\n"), 3);
    EXPECT_EQ(MLSImageDescription(QStringLiteral("VoiceMail"), QStringLiteral("English (United States)"),
                                  built.addYears(3).addSecs(1))
                  .size(),
              119);
}

// Lines are read verbatim, comments and blank lines skipped, UTF-8 compiled to Windows-1252; gaps,
// repeats, lines without a number, wrong counts and characters outside the code page are refused.
TEST(MLSSource, ReadsNumberedLinesVerbatimCompilesThemToWindows1252AndRefusesWhatDoesNotFit)
{
    QString error;
    const auto entries = ParseMLSSource("# header\n0=OK\r\n\n1= %d KB\n# note\n2=a=b\\nc\n3=\n", &error);
    ASSERT_TRUE(entries) << error.toStdString();
    EXPECT_EQ(*entries, QStringList({"OK", " %d KB", "a=b\\nc", ""}));
    const auto image = CompileMLSSource("0=Copyright \xc2\xa9\n1=caf\xc3\xa9\n", 2, 4, "d", &error);
    ASSERT_TRUE(image) << error.toStdString();
    EXPECT_EQ(*image, BuildMLSImage(4, "d", {"Copyright \xa9", "caf\xe9"}));
    const std::pair<QByteArray, const char *> cases[] = {
        {"0=a\n2=b\n", "line 2: entry 2 where 1 was expected"},
        {"0=a\n0=b\n", "line 2: entry 0 where 1 was expected"},
        {"1=a\n", "line 1: entry 1 where 0 was expected"},
        {"0=a\nb\n", "line 2: expected <number>=<text>"},
        {"=a\n", "line 1: expected <number>=<text>"},
        {"x=a\n", "line 1: \"x\" is not an entry number"},
        {" 0=a\n", "line 1: \" 0\" is not an entry number"},
        {"0=a\n1=b\n2=c\n", "3 entries where 2 are needed"},
        {"0=a\n1=\xd0\x96\n", "entry 1 has characters outside Windows-1252"},
        {"0=" + QByteArray(70000, 'x') + "\n1=b\n", "entry 0 is longer than 65535 bytes"}};
    for (const auto &[source, message] : cases) {
        EXPECT_FALSE(CompileMLSSource(source, 2, 4, {}, &error)) << source.left(20).constData();
        EXPECT_EQ(error, QString::fromLatin1(message)) << source.left(20).constData();
    }
}
