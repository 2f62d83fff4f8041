// The settings store: first run, read order and failure rule, write order, the program-wide
// objects with the keyboard capture, and the large hand cursor.
#include "settings/TolvyOptions.h"

#include "settings/SettingsFakes.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A complete key as a normal end writes it, with values that differ from every default.
QByteArray completeKey(const QStringList &without = {}, const QByteArray &extra = {})
{
    const QByteArray values =
        "\"HideTips\"=\"1\"\n\"AutoRecord\"=\"0\"\n\"AutoPlay\"=\"0\"\n\"BeepOnRecord\"=\"0\"\n"
        "\"AutoClose\"=\"1\"\n\"Mono\"=\"0\"\n\"GSM610\"=\"0\"\n\"PackOnSend\"=\"0\"\n\"Bits16\"=\"0\"\n"
        "\"Quality \"=dword:00000002\n\"PlainSize\"=dword:0007a121\n"
        "\"MsgFileName\"=\"/home/kid/hi.wav\"\n\"DurationSec\"=dword:00000004\n"
        "\"MinWaveLevel\"=dword:00000007\n\"WebMail\"=\"1\"\n\"SendWait\"=\"0\"\n"
        "\"ReciptName\"=\"Grandma\"\n\"ReciptAddr\"=\"gran@example.org\"\n"
        "\"MaxTimeSec\"=dword:0000003c\n\"LimitSize\"=\"0\"\n\"IsGirl\"=\"1\"\n\"CustCursor\"=\"0\"\n"
        "\"SoundPrompt\"=\"1\"\n\"ShowShield\"=\"1\"\n\"KidName\"=\"Zoë\"\n\"GuideName\"=\"Owl\"\n"
        "\"KidAge\"=dword:00000005\n";
    QByteArray text = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brimblet\\Chirpel]\n";
    for (const QByteArray &line : values.split('\n')) {
        if (!line.isEmpty() && !without.contains(QString::fromUtf8(line.mid(1, line.indexOf("\"=") - 1))))
            text += line + '\n';
    }
    return text + extra;
}

// Every field as "Name=value", so that a case can name the values it expects in one line.
#define NAMED(object, field) QStringLiteral(#field "=%1").arg(object.field)
QStringList values(const TVMProperties &vm)
{
    return {NAMED(vm, HideTips),     NAMED(vm, AutoRecord),  NAMED(vm, AutoPlay),   NAMED(vm, BeepOnRecord),
            NAMED(vm, AutoClose),    NAMED(vm, Quality),     NAMED(vm, Mono),       NAMED(vm, Bits16),
            NAMED(vm, PackOnSend),   NAMED(vm, GSM610),      NAMED(vm, PlainSize),  NAMED(vm, DurationSec),
            NAMED(vm, MinWaveLevel), NAMED(vm, MaxTimeSec),  NAMED(vm, WebMail),    NAMED(vm, SendWait),
            NAMED(vm, LimitSize),    NAMED(vm, MsgFileName), NAMED(vm, ReciptName), NAMED(vm, ReciptAddr)};
}
QStringList values(const TTolvyProperties &kid)
{
    return {NAMED(kid, CursorActive), NAMED(kid, KeysLocked),  NAMED(kid, KidName),
            NAMED(kid, KidAge),       NAMED(kid, IsGirl),      NAMED(kid, CustCursor),
            NAMED(kid, GuideName),    NAMED(kid, SoundPrompt), NAMED(kid, ShowShield)};
}

// Fails for each blank-separated "Name=value" of expected that the settings do not hold.
void expectValues(const QStringList &have, const char *expected, const std::string &what)
{
    for (const QString &want : QString::fromUtf8(expected).split(QLatin1Char(' '), Qt::SkipEmptyParts))
        EXPECT_TRUE(have.contains(want)) << what << ": expected " << want.toStdString() << " in "
                                         << have.join(QLatin1Char(' ')).toStdString();
}

class SettingsStore : public testing::Test {
protected:
    TempRegistry reg;
    FakeFolders folders;
    FakeKeyCapture keys;
    TCursorTable cursors;
};

} // namespace

