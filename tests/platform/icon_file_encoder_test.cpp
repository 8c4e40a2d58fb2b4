// Icon and cursor files written from groups as stored, and read back.
#include "platform/icon_file_encoder.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/fixtures.h"

namespace pellimar {
namespace {

using namespace fixtures;

Result<IconSet> readSet(const Bytes& bytes) {
    return IconSet::read(ByteSource(bytes));
}

// An image whose bytes are `data`, as a group holds it once loaded.
StoredImage loadedImage(Bytes data) {
    StoredImage image;
    auto storage = std::make_shared<const Bytes>(std::move(data));
    image.data = *storage;
    image.length = storage->size();
    image.storage = storage;
    return image;
}

TEST(StoredGroups, HoldTheLoadedImagesInOrderWithTheirOwnSizes) {
    StoredImage a = loadedImage({1, 2, 3}), b = loadedImage({9, 8, 7, 6, 5}), lost;
    lost.failure = failure(Fault::MissingImage, "image 7");
    a.entry.width = 16, a.entry.height = 16, a.entry.colorCount = 16, a.entry.planes = 1;
    a.entry.bitCount = 4, a.entry.bytesInRes = 999;  // a group's stated size is not copied
    b.entry.width = 0, b.entry.height = 0, b.entry.bitCount = 32, b.entry.reserved = 7;
    IconGroup group;
    group.images = {a, lost, b};
    const auto file = encodeStoredGroup(group);
    ASSERT_TRUE(file) << why(file);
    ASSERT_EQ(file->size(), 6u + 2 * 16 + 3 + 5);
    EXPECT_EQ(get16(*file, 0), 0);
    EXPECT_EQ(get16(*file, 2), 1);
    EXPECT_EQ(get16(*file, 4), 2);
    EXPECT_EQ(Bytes(file->begin() + 6, file->begin() + 14), (Bytes{16, 16, 16, 0, 1, 0, 4, 0}));
    EXPECT_EQ(get32(*file, 6 + 8), 3u);
    EXPECT_EQ(get32(*file, 6 + 12), 38u);
    EXPECT_EQ(Bytes(file->begin() + 22, file->begin() + 30), (Bytes{0, 0, 0, 7, 0, 0, 32, 0}));
    EXPECT_EQ(get32(*file, 22 + 8), 5u);
    EXPECT_EQ(get32(*file, 22 + 12), 41u);
    EXPECT_EQ(Bytes(file->begin() + 38, file->end()), (Bytes{1, 2, 3, 9, 8, 7, 6, 5}));
}

TEST(StoredGroups, WithoutALoadedImageSayWhy) {
    StoredImage lost, unread;
    lost.failure = failure(Fault::MissingImage, "image 7");
    IconGroup onlyLost, onlyUnread, broken, empty;
    onlyLost.images = {lost, unread};
    onlyUnread.images = {unread};
    broken.failure = failure(Fault::CutOff, "group directory", 0x40);
    struct Case {
        const char* name;
        const IconGroup* group;
        Fault fault;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"the first failure", &onlyLost, Fault::MissingImage,
         "image 0: image 7 is not in the file"},
        {"not loaded", &onlyUnread, Fault::NoImage, "image 0: its bytes were not read"},
        {"the group's failure", &broken, Fault::CutOff, "group directory cut off at byte 0x40"},
        {"no image", &empty, Fault::NoImage, "none of its images can be read"},
    };
    for (const Case& c : cases) {
        const auto file = encodeStoredGroup(*c.group);
        ASSERT_FALSE(file) << c.name;
        EXPECT_EQ(file.failure().fault, c.fault) << c.name;
        EXPECT_EQ(file.failure().message().rfind(c.message, 0), 0u)
            << c.name << ": " << file.failure().message();
    }
    const auto one = encodeStoredImage(ResourceKind::Icon, lost);
    ASSERT_FALSE(one);
    EXPECT_EQ(one.failure().fault, Fault::MissingImage);
    EXPECT_EQ(encodeStoredImage(ResourceKind::Icon, unread).failure().fault, Fault::NoImage);
}

TEST(IconFileEncoding, TakesOneTo65535Images) {
    EXPECT_EQ(encodeIconFile(ResourceKind::Icon, {}).failure().message(),
              "cannot be encoded: no image to write");
    const std::uint8_t pixel[1] = {42};
    std::vector<ImageToEncode> images(65536);
    for (ImageToEncode& image : images) image.data = pixel;
    const auto tooMany = encodeIconFile(ResourceKind::Cursor, images);
    ASSERT_FALSE(tooMany);
    EXPECT_EQ(tooMany.failure().fault, Fault::CannotEncode);
    EXPECT_EQ(tooMany.failure().message(),
              "cannot be encoded: more than 65,535 images for one file");
    images.pop_back();
    const auto most = encodeIconFile(ResourceKind::Cursor, images);
    ASSERT_TRUE(most) << why(most);
    EXPECT_EQ(get16(*most, 4), 0xFFFF);
    EXPECT_EQ(most->size(), 6u + 65535 * 17);
    EXPECT_EQ(get32(*most, 6 + 65534 * 16 + 12), most->size() - 1);  // the last image's offset
}

// Files read and written again are the same files, byte for byte.
TEST(IconFileEncoding, IconAndCursorFilesComeBackAsTheyWere) {
    const IconImage four = dibImage(patternIcon(16, 16, 16), 4);
    const IconImage alpha = dibImage(alphaPatternIcon(32, 32), 32);
    const IconImage png = pngImage(alphaPatternIcon(256, 256));
    const Bytes ico = makeIco({four, alpha, png});
    const Bytes cur = makeCur({{dibImage(patternIcon(32, 32, 2), 1), 3, 29}, {alpha, 31, 0}});
    for (const Bytes* file : {&ico, &cur}) {
        const bool cursor = file == &cur;
        auto set = readSet(*file);
        ASSERT_TRUE(set) << why(set);
        const ResourceKind kind = cursor ? ResourceKind::Cursor : ResourceKind::Icon;
        const auto again = encodeStoredGroup(set->load(kind, 0));
        ASSERT_TRUE(again) << why(again);
        EXPECT_EQ(*again, *file) << (cursor ? "cursor file" : "icon file");
    }
}

// Groups of programs come out as files that read back to the same images, entries
// and hotspots; a cursor's hotspot moves from its resource into the file's entry.
TEST(IconFileEncoding, GroupsOfProgramsRoundTrip) {
    const IconImage four = dibImage(patternIcon(16, 16, 16), 4);
    const IconImage eight = dibImage(patternIcon(32, 32, 200), 8);
    const IconImage png = pngImage(alphaPatternIcon(64, 64));
    const Bytes pe =
        makePe({{{four, eight, png}, u"MAIN", {}}}, {{{{four, 2, 14}, {eight, 31, 1}}, {}}});
    auto set = readSet(pe);
    ASSERT_TRUE(set) << why(set);
    for (ResourceKind kind : {ResourceKind::Icon, ResourceKind::Cursor}) {
        SCOPED_TRACE(kind == ResourceKind::Icon ? "icon" : "cursor");
        const IconGroup& group = set->load(kind, 0);
        const auto file = encodeStoredGroup(group);
        ASSERT_TRUE(file) << why(file);
        auto back = readSet(*file);
        ASSERT_TRUE(back) << why(back);
        EXPECT_EQ(back->container(),
                  kind == ResourceKind::Icon ? IconContainer::IconFile : IconContainer::CursorFile);
        ASSERT_EQ(back->groups(kind).size(), 1u);
        EXPECT_TRUE(
            back->groups(kind == ResourceKind::Icon ? ResourceKind::Cursor : ResourceKind::Icon)
                .empty());
        const IconGroup& read = back->load(kind, 0);
        ASSERT_EQ(read.images.size(), group.images.size());
        for (std::size_t k = 0; k < group.images.size(); ++k) {
            const StoredImage& was = group.images[k];
            const StoredImage& is = read.images[k];
            EXPECT_EQ(is.width(), was.width()) << k;
            EXPECT_EQ(is.height(), was.height()) << k;
            EXPECT_EQ(is.depth, was.depth) << k;
            EXPECT_EQ(is.hotspotX, was.hotspotX) << k;
            EXPECT_EQ(is.hotspotY, was.hotspotY) << k;
            EXPECT_EQ(is.entry.bytesInRes, was.data.size()) << k;
            EXPECT_EQ(Bytes(is.data.begin(), is.data.end()),
                      Bytes(was.data.begin(), was.data.end()))
                << k;
            if (kind == ResourceKind::Icon) {
                EXPECT_EQ(is.entry.colorCount, was.entry.colorCount) << k;
                EXPECT_EQ(is.entry.planes, was.entry.planes) << k;
                EXPECT_EQ(is.entry.bitCount, was.entry.bitCount) << k;
            }
        }
        EXPECT_EQ(read.images[1].hotspotX, kind == ResourceKind::Cursor ? 31 : 0);

        // One image alone.
        const auto single = encodeStoredImage(kind, group.images[1]);
        ASSERT_TRUE(single) << why(single);
        auto one = readSet(*single);
        ASSERT_TRUE(one) << why(one);
        const IconGroup& only = one->load(kind, 0);
        ASSERT_EQ(only.images.size(), 1u);
        EXPECT_EQ(only.images[0].hotspotY, group.images[1].hotspotY);
        EXPECT_EQ(Bytes(only.images[0].data.begin(), only.images[0].data.end()), eight.data);
    }
}

}  // namespace
}  // namespace pellimar
