// Standard input read into memory: whole, however it arrives, and no more than
// the cap allows.
#include "cli/input.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace pellimar::cli {
namespace {

// What readToEnd makes of `data` written into a pipe by another thread, in
// pieces, while it is read.
ReadToEnd throughAPipe(const std::vector<std::uint8_t>& data, std::uint64_t cap) {
    int ends[2];
    if (::pipe(ends) != 0) return readToEnd(-1, 0);
    std::thread writer([&] {
        for (std::size_t at = 0; at < data.size();) {
            const ssize_t n =
                ::write(ends[1], data.data() + at, std::min<std::size_t>(10000, data.size() - at));
            if (n <= 0) break;  // the reader stopped: the pipe is closed
            at += std::size_t(n);
        }
        ::close(ends[1]);
    });
    ReadToEnd read = readToEnd(ends[0], cap);
    ::close(ends[0]);
    writer.join();
    return read;
}

TEST(CliInput, APipeIsReadWholeUpToTheCapAndRefusedPastIt) {
    // A writer left with no reader gets an error, not the end of the test run.
    struct sigaction ignore {
    }, old{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &old);

    // More than a pipe holds at once, and more than one read takes.
    std::vector<std::uint8_t> data(300001);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = std::uint8_t(i * 7 + i / 251);
    const auto whole = throughAPipe(data, data.size());
    ASSERT_TRUE(whole) << messageOf(whole.failure());
    EXPECT_EQ(whole.bytes, data);

    const auto over = throughAPipe(data, data.size() - 1);
    ASSERT_FALSE(over);
    EXPECT_EQ(pellimar_failure_code(over.failure()), PELLIMAR_CAP_REACHED);
    EXPECT_EQ(pellimar_failure_cap(over.failure()), PELLIMAR_CAP_INPUT_BYTES);
    EXPECT_EQ(messageOf(over.failure()),
              "stopped at a limit: 300000 bytes read from standard input");

    const auto empty = throughAPipe({}, 0);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty.bytes.empty());

    // A descriptor that cannot be read says why.
    const auto closed = readToEnd(-1, 100);
    ASSERT_FALSE(closed);
    EXPECT_EQ(pellimar_failure_errno(closed.failure()), EBADF);
    ::sigaction(SIGPIPE, &old, nullptr);
}

}  // namespace
}  // namespace pellimar::cli
