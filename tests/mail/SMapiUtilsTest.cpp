// The hand-off record and its file: an older file updated, file paths as keys, and where the file
// goes. A fresh file's layout is read back by the sender in the sending end-to-end scenario.
#include "mail/SMapiUtils.h"
#include "mail/SendCommand.h"
#include "settings/SettingsFakes.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(HandOffFile, AnOlderFileKeepsItsOwnLinesAndEndsWithOnlyTheNewFiles)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("eMail.dat"));
    const QByteArray before =
        "[Files]\n/tmp/one.wav=1\n/tmp/two.wav=1\n[FileNames]\n/x=1\n[Header]\nToName=Old\n"
        "Custom=kept\n[Other]\nk=v\n";
    TempRegistry::write(path, before);
    TSMapiMessage record;
    record.Files << QStringLiteral("/tmp/new.wav");
    record.Text = QStringLiteral("a\r\nb\rc");
    EXPECT_FALSE(record.SaveToFile(path)) << "a lone CR cannot stay on its line";
    EXPECT_EQ(TempRegistry::read(path), before) << "nothing of a record that cannot be written whole";
    record.Text = QStringLiteral("a\r\nb");
    ASSERT_TRUE(record.SaveToFile(path));
    EXPECT_EQ(TempRegistry::read(path),
              QByteArray("[Header]\nToName=\nCustom=kept\nToAddr=\nSenderAddr=\nSenderName=\nSubject=\n"
                         "Text=a\\nb\n[Other]\nk=v\n\n[Flags]\nForceNoUI=0\n\n[Files]\n/tmp/new.wav=1\n"));
    EXPECT_EQ(VoiceMessageSubject(QString()), "Voice message") << "a kid without a name";
}

TEST(HandOffPlace, TheProgramFolderWhenWritableElseTheUsersStateFolder)
{
    QTemporaryDir program, state;
    FakeFolders folders;
    folders.program = program.path();
    EXPECT_EQ(HandOffFileName(folders), program.filePath(QStringLiteral("eMail.dat")));
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    folders.program = program.filePath(QStringLiteral("missing"));
    EXPECT_EQ(HandOffFileName(folders), state.filePath(QStringLiteral("chirpel/eMail.dat")));
    EXPECT_TRUE(QFileInfo(state.filePath(QStringLiteral("chirpel"))).isDir());
    qunsetenv("XDG_STATE_HOME");
}

} // namespace
