// Reading a file that a user or another program may have put in place.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// How a guarded read went: `error` is 0, or the system's error number (EISDIR, EINVAL for a
// FIFO, socket or device, EFBIG for a file over the cap, or the error of the failed step); `what`
// is a one-line reason a person can read.
struct SafeReadResult {
    int error = 0;
    std::string what;
    explicit operator bool() const { return error == 0; }
};

// `path` in double quotes for a one-line message: control characters (a newline above all),
// backslashes and quotes are written as C escapes, so one error stays one line.
std::string QuotedPath(const std::string &path);

// Reads the whole of `path` into `data`, refusing at once anything but a regular file (a FIFO
// never blocks the caller, a device or a link to /dev/zero never fills memory) and any file over
// `maxBytes`. Symbolic links are followed to what they name. Uses the standard library only, for
// the tools that load no Qt.
SafeReadResult ReadRegularFile(const std::string &path, std::size_t maxBytes, std::string &data);

// Opens `path` for reading without blocking and checks that it is a regular file no larger than
// `maxBytes`; on success returns a descriptor in blocking mode that the caller closes, else -1
// with `result` saying why. For readers that stream a large file rather than load it.
int OpenRegularFile(const std::string &path, std::size_t maxBytes, SafeReadResult &result);

} // namespace platform
