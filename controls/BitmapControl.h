// TBitmapControl: a push button drawn from a picture strip (equal frames side by side) held by a
// picture control of the same form, with hover, pressed and disabled frames and a caption.
//
// In a Designer form: <customwidget><class>TBitmapControl</class><extends>QWidget</extends>
// <header>controls/BitmapControl.h</header></customwidget>; the strip is named by the Image
// property (the object name of a TImage of the form). Signals: clicked, mouseEnter, mouseLeave,
// textBounds and those of TControl.
#pragma once

#include "controls/Control.h"
#include "controls/Image.h"

#include <QRect>
#include <QTimer>

#include <functional>

// Which frame a button shows: disabled, else pressed over the button, else hovered, else up.
int ChooseButtonFrame(bool enabled, bool down, bool mouseIn, int imageUp, int imageDown, int imageActive,
                      int imageDisabled);

// Where frame `index` of a strip is copied from and to. Centred, one frame is drawn unscaled in
// the middle; otherwise a control-sized piece of the strip fills the control. Source is empty
// when the index or the piece lies outside the strip: nothing is drawn then.
struct TButtonFrame {
    QRect Source;
    QRect Dest;
};
TButtonFrame ButtonFrameRects(int index, QSize control, QSize strip, int numImages, bool center);

// Top-left of the caption's text: CaptionLeft / CaptionTop, or centred on an axis where they are
// -1 (vertically one pixel above the middle); one pixel right and down while pressed.
QPoint CaptionPosition(QSize control, QSize text, int captionLeft, int captionTop, bool pressedOver);

// Whether a press at `pressTime` (ms, the window system's clock) on a button that came onto the
// screen after a press at `shownByPress` is the second half of a double-click: within
// `doubleClickMs` of it. A child's double-click on Record must not land on the Stop button that
// took Record's place.
bool IsEchoOfShowingPress(quint64 pressTime, quint64 shownByPress, int doubleClickMs);

// The character after the first single "&" of a caption ("&&" is a plain ampersand), or null.
QChar AcceleratorOf(const QString &caption);

class TBitmapControl : public TControl {
    Q_OBJECT
public:
    enum TButtonState { bsUp, bsDown };
    Q_ENUM(TButtonState)
private:
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(int CaptionLeft READ CaptionLeft WRITE setCaptionLeft)
    Q_PROPERTY(int CaptionTop READ CaptionTop WRITE setCaptionTop)
    Q_PROPERTY(TButtonState State READ State)
    Q_PROPERTY(bool ShowCaption READ ShowCaption WRITE setShowCaption)
    Q_PROPERTY(bool Hover READ Hover WRITE setHover)
    Q_PROPERTY(QString Image READ Image WRITE setImage)
    Q_PROPERTY(int NumImages READ NumImages WRITE setNumImages)
    Q_PROPERTY(int ImageUp READ ImageUp WRITE setImageUp)
    Q_PROPERTY(int ImageDown READ ImageDown WRITE setImageDown)
    Q_PROPERTY(int ImageActive READ ImageActive WRITE setImageActive)
    Q_PROPERTY(int ImageDisabled READ ImageDisabled WRITE setImageDisabled)
    Q_PROPERTY(bool Transparent READ Transparent WRITE setTransparent)
    Q_PROPERTY(bool Center READ Center WRITE setCenter)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE setAutoSize)

public:
    using TTextBoundsEvent = std::function<void(QObject *Sender, QRect &TextBounds)>;
    using TCursorSource = std::function<QPoint()>;

    explicit TBitmapControl(QWidget *parent = nullptr);

    QString Caption() const { return FCaption; }
    void setCaption(const QString &value);
    int CaptionLeft() const { return FCaptionLeft; }
    void setCaptionLeft(int value);
    int CaptionTop() const { return FCaptionTop; }
    void setCaptionTop(int value);
    TButtonState State() const { return FState; }
    bool ShowCaption() const { return FShowCaption; }
    void setShowCaption(bool value);
    bool Hover() const { return FHover; }
    void setHover(bool value) { FHover = value; }

    // The picture control holding the strip, by object name (forms) or directly (code).
    // Attaching does not resize the button. A name is looked up when the strip is first needed
    // (drawing, or ImageControl()), so a form that names its strip never resizes its buttons
    // while it loads: NumImages and AutoSize resize only with a strip already found.
    QString Image() const { return FImage.Name(); }
    void setImage(const QString &name);
    void setImageControl(TImage *image);
    TImage *ImageControl() const { return FImage.Get(); }

    int NumImages() const { return FNumImages; }
    // Values below 1 are ignored. With AutoSize and a strip attached the button takes one frame's size.
    void setNumImages(int value);
    int ImageUp() const { return FImageUp; }
    void setImageUp(int value) { FImageUp = value; }
    int ImageDown() const { return FImageDown; }
    void setImageDown(int value) { FImageDown = value; }
    int ImageActive() const { return FImageActive; }
    void setImageActive(int value) { FImageActive = value; }
    int ImageDisabled() const { return FImageDisabled; }
    void setImageDisabled(int value) { FImageDisabled = value; }
    bool Transparent() const { return FTransparent; }
    void setTransparent(bool value) { FTransparent = value; }
    bool Center() const { return FCenter; }
    void setCenter(bool value) { FCenter = value; }
    bool AutoSize() const { return FAutoSize; }
    void setAutoSize(bool value);

    bool Pressed() const { return FPressed; }
    int LastImage() const { return FLastImage; }
    // The frame the button's state shows now.
    int CurrentFrame() const;
    // Whether the pointer is over the button's rectangle while its window is active.
    bool MouseInControl() const;

    // Raises clicked().
    void DoClick();
    // An accelerator character: clicks an enabled button whose caption marks it; false when not
    // taken, so that others may.
    bool DialogChar(QChar ch);

    void setOnTextBounds(TTextBoundsEvent handler) { FOnTextBounds = std::move(handler); }
    // Where the pointer is, in screen coordinates (the real cursor unless replaced).
    void setCursorSource(TCursorSource source) { FCursorSource = std::move(source); }

signals:
    void mouseEnter();
    void mouseLeave();
    // The caption's rectangle just before it is drawn; handlers may change it.
    void textBounds(QRect &TextBounds);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void DrawButton(QPainter &canvas);
    void DrawCaption(QPainter &canvas);
    void Resize();
    void MouseLeft();
    void HoverTimerTimer();
    void GrabAccelerator();

    int FLastImage = -1;
    int FImageUp = 0;
    int FImageDown = 1;
    int FImageActive = 2;
    int FImageDisabled = 3;
    bool FTransparent = false;
    bool FAutoSize = true;
    bool FCenter = false;
    bool FHover = false;
    bool FPressed = false;
    int FCaptionLeft = -1;
    int FCaptionTop = -1;
    int FNumImages = 2;
    TImageLink FImage{this};
    bool FShowCaption = true;
    TTextBoundsEvent FOnTextBounds;
    TButtonState FState = bsUp;
    QTimer FHoverTimer;
    QString FCaption;
    int FAcceleratorId = 0;
    TCursorSource FCursorSource;
    // The time of the last press on any picture button before this one was shown, if any.
    quint64 FShownByPress = 0;
    bool FShownByAPress = false;
};
