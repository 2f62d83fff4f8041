// The libpulse wave device's cost: CPU use of one core while recording and while playing, and
// the time from the record command to the first captured sample. Needs a sound server: run
// bench/wavedevice.sh, which starts the private test server around it.
#include "platform/audio/PulseWaveDevice.h"
#include "platform/audio/WaveFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Ends its event loop when the play it watches has ended.
class EndWatcher : public QObject {
public:
    QEventLoop loop;
    bool event(QEvent *e) override
    {
        if (e->type() != platform::WaveNotifyEvent::eventType()) return QObject::event(e);
        loop.quit();
        return true;
    }
};

platform::PulseWaveDevice &device()
{
    static platform::PulseWaveDevice d;
    return d;
}

const platform::WaveFormat CdQuality = platform::pcmFormat(2, 44100, 16);

// Records for one second per iteration, in the best quality the program offers.
void BM_RecordOneSecond(benchmark::State &state)
{
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        quint32 id = 0;
        if (device().open(QString(), id) != 0) {
            state.SkipWithError("no sound server");
            break;
        }
        device().setFormat(id, CdQuality);
        QElapsedTimer clock;
        const double before = processCpuSeconds();
        clock.start();
        device().record(id);
        QThread::msleep(1000);
        device().stop(id, nullptr);
        wall += double(clock.nsecsElapsed()) / 1e9;
        cpu += processCpuSeconds() - before;
        qint64 bytes = 0;
        device().length(id, bytes);
        state.counters["captured_s"] = double(bytes) / CdQuality.avgBytesPerSec;
        device().close(id);
    }
    state.counters["core_pct"] = wall > 0 ? 100 * cpu / wall : 0;
}
BENCHMARK(BM_RecordOneSecond)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

// Plays two seconds of sound to its end per iteration.
void BM_PlayTwoSeconds(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("two.wav");
    platform::writeWaveFile(file, CdQuality, QByteArray(2 * CdQuality.avgBytesPerSec, '\0'));
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        quint32 id = 0;
        if (device().open(file, id) != 0) {
            state.SkipWithError("no sound server");
            break;
        }
        EndWatcher watcher;
        QElapsedTimer clock;
        const double before = processCpuSeconds();
        clock.start();
        device().play(id, &watcher);
        QTimer::singleShot(10000, &watcher.loop, &QEventLoop::quit);
        watcher.loop.exec();
        wall += double(clock.nsecsElapsed()) / 1e9;
        cpu += processCpuSeconds() - before;
        device().close(id);
    }
    state.counters["core_pct"] = wall > 0 ? 100 * cpu / wall : 0;
}
BENCHMARK(BM_PlayTwoSeconds)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

// From the record command to the first sample in the element, in each of the rates offered.
void BM_RecordToFirstSample(benchmark::State &state)
{
    const platform::WaveFormat format = platform::pcmFormat(1, quint32(state.range(0)), 16);
    for (auto _ : state) {
        quint32 id = 0;
        if (device().open(QString(), id) != 0) {
            state.SkipWithError("no sound server");
            break;
        }
        device().setFormat(id, format);
        QElapsedTimer clock;
        clock.start();
        device().record(id);
        qint64 bytes = 0;
        while (bytes == 0 && clock.elapsed() < 5000) {
            QThread::usleep(100);
            device().length(id, bytes);
        }
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        device().stop(id, nullptr);
        device().close(id);
        QThread::msleep(20);
    }
}
BENCHMARK(BM_RecordToFirstSample)
    ->Arg(8000)
    ->Arg(44100)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->UseManualTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
