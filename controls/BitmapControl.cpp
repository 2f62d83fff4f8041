// TBitmapControl: a push button drawn from a picture strip.
#include "controls/BitmapControl.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <QStyleHints>

namespace {

constexpr int HoverPollMs = 50;

// The last press that any picture button took, on the window system's clock.
quint64 gLastPressTime = 0;
bool gAnyPress = false;

} // namespace

bool IsEchoOfShowingPress(quint64 pressTime, quint64 shownByPress, int doubleClickMs)
{
    return pressTime >= shownByPress && pressTime - shownByPress < quint64(qMax(0, doubleClickMs));
}

int ChooseButtonFrame(bool enabled, bool down, bool mouseIn, int imageUp, int imageDown, int imageActive,
                      int imageDisabled)
{
    if (!enabled) return imageDisabled;
    if (down && mouseIn) return imageDown;
    if (mouseIn) return imageActive;
    return imageUp;
}

TButtonFrame ButtonFrameRects(int index, QSize control, QSize strip, int numImages, bool center)
{
    TButtonFrame f;
    int fw, fh;
    QPoint dest;
    if (center) {
        fw = numImages > 0 ? strip.width() / numImages : 0;
        fh = strip.height();
        dest = QPoint((control.width() - fw) / 2, (control.height() - strip.height()) / 2);
    } else {
        fw = control.width();
        fh = control.height();
    }
    f.Dest = QRect(dest, QSize(fw, fh));
    if (index >= 0 && index < numImages && fw > 0 && (qint64(index) + 1) * fw <= strip.width())
        f.Source = QRect(index * fw, 0, fw, strip.height());
    return f;
}

QPoint CaptionPosition(QSize control, QSize text, int captionLeft, int captionTop, bool pressedOver)
{
    QPoint p(captionLeft == -1 ? (control.width() - text.width()) / 2 : captionLeft,
             captionTop == -1 ? (control.height() - text.height()) / 2 - 1 : captionTop);
    if (pressedOver) p += QPoint(1, 1);
    return p;
}

QChar AcceleratorOf(const QString &caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&')) continue;
        if (caption[i + 1] != QLatin1Char('&')) return caption[i + 1];
        ++i; // "&&" is a plain ampersand
    }
    return {};
}

TBitmapControl::TBitmapControl(QWidget *parent) : TControl(parent)
{
    resize(50, 50);
    FHoverTimer.setInterval(HoverPollMs);
    connect(&FHoverTimer, &QTimer::timeout, this, &TBitmapControl::HoverTimerTimer);
}

void TBitmapControl::setCaption(const QString &value)
{
    FCaption = value;
    GrabAccelerator();
    update();
}

void TBitmapControl::setCaptionLeft(int value)
{
    FCaptionLeft = value;
    update();
}

void TBitmapControl::setCaptionTop(int value)
{
    FCaptionTop = value;
    update();
}

void TBitmapControl::setShowCaption(bool value)
{
    FShowCaption = value;
    update();
}

void TBitmapControl::setImage(const QString &name)
{
    FImage.SetName(name);
    update();
}

void TBitmapControl::setImageControl(TImage *image)
{
    FImage.Set(image);
    update();
}

void TBitmapControl::setNumImages(int value)
{
    // A strip has at least one frame; zero or less would make the frame width meaningless.
    if (value < 1) return;
    FNumImages = value;
    if (FAutoSize && FImage.Found()) Resize();
}

void TBitmapControl::setAutoSize(bool value)
{
    FAutoSize = value;
    if (FAutoSize && FImage.Found()) Resize();
}

void TBitmapControl::Resize()
{
    const QImage &strip = FImage.Found()->Bitmap();
    setGeometry(x(), y(), strip.width() / FNumImages, strip.height());
}

int TBitmapControl::CurrentFrame() const
{
    return ChooseButtonFrame(isEnabled(), FState == bsDown, MouseInControl(), FImageUp, FImageDown,
                             FImageActive, FImageDisabled);
}

bool TBitmapControl::MouseInControl() const
{
    if (!window()->isActiveWindow()) return false;
    const QPoint cursor = FCursorSource ? FCursorSource() : QCursor::pos();
    const QRect onScreen(mapToGlobal(QPoint(0, 0)), mapToGlobal(QPoint(width(), height())));
    return cursor.x() >= onScreen.left() && cursor.y() >= onScreen.top() &&
           cursor.x() < onScreen.left() + width() && cursor.y() < onScreen.top() + height();
}

void TBitmapControl::DoClick()
{
    emit clicked();
}

bool TBitmapControl::DialogChar(QChar ch)
{
    const QChar accel = AcceleratorOf(FCaption);
    if (accel.isNull() || accel.toCaseFolded() != ch.toCaseFolded() || !isEnabled()) return false;
    DoClick();
    return true;
}

