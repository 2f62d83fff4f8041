// The registry over its files: keys, whole saves, damaged files kept five deep, unreadable ones refused.
#include "platform/store/Registry.h"

#include "fakes/FileSizeLimit.h"
#include "settings/SettingsFakes.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;

namespace {

const QString kKey = QStringLiteral("Software\\Brimblet\\Chirpel");
const QByteArray kHead = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brimblet\\Chirpel]\n";
const QByteArray kStored =
    kHead + "\"Text\"=\"hello\"\n\"Number\"=dword:fffffffe\n\"EmptyBlob\"=hex:\n\"Blob\"=hex:01\n\n"
            "[HKEY_CURRENT_USER\\Software\\Other]\n\"Keep\"=\"me\"\n";

// Saves one value through the store; false when the store refused.
bool saveOne(RegFileStore &store, const QString &value)
{
    Registry r(RootKey::CurrentUser, store);
    return r.openKey(kKey, true) && r.writeString(QStringLiteral("A"), value) && r.closeKey();
}

mode_t modeOf(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// Runs `check` as a user other than the file's owner (root reads everything); true when it held.
bool asAnotherUser(const std::function<bool()> &check)
{
    if (::geteuid() != 0) return check();
    const pid_t child = ::fork();
    if (child == 0) _exit(::setgid(65534) == 0 && ::setuid(65534) == 0 && check() ? 0 : 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

// Missing values and values of the wrong kind are read through the settings store's failure rule.
TEST(Registry, ReadsEachKindByItsRulesAndWritesReachTheFileWhenTheKeyCloses)
{
    TempRegistry reg;
    reg.writeUser(kStored);
    ::chmod(QFile::encodeName(reg.userFile).constData(), 0640);
    {
        Registry r(RootKey::CurrentUser, reg.store);
        ASSERT_TRUE(r.openKeyReadOnly(kKey));
        EXPECT_EQ(r.readString(QStringLiteral("Text")), QStringLiteral("hello"));
        EXPECT_EQ(r.readString(QStringLiteral("EmptyBlob")), QString()) << "no data is no error";
        EXPECT_EQ(r.readString(QStringLiteral("Blob")), std::nullopt);
        EXPECT_EQ(r.readInteger(QStringLiteral("Number")), -2);
        EXPECT_FALSE(r.openKeyReadOnly(QStringLiteral("Software"))) << "relative to the open key";
        EXPECT_EQ(r.currentPath(), kKey) << "a failed open keeps the key";
        EXPECT_FALSE(r.writeString(QStringLiteral("Text"), QStringLiteral("x"))) << "open for reading only";
        ASSERT_TRUE(r.openKey(QLatin1Char('\\') + kKey, false));
        r.writeString(QStringLiteral("Text"), QStringLiteral("bye"));
        r.writeInteger(QStringLiteral("New"), 300);
        EXPECT_EQ(reg.readUser(), kStored) << "nothing is stored before the key closes";
        EXPECT_EQ(r.readString(QStringLiteral("Text")), QStringLiteral("bye"))
            << "the handle sees its writes";
    }
    EXPECT_EQ(modeOf(reg.userFile), mode_t(0640)) << "a replaced file keeps its permissions";
    Registry check(RootKey::CurrentUser, reg.store);
    ASSERT_TRUE(check.openKeyReadOnly(kKey));
    EXPECT_EQ(check.readString(QStringLiteral("Text")), QStringLiteral("bye"));
    EXPECT_EQ(check.readInteger(QStringLiteral("New")), 300);
    ASSERT_TRUE(check.openKeyReadOnly(QStringLiteral("\\Software\\Other")));
    EXPECT_EQ(check.readString(QStringLiteral("Keep")), QStringLiteral("me"));
}

TEST(Registry, OnlyOpeningToCreateMakesAKeyInAPrivateFileAndTheMachineHiveIsReadOnly)
{
    TempRegistry reg;
    Registry r(RootKey::CurrentUser, reg.store);
    EXPECT_FALSE(r.openKey(kKey, false));
    EXPECT_FALSE(r.writeString(QStringLiteral("A"), QStringLiteral("1"))) << "no key is open";
    r.closeKey();
    EXPECT_FALSE(QFile::exists(reg.userFile));
    ASSERT_TRUE(r.openKey(kKey, true));
    r.closeKey();
    EXPECT_EQ(reg.readUser(), kHead + "\n");
    EXPECT_EQ(modeOf(reg.userFile), mode_t(0600)) << "a new settings file is private";
    reg.writeMachine("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n");
    EXPECT_FALSE(Registry(RootKey::LocalMachine, reg.store).openKey(QStringLiteral("Software"), true));
}

TEST(RegistryFiles, AFailedWriteKeepsThePreviousFileAndSaysSoOnStandardError)
{
    TempRegistry reg;
    reg.writeUser(kStored);
    testing::internal::CaptureStderr();
    bool closed = true;
    {
        Registry r(RootKey::CurrentUser, reg.store);
        ASSERT_TRUE(r.openKey(kKey, true));
        r.writeString(QStringLiteral("Big"), QString(8000, QLatin1Char('x')));
        FileSizeLimit full(4096);
        closed = r.closeKey();
    }
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(closed);
    EXPECT_EQ(reg.store.failedSaves(), 1);
    EXPECT_EQ(reg.readUser(), kStored);
    EXPECT_NE(said.find("previous file is kept"), std::string::npos) << said;
    EXPECT_EQ(QDir(QFileInfo(reg.userFile).absolutePath()).entryList(QDir::Files), QStringList{"user.reg"})
        << "no temporary file is left behind";
}

TEST(RegistryFiles, WhatIsNotAReadableFileLoadsEmptyAtOnceAndIsNeverReplaced)
{
    using Make = std::function<void(const char *)>;
    const std::pair<const char *, Make> cases[] = {
        {"fifo", [](const char *p) { ::mkfifo(p, 0600); }},
        {"device", [](const char *p) { [[maybe_unused]] int r = ::symlink("/dev/zero", p); }},
        {"folder", [](const char *p) { ::mkdir(p, 0700); }},
        {"no permission", [](const char *p) { TempRegistry::write(p, "REGEDIT4\n"), ::chmod(p, 0600); }},
    };
    for (const auto &[what, make] : cases) {
        TempRegistry reg;
        QDir().mkpath(QFileInfo(reg.userFile).absolutePath());
        const QByteArray path = QFile::encodeName(reg.userFile);
        make(path.constData());
        for (const QString &folder :
             {reg.dir.path(), reg.dir.filePath("config"), reg.dir.filePath("config/chirpel")})
            ::chmod(QFile::encodeName(folder).constData(), 0777);
        struct stat before {
        }, after{};
        ::lstat(path.constData(), &before);
        const auto check = [&] {
            return reg.store.load(RootKey::CurrentUser).isEmpty() && reg.store.userFileUnreadable() &&
                   !saveOne(reg.store, QStringLiteral("new"));
        };
        EXPECT_TRUE(std::string(what) == "no permission" ? asAnotherUser(check) : check()) << what;
        ::lstat(path.constData(), &after);
        EXPECT_TRUE(after.st_mode == before.st_mode && after.st_ino == before.st_ino)
            << what << ": left as it was";
        EXPECT_FALSE(QFileInfo::exists(reg.userFile + ".bad")) << what << ": not damaged, only unreadable";
    }
}

TEST(RegistryFiles, ADamagedFileIsTakenAsEmptyAndTheLastFiveAreKeptWhenSettingsAreSaved)
{
    TempRegistry reg;
    const QByteArray overLong(16 * 1024 * 1024 + 1, 'x'); // too long to be a settings file
    const auto damaged = [&](int n) { return n == 6 ? overLong : kStored.left(kStored.size() - 2 - n); };
    testing::internal::CaptureStderr();
    for (int n = 1; n <= 7; ++n) {
        reg.writeUser(damaged(n));
        EXPECT_FALSE(Registry(RootKey::CurrentUser, reg.store).openKeyReadOnly(kKey))
            << "nothing of it is taken";
        ASSERT_TRUE(saveOne(reg.store, QString::number(n))) << n;
    }
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("user.reg.bad"), std::string::npos) << said;
    EXPECT_EQ(reg.readUser(), kHead + "\"A\"=\"7\"\n\n");
    const QString bad = reg.userFile + ".bad";
    const QStringList kept{bad, bad + ".1", bad + ".2", bad + ".3", bad + ".4"};
    for (int i = 0, n = 7; i < kept.size(); ++i, --n)
        EXPECT_EQ(TempRegistry::read(kept[i]), damaged(n)) << kept[i].toStdString();
    EXPECT_FALSE(QFileInfo::exists(bad + ".5"));
}

// The file is read once while it stays as it was, and again as soon as anyone changed it.
TEST(RegistryFiles, AFileChangedSinceItWasReadIsReadAgain)
{
    TempRegistry reg;
    const auto value = [&reg] {
        Registry r(RootKey::CurrentUser, reg.store);
        r.openKeyReadOnly(kKey);
        return r.readString(QStringLiteral("A"));
    };
    reg.writeUser(kHead + "\"A\"=\"one\"\n");
    const timespec anHourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(reg.userFile).constData(), anHourAgo, 0), 0);
    EXPECT_EQ(value(), "one");
    EXPECT_EQ(value(), "one");
    reg.writeUser(kHead + "\"A\"=\"two\"\n");
    EXPECT_EQ(value(), "two") << "written again in place";
    ASSERT_TRUE(saveOne(reg.store, QStringLiteral("three")));
    EXPECT_EQ(value(), "three") << "replaced by a save";
}
