// An MP3 copy of a voice message, for the phones and web mail that play no GSM wave files.
#pragma once

#include <QByteArray>
#include <QString>

namespace sender {

// The wave file's sound (any format the program's wave reader takes, GSM 6.10 included) as mono
// MP3 at about 24 kbit/s. False with a reason when the wave cannot be read or encoded.
bool Mp3Copy(const QByteArray &wave, QByteArray &mp3, QString &error);

// "message.wav" -> "message.mp3".
QString Mp3Name(const QString &waveName);

} // namespace sender
