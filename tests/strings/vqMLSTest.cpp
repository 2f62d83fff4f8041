// The language table, module images read into entries or refused with the code of their damage, the
// error texts, the modules' bookkeeping and the program's three compiled-in modules.
#include "strings/MLSImage.h"
#include "strings/SoundRecMLS.h"
#include "strings/SystemLocales.h"
#include "strings/VoiceMailMLS.h"
#include "strings/vqSharedMLS.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QtEndian>

#include <memory>

namespace {

const QByteArray kDescription = "Test\r\nEnglish (United States)\r\n";
const int kCountAt = 8 + int(kDescription.size()), kLengthsAt = kCountAt + 4; // offsets in goodImage()

QByteArray goodImage(quint16 language = 4)
{
    return BuildMLSImage(language, kDescription, {"text 0", "text 1", "text 2", "text 3", "text 4"});
}

// The code ("MLS25x") of the module error the call raises, its whole text when it has no code, or "".
template <class Call> QString errorOf(Call &&call)
{
    try {
        call();
    } catch (const EMLSException &e) {
        const qsizetype at = e.Message().lastIndexOf(QStringLiteral("(Error Code "));
        return at < 0 ? e.Message() : e.Message().mid(at + 12).chopped(1);
    }
    return {};
}

QString readInto(const QByteArray &image, std::span<QString> entries, quint16 language = 4)
{
    QBuffer stream;
    stream.setData(image);
    stream.open(QIODevice::ReadOnly);
    return errorOf([&] { TMLSFile().ReadModule(language, stream, entries); });
}

struct ProgramModules : ::testing::Test {
    void TearDown() override { FinalizeStringModules(); }
};

template <class T> void put(QByteArray &image, int at, T value)
{
    qToLittleEndian<T>(value, image.data() + at);
}

} // namespace

// Abbreviations match ignoring case, the first match wins; languages the system lacks are unknown with
// locale 0, and a locale no entry has falls back to the first entry.
TEST(LanguageTable, MatchesAbbreviationsIgnoringCaseAndTakesTheFirstMatch)
{
    const TMLSLanguageTable table = BuildLanguageTable({
        {QStringLiteral("DEU"), QStringLiteral("German (Germany)"), 1031},
        {QStringLiteral("Enu"), QStringLiteral("English (first)"), 1033},
        {QStringLiteral("enu"), QStringLiteral("English (second)"), 9999},
    });
    EXPECT_EQ(table[3].LocaleId, 1031u);
    EXPECT_EQ(table[4].Name, "English (first)");
    EXPECT_EQ(table[4].LocaleId, 1033u);
    EXPECT_EQ(LanguageIndexOf(table, 9999), 0);
    EXPECT_EQ(table[7].Name, "(Unknown)");
    EXPECT_EQ(table[7].LocaleId, 0u);
}

// Texts are Windows-1252 with their line-break marks kept as stored. An image for another language changes
// no entry, and one cut in its texts keeps the texts before the cut.
TEST(MLSReader, ReadsEveryEntryDecodedInOrderAndStopsRightAfterTheTrailerOrKeepsWhatCameBeforeARefusal)
{
    QBuffer stream;
    stream.setData(BuildMLSImage(4, {}, {"Caf\xe9 \x80 5", "one\\ntwo", ""}) + "next");
    stream.open(QIODevice::ReadOnly);
    std::array<QString, 3> entries = {QStringLiteral("old"), QStringLiteral("old"), QStringLiteral("old")};
    TMLSFile().ReadModule(4, stream, entries);
    EXPECT_EQ(entries, (std::array<QString, 3>{"Caf\u00e9 \u20ac 5", "one\\ntwo", QString()}));
    EXPECT_EQ(stream.readAll(), QByteArray("next"));
    std::array<QString, 5> kept;
    kept.fill(QStringLiteral("old"));
    EXPECT_EQ(readInto(goodImage(5), kept), "MLS252");
    EXPECT_EQ(kept, (std::array<QString, 5>{"old", "old", "old", "old", "old"}));
    const QByteArray image = BuildMLSImage(4, kDescription, {"aaaa", "bbbb", "cccc", "dddd", "eeee"});
    EXPECT_EQ(readInto(image.left(kLengthsAt + 2 * 5 + 10), kept), "MLS254"); // two texts and a half
    EXPECT_EQ(kept, (std::array<QString, 5>{"aaaa", "bbbb", "old", "old", "old"}));
}

TEST(MLSReader, ADamagedImageIsRefusedWithTheCodeOfItsDamage)
{
    const struct {
        const char *damage;
        void (*apply)(QByteArray &image);
        const char *code;
    } cases[] = {
        {"wrong magic", [](QByteArray &i) { i[0] = 'm'; }, "MLS250"},
        {"version 2", [](QByteArray &i) { i[3] = 2; }, "MLS251"},
        {"language high byte", [](QByteArray &i) { put<quint16>(i, 4, 0x0104); }, "MLS252"},
        {"one entry fewer", [](QByteArray &i) { put<quint32>(i, kCountAt, 4); }, "MLS253"},
        {"absurd count", [](QByteArray &i) { put<quint32>(i, kCountAt, 0xFFFFFFFFu); }, "MLS253"},
        {"last entry longer than the rest", [](QByteArray &i) { put<quint16>(i, kLengthsAt + 8, 0xFFFF); },
         "MLS254"},
        {"wrong trailer", [](QByteArray &i) { i[i.size() - 1] = 'Z'; }, "MLS255"},
        {"texts longer than their lengths", [](QByteArray &i) { i.insert(i.size() - 3, 'x'); }, "MLS255"},
    };
    for (const auto &c : cases) {
        QByteArray image = goodImage();
        c.apply(image);
        std::array<QString, 5> entries;
        EXPECT_EQ(readInto(image, entries), QString::fromLatin1(c.code)) << c.damage;
    }
    // Cut at any byte, the image fails with the code of the part it was cut in.
    const QByteArray image = goodImage();
    for (int cut = 0; cut < image.size(); ++cut) {
        const char *expected = cut < 3                       ? "MLS250"
                               : cut < 4                     ? "MLS251"
                               : cut < 6                     ? "MLS252"
                               : cut < kLengthsAt            ? "MLS253"
                               : cut < int(image.size()) - 3 ? "MLS254"
                                                             : "MLS255";
        std::array<QString, 5> entries;
        EXPECT_EQ(readInto(image.left(cut), entries), QString::fromLatin1(expected)) << "cut at " << cut;
    }
}

