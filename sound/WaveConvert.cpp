// Compressing the message file to GSM 6.10: the two-stage conversion and packing a file in place.
#include "sound/WaveConvert.h"

#include "platform/codecs/ThreadPlacement.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <limits>
#include <mutex>
#include <numeric>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

using namespace platform;

uint32_t ConversionChunkSize(uint32_t dataSize, uint16_t blockAlign)
{
    if (dataSize < ConversionChunkLimit) return dataSize;
    return ConversionChunkLimit - ConversionChunkLimit % blockAlign;
}

uint32_t CompressedFactValue(uint32_t dataBytes, uint16_t blockAlign)
{
    return blockAlign == 0 ? dataBytes : dataBytes / blockAlign;
}

// A spare thread that runs one job at a time, the back lane of a conversion.
class TLaneWorker {
public:
    // `meanwhile` runs on the thread first, while the caller gets the first job ready.
    explicit TLaneWorker(std::function<void()> meanwhile)
    {
        try {
            FThread = std::thread([this, meanwhile = std::move(meanwhile)] {
                RunOnAnyProcessor();
                meanwhile();
                Loop();
            });
            StartOnAnotherProcessor(FThread);
        } catch (const std::system_error &) {
            // No thread to be had: jobs run on the caller's thread instead.
        }
    }

    ~TLaneWorker()
    {
        {
            std::lock_guard lock(FLock);
            FStop = true;
            FWake = true;
        }
        FChanged.notify_all();
        if (FThread.joinable()) FThread.join();
    }

    // Hands `job` to the thread; false, and nothing done, when there is no thread.
    bool Start(std::function<void()> job)
    {
        if (!FThread.joinable()) return false;
        {
            std::lock_guard lock(FLock);
            FJob = std::move(job);
            FWake = true;
        }
        FChanged.notify_all();
        return true;
    }

    // Waits until the job handed over has run.
    void Wait()
    {
        std::unique_lock lock(FLock);
        FChanged.wait(lock, [this] { return !FJob; });
    }

private:
    void Loop()
    {
        for (;;) {
            // A thread asleep on an idle processor takes about a millisecond to wake, a tenth of
            // converting a short message. What comes soon after the start or after a job (the
            // job, or the end) is watched for instead, for a few milliseconds at most.
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(5);
            while (!FWake.load(std::memory_order_acquire) && std::chrono::steady_clock::now() < until)
                Relax();
            std::unique_lock lock(FLock);
            FChanged.wait(lock, [this] { return FStop || FJob; });
            if (!FJob) return;
            lock.unlock();
            FJob();
            lock.lock();
            FJob = nullptr;
            FWake = FStop;
            FChanged.notify_all();
        }
    }

    std::mutex FLock;
    std::condition_variable FChanged;
    std::function<void()> FJob;
    std::atomic<bool> FWake = false; // a job or the end has come
    bool FStop = false;
    std::thread FThread;
};

