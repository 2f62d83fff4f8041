// The error box the program shows, and the display platform asked for at start-up.
#include "platform/desktop/SystemServices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QProcessEnvironment>
#include <QTimer>

#include <gtest/gtest.h>

using namespace platform;

TEST(ErrorBox, IsAnApplicationModalBoxOnTopWithLfLineBreaksAndTheProgramWideServicesCanBeReplaced)
{
    QStringList seen;
    QTimer::singleShot(50, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_TRUE(box);
        seen << box->text() << QString::number(box->windowModality())
             << QString::number(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        box->button(QMessageBox::Ok)->click();
    });
    SystemServices &real = defaultSystemServices();
    HostSystemServices other;
    EXPECT_EQ(setDefaultSystemServices(&other), &real);
    defaultSystemServices().errorBox(nullptr, QStringLiteral("first\r\nsecond"));
    EXPECT_EQ(seen, (QStringList{"first\nsecond", QString::number(Qt::ApplicationModal), "1"}));
    setDefaultSystemServices(nullptr);
    EXPECT_EQ(&defaultSystemServices(), &real);
}

TEST(DisplayPlatform, IsX11ThroughXWaylandOnlyWhenNothingWasChosen)
{
    const std::pair<QStringList, QByteArray> cases[] = {
        {{"DISPLAY=:0", "XDG_SESSION_TYPE=x11"}, ""},
        {{"DISPLAY=:0", "WAYLAND_DISPLAY=wayland-0"}, "xcb"},
        {{"DISPLAY=:1", "XDG_SESSION_TYPE=wayland"}, "xcb"},
        {{"WAYLAND_DISPLAY=wayland-0"}, ""}, // no XWayland
        {{"DISPLAY=:0", "WAYLAND_DISPLAY=w", "QT_QPA_PLATFORM=wayland"}, ""},
    };
    for (const auto &[environment, expected] : cases) {
        QProcessEnvironment env;
        for (const QString &pair : environment)
            env.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
        EXPECT_EQ(preferredQpaPlatform(env), expected) << environment.join(' ').toStdString();
    }
}
