// The hand-off record and its file: the layout a fresh file gets, the body as stored, file
// paths as keys, an older file updated, and where the file goes.
#include "mail/SMapiUtils.h"
#include "mail/SendCommand.h"
#include "settings/SettingsFakes.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class HandOffFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("eMail.dat"));
};

TEST_F(HandOffFile, AFreshFileHoldsFlagsHeaderAndTheMessageFileWithTheBodyAsStored)
{
    const QString message = dir.filePath(QStringLiteral("my voice=1.wav"));
    const TSMapiMessage record = MakeVoiceMessage(message, false, QStringLiteral("Grandma"),
                                                  QStringLiteral("gran@example.org"), QStringLiteral("Anna"));
    ASSERT_TRUE(record.SaveToFile(path));
    EXPECT_EQ(QString::fromUtf8(TempRegistry::read(path)),
              QStringLiteral("[Flags]\nForceNoUI=1\n\n[Header]\nToName=Grandma\n"
                             "ToAddr=gran@example.org\nSenderAddr=\nSenderName=\n"
                             "Subject=Voice message from Anna\nText=") +
                  MailBodyText + QStringLiteral("\n\n[Files]\n") + message + QStringLiteral("=1\n"));
    EXPECT_EQ(VoiceMessageSubject(QString()), "Voice message");
}

TEST_F(HandOffFile, AnOlderFileKeepsItsOwnLinesAndEndsWithOnlyTheNewFiles)
{
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
