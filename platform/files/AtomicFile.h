// Replacing a file whole or not at all.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// The permission bits a file gets when there is no old one to take them from.
enum class NewFileMode {
    Private,  // 0600: the user's own, as settings are
    Ordinary, // 0666 less the umask, as any new document
};

// How a replacement went: `error` is 0, or the system's error number of the step that failed,
// which `step` names ("Cannot create a file beside", "Cannot write" or "Cannot replace") for the
// file `path`.
struct ReplaceResult {
    int error = 0;
    const char *step = "";
    std::string path;
    explicit operator bool() const { return error == 0; }
};

// Replaces the file `path` with `size` bytes at `data`. They go to a new file in the same folder
// (the link's target's folder, when `path` is a symbolic link, which stays a link), are flushed
// to the disk, and that file is renamed over the old one, whose permission bits it takes. The new
// file is an unnamed one (O_TMPFILE) until the instant it is linked in under a temporary name
// "<name>.chirpel-tmp.<pid>..." and renamed, so a process killed while writing leaves nothing
// (killed in that instant, one such file); where the file system has no unnamed files it carries
// that name from the start. Every save removes such files whose writer is gone. A
// failure at any step, a full disk or a crash leaves the old file as it was. A short write counts
// as a failure: a full disk or a size limit first writes part of the data, then refuses. Uses the
// standard library only, for the tools that load no Qt.
ReplaceResult ReplaceFileAtomically(const std::string &path, const void *data, size_t size,
                                    NewFileMode mode = NewFileMode::Ordinary);

} // namespace platform
