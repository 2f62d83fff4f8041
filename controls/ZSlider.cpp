// TSlider: a picture slider with a draggable holder.
#include "controls/ZSlider.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

float SliderScale(int travel, std::uint32_t min, std::uint32_t max)
{
    return static_cast<float>(double(travel) / (double(max) - double(min)));
}

int HolderOffset(std::uint32_t position, std::uint32_t min, float scale)
{
    const double p = std::nearbyint((double(position) - double(min)) * double(scale));
    return int(std::clamp(p, -1e9, 1e9));
}

std::uint32_t SliderPositionAt(int coordinate, float scale, std::uint32_t min, std::uint32_t max)
{
    if (!(scale > 0)) return min;
    const double v = double(min) + std::nearbyint(double(coordinate) / double(scale));
    if (v >= double(max)) return max;
    if (v <= double(min)) return min;
    return std::uint32_t(v);
}

namespace {

// The holder frame with every pixel of the see-through colour left out.
QImage withoutColor(const QImage &frame, QColor transparent)
{
    QImage out = frame.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparent.rgb() & 0x00ffffff;
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] & 0x00ffffff) == key) line[x] = 0;
    }
    return out;
}

} // namespace

TSlider::TSlider(QWidget *parent) : TControl(parent), FColor(palette().color(QPalette::Button))
{
    resize(25, 150);
    UpdateScale();
}

void TSlider::setColor(const QColor &value)
{
    FColor = value;
    update();
}

void TSlider::setTransparent(bool value)
{
    if (value == FTransparent) return;
    FTransparent = value;
    update();
}

void TSlider::setTranspColor(const QColor &value)
{
    if (value == FTranspColor) return;
    FTranspColor = value;
    update();
}

void TSlider::setMin(uint value)
{
    FMin = value;
    UpdateScale();
}

void TSlider::setMax(uint value)
{
    FMax = value;
    UpdateScale();
}

void TSlider::setNumImages(int value)
{
    FNumImages = value <= 0 ? 1 : value;
    UpdateFrameWidth();
    UpdateHolderRect();
    update();
}

void TSlider::setImageIndex(int value)
{
    FImageIndex = value;
    update();
}

void TSlider::setDisabledIndex(int value)
{
    FDisabledIndex = value;
    if (!isEnabled()) setImageIndex(value);
}

void TSlider::setPosition(uint value)
{
    FPosition = value;
    UpdateHolderRect();
    update();
}

void TSlider::setHolderImage(const QString &name)
{
    FHolderImage.SetName(name);
    Relink();
}

void TSlider::setHolderImageControl(TImage *image)
{
    FHolderImage.Set(image);
    Relink();
}

void TSlider::setBkgImage(const QString &name)
{
    FBkgImage.SetName(name);
    Relink();
}

void TSlider::setBkgImageControl(TImage *image)
{
    FBkgImage.Set(image);
    Relink();
}

void TSlider::setStyle(TSliderStyle value)
{
    FStyle = value;
    UpdateScale();
    update();
}

void TSlider::Relink()
{
    TImage *holder = FHolderImage.Get();
    if (holder != FHolderLinked) {
        disconnect(FHolderWatch);
        FHolderLinked = holder;
        if (holder)
            FHolderWatch = connect(holder, &TImage::pictureChanged, this, [this] {
                UpdateFrameWidth();
                UpdateScale();
                update();
            });
    }
    TImage *bkg = FBkgImage.Get();
    if (bkg != FBkgLinked) {
        disconnect(FBkgWatch);
        FBkgLinked = bkg;
        if (bkg) {
            FBkgWatch = connect(bkg, &TImage::pictureChanged, this, qOverload<>(&QWidget::update));
            setGeometry(x(), y(), bkg->Bitmap().width(), bkg->Bitmap().height());
        }
    }
    UpdateFrameWidth();
    UpdateScale();
    update();
}

const QImage *TSlider::HolderPicture() const
{
    return FHolderImage.Bitmap();
}

