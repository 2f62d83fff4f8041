// Guarded reads refuse what is not a plain file at once, and cap what they read.
#include "platform/files/SafeRead.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cerrno>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

TEST(SafeRead, RefusesWhatIsNotARegularFileOrTooLargeWithoutBlocking)
{
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString();
    const std::string plain = base + "/plain", fifo = base + "/fifo", link = base + "/zero";
    std::ofstream(plain) << "hello";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", link.c_str()), 0);

    const struct {
        std::string path;
        std::size_t cap;
        int error;
        std::string data;
    } cases[] = {
        {plain, 5, 0, "hello"},   {plain, 4, EFBIG, ""},
        {fifo, 1024, EINVAL, ""}, // no writer: a blocking open would hang here
        {link, 1024, EINVAL, ""}, // a character device: a plain read would never end
        {base, 1024, EISDIR, ""}, {base + "/missing", 1024, ENOENT, ""},
    };
    for (const auto &c : cases) {
        std::string data = "stale";
        const auto result = platform::ReadRegularFile(c.path, c.cap, data);
        EXPECT_TRUE(result.error == c.error && data == c.data && result.what.empty() == (c.error == 0))
            << c.path << ": error " << result.error << ", read \"" << data << "\"";
    }
}
