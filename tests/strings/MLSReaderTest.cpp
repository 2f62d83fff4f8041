// Reading module images: the texts of a good image, and the error code of every kind of damage.
#include "MLSTestImages.h"

#include <gtest/gtest.h>

#include <QtEndian>

using namespace mlstest;

namespace {

const QByteArray kDescription = "Test\r\nEnglish (United States)\r\n";

QByteArray goodImage(int count = 5, quint16 language = 4)
{
    return BuildMLSImage(language, kDescription, numberedEntries(count, "text "));
}

// Offsets in goodImage().
const int kDescriptionAt = 8;
const int kCountAt = kDescriptionAt + int(kDescription.size());
const int kLengthsAt = kCountAt + 4;

template <class T> void put(QByteArray &image, int at, T value)
{
    qToLittleEndian<T>(value, image.data() + at);
}

} // namespace

TEST(MLSReader, ReadsEveryEntryOfAGoodImageInOrderAndStopsRightAfterTheTrailer)
{
    QBuffer stream;
    stream.setData(goodImage() + "next");
    stream.open(QIODevice::ReadOnly);
    std::array<QString, 5> entries;
    TMLSFile().ReadModule(4, stream, entries);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(entries[i], QStringLiteral("text %1").arg(i));
    EXPECT_EQ(stream.readAll(), QByteArray("next"));
}

// Without a description the count sits at offset eight; texts are Windows-1252, line-break marks kept.
TEST(MLSReader, DecodesTheAnsiCodePageAndKeepsLineBreakMarksAsStored)
{
    const QByteArray image = BuildMLSImage(4, {}, {"Caf\xe9 \x80 5", "one\\ntwo", ""});
    ASSERT_EQ(image.mid(6, 6), QByteArray("\x00\x00\x03\x00\x00\x00", 6));
    std::array<QString, 3> entries = {QStringLiteral("old"), QStringLiteral("old"), QStringLiteral("old")};
    ASSERT_EQ(readInto(image, 4, entries), QString());
    EXPECT_EQ(entries, (std::array<QString, 3>{"Caf\u00e9 \u20ac 5", "one\\ntwo", QString()}));
}

TEST(MLSReader, ADamagedImageIsRefusedWithTheCodeOfItsDamage)
{
    const struct {
        const char *damage;
        void (*apply)(QByteArray &image);
        const char *code;
    } cases[] = {
        {"wrong magic", [](QByteArray &i) { i[2] = 'X'; }, "MLS250"},
        {"lower case magic", [](QByteArray &i) { i[0] = 'm'; }, "MLS250"},
        {"version 0", [](QByteArray &i) { i[3] = 0; }, "MLS251"},
        {"version 2", [](QByteArray &i) { i[3] = 2; }, "MLS251"},
        {"language five", [](QByteArray &i) { put<quint16>(i, 4, 5); }, "MLS252"},
        {"language high byte", [](QByteArray &i) { put<quint16>(i, 4, 0x0104); }, "MLS252"},
        {"one entry fewer", [](QByteArray &i) { put<quint32>(i, kCountAt, 4); }, "MLS253"},
        {"one entry more", [](QByteArray &i) { put<quint32>(i, kCountAt, 6); }, "MLS253"},
        {"absurd count", [](QByteArray &i) { put<quint32>(i, kCountAt, 0xFFFFFFFFu); }, "MLS253"},
        {"description runs past the end", [](QByteArray &i) { put<quint16>(i, 6, 0xFFFF); }, "MLS253"},
        {"last entry longer than the rest", [](QByteArray &i) { put<quint16>(i, kLengthsAt + 8, 0xFFFF); },
         "MLS254"},
        {"cut in the texts", [](QByteArray &i) { i.chop(10); }, "MLS254"},
        {"wrong trailer", [](QByteArray &i) { i[i.size() - 1] = 'Z'; }, "MLS255"},
        {"no trailer", [](QByteArray &i) { i.chop(3); }, "MLS255"},
        {"texts longer than their lengths", [](QByteArray &i) { i.insert(i.size() - 3, 'x'); }, "MLS255"},
    };
    for (const auto &c : cases) {
        QByteArray image = goodImage();
        c.apply(image);
        std::array<QString, 5> entries;
        EXPECT_EQ(errorCode(readInto(image, 4, entries)), QString::fromLatin1(c.code)) << c.damage;
    }
}

// An image cut at any byte fails with the code of the part it was cut in: the magic 250, the version
// 251, the language 252, description length, description and count 253, lengths and texts 254,
// the trailer 255.
TEST(MLSReader, AnImageCutAnywhereReportsThePartThatCameUpShort)
{
    const QByteArray image = goodImage();
    const int trailerAt = int(image.size()) - 3;
    for (int cut = 0; cut < image.size(); ++cut) {
        const char *expected = cut < 3            ? "MLS250"
                               : cut < 4          ? "MLS251"
                               : cut < 6          ? "MLS252"
                               : cut < kLengthsAt ? "MLS253"
                               : cut < trailerAt  ? "MLS254"
                                                  : "MLS255";
        std::array<QString, 5> entries;
        EXPECT_EQ(errorCode(readInto(image.left(cut), 4, entries)), QString::fromLatin1(expected))
            << "cut at " << cut;
    }
}

TEST(MLSReader, AnImageForAnotherLanguageChangesNoEntryAndOneCutInItsTextsKeepsTheTextsBeforeTheCut)
{
    std::array<QString, 5> entries;
    entries.fill(QStringLiteral("old"));
    EXPECT_EQ(errorCode(readInto(goodImage(5, 5), 4, entries)), "MLS252");
    EXPECT_EQ(entries, (std::array<QString, 5>{"old", "old", "old", "old", "old"}));
    const QByteArray image = BuildMLSImage(4, kDescription, {"aaaa", "bbbb", "cccc", "dddd", "eeee"});
    // Two texts whole, the third half there.
    EXPECT_EQ(errorCode(readInto(image.left(kLengthsAt + 2 * 5 + 10), 4, entries)), "MLS254");
    EXPECT_EQ(entries, (std::array<QString, 5>{"aaaa", "bbbb", "old", "old", "old"}));
}

// The message with its line-break marks expanded, then the code on its own line.
TEST(MLSError, TextIsTheMessageThenTheCodeOnItsOwnLineAlsoAsWhat)
{
    std::array<QString, 1> entries;
    EXPECT_EQ(readInto("MLX", 4, entries), "Invalid MLS Module format.\r\n(Error Code MLS250)");
    EXPECT_EQ(MLSErrorText(QString(), "first\\nsecond \\t"), QStringLiteral("first\r\nsecond \\t"));
    EXPECT_EQ(MLSErrorText(QStringLiteral("X1"), "a\\nb"), QStringLiteral("a\r\nb\r\n(Error Code X1)"));
    try {
        RaiseMLSError(QStringLiteral("MLS253"), QStringLiteral("Invalid MLS Module format."));
        FAIL() << "no exception";
    } catch (const std::runtime_error &e) {
        EXPECT_STREQ(e.what(), "Invalid MLS Module format.\r\n(Error Code MLS253)");
    }
}
