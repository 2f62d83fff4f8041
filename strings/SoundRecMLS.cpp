// The program-wide "SoundRec" module and its lifetime.
#include "strings/SoundRecMLS.h"

TSoundRecMLSModule *SoundRecModule = nullptr;

void InitializeSoundRecMLS()
{
    if (SoundRecModule) return;
    SoundRecModule = new TSoundRecMLSModule(*MLSManager);
    SoundRecModule->LoadFromResource(QString::fromLatin1(SoundRecMLSResource));
}

void FinalizeSoundRecMLS()
{
    delete SoundRecModule;
    SoundRecModule = nullptr;
}
