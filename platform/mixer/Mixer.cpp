// The audio mixer: the change event and the program's mixer.
#include "platform/mixer/Mixer.h"

#include "platform/mixer/PulseMixer.h"

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
