#include "acquire/folder_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <string>

#include "core/settings.h"

namespace pellimar {
namespace {
namespace fs = std::filesystem;

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

using Offer = std::pair<std::string, int>;

// A stand-in reader that knows how many icons each file holds, which of them are
// damaged and which files give no row at all; it records every icon it hands
// over. The row list records the rows and Clear All.
struct FakeFiles {
    std::map<std::string, int> icons;
    std::map<Offer, Failure> damaged;
    std::map<std::string, Failure> unreadable;
    std::function<void(const Offer&)> onOffer;  // before each icon is handed over

    std::vector<std::string> opened;
    std::vector<Offer> offered;
    std::vector<std::string> events;  // "clear" and the rows, in order
    std::vector<Row> rows;
    int clears = 0;

    std::optional<Failure> read(const fs::path& file, const RowSink& take) {
        const std::string name = file.filename().string();
        opened.push_back(name);
        if (auto bad = unreadable.find(name); bad != unreadable.end()) return bad->second;
        const int count = icons.count(name) ? icons.at(name) : 0;
        for (int i = 0; i < count; ++i) {
            const Offer offer{name, i};
            offered.push_back(offer);
            if (onOffer) onOffer(offer);
            const auto bad = damaged.find(offer);
            const bool goOn = bad != damaged.end() ? take(i, bad->second)
                                                   : take(i, RowIcon{marker(1000 + i), {}});
            if (!goOn) break;
        }
        return std::nullopt;
    }

