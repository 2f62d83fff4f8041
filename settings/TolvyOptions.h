// The settings store: message settings, kid profile, and the keyboard and cursor routines.
#pragma once

#include "platform/desktop/KeyCapture.h"
#include "platform/store/Folders.h"
#include "platform/store/Registry.h"
#include "settings/CursorTable.h"

#include <QString>

class TKeyReader;

// The one registry key of the program, under HKEY_CURRENT_USER.
inline const QString kChirpelKey = QStringLiteral("Software\\Brimblet\\Chirpel");

// Cursor table numbers of the two large hands, with their resources and hot spots.
enum : int { crHandCursor = 1, crHandDown = 2 };

// Message, recording and sending settings. Reads the registry when made, writes it when
// destroyed; fields in between change in memory only.
class TVMProperties {
public:
    explicit TVMProperties(platform::RegistryStore &store = platform::defaultRegistryStore(),
                           const platform::SystemFolders &folders = platform::defaultSystemFolders());
    ~TVMProperties();
    TVMProperties(const TVMProperties &) = delete;
    TVMProperties &operator=(const TVMProperties &) = delete;

    void Load();
    // False when the store could not keep the values (it has said why on standard error).
    bool Save();

    bool HideTips = false;
    bool AutoRecord = false;
    bool AutoPlay = false;
    bool BeepOnRecord = false;
    bool AutoClose = false;
    quint8 Quality = 0; // registry value "Quality " (with its trailing blank)
    bool Mono = false;
    bool Bits16 = false;
    bool PackOnSend = false;
    bool GSM610 = false;
    qint32 PlainSize = 0;
    qint32 DurationSec = 0;
    qint32 MinWaveLevel = 0;
    qint32 MaxTimeSec = 0;
    bool WebMail = false;
    bool SendWait = false;
    bool LimitSize = false;
    QString MsgFileName;
    QString ReciptName;
    QString ReciptAddr;

private:
    bool ReadValues(TKeyReader &reader);
    void ApplyReadFailureDefaults();

    platform::RegistryStore &FStore;
    const platform::SystemFolders &FFolders;
};

// The kid profile, and the run-time state of the large hand cursor and the captured keys.
// Reads the registry and installs the two hand cursors when made; releases the keys and writes
// the registry when destroyed.
class TTolvyProperties {
public:
    explicit TTolvyProperties(platform::RegistryStore &store = platform::defaultRegistryStore(),
                              platform::KeyCapture &keys = platform::defaultKeyCapture(),
                              TCursorTable &cursors = AppCursorTable());
    ~TTolvyProperties();
    TTolvyProperties(const TTolvyProperties &) = delete;
    TTolvyProperties &operator=(const TTolvyProperties &) = delete;

    // False when the store could not keep the values.
    bool Save();

    bool CursorActive = false; // not stored
    bool KeysLocked = false;   // not stored
    QString KidName;
    qint32 KidAge = 0;
    bool IsGirl = false;
    bool CustCursor = false;
    QString GuideName;
    bool SoundPrompt = false;
    bool ShowShield = false;

    platform::KeyCapture &Keys() const { return FKeys; }
    TCursorTable &Cursors() const { return FCursors; }

private:
    void Load();

    platform::RegistryStore &FStore;
    platform::KeyCapture &FKeys;
    TCursorTable &FCursors;
};

// The program-wide settings, valid from InitializeTolvyOptions to FinalizeTolvyOptions.
extern TTolvyProperties *TolvyProperties;
extern TVMProperties *VMProperties;

// Makes the kid profile (installing the cursors), then the message settings. Needs the
// application object (cursors are pictures).
void InitializeTolvyOptions(platform::RegistryStore &store = platform::defaultRegistryStore(),
                            const platform::SystemFolders &folders = platform::defaultSystemFolders(),
                            platform::KeyCapture &keys = platform::defaultKeyCapture(),
                            TCursorTable &cursors = AppCursorTable());
// Destroys the message settings, then the kid profile, each writing the registry; false when
// any of it could not be saved.
bool FinalizeTolvyOptions();

// "1" for true, "0" for false: how truth values are stored.
QString BoolToText(bool value);

// The large hand cursor as a picture with its hot spot (cursor number 1 or 2).
QCursor LoadHandCursor(int number);

// Captures (true) or releases (false) the task-switch keys; KeysLocked records the state.
void SetKeyboardLock(TTolvyProperties &profile, bool on);
void SetKeyboardLock(bool on);

// With CursorActive: the pressing hand while the left button is down, else the open hand.
void UpdateHandCursor(TTolvyProperties &profile, Qt::MouseButtons buttons);
void UpdateHandCursor();

// CursorActive := CustCursor and not suspend; when it is off, each window's own cursor shows.
void SuspendHandCursor(TTolvyProperties &profile, bool suspend);
void SuspendHandCursor(bool suspend);