namespace {

// Room the intermediate format gets from the first suggestion.
constexpr uint32_t IntermediateFormatRoom = 19;
// Source bytes a lane reads and converts at a time. Small buffers stay in the cache and are used
// again and again; fresh memory for a whole chunk would cost a page fault every 4 KiB.
constexpr uint32_t SliceBytes = 8192;
// Blocks the second lane encodes and throws away before its own first block, so that the
// encoder's state has settled into the sound: its filters remember about a tenth of a second.
constexpr uint64_t WarmUpBlocks = 8;
// Intermediate samples the second lane's resampler gives out, and that are thrown away, before
// the warm-up: the resampler starts from silence, and its filter reaches back about 70 ms.
constexpr uint64_t PreRollSamples = 2000;
// Below this many blocks (4 s) one lane converts the message: a thread would cost more than it saves.
constexpr uint64_t MinTwoLaneBlocks = 100;

constexpr uint64_t NoLimit = std::numeric_limits<uint64_t>::max();

// Where the three sizes of a compressed file's header stand, to be filled in once the data is written.
struct THeaderPlaces {
    uint64_t RiffSize = 0;  // bytes after the RIFF size field
    uint64_t FactValue = 0; // the "fact" chunk's count of blocks
    uint64_t DataSize = 0;  // bytes of compressed data
};

// Writes a compressed file's header with the three sizes left at 0.
THeaderPlaces WriteHeader(TStream &dest, const WaveFormatEx &format)
{
    const auto extraSize = uint32_t(format.extra.size());
    THeaderPlaces places;
    dest.WriteTag("RIFF");
    places.RiffSize = dest.Position();
    dest.WriteUInt32(0);
    dest.WriteTag("WAVE");
    dest.WriteTag("fmt ");
    dest.WriteUInt32(18 + extraSize);
    dest.WriteUInt16(format.formatTag);
    dest.WriteUInt16(format.channels);
    dest.WriteUInt32(format.samplesPerSec);
    dest.WriteUInt32(format.avgBytesPerSec);
    dest.WriteUInt16(format.blockAlign);
    dest.WriteUInt16(format.bitsPerSample);
    dest.WriteUInt16(uint16_t(extraSize));
    dest.Write(format.extra.data(), format.extra.size());
    dest.WriteTag("fact");
    dest.WriteUInt32(4);
    places.FactValue = dest.Position();
    dest.WriteUInt32(0);
    dest.WriteTag("data");
    places.DataSize = dest.Position();
    dest.WriteUInt32(0);
    return places;
}

// A failed step: its name and result.
struct TStepError {
    const char *Step = nullptr;
    uint32_t Code = 0;
    explicit operator bool() const { return Step != nullptr; }
};

// Points `header` at `source` and `destination`, whole.
void Attach(AcmStreamHeader &header, std::vector<uint8_t> &source, std::vector<uint8_t> &destination)
{
    header.source = source.data();
    header.sourceLength = uint32_t(source.size());
    header.destination = destination.data();
    header.destinationLength = uint32_t(destination.size());
}

// Gives `header` back the lengths it was prepared with, as unpreparing requires.
void Restore(AcmStreamHeader &header)
{
    header.sourceLength = header.preparedSourceLength;
    header.destinationLength = header.preparedDestinationLength;
}

// The stretch of the message one lane converts.
struct TLanePlan {
    uint64_t FromFrame = 0;         // the first source frame it reads
    uint64_t SkipSamples = 0;       // intermediate samples it drops first: the resampler's start
    uint64_t DiscardBlocks = 0;     // blocks it encodes and drops next: the encoder's warm-up
    uint64_t LimitBlocks = NoLimit; // blocks it keeps at most; without a limit it runs to the end
                                    // of the sound and fills up a last partial block with silence
    uint64_t BlockSamples = 0;      // intermediate samples per block the plan counts with (0: any)
};

// Both stages over one stretch of the message: its own two streams, small buffers used over and
// over, and the compressed blocks it keeps.
class TLane {
public:
    TLane(AudioCompression &acm, const WaveFormatEx &source, const WaveFormatEx &middle,
          const WaveFormatEx &dest)
        : FAcm(acm), FSource(source), FMiddle(middle), FDest(dest)
    {
    }
    ~TLane() { Abandon(); }
    TLane(const TLane &) = delete;
    TLane &operator=(const TLane &) = delete;

    // Opens and prepares the lane's streams and runs it; Error holds the step that failed, and
    // Exception what the source or the memory threw, for the calling thread to throw again.
    void Convert(const TStream &source, uint64_t dataStart, uint64_t endFrame, const TLanePlan &plan,
                 std::atomic<bool> &abort)
    {
        try {
            if (TStepError e = Open()) return Fail(e, abort);
            if (TStepError e = Prepare()) return Fail(e, abort);
            // Lanes that meet must count the same samples to a block.
            if (plan.BlockSamples != 0 && plan.BlockSamples != BlockSamples())
                return Fail({"Convert # 2", AcmNotPossible}, abort);
            Run(source, dataStart, endFrame, plan, abort);
        } catch (...) {
            Exception = std::current_exception();
            abort = true;
        }
    }

    // Unprepares both headers with the lengths they were prepared with.
    TStepError Unprepare()
    {
        Restore(FHeader1);
        FPrepared1 = false;
        if (uint32_t r = FAcm.streamUnprepareHeader(FStream1, FHeader1)) return {"UnPrepareHeader # 1", r};
        Restore(FHeader2);
        FPrepared2 = false;
        if (uint32_t r = FAcm.streamUnprepareHeader(FStream2, FHeader2)) return {"UnPrepareHeader # 2", r};
        FSourceBuffer = {};
        FMiddleBuffer = {};
        FEncodeBuffer = {};
        FOutBuffer = {};
        return {};
    }

