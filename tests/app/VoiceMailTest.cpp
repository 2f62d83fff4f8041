// The voice-mail window over the simulated wave device: its three modes, the one-second read-out
// with its progress line and length limit, dragging, the Parents' Menu, the shield toggle, and how
// it lays itself out on the screen.
#include "app/Fonts.h"
#include "app/fDesktopBkg.h"
#include "app/fVoiceMail.h"

#include "controls/BitmapControl.h"
#include "platform/audio/SimWaveDevice.h"
#include "platform/mixer/SimMixer.h"
#include "settings/SettingsFakes.h"
#include "settings/TolvyOptions.h"
#include "sound/fRecord.h"
#include "strings/vqMLS.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <vector>

namespace {

void deliver()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

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

TEST(WindowDrag, StaysOnTheScreenWithTheZeroClampFirst)
{
    const QSize outline(614, 379);
    const QSize screen(1024, 768);
    EXPECT_EQ(ClampWindowPosition({500, 100}, outline, screen), QPoint(1024 - 614, 100));
    EXPECT_EQ(ClampWindowPosition({-20, -7}, outline, screen), QPoint(0, 0));
    EXPECT_EQ(ClampWindowPosition({100, 500}, outline, screen), QPoint(100, 768 - 379));
    // An outline wider than the screen ends up left of it: the right-edge clamp comes last.
    EXPECT_EQ(ClampWindowPosition({10, 10}, outline, QSize(600, 400)), QPoint(-14, 10));
}

struct HintCall {
    QPoint point;
    QString text, title;
    bool modal, pictureOnly;
};

class VoiceMailWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitializeStringModules(); }
    static void TearDownTestSuite() { FinalizeStringModules(); }

    void SetUp() override
    {
        InitializeTolvyOptions(reg.store, folders, keys, cursors);
        VMProperties->MsgFileName = reg.dir.filePath("chirpel.wav");
        VMProperties->BeepOnRecord = false;
        VMProperties->Mono = true;
        VMProperties->Bits16 = true;
        VMProperties->Quality = 0;
        VMProperties->AutoPlay = false;
        VMProperties->LimitSize = false;
        previous = SetDefaultRecorderServices({&device, &mixer, [] { return true; }, VMProperties, &system});
        desktop = std::make_unique<TDesktopWindow>(TolvyProperties, &system);
        window = std::make_unique<TVoiceMailForm>(nullptr, &system);
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
        SetDefaultRecorderServices(previous);
        FinalizeTolvyOptions();
    }

    TBitmapControl *button(const char *name) { return window->findChild<TBitmapControl *>(name); }
    void press(const char *name)
    {
        QTest::mouseClick(button(name), Qt::LeftButton);
        deliver();
    }
    // One second: the sound moves on, and the one-second timers that run fire.
    void second()
    {
        device.advance(1000);
        deliver();
        for (QTimer *timer : {window->RecorderFrame()->findChild<QTimer *>("PlayTimer"), window->Timer()})
            if (timer && timer->isActive()) QMetaObject::invokeMethod(timer, "timeout");
        deliver();
    }
    void seconds(int count)
    {
        for (int i = 0; i < count; ++i)
            second();
    }
    void record(int secondsLong)
    {
        press("btnRecord");
        seconds(secondsLong);
    }

    TempRegistry reg;
    FakeFolders folders;
    FakeKeyCapture keys;
    TCursorTable cursors;
    FakeSystemServices system;
    platform::SimWaveDevice device;
    platform::SimMixer mixer;
    TRecorderServices previous;
    std::unique_ptr<TDesktopWindow> desktop;
    std::unique_ptr<TVoiceMailForm> window;
    std::vector<HintCall> hints;
};

