// The voice-mail window over the simulated wave device: its three modes, the one-second read-out with its
// progress line and length limit, dragging, the Parents' Menu and the shield toggle.
#include "app/Fonts.h"
#include "app/fDesktopBkg.h"

#include "WindowTestSupport.h"

#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTimer>

#include <vector>

namespace {

using TMode = TVoiceMailForm::TMode;

int litCells(const QString &line)
{
    return line.mid(1, 50).count(QLatin1Char('|'));
}

TEST(ProgressLine, CountsCellsWithHalvesToTheEvenNeighbourAndOneASecondWithoutALimit)
{
    const double fourSeconds = PlaybackScale(4);
    EXPECT_EQ(ProgressCells(1, fourSeconds), 12); // 12.5
    EXPECT_EQ(ProgressCells(3, fourSeconds), 38); // 37.5
    EXPECT_EQ(ProgressCells(4, fourSeconds), 50);
    EXPECT_EQ(ProgressCells(5, fourSeconds), 0); // 62.5 is beyond the line: it shows empty
    EXPECT_EQ(ProgressCells(60, RecordingScale(true, 60)), 50);
    EXPECT_EQ(ProgressCells(50, RecordingScale(false, 60)), 50);
    EXPECT_EQ(ProgressCells(51, RecordingScale(false, 60)), 0);

    EXPECT_EQ(ProgressLine(0), "|" + QString(50, '.') + "|");
    EXPECT_EQ(ProgressLine(50), QString(52, '|'));
    EXPECT_EQ(ProgressLine(3), "||||" + QString(47, '.') + "|");
    // A missing limit or length counts one cell a second.
    EXPECT_EQ(RecordingScale(true, 0), 1.0);
    EXPECT_EQ(RecordingScale(true, -5), 1.0);
    EXPECT_EQ(RecordingScale(false, 120), 1.0);
    EXPECT_EQ(PlaybackScale(0), 1.0);
    EXPECT_EQ(PlaybackScale(-3), 1.0);
    EXPECT_DOUBLE_EQ(RecordingScale(true, 120), 50.0 / 120);
}

struct HintCall {
    QPoint point;
    QString text, title;
    bool modal, pictureOnly;
};

class VoiceMailWindow : public VoiceMailFixture {
protected:
    void SetUp() override
    {
        VoiceMailFixture::SetUp();
        VMProperties->BeepOnRecord = VMProperties->AutoPlay = VMProperties->LimitSize = false;
        VMProperties->Mono = VMProperties->Bits16 = true;
        VMProperties->Quality = 0;
        desktop = std::make_unique<TDesktopWindow>(TolvyProperties, &system);
        window->SetDesktopWindow(desktop.get());
        window->SetShowCallOut(
            [this](QPoint p, const QString &text, const QString &title, bool modal, bool pic) {
                hints.push_back({p, text, title, modal, pic});
            });
        window->show();
        deliver();
    }
    void TearDown() override
    {
        window.reset();
        desktop.reset();
        VoiceMailFixture::TearDown();
    }
    // Seconds: the sound moves on, and the one-second timers that run fire.
    void seconds(int count)
    {
        for (int i = 0; i < count; ++i) {
            device.advance(1000);
            deliver();
            for (QTimer *timer : {window->RecorderFrame()->findChild<QTimer *>("PlayTimer"), window->Timer()})
                if (timer && timer->isActive()) QMetaObject::invokeMethod(timer, "timeout");
            deliver();
        }
    }
    void record(int secondsLong)
    {
        press("btnRecord");
        seconds(secondsLong);
    }

