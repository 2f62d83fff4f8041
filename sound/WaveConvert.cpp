// Compressing the message file to GSM 6.10: the two-stage conversion and packing a file in place.
#include "sound/WaveConvert.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <limits>
#include <mutex>
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

namespace {

// Room the intermediate format gets from the first suggestion.
constexpr uint32_t IntermediateFormatRoom = 19;
// Blocks a second-stage stream takes at a time: small, so that the work left when the first
// stage ends can be shared out evenly.
constexpr uint32_t PieceBlocks = 32;
// Blocks a second encoder converts, and throws away, before the block it starts at: 1.28 s of
// sound, after which its state matches that of an encoder that ran from the start (measured on
// speech: identical output from then on).
constexpr uint32_t WarmUpBlocks = 64;

// Blocks below which the second stage runs on the calling thread after the first: 8 seconds.
constexpr uint32_t MinThreadedBlocks = 200;

constexpr uint64_t NoLimit = std::numeric_limits<uint64_t>::max();

void WriteHeader(TStream &dest, const WaveFormatEx &format)
{
    const auto extraSize = uint32_t(format.extra.size());
    dest.WriteTag("RIFF");
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
    dest.WriteUInt32(0);
    dest.WriteTag("data");
    dest.WriteUInt32(0);
}

// A failed step: its name and result.
struct TStepError {
    const char *Step = nullptr;
    uint32_t Code = 0;
    explicit operator bool() const { return Step != nullptr; }
};

// Intermediate PCM, handed from the first stage to the second.
struct TTape {
    std::mutex Lock;
    std::condition_variable Changed;
    std::vector<uint8_t> Bytes; // 16-bit samples
    bool Finished = false;      // the first stage has given out everything
    bool Abort = false;         // a step failed: both stages stop
    uint64_t Claimed = 0;       // samples the worker has taken
    uint64_t Limit = NoLimit;   // samples the worker may take; the rest belong to the second encoder

    uint64_t Samples() const { return Bytes.size() / 2; }
};

// A second-stage stream with its header, its buffers and what it has produced.
class TEncodeLane {
public:
    explicit TEncodeLane(AudioCompression &acm) : FAcm(acm) {}

    uint32_t Open(const WaveFormatEx &from, const WaveFormatEx &to)
    {
        return FAcm.streamOpen(FStream, from, to, AcmOpenNonRealtime);
    }

    // Intermediate bytes that make one block of `blockAlign` bytes (even: whole samples); 0 when
    // the codec does not say.
    uint32_t SourceBytesPerBlock(uint32_t blockAlign)
    {
        uint32_t bytes = 0;
        FAcm.streamSize(FStream, blockAlign, bytes, AcmSizeDestination);
        return bytes & ~1u;
    }

    // Buffers for `pieceBytes` of input and the codec's room for them, prepared.
    uint32_t Prepare(uint32_t pieceBytes)
    {
        uint32_t outBytes = 0;
        FAcm.streamSize(FStream, pieceBytes, outBytes, AcmSizeSource);
        In.assign(pieceBytes, 0);
        FOut.assign(outBytes, 0);
        FHeader.source = In.data();
        FHeader.sourceLength = pieceBytes;
        FHeader.destination = FOut.data();
        FHeader.destinationLength = outBytes;
        const uint32_t result = FAcm.streamPrepareHeader(FStream, FHeader);
        FPrepared = result == AcmNoError;
        return result;
    }

    // Converts the first `bytes` of In; keeps the output unless `discard`.
    TStepError Convert(uint32_t bytes, bool end, bool discard = false)
    {
        FHeader.sourceLength = bytes;
        FHeader.destinationLength = uint32_t(FOut.size());
        const uint32_t result =
            FAcm.streamConvert(FStream, FHeader, AcmConvertBlockAlign | (end ? AcmConvertEnd : 0));
        if (result != AcmNoError) return {"Convert # 2", result};
        FAcm.streamReset(FStream);
        // Pieces hold whole blocks, or the end of the sound: a codec that leaves some of it
        // would lose sound.
        if (FHeader.sourceLengthUsed != bytes) return {"Convert # 2", AcmNotPossible};
        if (!discard) Result.insert(Result.end(), FOut.data(), FOut.data() + FHeader.destinationLengthUsed);
        return {};
    }

    uint32_t Unprepare()
    {
        FHeader.sourceLength = FHeader.preparedSourceLength;
        FHeader.destinationLength = FHeader.preparedDestinationLength;
        FPrepared = false;
        return FAcm.streamUnprepareHeader(FStream, FHeader);
    }

    uint32_t Close()
    {
        const AcmStream stream = std::exchange(FStream, nullptr);
        return FAcm.streamClose(stream);
    }

    // After a failure: releases whatever is still held, ignoring results.
    void Abandon()
    {
        if (FPrepared) Unprepare();
        if (FStream) Close();
    }

