// Icon files of 16 and 256 colours, read back by Qt's own icon reader as well
// (which the platform tests do not link).
#include "platform/reduced_icon_file.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include "core/settings.h"
#include "export/save_command.h"
#include "export/save_report.h"
#include "platform/icon_decode.h"
#include "platform/icon_set.h"
#include "platform/image_choice.h"
#include "platform/palette.h"
#include "support/fixtures.h"

using namespace pellimar;

namespace {

std::uint32_t u16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8;
}
std::uint32_t u32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return u16(b, at) | u16(b, at + 2) << 16;
}

// A size x size icon of standard colours with a transparent top-left quarter.
Icon standardIcon(int size) {
    Icon icon;
    icon.width = icon.height = size;
    icon.bitCount = 4;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            bool clear = x < size / 2 && y < size / 2;
            icon.color.push_back(clear ? 0 : 0xFF000000 | standardColors()[(x + y) % 16]);
            icon.mask.push_back(clear ? 1 : 0);
        }
    return icon;
}

std::vector<std::uint8_t> write(const std::vector<Icon>& icons) {
    auto bytes = encodeReducedIconFile(icons);
    EXPECT_TRUE(bytes) << bytes.failure().message();
    return bytes ? *bytes : std::vector<std::uint8_t>{};
}

// Image `index` of an icon file's bytes, decoded by the program's own reader.
Icon imageOf(const std::vector<std::uint8_t>& file, int index) {
    auto set = IconSet::read(ByteSource(file));
    if (!set || set->iconCount() != 1) return {};
    const IconGroup& group = set->load(ResourceKind::Icon, 0);
    if (std::size_t(index) >= group.images.size()) return {};
    auto icon = decodeStoredImage(group.images[std::size_t(index)]);
    return icon ? *icon : Icon{};
}

struct Layout {
    int size, bitCount, total, inResource, sizeImage;
};

void expectLayout(const std::vector<std::uint8_t>& b, const Layout& l) {
    ASSERT_EQ(int(b.size()), l.total);
    EXPECT_EQ(u16(b, 0), 0u);
    EXPECT_EQ(u16(b, 2), 1u);
    EXPECT_EQ(u16(b, 4), 1u);
    // Directory entry: the standard one, colour count (16, or 0 for 256), a
    // reserved 0, one plane and the bit count.
    EXPECT_EQ(b[6], l.size);
    EXPECT_EQ(b[7], l.size);
    EXPECT_EQ(b[8], l.bitCount == 4 ? 16 : 0);
    EXPECT_EQ(b[9], 0);
    EXPECT_EQ(u16(b, 10), 1u);
    EXPECT_EQ(int(u16(b, 12)), l.bitCount);
    EXPECT_EQ(int(u32(b, 14)), l.inResource);
    EXPECT_EQ(u32(b, 18), 22u);
    // BITMAPINFOHEADER.
    EXPECT_EQ(u32(b, 22), 40u);
    EXPECT_EQ(int(u32(b, 26)), l.size);
    EXPECT_EQ(int(u32(b, 30)), 2 * l.size);
    EXPECT_EQ(u16(b, 34), 1u);
    EXPECT_EQ(int(u16(b, 36)), l.bitCount);
    EXPECT_EQ(u32(b, 38), 0u);
    EXPECT_EQ(int(u32(b, 42)), l.sizeImage);
    EXPECT_EQ(u32(b, 46), 0u);
    EXPECT_EQ(u32(b, 50), 0u);
    EXPECT_EQ(u32(b, 54), l.bitCount == 4 ? 16u : 256u);
    EXPECT_EQ(u32(b, 58), 0u);
}

// Black and white in stripes, a transparent block (mask 1, black) and an
// inverting block (mask 1, white).
Icon monochromePicture(int size) {
    Icon icon;
    icon.width = icon.height = size;
    icon.bitCount = 1;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const bool clear = x < size / 4 && y < size / 4;
            const bool invert = x >= size - size / 4 && y >= size - size / 4;
            const bool white = invert || (!clear && (x / 2 + y) % 3 == 0);
            icon.color.push_back(white ? 0xFFFFFFFF : 0xFF000000);
            icon.mask.push_back(clear || invert ? 1 : 0);
        }
    return icon;
}

QImage readBack(const std::vector<std::uint8_t>& bytes) {
    QByteArray data(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer, "ico");
    return reader.read();
}

}  // namespace

