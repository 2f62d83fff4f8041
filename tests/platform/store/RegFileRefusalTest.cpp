// Settings files someone else put in place: refused without blocking, never replaced when they
// cannot be read, and damaged ones kept aside five deep.
#include "platform/store/Registry.h"

#include "settings/SettingsFakes.h"

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;

namespace {

const QString kKey = QStringLiteral("Software\\Brimblet\\Chirpel");

// Saves one value through the store; false when the store refused.
bool saveOne(RegFileStore &store, const QString &value)
{
    Registry r(RootKey::CurrentUser, store);
    return r.openKey(kKey, true) && r.writeString(QStringLiteral("A"), value) && r.closeKey();
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

TEST(RegFileRefusal, WhatIsNotAReadableFileLoadsEmptyAtOnceAndIsNeverReplaced)
{
    const struct {
        const char *what;
        std::function<void(const std::string &)> make;
        bool otherUser;
    } cases[] = {
        {"fifo", [](const std::string &p) { ::mkfifo(p.c_str(), 0600); }, false},
        {"device", [](const std::string &p) { [[maybe_unused]] int r = ::symlink("/dev/zero", p.c_str()); }, false},
        {"folder", [](const std::string &p) { ::mkdir(p.c_str(), 0700); }, false},
        {"no_permission",
         [](const std::string &p) {
             TempRegistry::write(QString::fromStdString(p), "REGEDIT4\n");
             ::chmod(p.c_str(), 0600);
         },
         true},
    };
    for (const auto &c : cases) {
        TempRegistry reg;
        QDir().mkpath(QFileInfo(reg.userFile).absolutePath());
        const std::string path = reg.userFile.toStdString();
        c.make(path);
        for (const QString &folder : {reg.dir.path(), reg.dir.filePath("config"), reg.dir.filePath("config/chirpel")})
            ::chmod(QFile::encodeName(folder).constData(), 0777);
        struct stat before {};
        ::lstat(path.c_str(), &before);
        const bool held = [&] {
            const auto check = [&] {
                return reg.store.load(RootKey::CurrentUser).isEmpty() && reg.store.userFileUnreadable() &&
                       !saveOne(reg.store, QStringLiteral("new"));
            };
            return c.otherUser ? asAnotherUser(check) : check();
        }();
        EXPECT_TRUE(held) << c.what;
        struct stat after {};
        ::lstat(path.c_str(), &after);
        EXPECT_EQ(after.st_mode, before.st_mode) << c.what << ": the file is left as it was";
        EXPECT_EQ(after.st_ino, before.st_ino) << c.what;
        EXPECT_FALSE(QFileInfo::exists(reg.userFile + ".bad")) << c.what << ": not damaged, only unreadable";
    }
}

TEST(RegFileRefusal, TheLastFiveDamagedFilesAreKeptAndAnOverLongFileCountsAsDamaged)
{
    TempRegistry reg;
    for (int n = 1; n <= 7; ++n) {
        // The sixth is too long to be a settings file; the others are cut short.
        reg.writeUser(n == 6 ? QByteArray(16 * 1024 * 1024 + 1, 'x') : "REGEDIT4\n[damaged " + QByteArray::number(n));
        ASSERT_TRUE(saveOne(reg.store, QString::number(n))) << n;
    }
    const QString bad = reg.userFile + ".bad";
    const QStringList kept{bad, bad + ".1", bad + ".2", bad + ".3", bad + ".4"};
    for (int i = 0; i < kept.size(); ++i) {
        const QByteArray content = TempRegistry::read(kept[i]);
        const int n = 7 - i;
        if (n == 6)
            EXPECT_EQ(content.size(), 16 * 1024 * 1024 + 1);
        else
            EXPECT_TRUE(content.endsWith(QByteArray::number(n))) << kept[i].toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(bad + ".5"));
}

} // namespace
