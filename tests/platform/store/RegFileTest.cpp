// The REGEDIT4 text form of the settings: what is written, what reads back, what is refused.
#include "platform/store/RegFile.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

const QString kUser = QStringLiteral("HKEY_CURRENT_USER");
const QString kKey = QStringLiteral("Software\\Brimblet\\Chirpel");

RegHive roundTrip(const RegHive &hive)
{
    const std::optional<RegHive> back = parseRegFile(formatRegFile(hive, kUser), kUser);
    EXPECT_TRUE(back.has_value());
    return back.value_or(RegHive());
}

} // namespace

TEST(RegFile, WritesTextNumbersAndExpandableTextInRegeditForm)
{
    RegHive hive;
    RegKeyValues &key = hive.createKey(kKey);
    key.set(QStringLiteral("ReciptName"), RegValue::fromText(QStringLiteral("Grandma \"Gigi\" C:\\x")));
    key.set(QStringLiteral("Quality "), RegValue::fromNumber(300));
    key.set(QStringLiteral("Path"), RegValue::fromExpandText(QStringLiteral("/t")));

    EXPECT_EQ(formatRegFile(hive, kUser), QByteArray("REGEDIT4\n"
                                                     "\n"
                                                     "[HKEY_CURRENT_USER\\Software\\Brimblet\\Chirpel]\n"
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

    const RegHive back = roundTrip(hive);
    EXPECT_EQ(back, hive);
    EXPECT_EQ(back.keyPaths(), QStringList({kKey, QStringLiteral("Software\\Empty")}));
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

struct DamagedFile {
    const char *what;
    QByteArray text;
    int line;
};

class RegFileDamage : public testing::TestWithParam<DamagedFile> {};

TEST_P(RegFileDamage, IsRefusedWholeWithTheLineAtFault)
{
    RegParseError error;
    EXPECT_FALSE(parseRegFile(GetParam().text, kUser, &error)) << GetParam().what;
    EXPECT_EQ(error.line, GetParam().line) << GetParam().what;
    EXPECT_FALSE(error.reason.isEmpty());
}

const QByteArray kHead = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brimblet\\Chirpel]\n";

INSTANTIATE_TEST_SUITE_P(
    Files, RegFileDamage,
    testing::Values(DamagedFile{"empty file", "", 0}, DamagedFile{"garbage", "hello world\n", 1},
                    DamagedFile{"binary", QByteArray("REGEDIT4\n\0\x01\x02", 12), 0},
                    DamagedFile{"not UTF-8", "REGEDIT4\n\xff\xfe\n", 0},
                    DamagedFile{"value before any key", "REGEDIT4\n\"A\"=\"1\"\n", 2},
                    DamagedFile{"key outside the root", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software]\n", 2},
                    DamagedFile{"root name run on", "REGEDIT4\n[HKEY_CURRENT_USERS\\Software]\n", 2},
                    DamagedFile{"key deletion", "REGEDIT4\n[-HKEY_CURRENT_USER\\Software]\n", 2},
                    DamagedFile{"key cut short", "REGEDIT4\n[HKEY_CURRENT_USER\\Softw", 2},
                    DamagedFile{"text cut short", kHead + "\"MsgFileName\"=\"/tmp/chi", 4},
                    DamagedFile{"name cut short", kHead + "\"Quali", 4},
                    DamagedFile{"number cut short", kHead + "\"MaxTimeSec\"=dword:0000", 4},
                    DamagedFile{"hex cut short", kHead + "\"X\"=hex(2):2f,74,\\\n", 5},
                    DamagedFile{"hex continuation at the end", kHead + "\"X\"=hex(2):2f,74,\\", 4},
                    DamagedFile{"hex trailing comma", kHead + "\"X\"=hex:2f,", 4},
                    DamagedFile{"hex text not UTF-8", kHead + "\"X\"=hex(1):ff,00\n", 4},
                    DamagedFile{"hex number of three bytes", kHead + "\"X\"=hex(4):01,02,03\n", 4},
                    DamagedFile{"unknown escape", kHead + "\"A\"=\"a\\tb\"\n", 4},
                    DamagedFile{"text after the value", kHead + "\"A\"=\"1\" 2\n", 4},
                    DamagedFile{"unknown kind", kHead + "\"A\"=qword:1\n", 4},
                    DamagedFile{"value deletion", kHead + "\"A\"=-\n", 4},
                    DamagedFile{"missing equals sign", kHead + "\"A\" \"1\"\n", 4}),
    [](const testing::TestParamInfo<DamagedFile> &info) {
        std::string name = info.param.what;
        for (char &c : name)
            c = isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });
