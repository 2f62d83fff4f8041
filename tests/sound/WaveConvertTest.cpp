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

#include <map>
#include <mutex>
#include <tuple>

using namespace platform;
using samples::readFile;
using samples::writeFile;

namespace {

uint32_t blocksOf(const QByteArray &packed) // GSM blocks in a packed file's data
{
    return qFromLittleEndian<uint32_t>(packed.constData() + 56) / 65;
}

// The header of a packed file as the message file format lays it down, for D compressed bytes.
QByteArray expectedGsmHeader(uint32_t d)
{
    QByteArray h("RIFF", 4);
    samples::put(h, 52 + d);
    h += "WAVEfmt ";
    for (uint32_t v : {20u, 0x10031u, 8000u, 1625u, 65u, 0x1400002u, 0x74636166u, 4u, d / 65, 0x61746164u, d})
        samples::put(h, v); // tag 49, 1 channel; 65, 0, 2, 320 as pairs of 16 bits; "fact", "data"
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
    TMemoryStream in(samples::bytesOf(source)), out;
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
    return samples::run("sox", {"--version"}).exitCode == 0;
}

QByteArray stereo44k(double seconds, double hz = 440)
{
    return samples::waveFile({.channels = 2, .rate = 44100}, samples::tone16(seconds, 44100, 2, hz, 0.5));
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
    static void TearDownTestSuite() { delete dir; }
    void SetUp() override
    {
        if (!haveTools() || QFileInfo(speech).size() != 44 + 3528000)
            GTEST_SKIP() << "sox and espeak-ng are needed to make and check speech samples";
    }

    static inline QTemporaryDir *dir = nullptr;
    static inline QString speech;
};

} // namespace

TEST_F(WaveConvertSpeech, TwentySecondsOfStereoSpeechBecomeStandardGsmThatSoundsAsCloseToItAsSoxsOwn)
{
    const Converted c = convert(readFile(speech));
    ASSERT_TRUE(c.ok) << c.errorText;
    EXPECT_EQ(c.chunks.size(), 4u);
    EXPECT_EQ(c.format, gsm610Format());
    const uint32_t d = 500 * 65; // 20 s at 8000 Hz are 160000 samples: exactly 500 blocks of 320
    ASSERT_EQ(c.file.size(), 60 + qsizetype(d));
    EXPECT_EQ(c.file.left(60).toHex(), expectedGsmHeader(d).toHex());

    const QString packed = dir->filePath("packed.wav");
    ASSERT_TRUE(QFile::copy(speech, packed));
    ASSERT_TRUE(PackWaveFile(packed.toStdString()));
    EXPECT_EQ(readFile(packed), c.file) << "packing in place writes what the conversion gives";
    QString soxSees;
    for (const char *field : {"-t", "-e", "-r", "-c"})
        soxSees += QString::fromLatin1(samples::run("soxi", {field, packed}).out.trimmed()) + " ";
    EXPECT_EQ(soxSees, "wav GSM 8000 1 ");

    // It sounds at least almost as close to the source as sox's own conversion. Both channels count: one
    // voice dropped would fall far below sox; so do both lanes: a back half off by one sample falls 3 dB
    // below. The codec's error wanders by hundredths of a dB.
    const QString theirs = dir->filePath("theirs.wav");
    ASSERT_EQ(samples::run("sox", {speech, "-r", "8000", "-c", "1", "-e", "gsm-full-rate", theirs}).exitCode,
              0);
    const std::vector<float> reference = samples::referenceOf(speech), ours = samples::decodedBySox(packed);
    EXPECT_EQ(ours.size(), 160000u);
    const double oursDb = samples::snrDb(reference, ours),
                 soxDb = samples::snrDb(reference, samples::decodedBySox(theirs));
    EXPECT_GT(oursDb, soxDb - 0.5) << "ours " << oursDb << " dB, sox " << soxDb << " dB";
    EXPECT_GT(oursDb, 8.0);
}

