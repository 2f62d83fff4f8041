// The REGEDIT4 text form of the settings: what is written, what reads back, what is refused.
#include "platform/store/RegFile.h"

#include <gtest/gtest.h>

using namespace platform;

const QString kUser = QStringLiteral("HKEY_CURRENT_USER");
const QString kKey = QStringLiteral("Software\\Brimblet\\Chirpel");

TEST(RegFile, WritesTextNumbersAndExpandableTextInRegeditForm)
{
    RegHive hive;
    RegKeyValues &key = hive.createKey(kKey);
    key.set(QStringLiteral("ReciptName"), RegValue::fromText(QStringLiteral("Grandma \"Gigi\" C:\\x")));
    key.set(QStringLiteral("Quality "), RegValue::fromNumber(300));
    key.set(QStringLiteral("Path"), RegValue::fromExpandText(QStringLiteral("/t")));

    EXPECT_EQ(formatRegFile(hive, kUser),
              QByteArray("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brimblet\\Chirpel]\n"
                         "\"ReciptName\"=\"Grandma \\\"Gigi\\\" C:\\\\x\"\n"
                         "\"Quality \"=dword:0000012c\n"
                         "\"Path\"=hex(2):2f,74,00\n"
                         "\n"));
}

TEST(RegFile, EveryKindOfValueReadsBackAsWritten)
{
    RegHive hive;
    RegKeyValues &key = hive.createKey(kKey);
    key.set(QStringLiteral("Empty"), RegValue::fromText(QString()));
    key.set(QStringLiteral("Unicode"), RegValue::fromText(QStringLiteral("Zoë 🐒 \\\\server")));
    key.set(QStringLiteral("Lines"), RegValue::fromText(QStringLiteral("one\r\ntwo")));
    key.set(QStringLiteral("Long"), RegValue::fromExpandText(QString(300, QLatin1Char('x'))));
    key.set(QStringLiteral("Max"), RegValue::fromNumber(0xffffffffu));
    key.set(QStringLiteral("Blob"), RegValue::fromRaw(RegBinary, QByteArray("\x00\x01\xff", 3)));
    key.set(QStringLiteral("List"), RegValue::fromRaw(7, QByteArray("a\0b\0\0", 5)));
    key.set(QString(), RegValue::fromText(QStringLiteral("default")));
    hive.createKey(QStringLiteral("Software\\Empty"));

    const std::optional<RegHive> back = parseRegFile(formatRegFile(hive, kUser), kUser);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, hive);
    EXPECT_EQ(back->keyPaths(), QStringList({kKey, QStringLiteral("Software\\Empty")}));
}

TEST(RegFile, ReadsRegeditConventions)
{
    const QByteArray text = "\xef\xbb\xbfREGEDIT4\r\n"
                            "; written by hand\r\n"
                            "\r\n"
                            "[HKEY_CURRENT_USER\\Software\\Brimblet\\Chirpel]\r\n"
                            "@=\"default\"\r\n"
                            "\"Msg\"=hex(2):2f,74,6d,70,2f,\\\r\n"
                            "  78,00\r\n"
                            "[hkey_current_user\\SOFTWARE\\brimblet\\chirpel]\r\n"
                            "\"Age\"=dword:00000007\r\n"
                            "\"Age\"=dword:00000008\r\n";
    const std::optional<RegHive> hive = parseRegFile(text, kUser);
    ASSERT_TRUE(hive);
    ASSERT_EQ(hive->keyPaths().size(), 1);
    const RegKeyValues *key = hive->key(QStringLiteral("software\\brimblet\\CHIRPEL"));
    ASSERT_TRUE(key);
    EXPECT_EQ(key->find(QString())->text, QStringLiteral("default"));
    EXPECT_EQ(*key->find(QStringLiteral("msg")), RegValue::fromExpandText(QStringLiteral("/tmp/x")));
    EXPECT_EQ(key->find(QStringLiteral("AGE"))->number, 8u);
}

TEST(RegFile, ValueNamesKeepTrailingBlanksAndCompareWithoutCase)
{
    RegKeyValues key;
    key.set(QStringLiteral("Quality "), RegValue::fromNumber(2));
    key.set(QStringLiteral("quality "), RegValue::fromNumber(3));
    EXPECT_EQ(key.entries().size(), 1u);
    EXPECT_EQ(key.entries()[0].first, QStringLiteral("Quality "));
    EXPECT_EQ(key.find(QStringLiteral("Quality "))->number, 3u);
    EXPECT_EQ(key.find(QStringLiteral("Quality")), nullptr);
}

TEST(RegFile, ADamagedFileIsRefusedWholeWithTheLineAtFault)
{
    const QByteArray head = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brimblet\\Chirpel]\n";
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
        {"text cut short", head + "\"MsgFileName\"=\"/tmp/chi", 4},
        {"name cut short", head + "\"Quali", 4},
        {"number cut short", head + "\"MaxTimeSec\"=dword:0000", 4},
        {"hex cut short", head + "\"X\"=hex(2):2f,74,\\\n", 5},
        {"hex continuation at the end", head + "\"X\"=hex(2):2f,74,\\", 4},
        {"hex trailing comma", head + "\"X\"=hex:2f,", 4},
        {"hex text not UTF-8", head + "\"X\"=hex(1):ff,00\n", 4},
        {"hex number of three bytes", head + "\"X\"=hex(4):01,02,03\n", 4},
        {"unknown escape", head + "\"A\"=\"a\\tb\"\n", 4},
        {"text after the value", head + "\"A\"=\"1\" 2\n", 4},
        {"unknown kind", head + "\"A\"=qword:1\n", 4},
        {"value deletion", head + "\"A\"=-\n", 4},
        {"missing equals sign", head + "\"A\" \"1\"\n", 4},
    };
    for (const auto &c : cases) {
        RegParseError error;
        EXPECT_FALSE(parseRegFile(c.text, kUser, &error)) << c.what;
        EXPECT_EQ(error.line, c.line) << c.what;
        EXPECT_FALSE(error.reason.isEmpty()) << c.what;
    }
}
