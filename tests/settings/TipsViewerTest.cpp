// The tips panel: the tips file's format, the seven set-up steps and their order, stepping
// through the tips, and the next opening's tip.
#include "settings/TipsViewer.h"
#include "platform/files/SafeRead.h"
#include "settings/TolvyOptions.h"
#include "settings/fOptions.h"

#include "fakes/TestPaths.h"
#include "settings/SettingsFakes.h"

#include <QFile>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>

namespace {

class TipsPanel : public testing::Test {
protected:
    TempRegistry reg;
    QString tipsFile = reg.dir.filePath(QStringLiteral("chirpelTips.enu"));
    QWidget host;
    TLorvaneV2AX *tips = new TLorvaneV2AX(&host, reg.store);

    void SetUp() override
    {
        TempRegistry::write(tipsFile, "* One\nFirst.\n* Two\nSecond.\n* Three\nThird.\n");
    }

    // The seven steps as the options dialog takes them, each one replaceable.
    std::vector<std::function<void()>> steps()
    {
        return {[this] { tips->SetProperty(TLorvaneV2AX::diTipsFileInDefaultLang, tipsFile); },
                [this] { tips->SetProperty(TLorvaneV2AX::diClientID, 1039); },
                [this] { tips->SetProperty(TLorvaneV2AX::diTipsInfoRegKey, kChirpelKey); },
                [this] { tips->SetProperty(TLorvaneV2AX::diHostWindow, quint64(host.winId())); },
                [this] { tips->SetProperty(TLorvaneV2AX::diLanguage, QStringLiteral("enu")); },
                [this] { tips->Start(); },
                [this] { tips->ShowTip(0); }};
    }
    void setUp()
    {
        for (const auto &step : steps())
            step();
    }
};

} // namespace

TEST(TipsFile, TitlesStartTipsTheirLinesJoinAndTheShippedTipsFitThePanel)
{
    const std::vector<TTip> tips =
        ParseTips(QStringLiteral("# comment\nstray text\n*  First \nline one\r\n"
                                 "line two\n\n  new line\n*Empty\n# c\n* Last\nend"));
    EXPECT_EQ(tips, (std::vector<TTip>{{"First", "line one line two\nnew line"}, {"Last", "end"}}));
    EXPECT_TRUE(ParseTips(QStringLiteral("# only comments\n\n")).empty());

    std::string data;
    const QString shipped = testpaths::sourceDir() + QStringLiteral("/resources/chirpelTips.enu");
    ASSERT_TRUE(platform::ReadRegularFile(shipped.toStdString(), kMaxTipsFileBytes, data));
    const std::vector<TTip> shippedTips = ParseTips(QString::fromUtf8(data.c_str()));
    EXPECT_GE(shippedTips.size(), 20u);
    for (const TTip &tip : shippedTips)
        EXPECT_TRUE(tip.Title.size() <= 40 && tip.Text.size() <= 150) << tip.Title.toStdString();
}

TEST_F(TipsPanel, AStepOutOfOrderOrOneThatCannotBeDoneRaises)
{
    const size_t count = steps().size();
    // Each step left out: the step after it fails.
    for (size_t skipped = 0; skipped + 1 < count; ++skipped) {
        tips = new TLorvaneV2AX(&host, reg.store);
        const auto all = steps();
        for (size_t i = 0; i < skipped; ++i)
            all[i]();
        EXPECT_THROW(all[skipped + 1](), ETipsViewerError) << skipped;
        delete tips;
    }
    // Steps that cannot be done.
    const std::pair<size_t, std::function<void()>> bad[] = {
        {0, [this] { tips->SetProperty(TLorvaneV2AX::diTipsFileInDefaultLang, QString()); }},
        {2, [this] { tips->SetProperty(TLorvaneV2AX::diTipsInfoRegKey, QString()); }},
        {3, [this] { tips->SetProperty(TLorvaneV2AX::diHostWindow, quint64(host.winId()) + 1); }},
        {4, [this] { tips->SetProperty(TLorvaneV2AX::diLanguage, QStringLiteral("english")); }},
        {5, [this] { QFile::remove(tipsFile), tips->Start(); }},
        {5, [this] { TempRegistry::write(tipsFile, "# nothing\n"), tips->Start(); }},
        {6, [this] { tips->ShowTip(4); }},
        {0, [this] { tips->SetProperty(99, 0); }}};
    for (const auto &[at, step] : bad) {
        SetUp();
        tips = new TLorvaneV2AX(&host, reg.store);
        const auto all = steps();
        for (size_t i = 0; i < at; ++i)
            all[i]();
        EXPECT_THROW(step(), ETipsViewerError) << at;
    }
}

TEST_F(TipsPanel, TheSevenStepsShowATipNextAndPreviousWrapAndEachOpeningShowsTheFollowingTip)
{
    setUp();
    EXPECT_EQ(tips->TipCount(), 3);
    EXPECT_EQ(tips->ShownTitle(), "One");
    auto *next = tips->findChild<QToolButton *>("btnNextTip");
    auto *previous = tips->findChild<QToolButton *>("btnPreviousTip");
    QStringList seen;
    for (QToolButton *button : {previous, previous, next, next, next}) {
        button->click();
        seen << tips->ShownTitle();
    }
    EXPECT_EQ(seen, (QStringList{"Three", "Two", "Three", "One", "Two"}));

    // The next openings go on from "Two" and wrap; a profile written at the end keeps the value.
    QStringList firsts;
    for (int opening = 0; opening < 3; ++opening) {
        tips = new TLorvaneV2AX(&host, reg.store);
        setUp();
        firsts << tips->ShownTitle();
    }
    EXPECT_EQ(firsts, (QStringList{"Two", "Three", "One"}));
    FakeKeyCapture keys;
    TCursorTable cursors;
    {
        TTolvyProperties kid(reg.store, keys, cursors);
    }
    EXPECT_TRUE(reg.readUser().contains("\"LorvaneNextTip\"=dword:00000001"));
}

TEST_F(TipsPanel, WithoutItsTipsTheOptionsDialogDoesNotOpenAndNothingChanges)
{
    FakeFolders folders;
    FakeKeyCapture keys;
    TCursorTable cursors;
    TTolvyProperties kid(reg.store, keys, cursors);
    TVMProperties vm(reg.store, folders);
    kid.CursorActive = true;
    const QString missing = reg.dir.filePath(QStringLiteral("none.enu"));
    EXPECT_THROW(ShowOptionsDialog(nullptr, {&kid, &vm, &reg.store, missing}), ETipsViewerError);
    EXPECT_EQ(kid.GuideName, "Monkey");
    EXPECT_TRUE(kid.CustCursor);
    // The large hand stays off until the dialog opens and closes normally.
    EXPECT_FALSE(kid.CursorActive);
    EXPECT_FALSE(QFile::exists(reg.userFile));
}