    TStepError Close()
    {
        if (uint32_t r = FAcm.streamClose(std::exchange(FStream1, nullptr)))
            return {"Return code Close # 1 in DoubleConvert", r};
        if (uint32_t r = FAcm.streamClose(std::exchange(FStream2, nullptr))) return {"Close # 2", r};
        return {};
    }

    // After a failure: releases whatever is still held, ignoring results.
    void Abandon()
    {
        if (FPrepared1) {
            Restore(FHeader1);
            FAcm.streamUnprepareHeader(FStream1, FHeader1);
            FPrepared1 = false;
        }
        if (FPrepared2) {
            Restore(FHeader2);
            FAcm.streamUnprepareHeader(FStream2, FHeader2);
            FPrepared2 = false;
        }
        if (FStream1) FAcm.streamClose(std::exchange(FStream1, nullptr));
        if (FStream2) FAcm.streamClose(std::exchange(FStream2, nullptr));
    }

    // Intermediate samples per compressed block, once prepared; 0 when the codec does not say.
    uint64_t BlockSamples() const { return FBlockBytes / 2; }

    std::vector<uint8_t> Result;
    TStepError Error;
    std::exception_ptr Exception;

private:
    TStepError Open()
    {
        if (uint32_t r = FAcm.streamOpen(FStream1, FSource, FMiddle, AcmOpenNonRealtime))
            return {"Open # 1", r};
        if (uint32_t r = FAcm.streamOpen(FStream2, FMiddle, FDest, AcmOpenNonRealtime))
            return {"Open # 2", r};
        return {};
    }

    TStepError Prepare()
    {
        const uint32_t align = FSource.blockAlign;
        const uint32_t sourceRoom = std::max(SliceBytes - SliceBytes % align, align);
        uint32_t middleRoom = 0;
        FAcm.streamSize(FStream1, sourceRoom, middleRoom, AcmSizeSource);
        FAcm.streamSize(FStream2, FDest.blockAlign, FBlockBytes, AcmSizeDestination);
        FBlockBytes &= ~1u;
        // Whole blocks go to the encoder; what is left of one waits for the next slice.
        const uint32_t encodeRoom = middleRoom + std::max<uint32_t>(FBlockBytes, 2);
        uint32_t outRoom = 0;
        FAcm.streamSize(FStream2, encodeRoom, outRoom, AcmSizeSource);

        FSourceBuffer.assign(sourceRoom, 0);
        FMiddleBuffer.assign(middleRoom, 0);
        FEncodeBuffer.assign(encodeRoom, 0);
        FOutBuffer.assign(outRoom, 0);
        Attach(FHeader1, FSourceBuffer, FMiddleBuffer);
        if (uint32_t r = FAcm.streamPrepareHeader(FStream1, FHeader1)) return {"PrepareHeader # 1", r};
        FPrepared1 = true;
        Attach(FHeader2, FEncodeBuffer, FOutBuffer);
        if (uint32_t r = FAcm.streamPrepareHeader(FStream2, FHeader2)) return {"PrepareHeader # 2", r};
        FPrepared2 = true;
        return {};
    }

