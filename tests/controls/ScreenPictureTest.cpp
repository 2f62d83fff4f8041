// Screen pictures: what is written reads back pixel for pixel, compiled in or from a file, and
// anything that is not a whole picture reads as none.
#include "controls/ScreenPicture.h"

#include "controls/ControlsTestSupport.h"

#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

TEST(ScreenPicture, ReadsBackWhatWasWrittenFromAFileAndFromTheProgramAndWhatIsNotAWholePictureAsNone)
{
    const QImage source = controlstest::gradientPicture(7, 3);
    const QByteArray bytes = ScreenPictureBytes(source.convertToFormat(QImage::Format_ARGB32));
    EXPECT_EQ(ScreenPictureFromBytes(bytes), source);
    QImage seeThrough = source.convertToFormat(QImage::Format_ARGB32);
    seeThrough.setPixel(1, 1, qRgba(200, 100, 50, 90));
    EXPECT_EQ(ScreenPictureFromBytes(ScreenPictureBytes(seeThrough, true)),
              seeThrough.convertToFormat(QImage::Format_ARGB32_Premultiplied))
        << "the see-through parts kept";
    QTemporaryDir dir;
    QFile file(dir.filePath("p.rgb32"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    EXPECT_EQ(ReadPicture(file.fileName()), source);
    // The child's window's pictures are compiled in as screen pictures; the others stay PNG.
    EXPECT_EQ(ArtPicturePath("btn_record"), ":/chirpel/art/btn_record.rgb32");
    EXPECT_EQ(ReadPicture(ArtPicturePath("btn_record")).size(), QSize(360, 120));
    EXPECT_EQ(ArtPicturePath("icon"), ":/chirpel/art/icon.argb32");
    EXPECT_TRUE(ReadPicture(ArtPicturePath("icon")).hasAlphaChannel());
    EXPECT_EQ(ArtPicturePath("bubble_ok"), ":/chirpel/art/bubble_ok.png");
    // Anything that is not a whole picture reads as none.
    const QByteArray good = ScreenPictureBytes(QImage(4, 2, QImage::Format_RGB32));
    const auto withSize = [&](uint32_t width, uint32_t height) {
        QByteArray b = good;
        qToLittleEndian(width, b.data() + 4);
        qToLittleEndian(height, b.data() + 8);
        return b;
    };
    const QByteArray bad[] = {good.left(good.size() - 1),
                              good + "x",
                              QByteArray("XPIC") + good.mid(4),
                              good.left(15),
                              withSize(0, 2),
                              withSize(4, 0),
                              withSize(1u << 30, 1u << 30),
                              withSize(2, 4 + 1),
                              good.left(12) + QByteArray("\2\0\0\0", 4) + good.mid(16)};
    for (const QByteArray &bytes : bad)
        EXPECT_TRUE(ScreenPictureFromBytes(bytes).isNull()) << bytes.left(16).toHex().toStdString();
    EXPECT_FALSE(ScreenPictureFromBytes(withSize(2, 4)).isNull()) << "the same pixels, otherwise arranged";
    EXPECT_TRUE(ReadPicture(QStringLiteral("/nonexistent/p.rgb32")).isNull());
}
