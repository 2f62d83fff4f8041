// Compressing the message file: the chunked two-stage conversion, its header, its failures and packing in
// place.
#include "sound/WaveConvert.h"

#include "WaveConvertSamples.h"
#include "fakes/ForwardingCompression.h"
#include "fakes/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <mutex>
#include <set>

using namespace platform;
using samples::WaveSpec;

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

uint32_t u32At(const QByteArray &b, int at)
{
    return qFromLittleEndian<uint32_t>(b.constData() + at);
}

// The header of a packed file as the message file format lays it down, for D compressed bytes.
QByteArray expectedGsmHeader(uint32_t d)
{
    QByteArray h("RIFF", 4);
    samples::appendU32(h, 52 + d);
    h += "WAVEfmt ";
    samples::appendU32(h, 20);
    for (uint16_t v : {49, 1})
        samples::appendU16(h, v);
    samples::appendU32(h, 8000);
    samples::appendU32(h, 1625);
    for (uint16_t v : {65, 0, 2, 320})
        samples::appendU16(h, v);
    h += "fact";
    samples::appendU32(h, 4);
    samples::appendU32(h, d / 65);
    h += "data";
    samples::appendU32(h, d);
    return h;
}

struct Converted {
    bool ok = false;
    QByteArray file;
    std::vector<TChunkInfo> chunks;
    uint32_t errorCode = 0;
    std::string errorText;
    WaveFormatEx format;
};

Converted convert(const QByteArray &source, AudioCompression &acm = defaultAudioCompression())
{
    TMemoryStream in(samples::bytesOf(source));
    TMemoryStream out;
    TWaveFormatList list(acm);
    Converted c;
    list.OnChunk = [&](const TChunkInfo &chunk) { c.chunks.push_back(chunk); };
    c.format.formatTag = WaveFormatGsm610;
    c.ok = list.DoubleConvert(in, out, c.format);
    c.file = QByteArray(reinterpret_cast<const char *>(out.Bytes().data()), qsizetype(out.Bytes().size()));
    c.errorCode = list.ErrorCode();
    c.errorText = list.ErrorText();
    return c;
}

bool haveTools()
{
    return samples::run("sox", {"--version"}).exitCode == 0 &&
           samples::run("ffmpeg", {"-version"}).exitCode == 0;
}

// Speech made once for the whole suite: 20 s, 44100 Hz, 16-bit stereo, two different voices.
class WaveConvertSpeech : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = new QTemporaryDir;
        speech = dir->filePath("speech.wav");
        const QString left = dir->filePath("l.wav"), right = dir->filePath("r.wav");
        samples::run("espeak-ng", {"-v", "en-us", "-w", left,
                                   "Hello Grandma. I drew a picture of a big red dog today, and we went to "
                                   "the park after lunch. Can you come and visit us on Sunday?"});
        samples::run("espeak-ng", {"-v", "en+f3", "-w", right,
                                   "Guess what happened at school. We had a music lesson and I played the "
                                   "drum. Then it rained, so we built a tower from blocks."});
        samples::run(
            "sox", {"-M", left, right, "-r", "44100", "-b", "16", speech, "repeat", "3", "trim", "0", "20"});
    }
    static void TearDownTestSuite()
    {
        delete dir;
        dir = nullptr;
    }
    void SetUp() override
    {
        if (!haveTools() || QFileInfo(speech).size() != 44 + 3528000)
            GTEST_SKIP() << "sox, ffmpeg and espeak-ng are needed to make and check speech samples";
    }

    static inline QTemporaryDir *dir = nullptr;
    static inline QString speech;
};

} // namespace

TEST(WaveConvert, ChunksHoldWholeSourceBlocksOfAtMostOneMebibyte)
{
    EXPECT_EQ(ConversionChunkSize(3528000, 4), 1048576u);
    EXPECT_EQ(ConversionChunkSize(1048575, 4), 1048575u);
    EXPECT_EQ(ConversionChunkSize(100, 2), 100u);
    EXPECT_EQ(ConversionChunkSize(0, 2), 0u);
    EXPECT_EQ(ConversionChunkSize(5000000, 6), 1048572u);
    EXPECT_EQ(ConversionChunkSize(0xffffffff, 1), 1048576u);
}

