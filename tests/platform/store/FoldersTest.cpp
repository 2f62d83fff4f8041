// The folders this machine reports.
#include "platform/store/Folders.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace platform;

TEST(HostFolders, TheTemporaryFolderComesFromTmpdirWithASeparatorAndOnlyFoldersExistAsFolders)
{
    HostFolders folders;
    const QByteArray old = qgetenv("TMPDIR");
    for (const auto &[tmpdir, expected] :
         {std::pair{"/var/tmp", "/var/tmp/"}, {"/scratch/", "/scratch/"}, {"", "/tmp/"}}) {
        qputenv("TMPDIR", tmpdir);
        EXPECT_EQ(folders.tempFolder(), expected) << tmpdir;
    }
    if (!old.isEmpty()) qputenv("TMPDIR", old);
    EXPECT_EQ(folders.programFolder(), QCoreApplication::applicationDirPath()) << "without a separator";
    QTemporaryDir dir;
    QFile(dir.filePath(QStringLiteral("file"))).open(QIODevice::WriteOnly);
    EXPECT_TRUE(folders.folderExists(dir.path()));
    EXPECT_FALSE(folders.folderExists(dir.filePath(QStringLiteral("file"))));
    EXPECT_FALSE(folders.folderExists(dir.filePath(QStringLiteral("missing"))));
}
