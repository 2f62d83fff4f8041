// The settings store: first run, read order and failure rule, write order, the program-wide
// objects, the keyboard capture and the large hand cursor.
#include "settings/TolvyOptions.h"

#include "settings/SettingsFakes.h"

#include <QGuiApplication>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace platform;

namespace {

// A complete key as a normal end writes it, with values that differ from every default.
QByteArray completeKey(const QStringList &without = {}, const QByteArray &extra = {})
{
    const QList<QPair<QString, QByteArray>> lines = {
        {"HideTips", "\"1\""},
        {"AutoRecord", "\"0\""},
        {"AutoPlay", "\"0\""},
        {"BeepOnRecord", "\"0\""},
        {"AutoClose", "\"1\""},
        {"Mono", "\"0\""},
        {"GSM610", "\"0\""},
        {"PackOnSend", "\"0\""},
        {"Bits16", "\"0\""},
        {"Quality ", "dword:00000002"},
        {"PlainSize", "dword:0007a121"},
        {"MsgFileName", "\"/home/kid/hi.wav\""},
        {"DurationSec", "dword:00000004"},
        {"MinWaveLevel", "dword:00000007"},
        {"WebMail", "\"1\""},
        {"SendWait", "\"0\""},
        {"ReciptName", "\"Grandma\""},
        {"ReciptAddr", "\"gran@example.org\""},
        {"MaxTimeSec", "dword:0000003c"},
        {"LimitSize", "\"0\""},
        {"IsGirl", "\"1\""},
        {"CustCursor", "\"0\""},
        {"SoundPrompt", "\"1\""},
        {"ShowShield", "\"1\""},
        {"KidName", "\"Zoë\""},
        {"GuideName", "\"Owl\""},
        {"KidAge", "dword:00000005"},
    };
    QByteArray text = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brimblet\\Chirpel]\n";
    for (const auto &[name, data] : lines) {
        if (!without.contains(name)) text += '"' + name.toUtf8() + "\"=" + data + '\n';
    }
    return text + extra;
}

// The value names of the file in the order they stand.
QStringList namesInFile(const QByteArray &text)
{
    QStringList names;
    static const QRegularExpression line(QStringLiteral("^\"([^\"]*)\"="),
                                         QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(QString::fromUtf8(text)); it.hasNext();)
        names << it.next().captured(1);
    return names;
}

class SettingsStore : public testing::Test {
protected:
    TempRegistry reg;
    FakeFolders folders;
    FakeKeyCapture keys;
    TCursorTable cursors;

    std::optional<RegValue> stored(const QString &name)
    {
        Registry r(RootKey::CurrentUser, reg.store);
        r.openKeyReadOnly(kChirpelKey);
        return r.value(name);
    }
};

} // namespace

TEST_F(SettingsStore, AFirstRunWithoutAKeyStartsFromTheDefaults)
{
    folders.temp = QStringLiteral("/var/tmp/");
    TVMProperties vm(reg.store, folders);
    EXPECT_TRUE(vm.AutoRecord && vm.AutoPlay && vm.BeepOnRecord && vm.GSM610 && vm.LimitSize && vm.SendWait &&
                vm.PackOnSend && vm.Mono && vm.Bits16);
    EXPECT_FALSE(vm.AutoClose || vm.HideTips || vm.WebMail);
    EXPECT_EQ(vm.Quality, 0);
    EXPECT_EQ(vm.MinWaveLevel, 50);
    EXPECT_EQ(vm.MaxTimeSec, 300);
    EXPECT_EQ(vm.PlainSize, 0);
    EXPECT_EQ(vm.DurationSec, 0);
    EXPECT_EQ(vm.MsgFileName, QStringLiteral("/var/tmp/chirpel.wav"));
    EXPECT_TRUE(vm.ReciptName.isEmpty() && vm.ReciptAddr.isEmpty());

    TTolvyProperties kid(reg.store, keys, cursors);
    EXPECT_TRUE(kid.CustCursor);
    EXPECT_EQ(kid.GuideName, QStringLiteral("Monkey"));
    EXPECT_FALSE(kid.CursorActive) << "the large cursor waits until the options dialog has been used";
    EXPECT_FALSE(kid.IsGirl || kid.SoundPrompt || kid.ShowShield || kid.KeysLocked);
    EXPECT_EQ(kid.KidAge, 0);
    EXPECT_TRUE(kid.KidName.isEmpty());
}

