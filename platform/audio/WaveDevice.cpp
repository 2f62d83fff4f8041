// The waveform-audio device: result texts, the notification event and the program's device.
#include "platform/audio/WaveDevice.h"

#include "platform/audio/PulseWaveDevice.h"

namespace platform {

QString waveErrorText(quint32 code)
{
    switch (code) {
    case WaveNoError:
        return QStringLiteral("The specified command was carried out.");
    case WaveInvalidDeviceId:
        return QStringLiteral("Invalid device ID. Use the ID returned when the device was opened.");
    case WaveHardware:
        return QStringLiteral("There is a problem with the sound device. Make sure it is working correctly.");
    case WaveOutOfMemory:
        return QStringLiteral("There is not enough memory available for this task.");
    case WaveUnsupportedFunction:
        return QStringLiteral("The sound device does not support this command.");
    case WaveFileNotFound:
        return QStringLiteral("Cannot find the specified file. Make sure the path and filename are correct.");
    case WaveDeviceNotReady:
        return QStringLiteral("The sound device is not ready. Make sure the sound server is running.");
    case WaveOutOfRange:
        return QStringLiteral("The specified parameter is out of range for the specified command.");
    case WaveFileNotSaved:
        return QStringLiteral("The file was not saved. Make sure the disk has enough free space and "
                              "that the folder can be written to.");
    case WaveInvalidFile:
        return QStringLiteral("The specified file cannot be played. The file may be damaged or not in "
                              "a supported format.");
    case WaveNonapplicableFunction:
        return QStringLiteral("The command cannot be carried out in the device's present state.");
    case WaveFileRead:
        return QStringLiteral("A problem occurred in reading the specified file.");
    default:
        return QStringLiteral("Unknown sound device error %1.").arg(code);
    }
}

WaveNotifyEvent::WaveNotifyEvent(quint32 deviceId, WaveNotifyCode code)
    : QEvent(eventType()), FDeviceId(deviceId), FCode(code)
{
}

QEvent::Type WaveNotifyEvent::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

WaveDevice::~WaveDevice() = default;

WaveDevice &defaultWaveDevice()
{
    static PulseWaveDevice device;
    return device;
}

} // namespace platform
