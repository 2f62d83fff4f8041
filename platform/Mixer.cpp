// The audio mixer: the change event and the program's mixer.
#include "platform/Mixer.h"

#include "platform/PulseMixer.h"

namespace platform {

MixerChangeEvent::MixerChangeEvent(quint32 controlId) : QEvent(eventType()), FControlId(controlId) {}

QEvent::Type MixerChangeEvent::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

Mixer::~Mixer() = default;

Mixer &defaultMixer()
{
    static PulseMixer mixer;
    return mixer;
}

} // namespace platform