// A missing number or a value of the wrong kind fails the read: the defaults come back, what was read
// before stays, what comes after is not read. First runs: tests/e2e/firstrun_test.sh.
TEST_F(SettingsStore, StoredKeysAreReadByTheFailureRule)
{
    const auto check = [&](const std::string &what, const QByteArray &key, const char *expected) {
        reg.writeUser(key);
        TVMProperties vm(reg.store, folders);
        TTolvyProperties kid(reg.store, keys, cursors);
        expectValues(values(vm) + values(kid), expected, what);
    };
    check(
        "complete", completeKey(),
        "HideTips=1 AutoRecord=0 AutoPlay=0 BeepOnRecord=0 AutoClose=1 Quality=2 Mono=0 Bits16=0 "
        "PackOnSend=0 GSM610=0 PlainSize=500001 DurationSec=4 MinWaveLevel=7 MaxTimeSec=60 WebMail=1 "
        "SendWait=0 LimitSize=0 MsgFileName=/home/kid/hi.wav ReciptName=Grandma ReciptAddr=gran@example.org "
        "KidName=Zoë KidAge=5 GuideName=Owl IsGirl=1 SoundPrompt=1 ShowShield=1 CustCursor=0 CursorActive=0");
    check("missing truth and text values are no failure", completeKey({"GSM610", "ReciptName"}),
          "GSM610=0 ReciptName= Quality=2 MaxTimeSec=60 ReciptAddr=gran@example.org");
    check("truth value stored as a number", completeKey({"Mono"}, "\"Mono\"=dword:00000001\n"),
          "GSM610=1 HideTips=1");
    check("number stored as text", completeKey({"PlainSize"}, "\"PlainSize\"=\"500001\"\n"),
          "PlainSize=0 MaxTimeSec=300");
    check("Quality without its trailing blank", completeKey({"Quality "}, "\"Quality\"=dword:00000003\n"),
          "MaxTimeSec=300");
    check("Quality keeps eight bits", completeKey({"Quality "}, "\"Quality \"=dword:00000101\n"),
          "Quality=1 MaxTimeSec=60");
    EXPECT_TRUE(reg.readUser().contains("\"Quality \"=dword:00000001\n")) << "written back as 1";
    check("expandable text is taken literally",
          completeKey({"MsgFileName"}, "\"MsgFileName\"=hex(2):3c,54,65,6d,70,44,69,72,3e,78,00\n"),
          "MsgFileName=<TempDir>x MaxTimeSec=60");
    check("kid age stored as text: kid profile defaults, KidName comes after",
          completeKey({"KidAge"}, "\"KidAge\"=\"5\"\n"),
          "CustCursor=1 GuideName=Monkey KidName= ShowShield=0 CursorActive=0");
    check("kid profile failing half way: GuideName is replaced although it was read",
          completeKey({"IsGirl", "CustCursor"}, "\"IsGirl\"=hex:01\n\"CustCursor\"=\"1\"\n"),
          "KidAge=5 KidName=Zoë GuideName=Monkey CustCursor=1 CursorActive=0");
    check("only a complete read turns the cursor on", completeKey({"CustCursor"}, "\"CustCursor\"=\"1\"\n"),
          "CustCursor=1 CursorActive=1");
    for (const char *one : {"true", "01", " 1", "1 ", "One", ""}) {
        check("only the exact text 1 is true, not '" + std::string(one) + "'",
              completeKey({"HideTips", "WebMail"},
                          QByteArray("\"HideTips\"=\"") + one + "\"\n\"WebMail\"=\"1\"\n"),
              "HideTips=0 WebMail=1");
    }
}

