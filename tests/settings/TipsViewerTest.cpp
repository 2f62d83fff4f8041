// The tips panel: the tips file's format, the seven set-up steps, stepping, the next opening's tip.
#include "settings/TipsViewer.h"
#include "platform/files/SafeRead.h"
#include "settings/TolvyOptions.h"

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
    // Steps that cannot be done, and each step left out: the step after it fails.
    std::vector<std::pair<size_t, std::function<void()>>> bad = {
        {0, [this] { tips->SetProperty(TLorvaneV2AX::diTipsFileInDefaultLang, QString()); }},
        {2, [this] { tips->SetProperty(TLorvaneV2AX::diTipsInfoRegKey, QString()); }},
        {3, [this] { tips->SetProperty(TLorvaneV2AX::diHostWindow, quint64(host.winId()) + 1); }},
        {4, [this] { tips->SetProperty(TLorvaneV2AX::diLanguage, QStringLiteral("english")); }},
        {5, [this] { QFile::remove(tipsFile), tips->Start(); }},
        {5, [this] { TempRegistry::write(tipsFile, "# nothing\n"), tips->Start(); }},
        {6, [this] { tips->ShowTip(4); }},
        {0, [this] { tips->SetProperty(99, 0); }}};
    for (size_t skipped = 0; skipped + 1 < steps().size(); ++skipped)
        bad.emplace_back(skipped, [this, skipped] { steps()[skipped + 1](); });
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
    // The next openings go on from "Two" and wrap.
    QStringList firsts;
    for (int opening = 0; opening < 3; ++opening) {
        tips = new TLorvaneV2AX(&host, reg.store);
        setUp();
        firsts << tips->ShownTitle();
    }
    EXPECT_EQ(firsts, (QStringList{"Two", "Three", "One"}));
}