void TSlider::UpdateFrameWidth()
{
    if (const QImage *holder = HolderPicture()) FFrameWidth = holder->width() / FNumImages;
}

void TSlider::UpdateScale()
{
    // The holder is drawn one frame wide, so a horizontal track loses one frame's width.
    const QImage *holder = HolderPicture();
    if (FStyle == ssVertical)
        FTravel = height() - (holder ? holder->height() : 0);
    else
        FTravel = width() - (holder ? FFrameWidth : 0);
    if (FMax == FMin) FMax = FMin + 100;
    FScale = SliderScale(FTravel, FMin, FMax);
    UpdateHolderRect();
}

void TSlider::UpdateHolderRect()
{
    const QImage *holder = HolderPicture();
    if (!holder) {
        FHolderRect = QRect();
        return;
    }
    const int p = HolderOffset(FPosition, FMin, FScale);
    if (FStyle == ssVertical)
        FHolderRect = QRect(0, p, FFrameWidth, holder->height());
    else
        FHolderRect = QRect(p, 0, FFrameWidth, holder->height());
}

bool TSlider::event(QEvent *event)
{
    // A form names its pictures before all of its controls exist; they are found when the
    // slider is first prepared for showing.
    if (event->type() == QEvent::Polish) Relink();
    return TControl::event(event);
}

void TSlider::resizeEvent(QResizeEvent *event)
{
    TControl::resizeEvent(event);
    UpdateScale();
}

void TSlider::paintEvent(QPaintEvent *)
{
    QPainter canvas(this);
    const QImage *track = FBkgImage.Bitmap();
    if (track)
        canvas.drawImage(0, 0, *track);
    else
        canvas.fillRect(rect(), FColor);
    const QImage *holder = HolderPicture();
    if (!holder) return;
    const int sourceX = FNumImages > 1 ? FFrameWidth * FImageIndex : 0;
    const QRect source(sourceX, 0, FFrameWidth, holder->height());
    // A frame index beyond the strip draws no holder rather than whatever lies outside it.
    if (FFrameWidth <= 0 || FImageIndex < 0 || !holder->rect().contains(source)) return;
    const QImage frame = holder->copy(source);
    canvas.drawImage(FHolderRect.topLeft(), FTransparent ? withoutColor(frame, FTranspColor) : frame);
}

void TSlider::mousePressEvent(QMouseEvent *event)
{
    FireMouseDown(event);
    HideHintWhilePressed();
    if (event->button() == Qt::LeftButton && isEnabled() &&
        HolderRect().contains(event->position().toPoint()))
        FDragging = true;
}

void TSlider::mouseMoveEvent(QMouseEvent *event)
{
    FireMouseMove(event);
    const QPoint pos = event->position().toPoint();
    UpdateCursor(pos);
    if (!FDragging) return;
    // The holder's leading edge follows the pointer; where it was grabbed is not kept.
    const std::uint32_t v = SliderPositionAt(FStyle == ssVertical ? pos.y() : pos.x(), FScale, FMin, FMax);
    if (v != FPosition) {
        setPosition(v);
        emit changed();
    }
}

void TSlider::mouseReleaseEvent(QMouseEvent *event)
{
    FireMouseUp(event);
    FDragging = false;
    update();
    RestoreHint(event);
}

void TSlider::leaveEvent(QEvent *event)
{
    TControl::leaveEvent(event);
    UpdateCursor(QPoint(-1, -1));
}

void TSlider::UpdateCursor(QPoint pos)
{
    const bool overHolder = HolderRect().contains(pos);
    if (overHolder == FHolderCursorShown) return;
    if (overHolder) {
        FTrackCursor = cursor();
        QWidget::setCursor(FHolderCursor);
    } else {
        QWidget::setCursor(FTrackCursor);
    }
    FHolderCursorShown = overHolder;
}

void TSlider::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange) setImageIndex(isEnabled() ? 0 : FDisabledIndex);
    TControl::changeEvent(event);
}
