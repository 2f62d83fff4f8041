// The read-ahead of the first windows' shape data, and work run ahead.
#include "controls/Preload.h"

#include <QFile>
#include <QThread>

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace preload {

namespace {

struct Reader {
    std::mutex lock;
    std::condition_variable ready;
    // Everything asked for; an entry stays empty until it is read (and when it cannot be read),
    // and is erased when taken.
    std::map<QString, std::optional<TWinShapeData>> shapes;
    std::map<QString, bool> done;
    std::thread thread;
    std::vector<std::thread> jobs;
};

Reader &reader()
{
    static Reader r;
    return r;
}

std::optional<TWinShapeData> readShape(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    TWinShapeData data;
    try {
        data.LoadFromBytes(file.readAll());
    } catch (const EShapeDataError &) {
        return std::nullopt;
    }
    return data;
}

} // namespace

void Start(const QStringList &shapes)
{
    Reader &r = reader();
    if (r.thread.joinable()) return;
    // Qt takes the first thread that asks which thread it is on for its main thread. Before the
    // application object exists that must be this one, not the reader, which makes Qt objects.
    QThread::currentThread();
    {
        std::lock_guard guard(r.lock);
        for (const QString &path : shapes)
            r.done.emplace(path, false);
    }
    r.thread = std::thread([shapes, &r] {
        for (const QString &path : shapes) {
            std::optional<TWinShapeData> shape = readShape(path);
            std::lock_guard guard(r.lock);
            r.shapes[path] = std::move(shape);
            r.done[path] = true;
            r.ready.notify_all();
        }
    });
}

void RunAhead(std::function<void()> job)
{
    reader().jobs.emplace_back(std::move(job));
}

std::optional<TWinShapeData> TakeShape(const QString &path)
{
    Reader &r = reader();
    std::unique_lock guard(r.lock);
    const auto asked = r.done.find(path);
    if (asked == r.done.end()) return std::nullopt;
    r.ready.wait(guard, [&] { return asked->second; });
    std::optional<TWinShapeData> result = std::move(r.shapes[path]);
    r.shapes.erase(path);
    r.done.erase(asked);
    return result;
}

void Stop()
{
    Reader &r = reader();
    if (r.thread.joinable()) r.thread.join();
    for (std::thread &job : r.jobs)
        job.join();
    r.jobs.clear();
    std::lock_guard guard(r.lock);
    r.shapes.clear();
    r.done.clear();
}

} // namespace preload
