// The program's own sounds, played synchronously from its resources.
#pragma once

#include "platform/audio/WaveDevice.h"

#include <QString>

// Plays the RIFF WAVE resource ":/chirpel/<Name>" (the beep is "BEEP") through the device and
// returns once it has been heard. False when there is no such resource or it could not be
// played; nothing is shown.
bool PlayResourceSync(const QString &Name, platform::WaveDevice &Device = platform::defaultWaveDevice());
