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

class VoiceMailWindow : public VoiceMailFixture {
protected:
    void SetUp() override
    {
        VoiceMailFixture::SetUp();
        VMProperties->BeepOnRecord = VMProperties->AutoPlay = VMProperties->LimitSize = false;
        desktop = std::make_unique<TDesktopWindow>(TolvyProperties, &system);
        window->SetDesktopWindow(desktop.get());
        window->SetShowCallOut([this](QPoint p, const QString &, const QString &, bool modal, bool pic) {
            if (!modal && !pic) hints.push_back(p); // only ordinary bubbles count
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
    std::vector<QPoint> hints;
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

// The 60th tick of a 60-second limit fills the line and stops; AutoPlay's playback starts before the beep.
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

TEST_F(VoiceMailWindow, WithoutALimitOrWithAZeroOrNegativeOneTheLineEmptiesFromTheFiftyFirstSecondAndGoesOn)
{
    for (const auto &[limitSize, maxTimeSec] : {std::pair{false, 0}, {true, 0}, {true, -5}}) {
        SCOPED_TRACE(testing::Message() << limitSize << " " << maxTimeSec);
        VMProperties->LimitSize = limitSize;
        VMProperties->MaxTimeSec = maxTimeSec;
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

TEST_F(VoiceMailWindow, WithoutASoundServerAPressReturnsToTheStartPageWithABeepAndTheNextOneWorks)
{
    device.setServerAvailable(false);
    for (const char *name : {"btnRecord", "btnPlay"}) {
        press(name);
        EXPECT_EQ(window->PageIndex(), 0) << name;
        EXPECT_FALSE(window->Timer()->isActive()) << name;
    }
    EXPECT_EQ(system.calls, QStringList({"beep", "beep"})); // the log line is seen by e2e/nosound_test.sh
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
    EXPECT_EQ(hints.front(), window->MonkeySpotPoint());
}

// The shield shows with the keyboard lock and is remembered; closing the window while it shows only hides the
// window, and the close button without it ends the program.
TEST_F(VoiceMailWindow, TheShieldToggleShowsTheBackdropAndClosingTheWindowOverItOnlyHidesTheWindow)
{
    QSignalSpy ended(desktop.get(), &TDesktopWindow::closed);
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
    const QSize outline(614, 379);
    EXPECT_EQ(ClampWindowPosition({500, 500}, outline, QSize(1024, 768)), QPoint(1024 - 614, 768 - 379));
}

// The recording page's progress line, drawn in the program's own fonts: each of its 52 cells, 4 pixels wide
// from x 181, changes only its own columns.
TEST_F(VoiceMailWindow, TheEndMarksAndEachLitCellAreDrawnInTheirOwnPlaces)
{
    InstallFontSubstitutes();
    auto *page = window->findChild<QWidget *>(QStringLiteral("pageRecording"));
    auto *line = window->findChild<QLabel *>(QStringLiteral("LProgress"));
    window->findChild<QStackedWidget *>(QStringLiteral("Book"))->setCurrentWidget(page);
    const auto drawn = [&](const QString &text) {
        line->setText(text);
        return page->grab(QRect(0, 86, page->width(), line->height())).toImage();
    };
    // Cell 0 and 51 are the end marks; ProgressLine(c - 1) is ProgressLine(c) with cell c unlit.
    for (const int cell : {0, 1, 12, 25, 50, 51}) {
        QString text = ProgressLine(cell == 51 ? 0 : cell);
        const QImage lit = drawn(text);
        text[cell] = QLatin1Char('.');
        const QImage unlit = drawn(text);
        std::vector<int> columns;
        for (int x = 0; x < lit.width(); ++x)
            for (int y = 0; y < lit.height(); ++y)
                if (lit.pixel(x, y) != unlit.pixel(x, y)) {
                    columns.push_back(x);
                    break;
                }
        const int left = 181 + cell * 4;
        ASSERT_FALSE(columns.empty()) << "nothing of cell " << cell << " is drawn";
        EXPECT_TRUE(columns.front() >= left && columns.back() < left + 4)
            << "cell " << cell << " is drawn from column " << columns.front() << " to " << columns.back();
    }
}

} // namespace
