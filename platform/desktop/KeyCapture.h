// Capturing the desktop's task-switch keys (Alt+Tab, Alt+Esc) while the security shield shows.
#pragma once

#include <QByteArray>

#include <memory>

namespace platform {

class KeyCapture {
public:
    virtual ~KeyCapture() = default;
    // Takes Alt+Tab and Alt+Esc away from the desktop; false when they could not all be taken
    // (another program holds them). Failing is quiet: nothing is shown or logged.
    virtual bool captureTaskSwitchKeys() = 0;
    // Gives back whatever was taken; nothing happens when nothing was.
    virtual void releaseTaskSwitchKeys() = 0;
    // Makes ready what the first capture needs, so that it is quick; callable on any thread, once
    // the application object exists, while the program goes on. Nothing to do by default.
    virtual void prepare() {}
};

// For displays without a system-wide grab (offscreen, Wayland): captures nothing.
class NoKeyCapture final : public KeyCapture {
public:
    bool captureTaskSwitchKeys() override { return false; }
    void releaseTaskSwitchKeys() override {}
};

// Passive key grabs on the X11 root window, through a connection of its own to the display
// (displayName empty: $DISPLAY), opened by prepare or on the first capture.
class X11KeyCapture final : public KeyCapture {
public:
    explicit X11KeyCapture(const QByteArray &displayName = QByteArray());
    ~X11KeyCapture() override;
    bool captureTaskSwitchKeys() override;
    void releaseTaskSwitchKeys() override;
    // Opens the connection and reads the keyboard's map: the round trips of a first capture.
    void prepare() override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The X11 capture when the program runs on an X11 display, else the one that captures nothing;
// which one is settled at the first capture, release or preparation.
KeyCapture &defaultKeyCapture();

} // namespace platform
