// Conversion between the program's 8-bit texts (Windows-1252, the ANSI code page) and QString.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Every byte maps to one character; the five bytes that Windows-1252 leaves unassigned map to the
// C1 control characters of the same value, as Windows itself decodes them.
QString DecodeAnsiText(QByteArrayView bytes);

// Characters with no Windows-1252 byte become '?' and clear *ok (when given).
QByteArray EncodeAnsiText(QStringView text, bool *ok = nullptr);
