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

// Saves one value through the store; false when the store refused.
bool saveOne(RegFileStore &store, const QString &value)
{
    Registry r(RootKey::CurrentUser, store);
    return r.openKey(QStringLiteral("Software\\Brimblet\\Chirpel"), true) &&
           r.writeString(QStringLiteral("A"), value) && r.closeKey();
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

TEST(RegFileRefusal, WhatIsNotAReadableFileLoadsEmptyAtOnceAndIsNeverReplaced)
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
        EXPECT_EQ(after.st_mode, before.st_mode) << what << ": the file is left as it was";
        EXPECT_EQ(after.st_ino, before.st_ino) << what;
        EXPECT_FALSE(QFileInfo::exists(reg.userFile + ".bad")) << what << ": not damaged, only unreadable";
    }
}

TEST(RegFileRefusal, TheLastFiveDamagedFilesAreKeptAndAnOverLongFileCountsAsDamaged)
{
    TempRegistry reg;
    const QByteArray overLong(16 * 1024 * 1024 + 1, 'x'); // too long to be a settings file
    for (int n = 1; n <= 7; ++n) {
        reg.writeUser(n == 6 ? overLong : "REGEDIT4\n[damaged " + QByteArray::number(n)); // others cut short
        ASSERT_TRUE(saveOne(reg.store, QString::number(n))) << n;
    }
    const QString bad = reg.userFile + ".bad";
    const QStringList kept{bad, bad + ".1", bad + ".2", bad + ".3", bad + ".4"};
    for (int i = 0, n = 7; i < kept.size(); ++i, --n)
        EXPECT_EQ(TempRegistry::read(kept[i]),
                  n == 6 ? overLong : "REGEDIT4\n[damaged " + QByteArray::number(n))
            << kept[i].toStdString();
    EXPECT_FALSE(QFileInfo::exists(bad + ".5"));
}