TEST_F(SettingsStore, TheProgramWideObjectsLiveFromInitialisationToFinalisation)
{
    EXPECT_EQ(TolvyProperties, nullptr);
    InitializeTolvyOptions(reg.store, folders, keys, cursors);
    ASSERT_NE(TolvyProperties, nullptr);
    ASSERT_NE(VMProperties, nullptr);
    EXPECT_TRUE(cursors.HasCursor(crHandCursor) && cursors.HasCursor(crHandDown));
    keys.accept = false; // a refused capture is no error: the keys count as locked
    SetKeyboardLock(false);
    SetKeyboardLock(true);
    SetKeyboardLock(true);
    EXPECT_TRUE(keys.captures == 1 && keys.releases == 0 && TolvyProperties->KeysLocked);
    EXPECT_FALSE(QFile::exists(reg.userFile)) << "nothing is written while the program runs";
    EXPECT_TRUE(FinalizeTolvyOptions());
    EXPECT_EQ(TolvyProperties, nullptr);
    EXPECT_EQ(VMProperties, nullptr);
    EXPECT_EQ(keys.releases, 1) << "the kid profile gives the keys back";
    QStringList names;
    for (const QByteArray &line : reg.readUser().split('\n'))
        if (line.startsWith('"')) names << QString::fromUtf8(line.mid(1, line.indexOf("\"=") - 1));
    EXPECT_EQ(names, QStringList({"HideTips",  "AutoRecord",  "AutoPlay",    "BeepOnRecord", "AutoClose",
                                  "Mono",      "GSM610",      "PackOnSend",  "Bits16",       "Quality ",
                                  "PlainSize", "MsgFileName", "DurationSec", "MinWaveLevel", "WebMail",
                                  "SendWait",  "ReciptName",  "ReciptAddr",  "MaxTimeSec",   "LimitSize",
                                  "IsGirl",    "CustCursor",  "SoundPrompt", "ShowShield",   "KidName",
                                  "GuideName", "KidAge"}))
        << "message settings first, then the kid profile";
    EXPECT_TRUE(reg.readUser().contains("\"LimitSize\"=\"1\"\n")) << "truth as text";
    // A settings folder that is a file cannot hold the settings file: finalisation says so.
    InitializeTolvyOptions(reg.store, folders, keys, cursors);
    QDir(QFileInfo(reg.userFile).absolutePath()).removeRecursively();
    TempRegistry::write(QFileInfo(reg.userFile).absolutePath(), "in the way");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(FinalizeTolvyOptions());
    EXPECT_NE(testing::internal::GetCapturedStderr().find("settings"), std::string::npos);
    EXPECT_EQ(VMProperties, nullptr);
}

TEST_F(SettingsStore, TheHandCursorsAreLargeHandsThatFollowTheLeftButtonOnlyWhileActive)
{
    TTolvyProperties kid(reg.store, keys, cursors);
    for (int number : {crHandCursor, crHandDown}) {
        const QImage alpha = cursors.Cursor(number).pixmap().toImage().convertToFormat(QImage::Format_Alpha8);
        const auto clear = std::count(alpha.constBits(), alpha.constBits() + alpha.sizeInBytes(), 0);
        EXPECT_TRUE(alpha.size() == QSize(64, 64) && clear < 64 * 64 * 3 / 4)
            << "the hand is drawn from the compiled-in picture";
    }
    UpdateHandCursor(kid, Qt::LeftButton);
    EXPECT_TRUE(cursors.AppCursor() == 0 && !QGuiApplication::overrideCursor())
        << "not active after a first run";
    SuspendHandCursor(kid, false);
    UpdateHandCursor(kid, Qt::NoButton);
    ASSERT_TRUE(kid.CursorActive && cursors.AppCursor() == crHandCursor && QGuiApplication::overrideCursor());
    EXPECT_EQ(QGuiApplication::overrideCursor()->hotSpot(), QPoint(1, 1));
    UpdateHandCursor(kid, Qt::LeftButton | Qt::RightButton);
    EXPECT_EQ(cursors.AppCursor(), crHandDown);
    EXPECT_EQ(QGuiApplication::overrideCursor()->hotSpot(), QPoint(5, 7));
    SuspendHandCursor(kid, true);
    EXPECT_TRUE(!kid.CursorActive && cursors.AppCursor() == 0 && !QGuiApplication::overrideCursor());
}
