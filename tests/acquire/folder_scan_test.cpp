#include "acquire/folder_scan.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "acquire/scan_test_tree.h"
#include "core/settings.h"

namespace pellimar {
namespace {
namespace fs = std::filesystem;
using test::ScratchTree;

std::vector<std::uint8_t> icoHeader(int count, int reserved = 0, int type = 1) {
    return {std::uint8_t(reserved),  0, std::uint8_t(type), 0, std::uint8_t(count & 0xFF),
            std::uint8_t(count >> 8)};
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
                    return pos >= 0 && pos < count ? marker(pos + 1000) : Icon{};
                },
                [this](const fs::path& file, int n, const Icon& icon) {
                    rows.push_back({file.filename().string(), n, icon.color.at(0)});
                },
                [this] {
                    ++clears;
                    rows.clear();
                }};
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

TEST(FolderScan, IconFileEndsAtItsFirstEmptyImageOrAnEmptyHeader) {
    ScratchTree t;
    const auto claimsFive = t.file("five.ico", icoHeader(5));
    const auto none = t.file("none.ico", icoHeader(0));
    FakeList list;
    list.icons = {{"five.ico", 2}};
    runFolderScan({claimsFive, none}, withLimit(0), list.callbacks());
    EXPECT_EQ(list.rowsFrom("five.ico"), 2);
    EXPECT_EQ(list.loads.size(), 3u);  // 1, 2, then the empty 3; none.ico is not loaded
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
    EXPECT_EQ(readIconFileCount(t.file("b.ico", icoHeader(0))), 0);
    EXPECT_EQ(readIconFileCount(t.file("c.ico", icoHeader(1, 0, 2))), std::nullopt);
    EXPECT_EQ(readIconFileCount(t.file("d.ico", std::string())), std::nullopt);
    EXPECT_EQ(readIconFileCount(t.root()), std::nullopt);
}

}  // namespace
}  // namespace pellimar
