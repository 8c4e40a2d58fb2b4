// Real Windows files: the installer stubs and icons that Debian's nsis package ships
// (PE32 and PE32+ programs without a file-name extension, a misnamed icon file, and
// icon files with BMP and PNG images). Skipped where the package is not installed.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/extract.h"
#include "platform/icon_decode.h"
#include "platform/icon_resources.h"
#include "support/fixtures.h"

namespace pellimar {
namespace {

namespace fs = std::filesystem;
const fs::path kNsis = "/usr/share/nsis";

std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> out;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.is_regular_file()) out.push_back(entry.path());
    std::sort(out.begin(), out.end());
    return out;
}

TEST(RealFiles, InstallerStubsHoldOneIconEach) {
    auto stubs = filesIn(kNsis / "Stubs");
    if (stubs.empty()) GTEST_SKIP() << "nsis is not installed";
    int executables = 0;
    for (const auto& path : stubs) {
        auto file = IconFile::open(path);
        ASSERT_TRUE(file) << path;
        const auto& res = file->resources();
        if (res.container() == IconContainer::IcoFile) continue;  // the uninstaller's icon
        ++executables;
        EXPECT_EQ(res.container(), IconContainer::Pe) << path;
        ASSERT_EQ(res.iconCount(), 1) << path;
        for (int size : {16, 32, 48}) {
            Icon icon = res.icon(0, size);
            EXPECT_EQ(icon.width, size) << path;
            EXPECT_EQ(icon.height, size) << path;
        }
        EXPECT_TRUE(extractIcon(path, 1, 32).empty());
    }
    EXPECT_GE(executables, 12);
}

TEST(RealFiles, IconFilesDecodeImageByImage) {
    auto icons = filesIn(kNsis / "Contrib" / "Graphics" / "Icons");
    if (icons.empty()) GTEST_SKIP() << "nsis is not installed";
    icons.push_back(kNsis / "Stubs" / "uninst");
    int images = 0;
    for (const auto& path : icons) {
        auto bytes = fixtures::readWholeFile(path);
        auto directory = readIcoDirectory(bytes);
        ASSERT_TRUE(directory) << path;
        for (std::size_t e = 0; e < directory->size(); ++e) {
            Icon icon = decodeIcoImage(bytes, int(e));
            ASSERT_FALSE(icon.empty()) << path << " image " << e;
            EXPECT_EQ(icon.width, (*directory)[e].pixelWidth()) << path << " image " << e;
            ++images;
        }
        Icon large = extractIcon(path, 0, 32);
        EXPECT_EQ(large.width, 32) << path;
    }
    EXPECT_GT(images, 60);
}

}  // namespace
}  // namespace pellimar
