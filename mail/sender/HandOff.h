// The hand-off file as the mail sender reads it.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace sender {

struct THandOff {
    bool ForceNoUI = false;
    QString ToName;
    QString ToAddr;
    QString SenderAddr;
    QString SenderName;
    QString Subject;
    // With real line breaks (the file keeps them as backslash-n).
    QString Text;
    // The "Files" entries, then the "FileNames" entries, in file order.
    QStringList Files;
};

// The largest hand-off file read; a real one is well under a kilobyte.
constexpr std::size_t kMaxHandOffBytes = 1 << 20;

// Reads a hand-off from the bytes of a profile file. Sections and keys match without regard to
// case; a file entry's path is the text up to the last "=" (a path may hold "="). False with a
// one-line reason when the text is not UTF-8.
bool ParseHandOff(const QByteArray &bytes, THandOff &handOff, QString &error);
// The same from a file, refused when it is missing, not a regular file or too large.
bool ReadHandOff(const QString &path, THandOff &handOff, QString &error);

} // namespace sender
