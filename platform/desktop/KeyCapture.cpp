// Capturing the task-switch keys with passive grabs on the X11 root window.
#include "platform/desktop/KeyCapture.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <mutex>
#include <tuple>
#include <utility>
#include <vector>

namespace platform {

namespace {

// The requests the server refused while grabs were asked for, by their serial numbers.
std::vector<unsigned long> gRefused;

int noteRefusal(Display *, XErrorEvent *error)
{
    gRefused.push_back(error->serial);
    return 0;
}

// Lock keys are modifiers to X11: grab every combination of Caps Lock and Num Lock with Alt,
// so that the capture holds whatever their state.
constexpr unsigned kLockCombinations[] = {0, LockMask, Mod2Mask, LockMask | Mod2Mask};
constexpr KeySym kTaskSwitchKeys[] = {XK_Tab, XK_Escape};

} // namespace

struct X11KeyCapture::Impl {
    QByteArray displayName;
    std::mutex opening; // a preparation on another thread against the first capture
    Display *display = nullptr;
    std::unique_ptr<QSocketNotifier> notifier;
    std::vector<std::pair<KeyCode, unsigned>> held; // key and modifiers of each grab we hold

    // Thread-safe; a connection that could not be opened is tried again the next time.
    bool open()
    {
        std::lock_guard guard(opening);
        if (display) return true;
        display = XOpenDisplay(displayName.isEmpty() ? nullptr : displayName.constData());
        if (!display) return false;
        // The first look-up reads the keyboard's map from the server; later ones read Xlib's copy.
        XKeysymToKeycode(display, kTaskSwitchKeys[0]);
        return true;
    }

    // On the thread of the captures, which reads the connection's events.
    bool connect()
    {
        if (!open()) return false;
        if (notifier) return true;
        // The grabbed keys arrive on this connection; read them away so they do not pile up.
        notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(display), QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] { drain(); });
        return true;
    }

    void drain()
    {
        while (display && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
        }
    }
};

X11KeyCapture::X11KeyCapture(const QByteArray &displayName) : d(new Impl)
{
    d->displayName = displayName;
}

X11KeyCapture::~X11KeyCapture()
{
    releaseTaskSwitchKeys();
    d->notifier.reset();
    if (d->display) XCloseDisplay(d->display);
}

void X11KeyCapture::prepare()
{
    d->open();
}

bool X11KeyCapture::captureTaskSwitchKeys()
{
    if (!d->connect()) return false;
    bool all = true;
    // The grabs go out together under an error handler of our own, so that a refused one
    // (BadAccess where the window manager holds the keys) is noted instead of ending the program;
    // one round trip at the end tells them apart by their serial numbers (every other request
    // on this connection has had its answer).
    gRefused.clear();
    const XErrorHandler previous = XSetErrorHandler(noteRefusal);
    std::vector<std::tuple<unsigned long, KeyCode, unsigned>> asked;
    for (KeySym sym : kTaskSwitchKeys) {
        const KeyCode code = XKeysymToKeycode(d->display, sym);
        if (code == 0) {
            all = false;
            continue;
        }
        for (unsigned locks : kLockCombinations) {
            const unsigned modifiers = Mod1Mask | locks;
            const bool alreadyHeld =
                std::find(d->held.begin(), d->held.end(), std::make_pair(code, modifiers)) != d->held.end();
            if (alreadyHeld) continue;
            asked.emplace_back(NextRequest(d->display), code, modifiers);
            XGrabKey(d->display, code, modifiers, DefaultRootWindow(d->display), True, GrabModeAsync,
                     GrabModeAsync);
        }
    }
    XSync(d->display, False);
    XSetErrorHandler(previous);
    // What could be taken stays taken even when another combination is refused.
    for (const auto &[serial, code, modifiers] : asked) {
        if (std::find(gRefused.begin(), gRefused.end(), serial) != gRefused.end())
            all = false;
        else
            d->held.emplace_back(code, modifiers);
    }
    return all;
}

void X11KeyCapture::releaseTaskSwitchKeys()
{
    if (!d->display || d->held.empty()) return;
    for (const auto &[code, modifiers] : d->held)
        XUngrabKey(d->display, code, modifiers, DefaultRootWindow(d->display));
    XSync(d->display, False);
    d->held.clear();
}

namespace {

// Chooses the back end when first used rather than when asked for, so that the settings that
// drive it can be made before the window system is connected.
class SessionKeyCapture final : public KeyCapture {
public:
    bool captureTaskSwitchKeys() override { return backEnd().captureTaskSwitchKeys(); }
    void releaseTaskSwitchKeys() override { backEnd().releaseTaskSwitchKeys(); }
    void prepare() override { backEnd().prepare(); }

private:
    static KeyCapture &backEnd()
    {
        if (QGuiApplication::platformName() == QLatin1String("xcb")) {
            static X11KeyCapture x11;
            return x11;
        }
        static NoKeyCapture none;
        return none;
    }
};

} // namespace

KeyCapture &defaultKeyCapture()
{
    static SessionKeyCapture session;
    return session;
}

} // namespace platform