    ~TEncodeLane() { Abandon(); }

    std::vector<uint8_t> In;
    std::vector<uint8_t> Result;

private:
    AudioCompression &FAcm;
    AcmStream FStream = nullptr;
    AcmStreamHeader FHeader;
    std::vector<uint8_t> FOut;
    bool FPrepared = false;
};

// Steps 7 to 15 of the conversion: the streams, the chunk loop and the release of everything,
// in an order that keeps each step's name for its failure.
class TDoubleConversion {
public:
    TDoubleConversion(AudioCompression &acm, const WaveFormatEx &source, const WaveFormatEx &middle,
                      const WaveFormatEx &dest, const TChunkEvent &onChunk)
        : FAcm(acm), FSource(source), FMiddle(middle), FDest(dest), FOnChunk(onChunk), FWorker(acm)
    {
    }

    ~TDoubleConversion()
    {
        StopWorker();
        if (FPrepared1) {
            FHeader1.sourceLength = FHeader1.preparedSourceLength;
            FHeader1.destinationLength = FHeader1.preparedDestinationLength;
            FAcm.streamUnprepareHeader(FStream1, FHeader1);
        }
        FWorker.Abandon();
        if (FStream1) FAcm.streamClose(FStream1);
    }

    // Converts `dataSize` bytes of `source` and writes the compressed bytes to `dest`.
    TStepError Run(TStream &source, uint32_t dataSize, TStream &dest, uint32_t &written)
    {
        if (uint32_t r = FAcm.streamOpen(FStream1, FSource, FMiddle, AcmOpenNonRealtime))
            return {"Open # 1", r};
        if (uint32_t r = FWorker.Open(FMiddle, FDest)) return {"Open # 2", r};

        const uint32_t align = FSource.blockAlign;
        const uint32_t chunk = ConversionChunkSize(dataSize, FSource.blockAlign);
        // A data chunk may be shorter than it says: the buffers need only hold what is there. A
        // chunk may follow a part of a frame that the previous one could not convert.
        const uint64_t available = source.Size() > source.Position() ? source.Size() - source.Position() : 0;
        const auto sourceRoom = uint32_t(std::min<uint64_t>(chunk, available) + align - 1);
        uint32_t middleRoom = 0;
        FAcm.streamSize(FStream1, sourceRoom, middleRoom, AcmSizeSource);
        FBlockBytes = FWorker.SourceBytesPerBlock(FDest.blockAlign);
        const uint32_t pieceBytes =
            FBlockBytes ? PieceBlocks * FBlockBytes : std::max<uint32_t>(middleRoom, 2);

        FSourceBuffer.assign(sourceRoom, 0);
        FMiddleBuffer.assign(middleRoom, 0);
        FHeader1.source = FSourceBuffer.data();
        FHeader1.sourceLength = sourceRoom;
        FHeader1.destination = FMiddleBuffer.data();
        FHeader1.destinationLength = middleRoom;
        if (uint32_t r = FAcm.streamPrepareHeader(FStream1, FHeader1)) return {"PrepareHeader # 1", r};
        FPrepared1 = true;
        if (uint32_t r = FWorker.Prepare(pieceBytes)) return {"PrepareHeader # 2", r};

        uint32_t expected = 0;
        FAcm.streamSize(FStream1, uint32_t(std::min<uint64_t>(dataSize, available)), expected, AcmSizeSource);
        FTape.Bytes.reserve(expected);

        // A short message is encoded in a few milliseconds: handing it to another thread would cost
        // more than it saves on a busy machine.
        if (FBlockBytes > 0 && expected / FBlockBytes >= MinThreadedBlocks) StartWorker();
        if (TStepError e = FirstStage(source, dataSize, chunk)) return Abort(e);
        const uint64_t splitBlock = Finish();
        TEncodeLane helper(FAcm);
        if (splitBlock)
            if (TStepError e = SecondEncoder(helper, splitBlock, pieceBytes)) return Abort(e);
        StopWorker();
        if (FWorkerError) return FWorkerError;

        dest.Write(FWorker.Result.data(), FWorker.Result.size());
        dest.Write(helper.Result.data(), helper.Result.size());
        written = uint32_t(FWorker.Result.size() + helper.Result.size());

        FHeader1.sourceLength = FHeader1.preparedSourceLength;
        FHeader1.destinationLength = FHeader1.preparedDestinationLength;
        FPrepared1 = false;
        if (uint32_t r = FAcm.streamUnprepareHeader(FStream1, FHeader1)) return {"UnPrepareHeader # 1", r};
        if (uint32_t r = FWorker.Unprepare()) return {"UnPrepareHeader # 2", r};
        FSourceBuffer = {};
        FMiddleBuffer = {};
        FTape.Bytes = {};
        if (uint32_t r = FAcm.streamClose(std::exchange(FStream1, nullptr)))
            return {"Return code Close # 1 in DoubleConvert", r};
        if (uint32_t r = FWorker.Close()) return {"Close # 2", r};
        return {};
    }

private:
    // Reads the data in chunks, converts each to the intermediate format and puts it on the tape.
    TStepError FirstStage(TStream &source, uint32_t dataSize, uint32_t chunk)
    {
        const uint32_t align = FSource.blockAlign;
        uint32_t carried = 0;
        uint32_t remaining = dataSize;
        uint32_t index = 0;
        do {
            const uint32_t requested = std::min(chunk, remaining);
            // Never more than the buffer holds, should the file have grown meanwhile.
            const uint32_t room = uint32_t(FSourceBuffer.size()) - carried;
            const auto read =
                uint32_t(source.Read(FSourceBuffer.data() + carried, std::min(requested, room)));
            const bool last = remaining == requested;
            FHeader1.sourceLength = carried + read;
            FHeader1.destinationLength = FHeader1.preparedDestinationLength;
            const uint32_t flags = AcmConvertBlockAlign | (last ? AcmConvertEnd : 0);
            if (uint32_t r = FAcm.streamConvert(FStream1, FHeader1, flags)) return {"Convert # 1", r};
            FAcm.streamReset(FStream1);
            // What does not fill a frame waits for the next chunk; more than that would be lost.
            carried = FHeader1.sourceLength - FHeader1.sourceLengthUsed;
            if (carried >= align) return {"Convert # 1", AcmNotPossible};
            if (carried > 0)
                std::memmove(FSourceBuffer.data(), FSourceBuffer.data() + FHeader1.sourceLengthUsed, carried);
            Publish(FHeader1.destinationLengthUsed);
            // The resampler's history might not have fitted after the last chunk: give out the rest.
            while (last && FHeader1.destinationLengthUsed == FHeader1.destinationLength &&
                   FHeader1.destinationLength > 0) {
                FHeader1.sourceLength = 0;
                if (uint32_t r = FAcm.streamConvert(FStream1, FHeader1, AcmConvertBlockAlign | AcmConvertEnd))
                    return {"Convert # 1", r};
                Publish(FHeader1.destinationLengthUsed);
            }
            if (FOnChunk) FOnChunk(TChunkInfo{index, requested, read});
            if (WorkerFailed()) return {};
            remaining -= requested;
            ++index;
        } while (remaining > 0);
        return {};
    }

