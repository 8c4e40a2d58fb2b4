#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/bmp_file.h"
#include "platform/jpeg_file.h"
#include "platform/png_codec.h"

using namespace pellimar;

namespace {

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24;
}

RgbImage sample(int w, int h) {
    RgbImage img = whiteImage(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.pixels[std::size_t(y) * w + x] = x < w / 2 ? 0xD02010 : 0x1040C0;
    return img;
}

}  // namespace

TEST(BmpFile, TwentyFourBitBottomUpWithPaddedRows) {
    RgbImage img = whiteImage(3, 2);
    img.pixels = {0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F, 0x101112};
    const auto encoded = encodeBmp24(img);
    ASSERT_TRUE(encoded);
    const std::vector<std::uint8_t>& b = *encoded;
    ASSERT_EQ(b.size(), 54u + 2 * 12);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(le32(b, 2), 78u);
    EXPECT_EQ(le32(b, 10), 54u);
    EXPECT_EQ(le32(b, 14), 40u);
    EXPECT_EQ(le32(b, 18), 3u);
    EXPECT_EQ(le32(b, 22), 2u);
    EXPECT_EQ(b[26] | b[27] << 8, 1);
    EXPECT_EQ(b[28] | b[29] << 8, 24);
    EXPECT_EQ(le32(b, 30), 0u);
    EXPECT_EQ(le32(b, 34), 24u);
    // First stored row is the bottom one, blue first, padded with 3 zero bytes.
    std::vector<std::uint8_t> row(b.begin() + 54, b.begin() + 66);
    EXPECT_EQ(row, (std::vector<std::uint8_t>{0x0C, 0x0B, 0x0A, 0x0F, 0x0E, 0x0D, 0x12, 0x11, 0x10,
                                              0, 0, 0}));
}

TEST(JpegFile, BaselineColourRoundTrip) {
    RgbImage img = sample(32, 32);
    const std::vector<std::uint8_t> j = encodeJpeg(img).value();
    ASSERT_GT(j.size(), 100u);
    EXPECT_EQ(j[0], 0xFF);
    EXPECT_EQ(j[1], 0xD8);
    // Baseline: an SOF0 marker and no progressive SOF2.
    bool sof0 = false, sof2 = false;
    for (std::size_t i = 0; i + 1 < j.size(); ++i) {
        if (j[i] == 0xFF && j[i + 1] == 0xC0) sof0 = true;
        if (j[i] == 0xFF && j[i + 1] == 0xC2) sof2 = true;
    }
    EXPECT_TRUE(sof0);
    EXPECT_FALSE(sof2);
    RgbImage back = decodeJpeg(j);
    ASSERT_EQ(back.width, 32);
    ASSERT_EQ(back.height, 32);
    auto close = [](std::uint32_t a, std::uint32_t b) {
        for (int s = 0; s <= 16; s += 8)
            if (std::abs(int(a >> s & 0xFF) - int(b >> s & 0xFF)) > 12) return false;
        return true;
    };
    EXPECT_TRUE(close(back.at(4, 4), 0xD02010)) << std::hex << back.at(4, 4);
    EXPECT_TRUE(close(back.at(28, 28), 0x1040C0)) << std::hex << back.at(28, 28);
}

TEST(JpegFile, GarbageAndTruncationGiveNothingOrAPicture) {
    std::vector<std::uint8_t> junk(100, 0x55);
    EXPECT_TRUE(decodeJpeg(junk).empty());
    RgbImage noisy = sample(64, 64);
    std::uint32_t seed = 1;
    for (auto& p : noisy.pixels) p = (seed = seed * 1103515245u + 12345u) >> 8;
    const std::vector<std::uint8_t> j = encodeJpeg(noisy).value();
    ASSERT_GT(j.size(), 4000u);
    std::vector<std::uint8_t> head(j.begin(), j.begin() + 20);
    EXPECT_TRUE(decodeJpeg(head).empty());
    // Cut in the middle of the scan: libjpeg fills the rest; no crash, a picture.
    std::vector<std::uint8_t> half(j.begin(), j.begin() + long(j.size() / 2));
    RgbImage partial = decodeJpeg(half);
    EXPECT_EQ(partial.width, 64);
    // Decoding stops where the data ends: the rows it did not reach are plain grey,
    // not made up from nothing row by row.
    ASSERT_EQ(partial.height, 64);
    for (int x = 0; x < 64; ++x) EXPECT_EQ(partial.at(x, 63), 0x808080u) << x;
    RgbImage whole = decodeJpeg(j);
    EXPECT_EQ(partial.at(5, 0), whole.at(5, 0));
}

// A few hundred bytes stating 8,154 x 7,967 pixels cannot hold the picture: it
// is refused before anything is made of it, while its header still tells its size;
// a whole flat picture of many pixels a byte reads.
TEST(JpegFile, AFileStatingMorePixelsThanItsBytesHoldIsRefused) {
    std::vector<std::uint8_t> j = encodeJpeg(sample(8, 8)).value();
    std::size_t frame = 0;
    for (std::size_t i = 2; i + 1 < j.size() && !frame; ++i)
        if (j[i] == 0xFF && j[i + 1] == 0xC0) frame = i;
    ASSERT_NE(frame, 0u);
    EXPECT_EQ(jpegSize(j), std::make_pair(8, 8));
    j[frame + 5] = 7967 >> 8, j[frame + 6] = 7967 & 0xFF;
    j[frame + 7] = 8154 >> 8, j[frame + 8] = 8154 & 0xFF;
    EXPECT_EQ(jpegSize(j), std::make_pair(8154, 7967));
    EXPECT_TRUE(decodeJpeg(j).empty());
    EXPECT_FALSE(jpegSize(std::vector<std::uint8_t>(j.begin(), j.begin() + long(frame))));

    const std::vector<std::uint8_t> flat = encodeJpeg(whiteImage(1024, 1024)).value();
    const RgbImage white = decodeJpeg(flat);
    EXPECT_EQ(white.width, 1024);
    EXPECT_EQ(white.at(1000, 1000), 0xFFFFFFu);
}

// Pictures that cannot be encoded say why, as every encoder does.
TEST(ImageFiles, EncodersSayWhyAPictureCannotBeEncoded) {
    const std::vector<Result<std::vector<std::uint8_t>>> empty = {
        encodeBmp24(RgbImage{}), encodeJpeg(RgbImage{}), encodePng(RgbaImage{})};
    for (const auto& e : empty) {
        ASSERT_FALSE(e);
        EXPECT_EQ(e.failure().fault, Fault::CannotEncode);
        EXPECT_EQ(e.failure().message(), "cannot be encoded: the picture is empty");
    }
    const auto wide = encodeJpeg(whiteImage(8193, 1));
    ASSERT_FALSE(wide);
    EXPECT_EQ(wide.failure().cap, Cap::JpegSide);
    EXPECT_EQ(wide.failure().message(), "stopped at a limit: 8192 pixels a side of a JPEG picture");
}
