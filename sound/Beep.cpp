// The program's own sounds, played synchronously from its resources.
#include "sound/Beep.h"

#include <QFile>

bool PlayResourceSync(const QString &Name, platform::WaveDevice &Device)
{
    QFile Resource(QStringLiteral(":/chirpel/") + Name);
    if (!Resource.open(QIODevice::ReadOnly)) return false;
    return Device.playSound(Resource.readAll()) == platform::WaveNoError;
}
