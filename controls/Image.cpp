// TImage, the picture control, and the references other controls hold to one.
#include "controls/Image.h"

#include <QPainter>

TImage::TImage(QWidget *parent) : QWidget(parent)
{
    resize(105, 105);
}

void TImage::setPicture(const QString &path)
{
    FPicture = path;
    const QImage picture = path.isEmpty() ? QImage() : QImage(path);
    if (!path.isEmpty() && picture.isNull())
        qWarning("TImage %s: cannot read the picture %s", qPrintable(objectName()), qPrintable(path));
    setBitmap(picture);
}

void TImage::setBitmap(const QImage &bitmap)
{
    FBitmap = bitmap.isNull() ? QImage() : bitmap.convertToFormat(QImage::Format_RGB32);
    update();
    emit pictureChanged();
}

void TImage::paintEvent(QPaintEvent *)
{
    if (FBitmap.isNull()) return;
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
