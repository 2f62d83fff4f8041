// A wave device on a virtual clock, for tests: sound moves only when the test advances time.
#include "platform/audio/SimWaveDevice.h"

#include <QtEndian>

#include <cmath>

namespace platform {

// An element with the virtual stream that plays or records it.
struct SimWaveDevice::Run final : Element {
    qint64 startUs = 0;    // virtual time the stream started or continued
    qsizetype from = 0;    // playback: where it started
    qint64 framesDone = 0; // recording: frames captured since startUs
};

SimWaveDevice::SimWaveDevice() = default;

SimWaveDevice::~SimWaveDevice()
{
    closeAll();
}

void SimWaveDevice::setMicrophone(std::function<double(double)> signal)
{
    FMicrophone = std::move(signal);
}

void SimWaveDevice::failCommand(Command command, quint32 code)
{
    FFailures[command] = code;
}

quint32 SimWaveDevice::failure(Command command) const
{
    const auto it = FFailures.find(command);
    return it == FFailures.end() ? 0 : it->second;
}

int SimWaveDevice::openElements()
{
    int count = 0;
    forEachElement([&count](Element &) { ++count; });
    return count;
}

quint32 SimWaveDevice::connectDevice()
{
    return FServerAvailable ? WaveNoError : WaveDeviceNotReady;
}

std::unique_ptr<WaveDeviceBase::Element> SimWaveDevice::newElement()
{
    return std::make_unique<Run>();
}

void SimWaveDevice::advance(qint64 milliseconds)
{
    FNowUs += milliseconds * 1000;
    forEachElement([this](Element &element) { catchUp(element); });
}

void SimWaveDevice::catchUp(Element &element)
{
    auto &run = static_cast<Run &>(element);
    const WaveFormat &format = run.image.format;
    const qint64 frames = (FNowUs - run.startUs) * format.samplesPerSec / 1000000;
    if (run.state == State::Playing) {
        const qsizetype reached = run.from + frames * format.blockAlign;
        if (reached >= run.image.data.size())
            playbackEnded(run);
        else
            run.position = reached;
    } else if (run.state == State::Recording) {
        QByteArray samples;
        for (qint64 i = run.framesDone; i < frames; ++i) {
            const double t = double(run.startUs) / 1e6 + double(i) / format.samplesPerSec;
            const double v = qBound(-1.0, FMicrophone ? FMicrophone(t) : 0.0, 1.0);
            for (int c = 0; c < format.channels; ++c) {
                if (format.bitsPerSample == 8) {
                    samples.append(char(quint8(128 + std::lround(v * 127))));
                } else {
                    char le[2];
                    qToLittleEndian(qint16(std::lround(v * 32767)), le);
                    samples.append(le, 2);
                }
            }
        }
        run.framesDone = qMax(run.framesDone, frames);
        if (!samples.isEmpty()) captured(run, samples.constData(), samples.size());
    }
}

quint32 SimWaveDevice::startPlayback(Element &element)
{
    auto &run = static_cast<Run &>(element);
    run.startUs = FNowUs;
    run.from = run.position;
    return WaveNoError;
}

void SimWaveDevice::pausePlayback(Element &element)
{
    // The element is already marked paused: settle the position the playing stream reached.
    auto &run = static_cast<Run &>(element);
    const State paused = run.state;
    run.state = State::Playing;
    catchUp(run);
    if (run.state == State::Playing) run.state = paused;
}

quint32 SimWaveDevice::continuePlayback(Element &element)
{
    return startPlayback(element);
}

void SimWaveDevice::stopPlayback(Element &element)
{
    pausePlayback(element);
    element.state = State::Stopped;
}

quint32 SimWaveDevice::startCapture(Element &element)
{
    auto &run = static_cast<Run &>(element);
    run.startUs = FNowUs;
    run.framesDone = 0;
    return WaveNoError;
}

void SimWaveDevice::pauseCapture(Element &element)
{
    auto &run = static_cast<Run &>(element);
    const State paused = run.state;
    run.state = State::Recording;
    catchUp(run);
    run.state = paused;
}

quint32 SimWaveDevice::continueCapture(Element &element)
{
    return startCapture(element);
}

void SimWaveDevice::stopCapture(Element &element)
{
    pauseCapture(element);
}

namespace {
QString withNotify(QObject *notify)
{
    return notify ? QStringLiteral(" notify") : QString();
}
} // namespace

quint32 SimWaveDevice::open(const QString &element, quint32 &deviceId)
{
    FLog << QStringLiteral("open %1").arg(element);
    if (const quint32 code = failure(Command::Open)) {
        deviceId = 0;
        return code;
    }
    return WaveDeviceBase::open(element, deviceId);
}

quint32 SimWaveDevice::setFormat(quint32 deviceId, const WaveFormat &f)
{
    FLog << QStringLiteral("set %1 %2 %3 %4 %5 %6 %7")
                .arg(deviceId)
                .arg(f.formatTag)
                .arg(f.channels)
                .arg(f.samplesPerSec)
                .arg(f.avgBytesPerSec)
                .arg(f.blockAlign)
                .arg(f.bitsPerSample);
    if (const quint32 code = failure(Command::SetFormat)) return code;
    return WaveDeviceBase::setFormat(deviceId, f);
}

quint32 SimWaveDevice::record(quint32 deviceId)
{
    FLog << QStringLiteral("record %1").arg(deviceId);
    if (const quint32 code = failure(Command::Record)) return code;
    return WaveDeviceBase::record(deviceId);
}

quint32 SimWaveDevice::play(quint32 deviceId, QObject *notify)
{
    FLog << QStringLiteral("play %1").arg(deviceId) + withNotify(notify);
    if (const quint32 code = failure(Command::Play)) return code;
    return WaveDeviceBase::play(deviceId, notify);
}

quint32 SimWaveDevice::pause(quint32 deviceId, QObject *notify)
{
    FLog << QStringLiteral("pause %1").arg(deviceId) + withNotify(notify);
    if (const quint32 code = failure(Command::Pause)) return code;
    return WaveDeviceBase::pause(deviceId, notify);
}

quint32 SimWaveDevice::resume(quint32 deviceId)
{
    FLog << QStringLiteral("resume %1").arg(deviceId);
    if (const quint32 code = failure(Command::Resume)) return code;
    return WaveDeviceBase::resume(deviceId);
}

quint32 SimWaveDevice::stop(quint32 deviceId, QObject *notify)
{
    FLog << QStringLiteral("stop %1").arg(deviceId) + withNotify(notify);
    if (const quint32 code = failure(Command::Stop)) return code;
    return WaveDeviceBase::stop(deviceId, notify);
}

quint32 SimWaveDevice::save(quint32 deviceId, const QString &fileName)
{
    FLog << QStringLiteral("save %1 %2").arg(deviceId).arg(fileName);
    if (const quint32 code = failure(Command::Save)) return code;
    return WaveDeviceBase::save(deviceId, fileName);
}

quint32 SimWaveDevice::close(quint32 deviceId)
{
    FLog << QStringLiteral("close %1").arg(deviceId);
    if (const quint32 code = failure(Command::Close)) return code;
    return WaveDeviceBase::close(deviceId);
}

quint32 SimWaveDevice::playSound(const QByteArray &waveImage)
{
    FLog << QStringLiteral("sound %1").arg(waveImage.size());
    if (const quint32 code = failure(Command::PlaySound)) return code;
    WaveImage image;
    if (parseWaveImage(waveImage, image) != WaveNoError) return WaveInvalidFile;
    if (!FServerAvailable) return WaveDeviceNotReady;
    FSounds << waveImage;
    // The call returns once the sound has been heard: the clock moves on by its length.
    advance((waveDurationUs(image.format, image.data.size()) + 999) / 1000);
    return WaveNoError;
}

} // namespace platform
