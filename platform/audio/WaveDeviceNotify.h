// Delivery of device notifications to their call-back objects on the UI thread, in order.
#pragma once

#include <QPointer>

#include <memory>

class QEvent;
class QObject;

namespace platform {

// Created on the UI thread. post() may be called from any thread; the event reaches its target
// from the UI thread's event loop, after every event posted before it, and is dropped if the
// target has been destroyed meanwhile (so a closed owner never hears of its device again).
class NotifyQueue {
public:
    NotifyQueue();
    ~NotifyQueue();
    NotifyQueue(const NotifyQueue &) = delete;
    NotifyQueue &operator=(const NotifyQueue &) = delete;

    void post(const QPointer<QObject> &target, std::unique_ptr<QEvent> event);

private:
    std::unique_ptr<QObject> FRelay;
};

} // namespace platform
