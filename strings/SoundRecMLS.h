// The "SoundRec" string module: texts of the recorder panel.
#pragma once

#include "strings/vqMLS.h"

class TSoundRecMLSModule final : public TFixedMLSModule<26> {
public:
    explicit TSoundRecMLSModule(TMLSManager &manager, quint32 localeId = 1033)
        : TFixedMLSModule(manager, localeId, QStringLiteral("SoundRec"))
    {
    }
};

// Entries the recorder panel reads.
namespace SoundRecText {
enum : std::size_t {
    Mono = 4,
    Pause = 5,
    Paused = 6,
    Playing = 9,
    SecondsFormat = 11,
    Recording = 14,
    Stereo = 22,
    Stop = 23
};
} // namespace SoundRecText

inline constexpr char SoundRecMLSResource[] = "MLS_SOUNDREC";

extern TSoundRecMLSModule *SoundRecModule; // between InitializeSoundRecMLS and FinalizeSoundRecMLS

// Creates SoundRecModule (locale 1033) with MLSManager and fills it from MLS_SOUNDREC; raises EMLSException
// when the image does not read, leaving the module in place.
void InitializeSoundRecMLS();
void FinalizeSoundRecMLS();
