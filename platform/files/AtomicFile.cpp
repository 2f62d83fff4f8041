// Replacing a file whole or not at all.
#include "platform/files/AtomicFile.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// A temporary file that had to be given a name carries this between the target's name and the
// id of the process that wrote it, so that a later save can tell it and its writer.
constexpr const char *TemporaryInfix = ".chirpel-tmp.";
// A named temporary file whose writer is gone, or that has not changed for this long (its
// writer may live in another pid namespace), is left over from a crash.
constexpr time_t StaleAfterSeconds = 3600;

// Writes all of `count` bytes, going on after interruptions and partial writes; the error
// number of the write that failed, or 0.
int writeAll(int handle, const char *bytes, size_t count)
{
    while (count > 0) {
        const ssize_t n = ::write(handle, bytes, count);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : EIO;
        bytes += n;
        count -= size_t(n);
    }
    return 0;
}

mode_t ordinaryMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string folderOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A name beside `target` that no other writer uses: the process id and a counter.
std::string temporaryName(const std::string &target)
{
    static unsigned counter = 0;
    return target + TemporaryInfix + std::to_string(::getpid()) + "." + std::to_string(++counter) + "." +
           std::to_string(std::time(nullptr) & 0xffff);
}

// Removes the named temporary files of `target` that a killed writer left behind.
void removeStaleTemporaries(const std::string &target)
{
    const std::string folder = folderOf(target);
    const std::string prefix = nameOf(target) + TemporaryInfix;
    DIR *dir = ::opendir(folder.c_str());
    if (!dir) return;
    const time_t now = std::time(nullptr);
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        const pid_t writer = pid_t(std::strtol(name.c_str() + prefix.size(), nullptr, 10));
        const std::string path = folder + "/" + name;
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        const bool writerGone = writer <= 0 || (::kill(writer, 0) != 0 && errno == ESRCH);
        if (writer == ::getpid()) continue;
        if (writerGone || now - info.st_mtime > StaleAfterSeconds) ::unlink(path.c_str());
    }
    ::closedir(dir);
}

int fillAndFlush(int handle, mode_t bits, const void *data, size_t size)
{
    int error = ::fchmod(handle, bits) != 0 ? errno : 0;
    if (!error) error = writeAll(handle, static_cast<const char *>(data), size);
    if (!error && ::fdatasync(handle) != 0) error = errno;
    return error;
}

// Makes the rename itself survive a power cut; a folder that cannot be synced is no failure.
void syncFolder(const std::string &folder)
{
    const int handle = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0) return;
    ::fsync(handle);
    ::close(handle);
}

} // namespace

ReplaceResult ReplaceFileAtomically(const std::string &path, const void *data, size_t size, NewFileMode mode)
{
    // Writing next to the link's target keeps the rename on one file system and the link intact.
    std::string target = path;
    if (char *resolved = ::realpath(path.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    const mode_t bits = exists ? old.st_mode & 07777 : mode == NewFileMode::Ordinary ? ordinaryMode() : 0600;
    const std::string folder = folderOf(target);
    removeStaleTemporaries(target);

    // An unnamed file first: a process killed while writing it leaves nothing behind. It gets a
    // name only for the instant between linking it in and renaming it over the old file.
    const std::string temporary = temporaryName(target);
    int error = 0;
    bool named = false;
    int handle = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (handle >= 0) {
        error = fillAndFlush(handle, bits, data, size);
        if (!error) {
            const std::string self = "/proc/self/fd/" + std::to_string(handle);
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) == 0)
                named = true;
        }
        ::close(handle);
        if (error) return {error, "Cannot write", target};
    }
    if (!named) {
        // No unnamed files here (or no /proc to link one through): a named file, which the next
        // save removes if this process dies before it is renamed.
        handle = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (handle < 0) return {errno, "Cannot create a file beside", target};
        error = fillAndFlush(handle, bits, data, size);
        if (::close(handle) != 0 && !error) error = errno;
        if (error) {
            ::unlink(temporary.c_str());
            return {error, "Cannot write", temporary};
        }
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
        ::unlink(temporary.c_str());
        return {error, "Cannot replace", target};
    }
    syncFolder(folder);
    return {};
}

} // namespace platform
