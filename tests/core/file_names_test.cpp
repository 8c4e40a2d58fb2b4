#include "core/file_names.h"

#include <gtest/gtest.h>

#include "support/turkish_locale.h"

namespace pellimar {
namespace {

TEST(UpperCaseExtension, RunsFromTheLastDotOfTheNameOnly) {
    EXPECT_EQ(upperCaseExtension("dir.x/file"), "");
    EXPECT_EQ(upperCaseExtension("/a/b.tar.Ico"), ".ICO");
    EXPECT_EQ(upperCaseExtension(".ico"), ".ICO");
    EXPECT_EQ(upperCaseExtension("/a/name."), ".");
    EXPECT_EQ(upperCaseExtension("/a/\xC3\xA9.d\xC3\xA9"), ".D\xC3\xA9");  // only a-z change
}

TEST(UpperCaseExtension, TheSameInEveryLocale) {
    test::TurkishLocale turkish;
    if (!turkish.available()) GTEST_SKIP() << "no Turkish locale installed";
    EXPECT_EQ(upperCaseExtension("/a/b.ico"), ".ICO");
    EXPECT_EQ(upperCaseExtension("/a/b.dll"), ".DLL");
    EXPECT_EQ(upperCaseExtension("/a/b.icl"), ".ICL");
}

}  // namespace
}  // namespace pellimar
