#include "core/file_names.h"

#include <gtest/gtest.h>

namespace pellimar {
namespace {

TEST(UpperCaseExtension, RunsFromTheLastDotOfTheNameOnly) {
    EXPECT_EQ(upperCaseExtension("dir.x/file"), "");
    EXPECT_EQ(upperCaseExtension("/a/b.tar.Ico"), ".ICO");
    EXPECT_EQ(upperCaseExtension(".ico"), ".ICO");
    EXPECT_EQ(upperCaseExtension("/a/name."), ".");
    EXPECT_EQ(upperCaseExtension("/a/\xC3\xA9.d\xC3\xA9"), ".D\xC3\xA9");  // only a-z change
}

}  // namespace
}  // namespace pellimar
