// The program-wide "vqShared" module and its lifetime.
#include "strings/vqSharedMLS.h"

TvqSharedMLSModule *vqSharedModule = nullptr;

void InitializevqSharedMLS()
{
    if (vqSharedModule) return;
    vqSharedModule = new TvqSharedMLSModule(*MLSManager);
    vqSharedModule->LoadFromResource(QString::fromLatin1(vqSharedMLSResource));
}

void FinalizevqSharedMLS()
{
    delete vqSharedModule;
    vqSharedModule = nullptr;
}