TEST(WaveConvert, TheFactValueCountsWholeBlocks)
{
    EXPECT_EQ(CompressedFactValue(32500, 65), 500u);
    EXPECT_EQ(CompressedFactValue(130, 65), 2u);
    EXPECT_EQ(CompressedFactValue(7, 0), 7u);
}

TEST_F(WaveConvertSpeech, TwentySecondsOfStereoSpeechBecomeStandardGsm)
{
    const QByteArray source = readFile(speech);
    const Converted c = convert(source);

    ASSERT_TRUE(c.ok) << c.errorText;
    EXPECT_EQ(c.chunks.size(), 4u);
    EXPECT_EQ(c.format, gsm610Format());

    // 20 s at 8000 Hz are 160000 samples: exactly 500 blocks of 320.
    const uint32_t d = 500 * 65;
    ASSERT_EQ(c.file.size(), 60 + qsizetype(d));
    EXPECT_EQ(c.file.left(60).toHex(), expectedGsmHeader(d).toHex());
}

TEST_F(WaveConvertSpeech, SoxAndFfmpegDecodeThePackedFileAsMono8000HzOfTheSourcesDuration)
{
    const QString packed = dir->filePath("packed.wav");
    ASSERT_TRUE(QFile::copy(speech, packed));
    ASSERT_TRUE(PackWaveFile(packed.toStdString()));

    QString soxSees;
    for (const char *field : {"-t", "-e", "-r", "-c"})
        soxSees += QString::fromLatin1(samples::run("soxi", {field, packed}).out.trimmed()) + " ";
    EXPECT_EQ(soxSees, "wav GSM 8000 1 ");
    EXPECT_EQ(samples::decodedBySox(packed).size(), 160000u);

    const samples::Run probe =
        samples::run("ffprobe", {"-v", "error", "-show_entries", "stream=codec_name,sample_rate,channels",
                                 "-of", "csv=p=0", packed});
    EXPECT_EQ(probe.out.trimmed(), "gsm_ms,8000,1");
    const samples::Run decoded = samples::run("ffmpeg", {"-v", "error", "-i", packed, "-f", "s16le", "-"});
    EXPECT_EQ(decoded.out.size(), 2 * 160000);
}

TEST_F(WaveConvertSpeech, SoundsAtLeastAlmostAsCloseToTheSourceAsSoxsOwnConversion)
{
    const QString packed = dir->filePath("ours.wav"), theirs = dir->filePath("theirs.wav");
    ASSERT_TRUE(QFile::copy(speech, packed));
    ASSERT_TRUE(PackWaveFile(packed.toStdString()));
    ASSERT_EQ(samples::run("sox", {speech, "-r", "8000", "-c", "1", "-e", "gsm-full-rate", theirs}).exitCode,
              0);

    // Both channels count: a conversion that dropped one voice would fall far below sox.
    const std::vector<float> reference = samples::referenceOf(speech);
    const double ours = samples::snrDb(reference, samples::decodedBySox(packed));
    const double sox = samples::snrDb(reference, samples::decodedBySox(theirs));
    // The codec's error changes at random with the smallest change of its input, by a few
    // hundredths of a dB either way; the benchmark compares the figures closely.
    EXPECT_GT(ours, sox - 0.5) << "ours " << ours << " dB, sox " << sox << " dB";
    EXPECT_GT(ours, 8.0);
}

TEST(WaveConvert, AnEightBitMono8000HzSourceStillGoesThroughBothStages)
{
    // 1.5 s of 8-bit sound: 12000 samples, 37.5 blocks.
    const QByteArray source = samples::waveFile({.bits = 8}, samples::tone8(1.5, 8000, 440, 0.8));

    struct Counting : ForwardingCompression {
        uint32_t streamOpen(AcmStream &s, const WaveFormatEx &a, const WaveFormatEx &b, uint32_t f) override
        {
            const uint32_t r = FReal.streamOpen(s, a, b, f);
            std::lock_guard lock(m);
            opened.push_back({a, b});
            return r;
        }
        uint32_t streamConvert(AcmStream s, AcmStreamHeader &h, uint32_t f) override
        {
            std::lock_guard lock(m);
            ++converts[s];
            return FReal.streamConvert(s, h, f);
        }

        std::mutex m;
        std::vector<std::pair<WaveFormatEx, WaveFormatEx>> opened;
        std::map<AcmStream, int> converts;
    } counting;

    const Converted c = convert(source, counting);

    ASSERT_TRUE(c.ok) << c.errorText;
    ASSERT_GE(counting.opened.size(), 2u);
    const WaveFormatEx eightBit{1, 1, 8000, 8000, 1, 8, {}}, middle{1, 1, 8000, 16000, 2, 16, {}};
    EXPECT_EQ(counting.opened[0].first, eightBit);
    EXPECT_EQ(counting.opened[0].second, middle);
    EXPECT_EQ(counting.opened[1].second, gsm610Format());
    EXPECT_EQ(counting.converts.size(), 2u) << "both stages converted";
    // The half block at the end is filled up with silence, not dropped.
    EXPECT_EQ(u32At(c.file, 54 + 2), 38u * 65);
}

