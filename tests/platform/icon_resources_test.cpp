// Counting and reading the icons of PE, NE and icon files, and surviving broken ones.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/extract.h"
#include "platform/icon_resources.h"
#include "support/fixtures.h"

namespace pellimar {
namespace {

using namespace fixtures;

// Groups told apart by the solid colour of their only 32x32 image.
IconGroupSpec coloured(std::uint32_t argb, std::u16string name = {}) {
    return {{dibImage(solidIcon(32, 32, argb), 24)}, std::move(name), {}};
}

std::uint32_t centre(const Icon& icon) {
    return icon.empty() ? 0 : icon.pixel(icon.width / 2, icon.height / 2);
}

class ExecutableKinds : public ::testing::TestWithParam<int> {
  protected:
    Bytes build(const std::vector<IconGroupSpec>& groups) const {
        switch (GetParam()) {
            case 0:
                return makePe(groups, PeKind::Pe32);
            case 1:
                return makePe(groups, PeKind::Pe32Plus);
            default:
                return makeNe(groups, 4);
        }
    }
};

TEST_P(ExecutableKinds, CountsGroupsInStoredOrderAndReadsEach) {
    const std::vector<std::uint32_t> colours = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00,
                                                0xFF00FFFF};
    std::vector<IconGroupSpec> groups;
    for (auto c : colours) groups.push_back(coloured(c));
    Bytes file = build(groups);
    IconResources res(file);
    EXPECT_EQ(res.container(), GetParam() == 2 ? IconContainer::Ne : IconContainer::Pe);
    ASSERT_EQ(res.iconCount(), 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(centre(res.icon(i, 32)), colours[std::size_t(i)]) << i;
    EXPECT_TRUE(res.icon(5, 32).empty());
    EXPECT_TRUE(res.icon(-1, 32).empty());
}

TEST_P(ExecutableKinds, ChoosesTheImageForEachSize) {
    IconGroupSpec group{
        {dibImage(solidIcon(16, 16, 0xFF00FF00), 4), dibImage(solidIcon(32, 32, 0xFF0000FF), 8),
         dibImage(solidIcon(32, 32, 0xFFFF0000), 32), dibImage(solidIcon(48, 48, 0xFF00FFFF), 24)},
        {},
        {}};
    Bytes file = build({group});
    IconResources res(file);
    auto images = res.images(0);
    ASSERT_EQ(images.size(), 4u);
    EXPECT_EQ(images[1].pixelWidth(), 32);
    EXPECT_EQ(images[1].bitCount, 8);
    Icon large = res.icon(0, 32);
    EXPECT_EQ(large.width, 32);
    EXPECT_EQ(centre(large), 0xFFFF0000u);  // the 32-bit one
    Icon small = res.icon(0, 16);
    EXPECT_EQ(small.width, 16);
    EXPECT_EQ(centre(small), 0xFF00FF00u);
    Icon fortyEight = res.icon(0, 48);
    EXPECT_EQ(centre(fortyEight), 0xFF00FFFFu);
}

INSTANTIATE_TEST_SUITE_P(PeAndNe, ExecutableKinds, ::testing::Values(0, 1, 2));

TEST(PeResources, NamedGroupsComeFirstAsStored) {
    // Stored order: two named groups, then numbered ones.
    Bytes file = makePe({coloured(0xFFFF0000, u"ZEBRA"), coloured(0xFF00FF00, u"APPLE"),
                         coloured(0xFF0000FF), coloured(0xFFFFFF00)});
    IconResources res(file);
    ASSERT_EQ(res.iconCount(), 4);
    EXPECT_EQ(centre(res.icon(0, 32)), 0xFFFF0000u);  // not sorted by name
    EXPECT_EQ(centre(res.icon(1, 32)), 0xFF00FF00u);
    EXPECT_EQ(centre(res.icon(2, 32)), 0xFF0000FFu);
}

TEST(PeResources, MultiLanguageGroupTakesItsFirstLanguage) {
    IconGroupSpec group = coloured(0xFF00FF00);
    group.otherLanguages.push_back({dibImage(solidIcon(32, 32, 0xFFFF0000), 24)});
    Bytes file = makePe({group, coloured(0xFF0000FF)});
    IconResources res(file);
    ASSERT_EQ(res.iconCount(), 2);  // languages are not icons of their own
    EXPECT_EQ(centre(res.icon(0, 32)), 0xFF00FF00u);
    EXPECT_EQ(centre(res.icon(1, 32)), 0xFF0000FFu);
}

TEST(PeResources, GroupWithoutTheRequestedSizeIsResampled) {
    Icon picture = alphaPatternIcon(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 128; ++x) {
            picture.color[std::size_t(y) * 256 + x] = 0;
            picture.mask[std::size_t(y) * 256 + x] = 1;
        }
    Bytes file = makePe({{{pngImage(picture)}, {}, {}}});
    Icon icon = IconResources(file).icon(0, 32);
    ASSERT_EQ(icon.width, 32);
    EXPECT_TRUE(icon.hasAlpha);
    EXPECT_TRUE(icon.maskBit(15, 5));  // the transparent left half survives
    EXPECT_EQ(icon.pixel(15, 5) >> 24, 0u);
    EXPECT_FALSE(icon.maskBit(16, 5));
    EXPECT_NE(icon.pixel(16, 5) >> 24, 0u);
}

TEST(NeResources, AlignmentShiftIsApplied) {
    for (int shift : {0, 1, 4, 9}) {
        Bytes file = makeNe({coloured(0xFFFF0000), coloured(0xFF0000FF)}, shift);
        IconResources res(file);
        ASSERT_EQ(res.iconCount(), 2) << shift;
        EXPECT_EQ(centre(res.icon(1, 32)), 0xFF0000FFu) << shift;
    }
}

TEST(IconFileAsExecutable, IsOneIconAtIndexZero) {
    Bytes ico = makeIco(
        {dibImage(solidIcon(16, 16, 0xFF00FF00), 4), dibImage(solidIcon(32, 32, 0xFFFF0000), 8)});
    TempDir dir;
    auto path = dir.write("misnamed.exe", ico);
    Icon icon = extractIcon(path, 0, 32);
    EXPECT_EQ(centre(icon), 0xFFFF0000u);
    EXPECT_EQ(centre(extractIcon(path, 0, 16)), 0xFF00FF00u);
    EXPECT_TRUE(extractIcon(path, 1, 32).empty());
}

TEST(ExtractIcon, RecognisesFilesByTheirBytes) {
    TempDir dir;
    auto cpl = dir.write("applet.cpl", makePe({coloured(0xFFFF0000)}));
    auto noName = dir.write("noextension", makeNe({coloured(0xFF0000FF)}));
    auto text = dir.write("readme.exe", Bytes{'h', 'e', 'l', 'l', 'o', '\n'});
    EXPECT_EQ(centre(extractIcon(cpl, 0, 32)), 0xFFFF0000u);
    EXPECT_EQ(centre(extractIcon(noName, 0, 32)), 0xFF0000FFu);
    EXPECT_TRUE(extractIcon(text, 0, 32).empty());
    EXPECT_TRUE(extractIcon(dir.path() / "missing.dll", 0, 32).empty());
    EXPECT_TRUE(extractIcon(dir.path(), 0, 32).empty());
}

// ---- Broken files --------------------------------------------------------------

TEST(BrokenFiles, EveryTruncationGivesFewerOrNoIcons) {
    const std::vector<IconGroupSpec> groups = {coloured(0xFFFF0000, u"NAMED"),
                                               coloured(0xFF00FF00)};
    for (const Bytes& full : {makePe(groups), makePe(groups, PeKind::Pe32Plus), makeNe(groups, 4),
                              makeIco({dibImage(patternIcon(32, 32, 16), 4)})}) {
        for (std::size_t length = 0; length < full.size(); length += 7) {
            Bytes cut(full.begin(), full.begin() + std::ptrdiff_t(length));
            IconResources res(cut);
            ASSERT_LE(res.iconCount(), 2);
            for (int i = 0; i < res.iconCount(); ++i) (void)res.icon(i, 32);
        }
    }
}

TEST(BrokenFiles, ResourceDirectoryPointingBackAtItselfEnds) {
    Bytes section = makeResourceSection({coloured(0xFFFF0000), coloured(0xFF00FF00)});
    // Root entry 1 (RT_GROUP_ICON) leads to the group directory; make its first
    // name entry lead back to the root and the second to the group directory itself.
    std::uint32_t groupDir = get32(section, 16 + 8 + 4) & 0x7FFFFFFF;
    put32(section, groupDir + 16 + 4, 0x80000000u);
    put32(section, groupDir + 16 + 8 + 4, 0x80000000u | groupDir);
    Bytes file = wrapPe(section);
    IconResources res(file);
    EXPECT_EQ(res.iconCount(), 2);  // still two entries, neither readable
    EXPECT_TRUE(res.icon(0, 32).empty());
    EXPECT_TRUE(res.icon(1, 32).empty());
}

TEST(BrokenFiles, ResourceClaimingFourGigabytesIsRefused) {
    Bytes file = makePe({coloured(0xFFFF0000)});
    IconResources good(file);
    ASSERT_FALSE(good.icon(0, 32).empty());
    // The data entries follow the directories; find the one of the RT_ICON image by its RVA.
    std::uint32_t imageRva = 0;
    for (std::size_t at = kResourceFileOffset; at + 8 < file.size(); at += 4) {
        std::uint32_t rva = get32(file, at);
        if (rva > kResourceRva && rva < kResourceRva + 0x1000 && get32(file, at + 4) > 1000) {
            put32(file, at + 4, 0xFFFFFFFFu);
            imageRva = rva;
            break;
        }
    }
    ASSERT_NE(imageRva, 0u);
    IconResources bad(file);
    EXPECT_EQ(bad.iconCount(), 1);
    EXPECT_TRUE(bad.icon(0, 32).empty());
}

TEST(BrokenFiles, HostileHeaderFieldsGiveNothing) {
    Bytes pe = makePe({coloured(0xFFFF0000)});
    auto patch32 = [&](std::size_t at, std::uint32_t v) {
        Bytes b = pe;
        put32(b, at, v);
        return b;
    };
    struct Case {
        const char* name;
        Bytes bytes;
        bool readable;  // counts that lie about what follows are read as far as the file goes
    };
    const std::vector<Case> cases = {
        {"header offset past end", patch32(0x3C, 0xFFFFFFF0u), false},
        {"resource RVA outside sections", patch32(0x80 + 24 + 96 + 16, 0x90000000u), false},
        {"section raw offset past end", patch32(0x80 + 24 + 224 + 20, 0x7FFFFFF0u), false},
        {"unknown optional header", patch32(0x80 + 24, 0x1234), false},
        {"sections count huge", patch32(0x80 + 4, 0xFFFF014C), true},
        {"root directory claims 2 x 65535 entries", patch32(kResourceFileOffset + 12, 0xFFFFFFFFu),
         true},
    };
    for (const auto& c : cases) {
        IconResources res(c.bytes);
        EXPECT_LE(res.iconCount(), 1) << c.name;
        EXPECT_EQ(!res.icon(0, 32).empty(), c.readable) << c.name;
    }
}

// A section table of 65,535 entries in front of a resource directory of 131,070
// icon groups: every group is looked up through the sections, so reading the
// whole table for each one took tens of seconds to list one file. Only the first
// 96 entries of a section table are taken, as the loader does.
TEST(BrokenFiles, HugeSectionTableDoesNotMultiplyTheWork) {
    constexpr std::uint32_t kSections = 0xFFFF, kEntries = 2 * 0xFFFF;
    constexpr std::uint32_t kRsrcRva = 0x20000000;
    const std::size_t pe = 0x40, opt = pe + 24, optionalSize = 224;
    const std::size_t sections = opt + optionalSize;
    const std::size_t rsrc = (sections + std::size_t(kSections) * 40 + 0xFFF) & ~std::size_t(0xFFF);
    const std::uint32_t typeDir = 24, dataEntry = typeDir + 16 + kEntries * 8;
    const std::uint32_t rsrcSize = dataEntry + 32;
    Bytes file(rsrc + rsrcSize, 0);
    file[0] = 'M', file[1] = 'Z';
    put32(file, 0x3C, pe);
    file[pe] = 'P', file[pe + 1] = 'E';
    put16(file, pe + 4, 0x14C);
    put16(file, pe + 6, kSections);
    put16(file, pe + 20, optionalSize);
    put16(file, opt, 0x10B);
    put32(file, opt + 92, 16);
    put32(file, opt + 96 + 16, kRsrcRva);
    put32(file, opt + 96 + 20, rsrcSize);
    // The last section holds the resources; all before it are tiny and elsewhere.
    for (std::uint32_t i = 0; i < kSections; ++i) {
        const std::size_t s = sections + std::size_t(i) * 40;
        const bool resources = i == kSections - 1;
        put32(file, s + 8, resources ? rsrcSize : 0x10);
        put32(file, s + 12, resources ? kRsrcRva : 0x1000 * (i + 1));
        put32(file, s + 16, resources ? rsrcSize : 0);
        put32(file, s + 20, resources ? std::uint32_t(rsrc) : 0);
    }
    // Root: one entry, RT_GROUP_ICON, whose directory lists every entry at one data entry.
    put16(file, rsrc + 14, 1);
    put32(file, rsrc + 16, 14);
    put32(file, rsrc + 20, 0x80000000u | typeDir);
    put16(file, rsrc + typeDir + 12, 0xFFFF);
    put16(file, rsrc + typeDir + 14, 0xFFFF);
    for (std::uint32_t i = 0; i < kEntries; ++i) {
        put32(file, rsrc + typeDir + 16 + i * 8, i < 0xFFFF ? 0x80000000u : i - 0xFFFF + 1);
        put32(file, rsrc + typeDir + 20 + i * 8, dataEntry);
    }
    put32(file, rsrc + dataEntry, kRsrcRva + dataEntry + 16);
    put32(file, rsrc + dataEntry + 4, 16);

    const auto start = std::chrono::steady_clock::now();
    IconResources res(file);
    for (int i = 0; i < res.iconCount(); ++i) (void)res.images(i);  // as a listing does
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(res.container(), IconContainer::Pe);
    EXPECT_EQ(res.iconCount(), 0);  // the resources lie in section 65,535
    EXPECT_LT(seconds, 2.0);
}

// 131,070 icon groups and as many RT_ICON entries in a file of 3 MB, every
// group naming the one real image. A scan loads such a file once per icon, so a
// load must not resolve every group and every image of the file first.
TEST(BrokenFiles, ManyGroupsCostNothingUntilOneIsAskedFor) {
    constexpr std::uint32_t kEntries = 2 * 0xFFFF;
    const Bytes image = dibImage(solidIcon(32, 32, 0xFF3060A0), 32).data;
    const std::uint32_t root = 0, iconDir = 32, groupDir = iconDir + 16 + kEntries * 8;
    const std::uint32_t iconData = groupDir + 16 + kEntries * 8, groupData = iconData + 16;
    const std::uint32_t group = groupData + 16, pixels = group + 6 + 14 + 2;
    Bytes section(pixels + image.size(), 0);
    put16(section, root + 14, 2);
    put32(section, root + 16, 3);
    put32(section, root + 20, 0x80000000u | iconDir);
    put32(section, root + 24, 14);
    put32(section, root + 28, 0x80000000u | groupDir);
    for (std::uint32_t dir : {iconDir, groupDir}) {
        put16(section, dir + 12, 0xFFFF);
        put16(section, dir + 14, 0xFFFF);
        for (std::uint32_t i = 0; i < kEntries; ++i) {
            // Named entries first, then ids 1, 2, ...; each image entry leads to the
            // one image and each group entry to the one group, which names image 1.
            put32(section, dir + 16 + i * 8, i < 0xFFFF ? 0x80000000u : i - 0xFFFF + 1);
            put32(section, dir + 20 + i * 8, dir == groupDir ? groupData : iconData);
        }
    }
    put32(section, iconData, kResourceRva + pixels);
    put32(section, iconData + 4, std::uint32_t(image.size()));
    put32(section, groupData, kResourceRva + group);
    put32(section, groupData + 4, 6 + 14);
    put16(section, group + 2, 1);
    put16(section, group + 4, 1);
    section[group + 6] = 32, section[group + 7] = 32;
    put16(section, group + 6 + 4, 1);
    put16(section, group + 6 + 6, 32);
    put32(section, group + 6 + 8, std::uint32_t(image.size()));
    put16(section, group + 6 + 12, 1);
    std::copy(image.begin(), image.end(), section.begin() + pixels);
    const Bytes file = wrapPe(section);

    ASSERT_EQ(IconResources(file).iconCount(), int(kEntries));
    const auto start = std::chrono::steady_clock::now();
    for (int index : {0, 1, 65534, 65535, 100000, int(kEntries) - 1})
        EXPECT_EQ(centre(IconResources(file).icon(index, 32)), 0xFF3060A0u) << index;
    for (int n = 0; n < 100; ++n) (void)IconResources(file).icon(n * 1000, 32);
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_TRUE(IconResources(file).icon(int(kEntries), 32).empty());
    EXPECT_LT(seconds, 1.0);
}

TEST(BrokenFiles, NeResourceTableWithHugeCountsOrShift) {
    Bytes ne = makeNe({coloured(0xFFFF0000)}, 4);
    Bytes hugeShift = ne;
    put16(hugeShift, 0x80, 60);
    EXPECT_EQ(IconResources(hugeShift).iconCount(), 0);
    Bytes hugeCount = ne;
    put16(hugeCount, 0x80 + 2 + 2, 0xFFFF);  // RT_ICON record count
    IconResources res(hugeCount);
    EXPECT_LE(res.iconCount(), 1);
}

TEST(BrokenFiles, IconFilesThatAreNotIcons) {
    EXPECT_EQ(IconResources(makeIco({dibImage(patternIcon(32, 32, 16), 4)}, 2)).iconCount(),
              0);  // cursor
    Bytes none = makeIco({});
    IconResources empty(none);
    EXPECT_EQ(empty.iconCount(), 1);         // an icon file is one icon ...
    EXPECT_TRUE(empty.icon(0, 32).empty());  // ... which has no image to give
    Bytes lying = makeIco({dibImage(patternIcon(32, 32, 16), 4)});
    put32(lying, 6 + 8, 0xFFFFFFFFu);  // bytes in resource: 4 GB
    EXPECT_TRUE(IconResources(lying).icon(0, 32).empty());
}

}  // namespace
}  // namespace pellimar
