#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

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