TEST_F(VoiceMailWindow, RecordingStartsAfterTheClickIsHandledThenStopPlaysItBackAndReturnsToTheStartPage)
{
    VMProperties->AutoPlay = true;
    QTest::mouseClick(button("btnRecord"), Qt::LeftButton);
    EXPECT_EQ(window->Mode(), TVoiceMailForm::TMode::Idle) << "the action waits for the posted message";
    deliver();
    EXPECT_EQ(window->Mode(), TVoiceMailForm::TMode::Recording);
    EXPECT_EQ(window->PageIndex(), 1);
    EXPECT_EQ(window->StatusText(), "Recording...");
    EXPECT_TRUE(window->Timer()->isActive());
    EXPECT_EQ(window->TimeText(), "0 Sec.");
    seconds(4);
    EXPECT_EQ(window->TimeText(), "4 Sec.");
    press("btnStop");
    EXPECT_TRUE(QFile::exists(VMProperties->MsgFileName));
    EXPECT_EQ(VMProperties->DurationSec, 4);
    EXPECT_EQ(window->Mode(), TVoiceMailForm::TMode::Playing);
    EXPECT_EQ(window->StatusText(), "Playing...");

    second();
    EXPECT_EQ(litCells(window->ProgressText()), 12);
    seconds(2);
    EXPECT_EQ(litCells(window->ProgressText()), 38);
    seconds(2);
    EXPECT_EQ(window->PageIndex(), 0) << "the end of the playback returns to the start page";
    EXPECT_FALSE(window->Timer()->isActive()) << "nothing counts on the hidden page";
}

TEST_F(VoiceMailWindow, WithoutAutoPlayStopReturnsToIdleAndPlayCountsOneCellASecondWhenLengthIsUnknown)
{
    record(2);
    press("btnStop");
    EXPECT_EQ(window->Mode(), TVoiceMailForm::TMode::Idle);
    EXPECT_FALSE(window->Timer()->isActive());
    EXPECT_TRUE(window->RecordMode()) << "kept until the next playback";

    VMProperties->DurationSec = 0;
    press("btnPlay");
    EXPECT_EQ(window->Mode(), TVoiceMailForm::TMode::Playing);
    EXPECT_FALSE(window->RedVisible());
    second();
    EXPECT_EQ(litCells(window->ProgressText()), 1);
    press("btnStop");
    EXPECT_EQ(window->Mode(), TVoiceMailForm::TMode::Idle);
}

TEST_F(VoiceMailWindow, TheLengthLimitFillsTheLineThenStopsThenPlaysThenBeeps)
{
    VMProperties->LimitSize = true;
    VMProperties->MaxTimeSec = 60;
    VMProperties->AutoPlay = true;
    TVoiceMailForm::TMode modeAtBeep = TVoiceMailForm::TMode::Recording;
    system.onBeep = [&] { modeAtBeep = window->Mode(); };

    record(59);
    EXPECT_EQ(window->Mode(), TVoiceMailForm::TMode::Recording);
    EXPECT_TRUE(window->RedVisible());
    EXPECT_EQ(litCells(window->ProgressText()), 49); // 59 * 50 / 60 = 49.17
    EXPECT_TRUE(system.calls.isEmpty());

    second();
    EXPECT_EQ(system.calls, QStringList{"beep"});
    EXPECT_EQ(modeAtBeep, TVoiceMailForm::TMode::Playing) << "the playback starts before the beep";
    EXPECT_EQ(VMProperties->DurationSec, 60);
}

TEST_F(VoiceMailWindow, TheLastTickOfALimitedRecordingDrawsAFullLine)
{
    VMProperties->LimitSize = true;
    VMProperties->MaxTimeSec = 60;
    record(59);
    window->ShowProgress(59);
    QMetaObject::invokeMethod(window->Timer(), "timeout"); // the sixtieth tick
    EXPECT_EQ(window->TimeText(), "60 Sec.");
    EXPECT_EQ(window->ProgressText(), QString(52, '|'));
    EXPECT_EQ(window->Mode(), TVoiceMailForm::TMode::Idle);
    EXPECT_EQ(system.calls, QStringList{"beep"});
}

