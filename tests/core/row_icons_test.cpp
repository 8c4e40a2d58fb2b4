// A result row's icon in memory: the group of a program's row, the one image of an
// icon file's row, and the pictures that leave the program.
#include "core/row_icons.h"

#include <gtest/gtest.h>

#include "platform/icon_png.h"
#include "platform/image_choice.h"
#include "support/fixtures.h"

namespace pellimar {
namespace {

namespace fs = std::filesystem;
using namespace fixtures;

std::uint32_t centre(const Icon& icon) {
    return icon.pixel(icon.width / 2, icon.height / 2);
}

std::vector<std::uint8_t> bytesOf(const StoredImage& image) {
    return {image.data.begin(), image.data.end()};
}

// Three icons told apart by colour; the second has three images.
struct RowFiles : ::testing::Test {
    TempDir dir;
    IconImage small = dibImage(solidIcon(16, 16, 0xFF00FF00), 8);
    IconImage middle = dibImage(solidIcon(32, 32, 0xFF00FF00), 24);
    IconImage large = dibImage(solidIcon(48, 48, 0xFF00FF00), 32);
    fs::path dll = dir.write("app.dll", makePe({{{dibImage(solidIcon(32, 32, 0xFFFF0000), 24)}},
                                                {{small, middle, large}},
                                                {{dibImage(solidIcon(32, 32, 0xFF0000FF), 24)}}}));
    fs::path ico = dir.write("three.ico", makeIco({small, middle, large}));
};

TEST(RowText, IconFileRowsAreImagesAndTheOthersIcons) {
    for (const char* name : {"/x/a.ico", "/x/b.ICO", "/x/c.Ico", "/x/a.cur", "/x/b.CUR"})
        EXPECT_TRUE(rowsAreImages(name)) << name;
    for (const char* name : {"/x/a.ico.exe", "/x/ico", "/x/a.icon", "/x/a.ani"})
        EXPECT_FALSE(rowsAreImages(name)) << name;
    EXPECT_EQ(rowSourceText("/w/regedit.exe", 0), "regedit.exe, icon 1");
    EXPECT_EQ(rowSourceText("/w/orange.ICO", 2), "orange.ICO, image 3");
}

TEST_F(RowFiles, AProgramRowIsItsWholeGroupLoaded) {
    auto set = IconSet::open(dll);
    ASSERT_TRUE(set);
    const Result<IconGroup> group = rowGroupOf(*set, dll, 1);
    ASSERT_TRUE(group) << group.failure().message();
    EXPECT_EQ(group->identity.position, 1);
    EXPECT_EQ(group->statedCount, 3);
    ASSERT_EQ(group->images.size(), 3u);
    EXPECT_EQ(bytesOf(group->images[0]), small.data);
    EXPECT_EQ(bytesOf(group->images[1]), middle.data);
    EXPECT_EQ(bytesOf(group->images[2]), large.data);

    const Result<IconGroup> last = readRowGroup(dll, 2);
    ASSERT_TRUE(last);
    ASSERT_EQ(last->images.size(), 1u);
    EXPECT_EQ(centre(*decodeStoredImage(last->images[0])), 0xFF0000FFu);
}

TEST_F(RowFiles, AnIconFileRowIsItsOneImage) {
    const Result<IconGroup> group = readRowGroup(ico, 2);
    ASSERT_TRUE(group) << group.failure().message();
    EXPECT_EQ(group->statedCount, 1);
    ASSERT_EQ(group->images.size(), 1u);
    EXPECT_EQ(group->images[0].width(), 48);
    EXPECT_EQ(bytesOf(group->images[0]), large.data);

    // Named otherwise, the same file is one icon of three images.
    const fs::path renamed = dir.write("three.bin", readWholeFile(ico));
    const Result<IconGroup> whole = readRowGroup(renamed, 0);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->images.size(), 3u);
    EXPECT_EQ(readRowGroup(renamed, 1).failure().fault, Fault::NoSuchIcon);
}

TEST_F(RowFiles, PositionsOutsideTheFileAndFilesThatAreNotSoSayWhy) {
    for (int position : {-1, 3, 1000}) {
        EXPECT_EQ(readRowGroup(dll, position).failure().fault, Fault::NoSuchIcon) << position;
        EXPECT_EQ(readRowGroup(ico, position).failure().fault, Fault::NoSuchIcon) << position;
    }
    // A program named like an icon file has no images to be rows.
    const fs::path fake = dir.write("fake.ico", readWholeFile(dll));
    EXPECT_EQ(readRowGroup(fake, 0).failure().fault, Fault::BadValue);
    EXPECT_EQ(readRowGroup(dir.path() / "gone.dll", 0).failure().fault, Fault::CannotOpen);
    EXPECT_EQ(readRowGroup(dir.write("text.exe", Bytes{'h', 'i'}), 0).failure().fault,
              Fault::NotIconContainer);
}

TEST_F(RowFiles, AnImageThatIsNotInTheFileFailsItsRowAlone) {
    Bytes bytes = readWholeFile(ico);
    put32(bytes, 6 + 16 * 1 + 12, 1u << 30);  // the second image lies past the end
    const fs::path cut = dir.write("cut.ico", bytes);
    const Result<IconGroup> damaged = readRowGroup(cut, 1);
    ASSERT_FALSE(damaged);
    EXPECT_EQ(damaged.failure().context, "image 2");
    EXPECT_TRUE(readRowGroup(cut, 0));
    EXPECT_TRUE(readRowGroup(cut, 2));
}

TEST_F(RowFiles, TheReaderKeepsFilesOpenAndGivesEachFilesOwnGroups) {
    // Six files of one icon each, told apart by colour.
    std::vector<fs::path> files;
    for (std::uint32_t k = 0; k < 6; ++k)
        files.push_back(dir.write("f" + std::to_string(k) + ".dll",
                                  makePe({{{dibImage(solidIcon(32, 32, 0xFF000000 | k), 24)}},
                                          {{dibImage(solidIcon(32, 32, 0xFF000100 | k), 24)}}})));
    auto colourOf = [](const Result<IconGroup>& group) -> std::uint32_t {
        if (!group) return 0;
        return centre(*decodeStoredImage(group->images.at(0)));
    };
    RowGroupReader reader;
    EXPECT_EQ(colourOf(reader.read(files[0], 0)), 0xFF000000u);
    // Gone from the folder, the file is still read through the model kept open.
    fs::remove(files[0]);
    EXPECT_FALSE(readRowGroup(files[0], 1));
    EXPECT_EQ(colourOf(reader.read(files[0], 1)), 0xFF000100u);
    for (int round = 0; round < 2; ++round)
        for (std::uint32_t k = 1; k < 6; ++k) {
            EXPECT_EQ(colourOf(reader.read(files[k], 1)), 0xFF000100u | k) << k;
            EXPECT_EQ(colourOf(reader.read(files[k], 0)), 0xFF000000u | k) << k;
        }
    EXPECT_EQ(reader.read(files[3], 2).failure().fault, Fault::NoSuchIcon);
    // After many other files the first is let go: it is opened afresh, and is gone.
    EXPECT_EQ(reader.read(files[0], 0).failure().fault, Fault::CannotOpen);
}

TEST_F(RowFiles, TheReaderLetsGoOfImagesReadButGroupsHandedOutKeepTheirs) {
    // Six rows of 13 MB images each: more than the reader keeps held, so it lets
    // go of them on the way; every group it handed out still holds its bytes.
    std::vector<IconGroupSpec> groups(6);
    std::vector<Bytes> stored;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        IconImage image = dibImage(patternIcon(32, 32, 16), 4);
        image.data.resize(13u << 20, std::uint8_t(0x40 + i));
        stored.push_back(image.data);
        groups[i].images = {std::move(image)};
    }
    const fs::path lib = dir.write("big.dll", makePe(groups));
    RowGroupReader reader;
    std::vector<Result<IconGroup>> read;
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < 6; ++i) read.push_back(reader.read(lib, i));
    for (std::size_t k = 0; k < read.size(); ++k) {
        ASSERT_TRUE(read[k]) << k;
        EXPECT_TRUE(bytesOf(read[k]->images.at(0)) == stored[k % 6]) << k;
    }
}