TEST(ReducedIconFile, StandardColoursGiveSixteenColourFiles) {
    auto b32 = write({standardIcon(32)});
    expectLayout(b32, {32, 4, 766, 744, 512});
    auto b16 = write({standardIcon(16)});
    expectLayout(b16, {16, 4, 318, 296, 128});
    // Colour table (64 bytes), then 512 pixel bytes, then a 128-byte mask.
    std::vector<std::uint32_t> table;
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(b32[62 + 4 * i + 3], 0);
        table.push_back(u32(b32, 62 + 4 * i) & 0xFFFFFF);
    }
    EXPECT_EQ(table, std::vector<std::uint32_t>(standardColors().begin(), standardColors().end()));
    // Bottom row first: the mask's last stored row is the top row, transparent
    // on its left half.
    const std::size_t maskAt = 22 + 104 + 512;
    EXPECT_EQ(b32[maskAt], 0x00);               // bottom row: opaque
    EXPECT_EQ(b32[maskAt + 31 * 4], 0xFF);      // top row, left 8 pixels
    EXPECT_EQ(b32[maskAt + 31 * 4 + 2], 0x00);  // top row, right half

    QImage img = readBack(b32);
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.size(), QSize(32, 32));
    EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
    EXPECT_EQ(img.pixel(31, 31) & 0xFFFFFF, standardColors()[62 % 16]);
}

TEST(ReducedIconFile, OneOtherColourGivesTwoHundredFiftySixColours) {
    Icon icon = standardIcon(32);
    icon.color[32 * 20 + 20] = 0xFFFF8000;
    auto b = write({icon});
    expectLayout(b, {32, 8, 2238, 2216, 1024});
    Icon small = standardIcon(16);
    small.color[200] = 0xFF123456;
    expectLayout(write({small}), {16, 8, 1406, 1384, 256});

    QImage img = readBack(b);
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.pixel(20, 20) & 0xFFFFFF, 0xFF8000u);  // few colours: kept exactly
    EXPECT_EQ(qAlpha(img.pixel(3, 3)), 0);
}

TEST(ReducedIconFile, GreyAndSilverAreStandardOtherGreysAreNot) {
    Icon icon = standardIcon(16);
    icon.color[100] = 0xFF808080;
    icon.color[101] = 0xFFC0C0C0;
    ASSERT_TRUE(bitmapsOf(icon));
    EXPECT_EQ(chooseIconColors(bitmapsOf(icon)->color), 16);
    icon.color[102] = 0xFF7F7F7F;
    ASSERT_TRUE(bitmapsOf(icon));
    EXPECT_EQ(chooseIconColors(bitmapsOf(icon)->color), 256);
}

TEST(ReducedIconFile, AlphaIsDroppedAndCarriedByTheMask) {
    Icon icon;
    icon.width = icon.height = 32;
    icon.hasAlpha = true;
    icon.mask.assign(32 * 32, 0);
    for (int i = 0; i < 32 * 32; ++i)
        icon.color.push_back(i % 32 < 8 ? 0x20FFFFFF  // nearly transparent white
                                        : 0xC0000000 | std::uint32_t(i * 977 % 0xFFFFFF));
    auto b = write({icon});
    ASSERT_EQ(b.size(), 2238u);
    QImage img = readBack(b);
    ASSERT_FALSE(img.isNull());
    // Transparent parts are masked with black colour, so they neither show nor invert.
    EXPECT_EQ(qAlpha(img.pixel(2, 5)), 0);
    EXPECT_EQ(qAlpha(img.pixel(20, 5)), 255);
    const std::size_t xorAt = 22 + 1064;
    EXPECT_EQ(b[xorAt], 0);  // bottom-left pixel's palette entry
    EXPECT_EQ(u32(b, 22 + 40 + 4 * b[xorAt]) & 0xFFFFFF, 0u);
}

TEST(ReducedIconFile, SeveralIconsShareOneHeader) {
    auto b = write({standardIcon(32), standardIcon(16)});
    ASSERT_EQ(b.size(), 6u + 32 + 744 + 296);
    EXPECT_EQ(u16(b, 0), 0u);
    EXPECT_EQ(u16(b, 2), 1u);
    EXPECT_EQ(u16(b, 4), 2u);
    EXPECT_EQ(b[6], 32);
    EXPECT_EQ(u32(b, 18), 38u);
    EXPECT_EQ(b[22], 16);
    EXPECT_EQ(u32(b, 22 + 8), 296u);
    EXPECT_EQ(u32(b, 22 + 12), 38u + 744);
    QByteArray data(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer, "ico");
    EXPECT_EQ(reader.imageCount(), 2);
}

TEST(ReducedIconFile, ReducedImagesCarryTheStandardEntryAndTheFileHoldsThemAsTheyAre) {
    Icon many = standardIcon(32);
    many.color[32 * 20 + 20] = 0xFFFF8000;
    const std::pair<Icon, IconDirEntry> cases[] = {
        {standardIcon(32), {32, 32, 16, 0, 1, 4}},
        {many, {32, 32, 0, 0, 1, 8}},
        {standardIcon(16), {16, 16, 16, 0, 1, 4}},
        {standardIcon(256), {0, 0, 16, 0, 1, 4}},  // 256 pixels and more are stated as 0
        {standardIcon(300), {0, 0, 16, 0, 1, 4}},
    };
    for (const auto& [icon, entry] : cases) {
        const auto reduced = reduceIconColors(icon);
        ASSERT_TRUE(reduced) << reduced.failure().message();
        const IconDirEntry& e = reduced->entry;
        EXPECT_EQ(e.width, entry.width);
        EXPECT_EQ(e.height, entry.height);
        EXPECT_EQ(e.colorCount, entry.colorCount) << int(e.bitCount);
        EXPECT_EQ(e.reserved, 0);
        EXPECT_EQ(e.planes, 1);
        EXPECT_EQ(e.bitCount, entry.bitCount);
        // The file is the header, the entry with the size and place, then the image.
        const auto file = write({icon});
        ASSERT_EQ(file.size(), 22 + reduced->data.size());
        EXPECT_EQ(u32(file, 14), reduced->data.size());
        EXPECT_TRUE(std::equal(reduced->data.begin(), reduced->data.end(), file.begin() + 22));
    }
}