TEST_F(VoiceMailWindow, WithoutALimitOrWithAZeroOneTheLineEmptiesFromTheFiftyFirstSecondAndRecordingGoesOn)
{
    for (const bool limitSize : {false, true}) {
        SCOPED_TRACE(limitSize ? "a limit of zero seconds" : "no limit");
        VMProperties->LimitSize = limitSize;
        VMProperties->MaxTimeSec = 0;
        record(50);
        EXPECT_EQ(litCells(window->ProgressText()), 50);
        second();
        EXPECT_EQ(window->ProgressText(), "|" + QString(50, '.') + "|");
        EXPECT_EQ(window->Mode(), TVoiceMailForm::TMode::Recording);
        EXPECT_FALSE(window->RedVisible());
        press("btnStop");
    }
    EXPECT_TRUE(system.calls.isEmpty());
}

// The warnings logged while it lives, as "category: message".
struct LogCapture {
    static inline QStringList lines;
    QtMessageHandler previous;
    LogCapture()
    {
        lines.clear();
        previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext &where, const QString &text) {
                lines << QString::fromLatin1(where.category) + ": " + text;
            });
    }
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
    EXPECT_EQ(window->Mode(), TVoiceMailForm::TMode::Recording);
}

TEST_F(VoiceMailWindow, ADoubleClickOnRecordKeepsRecordingAndAnEmptyTakeKeepsThePreviousMessage)
{
    record(2);
    press("btnStop");
    const QByteArray previous = TempRegistry::read(VMProperties->MsgFileName);
    ASSERT_GT(previous.size(), 44);

    const auto mouse = [](TBitmapControl *b, QEvent::Type type, int at) {
        QMouseEvent e(type, QPointF(5, 5), b->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        e.setTimestamp(ulong(QTest::lastMouseTimestamp + at));
        QApplication::sendEvent(b, &e);
    };
    mouse(button("btnRecord"), QEvent::MouseButtonPress, 10);
    mouse(button("btnRecord"), QEvent::MouseButtonRelease, 60);
    deliver();
    mouse(button("btnStop"), QEvent::MouseButtonPress, 160); // the second half of the double-click
    mouse(button("btnStop"), QEvent::MouseButtonRelease, 210);
    deliver();
    QTest::lastMouseTimestamp += 2000;
    EXPECT_EQ(window->Mode(), TVoiceMailForm::TMode::Recording);

    press("btnStop"); // before any sound arrived
    EXPECT_EQ(TempRegistry::read(VMProperties->MsgFileName), previous);
}

TEST_F(VoiceMailWindow, CtrlClickOnTheMenuButtonOpensTheParentsMenuAboveAndLeftOfThePointer)
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

    const QStringList names{"ParentsMenu1", "miSecurityShield", "N1", "miVolumeLevel", "miMicrophoneLevel",
                            "N2",           "miOptions"};
    QStringList actual;
    for (const QAction *action : window->PopupMenu()->actions())
        actual << action->objectName();
    EXPECT_EQ(actual, names);
}

TEST_F(VoiceMailWindow, AnyOtherClickOnTheMenuButtonShowsTheHintAtTheMonkey)
{
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
    EXPECT_EQ(hint.text,
              "Please press and hold the Ctrl key, then click this button to display the Parents' Menu.");
    EXPECT_FALSE(hint.modal);
    EXPECT_FALSE(hint.pictureOnly);
}

TEST_F(VoiceMailWindow, TheShieldToggleShowsAndHidesTheBackdropAndIsRemembered)
{
    EXPECT_FALSE(window->SecurityShieldItem()->isChecked());
    window->SecurityShieldItem()->trigger();
    deliver();
    EXPECT_TRUE(desktop->isVisible());
    EXPECT_TRUE(TolvyProperties->ShowShield);
    EXPECT_EQ(keys.captures, 1) << "the keyboard lock is on while the shield shows";

    window->SecurityShieldItem()->trigger();
    deliver();
    EXPECT_FALSE(desktop->isVisible());
    EXPECT_FALSE(TolvyProperties->ShowShield);
}