    void Publish(uint32_t bytes)
    {
        {
            std::lock_guard lock(FTape.Lock);
            FTape.Bytes.insert(FTape.Bytes.end(), FMiddleBuffer.data(), FMiddleBuffer.data() + bytes);
        }
        FTape.Changed.notify_one();
    }

    bool WorkerFailed()
    {
        std::lock_guard lock(FTape.Lock);
        return FTape.Abort;
    }

    // Ends the first stage. When enough blocks are still to be encoded, the back part of them is
    // taken from the worker for a second encoder on this thread; returns the block it starts at
    // (0: none).
    uint64_t Finish()
    {
        uint64_t split = 0;
        {
            std::lock_guard lock(FTape.Lock);
            if (FTape.Abort) return 0;
            const uint64_t blockSamples = FBlockBytes / 2;
            if (FThreaded && blockSamples > 0) {
                const uint64_t total = (FTape.Samples() + blockSamples - 1) / blockSamples;
                const uint64_t done = (FTape.Claimed + blockSamples - 1) / blockSamples;
                // Each side ends up with the same number of blocks, the second encoder's warm-up
                // counted.
                if (total - done > 2 * WarmUpBlocks) {
                    split = (done + total + WarmUpBlocks) / 2;
                    FTape.Limit = split * blockSamples;
                }
            }
            FTape.Finished = true;
        }
        FTape.Changed.notify_all();
        if (!FThreaded) WorkerRun();
        return split;
    }

    // Encodes from block `first` to the end on this thread, with a stream of its own that first
    // runs over the blocks just before, so that it continues the sound as the worker would have.
    TStepError SecondEncoder(TEncodeLane &lane, uint64_t first, uint32_t pieceBytes)
    {
        if (uint32_t r = lane.Open(FMiddle, FDest)) return {"Open # 2", r};
        if (uint32_t r = lane.Prepare(pieceBytes)) return {"PrepareHeader # 2", r};
        // The tape no longer changes once the first stage has finished.
        const uint64_t blockBytes = FBlockBytes;
        const uint64_t from = (first > WarmUpBlocks ? first - WarmUpBlocks : 0) * blockBytes;
        const uint64_t start = first * blockBytes;
        const uint64_t end = FTape.Bytes.size();
        for (uint64_t at = from; at < end;) {
            const bool warmUp = at < start;
            const uint64_t count = std::min<uint64_t>(pieceBytes, (warmUp ? start : end) - at);
            std::memcpy(lane.In.data(), FTape.Bytes.data() + at, count);
            at += count;
            if (TStepError e = lane.Convert(uint32_t(count), !warmUp && at == end, warmUp)) return e;
            if (WorkerFailed()) return {};
        }
        if (uint32_t r = lane.Unprepare()) return {"UnPrepareHeader # 2", r};
        if (uint32_t r = lane.Close()) return {"Close # 2", r};
        return {};
    }