TEST_F(RowFiles, ThePictureHandedOutIsTheLargestImageUpTo256Pixels) {
    const Icon big = alphaPatternIcon(256, 256);
    const fs::path lib =
        dir.write("sizes.dll", makePe({{{small, pngImage(big), large}},
                                       {{small, dibImage(alphaPatternIcon(64, 64), 32), middle}},
                                       {{pngImage(alphaPatternIcon(512, 512)), small}}}));
    const Result<Icon> first = rowPictureToHandOut(lib, 0);
    ASSERT_TRUE(first) << first.failure().message();
    EXPECT_EQ(first->width, 256);
    EXPECT_TRUE(first->hasAlpha);
    EXPECT_EQ(first->color, big.color);  // its own pixels, transparency included

    const Result<Icon> second = rowPictureToHandOut(lib, 1);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->width, 64);  // not enlarged

    const Result<Icon> third = rowPictureToHandOut(lib, 2);
    ASSERT_TRUE(third);
    EXPECT_EQ(third->width, 256);  // brought down
    EXPECT_EQ(third->height, 256);

    // A row of an icon file is its one image, however small.
    const Result<Icon> image = rowPictureToHandOut(ico, 0);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 16);
    EXPECT_EQ(rowPictureToHandOut(ico, 3).failure().fault, Fault::NoSuchIcon);
}

}  // namespace
}  // namespace pellimar
