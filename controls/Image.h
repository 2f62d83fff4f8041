// TImage: a picture control holding a bitmap (a window's artwork or a picture strip) that other
// controls of the same form draw from.
#pragma once

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

class TImage : public QWidget {
    Q_OBJECT
    // A resource path (":/chirpel/art/record.png") or file name of the picture.
    Q_PROPERTY(QString Picture READ Picture WRITE setPicture)
public:
    explicit TImage(QWidget *parent = nullptr);

    QString Picture() const { return FPicture; }
    void setPicture(const QString &path);

    // The picture, read when first asked for: a window's pictures that never show are never read.
    const QImage &Bitmap() const;
    void setBitmap(const QImage &bitmap);

signals:
    void pictureChanged();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void Store(const QImage &bitmap) const;

    QString FPicture;
    mutable QImage FBitmap;
    mutable bool FUnread = false;
};

// A control's reference to a picture control of its form, by object name or directly. A name is
// looked up among the descendants of the control's ancestors, nearest first, when the picture is
// first needed: in a form the named control may be created after the one that names it. The
// picture control is not owned; when it is destroyed the reference simply becomes empty.
class TImageLink {
public:
    explicit TImageLink(const QWidget *owner) : FOwner(owner) {}

    QString Name() const { return FName; }
    void SetName(const QString &name);
    void Set(TImage *image);

    // The attached picture control, or nullptr; looks a name up when not yet found.
    TImage *Get() const;
    // The picture control found so far, without looking a name up.
    TImage *Found() const { return FImage; }
    // The attached picture, or nullptr when there is none or it is empty.
    const QImage *Bitmap() const;

private:
    const QWidget *FOwner;
    QString FName;
    mutable QPointer<TImage> FImage;
};
