// Files that another program shrinks, grows or replaces while their icons are
// read: what is no longer there reads as no icon, and nothing faults.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/byte_source.h"
#include "platform/icon_resources.h"
#include "support/fixtures.h"

namespace pellimar {
namespace {

using namespace fixtures;

std::uint32_t centre(const Icon& icon) {
    return icon.empty() ? 0 : icon.pixel(icon.width / 2, icon.height / 2);
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

TEST(ChangingFile, ExecutablesCutShortAfterOpeningGiveNoIconForWhatIsGone) {
    for (const Bytes& bytes : {makePe(threeGroups(), PeKind::Pe32),
                               makePe(threeGroups(), PeKind::Pe32Plus), makeNe(threeGroups(), 4)}) {
        TempDir dir;
        const auto path = dir.write("app.exe", bytes);
        auto file = IconFile::open(path);
        ASSERT_TRUE(file);
        const IconResources& res = file->resources();
        ASSERT_EQ(res.iconCount(), 3);
        EXPECT_EQ(centre(res.icon(0, 32)), kColours[0]);

        // Cut inside the data of the images: some icons may still come, none faults.
        truncateTo(path, bytes.size() - 600);
        for (int i = 0; i < 3; ++i) {
            const Icon icon = res.icon(i, 32);
            if (!icon.empty()) {
                EXPECT_EQ(centre(icon), kColours[i]) << i;
            }
        }
        EXPECT_TRUE(res.icon(2, 32).empty());  // the last image lay at the end

        truncateTo(path, 0);
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(res.icon(i, 32).empty()) << i;
            EXPECT_TRUE(res.images(i).empty()) << i;
            EXPECT_EQ(res.statedImageCount(i), 0) << i;
        }
    }
}

TEST(ChangingFile, IconFileCutShortAfterOpening) {
    const Bytes bytes = makeIco(
        {dibImage(solidIcon(16, 16, 0xFF00FF00), 4), dibImage(solidIcon(32, 32, 0xFFFF0000), 8)});
    TempDir dir;
    const auto path = dir.write("a.ico", bytes);
    auto file = IconFile::open(path);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->resources().iconCount(), 1);
    truncateTo(path, 6 + 2 * 16 + 10);  // directory whole, first image cut
    EXPECT_EQ(file->resources().images(0).size(), 2u);
    EXPECT_TRUE(file->resources().icon(0, 32).empty());
    EXPECT_TRUE(file->resources().icon(0, 16).empty());
    truncateTo(path, 3);
    EXPECT_TRUE(file->resources().images(0).empty());
    EXPECT_TRUE(file->resources().icon(0, 32).empty());
}

TEST(ChangingFile, GrownOrReplacedFileReadsAsItWasWhenOpened) {
    const Bytes bytes = makePe(threeGroups());
    TempDir dir;
    const auto path = dir.write("app.dll", bytes);
    auto file = IconFile::open(path);
    ASSERT_TRUE(file);
    {
        std::ofstream grow(path, std::ios::binary | std::ios::app);
        grow << std::string(100000, 'x');
    }
    EXPECT_EQ(centre(file->resources().icon(2, 32)), kColours[2]);
    // Another file renamed over the name: the open file is still the one read.
    const auto other = dir.write("other.dll", Bytes(100, 0));
    std::filesystem::rename(other, path);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(centre(file->resources().icon(i, 32)), kColours[i]) << i;
}

// Ranges read one after the other (the images of a group) come from one larger
// read; each must still be exactly the bytes asked for, up to the file's end.
TEST(ByteSource, RangesThatFollowOneAnotherAreTheBytesAskedFor) {
    Bytes bytes(200000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = std::uint8_t(i * 13 + i / 251);
    TempDir dir;
    const auto path = dir.write("data.bin", bytes);
    auto source = ByteSource::openFile(path);
    ASSERT_TRUE(source);
    auto expect = [&](std::uint64_t at, std::uint64_t n) {
        EXPECT_EQ(source->read(at, n),
                  Bytes(bytes.begin() + std::ptrdiff_t(at), bytes.begin() + std::ptrdiff_t(at + n)))
            << at << "+" << n;
    };
    std::uint64_t at = 100;
    for (std::uint64_t n : {3000, 5000, 40000, 30000, 7, 70000, 1000}) {
        expect(at, n);
        at += n + (n % 8 ? 8 - n % 8 : 0);  // aligned to 8, as resource data is
    }
    expect(199990, 10);  // up to the end
    EXPECT_FALSE(source->read(199995, 10));
    expect(50, 20);  // back to the start

    // Backwards, as a group that lists its largest image, stored last, first.
    auto back = ByteSource::openFile(path);
    ASSERT_TRUE(back);
    std::uint64_t end = 190000;
    for (std::uint64_t n : {9000, 4000, 1000, 300, 20000, 60000, 50}) {
        end -= n;
        EXPECT_EQ(back->read(end, n), Bytes(bytes.begin() + std::ptrdiff_t(end),
                                            bytes.begin() + std::ptrdiff_t(end + n)))
            << end << "+" << n;
        end -= end % 8;
    }

    // A cut after the read ahead: its bytes were consistent when read.
    auto cut = ByteSource::openFile(path);
    ASSERT_TRUE(cut);
    ASSERT_TRUE(cut->read(0, 1000));
    ASSERT_TRUE(cut->read(1000, 1000));  // follows: reads ahead
    truncateTo(path, 1500);
    EXPECT_EQ(cut->read(2000, 100), Bytes(bytes.begin() + 2000, bytes.begin() + 2100));
    EXPECT_FALSE(cut->read(100000, 100));  // never read, and gone
}

TEST(ByteSource, ReadsWhatTheFileStillHoldsAndNothingPastIt) {
    Bytes bytes(10000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = std::uint8_t(i * 7);
    TempDir dir;
    const auto path = dir.write("data.bin", bytes);
    auto source = ByteSource::openFile(path);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->size(), 10000u);
    // A number across the boundary of two read blocks.
    EXPECT_EQ(source->u16(4095), std::uint16_t(bytes[4095] | bytes[4096] << 8));
    EXPECT_EQ(source->u32(9996), get32(bytes, 9996));
    EXPECT_FALSE(source->u32(9997));
    EXPECT_FALSE(source->read(9000, 1001));
    EXPECT_EQ(source->read(9990, 10), Bytes(bytes.begin() + 9990, bytes.end()));

    // Cut after opening: what was read before stays as read (it was consistent
    // then); what was not read yet and is gone now reads as missing.
    auto cut = ByteSource::openFile(path);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->u16(0), get16(bytes, 0));
    truncateTo(path, 5000);
    EXPECT_EQ(cut->size(), 10000u);  // as at open
    EXPECT_FALSE(cut->read(4000, 2000));
    EXPECT_FALSE(cut->u32(9996));
    EXPECT_FALSE(cut->u16(4999));
    EXPECT_EQ(cut->u16(4998), get16(bytes, 4998));
    EXPECT_EQ(cut->read(4000, 1000), Bytes(bytes.begin() + 4000, bytes.begin() + 5000));

    EXPECT_FALSE(ByteSource::openFile(dir.path()));
    EXPECT_FALSE(ByteSource::openFile(dir.path() / "missing"));
}

}  // namespace
}  // namespace pellimar
