// Replacing a file whole or not at all: permission bits, and what a failure leaves.
#include "platform/files/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;

namespace {

mode_t modeOf(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

} // namespace

TEST(AtomicFile, ANewFileIsPrivateOrOrdinaryAndAReplacedOneKeepsItsBits)
{
    QTemporaryDir dir;
    const QString settings = dir.filePath("user.reg"), message = dir.filePath("chirpel.wav");
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(ReplaceFileAtomically(settings.toStdString(), "a", 1, NewFileMode::Private));
    ASSERT_TRUE(ReplaceFileAtomically(message.toStdString(), "b", 1, NewFileMode::Ordinary));
    EXPECT_EQ(modeOf(settings), mode_t(0600));
    EXPECT_EQ(modeOf(message), mode_t(0644));

    QFile::setPermissions(message, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup); // 0640
    ASSERT_TRUE(ReplaceFileAtomically(message.toStdString(), "cd", 2, NewFileMode::Private));
    ::umask(mask);
    EXPECT_EQ(modeOf(message), mode_t(0640));
    QFile f(message);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("cd"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"chirpel.wav", "user.reg"}));
}

TEST(AtomicFile, ANamedLeftoverOfAWriterThatIsGoneIsRemovedByTheNextSaveAndALiveOnesIsNot)
{
    QTemporaryDir dir;
    const pid_t gone = ::fork();
    if (gone == 0) _exit(0);
    ::waitpid(gone, nullptr, 0);
    const QString live = QStringLiteral("user.reg.chirpel-tmp.%1.1.1").arg(::getppid());
    for (const QString &leftover : {QStringLiteral("user.reg.chirpel-tmp.%1.1.1").arg(gone), live})
        ASSERT_TRUE(QFile(dir.filePath(leftover)).open(QIODevice::WriteOnly));

    ASSERT_TRUE(ReplaceFileAtomically(dir.filePath("user.reg").toStdString(), "new", 3));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"user.reg", live}));
}
