// The version resource: the names and versions of a program or library, in PE
// (UTF-16) and NE (8-bit) files, and what a damaged one gives.
#include "platform/version_info.h"

#include <gtest/gtest.h>

#include "platform/icon_set.h"
#include "support/fixtures.h"

namespace pellimar {
namespace {
using namespace fixtures;

const std::vector<std::pair<std::string, std::string>> kEnglish = {
    {"CompanyName", "Example Büro"},        {"FileDescription", "Mine sweeping game"},
    {"FileVersion", "5.1.2600.0"},          {"InternalName", "winmine"},
    {"ProductName", "Example Minesweeper"}, {"ProductVersion", "5.1"}};
const std::vector<std::pair<std::string, std::string>> kGerman = {
    {"ProductName", "Beispiel Minensucher"}, {"FileDescription", "Minensuchspiel"}};

std::vector<IconGroupSpec> oneIcon() {
    return {{{dibImage(patternIcon(16, 16, 16), 4)}}};
}

Result<std::optional<VersionInfo>> versionOf(const Bytes& file,
                                             VersionLanguages languages = VersionLanguages::First) {
    auto set = IconSet::read(ByteSource(file));
    if (!set) return set.failure();
    return readVersionInfo(*set, languages);
}

// The reasons in `notes`, one a line.
std::string reasons(const std::vector<Failure>& notes) {
    std::string text;
    for (const Failure& f : notes) text += f.message() + "\n";
    return text;
}

TEST(VersionInfo, GivesTheStringsOfTheFirstLanguageInPeAndNeFiles) {
    for (const bool wide : {true, false}) {
        SCOPED_TRACE(wide ? "PE" : "NE");
        // The first table of the file is German; Translation names English first.
        const VersionSpec layout{{{0x0407, 1252, kGerman}, {0x0409, 1252, kEnglish}},
                                 {{0x0409, 1252}, {0x0407, 1252}}};
        const Bytes resource = makeVersionResource(layout, wide);
        const Bytes file =
            wide ? makePeWithVersion(oneIcon(), resource) : makeNeWithVersion(oneIcon(), resource);
        auto info = versionOf(file);
        ASSERT_TRUE(info) << info.failure().message();
        ASSERT_TRUE(info->has_value());
        const VersionInfo& v = **info;
        EXPECT_TRUE(v.notes.empty()) << reasons(v.notes);
        ASSERT_EQ(v.tables.size(), 1u);
        EXPECT_EQ(v.tables[0].language, 0x0409);
        EXPECT_EQ(v.tables[0].codePage, 1252);
        for (const auto& [key, value] : kEnglish) {
            ASSERT_NE(v.value(key), nullptr) << key;
            EXPECT_EQ(*v.value(key), value) << key;
        }
        EXPECT_EQ(v.value("LegalCopyright"), nullptr);
        EXPECT_EQ(v.translations, layout.translations);

        // Every language on request, in the file's order.
        auto all = versionOf(file, VersionLanguages::All);
        ASSERT_TRUE(all && all->has_value());
        ASSERT_EQ((*all)->tables.size(), 2u);
        EXPECT_EQ((*all)->tables[0].language, 0x0407);
        EXPECT_EQ(*(*all)->tables[0].find("ProductName"), "Beispiel Minensucher");
        EXPECT_EQ((*all)->tables[1].strings, kEnglish);
    }
}

TEST(VersionInfo, WithoutTranslationTheFirstTableIsTheFirstLanguage) {
    const Bytes resource =
        makeVersionResource({{{0x0407, 1200, kGerman}, {0x0409, 1200, kEnglish}}, {}}, true);
    auto info = versionOf(makePeWithVersion(oneIcon(), resource));
    ASSERT_TRUE(info && info->has_value());
    EXPECT_EQ(*(*info)->value("ProductName"), "Beispiel Minensucher");
}

TEST(VersionInfo, TextsBeyondLatinAndTheWesternCodePageAreKept) {
    const VersionSpec wide{{{0x0409, 1200, {{"ProductName", "Ünïcode \xF0\x9F\x98\x80 名前"}}}},
                           {}};
    auto info = versionOf(makePeWithVersion(oneIcon(), makeVersionResource(wide, true)));
    ASSERT_TRUE(info && info->has_value());
    EXPECT_EQ(*(*info)->value("ProductName"), "Ünïcode \xF0\x9F\x98\x80 名前");

    // An NE file's bytes 0x80 to 0x9F are Windows' Western characters (0x80: the euro).
    Bytes narrow =
        makeVersionResource({{{0x0409, 1252, {{"ProductName", "Price 0 X"}}}}, {}}, false);
    const std::string marker = "Price 0 X";
    const auto at = std::search(narrow.begin(), narrow.end(), marker.begin(), marker.end());
    ASSERT_NE(at, narrow.end());
    at[6] = 0x80;
    at[8] = 0x99;
    info = versionOf(makeNeWithVersion(oneIcon(), narrow));
    ASSERT_TRUE(info && info->has_value());
    EXPECT_EQ(*(*info)->value("ProductName"), "Price € ™");
}

TEST(VersionInfo, FilesWithoutOneGiveNothing) {
    for (const Bytes& file : {makePe(oneIcon()), makeNe(oneIcon()), makeIco(oneIcon()[0].images)}) {
        auto info = versionOf(file);
        ASSERT_TRUE(info) << info.failure().message();
        EXPECT_FALSE(info->has_value());
    }
}

// Damaged resources: a reason, what came before the damage, and no endless loop.
TEST(VersionInfo, DamagedBlocksAreLeftOutWithWhyAndTheRestIsKept) {
    const VersionSpec layout{{{0x0409, 1200, kEnglish}}, {{0x0409, 1200}}};
    const Bytes good = makeVersionResource(layout, true);
    const std::u16string third = u"FileVersion";
    Bytes key;
    for (char16_t c : third) key.insert(key.end(), {std::uint8_t(c), std::uint8_t(c >> 8)});
    const auto keyAt =
        std::size_t(std::search(good.begin(), good.end(), key.begin(), key.end()) - good.begin());
    ASSERT_LT(keyAt, good.size());
    const std::size_t thirdBlock = keyAt - 6;

    // A string block whose length is 0 or cannot hold its header: a reader
    // stepping by it would never move on.
    for (const std::uint16_t length : {0, 2, 5}) {
        Bytes bytes = good;
        put16(bytes, thirdBlock, length);
        auto info = parseVersionInfo(bytes, true);
        ASSERT_TRUE(info);
        EXPECT_EQ(
            reasons(info->notes), "040904B0: version block length is not valid at byte 0x" + [&] {
                char hex[16];
                std::snprintf(hex, sizeof hex, "%zX", thirdBlock);
                return std::string(hex);
            }() + "\n");
        ASSERT_EQ(info->tables.size(), 1u);
        EXPECT_EQ(info->tables[0].strings.size(), 2u);  // the two before it
        EXPECT_EQ(info->translations.size(), 1u);       // its sibling lists go on
    }

    // Cut anywhere: never more than the bytes there, a reason when a block is cut.
    for (std::size_t size = 0; size < good.size(); ++size) {
        auto info = parseVersionInfo(std::span(good.data(), size), true);
        if (!info) {
            EXPECT_EQ(info.failure().fault, Fault::CutOff) << size;
            continue;
        }
        EXPECT_FALSE(info->notes.empty()) << size;
        for (const auto& table : info->tables)
            for (const auto& [k, v] : table.strings) EXPECT_LE(k.size() + v.size(), size);
    }

    // A length claiming more than the resource holds: read to its end, and said.
    Bytes huge = good;
    put16(huge, 0, 0xFFFF);
    auto info = parseVersionInfo(huge, true);
    ASSERT_TRUE(info);
    EXPECT_EQ(reasons(info->notes), "version block cut off at byte 0x0\n");
    EXPECT_EQ(*info->value("ProductName"), "Example Minesweeper");

    // Not a version resource at all.
    Bytes other = good;
    other[6] = 'X';
    const auto refused = parseVersionInfo(other, true);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.failure().message(), "version resource key is not valid at byte 0x0");
}

TEST(VersionInfo, CapsStopHugeResourcesAndEndlessBlocks) {
    // More blocks than are read: the first are kept, the cap is told once.
    std::vector<std::pair<std::string, std::string>> many;
    for (int i = 0; i < kMaxVersionBlocks + 10; ++i) many.push_back({"K" + std::to_string(i), "v"});
    const VersionSpec layout{{{0x0409, 1200, {many.begin(), many.begin() + 1000}},
                              {0x0407, 1200, {many.begin() + 1000, many.begin() + 2000}},
                              {0x040C, 1200, {many.begin() + 2000, many.begin() + 3000}},
                              {0x0410, 1200, {many.begin() + 3000, many.begin() + 4000}},
                              {0x0411, 1200, {many.begin() + 4000, many.end()}}},
                             {{0x0409, 1200}}};
    // Each table stays within a block's 64 KB.
    const Bytes resource = makeVersionResource(layout, false);
    auto info = parseVersionInfo(resource, false, VersionLanguages::All);
    ASSERT_TRUE(info);
    ASSERT_EQ(info->notes.size(), 1u) << reasons(info->notes);
    EXPECT_EQ(info->notes[0].cap, Cap::VersionBlocks);
    std::size_t strings = 0;
    for (const auto& table : info->tables) strings += table.strings.size();
    EXPECT_LT(strings, std::size_t(kMaxVersionBlocks));
    EXPECT_GT(strings, std::size_t(kMaxVersionBlocks) - 10);
    EXPECT_TRUE(info->translations.empty());  // after the cap

    // A resource larger than any real one is not read.
    Bytes large = makeVersionResource({{{0x0409, 1200, kEnglish}}, {}}, true);
    large.resize(kMaxVersionBytes + 1, 0);
    auto capped = versionOf(makePeWithVersion(oneIcon(), large));
    ASSERT_FALSE(capped);
    EXPECT_EQ(capped.failure().cap, Cap::VersionBytes);
    EXPECT_EQ(capped.failure().message(), "stopped at a limit: 1024 KB of a version resource");
}

TEST(VersionInfo, AResourceThatCannotBeHadSaysWhy) {
    Bytes file =
        makePeWithVersion(oneIcon(), makeVersionResource({{{0x0409, 1200, kEnglish}}, {}}, true));
    // Its data entry claims more than the file holds.
    put32(file, dataEntryOf(file, 16, 0) + 4, 0x7FFFFFF0u);
    auto info = versionOf(file);
    ASSERT_FALSE(info);
    EXPECT_EQ(info.failure().fault, Fault::CapReached);
    put32(file, dataEntryOf(file, 16, 0) + 4, 0x100000u);
    info = versionOf(file);
    ASSERT_FALSE(info);
    EXPECT_EQ(info.failure().fault, Fault::BadValue) << info.failure().message();
}

}  // namespace
}  // namespace pellimar
