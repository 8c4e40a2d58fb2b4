// Icon groups as stored, written back as icon files.
#include "platform/icon_group.h"

#include <gtest/gtest.h>

#include "support/fixtures.h"

namespace pellimar {
namespace {

using namespace fixtures;

TEST(IconGroupFile, HoldsTheReadableImagesInOrderWithTheirOwnSizes) {
    StoredImage a{{}, {1, 2, 3}, true}, lost{{}, {}, false}, b{{}, {9, 8, 7, 6, 5}, true};
    a.entry.width = 16, a.entry.height = 16, a.entry.colorCount = 16, a.entry.planes = 1;
    a.entry.bitCount = 4, a.entry.bytesInRes = 999;  // a group's stated size is not copied
    b.entry.width = 0, b.entry.height = 0, b.entry.bitCount = 32, b.entry.reserved = 7;
    const std::vector<StoredImage> images = {a, lost, b};
    const Bytes file = encodeIcoFile(images);
    ASSERT_EQ(file.size(), 6u + 2 * 16 + 3 + 5);
    EXPECT_EQ(get16(file, 0), 0);
    EXPECT_EQ(get16(file, 2), 1);
    EXPECT_EQ(get16(file, 4), 2);
    EXPECT_EQ(Bytes(file.begin() + 6, file.begin() + 14), (Bytes{16, 16, 16, 0, 1, 0, 4, 0}));
    EXPECT_EQ(get32(file, 6 + 8), 3u);
    EXPECT_EQ(get32(file, 6 + 12), 38u);
    EXPECT_EQ(Bytes(file.begin() + 22, file.begin() + 30), (Bytes{0, 0, 0, 7, 0, 0, 32, 0}));
    EXPECT_EQ(get32(file, 22 + 8), 5u);
    EXPECT_EQ(get32(file, 22 + 12), 41u);
    EXPECT_EQ(Bytes(file.begin() + 38, file.end()), (Bytes{1, 2, 3, 9, 8, 7, 6, 5}));

    EXPECT_TRUE(encodeIcoFile(std::vector<StoredImage>{lost}).empty());
    EXPECT_TRUE(encodeIcoFile(std::vector<StoredImage>{}).empty());
}

TEST(IconGroupFile, StoredImagesOfAFileMissingTheirDataAreMarked) {
    const IconImage one = dibImage(patternIcon(16, 16), 8), two = pngImage(patternIcon(32, 32));
    Bytes file = makePe({{{one, two}}});
    const std::uint8_t group[] = {0, 0, 1, 0, 2, 0, 16, 16};
    auto at = std::search(file.begin(), file.end(), std::begin(group), std::end(group));
    ASSERT_NE(at, file.end());
    put16(file, std::size_t(at - file.begin()) + 6 + 12, 0x4444);  // image 0: no such id
    IconResources res(file);
    auto images = storedImages(res, 0);
    ASSERT_EQ(images.size(), 2u);
    EXPECT_FALSE(images[0].readable);
    EXPECT_TRUE(images[1].readable);
    EXPECT_EQ(images[1].data, two.data);
    EXPECT_EQ(images[1].entry.pixelWidth(), 32);
    EXPECT_TRUE(storedImages(res, 1).empty());
}

TEST(IconGroupFile, AGroupIsReadOnlyUpToItsBudget) {
    const IconImage image = dibImage(patternIcon(32, 32), 32);
    // One image named four times, as a file may do to make a group huge.
    const Bytes file = makePe({{{image, image, image, image}}});  // outlives the reader
    IconResources res(file);
    const std::uint64_t one = image.data.size();
    auto images = storedImages(res, 0, 3 * one - 1);
    ASSERT_EQ(images.size(), 4u);
    EXPECT_TRUE(images[0].readable);
    EXPECT_TRUE(images[1].readable);
    EXPECT_FALSE(images[2].readable);  // would pass the budget: not read
    EXPECT_TRUE(images[2].data.empty());
    EXPECT_FALSE(images[3].readable);
    EXPECT_EQ(get16(encodeIcoFile(images), 4), 2);
    // The image's place and length are known without reading it.
    const auto extent = res.imageExtent(images[3].entry);
    ASSERT_TRUE(extent);
    EXPECT_EQ(extent->length, one);
    EXPECT_EQ(res.imageStart(images[3].entry, 4),
              Bytes(image.data.begin(), image.data.begin() + 4));
}

TEST(PngHeader, SizeAndBitsPerPixelFromTheHeaderAlone) {
    Bytes png = pngImage(patternIcon(48, 20)).data;
    auto header = readPngHeader(png);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->width, 48);
    EXPECT_EQ(header->height, 20);
    EXPECT_EQ(header->bitsPerPixel, 32);
    png.resize(33);  // the image data is not looked at
    EXPECT_TRUE(readPngHeader(png));
    EXPECT_FALSE(readPngHeader(png, 40));  // wider than allowed
    Bytes bad = png;
    bad[8 + 8 + 9] = 3;  // colour type 3 (palette) at depth 8: 8 bits a pixel
    EXPECT_EQ(readPngHeader(bad)->bitsPerPixel, 8);
    bad[8 + 8 + 9] = 5;  // no such colour type
    EXPECT_FALSE(readPngHeader(bad));
    bad = png;
    bad[8 + 8 + 8] = 3;  // no such depth
    EXPECT_FALSE(readPngHeader(bad));
    bad = png;
    put32(bad, 8 + 8, 0);  // width 0
    EXPECT_FALSE(readPngHeader(bad));
    bad = png;
    bad[12] = 'X';  // not an IHDR chunk
    EXPECT_FALSE(readPngHeader(bad));
    EXPECT_FALSE(readPngHeader(Bytes(png.begin(), png.begin() + 28)));  // cut off
}

}  // namespace
}  // namespace pellimar
