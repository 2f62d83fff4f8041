// The program-wide "VoiceMail" module and its lifetime.
#include "strings/VoiceMailMLS.h"

TVoiceMailMLSModule *VoiceMailModule = nullptr;

void InitializeVoiceMailMLS()
{
    if (VoiceMailModule) return;
    VoiceMailModule = new TVoiceMailMLSModule(*MLSManager);
    VoiceMailModule->LoadFromResource(QString::fromLatin1(VoiceMailMLSResource));
}

void FinalizeVoiceMailMLS()
{
    delete VoiceMailModule;
    VoiceMailModule = nullptr;
}