TEST(WaveConvert, AnEmptyDataChunkStillRunsTheLoopOnceAndGivesAnEmptyGsmFile)
{
    const Converted c = convert(samples::waveFile({.channels = 2, .rate = 44100}, QByteArray()));

    ASSERT_TRUE(c.ok) << c.errorText;
    ASSERT_EQ(c.chunks.size(), 1u);
    EXPECT_EQ(c.chunks[0].Requested, 0u);
    EXPECT_EQ(c.file.toHex(), expectedGsmHeader(0).toHex());
}

TEST(WaveConvert, ADataChunkShorterThanItsHeaderSaysConvertsWhatIsThere)
{
    // The header claims 3 s of 16-bit mono at 8000 Hz; 1 s is there.
    const QByteArray data = samples::tone16(1.0, 8000, 1, 300, 0.5);
    const Converted c = convert(samples::waveFile({.dataSize = 48000}, data));

    ASSERT_TRUE(c.ok) << c.errorText;
    ASSERT_EQ(c.chunks.size(), 1u);
    EXPECT_EQ(c.chunks[0].Requested, 48000u);
    EXPECT_EQ(c.chunks[0].Read, 16000u);
    // 8000 samples: 25 blocks.
    EXPECT_EQ(u32At(c.file, 56), 25u * 65);
    EXPECT_EQ(c.file.size(), 60 + 25 * 65);
}

TEST(WaveConvert, LongSourcesLoseNoSoundBetweenChunksOrAtTheEnd)
{
    // 8-bit mono at 11025 Hz, 3 chunks and an odd tail: the resampler's history and every
    // part of a block must reach the result. 2,500,001 samples = 226.757 s -> 1,814,059.3 at 8000 Hz.
    const uint32_t frames = 2500001;
    QByteArray data(frames, '\x80');
    for (uint32_t i = 0; i < frames; ++i)
        data[i] = char(128 + ((i / 40) % 2 ? 60 : -60));
    const Converted c = convert(samples::waveFile({.rate = 11025, .bits = 8}, data));

    ASSERT_TRUE(c.ok) << c.errorText;
    const double samples8k = frames * 8000.0 / 11025.0;
    const uint32_t blocks = u32At(c.file, 56) / 65;
    // Within one block of the source's duration, the last block filled up rather than dropped.
    EXPECT_GE(blocks * 320.0, samples8k);
    EXPECT_LT(blocks * 320.0, samples8k + 320);
}

TEST(WaveConvert, ARateBelow4000HzThatThePcmRuleAcceptsIsConverted)
{
    const Converted c = convert(samples::waveFile({.rate = 2000}, samples::tone16(1, 2000, 1, 300, 0.5)));

    ASSERT_TRUE(c.ok) << c.errorText;
    const uint32_t blocks = u32At(c.file, 56) / 65; // one second at 8000 Hz: 25 blocks of 320
    EXPECT_GE(blocks, 25u);
    EXPECT_LE(blocks, 26u);
}

