// TSlider: a slider drawn from a track picture and a draggable holder picture, vertical or
// horizontal, whose position the user drags and a program sets.
//
// In a Designer form: <customwidget><class>TSlider</class><extends>QWidget</extends>
// <header>controls/ZSlider.h</header></customwidget>; HolderImage and BkgImage name TImage
// controls of the form. Signal changed() follows every drag that moves the position.
#pragma once

#include "controls/Control.h"
#include "controls/Image.h"

#include <QColor>
#include <QMetaObject>
#include <QRect>

#include <cstdint>

// Pixels per position unit: travel / (max - min), kept as a 32-bit float.
float SliderScale(int travel, std::uint32_t min, std::uint32_t max);
// Offset of the holder's leading edge for a position: (position - min) * scale, rounded to the
// nearest pixel (halves to even).
int HolderOffset(std::uint32_t position, std::uint32_t min, float scale);
// The position for a pointer coordinate along the track: min + coordinate / scale rounded (halves
// to even), clamped to min .. max. A track without travel gives min.
std::uint32_t SliderPositionAt(int coordinate, float scale, std::uint32_t min, std::uint32_t max);

class TSlider : public TControl {
    Q_OBJECT
public:
    enum TSliderStyle { ssVertical = 0, ssHorizontal = 1 };
    Q_ENUM(TSliderStyle)
private:
    Q_PROPERTY(QColor Color READ Color WRITE setColor)
    Q_PROPERTY(bool Transparent READ Transparent WRITE setTransparent)
    Q_PROPERTY(QColor TranspColor READ TranspColor WRITE setTranspColor)
    Q_PROPERTY(uint Min READ Min WRITE setMin)
    Q_PROPERTY(uint Max READ Max WRITE setMax)
    Q_PROPERTY(int NumImages READ NumImages WRITE setNumImages)
    Q_PROPERTY(int ImageIndex READ ImageIndex WRITE setImageIndex)
    Q_PROPERTY(int DisabledIndex READ DisabledIndex WRITE setDisabledIndex)
    Q_PROPERTY(uint Position READ Position WRITE setPosition)
    Q_PROPERTY(Qt::CursorShape HolderCursor READ HolderCursor WRITE setHolderCursor)
    Q_PROPERTY(QString HolderImage READ HolderImage WRITE setHolderImage)
    Q_PROPERTY(QString BkgImage READ BkgImage WRITE setBkgImage)
    Q_PROPERTY(TSliderStyle Style READ Style WRITE setStyle)

public:
    explicit TSlider(QWidget *parent = nullptr);

    // Fills the track when there is no track picture.
    QColor Color() const { return FColor; }
    void setColor(const QColor &value);
    bool Transparent() const { return FTransparent; }
    void setTransparent(bool value);
    QColor TranspColor() const { return FTranspColor; }
    void setTranspColor(const QColor &value);
    uint Min() const { return FMin; }
    void setMin(uint value);
    // A maximum equal to the minimum becomes minimum + 100.
    uint Max() const { return FMax; }
    void setMax(uint value);
    int NumImages() const { return FNumImages; }
    void setNumImages(int value);
    int ImageIndex() const { return FImageIndex; }
    void setImageIndex(int value);
    int DisabledIndex() const { return FDisabledIndex; }
    void setDisabledIndex(int value);
    // Stored as given, also outside Min .. Max; only dragging clamps. Raises no changed().
    uint Position() const { return FPosition; }
    void setPosition(uint value);
    Qt::CursorShape HolderCursor() const { return FHolderCursor; }
    void setHolderCursor(Qt::CursorShape value) { FHolderCursor = value; }
    QString HolderImage() const { return FHolderImage.Name(); }
    void setHolderImage(const QString &name);
    void setHolderImageControl(TImage *image);
    // Attaching a track picture sizes the slider to it.
    QString BkgImage() const { return FBkgImage.Name(); }
    void setBkgImage(const QString &name);
    void setBkgImageControl(TImage *image);
    TSliderStyle Style() const { return FStyle; }
    using QWidget::setStyle;
    void setStyle(TSliderStyle value);

    bool Dragging() const { return FDragging; }
    int Travel() const { return FTravel; }
    float Scale() const { return FScale; }
    int FrameWidth() const { return FFrameWidth; }
    // Where the holder is drawn and can be grabbed (right and bottom edges outside).
    // Empty without a holder picture.
    QRect HolderRect() const { return HolderPicture() ? FHolderRect : QRect(); }

signals:
    void changed();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Follows the picture controls named by HolderImage and BkgImage: a newly found track
    // picture sizes the slider; either one changing its picture updates the geometry.
    void Relink();
    void UpdateFrameWidth();
    void UpdateScale();
    void UpdateHolderRect();
    void UpdateCursor(QPoint pos);
    const QImage *HolderPicture() const;

    bool FDragging = false;
    int FTravel = 0;
    float FScale = 0;
    std::uint32_t FPosition = 0;
    TSliderStyle FStyle = ssVertical;
    TImageLink FHolderImage{this};
    TImageLink FBkgImage{this};
    QPointer<TImage> FHolderLinked;
    QPointer<TImage> FBkgLinked;
    QMetaObject::Connection FHolderWatch;
    QMetaObject::Connection FBkgWatch;
    Qt::CursorShape FHolderCursor = Qt::PointingHandCursor;
    std::uint32_t FMin = 0;
    std::uint32_t FMax = 100;
    bool FTransparent = false;
    QColor FTranspColor{0, 0, 0};
    int FImageIndex = 0;
    int FNumImages = 1;
    int FDisabledIndex = 0;
    QRect FHolderRect;
    int FFrameWidth = 0;
    QColor FColor;
    bool FHolderCursorShown = false;
    QCursor FTrackCursor;
};
