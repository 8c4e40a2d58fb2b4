#include "platform/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/fixtures.h"

namespace fs = std::filesystem;
namespace fx = pellimar::fixtures;
using pellimar::Fault;
using pellimar::Placed;
using pellimar::Replace;
using pellimar::writeFile;
using pellimar::writeFileInPlace;
using pellimar::WriteOptions;

namespace {

constexpr unsigned kOther = 1001;

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

struct stat statOf(const fs::path& p) {
    struct stat st {};
    ::lstat(p.c_str(), &st);
    return st;
}

std::size_t entries(const fs::path& dir) {
    return std::size_t(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

}  // namespace

TEST(AtomicFile, ReplacesContentAndKeepsTheCallersMode) {
    TempDir dir;
    fs::path f = dir.path / "a.txt";
    ASSERT_TRUE(writeFile(f, std::string_view("first version, longer")));
    ::chmod(f.c_str(), 0640);
    const auto placed = writeFile(f, std::string_view("second"));
    ASSERT_TRUE(placed);
    EXPECT_EQ(*placed, Placed::Written);
    EXPECT_EQ(slurp(f), "second");
    EXPECT_EQ(statOf(f).st_mode & 07777, 0640u);
    EXPECT_EQ(entries(dir.path), 1u);
    // Never set-user-ID: new bytes are not the program that was given the bit.
    ::chmod(f.c_str(), 04750);
    ASSERT_TRUE(writeFile(f, std::string_view("third")));
    EXPECT_EQ(statOf(f).st_mode & 07777, 0750u);
}

// A file another user left at the name gives nothing of its own to the file that
// replaces it: the new one is the caller's, 0666 less the umask.
TEST(AtomicFile, AFileAnotherUserLeftGivesItsModeToNothing) {
    if (!fx::canActAsOthers()) GTEST_SKIP() << "giving a file to another user takes root";
    TempDir dir;
    const fs::path f = dir.path / "app.dll-0.ico";
    for (const bool inPlace : {false, true}) {
        ASSERT_TRUE(writeFile(f, std::string_view("theirs")));
        ASSERT_EQ(::chown(f.c_str(), kOther, kOther), 0);
        ASSERT_EQ(::chmod(f.c_str(), 06777), 0);
        const mode_t before = ::umask(022);
        const bool ok = inPlace ? bool(writeFileInPlace(f, bytesOf("ours")))
                                : bool(writeFile(f, std::string_view("ours")));
        ::umask(before);
        ASSERT_TRUE(ok) << inPlace;
        const struct stat st = statOf(f);
        EXPECT_EQ(st.st_mode & 07777, 0644u) << inPlace;
        EXPECT_EQ(st.st_uid, ::geteuid()) << inPlace;
        EXPECT_EQ(slurp(f), "ours") << inPlace;
    }
}

// A write that fails leaves the old file as it was. Root may write into a
// read-only folder, so the write is made as another user where the test runs
// as root.
TEST(AtomicFile, FailureLeavesTheOldFileWhole) {
    TempDir dir;
    const fs::path f = dir.path / "keep.txt";
    const auto attempt = [&]() -> int {
        if (!writeFile(f, std::string_view("precious"))) return 1;
        fs::permissions(dir.path, fs::perms::owner_read | fs::perms::owner_exec);
        const auto replaced = writeFile(f, std::string_view("replacement"));
        if (replaced || replaced.failure().error != EACCES) return 2;
        return slurp(f) == "precious" ? 0 : 3;
    };
    if (!fx::canActAsOthers()) {
        EXPECT_EQ(attempt(), 0);
        return;
    }
    ASSERT_EQ(::chown(dir.path.c_str(), kOther, kOther), 0);
    EXPECT_EQ(fx::runAs(kOther, attempt), 0);
}

TEST(AtomicFile, MissingFoldersFailOrAreMadeWhenAskedFor) {
    TempDir dir;
    const auto missing = writeFile(dir.path / "no" / "such.txt", std::string_view("x"));
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.failure().fault, Fault::WriteFailed);
    EXPECT_EQ(missing.failure().error, ENOENT);
    EXPECT_FALSE(fs::exists(dir.path / "no"));
    const mode_t before = ::umask(027);
    const auto made = writeFile(dir.path / "no" / "such" / "x.txt", std::string_view("x"),
                                {.createFolders = true});
    ::umask(before);
    ASSERT_TRUE(made);
    EXPECT_EQ(slurp(dir.path / "no" / "such" / "x.txt"), "x");
    EXPECT_EQ(statOf(dir.path / "no" / "such").st_mode & 07777, 0750u);
    // A file where a folder is to be is no folder.
    const auto through = writeFile(dir.path / "no" / "such" / "x.txt" / "y", std::string_view("x"),
                                   {.createFolders = true});
    ASSERT_FALSE(through);
    EXPECT_EQ(through.failure().error, ENOTDIR);
}

// Every folder of a deep path is made, however many are missing.
TEST(AtomicFile, MakesManyMissingFoldersInOneWrite) {
    TempDir dir;
    fs::path deep = dir.path;
    for (int i = 0; i < 12; ++i) deep /= "d" + std::to_string(i);
    const auto written = writeFile(deep / "x.txt", std::string_view("x"), {.createFolders = true});
    ASSERT_TRUE(written) << written.failure().message();
    EXPECT_EQ(slurp(deep / "x.txt"), "x");
    const auto opened = pellimar::OutputFolder::open(
        deep / "e" / "f" / "g" / "h" / "i" / "j" / "k" / "l" / "m" / "n", true);
    ASSERT_TRUE(opened) << opened.failure().message();
    EXPECT_TRUE(fs::is_directory(deep / "e" / "f" / "g" / "h" / "i" / "j" / "k" / "l" / "m" / "n"));
}

// Every call of mkdirat() in this program comes here (the definition in the
// executable wins over the C library's). While g_vanishingFolder is set, a folder
// made under that name is gone again at once, as though someone removed each one
// the writer made.
const char* g_vanishingFolder = nullptr;
extern "C" int mkdirat(int dirfd, const char* path, mode_t mode) {
    const int made = int(::syscall(SYS_mkdirat, dirfd, path, mode));
    if (made == 0 && g_vanishingFolder && std::strcmp(path, g_vanishingFolder) == 0)
        ::syscall(SYS_unlinkat, dirfd, path, AT_REMOVEDIR);
    return made;
}

// A folder that keeps going as soon as it is made: the write gives up after a
// few tries, with a reason, and nothing of it is left.
TEST(AtomicFile, AFolderThatKeepsVanishingFailsWithAReason) {
    TempDir dir;
    g_vanishingFolder = "vanishing";
    const auto written = writeFile(dir.path / "made" / "vanishing" / "x.txt", std::string_view("x"),
                                   {.createFolders = true});
    const auto opened = pellimar::OutputFolder::open(dir.path / "vanishing", true);
    g_vanishingFolder = nullptr;
    ASSERT_FALSE(written);
    EXPECT_EQ(written.failure().fault, Fault::WriteFailed);
    EXPECT_EQ(written.failure().error, EAGAIN);
    EXPECT_EQ(pellimar::writeFailureReason(written.failure()), std::strerror(EAGAIN));
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.failure().error, EAGAIN);
    EXPECT_EQ(entries(dir.path / "made"), 0u);
}

