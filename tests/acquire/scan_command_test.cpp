#include "acquire/scan_command.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "acquire/scan_test_tree.h"
#include "core/folder_walk.h"
#include "core/result_list_access.h"
#include "core/settings.h"
#include "support/scripted_desktop.h"

namespace pellimar {
namespace {
namespace fs = std::filesystem;
using test::ScratchTree;
using test::ScriptedDesktop;

// A stand-in main window that records what the command does to it. Files written
// by these tests hold their icon count as text ("icons:N").
struct FakeWindow : ResultListAccess {
    std::vector<std::string> events;  // status texts, paints, clears
    std::vector<std::string> rowNames;
    bool confirm = true;
    std::function<void()> onFirstLoad;
    int loads = 0;

    void addRow(const Icon&, const fs::path& file, int n) override {
        rowNames.push_back(file.filename().string() + "#" + std::to_string(n));
    }
    void clearAll() override {
        events.push_back("clear");
        rowNames.clear();
    }
    std::vector<ResultRowInfo> rows() const override { return {}; }
    int rowCount() const override { return int(rowNames.size()); }
    int selectedCount() const override { return 0; }
    void showStatus(int panel, const std::string& text) override {
        events.push_back(std::to_string(panel) + ":" + text);
    }
    void processPendingEvents() override { events.push_back("paint"); }
    void addPreparedRows(std::vector<PreparedRow>& rows) override {
        for (const PreparedRow& row : rows)
            rowNames.push_back(row.source.filename().string() + "#" +
                               std::to_string(row.iconPosition));
    }
    void beginBackgroundWork(std::function<void()> stop) override {
        events.push_back("begin");
        stopWork = std::move(stop);
    }
    void showProgress(const WorkProgress& p) override { progress.push_back(p); }
    void endBackgroundWork() override { events.push_back("end"); }
    std::function<void()> stopWork;
    std::vector<WorkProgress> progress;

    Icon loadIcon(const fs::path& file, int index) {
        if (loads++ == 0 && onFirstLoad) onFirstLoad();
        std::ifstream in(file);
        std::string text((std::istreambuf_iterator<char>(in)), {});
        Icon icon;
        if (text.rfind("icons:", 0) == 0 && index < std::stoi(text.substr(6))) {
            icon.width = icon.height = 32;
            icon.color.assign(32 * 32, 0);
            icon.mask.assign(32 * 32, 0);
        }
        return icon;
    }
    std::optional<ScanOutcome> run(Desktop& desktop, const AppSettings& settings) {
        return runScanCommand(
            desktop, settings, *this, [this] { return confirm; },
            [this](const fs::path& file, int index) { return loadIcon(file, index); });
    }
};

class ScanCommandTest : public ::testing::Test {
  protected:
    std::optional<ScanOutcome> scan() {
        desktop.folderAnswers.push_back(tree.root());
        return window.run(desktop, settings);
    }

    ScratchTree tree;
    ScriptedDesktop desktop;
    AppSettings settings;
    FakeWindow window;
};

TEST_F(ScanCommandTest, CancellingEitherDialogChangesNothing) {
    tree.file("a.exe", "icons:3");
    EXPECT_FALSE(window.run(desktop, settings));  // no folder chosen
    ASSERT_EQ(desktop.folderTitles, std::vector<std::string>{"Import a directory"});
    window.confirm = false;
    EXPECT_FALSE(scan());
    EXPECT_TRUE(window.events.empty());
    EXPECT_TRUE(window.rowNames.empty());
    EXPECT_EQ(window.loads, 0);
}

TEST_F(ScanCommandTest, SearchingThenTheWorkInTheBackgroundThenIdleWithTheRowCount) {
    tree.file("a.exe", "icons:3");
    window.rowNames = {"old#0"};
    settings.max_units = 0;
    settings.clearResult = true;
    // The file list is complete before the first icon is read: a file that
    // appears once reading has begun is not taken.
    window.onFirstLoad = [&] { tree.file("late.exe", "icons:5"); };
    ASSERT_TRUE(scan());
    EXPECT_EQ(window.events, (std::vector<std::string>{"1:Searching ...", "begin", "clear", "end",
                                                       "1:Idle ...", "3:Icons: 3"}));
    EXPECT_EQ(window.rowNames, (std::vector<std::string>{"a.exe#0", "a.exe#1", "a.exe#2"}));
}

TEST_F(ScanCommandTest, StopKeepsTheRowsFoundAndReadsNoFurtherFile) {
    for (int i = 0; i < 20; ++i) tree.file("f" + std::to_string(i) + ".exe", "icons:2");
    settings.max_units = 0;
    window.onFirstLoad = [&] { window.stopWork(); };
    const auto outcome = scan();
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(outcome->interrupted);
    // The icon being read when Stop came is kept; no further icon is read.
    EXPECT_EQ(window.rowNames.size(), 1u);
    EXPECT_EQ(window.loads, 1);
    EXPECT_EQ(window.events.back(), "3:Icons: 1");
}

TEST_F(ScanCommandTest, ManyFilesComeInBatchesWithProgressInTheSameOrderAsTheWalk) {
    constexpr int kFiles = 300;
    for (int i = 0; i < kFiles; ++i) tree.file("f" + std::to_string(i) + ".exe", "icons:3");
    settings.max_units = 0;
    settings.searchchildfolder = true;
    const auto outcome = scan();
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->rowsAdded, kFiles * 3);
    ASSERT_EQ(window.rowNames.size(), std::size_t(kFiles * 3));
    // Rows in the walk's order, each file's icons together and in order.
    std::vector<std::string> expected;
    for (const fs::path& file : gatherScanFiles(tree.root(), {true, true, true, true}, true))
        for (int n = 0; n < 3; ++n)
            expected.push_back(file.filename().string() + "#" + std::to_string(n));
    EXPECT_EQ(window.rowNames, expected);
    for (std::size_t i = 1; i < window.progress.size(); ++i) {
        EXPECT_GE(window.progress[i].filesRead, window.progress[i - 1].filesRead);
        EXPECT_GE(window.progress[i].iconsFound, window.progress[i - 1].iconsFound);
    }
}

}  // namespace
}  // namespace pellimar