    // Converts source frames from the plan's first to `endFrame` (or, with a limit, until the
    // blocks are all there) of the data at `dataStart`. Stops early when `abort` is set; sets it
    // on a failure, which Error then holds.
    void Run(const TStream &source, uint64_t dataStart, uint64_t endFrame, const TLanePlan &plan,
             std::atomic<bool> &abort)
    {
        FPlan = plan;
        if (plan.LimitBlocks != NoLimit) Result.reserve(plan.LimitBlocks * FDest.blockAlign);
        const uint64_t align = FSource.blockAlign;
        uint64_t at = plan.FromFrame * align;
        const uint64_t end = endFrame * align;
        uint32_t carried = 0;
        bool sourceDone = false;
        while (!sourceDone && !Full()) {
            const auto want = uint32_t(std::min<uint64_t>(FSourceBuffer.size() - carried, end - at));
            const size_t got = source.ReadAt(dataStart + at, FSourceBuffer.data() + carried, want);
            at += got;
            sourceDone = at >= end || got < want;
            // Only the lane that runs to the end gives out the resampler's history.
            const bool last = sourceDone && plan.LimitBlocks == NoLimit;
            FHeader1.sourceLength = carried + uint32_t(got);
            FHeader1.destinationLength = FHeader1.preparedDestinationLength;
            const uint32_t flags = AcmConvertBlockAlign | (last ? AcmConvertEnd : 0);
            if (uint32_t r = FAcm.streamConvert(FStream1, FHeader1, flags))
                return Fail({"Convert # 1", r}, abort);
            FAcm.streamReset(FStream1);
            // What does not fill a frame waits for the next slice; more than that would be lost.
            carried = FHeader1.sourceLength - FHeader1.sourceLengthUsed;
            if (carried >= align) return Fail({"Convert # 1", AcmNotPossible}, abort);
            if (carried > 0)
                std::memmove(FSourceBuffer.data(), FSourceBuffer.data() + FHeader1.sourceLengthUsed, carried);
            if (TStepError e = Take(FHeader1.destinationLengthUsed)) return Fail(e, abort);
            // The resampler's history might not have fitted after the last slice: give out the rest.
            while (last && FHeader1.destinationLengthUsed == FHeader1.destinationLength &&
                   FHeader1.destinationLength > 0) {
                FHeader1.sourceLength = 0;
                if (uint32_t r = FAcm.streamConvert(FStream1, FHeader1, AcmConvertBlockAlign | AcmConvertEnd))
                    return Fail({"Convert # 1", r}, abort);
                if (TStepError e = Take(FHeader1.destinationLengthUsed)) return Fail(e, abort);
            }
            if (abort.load(std::memory_order_relaxed)) return;
        }
        if (plan.LimitBlocks != NoLimit) {
            // The other lane goes on from here: this one must have given all its blocks.
            if (!Full()) Fail({"Convert # 2", AcmNotPossible}, abort);
            return;
        }
        if (FPending > 0)
            if (TStepError e = Encode(FPending, true)) return Fail(e, abort);
    }

    bool Full() const { return FKept >= FPlan.LimitBlocks; }

    void Fail(TStepError error, std::atomic<bool> &abort)
    {
        Error = error;
        abort = true;
    }

    // Passes `bytes` of intermediate sound from the middle buffer on to the encoder, after the
    // samples the plan skips, in whole blocks.
    TStepError Take(uint32_t bytes)
    {
        const uint8_t *from = FMiddleBuffer.data();
        const auto skip = uint32_t(std::min<uint64_t>(FPlan.SkipSamples * 2, bytes));
        FPlan.SkipSamples -= skip / 2;
        from += skip;
        bytes -= skip;
        std::memcpy(FEncodeBuffer.data() + FPending, from, bytes);
        FPending += bytes;
        if (FBlockBytes == 0) return Encode(FPending, false);
        while (FPending >= FBlockBytes && !Full()) {
            uint64_t blocks = FPending / FBlockBytes;
            if (FPlan.DiscardBlocks > 0) blocks = std::min(blocks, FPlan.DiscardBlocks);
            blocks = std::min(blocks, FPlan.LimitBlocks - FKept);
            if (TStepError e = Encode(uint32_t(blocks * FBlockBytes), false)) return e;
        }
        return {};
    }

    // Encodes the first `bytes` of the encoder's buffer and keeps what comes out, unless it is
    // still warming up.
    TStepError Encode(uint32_t bytes, bool end)
    {
        FHeader2.sourceLength = bytes;
        FHeader2.destinationLength = FHeader2.preparedDestinationLength;
        const uint32_t flags = AcmConvertBlockAlign | (end ? AcmConvertEnd : 0);
        if (uint32_t r = FAcm.streamConvert(FStream2, FHeader2, flags)) return {"Convert # 2", r};
        FAcm.streamReset(FStream2);
        // Whole blocks went in, or the end of the sound: a codec that left some would lose sound.
        if (FHeader2.sourceLengthUsed != bytes) return {"Convert # 2", AcmNotPossible};
        const uint64_t blocks = FBlockBytes ? bytes / FBlockBytes : 0;
        if (FPlan.DiscardBlocks > 0) {
            FPlan.DiscardBlocks -= std::min(blocks, FPlan.DiscardBlocks);
        } else {
            Result.insert(Result.end(), FOutBuffer.data(),
                          FOutBuffer.data() + FHeader2.destinationLengthUsed);
            FKept += blocks;
        }
        FPending -= bytes;
        if (FPending > 0) std::memmove(FEncodeBuffer.data(), FEncodeBuffer.data() + bytes, FPending);
        return {};
    }

