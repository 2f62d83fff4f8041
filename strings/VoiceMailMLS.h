// The "VoiceMail" string module: texts of the voice-mail windows and the send flow.
#pragma once

#include "strings/vqMLS.h"

class TVoiceMailMLSModule final : public TFixedMLSModule<48> {
public:
    explicit TVoiceMailMLSModule(TMLSManager &manager, quint32 localeId = 1033)
        : TFixedMLSModule(manager, localeId, QStringLiteral("VoiceMail"))
    {
    }
};

// Entries the recorder panel and the send flow read.
namespace VoiceMailText {
enum : std::size_t { GsmCompression = 7, CompressCaption = 10, CompressPrompt = 11 };
} // namespace VoiceMailText

inline constexpr char VoiceMailMLSResource[] = "MLS_VOICEMAIL";

extern TVoiceMailMLSModule *VoiceMailModule; // between InitializeVoiceMailMLS and FinalizeVoiceMailMLS

// Creates VoiceMailModule (locale 1033) with MLSManager and fills it from MLS_VOICEMAIL; raises EMLSException
// when the image does not read, leaving the module in place.
void InitializeVoiceMailMLS();
void FinalizeVoiceMailMLS();
