#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "core/paths.h"

namespace fs = std::filesystem;
using namespace pellimar;

TEST(PrivateTempDir, IsCreatedClosedToOthers) {
    fs::path runtime = fs::temp_directory_path() / ("pellimar-paths-" + std::to_string(getpid()));
    fs::create_directories(runtime);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    fs::path dir = privateTempDir();
    struct stat st {};
    ASSERT_EQ(lstat(dir.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(dir.parent_path(), runtime);
    fs::remove_all(runtime);
}

TEST(PrivateTempDir, RefusesAPlantedLink) {
    fs::path runtime = fs::temp_directory_path() / ("pellimar-link-" + std::to_string(getpid()));
    fs::create_directories(runtime / "elsewhere");
    fs::create_directory_symlink(runtime / "elsewhere",
                                 runtime / ("pellimar-" + std::to_string(getuid())));
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    EXPECT_THROW(privateTempDir(), std::runtime_error);
    fs::remove_all(runtime);
}