TEST(WaveConvert, EmptyShortSlowAndLongSourcesConvertWhatIsThereAndLoseNoSoundBetweenChunks)
{
    const Converted empty = convert(samples::waveFile({.channels = 2, .rate = 44100}, QByteArray()));
    ASSERT_TRUE(empty.ok) << empty.errorText;
    ASSERT_EQ(empty.chunks.size(), 1u) << "the loop runs once even for no sound";
    EXPECT_EQ(empty.chunks[0].Requested, 0u);
    EXPECT_EQ(empty.file.toHex(), expectedGsmHeader(0).toHex());

    // The header claims 3 s of 8-bit mono at 8000 Hz; 1 s (25 blocks) is there. It still goes through the
    // resampler: the codec takes 16 bits only.
    const Converted cut =
        convert(samples::waveFile({.bits = 8, .dataSize = 24000}, QByteArray(8000, '\x90')));
    ASSERT_TRUE(cut.ok) << cut.errorText;
    ASSERT_EQ(cut.chunks.size(), 1u);
    EXPECT_EQ(std::tuple(cut.chunks[0].Requested, cut.chunks[0].Read, blocksOf(cut.file), cut.file.size()),
              std::tuple(24000u, 8000u, 25u, qsizetype(60 + 25 * 65)));

    // The lowest rate the PCM rule accepts, long enough for two lanes: 5 s at 8000 Hz are 125 blocks of 320.
    const Converted slow =
        convert(samples::waveFile({.rate = MinPcmRate}, samples::tone16(5, MinPcmRate, 1, 300, 0.5)));
    ASSERT_TRUE(slow.ok) << slow.errorText;
    EXPECT_GE(blocksOf(slow.file), 125u);
    EXPECT_LE(blocksOf(slow.file), 126u);

    // 8-bit mono at 11025 Hz, 3 chunks and an odd tail: the resampler's history and every
    // part of a block must reach the result. 2,500,001 samples = 226.757 s -> 1,814,059.3 at 8000 Hz.
    const uint32_t frames = 2500001;
    QByteArray data(frames, '\x80');
    for (uint32_t i = 0; i < frames; ++i)
        data[i] = char(128 + ((i / 40) % 2 ? 60 : -60));
    const Converted c = convert(samples::waveFile({.rate = 11025, .bits = 8}, data));
    ASSERT_TRUE(c.ok) << c.errorText;
    // Within one block of the source's duration, the last block filled up rather than dropped.
    const double samples8k = frames * 8000.0 / 11025.0, blocks = blocksOf(c.file);
    EXPECT_GE(blocks * 320.0, samples8k);
    EXPECT_LT(blocks * 320.0, samples8k + 320);
}

TEST(WaveConvert, ASourceThatFailsOnEitherLaneRaisesItsErrorToTheCaller)
{
    // A source in memory whose reads fail from a given byte on, as a disk error would.
    struct FailingStream final : TStream {
        FailingStream(const QByteArray &bytes, uint64_t failFrom)
            : bytes(samples::bytesOf(bytes)), failFrom(failFrom)
        {
        }
        size_t Read(void *buffer, size_t count) override { return bytes.Read(buffer, count); } // the header
        void Write(const void *, size_t) override {}
        uint64_t Position() const override { return bytes.Position(); }
        void Seek(uint64_t to) override { bytes.Seek(to); }
        uint64_t Size() const override { return bytes.Size(); }
        size_t ReadAt(uint64_t at, void *buffer, size_t count) const override
        {
            if (at + count > failFrom) throw EStreamError("Cannot read file \"chirpel.wav\": I/O error");
            return bytes.ReadAt(at, buffer, count);
        }
        TMemoryStream bytes;
        uint64_t failFrom;
    };
    // 10 s of stereo: the front lane reads the first half, the back lane the second.
    const QByteArray file = stereo44k(10);
    for (uint64_t failFrom : {uint64_t(100000), uint64_t(file.size() - 1000)}) {
        FailingStream source(file, failFrom);
        TMemoryStream dest;
        WaveFormatEx format;
        format.formatTag = WaveFormatGsm610;
        TWaveFormatList list;
        EXPECT_THROW(list.DoubleConvert(source, dest, format), EStreamError) << "failing from " << failFrom;
    }
}