    std::unique_ptr<TDesktopWindow> desktop;
    std::vector<HintCall> hints;
};

TEST_F(VoiceMailWindow, RecordingStartsAfterTheClickIsHandledThenStopPlaysItBackAndReturnsToTheStartPage)
{
    VMProperties->AutoPlay = true;
    QTest::mouseClick(button("btnRecord"), Qt::LeftButton);
    EXPECT_EQ(window->Mode(), TMode::Idle) << "the action waits for the posted message";
    deliver();
    EXPECT_EQ(window->Mode(), TMode::Recording);
    EXPECT_EQ(window->PageIndex(), 1);
    EXPECT_EQ(window->StatusText(), "Recording...");
    EXPECT_EQ(window->TimeText(), "0 Sec.");
    seconds(4);
    EXPECT_EQ(window->TimeText(), "4 Sec.");
    press("btnStop");
    EXPECT_TRUE(QFile::exists(VMProperties->MsgFileName));
    EXPECT_EQ(VMProperties->DurationSec, 4);
    EXPECT_EQ(window->Mode(), TMode::Playing);
    EXPECT_EQ(window->StatusText(), "Playing...");
    seconds(1);
    EXPECT_EQ(litCells(window->ProgressText()), 12);
    seconds(2);
    EXPECT_EQ(litCells(window->ProgressText()), 38);
    seconds(2);
    EXPECT_EQ(window->PageIndex(), 0) << "the end of the playback returns to the start page";
    EXPECT_FALSE(window->Timer()->isActive()) << "nothing counts on the hidden page";
}

// The sixtieth tick of a 60-second limit draws a full line and stops; with AutoPlay the playback starts
// before the beep.
TEST_F(VoiceMailWindow, TheLengthLimitFillsTheLineThenStopsThenPlaysThenBeeps)
{
    VMProperties->LimitSize = true;
    VMProperties->MaxTimeSec = 60;
    record(59);
    EXPECT_EQ(window->Mode(), TMode::Recording);
    EXPECT_TRUE(window->RedVisible());
    EXPECT_EQ(litCells(window->ProgressText()), 49); // 59 * 50 / 60 = 49.17
    EXPECT_TRUE(system.calls.isEmpty());
    window->ShowProgress(59);
    QMetaObject::invokeMethod(window->Timer(), "timeout"); // the sixtieth tick
    EXPECT_EQ(window->TimeText(), "60 Sec.");
    EXPECT_EQ(window->ProgressText(), QString(52, '|'));
    EXPECT_EQ(window->Mode(), TMode::Idle);
    EXPECT_EQ(system.calls, QStringList{"beep"});

    VMProperties->AutoPlay = true;
    TMode modeAtBeep = TMode::Recording;
    system.onBeep = [&] { modeAtBeep = window->Mode(); };
    record(60);
    EXPECT_EQ(system.calls, QStringList({"beep", "beep"}));
    EXPECT_EQ(modeAtBeep, TMode::Playing) << "the playback starts before the beep";
    EXPECT_EQ(VMProperties->DurationSec, 60);
}

TEST_F(VoiceMailWindow, WithoutALimitOrWithAZeroOneTheLineEmptiesFromTheFiftyFirstSecondAndRecordingGoesOn)
{
    for (const bool limitSize : {false, true}) {
        SCOPED_TRACE(limitSize ? "a limit of zero seconds" : "no limit");
        VMProperties->LimitSize = limitSize;
        VMProperties->MaxTimeSec = 0;
        record(50);
        EXPECT_EQ(litCells(window->ProgressText()), 50);
        seconds(1);
        EXPECT_EQ(window->ProgressText(), "|" + QString(50, '.') + "|");
        EXPECT_EQ(window->Mode(), TMode::Recording);
        EXPECT_FALSE(window->RedVisible());
        press("btnStop");
    }
    EXPECT_TRUE(system.calls.isEmpty());
}

// The warnings logged while it lives, as "category: message".
struct LogCapture {
    static inline QStringList lines;
    QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &where, const QString &text) {
            lines << QString::fromLatin1(where.category) + ": " + text;
        });
    LogCapture() { lines.clear(); }
    ~LogCapture() { qInstallMessageHandler(previous); }
};

TEST_F(VoiceMailWindow, WithoutASoundServerAPressReturnsToTheStartPageWithABeepAndTheNextOneWorks)
{
    LogCapture log;
    device.setServerAvailable(false);
    for (const char *name : {"btnRecord", "btnPlay"}) {
        press(name);
        EXPECT_EQ(window->PageIndex(), 0) << name;
        EXPECT_FALSE(window->Timer()->isActive()) << name;
    }
    EXPECT_EQ(system.calls, QStringList({"beep", "beep"}));
    ASSERT_EQ(log.lines.size(), 2) << log.lines.join('\n').toStdString();
    EXPECT_TRUE(log.lines[0].startsWith("chirpel.sound: cannot record")) << log.lines[0].toStdString();
    device.setServerAvailable(true);
    record(1);
    EXPECT_EQ(window->Mode(), TMode::Recording);
}

