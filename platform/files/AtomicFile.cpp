// Replacing a file whole or not at all.
#include "platform/files/AtomicFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

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

    std::string temporary = target + ".XXXXXX";
    const int handle = ::mkstemp(temporary.data());
    if (handle < 0) return {errno, "Cannot create a file beside", target};
    int error = ::fchmod(handle, bits) != 0 ? errno : 0;
    if (!error) error = writeAll(handle, static_cast<const char *>(data), size);
    if (!error && ::fdatasync(handle) != 0) error = errno;
    if (::close(handle) != 0 && !error) error = errno;
    if (error) {
        ::unlink(temporary.c_str());
        return {error, "Cannot write", temporary};
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
        ::unlink(temporary.c_str());
        return {error, "Cannot replace", target};
    }
    return {};
}

} // namespace platform