TEST(WaveConvert, TheTwoLanesMeetWithoutAGapAShiftOrAClick)
{
    if (!haveTools()) GTEST_SKIP() << "sox is needed to decode";
    // 10 s of a 1 kHz tone at 44100 Hz, 8-bit mono at 11025 Hz and 16-bit stereo at an odd rate:
    // long enough for two lanes, which meet near 5.2 s (sample 41,920). A back lane off by one
    // sample at 8000 Hz would leave the tone a quarter turn out of phase from there on.
    struct Source {
        const char *name;
        QByteArray file;
    };
    const Source sources[] = {
        {"44100 Hz stereo",
         samples::waveFile({.channels = 2, .rate = 44100}, samples::tone16(10, 44100, 2, 1000, 0.5))},
        {"11025 Hz 8-bit",
         samples::waveFile({.rate = 11025, .bits = 8}, samples::tone8(10, 11025, 1000, 0.5))},
        {"11127 Hz stereo",
         samples::waveFile({.channels = 2, .rate = 11127}, samples::tone16(10, 11127, 2, 1000, 0.5))},
    };
    QTemporaryDir dir;
    for (const Source &source : sources) {
        SCOPED_TRACE(source.name);
        const QString original = dir.filePath("source.wav"), packed = dir.filePath("packed.wav");
        QFile::remove(original);
        QFile::remove(packed);
        writeFile(original, source.file);
        ASSERT_TRUE(QFile::copy(original, packed));
        ASSERT_TRUE(PackWaveFile(packed.toStdString()));

        const std::vector<float> reference = samples::referenceOf(original);
        const std::vector<float> decoded = samples::decodedBySox(packed);
        ASSERT_EQ(decoded.size(), 80000u);
        // In windows of 0.2 s: each lines up best where it is, and the one across the meeting
        // point has no more error than the worst of the others, give or take 3 dB (the codec's
        // error on a steady tone wanders by several dB on its own).
        double worst = INFINITY, acrossSnr = 0;
        for (size_t from = 1600; from + 1600 <= 78400; from += 1600) {
            double signal = 0;
            for (size_t i = from; i < from + 1600; ++i)
                signal += double(reference[i]) * reference[i];
            long bestLag = 0;
            for (long lag = -3; lag <= 3; ++lag)
                if (samples::errorEnergy(reference, decoded, lag, from, from + 1600) <
                    samples::errorEnergy(reference, decoded, bestLag, from, from + 1600))
                    bestLag = lag;
            EXPECT_EQ(bestLag, 0) << "window at " << from;
            const double snr =
                10 * std::log10(signal / samples::errorEnergy(reference, decoded, 0, from, from + 1600));
            EXPECT_GT(snr, 15.0) << "window at " << from;
            if (from <= 41000 && 41000 < from + 1600)
                acrossSnr = snr;
            else
                worst = std::min(worst, snr);
        }
        EXPECT_GT(acrossSnr, worst - 3.0)
            << "across " << acrossSnr << " dB, worst elsewhere " << worst << " dB";
    }
}

TEST(WaveConvert, ASourceThatFailsOnEitherLaneRaisesItsErrorToTheCaller)
{
    // A source in memory whose reads fail from a given byte on, as a disk error would.
    class FailingStream final : public TStream {
    public:
        FailingStream(const QByteArray &bytes, uint64_t failFrom)
            : FBytes(samples::bytesOf(bytes)), FFailFrom(failFrom)
        {
        }
        size_t Read(void *buffer, size_t count) override
        {
            const size_t n = ReadAt(FPosition, buffer, count);
            FPosition += n;
            return n;
        }
        void Write(const void *, size_t) override {}
        uint64_t Position() const override { return FPosition; }
        void Seek(uint64_t position) override { FPosition = position; }
        uint64_t Size() const override { return FBytes.Size(); }
        size_t ReadAt(uint64_t position, void *buffer, size_t count) const override
        {
            if (position + count > FFailFrom)
                throw EStreamError("Cannot read file \"chirpel.wav\": I/O error");
            return FBytes.ReadAt(position, buffer, count);
        }

    private:
        TMemoryStream FBytes;
        uint64_t FFailFrom;
        uint64_t FPosition = 0;
    };
    // 10 s of stereo: the front lane reads the first half, the back lane the second.
    const QByteArray file =
        samples::waveFile({.channels = 2, .rate = 44100}, samples::tone16(10.0, 44100, 2, 440, 0.5));
    for (uint64_t failFrom : {uint64_t(100000), uint64_t(file.size() - 1000)}) {
        FailingStream source(file, failFrom);
        TMemoryStream dest;
        WaveFormatEx format;
        format.formatTag = WaveFormatGsm610;
        TWaveFormatList list;
        EXPECT_THROW(list.DoubleConvert(source, dest, format), EStreamError) << "failing from " << failFrom;
    }
}