TEST_F(VoiceMailWindow, ADoubleClickOnRecordKeepsRecordingAndAnEmptyTakeKeepsThePreviousMessage)
{
    record(2);
    press("btnStop");
    const QByteArray previous = TempRegistry::read(VMProperties->MsgFileName);
    ASSERT_GT(previous.size(), 44);
    // Record's press and release, then the double-click's second half on Stop, 100 ms later.
    const std::pair<const char *, QEvent::Type> clicks[] = {{"btnRecord", QEvent::MouseButtonPress},
                                                            {"btnRecord", QEvent::MouseButtonRelease},
                                                            {"btnStop", QEvent::MouseButtonPress},
                                                            {"btnStop", QEvent::MouseButtonRelease}};
    int at = 10;
    for (const auto &[name, type] : clicks) {
        TBitmapControl *b = button(name);
        QMouseEvent e(type, QPointF(5, 5), b->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        e.setTimestamp(ulong(QTest::lastMouseTimestamp + (at += 50)));
        QApplication::sendEvent(b, &e);
        deliver();
    }
    QTest::lastMouseTimestamp += 2000;
    EXPECT_EQ(window->Mode(), TMode::Recording);
    press("btnStop"); // before any sound arrived
    EXPECT_EQ(TempRegistry::read(VMProperties->MsgFileName), previous);
}

TEST_F(VoiceMailWindow, OnlyACtrlClickOnTheMenuButtonOpensTheParentsMenuAnyOtherShowsTheHintAtTheMonkey)
{
    window->move(200, 100);
    deliver();
    const QPoint at(30, 40);
    QTest::mouseClick(button("btnMenu"), Qt::LeftButton, Qt::ControlModifier, at);
    deliver();
    ASSERT_TRUE(window->PopupMenu()->isVisible());
    EXPECT_EQ(window->PopupMenu()->pos(), button("btnMenu")->mapToGlobal(at - QPoint(5, 15)));
    EXPECT_TRUE(hints.empty());
    window->PopupMenu()->hide();

    const Qt::KeyboardModifiers refused[] = {Qt::NoModifier, Qt::ControlModifier | Qt::ShiftModifier,
                                             Qt::AltModifier, Qt::ControlModifier | Qt::AltModifier};
    for (const Qt::KeyboardModifiers keys : refused) {
        QTest::mouseClick(button("btnMenu"), Qt::LeftButton, keys, QPoint(10, 10));
        deliver();
        EXPECT_FALSE(window->PopupMenu()->isVisible()) << int(keys);
    }
    ASSERT_EQ(hints.size(), std::size(refused));
    const HintCall &hint = hints.front();
    EXPECT_EQ(hint.point, window->MonkeySpotPoint());
    EXPECT_EQ(hint.title, "Hint for parents:");
    EXPECT_EQ(hint.text, "Please press and hold the Ctrl key, then click this "
                         "button to display the Parents' Menu.");
    EXPECT_FALSE(hint.modal || hint.pictureOnly);
}

// The shield shows with the keyboard lock and is remembered; closing the window while it shows only hides the
// window, and without it ends the program.
TEST_F(VoiceMailWindow, TheShieldToggleShowsTheBackdropAndClosingTheWindowOverItOnlyHidesTheWindow)
{
    QSignalSpy ended(desktop.get(), &TDesktopWindow::closed);
    EXPECT_FALSE(window->SecurityShieldItem()->isChecked());
    window->SecurityShieldItem()->trigger();
    deliver();
    EXPECT_TRUE(desktop->isVisible());
    EXPECT_TRUE(TolvyProperties->ShowShield);
    EXPECT_EQ(keys.captures, 1);
    record(2);
    window->close();
    deliver();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(desktop->isVisible());
    EXPECT_EQ(ended.count(), 0);
    EXPECT_FALSE(window->Timer()->isActive()) << "no limit stop or playback may start while hidden";
    EXPECT_TRUE(QFile::exists(VMProperties->MsgFileName)) << "the recording was stopped and saved";

    window->SecurityShieldItem()->trigger();
    deliver();
    EXPECT_FALSE(desktop->isVisible());
    EXPECT_FALSE(TolvyProperties->ShowShield);
    window->show();
    press("btnClose");
    deliver();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(ended.count(), 1);
}

TEST_F(VoiceMailWindow, DraggingTheBodyMovesTheWindowAndStopsAtTheScreenEdge)
{
    window->move(100, 100);
    deliver();
    window->BookMouseDown(Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    window->BookMouseMove(Qt::LeftButton, Qt::NoModifier, QPoint(80, 70));
    EXPECT_EQ(window->pos(), QPoint(130, 120));
    window->BookMouseMove(Qt::LeftButton, Qt::NoModifier, QPoint(-5000, -5000));
    EXPECT_EQ(window->pos(), QPoint(0, 0));
    window->BookMouseUp(Qt::LeftButton, Qt::NoModifier, QPoint(0, 0));
    window->BookMouseMove(Qt::NoButton, Qt::NoModifier, QPoint(300, 300));
    EXPECT_EQ(window->pos(), QPoint(0, 0)) << "moves after the release do nothing";

    const QSize outline(614, 379), screen(1024, 768);
    EXPECT_EQ(ClampWindowPosition({500, 100}, outline, screen), QPoint(1024 - 614, 100));
    EXPECT_EQ(ClampWindowPosition({100, 500}, outline, screen), QPoint(100, 768 - 379));
    // An outline wider than the screen ends up left of it: the right-edge clamp comes last.
    EXPECT_EQ(ClampWindowPosition({10, 10}, outline, QSize(600, 400)), QPoint(-14, 10));
}

// The recording page's progress line, drawn in the program's own fonts: each of its 52 cells, 4 pixels wide
// from x 181, changes only its own columns.
TEST_F(VoiceMailWindow, TheEndMarksAndEachLitCellAreDrawnInTheirOwnPlaces)
{
    InstallFontSubstitutes();
    auto *page = window->findChild<QWidget *>(QStringLiteral("pageRecording"));
    auto *line = window->findChild<QLabel *>(QStringLiteral("LProgress"));
    window->findChild<QStackedWidget *>(QStringLiteral("Book"))->setCurrentWidget(page);
    const auto columnsThatDiffer = [&](const QString &a, const QString &b) {
        const QRect band(0, 86, page->width(), line->height());
        line->setText(a);
        const QImage first = page->grab(band).toImage();
        line->setText(b);
        const QImage second = page->grab(band).toImage();
        std::vector<int> columns;
        for (int x = 0; x < first.width(); ++x)
            for (int y = 0; y < first.height(); ++y)
                if (first.pixel(x, y) != second.pixel(x, y)) {
                    columns.push_back(x);
                    break;
                }
        return columns;
    };
    QString withoutOpening = ProgressLine(0), withoutClosing = ProgressLine(0);
    withoutOpening[0] = withoutClosing[51] = QLatin1Char('.');
    const std::pair<int, std::vector<int>> cells[] = {
        {0, columnsThatDiffer(ProgressLine(0), withoutOpening)},
        {51, columnsThatDiffer(ProgressLine(0), withoutClosing)},
        {1, columnsThatDiffer(ProgressLine(0), ProgressLine(1))},
        {12, columnsThatDiffer(ProgressLine(11), ProgressLine(12))},
        {25, columnsThatDiffer(ProgressLine(24), ProgressLine(25))},
        {50, columnsThatDiffer(ProgressLine(49), ProgressLine(50))}};
    for (const auto &[cell, columns] : cells) {
        const int left = 181 + cell * 4;
        ASSERT_FALSE(columns.empty()) << "nothing of cell " << cell << " is drawn";
        EXPECT_TRUE(columns.front() >= left && columns.back() < left + 4)
            << "cell " << cell << " is drawn from column " << columns.front() << " to " << columns.back();
    }
}

} // namespace
