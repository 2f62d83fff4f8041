// The "vqShared" string module: general words, captions and messages shared by the product family.
#pragma once

#include "strings/vqMLS.h"

class TvqSharedMLSModule final : public TFixedMLSModule<232> {
public:
    explicit TvqSharedMLSModule(TMLSManager &manager, quint32 localeId = 1033)
        : TFixedMLSModule(manager, localeId, QStringLiteral("vqShared"))
    {
    }
};

inline constexpr char vqSharedMLSResource[] = "MLS_VQSHARED";

extern TvqSharedMLSModule *vqSharedModule; // between InitializevqSharedMLS and FinalizevqSharedMLS

// Creates vqSharedModule (locale 1033) with MLSManager and fills it from MLS_VQSHARED; raises EMLSException
// when the image does not read, leaving the module in place.
void InitializevqSharedMLS();
void FinalizevqSharedMLS();
