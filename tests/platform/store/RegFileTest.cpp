// The REGEDIT4 text form of the settings: what is written, what reads back, what is refused.
#include "platform/store/RegFile.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {
const QString kUser = QStringLiteral("HKEY_CURRENT_USER");
const QString kKey = QStringLiteral("Software\\Brimblet\\Chirpel");
const QByteArray kHead = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brimblet\\Chirpel]\n";
} // namespace

TEST(RegFile, WritesRegeditFormAndEveryKindOfValueReadsBackAsWritten)
{
    RegHive hive;
    RegKeyValues &key = hive.createKey(kKey);
    key.set(QStringLiteral("ReciptName"), RegValue::fromText(QStringLiteral("Grandma \"Gigi\" C:\\x")));
    key.set(QStringLiteral("Quality "), RegValue::fromNumber(300));
    key.set(QStringLiteral("quality "), RegValue::fromNumber(301)); // the same name: the first spelling stays
    key.set(QStringLiteral("Path"), RegValue::fromExpandText(QStringLiteral("/t")));
    EXPECT_EQ(formatRegFile(hive, kUser), kHead +
                                              "\"ReciptName\"=\"Grandma \\\"Gigi\\\" C:\\\\x\"\n"
                                              "\"Quality \"=dword:0000012d\n\"Path\"=hex(2):2f,74,00\n\n");
    EXPECT_EQ(key.find(QStringLiteral("Quality")), nullptr) << "the trailing blank belongs to the name";
    key.set(QStringLiteral("Empty"), RegValue::fromText(QString()));
    key.set(QStringLiteral("Unicode"), RegValue::fromText(QStringLiteral("Zoë 🐒 \\\\server")));
    key.set(QStringLiteral("Lines"), RegValue::fromText(QStringLiteral("one\r\ntwo")));
    key.set(QStringLiteral("Long"), RegValue::fromExpandText(QString(300, QLatin1Char('x'))));
    key.set(QStringLiteral("Max"), RegValue::fromNumber(0xffffffffu));
    key.set(QStringLiteral("Blob"), RegValue::fromRaw(RegBinary, QByteArray("\x00\x01\xff", 3)));
    key.set(QStringLiteral("List"), RegValue::fromRaw(7, QByteArray("a\0b\0\0", 5)));
    key.set(QString(), RegValue::fromText(QStringLiteral("default")));
    hive.createKey(QStringLiteral("Software\\Empty"));
    // Read back as a hand-edited copy would come: with a byte order mark and CR LF line ends.
    const std::optional<RegHive> back =
        parseRegFile("\xef\xbb\xbf" + formatRegFile(hive, kUser).replace("\n", "\r\n"), kUser);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, hive);
    EXPECT_EQ(back->keyPaths(), QStringList({kKey, QStringLiteral("Software\\Empty")}));
}

TEST(RegFile, ADamagedFileIsRefusedWholeWithTheLineAtFault)
{
    const struct {
        const char *what;
        QByteArray text;
        int line;
    } cases[] = {
        {"empty file", "", 0},
        {"garbage", "hello world\n", 1},
        {"binary", QByteArray("REGEDIT4\n\0\x01\x02", 12), 0},
        {"not UTF-8", "REGEDIT4\n\xff\xfe\n", 0},
        {"value before any key", "REGEDIT4\n\"A\"=\"1\"\n", 2},
        {"key outside the root", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software]\n", 2},
        {"root name run on", "REGEDIT4\n[HKEY_CURRENT_USERS\\Software]\n", 2},
        {"key deletion", "REGEDIT4\n[-HKEY_CURRENT_USER\\Software]\n", 2},
        {"key cut short", "REGEDIT4\n[HKEY_CURRENT_USER\\Softw", 2},
        {"text cut short", kHead + "\"MsgFileName\"=\"/tmp/chi", 4},
        {"name cut short", kHead + "\"Quali", 4},
        {"number cut short", kHead + "\"MaxTimeSec\"=dword:0000", 4},
        {"hex cut short", kHead + "\"X\"=hex(2):2f,74,\\\n", 5},
        {"hex continuation at the end", kHead + "\"X\"=hex(2):2f,74,\\", 4},
        {"hex trailing comma", kHead + "\"X\"=hex:2f,", 4},
        {"hex text not UTF-8", kHead + "\"X\"=hex(1):ff,00\n", 4},
        {"hex number of three bytes", kHead + "\"X\"=hex(4):01,02,03\n", 4},
        {"unknown escape", kHead + "\"A\"=\"a\\tb\"\n", 4},
        {"text after the value", kHead + "\"A\"=\"1\" 2\n", 4},
        {"unknown kind", kHead + "\"A\"=qword:1\n", 4},
        {"value deletion", kHead + "\"A\"=-\n", 4},
        {"missing equals sign", kHead + "\"A\" \"1\"\n", 4},
    };
    for (const auto &c : cases) {
        RegParseError error;
        EXPECT_FALSE(parseRegFile(c.text, kUser, &error)) << c.what;
        EXPECT_EQ(error.line, c.line) << c.what;
        EXPECT_FALSE(error.reason.isEmpty()) << c.what;
    }
}
