// Rows leaving the window as pictures: every row either gives its file or is
// named among those left out, with why.
#include "app/row_pictures.h"

#include <gtest/gtest.h>

#include <QUrl>
#include <cerrno>
#include <fstream>

#include "support/fixtures.h"

namespace pellimar {
namespace {

namespace fs = std::filesystem;
using namespace fixtures;

TEST(RowPicturesHandedOut, EachRowLeftOutIsNamedWithWhy) {
    TempDir dir;
    const fs::path lib = dir.write("lib.dll", makePe({{{dibImage(patternIcon(32, 32), 24)}}}));
    const std::vector<ResultRowInfo> rows = {{lib, 0, true}, {dir.path() / "gone.dll", 0, true}};

    RowPictures pictures = rowPictures(rows, dir.path() / "copied");
    ASSERT_TRUE(pictures.data);
    ASSERT_EQ(pictures.data->urls().size(), 1);
    EXPECT_EQ(pictures.data->urls()[0].toLocalFile().toStdString(),
              (dir.path() / "copied" / "lib.dll-001.png").string());
    ASSERT_EQ(pictures.leftOut.size(), 1u);
    EXPECT_EQ(pictures.leftOut[0].context, "gone.dll-001");
    EXPECT_EQ(pictures.leftOut[0].message(),
              "gone.dll-001: cannot open: No such file or directory");

    // A folder that cannot be made: no row gives a file, and each says why.
    std::ofstream(dir.path() / "plain") << "x";
    pictures = rowPictures(rows, dir.path() / "plain" / "copied");
    EXPECT_FALSE(pictures.data);
    ASSERT_EQ(pictures.leftOut.size(), 2u);
    EXPECT_EQ(pictures.leftOut[0].context, "lib.dll-001");
    EXPECT_EQ(pictures.leftOut[0].error, ENOTDIR);
}

}  // namespace
}  // namespace pellimar
