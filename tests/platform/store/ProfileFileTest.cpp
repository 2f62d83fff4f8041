// Private-profile files: update in place, names without regard to case, sections erased and
// written again at the end, everything else kept byte for byte; nothing that would not read back.
#include "platform/store/ProfileFile.h"

#include "settings/SettingsFakes.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using platform::TProfileFile;

namespace {

class ProfileFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("eMail.dat"));
};

TEST_F(ProfileFile, KeysAreUpdatedInPlaceWithoutRegardToCaseAndForeignLinesStayByteForByte)
{
    const QByteArray foreign =
        "; written by hand\r\n[Mine]\r\n  Spaced Key = x \r\nweird line without equals\r\n\r\n";
    TempRegistry::write(path, foreign + "[HEADER]\r\nTONAME=Old\r\nToAddr=a@b\r\n\r\n[Tail]\r\nz=1");
    TProfileFile file(path);
    EXPECT_EQ(file.ReadString("mine", "spaced key"), "x");
    EXPECT_TRUE(file.WriteString("Header", "ToName", "Grandma"));
    EXPECT_TRUE(file.WriteString("header", "Subject", " as given = \"quoted\" Zo\u00eb"));
    EXPECT_TRUE(file.WriteString("Tail", "y", "2"));
    EXPECT_TRUE(file.WriteString("New", "k", "v"));
    EXPECT_EQ(TempRegistry::read(path).left(foreign.size()), foreign)
        << "nothing reaches the disk before the update";
    ASSERT_TRUE(file.UpdateFile()) << file.Error().toStdString();
    EXPECT_EQ(TempRegistry::read(path), foreign + "[HEADER]\r\nToName=Grandma\r\nToAddr=a@b\r\n"
                                                  "Subject= as given = \"quoted\" Zo\xc3\xab\r\n\r\n"
                                                  "[Tail]\r\nz=1\r\ny=2\r\n\r\n[New]\r\nk=v\r\n")
        << "new lines follow the file's CR LF";
}

TEST_F(ProfileFile, AnErasedSectionGoesWithAllItsCopiesAndComesBackAtTheEnd)
{
    TempRegistry::write(path,
                        "[Files]\n/old/a.wav=1\n[Header]\nToName=x\n[files]\n/old/b.wav=1\n[After]\nk=v\n");
    TProfileFile file(path);
    EXPECT_EQ(file.SectionEntries("FILES"), QStringList({"/old/a.wav=1", "/old/b.wav=1"}));
    file.EraseSection("Files");
    EXPECT_TRUE(file.WriteString("Files", "/tmp/my msg=1.wav", "1"));
    EXPECT_TRUE(file.WriteString("Files", "/tmp/my msg=1.WAV", "1")) << "a key with \"=\" is found again";
    ASSERT_TRUE(file.UpdateFile());
    EXPECT_EQ(TempRegistry::read(path),
              QByteArray("[Header]\nToName=x\n[After]\nk=v\n\n[Files]\n/tmp/my msg=1.WAV=1\n"));
    EXPECT_EQ(file.Sections(), QStringList({"Header", "After", "Files"}));
}

TEST_F(ProfileFile, AnUnreadableOldFileIsNeverReplaced)
{
    ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    TProfileFile fifo(path);
    EXPECT_FALSE(fifo.LoadError().isEmpty()) << "a FIFO is read without blocking and refused";
    fifo.WriteString("Flags", "ForceNoUI", "0");
    EXPECT_FALSE(fifo.UpdateFile());
    EXPECT_FALSE(fifo.Error().isEmpty());
    EXPECT_FALSE(fifo.WriteString("Head]er", "k", "v") || fifo.WriteString("Header", "[x", "v") ||
                 fifo.WriteString("Header", "", "v") || fifo.WriteString("Header", "Sub\rject", "v"))
        << "what would not read back as written is refused";
}

} // namespace
