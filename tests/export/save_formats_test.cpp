// The save command's PNG and original-icon runs, on libraries and icon files built
// by the fixtures and read by the program's own readers.
#include <gtest/gtest.h>

#include "export/save_command.h"
#include "platform/icon_decode.h"
#include "platform/icon_png.h"
#include "platform/icon_set.h"
#include "platform/png_codec.h"
#include "save_fixtures.h"
#include "support/fixtures.h"

using namespace pellimar;
namespace fx = pellimar::fixtures;
namespace fs = std::filesystem;

namespace {

struct FormatsFixture : ::testing::Test {
    fx::TempDir dir;
    SaveReport report;
    AppSettings settings;

    // One run as the window makes it: a fresh context and a cleared report.
    void save(const std::vector<SaveRow>& rows, const fs::path& name) {
        report.clear();
        SaveContext ctx{settings, report, {}, {}};
        saveSelectedRows(rows, name, ctx);
    }
    // A library whose first icon holds a 16-colour 32 x 32, a 48 x 48 with alpha
    // and a 256 x 256 PNG; its second a single 24-bit 16 x 16.
    fx::IconImage small = fx::dibImage(fx::patternIcon(32, 32, 16), 4);
    fx::IconImage middle = fx::dibImage(fx::alphaPatternIcon(48, 48), 32);
    fx::IconImage large = fx::pngImage(fx::alphaPatternIcon(256, 256));
    fs::path dll = dir.write(
        "lib.dll",
        fx::makePe({{{small, middle, large}}, {{fx::dibImage(fx::patternIcon(16, 16), 24)}}}));

    std::vector<std::string> written() const {
        std::vector<std::string> names;
        for (const fs::path& f : report.files()) names.push_back(f.string());
        return names;
    }
};

// The images of an icon file of one icon, as stored, with their entries.
std::vector<StoredImage> imagesOf(const fs::path& file) {
    auto set = IconSet::open(file);
    if (!set || set->container() != IconContainer::IconFile || set->iconCount() != 1) return {};
    return set->load(ResourceKind::Icon, 0).images;
}

fx::Bytes bytesOf(const StoredImage& image) {
    return fx::Bytes(image.data.begin(), image.data.end());
}

RgbaImage readPng(const fs::path& file) {
    auto image = decodePng(fx::readWholeFile(file));
    return image.value_or(RgbaImage{});
}

}  // namespace

TEST_F(FormatsFixture, PngOfALibraryGivesEverySizeWithItsAlpha) {
    settings = test::savingSizes({128, 48, 16}, "png");
    save({{dll, 0, true}}, dir.path() / "icon.png");
    EXPECT_EQ(written(), (std::vector<std::string>{"128-icon.png", "48-icon.png", "16-icon.png"}));
    for (int size : {128, 48, 16}) {
        RgbaImage png = readPng(dir.path() / (std::to_string(size) + "-icon.png"));
        ASSERT_EQ(png.width, size);
        ASSERT_EQ(png.height, size);
        if (size == 16) continue;           // from the 32 x 32 image: no alpha of its own
        EXPECT_EQ(png.rgba[3], 0) << size;  // the first column is transparent
        // Further along the row the alpha falls as the picture's does: partly clear.
        const std::uint8_t alpha = png.rgba[std::size_t(size / 2) * 4 + 3];
        EXPECT_GT(alpha, 0) << size;
        EXPECT_LT(alpha, 255) << size;
    }
    // 48 is the stored 48 x 48 image itself, pixel for pixel.
    Icon stored = decodeIconImage(middle.data).value();
    EXPECT_EQ(readPng(dir.path() / "48-icon.png").rgba, iconToRgba(stored).rgba);
}

TEST_F(FormatsFixture, PngWithOneSizeWritesTheChosenNameAndNumbersRows) {
    settings = test::savingSizes({64}, "png");
    save({{dll, 0, true}, {dll, 1, false}, {dll, 1, true}}, dir.path() / "i.png");
    EXPECT_EQ(written(), (std::vector<std::string>{"i-001.png", "i-002.png"}));
    EXPECT_EQ(readPng(dir.path() / "i-002.png").width, 64);
    // A 16 x 16 image without alpha: opaque except where its mask is set.
    const RgbaImage second = readPng(dir.path() / "i-002.png");
    EXPECT_EQ(second.rgba[3], 0);
    EXPECT_EQ(second.rgba[63 * 4 + 3], 255);
}

TEST_F(FormatsFixture, PngOfAnIconFileRowBringsThatImageToEachSize) {
    auto ico = dir.write("a.ico", fx::makeIco({small, middle}));
    settings = test::savingSizes({48, 32}, "png");
    save({{ico, 1, true}}, dir.path() / "x.png");
    EXPECT_EQ(written(), (std::vector<std::string>{"48-x.png", "32-x.png"}));
    EXPECT_EQ(readPng(dir.path() / "48-x.png").rgba,
              iconToRgba(decodeIconImage(middle.data).value()).rgba);
    EXPECT_EQ(readPng(dir.path() / "32-x.png").width, 32);
}

