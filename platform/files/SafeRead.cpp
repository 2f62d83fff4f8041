// Guarded reads of files that someone else may have put in place.
#include "platform/files/SafeRead.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

SafeReadResult failure(int error, const std::string &path, const char *reason)
{
    SafeReadResult r;
    r.error = error;
    r.what = QuotedPath(path) + ": " + reason;
    return r;
}

} // namespace

std::string QuotedPath(const std::string &path)
{
    static const char hex[] = "0123456789abcdef";
    std::string quoted = "\"";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (c == '\n') {
            quoted += "\\n";
        } else if (c == '\t') {
            quoted += "\\t";
        } else if (byte < 0x20 || byte == 0x7f) {
            quoted += "\\x";
            quoted += hex[byte >> 4];
            quoted += hex[byte & 15];
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

int OpenRegularFile(const std::string &path, std::size_t maxBytes, SafeReadResult &result)
{
    result = {};
    // O_NONBLOCK: opening a FIFO with no writer would otherwise wait for one for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int e = errno;
        result = failure(e, path, std::strerror(e));
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int e = errno;
        ::close(fd);
        result = failure(e, path, std::strerror(e));
        return -1;
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        result = failure(EISDIR, path, "a folder, not a file");
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        result = failure(EINVAL, path, "not a regular file");
        return -1;
    }
    if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
        ::close(fd);
        result = failure(EFBIG, path, ("larger than " + std::to_string(maxBytes) + " bytes").c_str());
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

SafeReadResult ReadRegularFile(const std::string &path, std::size_t maxBytes, std::string &data)
{
    data.clear();
    SafeReadResult result;
    const int fd = OpenRegularFile(path, maxBytes, result);
    if (fd < 0) return result;
    // The size can change after the check: read until the end, but never past the cap.
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            const int e = errno;
            ::close(fd);
            data.clear();
            return failure(e, path, std::strerror(e));
        }
        if (data.size() + static_cast<std::size_t>(n) > maxBytes) {
            ::close(fd);
            data.clear();
            return failure(EFBIG, path, ("larger than " + std::to_string(maxBytes) + " bytes").c_str());
        }
        data.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return result;
}

} // namespace platform
