// Delivery of device notifications to their call-back objects on the UI thread, in order.
#include "platform/audio/WaveDeviceNotify.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

namespace platform {

NotifyQueue::NotifyQueue() : FRelay(std::make_unique<QObject>()) {}

NotifyQueue::~NotifyQueue() = default;

void NotifyQueue::post(const QPointer<QObject> &target, std::unique_ptr<QEvent> event)
{
    // Every event goes through the one relay object, so the UI thread's queue keeps them in
    // posting order whichever thread posted them; the weak pointer is only read on the UI thread.
    std::shared_ptr<QEvent> shared(event.release());
    QMetaObject::invokeMethod(
        FRelay.get(),
        [target, shared] {
            if (QObject *receiver = target.data()) QCoreApplication::sendEvent(receiver, shared.get());
        },
        Qt::QueuedConnection);
}

} // namespace platform