TEST(ReducedIconFile, IconsThatCannotBeDescribedWriteNothing) {
    const auto one = encodeReducedIconFile(std::vector<Icon>{Icon{}});
    ASSERT_FALSE(one);
    EXPECT_EQ(one.failure().fault, Fault::CannotEncode);
    EXPECT_FALSE(reduceIconColors(Icon{}));
    const Icon huge = fixtures::solidIcon(1025, 1, 0xFF000000);
    EXPECT_FALSE(reduceIconColors(huge));
    // One icon that cannot be reduced fails the whole file.
    EXPECT_FALSE(encodeReducedIconFile(std::vector<Icon>{standardIcon(16), Icon{}}));
    EXPECT_FALSE(encodeReducedIconFile(std::vector<Icon>{}));
}

TEST(ReducedIconFile, DibHeadersFollowTheRequestedColours) {
    Bitmap bm{20, 10, 32, std::vector<std::uint32_t>(200, 0)};
    std::optional<DibHeader> h = dibHeaderFor(bm, 2);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->bitCount, 1);
    EXPECT_EQ(h->imageSize, 4u * 10);
    h = dibHeaderFor(bm, 16);
    EXPECT_EQ(h->bitCount, 4);
    EXPECT_EQ(h->coloursUsed, 16u);
    EXPECT_EQ(h->imageSize, 12u * 10);
    h = dibHeaderFor(bm, 0);
    EXPECT_EQ(h->bitCount, 32);
    EXPECT_EQ(h->imageSize, 80u * 10);
    std::optional<DibSizes> sizes = dibSizesOf(bm, 256);
    ASSERT_TRUE(sizes);
    EXPECT_EQ(sizes->infoSize, 1064u);
    EXPECT_EQ(sizes->imageSize, 20u * 10);
    EXPECT_EQ(dibSizesOf(bm, 2)->infoSize, 48u);
    Bitmap none;
    EXPECT_FALSE(dibHeaderFor(none, 16));
    EXPECT_FALSE(dibSizesOf(none, 16));
}

TEST(ReducedIconFile, MonochromeIconsAreSavedAsSixteenColourIcons) {
    using namespace fixtures;
    const Icon picture = monochromePicture(32);
    TempDir dir;
    const auto dll = dir.write("mono.dll", makePe({{{dibImage(picture, 1)}}}));
    auto set = IconSet::open(dll);
    ASSERT_TRUE(set);
    const IconGroup group = set->load(ResourceKind::Icon, 0);
    ASSERT_EQ(iconAtSize(group, 32)->bitCount, 1);

    // As the save command's ICO format saves the program's row.
    AppSettings sizes;
    sizes.saveSize32 = true;
    sizes.saveSize16 = false;
    sizes.saveFormat = "ico";
    SaveReport report;
    SaveContext ctx{sizes, report, {}, {}};
    saveSelectedRows({{dll, 0, true}}, dir.path() / "mono.ico", ctx);
    ASSERT_EQ(report.files().size(), 1u);
    const Bytes bytes = readWholeFile(dir.path() / "mono.ico");
    expectLayout(bytes, {32, 4, 766, 744, 512});

    const Icon back = imageOf(bytes, 0);
    ASSERT_EQ(back.width, 32);
    ASSERT_EQ(back.height, 32);
    int inverted = 0, transparent = 0;
    for (std::size_t i = 0; i < picture.color.size(); ++i) {
        EXPECT_EQ(back.color[i] & 0xFFFFFF, picture.color[i] & 0xFFFFFF) << i;
        EXPECT_EQ(back.mask[i], picture.mask[i]) << i;
        inverted += back.mask[i] && (back.color[i] & 0xFFFFFF) == 0xFFFFFF;
        transparent += back.mask[i] && (back.color[i] & 0xFFFFFF) == 0;
    }
    EXPECT_EQ(inverted, 64);
    EXPECT_EQ(transparent, 64);

    // Beside other icons in one file, each keeps its own colours.
    const auto two = write({standardIcon(16), picture});
    EXPECT_EQ(two.size(), 6u + 32 + 296 + 744);
    const Icon second = imageOf(two, 1);
    ASSERT_EQ(second.width, 32);
    EXPECT_EQ(second.mask, picture.mask);
}