    AudioCompression &FAcm;
    const WaveFormatEx &FSource;
    const WaveFormatEx &FMiddle;
    const WaveFormatEx &FDest;
    AcmStream FStream1 = nullptr;
    AcmStream FStream2 = nullptr;
    AcmStreamHeader FHeader1;
    AcmStreamHeader FHeader2;
    bool FPrepared1 = false;
    bool FPrepared2 = false;
    uint32_t FBlockBytes = 0; // intermediate bytes per compressed block; 0 when the codec does not say
    std::vector<uint8_t> FSourceBuffer;
    std::vector<uint8_t> FMiddleBuffer;
    std::vector<uint8_t> FEncodeBuffer;
    std::vector<uint8_t> FOutBuffer;
    uint32_t FPending = 0; // intermediate bytes waiting in the encoder's buffer
    uint64_t FKept = 0;
    TLanePlan FPlan;
};

// The conversion proper, from the source's data to the compressed bytes after the header that
// DoubleConvert has written. A message of more than a few seconds is converted by two lanes side
// by side, each from its own place in the source: the first lane converts the front half; the
// second starts a little before the back half, so that its resampler and its encoder have settled
// into the sound when they reach it, and throws away what it converted before that.
class TDoubleConversion {
public:
    TDoubleConversion(AudioCompression &acm, TLaneWorker &worker, const WaveFormatEx &source,
                      const WaveFormatEx &middle, const WaveFormatEx &dest)
        : FWorker(worker), FSource(source), FMiddle(middle), FDest(dest), FFront(acm, source, middle, dest),
          FBack(acm, source, middle, dest)
    {
    }

    // Converts `dataSize` bytes of `source` from its position and writes the compressed bytes to `dest`.
    TStepError Run(TStream &source, uint32_t dataSize, TStream &dest, uint32_t &written)
    {
        const uint64_t dataStart = source.Position();
        const uint64_t available = source.Size() > dataStart ? source.Size() - dataStart : 0;
        // A data chunk may be shorter than it says: what is there is converted.
        const uint64_t frames = std::min<uint64_t>(dataSize, available) / FSource.blockAlign;
        const std::optional<TLanePlan> back = BackPlan(frames);
        TLanePlan front;
        if (back) {
            front.BlockSamples = back->BlockSamples;
            front.LimitBlocks = FSplitBlock;
        }

        // The back lane sets itself up on the worker's thread while this one does the same; without
        // a thread it runs here after the front one.
        std::atomic<bool> abort = false;
        auto runBack = [&] { FBack.Convert(source, dataStart, frames, *back, abort); };
        const bool started = back && FWorker.Start(runBack);
        FFront.Convert(source, dataStart, frames, front, abort);
        if (started)
            FWorker.Wait();
        else if (back && !FFront.Error && !FFront.Exception)
            runBack();
        for (const TLane *lane : {&FFront, &FBack})
            if (lane->Exception) std::rethrow_exception(lane->Exception);
        if (FFront.Error) return FFront.Error;
        if (FBack.Error) return FBack.Error;

        dest.Write(FFront.Result.data(), FFront.Result.size());
        dest.Write(FBack.Result.data(), FBack.Result.size());
        written = uint32_t(FFront.Result.size() + FBack.Result.size());

        if (TStepError e = FFront.Unprepare()) return e;
        if (back)
            if (TStepError e = FBack.Unprepare()) return e;
        if (TStepError e = FFront.Close()) return e;
        if (back)
            if (TStepError e = FBack.Close()) return e;
        return {};
    }

private:
    // The back lane's plan, or none when the message is short. The lanes meet at a block boundary;
    // the back lane starts reading at a frame that falls exactly on an intermediate sample, so that
    // its samples line up with the front lane's.
    std::optional<TLanePlan> BackPlan(uint64_t frames)
    {
        const uint64_t rate = FSource.samplesPerSec;
        const uint64_t middleRate = FMiddle.samplesPerSec;
        // A codec of a constant bit rate: the samples a block holds follow from its format.
        const uint64_t blockSamples =
            FDest.avgBytesPerSec ? FDest.blockAlign * middleRate / FDest.avgBytesPerSec : 0;
        if (blockSamples == 0 || blockSamples * FDest.avgBytesPerSec != FDest.blockAlign * middleRate)
            return std::nullopt;
        const uint64_t blocks = frames * middleRate / rate / blockSamples;
        if (blocks < MinTwoLaneBlocks) return std::nullopt;
        // The back lane does a little more: its warm-up, and the resampler's start.
        FSplitBlock = (blocks + WarmUpBlocks + 4) / 2;
        const uint64_t warmFrom = (FSplitBlock - WarmUpBlocks) * blockSamples;
        // Source frames from one frame that falls exactly on an intermediate sample to the next.
        const uint64_t step = rate / std::gcd(rate, middleRate);
        TLanePlan plan;
        plan.BlockSamples = blockSamples;
        plan.FromFrame = (warmFrom - std::min(warmFrom, PreRollSamples)) * rate / middleRate / step * step;
        plan.SkipSamples = warmFrom - plan.FromFrame * middleRate / rate;
        plan.DiscardBlocks = WarmUpBlocks;
        return plan;
    }

