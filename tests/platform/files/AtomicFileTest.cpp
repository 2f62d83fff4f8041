// Replacing a file whole: what a writer that is gone left behind (permission bits: RegistryTest).
#include "platform/files/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace platform;

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
