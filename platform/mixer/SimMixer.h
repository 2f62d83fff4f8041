// An in-memory mixer for tests: values are set by the test, changes are posted like the real one's.
#pragma once

#include "platform/mixer/MixerTable.h"

#include <array>

namespace platform {

class SimMixer final : public MixerTable {
public:
    // The standard lines (MixerTable::standardLines), volumes at 65535 and peaks at 0.
    SimMixer();
    explicit SimMixer(std::vector<Line> destinations);

    // Sets a control as the system would (another program, the hardware): when the values
    // differ, every call-back object opened on the mixer hears of it.
    void changeControl(quint32 controlId, qint32 first, qint32 second = 0);
    // Sets what a peak meter reads, without a change notification (meters do not notify).
    void setPeak(quint32 controlId, qint32 first, qint32 second = 0);
    std::array<qint32, 2> values(quint32 controlId) const;

    // Without a server every open fails with MixerNoDriver.
    void setServerAvailable(bool available) { FServerAvailable = available; }
    // Makes every later read (or write) of the control fail with `code`; 0 lets them run again.
    void failReads(quint32 code) { FReadFailure = code; }
    void failWrites(quint32 code) { FWriteFailure = code; }
    int reads() const { return FReads; }

protected:
    quint32 connectMixer() override;
    quint32 readControl(quint32 controlId, std::span<qint32> values) override;
    quint32 writeControl(quint32 controlId, std::span<const qint32> values) override;

private:
    void store(quint32 controlId, std::array<qint32, 2> v, bool notify);

    std::map<quint32, std::array<qint32, 2>> FValues;
    bool FServerAvailable = true;
    quint32 FReadFailure = 0;
    quint32 FWriteFailure = 0;
    int FReads = 0;
};

} // namespace platform
