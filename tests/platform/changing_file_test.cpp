// Files that another program shrinks, grows or replaces while their icons are
// read: what is no longer there gives a failure that says so, and nothing faults.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "platform/byte_source.h"
#include "platform/icon_set.h"
#include "platform/image_choice.h"
#include "support/fixtures.h"

namespace pellimar {
namespace {

using namespace fixtures;

std::uint32_t centre(const Result<Icon>& icon) {
    return !icon || icon->empty() ? 0 : icon->pixel(icon->width / 2, icon->height / 2);
}

const std::uint32_t kColours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};

std::vector<IconGroupSpec> threeGroups() {
    std::vector<IconGroupSpec> groups;
    for (auto c : kColours) groups.push_back({{dibImage(solidIcon(32, 32, c), 24)}, {}, {}});
    return groups;
}

void truncateTo(const std::filesystem::path& file, std::uintmax_t size) {
    ASSERT_EQ(::truncate(file.c_str(), off_t(size)), 0);
}

// The images of a group that could not be read, each with a failure of `fault`.
void expectEveryImageFails(const IconGroup& group, Fault fault) {
    for (const StoredImage& image : group.images) {
        EXPECT_FALSE(image.loaded());
        ASSERT_TRUE(image.failure);
        EXPECT_EQ(image.failure->fault, fault) << image.failure->message();
    }
}

TEST(ChangingFile, ExecutablesCutShortAfterOpeningSayWhatIsGone) {
    for (const Bytes& bytes : {makePe(threeGroups(), PeKind::Pe32),
                               makePe(threeGroups(), PeKind::Pe32Plus), makeNe(threeGroups(), 4)}) {
        TempDir dir;
        const auto path = dir.write("app.exe", bytes);
        auto set = IconSet::open(path);
        ASSERT_TRUE(set);
        ASSERT_EQ(set->iconCount(), 3);
        EXPECT_EQ(centre(iconAtSize(*set, 0, 32)), kColours[0]);

        // Cut inside the data of the images: what was read stays, what is gone fails.
        truncateTo(path, bytes.size() - 600);
        for (int i = 1; i < 3; ++i) {
            const Result<Icon> icon = iconAtSize(*set, i, 32);
            if (icon) {
                EXPECT_EQ(centre(icon), kColours[i]) << i;
            } else {
                EXPECT_EQ(icon.failure().fault, Fault::FileChanged) << i;
                EXPECT_NE(icon.failure().message().find("the file was cut short"),
                          std::string::npos)
                    << icon.failure().message();
            }
        }
        EXPECT_FALSE(iconAtSize(*set, 2, 32));  // the last image lay at the end
        EXPECT_EQ(centre(iconAtSize(*set, 0, 32)), kColours[0]);

        // Cut to nothing: the directories were read at open, the images fail.
        const auto whole = dir.write("whole.exe", bytes);
        auto again = IconSet::open(whole);
        truncateTo(whole, 0);
        ASSERT_TRUE(again);
        ASSERT_EQ(again->iconCount(), 3);
        again->loadAll();
        for (const IconGroup& group : again->icons()) {
            EXPECT_EQ(group.images.size(), 1u);
            expectEveryImageFails(group, Fault::FileChanged);
        }
        EXPECT_EQ(again->imageBytesRead(), 0u);
    }
}

TEST(ChangingFile, IconFileCutShortAfterOpening) {
    const Bytes bytes = makeIco(
        {dibImage(solidIcon(16, 16, 0xFF00FF00), 4), dibImage(solidIcon(32, 32, 0xFFFF0000), 8)});
    TempDir dir;
    const auto path = dir.write("a.ico", bytes);
    auto set = IconSet::open(path);
    ASSERT_TRUE(set);
    ASSERT_EQ(set->iconCount(), 1);
    truncateTo(path, 6 + 2 * 16 + 10);  // directory whole, first image cut
    EXPECT_EQ(set->icons()[0].images.size(), 2u);
    for (int size : {32, 16}) {
        const Result<Icon> icon = iconAtSize(*set, 0, size);
        ASSERT_FALSE(icon) << size;
        EXPECT_EQ(icon.failure().fault, Fault::FileChanged) << size;
    }
    expectEveryImageFails(set->icons()[0], Fault::FileChanged);

    // Cut before the directory was read: nothing to read, and why.
    const auto other = dir.write("b.ico", bytes);
    auto cut = ByteSource::open(other);
    ASSERT_TRUE(cut);
    truncateTo(other, 3);
    auto none = IconSet::read(std::move(*cut));
    ASSERT_FALSE(none);
    EXPECT_FALSE(none.failure().message().empty());
}

TEST(ChangingFile, ADirectoryCutShortWhileItIsReadSaysSo) {
    const Bytes bytes = makePe(threeGroups());
    TempDir dir;
    const auto path = dir.write("app.dll", bytes);
    auto source = ByteSource::open(path);
    ASSERT_TRUE(source);
    // The headers stay; the resource directories go.
    truncateTo(path, kResourceFileOffset + 8);
    auto set = IconSet::read(std::move(*source));
    ASSERT_TRUE(set);
    EXPECT_EQ(set->iconCount(), 0);
    ASSERT_FALSE(set->notes().empty());
    EXPECT_NE(set->notes()[0].message().find("resource directory"), std::string::npos)
        << set->notes()[0].message();
}

TEST(ChangingFile, GrownOrReplacedFileReadsAsItWasWhenOpened) {
    const Bytes bytes = makePe(threeGroups());
    TempDir dir;
    const auto path = dir.write("app.dll", bytes);
    auto set = IconSet::open(path);
    ASSERT_TRUE(set);
    {
        std::ofstream grow(path, std::ios::binary | std::ios::app);
        grow << std::string(100000, 'x');
    }
    EXPECT_EQ(centre(iconAtSize(*set, 2, 32)), kColours[2]);
    // Another file renamed over the name: the open file is still the one read.
    const auto other = dir.write("other.dll", Bytes(100, 0));
    std::filesystem::rename(other, path);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(centre(iconAtSize(*set, i, 32)), kColours[i]) << i;
}

TEST(ByteSource, ReadsWhatTheFileStillHoldsAndNothingPastIt) {
    Bytes bytes(10000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = std::uint8_t(i * 7);
    TempDir dir;
    const auto path = dir.write("data.bin", bytes);
    auto source = ByteSource::open(path);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->size(), 10000u);
    // A number across the boundary of two read blocks.
    EXPECT_EQ(source->u16(4095), std::uint16_t(bytes[4095] | bytes[4096] << 8));
    EXPECT_EQ(source->u32(9996), get32(bytes, 9996));
    EXPECT_FALSE(source->u32(9997));

    // Cut after opening: what was read before stays as read (it was consistent
    // then); what was not read yet and is gone now reads as missing.
    auto cut = ByteSource::open(path);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->u16(0), get16(bytes, 0));
    truncateTo(path, 5000);
    EXPECT_EQ(cut->size(), 10000u);  // as at open
    EXPECT_FALSE(cut->u32(9996));
    EXPECT_FALSE(cut->u16(4999));
    EXPECT_EQ(cut->u16(4998), get16(bytes, 4998));
}

