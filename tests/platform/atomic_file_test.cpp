#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;
using pellimar::writeFileAtomically;

namespace {

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

struct TempDir {
    fs::path path = fs::temp_directory_path() / ("pellimar-atomic-" + std::to_string(getpid()));
    TempDir() { fs::create_directories(path); }
    ~TempDir() {
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(path);
    }
};

}  // namespace

TEST(AtomicFile, ReplacesContentAndKeepsMode) {
    TempDir dir;
    fs::path f = dir.path / "a.txt";
    ASSERT_TRUE(writeFileAtomically(f, std::string_view("first version, longer")));
    ::chmod(f.c_str(), 0640);
    ASSERT_TRUE(writeFileAtomically(f, std::string_view("second")));
    EXPECT_EQ(slurp(f), "second");
    struct stat st {};
    ::stat(f.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1);
}

TEST(AtomicFile, FailureLeavesTheOldFileWhole) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    TempDir dir;
    fs::path f = dir.path / "keep.txt";
    ASSERT_TRUE(writeFileAtomically(f, std::string_view("precious")));
    fs::permissions(dir.path, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(writeFileAtomically(f, std::string_view("replacement")));
    EXPECT_EQ(slurp(f), "precious");
}

TEST(AtomicFile, MissingFolderFails) {
    TempDir dir;
    EXPECT_FALSE(writeFileAtomically(dir.path / "no" / "such.txt", std::string_view("x")));
}

TEST(AtomicFile, WritesThroughSymbolicLinksToTheFileTheyName) {
    TempDir dir;
    fs::create_directory(dir.path / "real");
    const fs::path real = dir.path / "real" / "icon.ico";
    ASSERT_TRUE(writeFileAtomically(real, std::string_view("old")));
    ::chmod(real.c_str(), 0604);
    fs::create_symlink("real/icon.ico", dir.path / "link.ico");
    fs::create_symlink(dir.path / "link.ico", dir.path / "second.ico");  // a link to a link
    ASSERT_TRUE(writeFileAtomically(dir.path / "second.ico", std::string_view("new")));
    EXPECT_TRUE(fs::is_symlink(dir.path / "second.ico"));
    EXPECT_TRUE(fs::is_symlink(dir.path / "link.ico"));
    EXPECT_EQ(slurp(real), "new");
    struct stat st {};
    ::stat(real.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0604u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path / "real"), fs::directory_iterator()),
              1);

    // A link to a file not there yet makes it; a loop of links fails with its reason.
    fs::create_symlink("real/later.ico", dir.path / "dangling.ico");
    ASSERT_TRUE(writeFileAtomically(dir.path / "dangling.ico", std::string_view("x")));
    EXPECT_EQ(slurp(dir.path / "real" / "later.ico"), "x");
    fs::create_symlink("loop-b", dir.path / "loop-a");
    fs::create_symlink("loop-a", dir.path / "loop-b");
    errno = 0;
    EXPECT_FALSE(writeFileAtomically(dir.path / "loop-a", std::string_view("x")));
    EXPECT_EQ(errno, ELOOP);
}

TEST(AtomicFile, NamesUpToTheLongestAFileMayHave) {
    TempDir dir;
    for (std::size_t length : {247u, 248u, 250u, 255u}) {
        const fs::path f = dir.path / (std::string(length - 4, 'n') + ".ico");
        EXPECT_TRUE(writeFileAtomically(f, std::string_view("long"))) << length;
        EXPECT_EQ(slurp(f), "long") << length;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 4);
    errno = 0;
    EXPECT_FALSE(writeFileAtomically(dir.path / std::string(256, 'n'), std::string_view("x")));
    EXPECT_EQ(errno, ENAMETOOLONG);
}

// Every call of umask() in this program comes here first (the definition in the
// executable wins over the C library's), so a test can tell whether a writer
// changed the mask: with threads, another thread's new file created while the mask
// is 0 would be world-writable.
std::atomic<int> g_umaskCalls{0};
extern "C" mode_t umask(mode_t mask) {
    ++g_umaskCalls;
    return mode_t(::syscall(SYS_umask, mask));
}

TEST(AtomicFile, NeverChangesTheProcessUmask) {
    TempDir dir;
    const mode_t before = ::umask(027);
    g_umaskCalls = 0;
    ASSERT_TRUE(writeFileAtomically(dir.path / "new", std::string_view("x")));
    ASSERT_TRUE(writeFileAtomically(dir.path / "new", std::string_view("y")));
    EXPECT_EQ(g_umaskCalls, 0);
    ::umask(before);
    struct stat st {};
    ::stat((dir.path / "new").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);  // 0666 less the umask of the time
}

// A file of the process larger than its size limit: the write fails with EFBIG,
// and that reason is what comes back, after the temporary file is removed.
TEST(AtomicFile, FailureKeepsTheReasonAndLeavesNoTemporaryFile) {
    TempDir dir;
    const fs::path f = dir.path / "big.bin";
    ASSERT_TRUE(writeFileAtomically(f, std::string_view("small")));
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    errno = 0;
    const bool ok = writeFileAtomically(f, std::string(5000, 'b'));
    const int reason = errno;
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok);
    EXPECT_EQ(reason, EFBIG);
    EXPECT_EQ(slurp(f), "small");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1);
}
