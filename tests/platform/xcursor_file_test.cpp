// X cursor files made of cursor groups and animations, read back by the X
// cursor library itself: every size, hotspot, frame, pixel and delay.
#include "platform/xcursor_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/animation.h"
#include "platform/icon_set.h"
#include "support/fixtures.h"
#include "xcursor_loader.h"

namespace pellimar {
namespace {

using namespace fixtures;

using Loaded = testing::LoadedCursor;

// What the X cursor library reads of `bytes` written as a file.
Loaded loadWithXcursor(const std::vector<std::uint8_t>& bytes) {
    TempDir dir;
    return testing::loadXcursorFile(dir.write("cursor", bytes)).value_or(Loaded{});
}

// `argb` (straight alpha) premultiplied, as an X cursor holds it.
std::uint32_t premultiply(std::uint32_t argb) {
    const std::uint32_t a = argb >> 24;
    auto c = [&](int shift) { return (((argb >> shift) & 0xFF) * a + 127) / 255 << shift; };
    return a << 24 | c(16) | c(8) | c(0);
}

// Whether each channel of `got` is within one of `want`.
bool near(std::uint32_t got, std::uint32_t want) {
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(int((got >> shift) & 0xFF) - int((want >> shift) & 0xFF)) > 1) return false;
    return true;
}

// How many pixels of `image` are not what `picture` shows, premultiplied.
int wrongPixels(const Loaded::Image& image, const Icon& picture) {
    int wrong = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            std::uint32_t want = picture.pixel(x, y);
            if (!picture.hasAlpha) want = picture.maskBit(x, y) ? 0 : (want | 0xFF000000u);
            wrong += !near(image.pixels[std::size_t(y) * picture.width + x], premultiply(want));
        }
    return wrong;
}

TEST(XcursorFile, CursorGroupKeepsEverySizeAndHotspot) {
    const Icon small = alphaPatternIcon(16, 16), middle = patternIcon(32, 32, 16),
               large = alphaPatternIcon(48, 48);
    const Bytes cur = makeCur(
        {{dibImage(middle, 4), 5, 6}, {dibImage(small, 32), 1, 2}, {pngImage(large), 40, 47}});
    auto set = IconSet::read(ByteSource(cur));
    ASSERT_TRUE(set) << why(set);
    const IconGroup& group = set->load(ResourceKind::Cursor, 0);
    const Result<XcursorFile> file = xcursorFromGroup(group);
    ASSERT_TRUE(file) << why(file);
    EXPECT_EQ(file->sizes, (std::vector<int>{16, 32, 48}));
    EXPECT_TRUE(file->shrunkSizes.empty());
    EXPECT_TRUE(file->notes.empty());
    const Loaded loaded = loadWithXcursor(file->bytes);
    ASSERT_EQ(loaded.images.size(), 3u);
    const struct {
        const Icon* picture;
        unsigned xhot, yhot;
    } want[] = {{&small, 1, 2}, {&middle, 5, 6}, {&large, 40, 47}};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const Loaded::Image& image = loaded.images[i];
        EXPECT_EQ(image.size, unsigned(want[i].picture->width));
        EXPECT_EQ(image.width, unsigned(want[i].picture->width));
        EXPECT_EQ(image.height, unsigned(want[i].picture->height));
        EXPECT_EQ(image.xhot, want[i].xhot);
        EXPECT_EQ(image.yhot, want[i].yhot);
        EXPECT_EQ(image.delay, 0u);
        EXPECT_EQ(wrongPixels(image, *want[i].picture), 0);
    }
    // The same group makes the same bytes.
    EXPECT_EQ(xcursorFromGroup(group)->bytes, file->bytes);
}