TEST_F(FormatsFixture, OriginalIconHoldsEveryImageAsStoredWhateverTheSizes) {
    settings = test::savingSizes({16}, "original");
    save({{dll, 0, true}, {dll, 1, true}, {dll, 7, true}}, dir.path() / "o.ico");
    EXPECT_EQ(written(), (std::vector<std::string>{"o-001.ico", "o-002.ico"}));
    ASSERT_EQ(report.unreadableRows().size(), 1u);
    EXPECT_EQ(report.unreadableRows()[0].row, "lib.dll-008");
    const std::vector<StoredImage> images = imagesOf(dir.path() / "o-001.ico");
    ASSERT_EQ(images.size(), 3u);
    const fx::IconImage* stored[] = {&small, &middle, &large};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(bytesOf(images[i]), stored[i]->data) << i;
        EXPECT_EQ(images[i].entry.width, stored[i]->width) << i;
        EXPECT_EQ(images[i].entry.colorCount, stored[i]->colorCount) << i;
        EXPECT_EQ(images[i].entry.planes, stored[i]->planes) << i;
        EXPECT_EQ(images[i].entry.bitCount, stored[i]->bitCount) << i;
    }
    // The ICO format of the same row keeps its old flow: one re-encoded image.
    settings = test::savingSizes({32}, "ico");
    save({{dll, 0, true}}, dir.path() / "old.ico");
    EXPECT_EQ(imagesOf(dir.path() / "old.ico").size(), 1u);
}

TEST_F(FormatsFixture, OriginalIconOfAnIconFileRowIsThatImage) {
    auto ico = dir.write("a.ico", fx::makeIco({small, middle}));
    settings = test::savingSizes({128}, "original");
    save({{ico, 1, true}}, dir.path() / "x.ico");
    ASSERT_EQ(written(), (std::vector<std::string>{"x.ico"}));
    const fx::Bytes file = fx::readWholeFile(dir.path() / "x.ico");
    ASSERT_EQ(imagesOf(dir.path() / "x.ico").size(), 1u);
    EXPECT_EQ(fx::Bytes(file.begin() + 22, file.end()), middle.data);
}

TEST_F(FormatsFixture, AFileThatCannotBeWrittenStopsTheRunWithItsReason) {
    fs::create_directory(dir.path() / "o-002.ico");  // a folder where the file goes
    settings = test::savingSizes({32}, "original");
    save({{dll, 0, true}, {dll, 1, true}, {dll, 0, true}}, dir.path() / "o.ico");
    ASSERT_TRUE(report.stopReason());
    EXPECT_EQ(problemText(*report.stopReason()),
              "Cannot create file \"" + (dir.path() / "o-002.ico").string() + "\". Is a directory");
    EXPECT_EQ(written(), std::vector<std::string>{"o-001.ico"});
    EXPECT_EQ(imagesOf(dir.path() / "o-001.ico").size(), 3u);  // kept
    EXPECT_TRUE(fs::is_directory(dir.path() / "o-002.ico"));
    EXPECT_FALSE(fs::exists(dir.path() / "o-003.ico"));  // the run ended there
    settings = test::savingSizes({32, 16}, "png");
    fs::create_directory(dir.path() / "16-p.png");
    save({{dll, 0, true}}, dir.path() / "p.png");
    EXPECT_TRUE(report.stopped());
    EXPECT_EQ(report.stopReason()->file, dir.path() / "16-p.png");
    EXPECT_EQ(written(), (std::vector<std::string>{"32-p.png"}));
    EXPECT_TRUE(fs::is_regular_file(dir.path() / "32-p.png"));  // kept
}

TEST_F(FormatsFixture, ARealProgramGivesAPngOf128WithAlphaAndItsOwnIconFile) {
    // An installer stub of Debian's nsis package: a PE program whose one icon is a
    // 32 x 32 image of 16 colours with its mask.
    const fs::path stub = "/usr/share/nsis/Stubs/zlib-x86-unicode";
    if (!fs::exists(stub)) GTEST_SKIP() << "nsis is not installed";
    auto opened = IconSet::open(stub);
    ASSERT_TRUE(opened);
    ASSERT_GT(opened->iconCount(), 0);
    const std::vector<StoredImage> group = opened->load(ResourceKind::Icon, 0).images;
    ASSERT_FALSE(group.empty());

    settings = test::savingSizes({128}, "png");
    save({{stub, 0, true}}, dir.path() / "stub.png");
    const RgbaImage png = readPng(dir.path() / "stub.png");
    ASSERT_EQ(png.width, 128);
    ASSERT_EQ(png.height, 128);
    int clear = 0, solid = 0;
    for (std::size_t i = 3; i < png.rgba.size(); i += 4) (png.rgba[i] == 0 ? clear : solid) += 1;
    EXPECT_GT(clear, 0);  // the mask became transparency
    EXPECT_GT(solid, 0);

    settings = test::savingSizes({128}, "original");
    save({{stub, 0, true}}, dir.path() / "stub.ico");
    const std::vector<StoredImage> copied = imagesOf(dir.path() / "stub.ico");
    ASSERT_EQ(copied.size(), group.size());
    for (std::size_t i = 0; i < group.size(); ++i)
        EXPECT_EQ(bytesOf(copied[i]), bytesOf(group[i])) << i;
}