    void StartWorker()
    {
        try {
            FThread = std::thread([this] { WorkerRun(); });
            FThreaded = true;
        } catch (const std::system_error &) {
            FThreaded = false; // no thread to be had: the worker's part runs here after the first stage
        }
    }

    // The second stage: encodes whole blocks as they arrive on the tape, and at the end, unless a
    // second encoder took over the back part, the rest with a last block filled up with silence.
    void WorkerRun()
    {
        const uint64_t pieceSamples = FWorker.In.size() / 2;
        const uint64_t blockSamples = std::max<uint64_t>(FBlockBytes / 2, 1);
        for (;;) {
            uint64_t count = 0;
            bool last = false;
            {
                std::unique_lock lock(FTape.Lock);
                FTape.Changed.wait(lock, [&] {
                    return FTape.Abort || FTape.Finished || FTape.Samples() - FTape.Claimed >= blockSamples;
                });
                if (FTape.Abort) return;
                const uint64_t available = std::min(FTape.Limit, FTape.Samples()) - FTape.Claimed;
                if (FTape.Finished && FTape.Limit == NoLimit) {
                    count = std::min(available, pieceSamples);
                    last = count == available;
                } else {
                    count = std::min(available / blockSamples * blockSamples, pieceSamples);
                    if (count == 0) return; // the second encoder has the rest
                }
                if (count > 0)
                    std::memcpy(FWorker.In.data(), FTape.Bytes.data() + FTape.Claimed * 2, count * 2);
                FTape.Claimed += count;
            }
            if (TStepError e = FWorker.Convert(uint32_t(count * 2), last)) {
                Abort(e);
                FWorkerError = e;
                return;
            }
            if (last) return;
        }
    }

    TStepError Abort(TStepError error)
    {
        {
            std::lock_guard lock(FTape.Lock);
            FTape.Abort = true;
        }
        FTape.Changed.notify_all();
        return error;
    }

    void StopWorker()
    {
        if (!FThread.joinable()) return;
        if (!FTape.Finished) Abort({});
        FThread.join();
    }

    AudioCompression &FAcm;
    const WaveFormatEx &FSource;
    const WaveFormatEx &FMiddle;
    const WaveFormatEx &FDest;
    const TChunkEvent &FOnChunk;

    AcmStream FStream1 = nullptr;
    AcmStreamHeader FHeader1;
    bool FPrepared1 = false;
    std::vector<uint8_t> FSourceBuffer;
    std::vector<uint8_t> FMiddleBuffer;
    uint32_t FBlockBytes = 0; // intermediate bytes per destination block

    TTape FTape;
    TEncodeLane FWorker;
    TStepError FWorkerError;
    std::thread FThread;
    bool FThreaded = false;
};

} // namespace

TWaveFormatList::TWaveFormatList(AudioCompression &acm) : FAcm(acm)
{
    FAcm.metricsMaxFormatSize(FMaxFormatSize);
}

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

    const uint64_t start = Dest.Position();
    WaveFormatEx middle;
    middle.formatTag = WaveFormatPcm;
    middle.channels = 1;
    middle.samplesPerSec = 8000;
    const uint32_t fixed = AcmSuggestFormatTag | AcmSuggestChannels | AcmSuggestSamplesPerSec;
    if (uint32_t r = FAcm.formatSuggest(source, middle, IntermediateFormatRoom, fixed))
        return Fail("Suggest # 1", r);
    if (uint32_t r = FAcm.formatSuggest(middle, DestFormat, FMaxFormatSize, AcmSuggestFormatTag))
        return Fail("Suggest # 2", r);
    WriteHeader(Dest, DestFormat);

    uint32_t compressed = 0;
    {
        TDoubleConversion conversion(FAcm, source, middle, DestFormat, OnChunk);
        if (TStepError e = conversion.Run(Source, dataSize, Dest, compressed)) return Fail(e.Step, e.Code);
    }

    const uint32_t extraSize = uint32_t(DestFormat.extra.size());
    const uint64_t end = Dest.Position();
    Dest.Seek(start + 4);
    Dest.WriteUInt32(50 + extraSize + compressed);
    Dest.Seek(start + 46 + extraSize);
    Dest.WriteUInt32(CompressedFactValue(compressed, DestFormat.blockAlign));
    Dest.Seek(start + 54 + extraSize);
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
