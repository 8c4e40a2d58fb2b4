// Icon files image by image: copyIcoImage and icoImageInfoTexts.
#include <gtest/gtest.h>

#include "export/ico_routines.h"
#include "support/fixtures.h"

namespace pellimar {
namespace {

using namespace fixtures;

// 16x16 4-bit, 48x48 32-bit, 32x32 8-bit (2216 bytes of image data).
Bytes threeImages() {
    return makeIco({dibImage(patternIcon(16, 16, 16), 4), dibImage(alphaPatternIcon(48, 48), 32),
                    dibImage(patternIcon(32, 32, 256), 8)});
}

TEST(CopyIcoImage, ImageNumbersFromOneAndOutOfRangeMeansTheFirst) {
    TempDir dir;
    const Bytes source = threeImages();
    auto path = dir.write("three.ico", source);
    const std::vector<std::pair<int, int>> cases = {{1, 0}, {2, 1},  {3, 2},
                                                    {0, 0}, {-1, 0}, {4, 0}};
    for (auto [number, entry] : cases) {
        auto bytes = copyIcoImage(path, number);
        ASSERT_TRUE(bytes) << number;
        std::size_t sourceEntry = 6 + 16 * std::size_t(entry);
        EXPECT_TRUE(std::equal(bytes->begin() + 6, bytes->begin() + 18,
                               source.begin() + std::ptrdiff_t(sourceEntry)))
            << number;
        EXPECT_EQ(bytes->size(), 22 + get32(source, sourceEntry + 8)) << number;
    }
}

TEST(CopyIcoImage, OneImageFileIs22BytesPlusTheImage) {
    TempDir dir;
    const Bytes source = threeImages();
    auto bytes = copyIcoImage(dir.write("three.ico", source), 3);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(get32(source, 6 + 32 + 8), 2216u);
    EXPECT_EQ(bytes->size(), 2238u);
    EXPECT_EQ(get16(*bytes, 0), 0);
    EXPECT_EQ(get16(*bytes, 2), 1);
    EXPECT_EQ(get16(*bytes, 4), 1);
    EXPECT_EQ(get32(*bytes, 18), 22u);
    const std::size_t offset = get32(source, 6 + 32 + 12);
    EXPECT_TRUE(
        std::equal(bytes->begin() + 22, bytes->end(), source.begin() + std::ptrdiff_t(offset)));
}

TEST(CopyIcoImage, WritesTheTrimmedOutFileOnlyWhenNotBlank) {
    TempDir dir;
    auto path = dir.write("three.ico", threeImages());
    auto blank = copyIcoImage(path, 2, "   ");
    ASSERT_TRUE(blank);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    const auto target = dir.path() / "out.ico";
    dir.write("out.ico", Bytes{'o', 'l', 'd'});
    auto written = copyIcoImage(path, 2, "  " + target.string() + " \t");
    ASSERT_TRUE(written);
    EXPECT_EQ(readWholeFile(target), *written);

    // A write that cannot happen makes the whole call fail.
    EXPECT_FALSE(copyIcoImage(path, 2, (dir.path() / "three.ico" / "x.ico").string()));
    EXPECT_FALSE(copyIcoImage(path, 2, (dir.path() / "no" / "such" / "x.ico").string()));
}

TEST(IcoRoutines, FilesThatAreNotIconsGiveNone) {
    TempDir dir;
    Bytes past = threeImages();
    put32(past, 6 + 8, 0x7FFFFFFF);  // image 1 runs past the end
    const Bytes whole = threeImages();
    Bytes cutEntry(whole.begin(), whole.begin() + 6 + 10);
    Bytes cutHeader = threeImages();
    cutHeader.resize(get32(cutHeader, 6 + 12) + 20);  // ends inside image 1's header
    const std::vector<std::pair<const char*, Bytes>> files = {
        {"cursor.cur", makeIco({dibImage(patternIcon(32, 32, 16), 4)}, 2)},
        {"zero.ico", Bytes{1, 0, 1, 0, 1, 0}},
        {"short.ico", Bytes{0, 0, 1}},
        {"cutentry.ico", cutEntry},
        {"cutheader.ico", cutHeader},
    };
    for (const auto& [name, bytes] : files) {
        auto path = dir.write(name, bytes);
        EXPECT_FALSE(copyIcoImage(path, 1)) << name;
        EXPECT_FALSE(icoImageInfoTexts(path, 1)) << name;
    }
    EXPECT_FALSE(copyIcoImage(dir.write("past.ico", past), 1));
    EXPECT_FALSE(copyIcoImage(dir.path() / "missing.ico", 1));
    EXPECT_FALSE(copyIcoImage(dir.path(), 1));
}

TEST(IcoImageInfoTexts, CountSizeAndTheImagesOwnBitCount) {
    TempDir dir;
    Bytes source = threeImages();
    put16(source, 6 + 16 + 6, 4);  // the entry claims 4 bits; the image header says 32
    auto path = dir.write("three.ico", source);
    EXPECT_EQ(icoImageInfoTexts(path, 2), (std::vector<std::string>{"3", "48", "48", "32"}));
    EXPECT_EQ(icoImageInfoTexts(path, 9), (std::vector<std::string>{"3", "16", "16", "4"}));
}

TEST(IcoImageInfoTexts, A256PixelImageIsReportedAsZeroAndPngByItsDepth) {
    TempDir dir;
    auto path = dir.write("big.ico", makeIco({pngImage(alphaPatternIcon(256, 256))}));
    EXPECT_EQ(icoImageInfoTexts(path, 1), (std::vector<std::string>{"1", "0", "0", "32"}));
}

}  // namespace
}  // namespace pellimar
