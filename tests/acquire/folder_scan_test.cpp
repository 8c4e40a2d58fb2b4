#include "acquire/folder_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <set>
#include <string>

#include "acquire/scan_test_tree.h"
#include "core/settings.h"
#include "platform/ico_file.h"

namespace pellimar {
namespace {
namespace fs = std::filesystem;
using test::ScratchTree;

// An icon file's header and room for its directory (the entries' bytes are not
// looked at by these tests' loaders).
std::vector<std::uint8_t> icoHeader(int count, int reserved = 0, int type = 1,
                                    bool withDirectory = true) {
    std::vector<std::uint8_t> bytes{std::uint8_t(reserved),     0,
                                    std::uint8_t(type),         0,
                                    std::uint8_t(count & 0xFF), std::uint8_t(count >> 8)};
    if (withDirectory) bytes.resize(bytes.size() + 16 * std::size_t(count));
    return bytes;
}

Icon marker(int value) {
    Icon icon;
    icon.width = icon.height = 1;
    icon.color = {std::uint32_t(value)};
    icon.mask = {0};
    return icon;
}

struct Row {
    std::string file;
    int n;
    std::uint32_t marker;
    bool operator==(const Row&) const = default;
};

// A loader that knows how many icons each file holds (icon files: how many of
// their images load), and records every call; a row list that records the rows.
struct FakeList {
    std::map<std::string, int> icons;
    std::set<std::pair<std::string, int>> damaged;  // (file, index) that load empty
    bool countsKnown = false;                       // hand the scan each file's count
    std::vector<std::pair<std::string, int>> loads;
    std::vector<Row> rows;
    int clears = 0;