TEST(XcursorFile, AnimationHasEveryStepWithItsDelay) {
    const Icon red = alphaPatternIcon(32, 32), green = solidIcon(32, 32, 0xFF00FF00),
               blue = solidIcon(32, 32, 0xFF0000FF);
    AniSpec layout;
    layout.frames = {
        makeCur({{dibImage(red, 32), 3, 4}, {dibImage(solidIcon(16, 16, 0xFFFF0000), 32), 1, 1}}),
        makeCur({{dibImage(green, 24), 5, 6}}), makeIco({dibImage(blue, 32)})};
    layout.sequence = {0, 1, 0, 2};
    layout.rates = {5, 10, 15, 20};
    const Bytes ani = makeAni(layout);
    auto set = IconSet::read(ByteSource(ani), ReadScope{true});
    ASSERT_TRUE(set) << why(set);
    const Animation& animation = set->loadAnimation(0);
    const Result<XcursorFile> file = xcursorFromAnimation(animation);
    ASSERT_TRUE(file) << why(file);
    // Size 16 is held by the first frame alone.
    EXPECT_EQ(file->sizes, std::vector<int>{32});
    ASSERT_EQ(file->notes.size(), 1u);
    EXPECT_EQ(file->notes[0].message(),
              "animated cursor 0: size 16 is left out: frame 1 has no image of it");
    const Loaded loaded = loadWithXcursor(file->bytes);
    ASSERT_EQ(loaded.images.size(), 4u);
    const struct {
        const Icon* picture;
        unsigned xhot, yhot, delay;
    } want[] = {{&red, 3, 4, 83}, {&green, 5, 6, 167}, {&red, 3, 4, 250}, {&blue, 16, 16, 333}};
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const Loaded::Image& image = loaded.images[i];
        EXPECT_EQ(image.size, 32u);
        EXPECT_EQ(image.xhot, want[i].xhot);
        EXPECT_EQ(image.yhot, want[i].yhot);
        EXPECT_EQ(image.delay, want[i].delay);
        EXPECT_EQ(wrongPixels(image, *want[i].picture), 0);
    }
    // The frame shown twice with its own delays is stored twice; once with equal ones.
    layout.rates = {5, 10, 5, 20};
    const Bytes same = makeAni(layout);
    auto again = IconSet::read(ByteSource(same), ReadScope{true});
    const Result<XcursorFile> shared = xcursorFromAnimation(again->loadAnimation(0));
    ASSERT_TRUE(shared) << why(shared);
    EXPECT_EQ(file->bytes.size() - shared->bytes.size(), 36u + 32 * 32 * 4);
    EXPECT_EQ(loadWithXcursor(shared->bytes).images.size(), 4u);
}

TEST(XcursorFile, CommonSizesAreShrunkFromLargerImagesOnly) {
    const Bytes cur = makeCur({{dibImage(solidIcon(64, 64, 0xFF336699), 32), 32, 16},
                               {dibImage(solidIcon(20, 20, 0xFF336699), 32), 2, 2}});
    auto set = IconSet::read(ByteSource(cur));
    const Result<XcursorFile> file =
        xcursorFromGroup(set->load(ResourceKind::Cursor, 0), XcursorOptions{{24, 32, 48, 96}});
    ASSERT_TRUE(file) << why(file);
    // 96 is not made up; 20 is never enlarged.
    EXPECT_EQ(file->sizes, (std::vector<int>{20, 24, 32, 48, 64}));
    EXPECT_EQ(file->shrunkSizes, (std::vector<int>{24, 32, 48}));
    const Loaded loaded = loadWithXcursor(file->bytes);
    ASSERT_EQ(loaded.images.size(), 5u);
    EXPECT_EQ(loaded.images[2].width, 32u);
    EXPECT_EQ(loaded.images[2].xhot, 16u);
    EXPECT_EQ(loaded.images[2].yhot, 8u);
    EXPECT_EQ(loaded.images[1].xhot, 12u);
    EXPECT_TRUE(near(loaded.images[3].pixels[100], 0xFF336699));
}

TEST(XcursorFile, WhatCannotBeShownIsTold) {
    // An inverting pixel (mask 1 over white) and a hotspot past the image.
    Icon picture = solidIcon(16, 16, 0xFF000000);
    picture.color[0] = 0xFFFFFFFF;
    picture.mask[0] = 1;
    const Bytes cur = makeCur({{dibImage(picture, 24), 20, 3}});
    auto set = IconSet::read(ByteSource(cur));
    const Result<XcursorFile> file = xcursorFromGroup(set->load(ResourceKind::Cursor, 0));
    ASSERT_TRUE(file) << why(file);
    ASSERT_EQ(file->notes.size(), 2u);
    EXPECT_EQ(file->notes[0].message(),
              "cursor: image 0: its hotspot (20, 3) lies outside it and is moved to (15, 3)");
    EXPECT_EQ(file->notes[1].message(),
              "cursor: image 0: 1 pixels that invert what is under them are drawn black (an X "
              "cursor cannot invert)");
    const Loaded loaded = loadWithXcursor(file->bytes);
    ASSERT_EQ(loaded.images.size(), 1u);
    EXPECT_EQ(loaded.images[0].xhot, 15u);
    EXPECT_EQ(loaded.images[0].pixels[0], 0xFF000000u);

    // Images whose bytes were not loaded give nothing to make.
    auto unloaded = IconSet::read(ByteSource(cur));
    EXPECT_FALSE(xcursorFromGroup(unloaded->cursors()[0]));

    XcursorImage bad;
    bad.width = bad.height = 2;
    bad.pixels.resize(4);
    bad.xhot = 2;
    EXPECT_FALSE(encodeXcursorImages(std::span(&bad, 1)));
    EXPECT_FALSE(encodeXcursorImages({}));
}

}  // namespace
}  // namespace pellimar
