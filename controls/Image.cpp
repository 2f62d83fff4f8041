// TImage, the picture control, and the references other controls hold to one.
#include "controls/Image.h"

#include "controls/ScreenPicture.h"

#include <QPainter>

TImage::TImage(QWidget *parent) : QWidget(parent)
{
    resize(105, 105);
}

void TImage::setPicture(const QString &path)
{
    FPicture = path;
    FBitmap = QImage();
    FUnread = !path.isEmpty();
    update();
    emit pictureChanged();
}

const QImage &TImage::Bitmap() const
{
    if (FUnread) {
        FUnread = false;
        const QImage picture = ReadPicture(FPicture);
        if (picture.isNull())
            qWarning("TImage %s: cannot read the picture %s", qPrintable(objectName()), qPrintable(FPicture));
        Store(picture);
    }
    return FBitmap;
}

void TImage::setBitmap(const QImage &bitmap)
{
    FUnread = false;
    Store(bitmap);
    update();
    emit pictureChanged();
}

void TImage::Store(const QImage &bitmap) const
{
    FBitmap = bitmap.isNull() ? QImage() : bitmap.convertToFormat(QImage::Format_RGB32);
}

void TImage::paintEvent(QPaintEvent *)
{
    if (Bitmap().isNull()) return;
    QPainter p(this);
    p.drawImage(0, 0, FBitmap);
}

void TImageLink::SetName(const QString &name)
{
    FName = name;
    FImage = nullptr;
}

void TImageLink::Set(TImage *image)
{
    FImage = image;
    FName = image ? image->objectName() : QString();
}

TImage *TImageLink::Get() const
{
    if (FImage || FName.isEmpty()) return FImage;
    for (const QWidget *w = FOwner->parentWidget(); w; w = w->parentWidget()) {
        if (auto *found = w->findChild<TImage *>(FName)) {
            FImage = found;
            break;
        }
    }
    return FImage;
}

const QImage *TImageLink::Bitmap() const
{
    const TImage *image = Get();
    if (!image || image->Bitmap().isNull()) return nullptr;
    return &image->Bitmap();
}