TEST_F(SettingsStore, ACompleteKeyIsReadAsStored)
{
    reg.writeUser(completeKey());
    TVMProperties vm(reg.store, folders);
    EXPECT_TRUE(vm.HideTips && vm.AutoClose && vm.WebMail);
    EXPECT_FALSE(vm.AutoRecord || vm.AutoPlay || vm.BeepOnRecord || vm.Mono || vm.GSM610 || vm.PackOnSend ||
                 vm.Bits16 || vm.SendWait || vm.LimitSize);
    EXPECT_EQ(vm.Quality, 2);
    EXPECT_EQ(vm.PlainSize, 500001);
    EXPECT_EQ(vm.DurationSec, 4);
    EXPECT_EQ(vm.MinWaveLevel, 7);
    EXPECT_EQ(vm.MaxTimeSec, 60);
    EXPECT_EQ(vm.MsgFileName, QStringLiteral("/home/kid/hi.wav"));
    EXPECT_EQ(vm.ReciptName, QStringLiteral("Grandma"));
    EXPECT_EQ(vm.ReciptAddr, QStringLiteral("gran@example.org"));

    TTolvyProperties kid(reg.store, keys, cursors);
    EXPECT_EQ(kid.KidName, QStringLiteral("Zoë"));
    EXPECT_EQ(kid.KidAge, 5);
    EXPECT_EQ(kid.GuideName, QStringLiteral("Owl"));
    EXPECT_TRUE(kid.IsGirl && kid.SoundPrompt && kid.ShowShield);
    EXPECT_FALSE(kid.CustCursor);
    EXPECT_FALSE(kid.CursorActive) << "CursorActive follows CustCursor";
}

TEST_F(SettingsStore, AMissingNumberResetsTheDefaultsAndStopsReading)
{
    reg.writeUser(completeKey({"MaxTimeSec"}));
    TVMProperties vm(reg.store, folders);
    EXPECT_TRUE(vm.GSM610) << "stored 0, replaced by the default";
    EXPECT_EQ(vm.Quality, 0) << "stored 2, replaced by the default";
    EXPECT_EQ(vm.MsgFileName, QStringLiteral("/tmp/chirpel.wav"));
    EXPECT_EQ(vm.MaxTimeSec, 300);
    EXPECT_EQ(vm.MinWaveLevel, 50);
    EXPECT_TRUE(vm.AutoRecord && vm.AutoPlay && vm.BeepOnRecord && vm.LimitSize && vm.SendWait &&
                vm.PackOnSend && vm.Mono && vm.Bits16);
    EXPECT_FALSE(vm.AutoClose) << "stored 1, replaced by the default";
    EXPECT_TRUE(vm.HideTips) << "read before the failure and kept";
    EXPECT_EQ(vm.PlainSize, 500001);
    EXPECT_EQ(vm.DurationSec, 4);
    EXPECT_FALSE(vm.WebMail) << "comes after the failing read";
    EXPECT_TRUE(vm.ReciptName.isEmpty() && vm.ReciptAddr.isEmpty());
}

TEST_F(SettingsStore, AMissingTruthOrTextValueIsNoFailure)
{
    reg.writeUser(completeKey({"GSM610", "ReciptName"}));
    TVMProperties vm(reg.store, folders);
    EXPECT_FALSE(vm.GSM610);
    EXPECT_TRUE(vm.ReciptName.isEmpty());
    EXPECT_EQ(vm.Quality, 2) << "no defaults applied";
    EXPECT_EQ(vm.MaxTimeSec, 60);
    EXPECT_EQ(vm.ReciptAddr, QStringLiteral("gran@example.org"));
}

TEST_F(SettingsStore, OnlyTheExactTextOneIsTrue)
{
    for (const char *text : {"true", "01", " 1", "1 ", "One", ""}) {
        reg.writeUser(completeKey({"HideTips", "WebMail"},
                                  QByteArray("\"HideTips\"=\"") + text + "\"\n\"WebMail\"=\"1\"\n"));
        TVMProperties vm(reg.store, folders);
        EXPECT_FALSE(vm.HideTips) << text;
        EXPECT_TRUE(vm.WebMail) << "the rest is read on: " << text;
    }
}

TEST_F(SettingsStore, ValuesOfTheWrongKindAreReadFailures)
{
    reg.writeUser(completeKey({"Mono"}, "\"Mono\"=dword:00000001\n"));
    {
        TVMProperties vm(reg.store, folders);
        EXPECT_TRUE(vm.GSM610) << "truth value stored as a number: defaults";
        EXPECT_TRUE(vm.HideTips) << "read before the failure and kept";
    }
    reg.writeUser(completeKey({"PlainSize"}, "\"PlainSize\"=\"500001\"\n"));
    {
        TVMProperties vm(reg.store, folders);
        EXPECT_EQ(vm.PlainSize, 0) << "number stored as text";
        EXPECT_EQ(vm.MaxTimeSec, 300);
    }
}