TEST(WaveConvert, TheResamplingStreamGivesTheSameSoundWhetherFedAtOnceOrInPieces)
{
    AudioCompression &acm = defaultAudioCompression();
    const WaveFormatEx stereo{1, 2, 44100, 176400, 4, 16, {}}, middle{1, 1, 8000, 16000, 2, 16, {}};
    QByteArray sourceBytes = samples::tone16(0.5, 44100, 2, 523, 0.6);
    sourceBytes.append(char(1)); // part of a frame at the end: never converted
    std::vector<uint8_t> source = samples::bytesOf(sourceBytes);

    auto run = [&](std::vector<uint32_t> pieces) {
        AcmStream s = nullptr;
        EXPECT_EQ(acm.streamOpen(s, stereo, middle, AcmOpenNonRealtime), AcmNoError);
        std::vector<uint8_t> in(source.size()), out;
        uint32_t room = 0;
        acm.streamSize(s, uint32_t(in.size()), room, AcmSizeSource);
        std::vector<uint8_t> dest(room);
        AcmStreamHeader h;
        h.source = in.data();
        h.sourceLength = uint32_t(in.size());
        h.destination = dest.data();
        h.destinationLength = room;
        EXPECT_EQ(acm.streamPrepareHeader(s, h), AcmNoError);
        size_t at = 0, carried = 0;
        for (size_t i = 0; i < pieces.size(); ++i) {
            std::copy_n(source.begin() + long(at), pieces[i], in.begin() + long(carried));
            at += pieces[i];
            h.sourceLength = uint32_t(carried + pieces[i]);
            const bool last = i + 1 == pieces.size();
            EXPECT_EQ(acm.streamConvert(s, h, AcmConvertBlockAlign | (last ? AcmConvertEnd : 0u)),
                      AcmNoError);
            carried = h.sourceLength - h.sourceLengthUsed;
            EXPECT_LT(carried, 4u);
            std::copy_n(in.begin() + h.sourceLengthUsed, carried, in.begin());
            out.insert(out.end(), dest.begin(), dest.begin() + h.destinationLengthUsed);
        }
        h.sourceLength = h.preparedSourceLength;
        EXPECT_EQ(acm.streamUnprepareHeader(s, h), AcmNoError);
        EXPECT_EQ(acm.streamClose(s), AcmNoError);
        return out;
    };
    const std::vector<uint8_t> whole = run({uint32_t(source.size())});
    const std::vector<uint8_t> pieces = run({1001, 4, 30003, 7, 50000, uint32_t(source.size()) - 81015});

    EXPECT_EQ(whole.size(), 2u * 4000); // exactly 0.5 s at 8000 Hz after the end
    EXPECT_EQ(pieces, whole);
}

TEST(WaveConvert, ASoundThatStopsDeadIsFollowedBySilenceNotHiss)
{
    if (!haveTools()) GTEST_SKIP() << "sox is needed to decode";
    // A tone that ends in exact digital silence: the codec on its own turns the silence into hiss
    // near -25 dBFS for half a second.
    QByteArray data = samples::tone16(0.5, 8000, 1, 300, 0.5);
    data.append(QByteArray(8000 * 2 * 3 / 2, '\0'));
    QTemporaryDir dir;
    const QString path = dir.filePath("tone.wav");
    writeFile(path, samples::waveFile({}, data));

    ASSERT_TRUE(PackWaveFile(path.toStdString()));

    const std::vector<float> decoded = samples::decodedBySox(path);
    ASSERT_EQ(decoded.size(), 16000u);
    EXPECT_LT(samples::rmsDbfs(decoded, 4160, 1600), -40.0);
    EXPECT_LT(samples::rmsDbfs(decoded, 8000, 8000), -60.0);
}

TEST(WaveConvert, AnythingButOneFactChunkBetweenFormatAndDataIsNotPcm)
{
    const QByteArray data = samples::tone16(0.2, 8000, 1, 300, 0.5);
    const Converted list = convert(samples::waveFile({.between = samples::chunk("LIST", "INFOISFT")}, data));

    EXPECT_FALSE(list.ok);
    EXPECT_EQ(list.errorText, "Source file not PCM format");
    EXPECT_EQ(list.errorCode, 1u);
    EXPECT_TRUE(list.file.isEmpty());

    QByteArray fact;
    samples::appendU32(fact, 1600);
    EXPECT_TRUE(convert(samples::waveFile({.between = samples::chunk("fact", fact)}, data)).ok);
}

struct UnsafeSource {
    const char *name;
    WaveSpec spec;
    uint32_t bytes;
};

class WaveConvertUnsafe : public testing::TestWithParam<UnsafeSource> {};