// A name that names no file is refused as such, not written under a name made up.
TEST(AtomicFile, ANameWithoutAFileNameIsRefused) {
    TempDir dir;
    for (const fs::path& name : {fs::path("/"), dir.path / "", dir.path / ".", dir.path / ".."}) {
        const auto r = writeFile(name, std::string_view("x"));
        ASSERT_FALSE(r) << name;
        EXPECT_EQ(r.failure().fault, Fault::NoFileName) << name;
        EXPECT_EQ(pellimar::writeFailureReason(r.failure()), "There is no file name in it");
        EXPECT_FALSE(writeFileInPlace(name, bytesOf("x"))) << name;
    }
    EXPECT_EQ(entries(dir.path), 0u);
}

TEST(AtomicFile, WritesThroughTheCallersOwnLinksToTheFileTheyName) {
    TempDir dir;
    fs::create_directory(dir.path / "real");
    const fs::path real = dir.path / "real" / "icon.ico";
    ASSERT_TRUE(writeFile(real, std::string_view("old")));
    ::chmod(real.c_str(), 0604);
    fs::create_symlink("real/icon.ico", dir.path / "link.ico");
    fs::create_symlink(dir.path / "link.ico", dir.path / "second.ico");  // a link to a link
    ASSERT_TRUE(writeFile(dir.path / "second.ico", std::string_view("new")));
    EXPECT_TRUE(fs::is_symlink(dir.path / "second.ico"));
    EXPECT_TRUE(fs::is_symlink(dir.path / "link.ico"));
    EXPECT_EQ(slurp(real), "new");
    EXPECT_EQ(statOf(real).st_mode & 0777, 0604u);
    EXPECT_EQ(entries(dir.path / "real"), 1u);

    // A link to a file not there yet makes it; a link to a folder on the way is
    // followed; a loop of links fails with its reason.
    fs::create_symlink("real/later.ico", dir.path / "dangling.ico");
    ASSERT_TRUE(writeFile(dir.path / "dangling.ico", std::string_view("x")));
    EXPECT_EQ(slurp(dir.path / "real" / "later.ico"), "x");
    fs::create_symlink("real", dir.path / "folder");
    ASSERT_TRUE(writeFile(dir.path / "folder" / "via.ico", std::string_view("v")));
    EXPECT_EQ(slurp(dir.path / "real" / "via.ico"), "v");
    fs::create_symlink("loop-b", dir.path / "loop-a");
    fs::create_symlink("loop-a", dir.path / "loop-b");
    const auto loop = writeFile(dir.path / "loop-a", std::string_view("x"));
    ASSERT_FALSE(loop);
    EXPECT_EQ(loop.failure().error, ELOOP);
}

// The system's own links are root's in folders only root may write to: a name
// through them is reached (as /bin -> usr/bin of a merged /usr).
TEST(AtomicFile, RootsLinksInRootsFoldersAreFollowed) {
    TempDir dir;
    fs::create_directories(dir.path / "usr" / "bin");
    fs::create_symlink("usr/bin", dir.path / "bin");
    ASSERT_TRUE(writeFile(dir.path / "bin" / "x", std::string_view("x")));
    EXPECT_EQ(slurp(dir.path / "usr" / "bin" / "x"), "x");
    for (const char* system : {"/bin", "/var/run", "/lib"}) {
        std::error_code ec;
        if (!fs::is_symlink(system, ec)) continue;
        const auto folder = pellimar::OutputFolder::open(system, false);
        EXPECT_TRUE(folder) << system << ": " << folder.failure().message();
    }
}

TEST(AtomicFile, NamesUpToTheLongestAFileMayHave) {
    TempDir dir;
    for (std::size_t length : {247u, 248u, 250u, 255u}) {
        const fs::path f = dir.path / (std::string(length - 4, 'n') + ".ico");
        EXPECT_TRUE(writeFile(f, std::string_view("long"))) << length;
        EXPECT_EQ(slurp(f), "long") << length;
    }
    EXPECT_EQ(entries(dir.path), 4u);
    const auto tooLong = writeFile(dir.path / std::string(256, 'n'), std::string_view("x"));
    ASSERT_FALSE(tooLong);
    EXPECT_EQ(tooLong.failure().error, ENAMETOOLONG);
}

// Every call of fstatat() in this program comes here. While g_linkSize is set,
// each symbolic link is said to be of that size, as some file systems misstate it.
std::atomic<off_t> g_linkSize{0};
extern "C" int fstatat(int dirfd, const char* path, struct stat* st, int flags) {
    const int got = int(::syscall(SYS_newfstatat, dirfd, path, st, flags));
    if (got == 0 && g_linkSize != 0 && S_ISLNK(st->st_mode)) st->st_size = g_linkSize;
    return got;
}

// A link is read by what it holds, not by the size its file system gives it.
TEST(AtomicFile, LinksOfAnySizeTheFileSystemStatesAreRead) {
    TempDir dir;
    fs::create_directory(dir.path / "real");
    fs::create_symlink("real", dir.path / "folder");
    fs::create_symlink("real/icon.ico", dir.path / "icon.ico");
    for (const off_t size : {off_t(1) << 62, off_t(1)}) {
        g_linkSize = size;
        const auto onTheWay = writeFile(dir.path / "folder" / "a.ico", std::string_view("a"));
        const auto atName = writeFile(dir.path / "icon.ico", std::string_view("b"));
        g_linkSize = 0;
        EXPECT_TRUE(onTheWay) << size << ": " << onTheWay.failure().message();
        EXPECT_TRUE(atName) << size << ": " << atName.failure().message();
    }
    EXPECT_EQ(slurp(dir.path / "real" / "a.ico"), "a");
    EXPECT_EQ(slurp(dir.path / "real" / "icon.ico"), "b");
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
    ASSERT_TRUE(writeFile(dir.path / "new", std::string_view("x")));
    ASSERT_TRUE(writeFile(dir.path / "new", std::string_view("y")));
    ASSERT_TRUE(writeFileInPlace(dir.path / "new", bytesOf("z")));
    EXPECT_EQ(g_umaskCalls, 0);
    ::umask(before);
    EXPECT_EQ(statOf(dir.path / "new").st_mode & 0777, 0640u);  // 0666 less the umask of the time
}

// A file of the process larger than its size limit: the write fails with EFBIG,
// and that reason is what comes back, after the temporary file is removed.
TEST(AtomicFile, FailureKeepsTheReasonAndLeavesNoTemporaryFile) {
    TempDir dir;
    const fs::path f = dir.path / "big.bin";
    ASSERT_TRUE(writeFile(f, std::string_view("small")));
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto written = writeFile(f, std::string(5000, 'b'));
    // In place, room is reserved before any byte changes.
    const auto inPlace = writeFileInPlace(f, std::vector<std::uint8_t>(5000, 'c'));
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    ASSERT_FALSE(written);
    EXPECT_EQ(written.failure().error, EFBIG);
    EXPECT_EQ(pellimar::writeFailureReason(written.failure()), std::strerror(EFBIG));
    ASSERT_FALSE(inPlace);
    EXPECT_EQ(inPlace.failure().error, EFBIG);
    EXPECT_EQ(slurp(f), "small");
    EXPECT_EQ(entries(dir.path), 1u);
}

// "Never replace" is a way of placing, not a look made before: a file that comes
// to the name at any moment before the new one takes it is kept, and said to be.
TEST(AtomicFile, NeverReplaceKeepsAFileThatCameAtAnyMoment) {
    TempDir dir;
    const WriteOptions never{.replace = Replace::Never};
    auto placed = writeFile(dir.path / "free", std::string_view("new"), never);
    ASSERT_TRUE(placed);
    EXPECT_EQ(*placed, Placed::Written);
    placed = writeFile(dir.path / "free", std::string_view("newer"), never);
    ASSERT_TRUE(placed);
    EXPECT_EQ(*placed, Placed::Kept);
    EXPECT_EQ(slurp(dir.path / "free"), "new");

    // A file made between the write and its placement, in a batch and alone.
    {
        pellimar::WriteBatch batch;
        placed = writeFile(dir.path / "late", std::string_view("ours"), never);
        ASSERT_TRUE(placed);
        EXPECT_EQ(*placed, Placed::Pending);
        ASSERT_TRUE(writeFile(dir.path / "other", std::string_view("o"), never));
        std::ofstream(dir.path / "late") << "theirs";
        const auto outcomes = batch.commit();
        ASSERT_EQ(outcomes.size(), 2u);
        EXPECT_EQ(outcomes[0].target, dir.path / "late");
        ASSERT_TRUE(outcomes[0].placed);
        EXPECT_EQ(*outcomes[0].placed, Placed::Kept);
        ASSERT_TRUE(outcomes[1].placed);
        EXPECT_EQ(*outcomes[1].placed, Placed::Written);
    }
    EXPECT_EQ(slurp(dir.path / "late"), "theirs");
    static fs::path appearing;
    appearing = dir.path / "racing";
    for (const auto durability : {pellimar::Durability::Synced, pellimar::Durability::Scratch}) {
        fs::remove(appearing);
        pellimar::setWriteStepHook([](std::uint64_t step) {
            if (step == 1) std::ofstream(appearing) << "theirs";
        });
        placed = writeFile(appearing, std::string_view("ours"),
                           {.durability = durability, .replace = Replace::Never});
        pellimar::setWriteStepHook(nullptr);
        ASSERT_TRUE(placed);
        EXPECT_EQ(*placed, Placed::Kept);
        EXPECT_EQ(slurp(appearing), "theirs");
    }
    // No temporary is left of the files kept.
    for (const auto& e : fs::directory_iterator(dir.path))
        EXPECT_FALSE(pellimar::isTemporaryName(e.path().filename().string())) << e.path();
}

// Where the file system has no unnamed files, the files go under hidden
// temporary names: replacing, never replacing, batches and writing in place all
// hold as they do with unnamed files, and no temporary is left.
TEST(AtomicFile, WithoutUnnamedFilesTemporaryNamesServeTheSameWay) {
    TempDir dir;
    pellimar::setUnnamedFilesAllowed(false);
    const WriteOptions never{.replace = Replace::Never};
    auto placed = writeFile(dir.path / "a", std::string_view("first"));
    ASSERT_TRUE(placed);
    ::chmod((dir.path / "a").c_str(), 0640);
    ASSERT_TRUE(writeFile(dir.path / "a", std::string_view("second")));
    EXPECT_EQ(statOf(dir.path / "a").st_mode & 0777, 0640u);
    placed = writeFile(dir.path / "a", std::string_view("third"), never);
    ASSERT_TRUE(placed);
    EXPECT_EQ(*placed, Placed::Kept);
    placed = writeFile(dir.path / "b", std::string_view("b"), never);
    ASSERT_TRUE(placed);
    EXPECT_EQ(*placed, Placed::Written);
    {
        pellimar::WriteBatch batch;
        ASSERT_TRUE(writeFile(dir.path / "c", std::string_view("c"), never));
        std::ofstream(dir.path / "c") << "theirs";
        ASSERT_TRUE(writeFile(dir.path / "a", std::string_view("fourth")));
        const auto outcomes = batch.commit();
        ASSERT_EQ(outcomes.size(), 2u);
        EXPECT_EQ(*outcomes[0].placed, Placed::Kept);
        EXPECT_EQ(*outcomes[1].placed, Placed::Written);
    }
    ASSERT_TRUE(writeFileInPlace(dir.path / "d", bytesOf("d")));
    pellimar::setUnnamedFilesAllowed(true);
    EXPECT_EQ(slurp(dir.path / "a"), "fourth");
    EXPECT_EQ(slurp(dir.path / "b"), "b");
    EXPECT_EQ(slurp(dir.path / "c"), "theirs");
    EXPECT_EQ(slurp(dir.path / "d"), "d");
    EXPECT_EQ(entries(dir.path), 4u);  // no temporary left
}

// Writing in place never follows a link, not even the caller's own, and writes
// the caller's own file through the same inode (a reader holding it sees the new
// bytes); any other file is replaced by a rename, never written through.
TEST(AtomicFile, InPlaceWritesOnlyTheCallersOwnFileThroughItself) {
    TempDir dir;
    const fs::path f = dir.path / "out.png";
    ASSERT_TRUE(writeFile(f, std::string_view("a much longer old content")));
    const ino_t inode = statOf(f).st_ino;
    ASSERT_TRUE(writeFileInPlace(f, bytesOf("new")));
    EXPECT_EQ(statOf(f).st_ino, inode);
    EXPECT_EQ(slurp(f), "new");

    fs::create_symlink(f, dir.path / "link.png");
    const auto link = writeFileInPlace(dir.path / "link.png", bytesOf("x"));
    ASSERT_FALSE(link);
    EXPECT_EQ(link.failure().fault, Fault::LinkAtName);
    EXPECT_EQ(pellimar::writeFailureReason(link.failure()),
              "It is a symbolic link; this file is never written through one");
    EXPECT_EQ(slurp(f), "new");
    const auto folder = writeFileInPlace(dir.path, bytesOf("x"));
    ASSERT_FALSE(folder);
    EXPECT_EQ(folder.failure().error, EISDIR);

    // A second link to the file (someone's hard link to a file of the caller's):
    // the name gets a file of its own; the other link keeps the old bytes.
    fs::create_hard_link(f, dir.path / "other-link");
    ASSERT_TRUE(writeFileInPlace(f, bytesOf("own")));
    EXPECT_EQ(slurp(f), "own");
    EXPECT_EQ(slurp(dir.path / "other-link"), "new");
    EXPECT_EQ(statOf(f).st_nlink, 1u);

    // No file at the name: made whole, of the caller's umask.
    const mode_t before = ::umask(077);
    ASSERT_TRUE(writeFileInPlace(dir.path / "fresh.png", bytesOf("fresh")));
    ::umask(before);
    EXPECT_EQ(slurp(dir.path / "fresh.png"), "fresh");
    EXPECT_EQ(statOf(dir.path / "fresh.png").st_mode & 0777, 0600u);

    if (!fx::canActAsOthers()) return;
    // Another user's file, and the caller's own file in a folder someone else may
    // write to: replaced, not written through.
    ASSERT_EQ(::chown(f.c_str(), kOther, kOther), 0);
    fs::create_hard_link(f, dir.path / "their-link");
    ASSERT_EQ(::unlink((dir.path / "other-link").c_str()), 0);
    ASSERT_TRUE(writeFileInPlace(f, bytesOf("mine now")));
    EXPECT_EQ(statOf(f).st_uid, ::geteuid());
    EXPECT_EQ(slurp(dir.path / "their-link"), "own");
    const fs::path open = dir.path / "open";
    fx::makeFolderOf(open, kOther, 0777);
    ASSERT_TRUE(writeFile(open / "t.png", std::string_view("old")));
    const ino_t before2 = statOf(open / "t.png").st_ino;
    ASSERT_TRUE(writeFileInPlace(open / "t.png", bytesOf("new")));
    EXPECT_NE(statOf(open / "t.png").st_ino, before2);
    EXPECT_EQ(slurp(open / "t.png"), "new");
}

// Every call of close() in this program comes here. While g_lateWriteError is
// set, a file open for writing is closed and then said not to be: the error NFS
// gives for a write that failed after write() returned.
std::atomic<bool> g_lateWriteError{false};
extern "C" int close(int fd) {
    const int flags = g_lateWriteError ? ::fcntl(fd, F_GETFL) : -1;
    const int closed = int(::syscall(SYS_close, fd));
    if (closed == 0 && flags >= 0 && (flags & O_ACCMODE) == O_WRONLY) {
        errno = EIO;
        return -1;
    }
    return closed;
}

// A write error that only the close of the new file tells fails the write, however
// the file goes to its name, unnamed or under a temporary name.
TEST(AtomicFile, AnErrorOnlyTheCloseTellsFailsTheWrite) {
    TempDir dir;
    const fs::path shared = dir.path / "shared.png";  // two links: replaced, not written in place
    ASSERT_TRUE(writeFile(shared, std::string_view("old")));
    fs::create_hard_link(shared, dir.path / "other-link");
    for (const bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed ? "unnamed files" : "temporary names");
        pellimar::setUnnamedFilesAllowed(unnamed);
        g_lateWriteError = true;
        const auto scratch = writeFile(dir.path / "scratch", std::string_view("s"),
                                       {.durability = pellimar::Durability::Scratch});
        const auto synced = writeFile(dir.path / "synced", std::string_view("s"));
        const auto fresh = writeFileInPlace(dir.path / "fresh.png", bytesOf("new"));
        const auto replaced = writeFileInPlace(shared, bytesOf("new"));
        g_lateWriteError = false;
        pellimar::setUnnamedFilesAllowed(true);
        ASSERT_FALSE(scratch);
        EXPECT_EQ(scratch.failure().error, EIO);
        ASSERT_FALSE(synced);
        EXPECT_EQ(synced.failure().error, EIO);
        ASSERT_FALSE(fresh);
        EXPECT_EQ(fresh.failure().error, EIO);
        ASSERT_FALSE(replaced);
        EXPECT_EQ(replaced.failure().error, EIO);
        fs::remove(dir.path / "scratch");
        fs::remove(dir.path / "synced");
        fs::remove(dir.path / "fresh.png");
    }
    // The file of two links was not written through.
    EXPECT_EQ(slurp(dir.path / "other-link"), "old");
}

namespace {

// From now on, this process's file systems cannot reserve room: fallocate() fails
// as it does on NFS before 4.2 and many FUSE ones. False where the system
// refuses the filter.
bool withoutRoomReservation() {
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_fallocate, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EOPNOTSUPP),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

}  // namespace

// Where no room can be reserved, the caller's own file is still written through
// itself, whether the new bytes are fewer or more than the old.
TEST(AtomicFile, InPlaceWritesWhereTheFileSystemCannotReserveRoom) {
    TempDir dir;
    const fs::path f = dir.path / "thumb.png";
    ASSERT_TRUE(writeFile(f, std::string_view("the old picture, long")));
    const ino_t inode = statOf(f).st_ino;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (!withoutRoomReservation()) ::_exit(2);
        for (const char* text : {"new", "a newer picture, longer than the old one"}) {
            const auto written = writeFileInPlace(f, bytesOf(text));
            if (!written) {
                std::fprintf(stderr, "%s\n",
                             pellimar::writeFailureReason(written.failure()).c_str());
                ::_exit(1);
            }
        }
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "this system refuses a seccomp filter";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(slurp(f), "a newer picture, longer than the old one");
    EXPECT_EQ(statOf(f).st_ino, inode);
}

// A batch names its files only when it commits, all of them at once; a file that
// cannot be placed then is reported with why, the others are placed.
TEST(AtomicFile, ABatchPlacesItsFilesWholeAtTheCommit) {
    TempDir dir;
    fs::create_directory(dir.path / "sub");
    ASSERT_TRUE(writeFile(dir.path / "a", std::string_view("old a")));
    pellimar::WriteBatch batch;
    ASSERT_TRUE(batch.active());
    pellimar::WriteBatch inner;
    EXPECT_FALSE(inner.active());
    for (const auto& [name, text] : std::vector<std::pair<fs::path, std::string>>{
             {"a", "new a"}, {"sub/b", "b"}, {"sub/b", "b again"}, {"sub/c", "c"}}) {
        const auto placed = writeFile(dir.path / name, text);
        ASSERT_TRUE(placed);
        EXPECT_EQ(*placed, Placed::Pending);
    }
    EXPECT_EQ(slurp(dir.path / "a"), "old a");
    EXPECT_FALSE(fs::exists(dir.path / "sub" / "b"));
    // A folder put where a file is to go fails that file alone.
    fs::create_directory(dir.path / "sub" / "c");
    fs::create_directory(dir.path / "sub" / "c" / "inside");
    const auto outcomes = batch.commit();
    ASSERT_EQ(outcomes.size(), 3u);
    EXPECT_EQ(outcomes[0].target, dir.path / "a");
    EXPECT_TRUE(outcomes[0].placed);
    EXPECT_EQ(outcomes[1].target, dir.path / "sub" / "b");
    EXPECT_TRUE(outcomes[1].placed);
    EXPECT_EQ(outcomes[2].target, dir.path / "sub" / "c");
    ASSERT_FALSE(outcomes[2].placed);
    EXPECT_NE(outcomes[2].placed.failure().error, 0);
    EXPECT_EQ(slurp(dir.path / "a"), "new a");
    EXPECT_EQ(slurp(dir.path / "sub" / "b"), "b again");
    EXPECT_EQ(entries(dir.path / "sub"), 2u);
    EXPECT_TRUE(batch.commit().empty());
}

// A batch that holds kMaxPending files places them on its own, so that no more
// are held open; the files after them wait for the commit, which tells the
// outcome of every one.
TEST(AtomicFile, ABatchPlacesWhatItHoldsOnItsOwnWhenFull) {
    TempDir dir;
    constexpr std::size_t kFull = pellimar::WriteBatch::kMaxPending;
    const auto name = [&](std::size_t i) { return dir.path / ("f" + std::to_string(i)); };
    pellimar::WriteBatch batch;
    for (std::size_t i = 0; i <= kFull; ++i) {
        const auto placed = writeFile(name(i), std::to_string(i));
        ASSERT_TRUE(placed) << i;
        EXPECT_EQ(*placed, Placed::Pending) << i;
    }
    for (const std::size_t i : {std::size_t(0), kFull - 1})
        EXPECT_EQ(slurp(name(i)), std::to_string(i)) << i;
    EXPECT_FALSE(fs::exists(name(kFull)));
    const auto outcomes = batch.commit();
    ASSERT_EQ(outcomes.size(), kFull + 1);
    for (std::size_t i = 0; i <= kFull; ++i) {
        EXPECT_EQ(outcomes[i].target, name(i));
        ASSERT_TRUE(outcomes[i].placed) << i;
        EXPECT_EQ(*outcomes[i].placed, Placed::Written) << i;
    }
    EXPECT_EQ(slurp(name(kFull)), std::to_string(kFull));
    EXPECT_EQ(entries(dir.path), kFull + 1);
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
    const auto folder = pellimar::OutputFolder::open(dir.path, false);
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->removeStaleTemporaries(), 1);
    EXPECT_FALSE(fs::exists(dir.path / ".pellimar-0a1b2c3d4e.tmp"));
    EXPECT_EQ(entries(dir.path), 5u);
}

// A folder is read for the temporaries of killed writes at the first synced write
// into it in a process, not at each: one left after that stays until a caller
// asks for them to go.
TEST(AtomicFile, EachFolderIsClearedOfStaleTemporariesOnceAProcess) {
    TempDir dir;
    const fs::path folder = dir.path / "settings";
    fs::create_directory(folder);
    const fs::path stale = folder / ".pellimar-0a1b2c3d4e.tmp";
    const auto leave = [&] {
        std::ofstream(stale) << "part";
        fs::last_write_time(stale, fs::file_time_type::clock::now() - std::chrono::minutes(2));
    };
    leave();
    ASSERT_TRUE(writeFile(folder / "a.ini", std::string_view("a")));
    EXPECT_FALSE(fs::exists(stale));
    leave();
    ASSERT_TRUE(writeFile(folder / "a.ini", std::string_view("b")));
    ASSERT_TRUE(writeFile(folder / "c.ini", std::string_view("c")));
    EXPECT_TRUE(fs::exists(stale));
    const auto opened = pellimar::OutputFolder::open(folder, false);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->removeStaleTemporaries(), 1);
    EXPECT_FALSE(fs::exists(stale));
}

// A held folder's files go into the folder it holds, also when its path has been
// moved away and something else put at it since; a name with a folder in it, or
// none, is refused; a link at the name is followed by the rule alone.
TEST(AtomicFile, AHeldFolderTakesItsFilesWhereverItsPathNowLeads) {
    TempDir dir;
    fs::create_directory(dir.path / "out");
    const auto folder = pellimar::OutputFolder::open(dir.path / "out", false);
    ASSERT_TRUE(folder);
    fs::rename(dir.path / "out", dir.path / "moved");
    fs::create_directory(dir.path / "out");
    const std::string_view text = "held";
    const pellimar::ByteSpan piece(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    const auto written = folder->write("icon.ico", std::span(&piece, 1));
    ASSERT_TRUE(written) << written.failure().message();
    EXPECT_EQ(*written, pellimar::Placed::Written);
    EXPECT_EQ(slurp(dir.path / "moved" / "icon.ico"), "held");
    EXPECT_EQ(entries(dir.path / "out"), 0u);
    EXPECT_EQ(*folder->write("icon.ico", std::span(&piece, 1), {.replace = Replace::Never}),
              pellimar::Placed::Kept);
    for (const std::string name : {"", ".", "..", "sub/icon.ico"}) {
        const auto refused = folder->write(name, std::span(&piece, 1));
        ASSERT_FALSE(refused) << name;
        EXPECT_EQ(refused.failure().fault, Fault::NoFileName) << name;
    }
}

// ---- Links on a shared machine ---------------------------------------------------

namespace {

// A folder in which another user may have put a link, and what the writer makes
// of a link there.
struct LinkCase {
    const char* folder;  // how the folder is held
    unsigned owner;      // of the folder
    mode_t mode;         // of the folder
    unsigned linkOwner;
    // The fault a link there gives, or WriteFailed for none: it is followed.
    Fault refusal;
};

const LinkCase kLinkCases[] = {
    {"root's 1777 folder (/tmp)", 0, 01777, kOther, Fault::SharedFolderLink},
    {"root's 1777 folder (/tmp)", 0, 01777, 0, Fault::WriteFailed},
    {"another user's 0777 folder", kOther, 0777, kOther, Fault::SharedFolderLink},
    {"another user's 0777 folder", kOther, 0777, 0, Fault::LinkInOthersFolder},
    {"another user's 1777 folder", kOther, 01777, kOther, Fault::SharedFolderLink},
    {"another user's 1777 folder", kOther, 01777, 0, Fault::LinkInOthersFolder},
    {"another user's 0755 folder (their --theme tree)", kOther, 0755, kOther,
     Fault::LinkInOthersFolder},
    {"another user's 0755 folder (their --theme tree)", kOther, 0755, 0, Fault::LinkInOthersFolder},
    {"root's 0775 folder (a group may write)", 0, 0775, 0, Fault::LinkInOthersFolder},
    {"root's 0755 folder", 0, 0755, kOther, Fault::OthersLink},
    {"root's 0755 folder", 0, 0755, 0, Fault::WriteFailed},
};

}  // namespace

// The links rule, for a link at the file's name and at a folder on its way, with
// the kernel's own protection of links off and on: a link is followed only where
// it is the caller's (or root's) in a folder no one else may write to.
TEST(AtomicFile, LinksAreFollowedOnlyWhereNoOneElseCouldHavePutThem) {
    if (!fx::canActAsOthers()) GTEST_SKIP() << "links of another user take root to make";
    for (const int kernelRule : {0, 1}) {
        const fx::ProtectedSymlinks setting(kernelRule);
        if (!setting.set() && kernelRule == 1) continue;  // the kernel's setting is not ours
        for (const LinkCase& c : kLinkCases) {
            for (const bool atName : {true, false}) {
                SCOPED_TRACE(std::string(c.folder) + ", link of uid " +
                             std::to_string(c.linkOwner) +
                             (atName ? " at the name" : " on the way") + ", protected_symlinks " +
                             std::to_string(kernelRule));
                fx::TempDir dir;
                ::chmod(dir.path().c_str(), 0755);
                const fs::path victim = dir.path() / "victim";
                fs::create_directory(victim);
                ASSERT_TRUE(writeFile(victim / "out.ico", std::string_view("key")));
                const fs::path shared = dir.path() / "shared";
                fx::makeFolderOf(shared, c.owner, c.mode);
                fs::path target;
                if (atName) {
                    fx::plantLink(shared / "out.ico", victim / "out.ico", c.linkOwner);
                    target = shared / "out.ico";
                } else {
                    fx::plantLink(shared / "d", victim, c.linkOwner);
                    target = shared / "d" / "out.ico";
                }
                const bool followed = c.refusal == Fault::WriteFailed;
                for (const Replace replace : {Replace::Always, Replace::Never}) {
                    const auto r = writeFile(target, std::string_view("written"),
                                             {.replace = replace, .createFolders = true});
                    EXPECT_EQ(bool(r), followed);
                    if (!followed && !r) {
                        EXPECT_EQ(r.failure().fault, c.refusal) << r.failure().message();
                        EXPECT_EQ(r.failure().what,
                                  atName ? std::string() : (shared / "d").string());
                    }
                }
                // In place, never through a link at the name; through one on the way
                // only where it may be followed.
                const auto inPlace = writeFileInPlace(target, bytesOf("in place"));
                EXPECT_EQ(bool(inPlace), followed && !atName);
                if (!followed) {
                    EXPECT_EQ(slurp(victim / "out.ico"), "key");
                    EXPECT_EQ(entries(victim), 1u);
                    EXPECT_TRUE(fs::is_symlink(atName ? target : shared / "d"));
                }
                const auto folder = pellimar::OutputFolder::open(shared / "d" / "sub", true);
                EXPECT_EQ(bool(folder), followed || atName);
                EXPECT_EQ(fs::exists(victim / "sub"), followed && !atName);
            }
        }
    }
}

// A link the caller's own link leads to is held to the same rule, and a refusal
// names it: the caller gave only the first name.
TEST(AtomicFile, ARefusedLinkReachedThroughAnotherIsNamed) {
    if (!fx::canActAsOthers()) GTEST_SKIP() << "links of another user take root to make";
    fx::TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    const fs::path victim = dir.path() / "victim.ico";
    ASSERT_TRUE(writeFile(victim, std::string_view("key")));
    const fs::path shared = dir.path() / "shared";
    fx::makeFolderOf(shared, 0, 01777);
    fx::plantLink(shared / "out.ico", victim, kOther);
    fs::create_symlink(shared / "out.ico", dir.path() / "mine.ico");
    const auto r = writeFile(dir.path() / "mine.ico", std::string_view("written"));
    ASSERT_FALSE(r);
    EXPECT_EQ(r.failure().fault, Fault::SharedFolderLink);
    EXPECT_EQ(r.failure().what, (shared / "out.ico").string());
    EXPECT_EQ(pellimar::writeFailureReason(r.failure()),
              "\"" + (shared / "out.ico").string() +
                  "\" is a symbolic link that someone else put in a folder everyone may write "
                  "to; it is not followed");
    EXPECT_EQ(slurp(victim), "key");
}

// The words of each refusal, as the window and the command line show them.
TEST(AtomicFile, EachRefusedLinkSaysWhy) {
    using pellimar::failure;
    EXPECT_EQ(failure(Fault::SharedFolderLink).message(),
              "It is a symbolic link that someone else put in a folder everyone may write to; it "
              "is not followed");
    EXPECT_EQ(failure(Fault::SharedFolderLink, "/tmp/s/d").message(),
              "\"/tmp/s/d\" is a symbolic link that someone else put in a folder everyone may "
              "write to; it is not followed");
    EXPECT_EQ(failure(Fault::OthersLink).message(),
              "It is a symbolic link that someone else made; it is not followed");
    EXPECT_EQ(failure(Fault::LinkInOthersFolder, "/srv/x").message(),
              "\"/srv/x\" is a symbolic link in a folder that someone else owns or may write to; "
              "it is not followed");
    for (const Fault f : {Fault::SharedFolderLink, Fault::OthersLink, Fault::LinkInOthersFolder,
                          Fault::LinkAtName, Fault::NoFileName, Fault::WriteFailed})
        EXPECT_TRUE(pellimar::isWriteFault(f));
    EXPECT_FALSE(pellimar::isWriteFault(Fault::CannotOpen));
}
