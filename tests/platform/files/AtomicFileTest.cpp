// Replacing a file whole or not at all: permission bits, and what a failure leaves.
#include "platform/files/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    const mode_t mask = ::umask(022);
    const std::string settings = dir.filePath("user.reg").toStdString();
    const std::string message = dir.filePath("chirpel.wav").toStdString();

    ASSERT_TRUE(ReplaceFileAtomically(settings, "a", 1, NewFileMode::Private));
    ASSERT_TRUE(ReplaceFileAtomically(message, "b", 1, NewFileMode::Ordinary));
    EXPECT_EQ(modeOf(dir.filePath("user.reg")), mode_t(0600));
    EXPECT_EQ(modeOf(dir.filePath("chirpel.wav")), mode_t(0644));

    ::chmod(message.c_str(), 0640);
    ASSERT_TRUE(ReplaceFileAtomically(message, "cd", 2, NewFileMode::Private));
    ::umask(mask);
    EXPECT_EQ(modeOf(dir.filePath("chirpel.wav")), mode_t(0640));
    QFile f(dir.filePath("chirpel.wav"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("cd"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"chirpel.wav", "user.reg"}));
}

TEST(AtomicFile, AFileInAFolderThatIsNotThereFailsAtTheFirstStepAndNamesIt)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("gone/chirpel.wav").toStdString();

    const ReplaceResult result = ReplaceFileAtomically(path, "new", 3);

    EXPECT_FALSE(result);
    EXPECT_EQ(result.error, ENOENT);
    EXPECT_STREQ(result.step, "Cannot create a file beside");
    EXPECT_EQ(result.path, path);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

TEST(AtomicFile, ANamedLeftoverOfAWriterThatIsGoneIsRemovedByTheNextSaveAndALiveOnesIsNot)
{
    QTemporaryDir dir;
    const pid_t gone = ::fork();
    if (gone == 0) _exit(0);
    ::waitpid(gone, nullptr, 0);
    const QString stale = dir.filePath("user.reg.chirpel-tmp.%1.1.1").arg(gone);
    const QString live = dir.filePath("user.reg.chirpel-tmp.%1.1.1").arg(::getppid());
    for (const QString &leftover : {stale, live}) {
        QFile f(leftover);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }

    ASSERT_TRUE(ReplaceFileAtomically(dir.filePath("user.reg").toStdString(), "new", 3));

    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"user.reg", QFileInfo(live).fileName()}));
}