void TBitmapControl::GrabAccelerator()
{
    if (FAcceleratorId != 0) releaseShortcut(FAcceleratorId);
    FAcceleratorId = 0;
    const QKeySequence keys = QKeySequence::mnemonic(FCaption);
    if (!keys.isEmpty()) FAcceleratorId = grabShortcut(keys);
}

bool TBitmapControl::event(QEvent *event)
{
    if (event->type() == QEvent::Shortcut && FAcceleratorId != 0 &&
        static_cast<QShortcutEvent *>(event)->shortcutId() == FAcceleratorId &&
        DialogChar(AcceleratorOf(FCaption)))
        return true;
    return TControl::event(event);
}

void TBitmapControl::paintEvent(QPaintEvent *)
{
    QPainter canvas(this);
    if (!FImage.Get()) {
        canvas.setPen(Qt::black);
        canvas.setBrush(Qt::white);
        canvas.drawRect(0, 0, width() - 1, height() - 1);
        return;
    }
    DrawButton(canvas);
}

void TBitmapControl::DrawButton(QPainter &canvas)
{
    if (!RunCustomDraw(canvas)) return;
    const TImage *image = FImage.Get();
    if (!image) return;
    const QImage &strip = image->Bitmap();
    if (!FTransparent) canvas.fillRect(rect(), palette().color(QPalette::Button));
    const int index = CurrentFrame();
    const TButtonFrame frame = ButtonFrameRects(index, size(), strip.size(), FNumImages, FCenter);
    if (!frame.Source.isEmpty()) canvas.drawImage(frame.Dest, strip, frame.Source);
    FLastImage = index;
    DrawCaption(canvas);
}

void TBitmapControl::DrawCaption(QPainter &canvas)
{
    if (!FShowCaption || FCaption.isEmpty()) return;
    canvas.setFont(font());
    const QSize text = canvas.fontMetrics().size(Qt::TextShowMnemonic, FCaption);
    const bool pressedOver = FState == bsDown && MouseInControl();
    QRect bounds(CaptionPosition(size(), text, FCaptionLeft, FCaptionTop, pressedOver), text);
    canvas.setPen(isEnabled() ? palette().color(QPalette::Active, QPalette::WindowText)
                              : palette().color(QPalette::Active, QPalette::Dark));
    if (FOnTextBounds) FOnTextBounds(this, bounds);
    emit textBounds(bounds);
    canvas.drawText(bounds, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextShowMnemonic, FCaption);
}

void TBitmapControl::showEvent(QShowEvent *event)
{
    TControl::showEvent(event);
    FShownByPress = gLastPressTime;
    FShownByAPress = gAnyPress;
}

void TBitmapControl::mousePressEvent(QMouseEvent *event)
{
    if (FShownByAPress && IsEchoOfShowingPress(event->timestamp(), FShownByPress,
                                               QGuiApplication::styleHints()->mouseDoubleClickInterval())) {
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton && isEnabled()) {
        gLastPressTime = event->timestamp();
        gAnyPress = true;
    }
    FireMouseDown(event);
    HideHintWhilePressed();
    if (event->button() == Qt::LeftButton && isEnabled()) {
        FPressed = true;
        FState = bsDown;
        update();
    }
}

void TBitmapControl::mouseMoveEvent(QMouseEvent *event)
{
    FireMouseMove(event);
    if (!FHoverTimer.isActive()) FHoverTimer.start();
    // While a button is held the window system reports no entering or leaving; the frame
    // follows the pointer from here instead.
    if ((FHover || FPressed) && CurrentFrame() != FLastImage) update();
}

void TBitmapControl::mouseReleaseEvent(QMouseEvent *event)
{
    FireMouseUp(event);
    FPressed = false;
    const QPoint p = event->position().toPoint();
    const bool click = FState == bsDown && p.x() >= 0 && p.x() < width() && p.y() >= 0 && p.y() < height();
    FState = bsUp;
    if (click) DoClick();
    update();
    RestoreHint(event);
}

void TBitmapControl::enterEvent(QEnterEvent *event)
{
    TControl::enterEvent(event);
    if (FHover || FPressed) update();
    emit mouseEnter();
    FHoverTimer.start();
}

void TBitmapControl::leaveEvent(QEvent *event)
{
    TControl::leaveEvent(event);
    MouseLeft();
}

void TBitmapControl::MouseLeft()
{
    FHoverTimer.stop();
    if (FHover || FPressed) update();
    emit mouseLeave();
}

void TBitmapControl::HoverTimerTimer()
{
    if (!MouseInControl()) MouseLeft();
}

void TBitmapControl::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange) update();
    TControl::changeEvent(event);
}