    ScanCallbacks callbacks() {
        return {[this](const fs::path& file, int index) {
                    loads.emplace_back(file.filename().string(), index);
                    const auto it = icons.find(file.filename().string());
                    const int count = it == icons.end() ? 0 : it->second;
                    const bool ico = file.extension() == ".ico";
                    const int pos = ico ? index - 1 : index;
                    if (damaged.count({file.filename().string(), index})) return Icon{};
                    return pos >= 0 && pos < count ? marker(pos + 1000) : Icon{};
                },
                [this](const fs::path& file, int n, const Icon& icon) {
                    rows.push_back({file.filename().string(), n, icon.color.at(0)});
                },
                [this] {
                    ++clears;
                    rows.clear();
                },
                countsKnown ? IconCounter([this](const fs::path& file) -> std::optional<int> {
                    const auto it = icons.find(file.filename().string());
                    return it == icons.end() ? 0 : it->second;
                })
                            : IconCounter()};
    }
    int rowsFrom(const std::string& name) const {
        return int(
            std::count_if(rows.begin(), rows.end(), [&](const Row& r) { return r.file == name; }));
    }
};

AppSettings withLimit(int maxUnits, bool clear = false) {
    AppSettings s;
    s.max_units = maxUnits;
    s.clearResult = clear;
    return s;
}

TEST(FolderScan, LimitCutsTheSecondFileAndStopsTheScan) {
    FakeList list;
    list.icons = {{"a.exe", 60}, {"b.dll", 70}, {"c.exe", 5}};
    const auto out =
        runFolderScan({"/f/a.exe", "/f/b.dll", "/f/c.exe"}, withLimit(100), list.callbacks());
    EXPECT_EQ(list.rows.size(), 100u);
    EXPECT_EQ(list.rowsFrom("a.exe"), 60);
    EXPECT_EQ(list.rowsFrom("b.dll"), 40);
    EXPECT_EQ(list.rowsFrom("c.exe"), 0);
    EXPECT_EQ(out.rowsAdded, 100);
    EXPECT_TRUE(out.stopped);
    // the 101st icon was loaded and not added; c.exe was never opened
    EXPECT_EQ(list.loads.back(), std::make_pair(std::string("b.dll"), 40));
    EXPECT_EQ(list.rows.back(), (Row{"b.dll", 39, 1039}));
}

TEST(FolderScan, ZeroOrNegativeMaximumMeansNoLimit) {
    for (int maxUnits : {0, -5}) {
        FakeList list;
        list.icons = {{"a.exe", 60}, {"b.dll", 70}};
        const auto out =
            runFolderScan({"/f/a.exe", "/f/b.dll"}, withLimit(maxUnits), list.callbacks());
        EXPECT_EQ(list.rows.size(), 130u) << maxUnits;
        EXPECT_FALSE(out.stopped);
        // every file is tried once past its last icon
        EXPECT_EQ(list.loads.size(), 132u);
    }
}

TEST(FolderScan, ExactlyTheMaximumDoesNotStop) {
    FakeList list;
    list.icons = {{"a.exe", 20}, {"b.exe", 0}};
    const auto out = runFolderScan({"/f/a.exe", "/f/b.exe"}, withLimit(20), list.callbacks());
    EXPECT_EQ(out.rowsAdded, 20);
    EXPECT_FALSE(out.stopped);
    EXPECT_EQ(list.loads.back(), std::make_pair(std::string("b.exe"), 0));
}

TEST(FolderScan, CountAndStopFlagStartAnewEachScan) {
    FakeList list;
    list.icons = {{"a.exe", 15}, {"b.exe", 15}};
    const std::vector<fs::path> files{"/f/a.exe", "/f/b.exe"};
    EXPECT_EQ(runFolderScan(files, withLimit(20), list.callbacks()).rowsAdded, 20);
    EXPECT_EQ(runFolderScan(files, withLimit(20), list.callbacks()).rowsAdded, 20);
    EXPECT_EQ(list.rows.size(), 40u);
}

TEST(FolderScan, IconFilesAreReadOneBasedAndNumberedFromZero) {
    ScratchTree t;
    const auto ico = t.file("three.ico", icoHeader(3));
    FakeList list;
    list.icons = {{"three.ico", 3}, {"x.exe", 2}};
    runFolderScan({ico, "/f/x.exe"}, withLimit(0), list.callbacks());
    EXPECT_EQ(list.rows, (std::vector<Row>{{"three.ico", 0, 1000},
                                           {"three.ico", 1, 1001},
                                           {"three.ico", 2, 1002},
                                           {"x.exe", 0, 1000},
                                           {"x.exe", 1, 1001}}));
    // images 1..3 by the header's count, no try past it; the executable from 0
    EXPECT_EQ(list.loads, (std::vector<std::pair<std::string, int>>{{"three.ico", 1},
                                                                    {"three.ico", 2},
                                                                    {"three.ico", 3},
                                                                    {"x.exe", 0},
                                                                    {"x.exe", 1},
                                                                    {"x.exe", 2}}));
}

TEST(FolderScan, DamagedImagesOfAnIconFileHideNoneOfTheOthers) {
    ScratchTree t;
    const auto five = t.file("five.ico", icoHeader(5));
    const auto none = t.file("none.ico", icoHeader(0));
    // The header claims 1,000 images; the file has room for the entries of 2.
    auto claimsMore = icoHeader(2);
    claimsMore[4] = 1000 & 0xFF;
    claimsMore[5] = 1000 >> 8;
    const auto cut = t.file("cut.ico", claimsMore);
    FakeList list;
    list.icons = {{"five.ico", 5}, {"cut.ico", 1000}};
    list.damaged = {{"five.ico", 1}, {"five.ico", 3}};
    const auto out = runFolderScan({five, none, cut}, withLimit(0), list.callbacks());
    // Rows keep their image's own number; damaged images are not counted.
    EXPECT_EQ(list.rows, (std::vector<Row>{{"five.ico", 1, 1001},
                                           {"five.ico", 3, 1003},
                                           {"five.ico", 4, 1004},
                                           {"cut.ico", 0, 1000},
                                           {"cut.ico", 1, 1001}}));
    EXPECT_EQ(out.iconsTaken, 5);
    EXPECT_EQ(list.loads.size(), 7u);  // five images, none of none.ico, two of cut.ico
}

TEST(FolderScan, AnIconFileGivesAtMostTheImagesOneDirectoryIsReadFor) {
    ScratchTree t;
    const auto many = t.file("many.ico", icoHeader(1000));
    FakeList list;
    list.icons = {{"many.ico", 1000}};
    runFolderScan({many}, withLimit(0), list.callbacks());
    EXPECT_EQ(list.rowsFrom("many.ico"), kMaxImagesPerIcon);
    EXPECT_EQ(int(list.loads.size()), kMaxImagesPerIcon);
}

TEST(FolderScan, KnownIconCountsReadPastADamagedIcon) {
    FakeList list;
    list.icons = {{"a.exe", 4}, {"b.exe", 2}};
    list.damaged = {{"a.exe", 0}, {"a.exe", 2}};
    // Without counts, the first empty icon ends the file.
    runFolderScan({"/f/a.exe", "/f/b.exe"}, withLimit(0), list.callbacks());
    EXPECT_EQ(list.rowsFrom("a.exe"), 0);
    EXPECT_EQ(list.rowsFrom("b.exe"), 2);

    FakeList known;
    known.icons = list.icons;
    known.damaged = list.damaged;
    known.countsKnown = true;
    const auto out = runFolderScan({"/f/a.exe", "/f/b.exe"}, withLimit(3), known.callbacks());
    EXPECT_EQ(known.rows,
              (std::vector<Row>{{"a.exe", 1, 1001}, {"a.exe", 3, 1003}, {"b.exe", 0, 1000}}));
    EXPECT_TRUE(out.stopped);  // the maximum counts the icons read, not the damaged ones
    // No try past the known count.
    EXPECT_EQ(
        std::count(known.loads.begin(), known.loads.end(), std::pair<std::string, int>{"a.exe", 4}),
        0);
}

TEST(FolderScan, AStopRequestEndsTheScanBeforeTheNextFile) {
    std::atomic<bool> stop{false};
    FakeList list;
    list.icons = {{"a.exe", 2}, {"b.exe", 2}};
    ScanCallbacks callbacks = list.callbacks();
    callbacks.stop = &stop;
    std::vector<std::size_t> reads;
    callbacks.fileRead = [&](std::size_t n) {
        reads.push_back(n);
        stop = true;
    };
    const auto out = runFolderScan({"/f/a.exe", "/f/b.exe"}, withLimit(0), callbacks);
    EXPECT_TRUE(out.interrupted);
    EXPECT_FALSE(out.stopped);
    EXPECT_EQ(list.rows.size(), 2u);  // the rows of a.exe stay
    EXPECT_EQ(reads, std::vector<std::size_t>{1});
}

TEST(FolderScan, BadIconFilesAreSkippedAndTheScanGoesOn) {
    ScratchTree t;
    const auto good1 = t.file("good1.ico", icoHeader(1));
    const auto cursor = t.file("cursor.ico", icoHeader(1, 0, 2));
    const auto reserved = t.file("reserved.ico", icoHeader(1, 1, 1));
    const auto shortFile = t.file("short.ico", std::vector<std::uint8_t>{0, 0, 1, 0, 1});
    const auto folder = t.folder("folder.ico");
    const fs::path missing = t.root() / "missing.ico";
    const auto good2 = t.file("good2.ico", icoHeader(2));
    FakeList list;
    list.icons = {{"good1.ico", 1},    {"good2.ico", 2}, {"cursor.ico", 1},
                  {"reserved.ico", 1}, {"short.ico", 1}, {"after.exe", 1}};
    const auto out =
        runFolderScan({good1, cursor, reserved, shortFile, folder, missing, good2, "/f/after.exe"},
                      withLimit(0), list.callbacks());
    EXPECT_EQ(list.rowsFrom("good1.ico"), 1);
    EXPECT_EQ(list.rowsFrom("good2.ico"), 2);
    EXPECT_EQ(list.rowsFrom("after.exe"), 1);
    EXPECT_EQ(list.rows.size(), 4u);
    EXPECT_EQ(out.unreadableIconFiles,
              (std::vector<fs::path>{cursor, reserved, shortFile, folder, missing}));
    EXPECT_FALSE(out.stopped);
}

TEST(FolderScan, AfterTheLimitIconFilesAddNothingAndTheNextExecutableEndsTheScan) {
    ScratchTree t;
    const auto ico = t.file("later.ico", icoHeader(4));
    FakeList list;
    list.icons = {{"a.exe", 3}, {"later.ico", 4}, {"b.exe", 3}, {"c.exe", 3}};
    const auto out =
        runFolderScan({"/f/a.exe", ico, "/f/b.exe", "/f/c.exe"}, withLimit(2), list.callbacks());
    EXPECT_EQ(list.rows.size(), 2u);
    EXPECT_TRUE(out.stopped);
    // a.exe 0,1,2 (2 passes the maximum); later.ico loads its first image only;
    // b.exe is never opened.
    EXPECT_EQ(list.loads, (std::vector<std::pair<std::string, int>>{
                              {"a.exe", 0}, {"a.exe", 1}, {"a.exe", 2}, {"later.ico", 1}}));
}

TEST(FolderScan, LimitReachedInsideAnIconFile) {
    ScratchTree t;
    const auto ico = t.file("big.ico", icoHeader(10));
    FakeList list;
    list.icons = {{"big.ico", 10}, {"z.exe", 3}};
    const auto out = runFolderScan({ico, "/f/z.exe"}, withLimit(4), list.callbacks());
    EXPECT_EQ(list.rowsFrom("big.ico"), 4);
    EXPECT_EQ(list.rowsFrom("z.exe"), 0);
    EXPECT_TRUE(out.stopped);
    EXPECT_EQ(list.loads.size(), 5u);
}

TEST(FolderScan, ClearsOnlyWhenTheFileListIsNotEmptyAndBeforeTheFirstRow) {
    {
        FakeList list;
        list.rows = {{"old.exe", 0, 1}};
        runFolderScan({}, withLimit(20, true), list.callbacks());
        EXPECT_EQ(list.clears, 0);
        EXPECT_EQ(list.rows.size(), 1u);
    }
    {
        FakeList list;
        list.rows = {{"old.exe", 0, 1}};
        list.icons = {{"a.exe", 2}};
        runFolderScan({"/f/a.exe"}, withLimit(20, true), list.callbacks());
        EXPECT_EQ(list.clears, 1);
        EXPECT_EQ(list.rows.size(), 2u);  // the old row went, the new rows stay
    }
    {
        // files of the right kind without any icon still clear the list
        FakeList list;
        list.rows = {{"old.exe", 0, 1}};
        runFolderScan({"/f/empty.exe"}, withLimit(20, true), list.callbacks());
        EXPECT_EQ(list.clears, 1);
        EXPECT_TRUE(list.rows.empty());
    }
    {
        FakeList list;
        list.rows = {{"old.exe", 0, 1}};
        list.icons = {{"a.exe", 2}};
        runFolderScan({"/f/a.exe"}, withLimit(20, false), list.callbacks());
        EXPECT_EQ(list.clears, 0);
        EXPECT_EQ(list.rows.size(), 3u);
    }
}

TEST(ReadIconFileCount, ReadsTheHeaderCount) {
    ScratchTree t;
    EXPECT_EQ(readIconFileCount(t.file("a.ico", icoHeader(300))), 300);
    // No more entries than the file holds.
    EXPECT_EQ(readIconFileCount(t.file("e.ico", icoHeader(300, 0, 1, false))), 0);
    EXPECT_EQ(readIconFileCount(t.file("b.ico", icoHeader(0))), 0);
    EXPECT_EQ(readIconFileCount(t.file("c.ico", icoHeader(1, 0, 2))), std::nullopt);
    EXPECT_EQ(readIconFileCount(t.file("d.ico", std::string())), std::nullopt);
    EXPECT_EQ(readIconFileCount(t.root()), std::nullopt);
}

}  // namespace
}  // namespace pellimar
