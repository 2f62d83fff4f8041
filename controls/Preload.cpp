// The read-ahead of the first window's pictures and shape data.
#include "controls/Preload.h"

#include <QFile>

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <variant>

namespace preload {

namespace {

using Item = std::variant<std::monostate, QImage, TWinShapeData>;

struct Reader {
    std::mutex lock;
    std::condition_variable ready;
    // Everything asked for; an entry holds monostate until it is read (and stays so when it
    // cannot be read), and is erased when taken.
    std::map<QString, Item> items;
    std::map<QString, bool> done;
    std::thread thread;
};

Reader &reader()
{
    static Reader r;
    return r;
}

Item readPicture(const QString &path)
{
    QImage picture(path);
    if (picture.isNull()) return {};
    return picture;
}

Item readShape(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    TWinShapeData data;
    try {
        data.LoadFromBytes(file.readAll());
    } catch (const EShapeDataError &) {
        return {};
    }
    return data;
}

template <typename T> std::optional<T> take(const QString &path)
{
    Reader &r = reader();
    std::unique_lock guard(r.lock);
    const auto asked = r.done.find(path);
    if (asked == r.done.end()) return std::nullopt;
    r.ready.wait(guard, [&] { return asked->second; });
    std::optional<T> result;
    if (auto *value = std::get_if<T>(&r.items[path])) result = std::move(*value);
    r.items.erase(path);
    r.done.erase(asked);
    return result;
}

} // namespace

void Start(const QStringList &pictures, const QStringList &shapes)
{
    Reader &r = reader();
    if (r.thread.joinable()) return;
    {
        std::lock_guard guard(r.lock);
        for (const QStringList *list : {&pictures, &shapes})
            for (const QString &path : *list)
                r.done.emplace(path, false);
    }
    r.thread = std::thread([pictures, shapes, &r] {
        const auto publish = [&r](const QString &path, Item item) {
            std::lock_guard guard(r.lock);
            r.items[path] = std::move(item);
            r.done[path] = true;
            r.ready.notify_all();
        };
        // The outlines first: the window is built from them before any picture is drawn.
        for (const QString &path : shapes)
            publish(path, readShape(path));
        for (const QString &path : pictures)
            publish(path, readPicture(path));
    });
}

std::optional<QImage> TakePicture(const QString &path)
{
    return take<QImage>(path);
}

std::optional<TWinShapeData> TakeShape(const QString &path)
{
    return take<TWinShapeData>(path);
}

void Stop()
{
    Reader &r = reader();
    if (r.thread.joinable()) r.thread.join();
    std::lock_guard guard(r.lock);
    r.items.clear();
    r.done.clear();
}

} // namespace preload