TEST(MLSError, TextIsTheMessageWithItsLineBreaksThenTheCodeOnItsOwnLine)
{
    EXPECT_EQ(MLSErrorText(QStringLiteral("MLS250"), QString::fromLatin1(MLSFormatMessage)),
              "Invalid MLS Module format.\r\n(Error Code MLS250)");
    EXPECT_EQ(MLSErrorText(QString(), "first\\nsecond \\t"), QStringLiteral("first\r\nsecond \\t"));
}

// The program's start builds the language table the modules look their locales up in.
TEST_F(ProgramModules, ModulesRegisterInOrderLeaveWhenFreedTakeTheirLocalesIndexAndLoadOnlyAnImageOfTheirSize)
{
    InitializeStringModules();
    TMLSManager manager;
    auto a = std::make_unique<TSoundRecMLSModule>(manager);
    auto b = std::make_unique<TVoiceMailMLSModule>(manager, 1036);
    auto c = std::make_unique<TvqSharedMLSModule>(manager, 12345);
    EXPECT_EQ(manager.Modules(), (QList<TMLSModule *>{a.get(), b.get(), c.get()}));
    EXPECT_EQ((std::array{a->LanguageIndex, b->LanguageIndex, c->LanguageIndex}),
              (std::array<quint8, 3>{4, 7, 0}));
    QList<QByteArray> texts;
    for (int i = 0; i < 48; ++i)
        texts.append("mail " + QByteArray::number(i));
    QBuffer image;
    image.setData(BuildMLSImage(4, {}, texts));
    image.open(QIODevice::ReadOnly);
    EXPECT_EQ(errorOf([&] { a->LoadStrings(4, image); }), "MLS253");
    EXPECT_TRUE(a->Strings[0].isEmpty());
    image.seek(0);
    b->LoadStrings(4, image);
    EXPECT_EQ(b->Strings[47], "mail 47");
    EXPECT_EQ(errorOf([&] { a->LoadFromResource(QStringLiteral("MLS_NOSUCHMODULE")); }), "MLS250");
    b.reset();
    EXPECT_EQ(manager.Modules(), (QList<TMLSModule *>{a.get(), c.get()}));
    a.reset();
    c.reset();
    EXPECT_TRUE(manager.Modules().isEmpty());
}

// The named entries are the texts the rest of the program reads.
TEST_F(ProgramModules, StartUpFillsTheThreeModulesForEnglishOnceAndFinalisationFreesThemForAnotherStart)
{
    InitializeStringModules();
    ASSERT_TRUE(MLSManager && SoundRecModule && VoiceMailModule && vqSharedModule);
    EXPECT_EQ(MLSManager->Modules(), (QList<TMLSModule *>{SoundRecModule, VoiceMailModule, vqSharedModule}));
    TSoundRecMLSModule *first = SoundRecModule;
    InitializeStringModules();
    EXPECT_EQ(SoundRecModule, first);
    EXPECT_EQ(MLSManager->Modules().size(), 3);
    for (TMLSModule *m : MLSManager->Modules())
        EXPECT_EQ(m->LanguageIndex, 4) << m->ModuleName.toStdString();
    for (std::span<const QString> strings : {std::span<const QString>(SoundRecModule->Strings),
                                             std::span<const QString>(VoiceMailModule->Strings),
                                             std::span<const QString>(vqSharedModule->Strings)})
        for (std::size_t i = 0; i < strings.size(); ++i)
            EXPECT_FALSE(strings[i].trimmed().isEmpty())
                << strings.size() << " entries; " << i << " has no text";
    const std::pair<QString, const char *> named[] = {
        {SoundRecModule->Strings[SoundRecText::Pause], "Pause"},
        {SoundRecModule->Strings[SoundRecText::Stop], "Stop"},
        {VoiceMailModule->Strings[VoiceMailText::GsmCompression], "GSM Compression"},
        {VoiceMailModule->Strings[VoiceMailText::CompressPrompt], "Compressing message. Please wait..."},
        {vqSharedModule->Strings[72], "Copyright \xc2\xa9 %s"}};
    for (const auto &[text, expected] : named)
        EXPECT_EQ(text, QString::fromUtf8(expected));
    EXPECT_EQ(MLSLanguages[7].Name, "French (France)"); // from the system's locales
    FinalizeStringModules();
    EXPECT_TRUE(!SoundRecModule && !VoiceMailModule && !vqSharedModule && !MLSManager);
    EXPECT_EQ(MLSLanguages[4].LocaleId, 0u);
    InitializeStringModules();
    EXPECT_EQ(SoundRecModule->Strings[SoundRecText::Stop], "Stop");
}
