// chirpel-pack FILE: compresses a message file to GSM 6.10 in place, as sending does.
#include "platform/files/SafeRead.h"
#include "sound/WaveConvert.h"

#include <cstdio>
#include <new>

// Exit status: 0 the file was rewritten; 1 the conversion refused it (the file is untouched);
// 2 the file could not be read (a FIFO, device or folder is refused at once) or its result not
// written (the file stays as it was); 64 usage. The file's name is quoted, control characters
// escaped, so that every message is one line.
int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: chirpel-pack FILE\n");
        return 64;
    }
    const std::string name = platform::QuotedPath(argv[1]);
    try {
        TWaveFormatList list;
        if (PackWaveFile(argv[1], list)) return 0;
        std::fprintf(stderr, "chirpel-pack: %s: %s (%u)\n", name.c_str(), list.ErrorText().c_str(),
                     list.ErrorCode());
        return 1;
    } catch (const EStreamError &e) {
        std::fprintf(stderr, "chirpel-pack: %s\n", e.what());
        return 2;
    } catch (const std::bad_alloc &) {
        std::fprintf(stderr, "chirpel-pack: %s: out of memory\n", name.c_str());
        return 2;
    }
}