TEST_P(WaveConvertUnsafe, IsRefusedAsNotPcm)
{
    const Converted c = convert(samples::waveFile(GetParam().spec, QByteArray(GetParam().bytes, '\x01')));

    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.errorText, "Source file not PCM format");
    EXPECT_EQ(c.errorCode, 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, WaveConvertUnsafe,
    testing::Values(UnsafeSource{"block_alignment_0", {.blockAlign = 0, .avgBytes = 0}, 1 << 21},
                    UnsafeSource{"format_body_of_12_bytes", {.formatSize = 12}, 100},
                    UnsafeSource{"rate_0", {.rate = 0}, 100}, UnsafeSource{"rate_2", {.rate = 2}, 100},
                    UnsafeSource{"rate_4000000", {.rate = 4000000}, 100},
                    UnsafeSource{"no_channels", {.channels = 0}, 100},
                    UnsafeSource{"eight_channels", {.channels = 8}, 100},
                    UnsafeSource{"gsm", {.tag = 49, .bits = 0, .blockAlign = 65, .avgBytes = 1625}, 650}),
    [](const testing::TestParamInfo<UnsafeSource> &info) { return std::string(info.param.name); });

TEST(WaveConvert, AFormatTheCodecCannotReadFailsTheFirstSuggestion)
{
    // Plain PCM as far as the header goes, but 24-bit: no stream converts it.
    const Converted c = convert(samples::waveFile({.bits = 24}, QByteArray(300, '\0')));

    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.errorText, "Suggest # 1");
    EXPECT_EQ(c.errorCode, uint32_t(AcmNotPossible));
}

namespace {

enum class Op { Suggest, Open, Prepare, Convert, Unprepare, Close };

// The real services, but one step fails with a chosen result. Keeps count of streams and headers
// so that a test can see everything was released.
class FaultyCompression : public ForwardingCompression {
public:
    FaultyCompression(Op op, int which, uint32_t code) : FOp(op), FWhich(which), FCode(code) {}

    uint32_t formatSuggest(const WaveFormatEx &a, WaveFormatEx &b, uint32_t r, uint32_t f) override
    {
        if (FOp == Op::Suggest && ++FSuggests == FWhich) return FCode;
        return FReal.formatSuggest(a, b, r, f);
    }
    uint32_t streamOpen(AcmStream &s, const WaveFormatEx &a, const WaveFormatEx &b, uint32_t f) override
    {
        // Streams are told apart by their stage: the first resamples, the second encodes.
        const int stage = b.formatTag == WaveFormatPcm ? 1 : 2;
        if (FOp == Op::Open && stage == FWhich) {
            s = nullptr;
            return FCode;
        }
        const uint32_t r = FReal.streamOpen(s, a, b, f);
        std::lock_guard lock(FLock);
        if (r == AcmNoError) FIndex[s] = stage;
        return r;
    }
    uint32_t streamClose(AcmStream s) override
    {
        const uint32_t r = FReal.streamClose(s);
        std::lock_guard lock(FLock);
        if (r == AcmNoError) ++FClosed;
        return fails(Op::Close, s) ? FCode : r;
    }
    uint32_t streamPrepareHeader(AcmStream s, AcmStreamHeader &h) override
    {
        std::lock_guard lock(FLock);
        if (fails(Op::Prepare, s)) return FCode;
        const uint32_t r = FReal.streamPrepareHeader(s, h);
        if (r == AcmNoError) ++FPrepared;
        return r;
    }
    uint32_t streamUnprepareHeader(AcmStream s, AcmStreamHeader &h) override
    {
        const uint32_t r = FReal.streamUnprepareHeader(s, h);
        std::lock_guard lock(FLock);
        if (r == AcmNoError) --FPrepared;
        return fails(Op::Unprepare, s) ? FCode : r;
    }
    uint32_t streamConvert(AcmStream s, AcmStreamHeader &h, uint32_t f) override
    {
        {
            std::lock_guard lock(FLock);
            if (fails(Op::Convert, s)) return FCode;
        }
        return FReal.streamConvert(s, h, f);
    }

    int openStreams() const { return int(FIndex.size()) - FClosed; }
    int preparedHeaders() const { return FPrepared; }

private:
    bool fails(Op op, AcmStream s) const
    {
        const auto it = FIndex.find(s);
        return FOp == op && it != FIndex.end() && it->second == FWhich;
    }

