// Choosing the image of an icon for a size, by either rule, and the pictures made
// from the image chosen.
#include "platform/image_choice.h"

#include <gtest/gtest.h>

#include "support/fixtures.h"

namespace pellimar {
namespace {

using namespace fixtures;

struct ChoiceCase {
    const char* name;
    std::vector<ImageFacts> images;
    int size;
    int expected;
};

void expectChoices(const std::vector<ChoiceCase>& cases, SizePolicy policy) {
    for (const ChoiceCase& c : cases)
        EXPECT_EQ(chooseImage(c.images, c.size, policy), c.expected) << c.name;
    EXPECT_EQ(chooseImage({}, 32, policy), -1);
}

TEST(LikeWindows, NearestSizeThenDepthNearest32ThenFirst) {
    expectChoices(
        {
            {"exact size wins", {{48, 48, 32}, {32, 32, 4}, {16, 16, 32}}, 32, 1},
            {"deeper image at same size", {{32, 32, 4}, {32, 32, 8}, {32, 32, 32}}, 32, 2},
            {"first of equals", {{32, 32, 8}, {32, 32, 8}}, 32, 0},
            {"missing size: nearer one", {{48, 48, 32}, {24, 24, 32}}, 32, 1},
            {"missing size: tie broken by depth", {{48, 48, 8}, {16, 16, 32}}, 32, 1},
            {"256 for 256", {{256, 256, 32}, {128, 128, 32}}, 256, 0},
            {"48 bits is as far as 16: the first", {{32, 32, 48}, {32, 32, 16}}, 32, 0},
            {"24 bits is nearer 32 than 48", {{32, 32, 48}, {32, 32, 24}}, 32, 1},
            {"small icon", {{32, 32, 32}, {16, 16, 8}}, 16, 1},
            {"width and height both count: a tie, the first", {{32, 16, 8}, {24, 24, 8}}, 32, 0},
            {"size beats depth", {{24, 24, 32}, {32, 32, 1}}, 32, 1},
        },
        SizePolicy::LikeWindows);
}

TEST(SmallestAtLeast, SmallestLargeEnoughElseLargestThenDeepest) {
    expectChoices(
        {
            {"exact size", {{16, 16, 32}, {32, 32, 32}, {48, 48, 32}}, 32, 1},
            {"smallest large enough", {{64, 64, 32}, {48, 48, 32}, {256, 256, 32}}, 40, 1},
            {"none large enough: the largest", {{16, 16, 32}, {32, 32, 4}, {24, 24, 32}}, 64, 1},
            {"the larger side counts", {{32, 32, 32}, {16, 48, 8}}, 40, 1},
            {"deepest of one size", {{32, 32, 8}, {32, 32, 32}, {32, 32, 4}}, 32, 1},
            {"first of equals", {{32, 32, 32}, {32, 32, 32}}, 32, 0},
            {"size beats depth", {{48, 48, 32}, {32, 32, 4}}, 32, 1},
            {"not the nearer smaller one", {{31, 31, 32}, {256, 256, 32}}, 32, 1},
        },
        SizePolicy::SmallestAtLeast);
}

TEST(ImageFactsOf, EntriesOfZeroAre256AndTheDepthIsTheImages) {
    StoredImage image;
    image.entry.width = 0;
    image.entry.height = 0;
    image.entry.bitCount = 0;
    image.depth = 8;
    const ImageFacts facts = factsOf(image, SizePolicy::LikeWindows);
    EXPECT_EQ(facts.width, 256);
    EXPECT_EQ(facts.height, 256);
    EXPECT_EQ(facts.depth, 8);
    // An entry of a program's group: the desktop's rule reads the bit count it
    // states, 0 as 0; the other rule the image's depth.
    image.inResourceGroup = true;
    EXPECT_EQ(factsOf(image, SizePolicy::LikeWindows).depth, 0);
    EXPECT_EQ(factsOf(image, SizePolicy::SmallestAtLeast).depth, 8);

    IconDirEntry sixteen;
    sixteen.colorCount = 16;
    IconDirEntry two;
    two.colorCount = 2;
    IconDirEntry stated;
    stated.colorCount = 2;
    stated.bitCount = 24;
    EXPECT_EQ(sixteen.statedBitCount(), 4);
    EXPECT_EQ(two.statedBitCount(), 1);
    EXPECT_EQ(stated.statedBitCount(), 24);
}

// A group read from a PE file of the given images.
class ChosenImage : public ::testing::Test {
  protected:
    Result<IconSet> read(const std::vector<IconImage>& images) {
        file_ = makePe({{images, {}, {}}, {{}, {}, {}}});
        return IconSet::read(ByteSource(file_));
    }
    Bytes file_;
};

TEST_F(ChosenImage, PassesOverAnImageThatDoesNotDecode) {
    IconImage damaged = dibImage(solidIcon(32, 32, 0xFFFF0000), 32);
    damaged.data.resize(100);  // the pixel rows cut off
    const IconImage eight = dibImage(solidIcon(32, 32, 0xFF00FF00), 8);
    auto set = read({damaged, eight, dibImage(solidIcon(16, 16, 0xFF0000FF), 4)});
    ASSERT_TRUE(set) << why(set);
    const IconGroup& group = set->load(ResourceKind::Icon, 0);
    const Result<Icon> icon = chosenImage(group, 32, SizePolicy::LikeWindows);
    ASSERT_TRUE(icon) << why(icon);
    EXPECT_EQ(icon->bitCount, 8);
    EXPECT_EQ(icon->pixel(5, 5), 0xFF00FF00u);
    // Loading as it goes, the same.
    const Result<Icon> loading =
        chosenImage(*set, ResourceKind::Icon, 0, 32, SizePolicy::LikeWindows);
    ASSERT_TRUE(loading) << why(loading);
    EXPECT_EQ(loading->bitCount, 8);

    // When nothing decodes: why the first choice did not.
    IconGroup broken = group;
    broken.images.resize(1);
    const Result<Icon> none = chosenImage(broken, 32, SizePolicy::SmallestAtLeast);
    ASSERT_FALSE(none);
    EXPECT_EQ(none.failure().fault, Fault::DamagedImage);
    EXPECT_EQ(none.failure().message(), "image 0: damaged image data (pixel rows cut off)");
}

TEST_F(ChosenImage, PassesOverImagesWithoutBytes) {
    const IconImage a = dibImage(solidIcon(48, 48, 0xFFFF0000), 32);
    const IconImage b = dibImage(solidIcon(16, 16, 0xFF00FF00), 4);
    auto set = read({a, b});
    ASSERT_TRUE(set) << why(set);
    IconGroup group = set->load(ResourceKind::Icon, 0);
    group.images[0].failure = failure(Fault::MissingImage, "image 1");
    group.images[0].storage.reset();
    const Result<Icon> icon = chosenImage(group, 48, SizePolicy::LikeWindows);
    ASSERT_TRUE(icon) << why(icon);
    EXPECT_EQ(icon->width, 16);
}

// Loading as it chooses, only the images tried are read.
TEST_F(ChosenImage, ReadsOnlyTheImagesItTries) {
    const IconImage small = dibImage(patternIcon(16, 16, 16), 4);
    const IconImage middle = dibImage(patternIcon(32, 32), 32);
    const IconImage large = pngImage(alphaPatternIcon(128, 128));
    auto set = read({small, middle, large});
    ASSERT_TRUE(set) << why(set);
    const Result<Icon> icon = chosenImage(*set, ResourceKind::Icon, 0, 16, SizePolicy::LikeWindows);
    ASSERT_TRUE(icon) << why(icon);
    EXPECT_EQ(icon->width, 16);
    EXPECT_EQ(set->imageBytesRead(), small.data.size());
    EXPECT_FALSE(set->icons()[0].images[2].loaded());
}

TEST_F(ChosenImage, SaysWhenThereIsNoIconOrNoImage) {
    auto set = read({dibImage(patternIcon(16, 16, 16), 4)});
    ASSERT_TRUE(set) << why(set);
    struct Case {
        const char* name;
        Result<Icon> result;
        Fault fault;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"no such icon", chosenImage(*set, ResourceKind::Icon, 7, 32, SizePolicy::LikeWindows),
         Fault::NoSuchIcon, "no icon 7"},
        {"no such cursor", chosenImage(*set, ResourceKind::Cursor, 0, 32, SizePolicy::LikeWindows),
         Fault::NoSuchIcon, "no cursor 0"},
        {"a group of no image",
         chosenImage(*set, ResourceKind::Icon, 1, 32, SizePolicy::LikeWindows), Fault::NoImage,
         "none of its images can be read"},
        {"size 0", iconAtSize(*set, 0, 0), Fault::BadValue, "size 0 is not valid"},
        {"size 1025", iconAtSize(*set, 0, 1025), Fault::BadValue, "size 1025 is not valid"},
    };
    for (const Case& c : cases) {
        ASSERT_FALSE(c.result) << c.name;
        EXPECT_EQ(c.result.failure().fault, c.fault) << c.name;
        EXPECT_EQ(c.result.failure().message(), c.message) << c.name;
    }
    IconGroup broken;
    broken.failure = failure(Fault::CutOff, "group directory", 0x30);
    EXPECT_EQ(chosenImage(broken, 32, SizePolicy::LikeWindows).failure().message(),
              "group directory cut off at byte 0x30");
    StoredImage unread;
    EXPECT_EQ(decodeStoredImage(unread).failure().fault, Fault::NoImage);
}

TEST_F(ChosenImage, IconAtSizeBringsTheChoiceToTheSize) {
    auto set = read({dibImage(patternIcon(16, 16, 16), 4), dibImage(patternIcon(48, 48), 32)});
    ASSERT_TRUE(set) << why(set);
    struct Case {
        int size;
        SizePolicy policy;
        int bitCount;  // of the image chosen
    };
    for (const Case& c : std::vector<Case>{{20, SizePolicy::LikeWindows, 4},
                                           {20, SizePolicy::SmallestAtLeast, 32},
                                           {64, SizePolicy::LikeWindows, 32},
                                           {1, SizePolicy::SmallestAtLeast, 4}}) {
        const Result<Icon> icon = iconAtSize(*set, 0, c.size, c.policy);
        ASSERT_TRUE(icon) << why(icon);
        EXPECT_EQ(icon->width, c.size);
        EXPECT_EQ(icon->height, c.size);
        EXPECT_EQ(icon->bitCount, c.bitCount) << c.size;
    }
    const Result<Icon> fromGroup = iconAtSize(set->icons()[0], 48);
    ASSERT_TRUE(fromGroup) << why(fromGroup);
    EXPECT_EQ(fromGroup->width, 48);
}

// A 32 x 32 image of 32 bits whose entry states 0 bits, before a 4-bit one of the
// same size: in a program's group the desktop takes the 4-bit image (0 is further
// from 32 than 4), in an icon file the deeper one (its header says 32).
TEST(LikeWindowsDepth, StatedInProgramsFromTheHeaderInIconFiles) {
    IconImage deep = dibImage(solidIcon(32, 32, 0xFFFF0000), 32);
    deep.bitCount = 0;
    const IconImage four = dibImage(solidIcon(32, 32, 0xFF0000FF), 4);
    struct Case {
        const char* name;
        Bytes file;
        std::uint32_t drawn;  // the colour of the image chosen
    };
    const std::vector<Case> cases = {
        {"PE", makePe({{{deep, four}, {}, {}}}), 0xFF0000FFu},
        {"NE", makeNe({{{deep, four}, {}, {}}}), 0xFF0000FFu},
        {"icon file", makeIco({deep, four}), 0xFFFF0000u},
    };
    for (const Case& c : cases) {
        auto set = IconSet::read(ByteSource(c.file));
        ASSERT_TRUE(set) << c.name << ": " << why(set);
        // Listing shows the depth of the image's header all the same.
        EXPECT_EQ(set->icons()[0].images[0].depth, 32) << c.name;
        const Result<Icon> loading = iconAtSize(*set, 0, 32);
        ASSERT_TRUE(loading) << c.name << ": " << why(loading);
        EXPECT_EQ(loading->pixel(3, 3), c.drawn) << c.name;
        const Result<Icon> fromGroup = iconAtSize(set->load(ResourceKind::Icon, 0), 16);
        ASSERT_TRUE(fromGroup) << c.name << ": " << why(fromGroup);
        EXPECT_EQ(fromGroup->pixel(3, 3), c.drawn) << c.name;
        // The other rule takes the deepest by the header.
        const Result<Icon> sharpest = iconAtSize(*set, 0, 32, SizePolicy::SmallestAtLeast);
        ASSERT_TRUE(sharpest) << c.name << ": " << why(sharpest);
        EXPECT_EQ(sharpest->pixel(3, 3), 0xFFFF0000u) << c.name;
    }
}

}  // namespace
}  // namespace pellimar