TEST(WaveConvert, UnsafeOrUnreadableSourcesAreRefusedWithTheirReason)
{
    // A longer format body and one fact chunk before the data are still PCM, read from the first data byte.
    QByteArray fact;
    samples::put(fact, 1600u);
    const QByteArray tone = samples::tone16(0.1, 8000, 1, 300, 0.5);
    const Converted withFact =
        convert(samples::waveFile({.formatSize = 20, .between = samples::chunk("fact", fact)}, tone));
    EXPECT_TRUE(withFact.ok) << withFact.errorText;
    EXPECT_EQ(withFact.file, convert(samples::waveFile({}, tone)).file);
    const std::pair<const char *, samples::WaveSpec> notPcm[] = {
        {"block alignment 0", {.blockAlign = 0, .avgBytes = 0}},
        {"rate 0", {.rate = 0}},
        {"rate just below the lowest", {.rate = MinPcmRate - 1}},
        {"rate just above the highest", {.rate = MaxPcmRate + 1}},
        {"byte rate that does not match", {.avgBytes = 8000}},
        {"no channels", {.channels = 0}},
        {"eight channels", {.channels = 8}},
        {"gsm", {.tag = 49, .bits = 0, .blockAlign = 65, .avgBytes = 1625}},
    };
    for (const auto &[name, spec] : notPcm) {
        const Converted r = convert(samples::waveFile(spec, QByteArray(1 << 21, '\x01')));
        EXPECT_FALSE(r.ok) << name;
        EXPECT_EQ(std::tuple(r.errorText, r.errorCode), std::tuple("Source file not PCM format", 1u)) << name;
        EXPECT_TRUE(r.file.isEmpty()) << name;
    }
    // Plain PCM as far as the header goes, but 24-bit: no stream converts it.
    const Converted deep = convert(samples::waveFile({.bits = 24}, QByteArray(300, '\x01')));
    EXPECT_FALSE(deep.ok);
    EXPECT_EQ(std::tuple(deep.errorText, deep.errorCode),
              std::tuple("Suggest # 1", uint32_t(AcmNotPossible)));
}

namespace {

enum class Op { Suggest, Open, Prepare, Convert, Unprepare, Close };

// The real services, but one step of one stage (1 resamples, 2 encodes) fails with a chosen result. Keeps
// count of streams and headers so that a test can see everything was released.
class FaultyCompression : public ForwardingCompression {
public:
    FaultyCompression(Op op, int which, uint32_t code) : FOp(op), FWhich(which), FCode(code) {}

    uint32_t formatSuggest(const WaveFormatEx &a, WaveFormatEx &b, uint32_t r, uint32_t f) override
    {
        return FOp == Op::Suggest && ++FSuggests == FWhich ? FCode : FReal.formatSuggest(a, b, r, f);
    }
    uint32_t streamOpen(AcmStream &s, const WaveFormatEx &a, const WaveFormatEx &b, uint32_t f) override
    {
        const int stage = b.formatTag == WaveFormatPcm ? 1 : 2;
        if (FOp == Op::Open && stage == FWhich) return s = nullptr, FCode;
        const uint32_t r = FReal.streamOpen(s, a, b, f);
        std::lock_guard lock(FLock);
        if (r == AcmNoError) FStage[s] = stage;
        return r;
    }
    uint32_t streamClose(AcmStream s) override
    {
        const uint32_t r = counted(FReal.streamClose(s), FClosed, 1);
        return fails(Op::Close, s) ? FCode : r;
    }
    uint32_t streamPrepareHeader(AcmStream s, AcmStreamHeader &h) override
    {
        return fails(Op::Prepare, s) ? FCode : counted(FReal.streamPrepareHeader(s, h), FPrepared, 1);
    }
    uint32_t streamUnprepareHeader(AcmStream s, AcmStreamHeader &h) override
    {
        const uint32_t r = counted(FReal.streamUnprepareHeader(s, h), FPrepared, -1);
        return fails(Op::Unprepare, s) ? FCode : r;
    }
    uint32_t streamConvert(AcmStream s, AcmStreamHeader &h, uint32_t f) override
    {
        return fails(Op::Convert, s) ? FCode : FReal.streamConvert(s, h, f);
    }

    int openStreams() const { return int(FStage.size()) - FClosed; }
    int preparedHeaders() const { return FPrepared; }

private:
    bool fails(Op op, AcmStream s)
    {
        std::lock_guard lock(FLock);
        const auto it = FStage.find(s);
        return FOp == op && it != FStage.end() && it->second == FWhich;
    }
    uint32_t counted(uint32_t result, int &counter, int step)
    {
        std::lock_guard lock(FLock);
        counter += result == AcmNoError ? step : 0;
        return result;
    }

