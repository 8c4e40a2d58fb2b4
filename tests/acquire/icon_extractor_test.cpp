// IconExtractor: which path a name takes, the index rules, the setters' side effects.
#include <gtest/gtest.h>

#include "acquire/icon_extractor.h"
#include "support/fixtures.h"

namespace pellimar {
namespace {

using namespace fixtures;

std::uint32_t centre(const pellimar::Icon& icon) {
    return icon.empty() ? 0 : icon.pixel(icon.width / 2, icon.height / 2);
}

// An icon file of three images told apart by size and colour: 16 red, 32 green, 48 blue.
Bytes threeImageIco() {
    return makeIco({dibImage(solidIcon(16, 16, 0xFFFF0000), 8),
                    dibImage(solidIcon(32, 32, 0xFF00FF00), 24),
                    dibImage(solidIcon(48, 48, 0xFF0000FF), 32)});
}

TEST(IconExtractorIconFile, ImageNumbersAreOneBasedAndOutOfRangeMeansTheFirst) {
    TempDir dir;
    auto path = dir.write("three.ico", threeImageIco());
    IconExtractor control;
    const std::vector<std::pair<int, int>> widthByIndex = {{1, 16}, {2, 32}, {3, 48},
                                                           {0, 16}, {4, 16}, {-7, 16}};
    for (auto [index, width] : widthByIndex) {
        control.setIcon({});
        control.loadFromFile(path, index);
        EXPECT_EQ(control.icon().width, width) << index;  // kept at its own size
        EXPECT_EQ(control.fileName(), path);
        EXPECT_EQ(control.iconIndex(), index);
    }
    control.loadFromFile(path, 3);
    EXPECT_EQ(centre(control.icon()), 0xFF0000FFu);
}

TEST(IconExtractorLibrary, IndicesAreZeroBasedAndPastTheLastIsEmpty) {
    const std::vector<std::uint32_t> colours = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00,
                                                0xFF00FFFF};
    std::vector<IconGroupSpec> groups;
    for (auto c : colours) groups.push_back({{dibImage(solidIcon(48, 48, c), 24)}, {}, {}});
    TempDir dir;
    auto path = dir.write("five.dll", makePe(groups));
    IconExtractor control;
    for (int i = 0; i < 5; ++i) {
        control.loadFromFile(path, i);
        EXPECT_EQ(control.icon().width, 32);  // the large icon size
        EXPECT_EQ(centre(control.icon()), colours[std::size_t(i)]);
    }
    control.loadFromFile(path, 5);
    EXPECT_TRUE(control.icon().empty());
}

TEST(IconExtractorNames, ExtensionDecidesThePath) {
    TempDir dir;
    const Bytes ico = threeImageIco();
    // Image number 3 on the icon-file path is the 48 x 48 image; on the executable path
    // an icon file is one icon, so index 3 is nothing and index 0 is that icon at 32.
    for (const char* name : {"a.ICO", "b.ico", "c.Ico"}) {
        IconExtractor control;
        control.loadFromFile(dir.write(name, ico), 3);
        EXPECT_EQ(control.icon().width, 48) << name;
    }
    for (const char* name : {"d.ico.exe", "noextension"}) {
        IconExtractor control;
        auto path = dir.write(name, ico);
        control.loadFromFile(path, 3);
        EXPECT_TRUE(control.icon().empty()) << name;
        control.loadFromFile(path, 0);
        EXPECT_EQ(control.icon().width, 32) << name;
        EXPECT_EQ(centre(control.icon()), 0xFF00FF00u) << name;
    }
}

TEST(IconExtractorSetters, WritingTheSameValueLoadsNothing) {
    TempDir dir;
    auto red =
        dir.write("red.dll", makePe({{{dibImage(solidIcon(32, 32, 0xFFFF0000), 24)}, {}, {}},
                                     {{dibImage(solidIcon(32, 32, 0xFF0000FF), 24)}, {}, {}}}));
    IconExtractor control;
    control.setFileName(red);
    EXPECT_EQ(centre(control.icon()), 0xFFFF0000u);
    control.setIcon({});
    control.setFileName(red);  // same name: nothing read
    EXPECT_TRUE(control.icon().empty());
    control.setIconIndex(0);  // same index: nothing read
    EXPECT_TRUE(control.icon().empty());
    control.setIconIndex(1);
    EXPECT_EQ(centre(control.icon()), 0xFF0000FFu);
    EXPECT_EQ(control.iconIndex(), 1);
    control.setFileName(dir.path() / "missing.dll");
    EXPECT_TRUE(control.icon().empty());
}

TEST(IconExtractorFailures, GiveAnEmptyIcon) {
    TempDir dir;
    IconExtractor control;
    const Bytes whole = threeImageIco();
    const std::vector<std::pair<const char*, Bytes>> files = {
        {"cursor.ico", makeIco({dibImage(solidIcon(32, 32, 0xFFFF0000), 24)}, 2)},
        {"text.exe", Bytes{'M', 'Z', 'n', 'o', 't', ' ', 'a', 'n', ' ', 'e', 'x', 'e'}},
        {"text.ico", Bytes{'h', 'i'}},
        {"cut.ico", Bytes(whole.begin(), whole.begin() + 200)},
        {"empty.dll", Bytes{}},
        {"zero.ico", makeIco({})},
    };
    for (const auto& [name, bytes] : files) {
        control.setIcon(solidIcon(4, 4, 0xFF112233));
        control.loadFromFile(dir.write(name, bytes), 1);
        EXPECT_TRUE(control.icon().empty()) << name;
    }
    EXPECT_FALSE(IconExtractor::extractIcoImage(dir.path() / "cursor.ico", 1));
}

TEST(IconExtractorIconFile, OneImageFileOfA2216ByteImageIs2238Bytes) {
    IconImage image = dibImage(patternIcon(32, 32, 256), 8);
    ASSERT_EQ(image.data.size(), 2216u);
    TempDir dir;
    Bytes source = makeIco({dibImage(solidIcon(16, 16, 0xFFFF0000), 4), image});
    auto bytes = IconExtractor::extractIcoImage(dir.write("two.ico", source), 2);
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->size(), 2238u);
    EXPECT_EQ(get16(*bytes, 4), 1);
    EXPECT_EQ(get32(*bytes, 18), 22u);
    EXPECT_TRUE(std::equal(bytes->begin() + 6, bytes->begin() + 18, source.begin() + 6 + 16));
    EXPECT_TRUE(std::equal(bytes->begin() + 22, bytes->end(), image.data.begin()));
}

TEST(IconExtractorPaint, DrawsTheIconAtItsOwnSizeAtTheOrigin) {
    IconExtractor control;
    EXPECT_EQ(control.width(), 32);
    EXPECT_EQ(control.height(), 32);
    control.setIcon(solidIcon(8, 8, 0xFF0000FF));
    QImage shot = control.grab().toImage();
    EXPECT_EQ(shot.pixel(3, 3) & 0xFFFFFF, 0x0000FFu);
    EXPECT_NE(shot.pixel(20, 20) & 0xFFFFFF, 0x0000FFu);
}

}  // namespace
}  // namespace pellimar