// fetch reads exactly the range asked for, in one read of its own: nothing is
// read ahead, so bytes gone since are missed, and why a range cannot be had is told.
TEST(ByteSource, FetchReadsTheRangeAloneOrSaysWhyNot) {
    Bytes bytes(10000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = std::uint8_t(i * 11 + 3);
    TempDir dir;
    const auto path = dir.write("data.bin", bytes);
    auto source = ByteSource::open(path);
    ASSERT_TRUE(source);
    auto range = [&](std::size_t at, std::size_t n) {
        return Bytes(bytes.begin() + std::ptrdiff_t(at), bytes.begin() + std::ptrdiff_t(at + n));
    };
    const auto first = source->fetch(0, 1000, 4096);
    ASSERT_TRUE(first);
    EXPECT_EQ(*first, range(0, 1000));
    ASSERT_TRUE(source->fetch(1000, 1000, 4096));  // follows: still no read ahead
    const auto pastEnd = source->fetch(9990, 11, 4096);
    ASSERT_FALSE(pastEnd);
    EXPECT_EQ(pastEnd.failure().fault, Fault::CutOff);
    EXPECT_EQ(pastEnd.failure().offset, 9990u);
    const auto overCap = source->fetch(0, 5000, 4096);
    ASSERT_FALSE(overCap);
    EXPECT_EQ(overCap.failure().fault, Fault::CapReached);
    EXPECT_EQ(overCap.failure().cap, Cap::OneRead);

    std::uint8_t head[4] = {};
    ASSERT_TRUE(source->peek(4094, 4, head));  // across two blocks
    EXPECT_EQ(Bytes(head, head + 4), range(4094, 4));
    EXPECT_FALSE(source->peek(9998, 4, head));

    truncateTo(path, 1500);
    const auto gone = source->fetch(2000, 100, 4096);
    ASSERT_FALSE(gone);
    EXPECT_EQ(gone.failure().fault, Fault::FileChanged);
    const auto half = source->fetch(1400, 200, 4096);
    ASSERT_FALSE(half);
    EXPECT_EQ(half.failure().fault, Fault::FileChanged);
    EXPECT_EQ(half.failure().offset, 1500u);  // where the file now ends
    EXPECT_EQ(half.failure().message(), "the file was cut short while it was read at byte 0x5DC");
    EXPECT_EQ(*source->fetch(1400, 100, 4096), range(1400, 100));

    // Bytes in memory: the same answers, but nothing can change under them.
    ByteSource memory{std::span<const std::uint8_t>(bytes)};
    EXPECT_EQ(*memory.fetch(2000, 100, 4096), range(2000, 100));
    EXPECT_EQ(memory.fetch(9999, 2, 4096).failure().fault, Fault::CutOff);
    EXPECT_EQ(memory.fetch(0, 5000, 4096).failure().fault, Fault::CapReached);
}

TEST(ByteSource, OpenSaysWhyAFileCannotBeRead) {
    TempDir dir;
    const auto missing = ByteSource::open(dir.path() / "missing");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.failure().fault, Fault::CannotOpen);
    EXPECT_EQ(missing.failure().error, ENOENT);
    const auto folder = ByteSource::open(dir.path());
    ASSERT_FALSE(folder);
    EXPECT_EQ(folder.failure().fault, Fault::NotRegularFile);
    const auto file = ByteSource::open(dir.write("one.bin", Bytes{1, 2, 3}));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->size(), 3u);
}

}  // namespace
}  // namespace pellimar
