// How the voice-mail window lays itself out on the screen: the visible outline in the middle of
// the desktop, and the progress line drawn cell by cell inside the place laid out for it.
#include "app/Fonts.h"
#include "app/fDesktopBkg.h"
#include "app/fVoiceMail.h"

#include "platform/SimMixer.h"
#include "platform/SimWaveDevice.h"
#include "settings/SettingsFakes.h"
#include "settings/TolvyOptions.h"
#include "sound/fRecord.h"
#include "strings/vqMLS.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QStackedWidget>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// The recording page's progress line as laid out: 52 cells of 4 pixels from (181, 86).
constexpr int kLineLeft = 181;
constexpr int kLineTop = 86;
constexpr int kCellWidth = 4;
constexpr int kCells = 52;

// Refused actions neither beep nor show a box here.
class QuietSystem final : public platform::SystemServices {
public:
    void beep() override {}
    void errorBox(QWidget *, const QString &) override {}
};

class VoiceMailLayout : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        InitializeStringModules();
        // The program's own font mapping, so the line is drawn in the face it is drawn in there.
        InstallFontSubstitutes();
    }
    static void TearDownTestSuite() { FinalizeStringModules(); }

    void SetUp() override
    {
        InitializeTolvyOptions(reg.store, folders, keys, cursors);
        previous = SetDefaultRecorderServices({&device, &mixer, [] { return true; }, VMProperties, &system});
        window = std::make_unique<TVoiceMailForm>(nullptr, &system);
        window->show();
        QCoreApplication::processEvents();
        page = window->findChild<QWidget *>(QStringLiteral("pageRecording"));
        line = window->findChild<QLabel *>(QStringLiteral("LProgress"));
        window->findChild<QStackedWidget *>(QStringLiteral("Book"))->setCurrentWidget(page);
    }

    void TearDown() override
    {
        window.reset();
        SetDefaultRecorderServices(previous);
        FinalizeTolvyOptions();
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

    TempRegistry reg;
    FakeFolders folders;
    FakeKeyCapture keys;
    TCursorTable cursors;
    platform::SimWaveDevice device;
    platform::SimMixer mixer;
    QuietSystem system;
    TRecorderServices previous;
    std::unique_ptr<TVoiceMailForm> window;
    QWidget *page = nullptr;
    QLabel *line = nullptr;
};

TEST_F(VoiceMailLayout, TheVisibleOutlineStandsInTheMiddleOfTheDesktop)
{
    const QSize desktop = QGuiApplication::primaryScreen()->availableGeometry().size();
    // The body's outline is 614 x 379, its top-left corner at the window's position.
    EXPECT_EQ(window->pos(), QPoint((desktop.width() - 614) / 2, (desktop.height() - 379) / 2));
}

TEST_F(VoiceMailLayout, TheEndMarksAreDrawnInTheFirstAndLastCells)
{
    const QString empty = ProgressLine(0);
    QString withoutOpening = empty, withoutClosing = empty;
    withoutOpening[0] = QLatin1Char('.');
    withoutClosing[kCells - 1] = QLatin1Char('.');
    EXPECT_TRUE(WithinCell(ColumnsThatDiffer(empty, withoutOpening), 0));
    EXPECT_TRUE(WithinCell(ColumnsThatDiffer(empty, withoutClosing), kCells - 1));
}

TEST_F(VoiceMailLayout, EachLitCellIsDrawnInItsOwnPlace)
{
    for (int lit : {1, 12, 25, 38, 50})
        EXPECT_TRUE(WithinCell(ColumnsThatDiffer(ProgressLine(lit - 1), ProgressLine(lit)), lit))
            << "with " << lit << " cells lit";
}

} // namespace
