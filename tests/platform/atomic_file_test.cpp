#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/fixtures.h"

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

// On a shared machine: a link someone else put in a sticky folder everyone may
// write to is never followed (whatever the kernel's own setting), while one's own
// link there, and any link in a folder of one's own, is.
TEST(AtomicFile, LinksAreFollowedOnlyWhereTheKernelWouldFollowThem) {
    pellimar::fixtures::TempDir dir;
    const fs::path victim = dir.path() / "authorized_keys";
    ASSERT_TRUE(writeFileAtomically(victim, std::string_view("key")));
    const fs::path planted =
        pellimar::fixtures::plantLinkInSharedFolder(dir.path(), "shared", "thumb.png", victim);
    if (planted.empty()) GTEST_SKIP() << "planting another user's link takes root";

    errno = 0;
    EXPECT_FALSE(writeFileAtomically(planted, std::string_view("png")));
    EXPECT_EQ(errno, pellimar::kUntrustedLinkError);
    EXPECT_NE(pellimar::writeErrorText(errno).find("symbolic link"), std::string::npos);
    {
        pellimar::WriteBatch batch;  // refused at once, not at the commit
        EXPECT_FALSE(writeFileAtomically(planted, std::string_view("png")));
        EXPECT_TRUE(batch.commit().empty());
    }
    EXPECT_FALSE(pellimar::writeFileInPlace(planted, std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ(slurp(victim), "key");
    EXPECT_TRUE(fs::is_symlink(planted));

    // The caller's own link in the shared folder, and the other user's link moved
    // to a folder that is not sticky, are followed.
    const fs::path own = planted.parent_path() / "own.png";
    fs::create_symlink(victim, own);
    EXPECT_TRUE(writeFileAtomically(own, std::string_view("mine")));
    EXPECT_EQ(slurp(victim), "mine");
    ::chmod(planted.parent_path().c_str(), 0777);
    EXPECT_TRUE(writeFileAtomically(planted, std::string_view("open folder")));
    EXPECT_EQ(slurp(victim), "open folder");
}

// Writing in place never follows even one's own link, and replaces a longer file
// through the same inode (a reader holding it sees the new bytes).
TEST(AtomicFile, InPlaceWritesTheFileItselfAndNeverALink) {
    TempDir dir;
    const fs::path f = dir.path / "out.png";
    ASSERT_TRUE(writeFileAtomically(f, std::string_view("a much longer old content")));
    struct stat before {};
    ::stat(f.c_str(), &before);
    ASSERT_TRUE(pellimar::writeFileInPlace(f, std::vector<std::uint8_t>{'n', 'e', 'w'}));
    struct stat after {};
    ::stat(f.c_str(), &after);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(slurp(f), "new");

    fs::create_symlink(f, dir.path / "link.png");
    errno = 0;
    EXPECT_FALSE(pellimar::writeFileInPlace(dir.path / "link.png", std::vector<std::uint8_t>{1}));
    EXPECT_EQ(errno, pellimar::kLinkAtNameError);
    EXPECT_EQ(slurp(f), "new");
    errno = 0;
    EXPECT_FALSE(pellimar::writeFileInPlace(dir.path, std::vector<std::uint8_t>{1}));
    EXPECT_EQ(errno, EISDIR);
}

// A batch names its files only when it commits, all of them at once; a file that
// cannot be placed then is reported, the others are placed.
TEST(AtomicFile, ABatchPlacesItsFilesWholeAtTheCommit) {
    TempDir dir;
    fs::create_directory(dir.path / "sub");
    ASSERT_TRUE(writeFileAtomically(dir.path / "a", std::string_view("old a")));
    pellimar::WriteBatch batch;
    ASSERT_TRUE(batch.active());
    pellimar::WriteBatch inner;
    EXPECT_FALSE(inner.active());
    ASSERT_TRUE(writeFileAtomically(dir.path / "a", std::string_view("new a")));
    ASSERT_TRUE(writeFileAtomically(dir.path / "sub" / "b", std::string_view("b")));
    ASSERT_TRUE(writeFileAtomically(dir.path / "sub" / "b", std::string_view("b again")));
    ASSERT_TRUE(writeFileAtomically(dir.path / "sub" / "c", std::string_view("c")));
    EXPECT_EQ(slurp(dir.path / "a"), "old a");
    EXPECT_FALSE(fs::exists(dir.path / "sub" / "b"));
    // A folder put where a file is to go fails that file alone.
    fs::create_directory(dir.path / "sub" / "c");
    fs::create_directory(dir.path / "sub" / "c" / "inside");
    const auto failed = batch.commit();
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].target, dir.path / "sub" / "c");
    EXPECT_NE(failed[0].error, 0);
    EXPECT_EQ(slurp(dir.path / "a"), "new a");
    EXPECT_EQ(slurp(dir.path / "sub" / "b"), "b again");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path / "sub"), fs::directory_iterator()), 2);
}

// Temporaries of killed writes go when they are ours by name and owner and older
// than a minute; anything else stays.
TEST(AtomicFile, StaleTemporariesOfKilledWritesAreRemoved) {
    TempDir dir;
    const auto make = [&](const std::string& name, int ageSeconds) {
        std::ofstream(dir.path / name) << "part";
        const auto when = fs::file_time_type::clock::now() - std::chrono::seconds(ageSeconds);
        fs::last_write_time(dir.path / name, when);
    };
    make(".pellimar-0a1b2c3d4e.tmp", 120);
    make(".pellimar-zzzzzzzzzz.tmp", 5);         // may be a write under way
    make(".pellimar-0a1b2c3d4e.tmp.keep", 120);  // not our pattern
    make(".pellimar-0A1B2C3D4E.tmp", 120);
    make("icon.ico", 120);
    fs::create_directory(dir.path / ".pellimar-aaaaaaaaaa.tmp");
    EXPECT_EQ(pellimar::removeStaleTemporaries(dir.path), 1);
    EXPECT_FALSE(fs::exists(dir.path / ".pellimar-0a1b2c3d4e.tmp"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 5);
}
