// Real Windows files: the installer stubs and icons that Debian's nsis package ships
// (PE32 and PE32+ programs without a file-name extension, a misnamed icon file, and
// icon files with BMP and PNG images), and the programs and libraries of Debian's
// wine64 package (icon and cursor groups). Skipped where a package is not installed.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/icon_decode.h"
#include "platform/icon_set.h"
#include "platform/image_choice.h"
#include "support/fixtures.h"

namespace pellimar {
namespace {

namespace fs = std::filesystem;
using fixtures::why;
const fs::path kNsis = "/usr/share/nsis";
const fs::path kWine = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";

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
        auto set = IconSet::open(path);
        ASSERT_TRUE(set) << path << ": " << why(set);
        if (set->container() == IconContainer::IconFile) continue;  // the uninstaller's icon
        ++executables;
        EXPECT_EQ(set->container(), IconContainer::Pe) << path;
        EXPECT_TRUE(set->notes().empty()) << path;
        ASSERT_EQ(set->iconCount(), 1) << path;
        for (int size : {16, 32, 48}) {
            const Result<Icon> icon = iconAtSize(*set, 0, size);
            ASSERT_TRUE(icon) << path << ": " << why(icon);
            EXPECT_EQ(icon->width, size) << path;
            EXPECT_EQ(icon->height, size) << path;
        }
        EXPECT_EQ(iconAtSize(*set, 1, 32).failure().fault, Fault::NoSuchIcon);
    }
    EXPECT_GE(executables, 12);
}

TEST(RealFiles, IconFilesDecodeImageByImage) {
    auto icons = filesIn(kNsis / "Contrib" / "Graphics" / "Icons");
    if (icons.empty()) GTEST_SKIP() << "nsis is not installed";
    icons.push_back(kNsis / "Stubs" / "uninst");
    int images = 0;
    for (const auto& path : icons) {
        auto set = IconSet::open(path);
        ASSERT_TRUE(set) << path << ": " << why(set);
        ASSERT_EQ(set->container(), IconContainer::IconFile) << path;
        const IconGroup& group = set->load(ResourceKind::Icon, 0);
        for (std::size_t e = 0; e < group.images.size(); ++e) {
            const StoredImage& image = group.images[e];
            const Result<Icon> icon = decodeStoredImage(image);
            ASSERT_TRUE(icon) << path << " image " << e << ": " << why(icon);
            EXPECT_EQ(icon->width, image.width()) << path << " image " << e;
            if (image.entry.bitCount == 0 && !set->isPng(image).value_or(true)) {
                EXPECT_EQ(image.depth, icon->bitCount) << path << " image " << e;
            }
            ++images;
        }
        const Result<Icon> large = iconAtSize(*set, 0, 32);
        ASSERT_TRUE(large) << path << ": " << why(large);
        EXPECT_EQ(large->width, 32) << path;
    }
    EXPECT_GT(images, 60);
}

// A library of the desktop's own cursors: every cursor group reads with its
// hotspots inside its images, and the icons beside them still read.
TEST(RealFiles, CursorsOfASystemLibrary) {
    const fs::path user32 = kWine / "user32.dll";
    if (!fs::exists(user32)) GTEST_SKIP() << "wine64 is not installed";
    auto set = IconSet::open(user32);
    ASSERT_TRUE(set) << why(set);
    EXPECT_EQ(set->container(), IconContainer::Pe);
    ASSERT_GE(set->cursors().size(), 10u);
    EXPECT_GE(set->iconCount(), 1);
    set->loadAll(ResourceKind::Cursor);
    for (const IconGroup& group : set->cursors()) {
        const std::string name = group.identity.name ? group.identity.name->display() : "?";
        ASSERT_FALSE(group.failure) << name << ": " << group.failure->message();
        ASSERT_FALSE(group.images.empty()) << name;
        for (const StoredImage& image : group.images) {
            ASSERT_TRUE(image.loaded()) << name;
            EXPECT_LT(image.hotspotX, image.width()) << name;
            EXPECT_LT(image.hotspotY, image.height()) << name;
        }
        const Result<Icon> picture = chosenImage(group, 32, SizePolicy::LikeWindows);
        EXPECT_TRUE(picture) << name << ": " << why(picture);
    }
    for (int i = 0; i < set->iconCount(); ++i) EXPECT_TRUE(iconAtSize(*set, i, 32)) << "icon " << i;
}

}  // namespace
}  // namespace pellimar