TEST_F(SettingsStore, QualityIsNamedWithItsTrailingBlankAndKeepsEightBits)
{
    reg.writeUser(completeKey({"Quality "}, "\"Quality\"=dword:00000003\n"));
    {
        TVMProperties vm(reg.store, folders);
        EXPECT_EQ(vm.MaxTimeSec, 300) << "\"Quality\" without the blank is not the value";
    }
    reg.writeUser(completeKey({"Quality "}, "\"Quality \"=dword:00000101\n"));
    {
        TVMProperties vm(reg.store, folders);
        EXPECT_EQ(vm.Quality, 1) << "257 keeps its low eight bits";
        EXPECT_EQ(vm.MaxTimeSec, 60);
    }
    EXPECT_EQ(stored(QStringLiteral("Quality ")), RegValue::fromNumber(1)) << "written back as 1";
}

TEST_F(SettingsStore, AnExpandableMessageFileNameIsTakenLiterally)
{
    reg.writeUser(completeKey({"MsgFileName"}, "\"MsgFileName\"=hex(2):3c,54,65,6d,70,44,69,72,3e,78,00\n"));
    TVMProperties vm(reg.store, folders);
    EXPECT_EQ(vm.MsgFileName, QStringLiteral("<TempDir>x"));
    EXPECT_EQ(vm.MaxTimeSec, 60);
}

TEST_F(SettingsStore, AKidAgeStoredAsTextGivesTheKidProfileDefaults)
{
    reg.writeUser(completeKey({"KidAge"}, "\"KidAge\"=\"5\"\n"));
    TTolvyProperties kid(reg.store, keys, cursors);
    EXPECT_TRUE(kid.CustCursor) << "stored 0";
    EXPECT_EQ(kid.GuideName, QStringLiteral("Monkey")) << "stored Owl";
    EXPECT_TRUE(kid.KidName.isEmpty()) << "read after KidAge, so never read";
    EXPECT_FALSE(kid.ShowShield);
    EXPECT_FALSE(kid.CursorActive);
}

TEST_F(SettingsStore, AKidProfileFailingHalfWayKeepsWhatWasReadBefore)
{
    reg.writeUser(completeKey({"IsGirl", "CustCursor"}, "\"IsGirl\"=hex:01\n\"CustCursor\"=\"1\"\n"));
    TTolvyProperties kid(reg.store, keys, cursors);
    EXPECT_EQ(kid.KidAge, 5);
    EXPECT_EQ(kid.KidName, QStringLiteral("Zoë"));
    EXPECT_EQ(kid.GuideName, QStringLiteral("Monkey")) << "replaced even though it was read";
    EXPECT_TRUE(kid.CustCursor);
    EXPECT_FALSE(kid.CursorActive) << "only a complete read turns the cursor on";
}

TEST_F(SettingsStore, EachObjectWritesItsValuesInItsOwnOrder)
{
    TTolvyProperties kid(reg.store, keys, cursors);
    {
        TVMProperties vm(reg.store, folders);
        vm.ReciptName = QStringLiteral("Grandpa \"Bo\"");
    }
    EXPECT_EQ(namesInFile(reg.readUser()),
              QStringList({"HideTips",  "AutoRecord",  "AutoPlay",    "BeepOnRecord", "AutoClose",
                           "Mono",      "GSM610",      "PackOnSend",  "Bits16",       "Quality ",
                           "PlainSize", "MsgFileName", "DurationSec", "MinWaveLevel", "WebMail",
                           "SendWait",  "ReciptName",  "ReciptAddr",  "MaxTimeSec",   "LimitSize"}));
    EXPECT_EQ(stored(QStringLiteral("ReciptName")), RegValue::fromText(QStringLiteral("Grandpa \"Bo\"")));
    EXPECT_EQ(stored(QStringLiteral("LimitSize")), RegValue::fromText(QStringLiteral("1")));

    reg.writeUser("REGEDIT4\n");
    EXPECT_TRUE(kid.Save());
    EXPECT_EQ(namesInFile(reg.readUser()), QStringList({"IsGirl", "CustCursor", "SoundPrompt", "ShowShield",
                                                        "KidName", "GuideName", "KidAge"}));
}

