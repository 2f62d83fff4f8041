// Helpers the window tests share, and the voice-mail window over the simulated wave device.
#pragma once

#include "app/fVoiceMail.h"
#include "controls/BitmapControl.h"
#include "platform/audio/SimWaveDevice.h"
#include "platform/mixer/SimMixer.h"
#include "settings/SettingsFakes.h"
#include "settings/TolvyOptions.h"
#include "sound/fRecord.h"
#include "strings/vqMLS.h"

#include <QApplication>
#include <QCloseEvent>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>
#include <gtest/gtest.h>

#include <memory>

// A mouse press as a case of a table.
struct Press {
    const char *name;
    Qt::MouseButton button;
    Qt::KeyboardModifiers keys;
};

// Every press but a parent's Ctrl+left.
inline const Press kChildPresses[] = {
    {"plain left", Qt::LeftButton, Qt::NoModifier},
    {"plain right", Qt::RightButton, Qt::NoModifier},
    {"Ctrl+right", Qt::RightButton, Qt::ControlModifier},
    {"Ctrl+Shift+left", Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier},
    {"Ctrl+Alt+left", Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier},
    {"Ctrl+middle", Qt::MiddleButton, Qt::ControlModifier},
};

// The child of `form` with the given object name, or null.
template <typename T = QWidget> T *named(const QObject *form, const char *name)
{
    return form->findChild<T *>(QString::fromLatin1(name));
}

// Alt+F4: the window manager asks the window to close. True when the window agreed.
inline bool windowManagerClose(QWidget *window)
{
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    qApp->notify(window, &close); // not sendEvent: that would make the event a program's own
    return close.isAccepted();
}

// Waits up to a second for a condition made true by the event loop.
template <typename Condition> bool eventually(Condition condition)
{
    for (int i = 0; i < 100 && !condition(); ++i)
        QTest::qWait(10);
    return condition();
}

inline void deliver()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// The voice-mail window with the program-wide settings and its message chirpel.wav in a temporary registry.
class VoiceMailFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitializeStringModules(); }
    static void TearDownTestSuite() { FinalizeStringModules(); }
    void SetUp() override
    {
        InitializeTolvyOptions(reg.store, folders, keys, cursors);
        VMProperties->MsgFileName = reg.dir.filePath("chirpel.wav");
        previous = SetDefaultRecorderServices({&device, &mixer, [] { return true; }, VMProperties, &system});
        window = std::make_unique<TVoiceMailForm>(nullptr, &system);
    }
    void TearDown() override
    {
        window.reset();
        SetDefaultRecorderServices(previous);
        FinalizeTolvyOptions();
    }
    TBitmapControl *button(const char *name) { return named<TBitmapControl>(window.get(), name); }
    void press(const char *name)
    {
        QTest::mouseClick(button(name), Qt::LeftButton);
        deliver();
    }

    TempRegistry reg;
    FakeFolders folders;
    FakeKeyCapture keys;
    TCursorTable cursors;
    FakeSystemServices system;
    platform::SimWaveDevice device;
    platform::SimMixer mixer;
    TRecorderServices previous;
    std::unique_ptr<TVoiceMailForm> window;
};