    Op FOp;
    int FWhich;
    uint32_t FCode;
    std::mutex FLock;
    int FSuggests = 0;
    std::map<AcmStream, int> FIndex; // 1: first stage, 2: second stage
    int FClosed = 0;
    int FPrepared = 0;
};

struct FailingStep {
    Op op;
    int which;
    uint32_t code;
    const char *text;
};

} // namespace

class WaveConvertFailure : public testing::TestWithParam<FailingStep> {};

TEST_P(WaveConvertFailure, NamesTheStepKeepsItsResultAndReleasesEverything)
{
    const FailingStep step = GetParam();
    FaultyCompression acm(step.op, step.which, step.code);
    // 10 s of stereo 44100 Hz: two chunks, converted by two lanes at once.
    const Converted c = convert(
        samples::waveFile({.channels = 2, .rate = 44100}, samples::tone16(10.0, 44100, 2, 440, 0.5)), acm);

    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.errorText, step.text);
    EXPECT_EQ(c.errorCode, step.code);
    EXPECT_EQ(acm.openStreams(), 0);
    EXPECT_EQ(acm.preparedHeaders(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, WaveConvertFailure,
    testing::Values(FailingStep{Op::Suggest, 1, 512, "Suggest # 1"},
                    FailingStep{Op::Suggest, 2, 11, "Suggest # 2"}, FailingStep{Op::Open, 1, 7, "Open # 1"},
                    FailingStep{Op::Open, 2, 512, "Open # 2"},
                    FailingStep{Op::Prepare, 1, 11, "PrepareHeader # 1"},
                    FailingStep{Op::Prepare, 2, 7, "PrepareHeader # 2"},
                    FailingStep{Op::Convert, 1, 512, "Convert # 1"},
                    FailingStep{Op::Convert, 2, 513, "Convert # 2"},
                    FailingStep{Op::Unprepare, 1, 11, "UnPrepareHeader # 1"},
                    FailingStep{Op::Unprepare, 2, 514, "UnPrepareHeader # 2"},
                    FailingStep{Op::Close, 1, 5, "Return code Close # 1 in DoubleConvert"},
                    FailingStep{Op::Close, 2, 5, "Close # 2"}),
    [](const testing::TestParamInfo<FailingStep> &info) {
        std::string n = info.param.text;
        for (char &ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST(WaveConvert, PackingTwiceLeavesTheFileAsTheFirstPackingWroteIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("chirpel.wav");
    writeFile(path, samples::waveFile({.rate = 22050}, samples::tone16(1.0, 22050, 1, 300, 0.5)));

    ASSERT_TRUE(PackWaveFile(path.toStdString()));
    const QByteArray packed = readFile(path);
    TWaveFormatList list;
    EXPECT_FALSE(PackWaveFile(path.toStdString(), list));

    EXPECT_EQ(readFile(path), packed);
    EXPECT_EQ(list.ErrorText(), "Source file not PCM format");
    EXPECT_EQ(list.ErrorCode(), 1u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"chirpel.wav"});
}

TEST(WaveConvert, AFileThatCannotBeReadRaisesAStreamError)
{
    QTemporaryDir dir;
    EXPECT_THROW(PackWaveFile(dir.filePath("chirpel.wav").toStdString()), EStreamError);
    EXPECT_THROW(PackWaveFile(dir.path().toStdString()), EStreamError);
}

TEST(WaveConvert, ThePackToolRewritesRefusesOrCannotReadWithItsExitStatus)
{
    const QString tool = testpaths::binaryDir() + "/bin/chirpel-pack";
    if (!QFileInfo(tool).isExecutable()) GTEST_SKIP() << "chirpel-pack is not built";
    QTemporaryDir dir;
    const QString path = dir.filePath("chirpel.wav");
    writeFile(path, samples::waveFile({}, samples::tone16(0.5, 8000, 1, 300, 0.5)));

    const samples::Run first = samples::run(tool, {path});
    EXPECT_EQ(first.exitCode, 0) << first.err.constData();
    EXPECT_EQ(readFile(path).mid(20, 2), QByteArray("\x31\x00", 2));

    const samples::Run second = samples::run(tool, {path});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_TRUE(second.err.contains("Source file not PCM format (1)")) << second.err.constData();

    const samples::Run missing = samples::run(tool, {dir.filePath("gone.wav")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.err.contains("gone.wav")) << missing.err.constData();
}