TEST_F(VoiceMailWindow, ClosingWithTheShieldShownOnlyHidesTheWindowWithoutItEndsTheProgram)
{
    QSignalSpy ended(desktop.get(), &TDesktopWindow::closed);
    window->SecurityShieldItem()->trigger();
    record(2);
    window->close();
    deliver();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(desktop->isVisible());
    EXPECT_EQ(ended.count(), 0);
    EXPECT_FALSE(window->Timer()->isActive()) << "no limit stop or playback may start while hidden";
    EXPECT_TRUE(QFile::exists(VMProperties->MsgFileName)) << "the recording was stopped and saved";

    window->SecurityShieldItem()->trigger();
    window->show();
    deliver();
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
}

TEST_F(VoiceMailWindow, TheWindowTakesTheBodyOutlineWithItsHole)
{
    const QRegion mask = window->mask();
    EXPECT_EQ(mask.boundingRect().size(), QSize(614, 379));
    EXPECT_FALSE(mask.contains(window->RecorderFrame()->geometry().center())) << "the panel lies outside";
    EXPECT_NE(QRegion(mask.boundingRect()).subtracted(mask), QRegion()) << "corners and a hole are cut away";
}

// The recording page's progress line, drawn in the program's own fonts: 52 cells of 4 pixels from
// (181, 86).
class VoiceMailLayout : public VoiceMailWindow {
protected:
    static constexpr int kLineLeft = 181, kLineTop = 86, kCellWidth = 4, kCells = 52;

    static void SetUpTestSuite()
    {
        VoiceMailWindow::SetUpTestSuite();
        InstallFontSubstitutes();
    }
    void SetUp() override
    {
        VoiceMailWindow::SetUp();
        page = window->findChild<QWidget *>(QStringLiteral("pageRecording"));
        line = window->findChild<QLabel *>(QStringLiteral("LProgress"));
        window->findChild<QStackedWidget *>(QStringLiteral("Book"))->setCurrentWidget(page);
    }

    // The page's columns, left to right, in which the line draws differently with text a than b.
    std::vector<int> ColumnsThatDiffer(const QString &a, const QString &b)
    {
        const QRect band(0, kLineTop, page->width(), line->height());
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
    }

    // Whether the columns are some, and all within the given cell of the line.
    static ::testing::AssertionResult WithinCell(const std::vector<int> &columns, int cell)
    {
        const int left = kLineLeft + cell * kCellWidth;
        if (columns.empty())
            return ::testing::AssertionFailure() << "nothing of cell " << cell << " is drawn";
        if (columns.front() < left || columns.back() >= left + kCellWidth)
            return ::testing::AssertionFailure()
                   << "cell " << cell << " spans columns " << left << " to " << left + kCellWidth - 1
                   << " but is drawn from column " << columns.front() << " to " << columns.back();
        return ::testing::AssertionSuccess();
    }

    QWidget *page = nullptr;
    QLabel *line = nullptr;
};

TEST_F(VoiceMailLayout, TheEndMarksAndEachLitCellAreDrawnInTheirOwnPlaces)
{
    const QString empty = ProgressLine(0);
    QString withoutOpening = empty, withoutClosing = empty;
    withoutOpening[0] = QLatin1Char('.');
    withoutClosing[kCells - 1] = QLatin1Char('.');
    EXPECT_TRUE(WithinCell(ColumnsThatDiffer(empty, withoutOpening), 0));
    EXPECT_TRUE(WithinCell(ColumnsThatDiffer(empty, withoutClosing), kCells - 1));
    for (int lit : {1, 12, 25, 38, 50})
        EXPECT_TRUE(WithinCell(ColumnsThatDiffer(ProgressLine(lit - 1), ProgressLine(lit)), lit))
            << "with " << lit << " cells lit";
}

} // namespace