    Op FOp;
    int FWhich;
    uint32_t FCode;
    std::mutex FLock;
    int FSuggests = 0, FClosed = 0, FPrepared = 0;
    std::map<AcmStream, int> FStage;
};

} // namespace

TEST(WaveConvert, AFailingStepIsNamedKeepsItsResultAndReleasesEverything)
{
    const struct {
        Op op;
        int which;
        uint32_t code;
        const char *text;
    } steps[] = {{Op::Suggest, 1, 512, "Suggest # 1"},
                 {Op::Suggest, 2, 11, "Suggest # 2"},
                 {Op::Open, 1, 7, "Open # 1"},
                 {Op::Open, 2, 512, "Open # 2"},
                 {Op::Prepare, 1, 11, "PrepareHeader # 1"},
                 {Op::Prepare, 2, 7, "PrepareHeader # 2"},
                 {Op::Convert, 1, 512, "Convert # 1"},
                 {Op::Convert, 2, 513, "Convert # 2"},
                 {Op::Unprepare, 1, 11, "UnPrepareHeader # 1"},
                 {Op::Unprepare, 2, 514, "UnPrepareHeader # 2"},
                 {Op::Close, 1, 5, "Return code Close # 1 in DoubleConvert"},
                 {Op::Close, 2, 5, "Close # 2"}};
    const QByteArray source = stereo44k(10); // two chunks, converted by two lanes at once
    for (const auto &step : steps) {
        SCOPED_TRACE(step.text);
        FaultyCompression acm(step.op, step.which, step.code);
        const Converted c = convert(source, acm);
        EXPECT_FALSE(c.ok);
        EXPECT_EQ(c.errorText, step.text);
        EXPECT_EQ(c.errorCode, step.code);
        EXPECT_EQ(acm.openStreams(), 0);
        EXPECT_EQ(acm.preparedHeaders(), 0);
    }
}

TEST(WaveConvert, PackingTwiceLeavesTheFirstPackingAndThePackToolTellsEachOutcomeByItsExitStatus)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("chirpel.wav");
    EXPECT_THROW(PackWaveFile(path.toStdString()), EStreamError);
    EXPECT_THROW(PackWaveFile(dir.path().toStdString()), EStreamError);
    // A tone that stops dead: the codec alone would decode the exact silence after it as hiss near -25 dBFS.
    const QByteArray source =
        samples::waveFile({}, samples::tone16(0.5, 8000, 1, 300, 0.5) + QByteArray(8000 * 3, '\0'));
    ASSERT_TRUE(writeFile(path, source));
    ASSERT_TRUE(PackWaveFile(path.toStdString()));
    if (haveTools()) {
        const std::vector<float> decoded = samples::decodedBySox(path);
        ASSERT_EQ(decoded.size(), 16000u);
        EXPECT_LT(samples::rmsDbfs(decoded, 4160, 1600), -40.0);
        EXPECT_LT(samples::rmsDbfs(decoded, 8000, 8000), -60.0);
    }
    const QByteArray packed = readFile(path);
    TWaveFormatList list;
    EXPECT_FALSE(PackWaveFile(path.toStdString(), list));
    EXPECT_EQ(readFile(path), packed);
    EXPECT_EQ(list.ErrorText(), "Source file not PCM format");
    EXPECT_EQ(list.ErrorCode(), 1u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"chirpel.wav"});

    const QString tool = testpaths::binaryDir() + "/bin/chirpel-pack";
    if (!QFileInfo(tool).isExecutable()) GTEST_SKIP() << "chirpel-pack is not built";
    ASSERT_TRUE(writeFile(path, source));
    const samples::Run first = samples::run(tool, {path}), second = samples::run(tool, {path}),
                       missing = samples::run(tool, {dir.filePath("gone.wav")});
    EXPECT_EQ(first.exitCode, 0) << first.err.constData();
    EXPECT_EQ(readFile(path).mid(20, 2), QByteArray("\x31\x00", 2));
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_TRUE(second.err.contains("Source file not PCM format (1)")) << second.err.constData();
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.err.contains("gone.wav")) << missing.err.constData();
}