    ScanCallbacks callbacks() {
        return {[this](const fs::path& file, const RowSink& take) { return read(file, take); },
                [this](const fs::path& file, int n, const RowIcon& icon) {
                    rows.push_back({file.filename().string(), n, icon.icon.color.at(0)});
                    events.push_back(file.filename().string() + "#" + std::to_string(n));
                },
                [this] {
                    ++clears;
                    rows.clear();
                    events.push_back("clear");
                }};
    }
    int rowsFrom(const std::string& name) const {
        return int(
            std::count_if(rows.begin(), rows.end(), [&](const Row& r) { return r.file == name; }));
    }
};

AppSettings withLimit(int maxUnits, bool clear = false) {
    AppSettings s;
    s.importLimit = maxUnits;
    s.clearResult = clear;
    return s;
}

TEST(FolderScan, LimitCutsTheSecondFileAndStopsTheScan) {
    FakeFiles files;
    files.icons = {{"a.exe", 60}, {"b.dll", 70}, {"c.exe", 5}};
    const auto out =
        runFolderScan({"/f/a.exe", "/f/b.dll", "/f/c.exe"}, withLimit(100), files.callbacks());
    EXPECT_EQ(files.rows.size(), 100u);
    EXPECT_EQ(files.rowsFrom("a.exe"), 60);
    EXPECT_EQ(files.rowsFrom("b.dll"), 40);
    EXPECT_EQ(out.rowsAdded, 100);
    EXPECT_EQ(out.iconsTaken, 101);
    EXPECT_TRUE(out.stopped);
    EXPECT_FALSE(out.interrupted);
    // The 101st icon was read and not added, which ended b.dll; c.exe was never opened.
    EXPECT_EQ(files.offered.back(), Offer("b.dll", 40));
    EXPECT_EQ(files.opened, (std::vector<std::string>{"a.exe", "b.dll"}));
    EXPECT_EQ(files.rows.back(), (Row{"b.dll", 39, 1039}));
}

TEST(FolderScan, ZeroOrNegativeMaximumMeansNoLimit) {
    for (int maxUnits : {0, -5}) {
        FakeFiles files;
        files.icons = {{"a.exe", 60}, {"b.dll", 70}};
        const auto out =
            runFolderScan({"/f/a.exe", "/f/b.dll"}, withLimit(maxUnits), files.callbacks());
        EXPECT_EQ(files.rows.size(), 130u) << maxUnits;
        EXPECT_FALSE(out.stopped);
    }
}

// Once the maximum is reached no later file is opened: none could add a row.
TEST(FolderScan, ReachingTheMaximumOpensNoFurtherFile) {
    FakeFiles files;
    files.icons = {{"a.exe", 20}, {"b.exe", 0}, {"c.ico", 3}};
    const auto out =
        runFolderScan({"/f/a.exe", "/f/b.exe", "/f/c.ico"}, withLimit(20), files.callbacks());
    EXPECT_EQ(out.rowsAdded, 20);
    EXPECT_TRUE(out.stopped);
    EXPECT_EQ(files.opened, std::vector<std::string>{"a.exe"});

    // The last file ending exactly at the maximum: nothing was left unread.
    FakeFiles last;
    last.icons = {{"a.exe", 20}};
    const auto whole = runFolderScan({"/f/a.exe"}, withLimit(20), last.callbacks());
    EXPECT_EQ(whole.rowsAdded, 20);
    EXPECT_FALSE(whole.stopped);
}

TEST(FolderScan, CountAndStopFlagStartAnewEachScan) {
    FakeFiles files;
    files.icons = {{"a.exe", 15}, {"b.exe", 15}};
    const std::vector<fs::path> list{"/f/a.exe", "/f/b.exe"};
    std::atomic<bool> stop{false};
    ScanCallbacks callbacks = files.callbacks();
    callbacks.stop = &stop;
    EXPECT_EQ(runFolderScan(list, withLimit(20), callbacks).rowsAdded, 20);
    EXPECT_EQ(runFolderScan(list, withLimit(20), callbacks).rowsAdded, 20);
    EXPECT_EQ(files.rows.size(), 40u);
}

TEST(FolderScan, ADamagedIconIsSkippedWithItsReasonAndHidesNoneOfTheOthers) {
    const Failure broken = failure(Fault::DamagedImage, "colour table").within("icon 1");
    FakeFiles files;
    files.icons = {{"a.exe", 4}, {"b.exe", 2}};
    files.damaged = {{{"a.exe", 0}, broken}, {{"a.exe", 2}, failure(Fault::MissingImage)}};
    const auto all = runFolderScan({"/f/a.exe", "/f/b.exe"}, withLimit(0), files.callbacks());
    // Rows keep their icon's own position; damaged icons are not counted.
    EXPECT_EQ(files.rows,
              (std::vector<Row>{
                  {"a.exe", 1, 1001}, {"a.exe", 3, 1003}, {"b.exe", 0, 1000}, {"b.exe", 1, 1001}}));
    EXPECT_EQ(all.iconsTaken, 4);
    ASSERT_EQ(all.skippedIcons.size(), 2u);
    EXPECT_EQ(all.skippedIcons[0].file, fs::path("/f/a.exe"));
    EXPECT_EQ(all.skippedIcons[0].position, 0);
    EXPECT_EQ(all.skippedIcons[0].why.message(), broken.message());
    EXPECT_EQ(all.skippedIcons[1].position, 2);
    EXPECT_EQ(all.skippedIcons[1].why.fault, Fault::MissingImage);
    EXPECT_TRUE(all.unreadableFiles.empty());

    // The maximum counts the icons read, not the damaged ones.
    FakeFiles limited;
    limited.icons = files.icons;
    limited.damaged = files.damaged;
    const auto out = runFolderScan({"/f/a.exe", "/f/b.exe"}, withLimit(3), limited.callbacks());
    EXPECT_EQ(limited.rows,
              (std::vector<Row>{{"a.exe", 1, 1001}, {"a.exe", 3, 1003}, {"b.exe", 0, 1000}}));
    EXPECT_TRUE(out.stopped);
}

TEST(FolderScan, AFileThatGivesNoRowIsListedWithWhyAndTheScanGoesOn) {
    FakeFiles files;
    files.icons = {{"a.exe", 1}, {"b.exe", 2}};
    files.unreadable = {{"fake.ico", failure(Fault::BadValue, "icon file header", 0)},
                        {"gone.exe", systemFailure(Fault::CannotOpen, ENOENT)}};
    ScanCallbacks callbacks = files.callbacks();
    std::vector<std::size_t> reads;
    callbacks.fileRead = [&](std::size_t n) { reads.push_back(n); };
    const auto out = runFolderScan({"/f/a.exe", "/f/fake.ico", "/f/gone.exe", "/f/b.exe"},
                                   withLimit(0), callbacks);
    EXPECT_EQ(files.rows.size(), 3u);
    ASSERT_EQ(out.unreadableFiles.size(), 2u);
    EXPECT_EQ(out.unreadableFiles[0].file, fs::path("/f/fake.ico"));
    EXPECT_EQ(out.unreadableFiles[0].why.message(), "icon file header is not valid at byte 0x0");
    EXPECT_EQ(out.unreadableFiles[1].file, fs::path("/f/gone.exe"));
    EXPECT_EQ(out.unreadableFiles[1].why.fault, Fault::CannotOpen);
    EXPECT_EQ(reads, (std::vector<std::size_t>{1, 2, 3, 4}));  // every file counts as read
    EXPECT_FALSE(out.stopped);
}

TEST(FolderScan, StopIsLookedAtBetweenTheIconsOfAFile) {
    std::atomic<bool> stop{false};
    FakeFiles files;
    files.icons = {{"big.exe", 1000}, {"b.exe", 2}};
    // Stop comes while the third icon is read: it is kept, no further icon is read.
    files.onOffer = [&](const Offer& offer) {
        if (offer.second == 2) stop = true;
    };
    ScanCallbacks callbacks = files.callbacks();
    callbacks.stop = &stop;
    const auto out = runFolderScan({"/f/big.exe", "/f/b.exe"}, withLimit(0), callbacks);
    EXPECT_TRUE(out.interrupted);
    EXPECT_FALSE(out.stopped);
    EXPECT_EQ(files.rows.size(), 3u);
    EXPECT_EQ(files.offered.size(), 3u);
    EXPECT_EQ(files.opened, std::vector<std::string>{"big.exe"});

    // The same when the icon being read is a damaged one.
    stop = false;
    FakeFiles damaged;
    damaged.icons = {{"big.exe", 1000}};
    damaged.damaged = {{{"big.exe", 1}, failure(Fault::DamagedImage)}};
    damaged.onOffer = [&](const Offer& offer) {
        if (offer.second == 1) stop = true;
    };
    callbacks = damaged.callbacks();
    callbacks.stop = &stop;
    const auto second = runFolderScan({"/f/big.exe"}, withLimit(0), callbacks);
    EXPECT_TRUE(second.interrupted);
    EXPECT_EQ(damaged.offered.size(), 2u);
    EXPECT_EQ(damaged.rows.size(), 1u);
    EXPECT_EQ(second.skippedIcons.size(), 1u);
}

TEST(FolderScan, AStopRequestEndsTheScanBeforeTheNextFile) {
    std::atomic<bool> stop{false};
    FakeFiles files;
    files.icons = {{"a.exe", 2}, {"b.exe", 2}};
    ScanCallbacks callbacks = files.callbacks();
    callbacks.stop = &stop;
    std::vector<std::size_t> reads;
    callbacks.fileRead = [&](std::size_t n) {
        reads.push_back(n);
        stop = true;
    };
    const auto out = runFolderScan({"/f/a.exe", "/f/b.exe"}, withLimit(0), callbacks);
    EXPECT_TRUE(out.interrupted);
    EXPECT_FALSE(out.stopped);
    EXPECT_EQ(files.rows.size(), 2u);  // the rows of a.exe stay
    EXPECT_EQ(files.opened, std::vector<std::string>{"a.exe"});
    EXPECT_EQ(reads, std::vector<std::size_t>{1});
}

TEST(FolderScan, ClearsOnlyWhenFilesWereGatheredAndBeforeTheFirstRow) {
    {
        FakeFiles files;
        files.rows = {{"old.exe", 0, 1}};
        runFolderScan({}, withLimit(20, true), files.callbacks());
        EXPECT_EQ(files.clears, 0);
        EXPECT_EQ(files.rows.size(), 1u);
    }
    {
        FakeFiles files;
        files.rows = {{"old.exe", 0, 1}};
        files.icons = {{"a.exe", 2}};
        runFolderScan({"/f/a.exe"}, withLimit(20, true), files.callbacks());
        EXPECT_EQ(files.events, (std::vector<std::string>{"clear", "a.exe#0", "a.exe#1"}));
        EXPECT_EQ(files.rows.size(), 2u);  // the old row went, the new rows stay
    }
    {
        // Files of the right kind without any icon still clear the list.
        FakeFiles files;
        files.rows = {{"old.exe", 0, 1}};
        runFolderScan({"/f/empty.exe"}, withLimit(20, true), files.callbacks());
        EXPECT_EQ(files.clears, 1);
        EXPECT_TRUE(files.rows.empty());
    }
    {
        FakeFiles files;
        files.rows = {{"old.exe", 0, 1}};
        files.icons = {{"a.exe", 2}};
        runFolderScan({"/f/a.exe"}, withLimit(20, false), files.callbacks());
        EXPECT_EQ(files.clears, 0);
        EXPECT_EQ(files.rows.size(), 3u);
    }
}

TEST(ReadOneFile, TakesEveryIconWithoutAMaximumAndNeverClears) {
    FakeFiles files;
    files.icons = {{"app.dll", 300}};
    files.damaged = {{{"app.dll", 7}, failure(Fault::DamagedImage)}};
    ScanCallbacks callbacks = files.callbacks();
    std::vector<std::size_t> reads;
    callbacks.fileRead = [&](std::size_t n) { reads.push_back(n); };
    const auto out = readOneFile("/w/app.dll", callbacks);
    EXPECT_EQ(out.rowsAdded, 299);
    EXPECT_FALSE(out.stopped);
    EXPECT_EQ(files.clears, 0);
    ASSERT_EQ(out.skippedIcons.size(), 1u);
    EXPECT_EQ(out.skippedIcons[0].position, 7);
    EXPECT_EQ(reads, std::vector<std::size_t>{1});

    FakeFiles unreadable;
    unreadable.unreadable = {{"x.ico", failure(Fault::NotIconContainer)}};
    const auto none = readOneFile("/w/x.ico", unreadable.callbacks());
    ASSERT_EQ(none.unreadableFiles.size(), 1u);
    EXPECT_EQ(none.unreadableFiles[0].why.fault, Fault::NotIconContainer);
    EXPECT_EQ(none.rowsAdded, 0);
}

TEST(ReadOneFile, StopEndsTheReadingAndKeepsTheRowsFound) {
    std::atomic<bool> stop{false};
    FakeFiles files;
    files.icons = {{"endless.exe", 1 << 20}};
    files.onOffer = [&](const Offer& offer) {
        if (offer.second == 2) stop = true;
    };
    ScanCallbacks callbacks = files.callbacks();
    callbacks.stop = &stop;
    const auto out = readOneFile("/w/endless.exe", callbacks);
    EXPECT_TRUE(out.interrupted);
    EXPECT_EQ(files.rows.size(), 3u);
    EXPECT_EQ(files.offered.size(), 3u);
}

}  // namespace
}  // namespace pellimar