TEST_F(SettingsStore, TheProgramWideObjectsLiveFromInitialisationToFinalisation)
{
    EXPECT_EQ(TolvyProperties, nullptr);
    InitializeTolvyOptions(reg.store, folders, keys, cursors);
    ASSERT_NE(TolvyProperties, nullptr);
    ASSERT_NE(VMProperties, nullptr);
    EXPECT_TRUE(cursors.HasCursor(crHandCursor) && cursors.HasCursor(crHandDown));
    SetKeyboardLock(true);
    EXPECT_FALSE(QFile::exists(reg.userFile)) << "nothing is written while the program runs";

    EXPECT_TRUE(FinalizeTolvyOptions());
    EXPECT_EQ(TolvyProperties, nullptr);
    EXPECT_EQ(VMProperties, nullptr);
    EXPECT_EQ(keys.releases, 1) << "the kid profile gives the keys back";
    const QStringList names = namesInFile(reg.readUser());
    ASSERT_EQ(names.size(), 27);
    EXPECT_EQ(names.first(), QStringLiteral("HideTips")) << "message settings are written first";
    EXPECT_EQ(names.last(), QStringLiteral("KidAge"));
}

TEST_F(SettingsStore, FinalisationReportsSettingsThatCouldNotBeSaved)
{
    InitializeTolvyOptions(reg.store, folders, keys, cursors);
    // A settings folder that is a file cannot hold the settings file.
    TempRegistry::write(QFileInfo(reg.userFile).absolutePath(), "in the way");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(FinalizeTolvyOptions());
    EXPECT_NE(testing::internal::GetCapturedStderr().find("settings"), std::string::npos);
    EXPECT_EQ(VMProperties, nullptr);
}

TEST_F(SettingsStore, TheHandCursorsAreLargeHandsWithTheirHotSpots)
{
    TTolvyProperties kid(reg.store, keys, cursors);
    const QCursor up = cursors.Cursor(crHandCursor);
    const QCursor down = cursors.Cursor(crHandDown);
    EXPECT_EQ(up.hotSpot(), QPoint(1, 1));
    EXPECT_EQ(down.hotSpot(), QPoint(5, 7));
    for (const QCursor &cursor : {up, down}) {
        const QImage image = cursor.pixmap().toImage();
        EXPECT_EQ(image.size(), QSize(64, 64));
        int drawn = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                drawn += qAlpha(image.pixel(x, y)) > 0;
        EXPECT_GT(drawn, 64 * 64 / 4) << "the hand is drawn from the compiled-in picture";
    }
}

TEST_F(SettingsStore, TheKeysAreCapturedOnceAndReleasedOnlyWhenCaptured)
{
    TTolvyProperties kid(reg.store, keys, cursors);
    SetKeyboardLock(kid, false);
    EXPECT_EQ(keys.releases, 0);
    SetKeyboardLock(kid, true);
    SetKeyboardLock(kid, true);
    EXPECT_EQ(keys.captures, 1);
    EXPECT_TRUE(kid.KeysLocked);
    SetKeyboardLock(kid, false);
    EXPECT_EQ(keys.releases, 1);
    EXPECT_FALSE(kid.KeysLocked);

    keys.accept = false;
    SetKeyboardLock(kid, true);
    EXPECT_TRUE(kid.KeysLocked) << "a refused capture is not an error";
}

TEST_F(SettingsStore, TheHandCursorFollowsTheLeftButtonOnlyWhileActive)
{
    TTolvyProperties kid(reg.store, keys, cursors);
    UpdateHandCursor(kid, Qt::LeftButton);
    EXPECT_EQ(cursors.AppCursor(), 0) << "not active after a first run";
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    SuspendHandCursor(kid, false);
    EXPECT_TRUE(kid.CursorActive);
    UpdateHandCursor(kid, Qt::NoButton);
    EXPECT_EQ(cursors.AppCursor(), crHandCursor);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->hotSpot(), QPoint(1, 1));
    UpdateHandCursor(kid, Qt::LeftButton | Qt::RightButton);
    EXPECT_EQ(cursors.AppCursor(), crHandDown);
    EXPECT_EQ(QGuiApplication::overrideCursor()->hotSpot(), QPoint(5, 7));

    SuspendHandCursor(kid, true);
    EXPECT_FALSE(kid.CursorActive);
    EXPECT_EQ(cursors.AppCursor(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(SettingsStore, WithoutTheCustomCursorResumingShowsEachWindowsOwnCursor)
{
    TTolvyProperties kid(reg.store, keys, cursors);
    kid.CustCursor = false;
    kid.CursorActive = true;
    cursors.SetAppCursor(crHandCursor);
    SuspendHandCursor(kid, false);
    EXPECT_FALSE(kid.CursorActive);
    EXPECT_EQ(cursors.AppCursor(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(BoolToText, IsOneOrZero)
{
    EXPECT_EQ(BoolToText(true), QStringLiteral("1"));
    EXPECT_EQ(BoolToText(false), QStringLiteral("0"));
}
