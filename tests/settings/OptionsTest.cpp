// The parents' options dialog: how settings are shown and taken, the dependent controls, and
// opening and closing through ShowOptionsDialog.
#include "settings/TipsViewer.h"
#include "settings/fOptions.h"

#include "settings/SettingsFakes.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

namespace {

class OptionsDialog : public testing::Test {
protected:
    TempRegistry reg; // empty: a first run
    FakeFolders folders;
    FakeKeyCapture keys;
    TCursorTable cursors;
    TTolvyProperties kid{reg.store, keys, cursors};
    TVMProperties vm{reg.store, folders};
    QString tipsFile = reg.dir.filePath(QStringLiteral("chirpelTips.enu"));
    TPropertiesForm form{kid, vm, reg.store};

    void SetUp() override
    {
        TempRegistry::write(tipsFile, "# tips\n* One\nFirst.\n* Two\nSecond.\n* Three\nThird.\n");
    }

    template <class T> T *find(const char *name) const
    {
        T *w = form.findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    // Opens the real dialog through ShowOptionsDialog; `act` runs once it is showing.
    bool open(const std::function<void(TPropertiesForm &)> &act)
    {
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto *dialog = qobject_cast<TPropertiesForm *>(QApplication::activeModalWidget())) {
                poll.stop();
                act(*dialog);
            }
        });
        poll.start();
        return ShowOptionsDialog(nullptr, {&kid, &vm, &reg.store, tipsFile});
    }
};

// Every setting the dialog shows, in one text.
QString snapshot(const TTolvyProperties &k, const TVMProperties &v)
{
    return QStringList{k.KidName, k.GuideName, v.MsgFileName, v.ReciptName, v.ReciptAddr}.join('|') +
           QString::asprintf("|%d %d %d %d %d %d %d %d %d %d %d", k.KidAge, k.IsGirl, k.CustCursor,
                             k.SoundPrompt, v.AutoPlay, v.BeepOnRecord, v.GSM610, v.WebMail, v.SendWait,
                             v.LimitSize, v.MaxTimeSec);
}

} // namespace

TEST_F(OptionsDialog, MaxTimeSecShowsAsAPositionOkStoresThePositionsLengthAndNoLimitDisablesTheBar)
{
    const std::tuple<int, int, int, const char *> cases[] = {
        {60, 0, 60, "Message duration is up to 1 min. Size approx. 95 KB"},
        {120, 1, 120, "Message duration is up to 2 min. Size approx. 190 KB"},
        {300, 2, 300, "Message duration is up to 5 min. Size approx. 475 KB"},
        {90, 1, 120, "Message duration is up to 2 min. Size approx. 190 KB"},
        {0, 1, 120, "Message duration is up to 2 min. Size approx. 190 KB"}};
    for (const auto &[stored, position, taken, info] : cases) {
        TPropertiesForm dialog(kid, vm, reg.store);
        vm.MaxTimeSec = stored;
        dialog.LoadControls();
        EXPECT_EQ(dialog.findChild<QSlider *>("tbMaxTimeSec")->value(), position) << stored;
        EXPECT_EQ(dialog.findChild<QLabel *>("LMsgSizeInfo")->text(), info) << stored;
        dialog.SaveControls();
        EXPECT_EQ(vm.MaxTimeSec, taken) << stored;
    }
    // The info line follows the track bar as it moves; without a limit the bar and its labels are
    // disabled but keep their value.
    const char *limited[] = {"tbMaxTimeSec", "LMsgSizePrompt", "LMsgSizeFast", "LMsgSizeLarge",
                             "LMsgSizeInfo"};
    vm.LimitSize = false;
    vm.MaxTimeSec = 60;
    form.LoadControls();
    find<QSlider>("tbMaxTimeSec")->setValue(1);
    EXPECT_EQ(find<QLabel>("LMsgSizeInfo")->text(), std::get<3>(cases[1]));
    find<QSlider>("tbMaxTimeSec")->setValue(0);
    for (const char *name : limited)
        EXPECT_FALSE(find<QWidget>(name)->isEnabled()) << name;
    form.SaveControls();
    EXPECT_EQ(vm.MaxTimeSec, 60);
    EXPECT_FALSE(vm.LimitSize);
    find<QCheckBox>("cbLimitSize")->click();
    for (const char *name : limited)
        EXPECT_TRUE(find<QWidget>(name)->isEnabled()) << name;
}