    TLaneWorker &FWorker;
    const WaveFormatEx &FSource;
    const WaveFormatEx &FMiddle;
    const WaveFormatEx &FDest;
    TLane FFront;
    TLane FBack;
    uint64_t FSplitBlock = 0;
};

} // namespace

TWaveFormatList::TWaveFormatList(AudioCompression &acm)
    : FAcm(acm), FWorker(std::make_unique<TLaneWorker>([&acm] { acm.warmUp(); }))
{
    FAcm.metricsMaxFormatSize(FMaxFormatSize);
}

TWaveFormatList::~TWaveFormatList() = default;

bool TWaveFormatList::Fail(const std::string &text, uint32_t code)
{
    FErrorText = text;
    FErrorCode = code;
    return false;
}

bool TWaveFormatList::DoubleConvert(TStream &Source, TStream &Dest, WaveFormatEx &DestFormat)
{
    FErrorCode = 0;
    FErrorText.clear();
    WaveFormatEx source;
    uint32_t dataSize = 0;
    if (!ReadPcmWaveHeader(Source, source, dataSize) || !IsPlainPcm(source))
        return Fail("Source file not PCM format", 1);

    WaveFormatEx middle;
    middle.formatTag = WaveFormatPcm;
    middle.channels = 1;
    middle.samplesPerSec = 8000;
    const uint32_t fixed = AcmSuggestFormatTag | AcmSuggestChannels | AcmSuggestSamplesPerSec;
    if (uint32_t r = FAcm.formatSuggest(source, middle, IntermediateFormatRoom, fixed))
        return Fail("Suggest # 1", r);
    if (uint32_t r = FAcm.formatSuggest(middle, DestFormat, FMaxFormatSize, AcmSuggestFormatTag))
        return Fail("Suggest # 2", r);
    const THeaderPlaces places = WriteHeader(Dest, DestFormat);

    const uint64_t dataStart = Source.Position();
    const uint64_t available = Source.Size() > dataStart ? Source.Size() - dataStart : 0;
    uint32_t compressed = 0;
    {
        TDoubleConversion conversion(FAcm, *FWorker, source, middle, DestFormat);
        if (TStepError e = conversion.Run(Source, dataSize, Dest, compressed)) return Fail(e.Step, e.Code);
    }
    if (OnChunk) {
        // The chunks the data falls into, at least one; the last of them may have come up short.
        const uint32_t chunk = ConversionChunkSize(dataSize, source.blockAlign);
        uint32_t index = 0;
        uint64_t offset = 0;
        do {
            const auto requested = uint32_t(std::min<uint64_t>(chunk, dataSize - offset));
            const auto read =
                uint32_t(std::min<uint64_t>(requested, available - std::min(available, offset)));
            OnChunk(TChunkInfo{index++, requested, read});
            offset += requested;
        } while (offset < dataSize);
    }

    const uint64_t end = Dest.Position();
    // The RIFF size counts everything after its own field: the header up to the end of the data
    // size field (both fields are 4 bytes wide), then the data.
    Dest.Seek(places.RiffSize);
    Dest.WriteUInt32(uint32_t(places.DataSize - places.RiffSize + compressed));
    Dest.Seek(places.FactValue);
    Dest.WriteUInt32(CompressedFactValue(compressed, DestFormat.blockAlign));
    Dest.Seek(places.DataSize);
    Dest.WriteUInt32(compressed);
    Dest.Seek(end);
    return true;
}

bool PackWaveFile(const std::string &FileName, TWaveFormatList &List)
{
    TFileStream source(FileName);
    WaveFormatEx format;
    format.formatTag = WaveFormatGsm610;
    TMemoryStream dest;
    if (!List.DoubleConvert(source, dest, format)) return false;
    dest.SaveToFile(FileName);
    return true;
}

bool PackWaveFile(const std::string &FileName)
{
    TWaveFormatList list;
    return PackWaveFile(FileName, list);
}
