// What the send command of the voice-mail window needs beyond the window: the record it fills,
// where the hand-off file goes, and the start of the mail sender.
#pragma once

#include "mail/SMapiUtils.h"
#include "platform/desktop/ProcessLauncher.h"
#include "platform/store/Folders.h"
#include "platform/store/Registry.h"

#include <QString>

#include <functional>

// The clock, the packer and the system services sending uses; the real ones unless replaced.
struct TSendServices {
    // Milliseconds from some fixed point, wrapping at 32 bits.
    std::function<quint32()> TickCount;
    std::function<void(quint32 Ms)> Sleep;
    // Compresses the message file in place to GSM 6.10; throws when it cannot be read.
    std::function<bool(const QString &FileName)> PackWaveFile;
    platform::ProcessLauncher *Launcher = nullptr;
    const platform::SystemFolders *Folders = nullptr;
    platform::RegistryStore *Registry = nullptr;

    platform::ProcessLauncher &launcher() const;
    const platform::SystemFolders &folders() const;
    platform::RegistryStore &registry() const;
};
TSendServices DefaultSendServices();

// The bubble text that asks a parent to let a message go.
extern const QString ReadyToSendText;

// "Voice message from <kid>", or "Voice message" without a name.
QString VoiceMessageSubject(const QString &KidName);

// The record for a recorded message: sent without the user when nobody waits for a parent and a
// recipient is set; the body template with its line breaks; the message file as the one attachment.
TSMapiMessage MakeVoiceMessage(const QString &MsgFileName, bool SendWait, const QString &ReciptName,
                               const QString &ReciptAddr, const QString &KidName);

// Whether a message file can be named in a hand-off as a profile key: not with CR or LF, blanks
// at either end, or a leading "[" or ";".
bool CanHandOff(const QString &MsgFileName);

// "eMail.dat" in the program's folder when the user may write there (a build tree, a portable
// copy), else in ${XDG_STATE_HOME:-$HOME/.local/state}/chirpel/ (made when missing).
QString HandOffFileName(const platform::SystemFolders &folders = platform::defaultSystemFolders());

// Writes the hand-off file and starts the mail sender on it ("<sender>" "<hand-off>"), without
// waiting. False when the hand-off could not be written: the sender is then not started, since
// it would send whatever an older hand-off names. Throws EGeneralError when the machine's folders
// cannot be read.
bool HandOffMessage(const TSMapiMessage &Message, const TSendServices &services);
