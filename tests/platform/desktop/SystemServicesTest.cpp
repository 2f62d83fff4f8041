// The error box the program shows, and the display platform asked for at start-up.
#include "platform/desktop/SystemServices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QProcessEnvironment>
#include <QTimer>

#include <gtest/gtest.h>

using namespace platform;

TEST(ErrorBox, HasTheStopIconTheCaptionErrorAndOnlyOk)
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool modal = false;
    bool onTop = false;
    QTimer::singleShot(50, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_TRUE(box);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->standardButtons();
        modal = box->windowModality() == Qt::ApplicationModal;
        onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        box->button(QMessageBox::Ok)->click();
    });
    HostSystemServices().errorBox(nullptr, QStringLiteral("first\r\nsecond"));
    EXPECT_EQ(title, QStringLiteral("Error"));
    EXPECT_EQ(text, QStringLiteral("first\nsecond"));
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_TRUE(modal);
    EXPECT_TRUE(onTop);
}

TEST(ErrorBox, TheProgramWideServicesCanBeReplacedAndRestored)
{
    SystemServices &real = defaultSystemServices();
    HostSystemServices other;
    SystemServices *previous = setDefaultSystemServices(&other);
    EXPECT_EQ(previous, &real);
    EXPECT_EQ(&defaultSystemServices(), &other);
    setDefaultSystemServices(nullptr);
    EXPECT_EQ(&defaultSystemServices(), &real);
}

struct SessionCase {
    const char *what;
    QStringList environment;
    QByteArray expected;
};

class DisplayPlatform : public testing::TestWithParam<SessionCase> {};

TEST_P(DisplayPlatform, IsX11ThroughXWaylandOnlyWhenNothingWasChosen)
{
    QProcessEnvironment env;
    for (const QString &pair : GetParam().environment)
        env.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    EXPECT_EQ(preferredQpaPlatform(env), GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, DisplayPlatform,
    testing::Values(
        SessionCase{"x11 session", {"DISPLAY=:0", "XDG_SESSION_TYPE=x11"}, ""},
        SessionCase{"wayland display", {"DISPLAY=:0", "WAYLAND_DISPLAY=wayland-0"}, "xcb"},
        SessionCase{"wayland session", {"DISPLAY=:1", "XDG_SESSION_TYPE=wayland"}, "xcb"},
        SessionCase{"wayland without XWayland", {"WAYLAND_DISPLAY=wayland-0"}, ""},
        SessionCase{"platform chosen", {"DISPLAY=:0", "WAYLAND_DISPLAY=w", "QT_QPA_PLATFORM=wayland"}, ""},
        SessionCase{"nothing", {}, ""}),
    [](const testing::TestParamInfo<SessionCase> &info) {
        std::string name = info.param.what;
        for (char &c : name)
            c = isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });
