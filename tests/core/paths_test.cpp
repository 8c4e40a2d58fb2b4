#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>

#include "core/paths.h"

namespace fs = std::filesystem;
using namespace pellimar;

TEST(PrivateTempDir, IsCreatedClosedToOthers) {
    fs::path runtime = fs::temp_directory_path() / ("pellimar-paths-" + std::to_string(getpid()));
    fs::create_directories(runtime);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    removeOwnTempDir();
    fs::path dir = userTempDir();
    struct stat st {};
    ASSERT_EQ(lstat(dir.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(dir.parent_path(), runtime);
    EXPECT_EQ(privateTempDir().parent_path(), dir);
    removeOwnTempDir();
    fs::remove_all(runtime);
}

// A planted link or another user's folder at the usual name is never used: a
// fresh private folder takes its place, and goes when the copy ends.
TEST(PrivateTempDir, UsesAFreshPrivateFolderWhenTheUsualOneIsNotOurs) {
    fs::path runtime = fs::temp_directory_path() / ("pellimar-link-" + std::to_string(getpid()));
    const fs::path usual = runtime / ("pellimar-" + std::to_string(getuid()));
    fs::create_directories(runtime / "elsewhere");
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    for (bool link : {true, false}) {
        if (link) {
            fs::create_directory_symlink(runtime / "elsewhere", usual);
        } else {
            fs::remove(usual);
            fs::create_directory(usual);
            ::chmod(usual.c_str(), 0755);  // not closed to others: not a folder of ours
        }
        removeOwnTempDir();
        const fs::path mine = privateTempDir();
        const fs::path parent = mine.parent_path();
        EXPECT_EQ(parent.parent_path(), runtime);
        EXPECT_NE(parent, usual);
        EXPECT_EQ(parent.filename().string().rfind(usual.filename().string() + "-", 0), 0u);
        struct stat st {};
        ASSERT_EQ(lstat(parent.c_str(), &st), 0);
        EXPECT_TRUE(S_ISDIR(st.st_mode) && (st.st_mode & 0777) == 0700);
        EXPECT_TRUE(fs::is_empty(runtime / "elsewhere"));
        removeOwnTempDir();
        EXPECT_FALSE(fs::exists(parent));
    }
    fs::remove_all(runtime);
}

// A scratch XDG_RUNTIME_DIR for one test, put back and removed at the end.
class RuntimeDir {
  public:
    explicit RuntimeDir(const std::string& tag)
        : dir_(fs::temp_directory_path() / ("pellimar-" + tag + "-" + std::to_string(getpid()))) {
        fs::create_directories(dir_);
        if (const char* old = std::getenv("XDG_RUNTIME_DIR")) old_ = old;
        setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
        removeOwnTempDir();
    }
    ~RuntimeDir() {
        removeOwnTempDir();
        if (old_.empty())
            unsetenv("XDG_RUNTIME_DIR");
        else
            setenv("XDG_RUNTIME_DIR", old_.c_str(), 1);
        fs::remove_all(dir_);
    }
    fs::path user() const { return dir_ / ("pellimar-" + std::to_string(getuid())); }

  private:
    fs::path dir_;
    std::string old_;
};

TEST(PrivateTempDir, EachRunningCopyHasItsOwnFolderRemovedAtItsEnd) {
    RuntimeDir runtime("own");
    const fs::path mine = privateTempDir();
    EXPECT_EQ(mine.parent_path(), runtime.user());
    EXPECT_EQ(mine.filename().string().rfind("run-" + std::to_string(getpid()) + "-", 0), 0u);
    EXPECT_EQ(privateTempDir(), mine);  // the same folder for the whole run
    struct stat st {};
    ASSERT_EQ(lstat(mine.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // Another copy: a child process takes its own folder and ends without removing it.
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const std::string path = privateTempDir().string();
        (void)!write(pipeFds[1], path.data(), path.size());
        _exit(0);
    }
    close(pipeFds[1]);
    char buffer[4096];
    const ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_GT(got, 0);
    const fs::path theirs(std::string(buffer, std::size_t(got)));
    EXPECT_NE(theirs, mine);
    EXPECT_TRUE(fs::is_directory(theirs));

    // The next copy to start removes the folder of the one that ended, not ours.
    EXPECT_EQ(removeStaleTempDirs(), 1);
    EXPECT_FALSE(fs::exists(theirs));
    EXPECT_TRUE(fs::is_directory(mine));

    removeOwnTempDir();
    EXPECT_FALSE(fs::exists(mine));
}

TEST(PrivateTempDir, FoldersOfRunningCopiesAndFreshOnesStay) {
    RuntimeDir runtime("stale");
    fs::create_directories(runtime.user());
    fs::permissions(runtime.user(), fs::perms::owner_all);
    // A running copy holds the lock of its folder.
    const fs::path running = runtime.user() / "run-1-running";
    fs::create_directory(running);
    fs::permissions(running, fs::perms::owner_all);
    const int held = open((running / ".lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    // A copy that is making its folder has no lock file yet.
    const fs::path fresh = runtime.user() / "run-2-fresh";
    fs::create_directory(fresh);
    fs::permissions(fresh, fs::perms::owner_all);
    // One that ended long ago without its lock file.
    const fs::path old = runtime.user() / "run-3-old";
    fs::create_directory(old);
    fs::permissions(old, fs::perms::owner_all);
    const struct timespec times[2] = {{0, UTIME_OMIT}, {std::time(nullptr) - 3600, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, old.c_str(), times, 0), 0);
    // Not ours to touch: a file and a folder of another name.
    std::ofstream(runtime.user() / "run-4-file") << "x";
    fs::create_directory(runtime.user() / "other");

    EXPECT_EQ(removeStaleTempDirs(), 1);
    EXPECT_TRUE(fs::exists(running));
    EXPECT_TRUE(fs::exists(fresh));
    EXPECT_FALSE(fs::exists(old));
    EXPECT_TRUE(fs::exists(runtime.user() / "run-4-file"));
    EXPECT_TRUE(fs::exists(runtime.user() / "other"));
    close(held);
    // Its copy has ended: now it goes.
    EXPECT_EQ(removeStaleTempDirs(), 1);
    EXPECT_FALSE(fs::exists(running));
}
