// TPellimar: which path a name takes, the index rules, the setters' side effects.
#include <gtest/gtest.h>

#include "acquire/icon_extractor.h"
#include "acquire/icon_qt.h"
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

TEST(TPellimarIconFile, ImageNumbersAreOneBasedAndOutOfRangeMeansTheFirst) {
    TempDir dir;
    auto path = dir.write("three.ico", threeImageIco());
    TPellimar control;
    const std::vector<std::pair<int, int>> widthByIndex = {{1, 16}, {2, 32}, {3, 48},
                                                           {0, 16}, {4, 16}, {-7, 16}};
    for (auto [index, width] : widthByIndex) {
        control.setIcon({});
        control.LoadFromFile(path, index);
        EXPECT_EQ(control.Icon().width, width) << index;  // kept at its own size
        EXPECT_EQ(control.FileName(), path);
        EXPECT_EQ(control.IconIndex(), index);
    }
    control.LoadFromFile(path, 3);
    EXPECT_EQ(centre(control.Icon()), 0xFF0000FFu);
}

TEST(TPellimarLibrary, IndicesAreZeroBasedAndPastTheLastIsEmpty) {
    const std::vector<std::uint32_t> colours = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00,
                                                0xFF00FFFF};
    std::vector<IconGroupSpec> groups;
    for (auto c : colours) groups.push_back({{dibImage(solidIcon(48, 48, c), 24)}, {}, {}});
    TempDir dir;
    auto path = dir.write("five.dll", makePe(groups));
    TPellimar control;
    for (int i = 0; i < 5; ++i) {
        control.LoadFromFile(path, i);
        EXPECT_EQ(control.Icon().width, 32);  // the large icon size
        EXPECT_EQ(centre(control.Icon()), colours[std::size_t(i)]);
    }
    control.LoadFromFile(path, 5);
    EXPECT_TRUE(control.Icon().empty());
}

TEST(TPellimarNames, ExtensionDecidesThePath) {
    TempDir dir;
    const Bytes ico = threeImageIco();
    // Image number 3 on the icon-file path is the 48 x 48 image; on the executable path
    // an icon file is one icon, so index 3 is nothing and index 0 is that icon at 32.
    for (const char* name : {"a.ICO", "b.ico", "c.Ico"}) {
        TPellimar control;
        control.LoadFromFile(dir.write(name, ico), 3);
        EXPECT_EQ(control.Icon().width, 48) << name;
    }
    for (const char* name : {"d.ico.exe", "noextension"}) {
        TPellimar control;
        auto path = dir.write(name, ico);
        control.LoadFromFile(path, 3);
        EXPECT_TRUE(control.Icon().empty()) << name;
        control.LoadFromFile(path, 0);
        EXPECT_EQ(control.Icon().width, 32) << name;
        EXPECT_EQ(centre(control.Icon()), 0xFF00FF00u) << name;
    }
    EXPECT_EQ(upperExtension("dir.x/file"), "");
    EXPECT_EQ(upperExtension("/a/b.tar.Ico"), ".ICO");
    EXPECT_EQ(upperExtension(".ico"), ".ICO");
}

TEST(TPellimarSetters, WritingTheSameValueLoadsNothing) {
    TempDir dir;
    auto red =
        dir.write("red.dll", makePe({{{dibImage(solidIcon(32, 32, 0xFFFF0000), 24)}, {}, {}},
                                     {{dibImage(solidIcon(32, 32, 0xFF0000FF), 24)}, {}, {}}}));
    TPellimar control;
    control.setFileName(red);
    EXPECT_EQ(centre(control.Icon()), 0xFFFF0000u);
    control.setIcon({});
    control.setFileName(red);  // same name: nothing read
    EXPECT_TRUE(control.Icon().empty());
    control.setIconIndex(0);  // same index: nothing read
    EXPECT_TRUE(control.Icon().empty());
    control.setIconIndex(1);
    EXPECT_EQ(centre(control.Icon()), 0xFF0000FFu);
    EXPECT_EQ(control.IconIndex(), 1);
    control.setFileName(dir.path() / "missing.dll");
    EXPECT_TRUE(control.Icon().empty());
}

TEST(TPellimarFailures, GiveAnEmptyIcon) {
    TempDir dir;
    TPellimar control;
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
        control.LoadFromFile(dir.write(name, bytes), 1);
        EXPECT_TRUE(control.Icon().empty()) << name;
    }
    EXPECT_FALSE(TPellimar::ExtractIcoImage(dir.path() / "cursor.ico", 1));
}

TEST(TPellimarIconFile, OneImageFileOfA2216ByteImageIs2238Bytes) {
    IconImage image = dibImage(patternIcon(32, 32, 256), 8);
    ASSERT_EQ(image.data.size(), 2216u);
    TempDir dir;
    Bytes source = makeIco({dibImage(solidIcon(16, 16, 0xFFFF0000), 4), image});
    auto bytes = TPellimar::ExtractIcoImage(dir.write("two.ico", source), 2);
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->size(), 2238u);
    EXPECT_EQ(get16(*bytes, 4), 1);
    EXPECT_EQ(get32(*bytes, 18), 22u);
    EXPECT_TRUE(std::equal(bytes->begin() + 6, bytes->begin() + 18, source.begin() + 6 + 16));
    EXPECT_TRUE(std::equal(bytes->begin() + 22, bytes->end(), image.data.begin()));
}

TEST(TPellimarPaint, DrawsTheIconAtItsOwnSizeAtTheOrigin) {
    TPellimar control;
    EXPECT_EQ(control.width(), 32);
    EXPECT_EQ(control.height(), 32);
    control.setIcon(solidIcon(8, 8, 0xFF0000FF));
    QImage shot = control.grab().toImage();
    EXPECT_EQ(shot.pixel(3, 3) & 0xFFFFFF, 0x0000FFu);
    EXPECT_NE(shot.pixel(20, 20) & 0xFFFFFF, 0x0000FFu);
}

TEST(IconQt, DrawingFollowsTheMaskRuleAndAlpha) {
    pellimar::Icon icon = solidIcon(4, 1, 0);
    icon.color = {0xFFFF0000, 0xFF000000, 0xFFFFFFFF, 0xFF00FF00};
    icon.mask = {0, 1, 1, 1};  // red, transparent, inverted, inverted
    QImage target(4, 1, QImage::Format_RGB32);
    target.fill(QColor(0x40, 0x80, 0xC0));
    drawIconOnImage(target, 0, 0, icon);
    EXPECT_EQ(target.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(target.pixel(1, 0) & 0xFFFFFF, 0x4080C0u);
    EXPECT_EQ(target.pixel(2, 0) & 0xFFFFFF, 0xBF7F3Fu);
    EXPECT_EQ(target.pixel(3, 0) & 0xFFFFFF, 0x407FC0u);

    pellimar::Icon alpha = solidIcon(1, 1, 0x80FF0000);
    alpha.hasAlpha = true;
    QImage white = iconOnWhiteImage(alpha);
    EXPECT_EQ(white.pixel(0, 0) & 0xFFFFFF, 0xFF7F7Fu);
    QImage plain = iconToImage(icon);
    EXPECT_EQ(plain.format(), QImage::Format_ARGB32);
    EXPECT_EQ(plain.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(qAlpha(plain.pixel(1, 0)), 0);
    EXPECT_TRUE(iconToImage({}).isNull());
}

}  // namespace
}  // namespace pellimar