TEST_F(OptionsDialog, TheAgeFieldShowsOnlyAGivenAgeAndTakesOnlyWholeNumbers)
{
    // The stored age and the field's text; then what a parent types, what the field keeps, what OK takes.
    const std::tuple<int, const char *, const char *, const char *, int> cases[] = {
        {5, "5", "", "", 0},         {0, "", "-3", "-3", -3}, {-3, "", "seven", "", 0},
        {5, "5", "4 years", "4", 4}, {0, "", "-", "-", 0},    {0, "", "12345678901", "123456789", 123456789}};
    for (const auto &[stored, shown, typed, kept, taken] : cases) {
        TPropertiesForm dialog(kid, vm, reg.store);
        kid.KidAge = stored;
        dialog.LoadControls();
        auto *age = dialog.findChild<QLineEdit *>("edKidAge");
        EXPECT_EQ(age->text(), shown) << stored;
        age->clear();
        QTest::keyClicks(age, QString::fromLatin1(typed));
        EXPECT_EQ(age->text(), kept) << typed;
        dialog.SaveControls();
        EXPECT_EQ(kid.KidAge, taken) << typed;
    }
}

TEST_F(OptionsDialog, CancelEscAndClosingChangeNothingButBringTheLargeCursorBack)
{
    const std::function<void(TPropertiesForm &)> ways[] = {
        [](TPropertiesForm &d) { d.findChild<QPushButton *>("btnCancel")->click(); },
        [](TPropertiesForm &d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](TPropertiesForm &d) { d.close(); }};
    for (const auto &closeBy : ways) {
        kid.CursorActive = false;
        const QString before = snapshot(kid, vm);
        EXPECT_FALSE(open([&](TPropertiesForm &d) {
            d.findChild<QLineEdit *>("edKidName")->setText(QStringLiteral("Ada"));
            d.findChild<QRadioButton *>("RadioButton5")->click();
            d.findChild<QRadioButton *>("rbWebMail")->click();
            EXPECT_EQ(d.findChild<QStackedWidget *>("MailClientBook")->currentIndex(), 1)
                << "web mail's page";
            // The recipient is asked for only when the message goes out at once, in the window colour.
            const QColor window = d.palette().color(QPalette::Base),
                         face = d.palette().color(QPalette::Button);
            for (const bool wait : {false, true})
                for (const char *edit : {"edReciptName", "edReciptAddr"}) {
                    d.findChild<QRadioButton *>(wait ? "rbSendWait" : "RadioButton4")->click();
                    const QWidget *field = d.findChild<QWidget *>(edit);
                    EXPECT_TRUE(field->isEnabled() != wait &&
                                field->palette().color(QPalette::Base) == (wait ? face : window))
                        << edit;
                }
            EXPECT_FALSE(kid.CursorActive); // the large hand is off while the dialog is open
            closeBy(d);
        }));
        EXPECT_EQ(snapshot(kid, vm), before);
        EXPECT_TRUE(kid.CursorActive);
    }
    // Without its tips the dialog does not open, and the large hand stays off.
    const QString before = snapshot(kid, vm);
    tipsFile = reg.dir.filePath(QStringLiteral("none.enu"));
    EXPECT_THROW(open([](TPropertiesForm &) {}), ETipsViewerError);
    EXPECT_FALSE(kid.CursorActive);
    EXPECT_EQ(snapshot(kid, vm), before);
}

TEST_F(OptionsDialog, TheLargeCursorShowsInThePreviewAndIsActiveAfterOkEvenOnAFirstRunAndOkTakesTheMonkey)
{
    ASSERT_FALSE(kid.CursorActive);
    cursors.SetAppCursor(crHandCursor);
    kid.GuideName = QStringLiteral("Owl");
    kid.SoundPrompt = true;
    EXPECT_TRUE(open([](TPropertiesForm &d) {
        EXPECT_FALSE(d.findChild<QWidget *>("cbSoundPrompt")->isEnabled());
        auto *preview = d.findChild<QLabel *>("imgCursor");
        const qint64 hand = preview->pixmap().cacheKey();
        d.findChild<QRadioButton *>("RadioButton5")->click();
        EXPECT_NE(preview->pixmap().cacheKey(), hand);
        EXPECT_FALSE(d.findChild<QComboBox *>("ComboCursorName")->isEnabled());
        d.findChild<QRadioButton *>("rbCustCursor")->click();
        EXPECT_EQ(preview->pixmap().cacheKey(), hand);
        EXPECT_TRUE(d.findChild<QComboBox *>("ComboCursorName")->isEnabled());
        d.findChild<QPushButton *>("btnOk")->click();
    }));
    EXPECT_TRUE(kid.CustCursor && kid.CursorActive && kid.SoundPrompt);
    EXPECT_EQ(kid.GuideName, "Monkey");
    EXPECT_TRUE(open([](TPropertiesForm &d) {
        d.findChild<QRadioButton *>("RadioButton5")->click();
        d.findChild<QPushButton *>("btnOk")->click();
    }));
    EXPECT_TRUE(!kid.CursorActive && cursors.AppCursor() == 0 && !QGuiApplication::overrideCursor())
        << "without the custom cursor each window shows its own";
}
