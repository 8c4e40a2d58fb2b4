#include "acquire/scan_command.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "acquire/scan_test_tree.h"
#include "app/settings.h"
#include "support/scripted_desktop.h"

namespace pellimar {
namespace {
namespace fs = std::filesystem;
using test::ScratchTree;
using test::ScriptedDesktop;

// A stand-in main window that records what the command does to it. Files written
// by these tests hold their icon count as text ("icons:N").
struct FakeWindow {
    std::vector<std::string> events;  // status texts, paints, clears
    std::vector<std::string> rows;
    bool confirm = true;
    std::function<void()> onFirstLoad;
    int loads = 0;

    ScanCommandHost host() {
        ScanCommandHost h;
        h.confirmImportOptions = [this] { return confirm; };
        h.setStatus = [this](int panel, const std::string& text) {
            events.push_back(std::to_string(panel) + ":" + text);
        };
        h.paintPending = [this] { events.push_back("paint"); };
        h.rowCount = [this] { return int(rows.size()); };
        h.list.loadIcon = [this](const fs::path& file, int index) {
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
        };
        h.list.addRow = [this](const fs::path& file, int n, const Icon&) {
            rows.push_back(file.filename().string() + "#" + std::to_string(n));
        };
        h.list.clearList = [this] {
            events.push_back("clear");
            rows.clear();
        };
        return h;
    }
};

class ScanCommandTest : public ::testing::Test {
  protected:
    std::optional<ScanOutcome> scan() {
        desktop.folderAnswers.push_back(tree.root());
        return runScanCommand(desktop, settings, window.host());
    }

    ScratchTree tree;
    ScriptedDesktop desktop;
    AppSettings settings;
    FakeWindow window;
};

TEST_F(ScanCommandTest, CancellingEitherDialogChangesNothing) {
    tree.file("a.exe", "icons:3");
    EXPECT_FALSE(runScanCommand(desktop, settings, window.host()));  // no folder chosen
    ASSERT_EQ(desktop.folderTitles, std::vector<std::string>{"Import a directory"});
    window.confirm = false;
    EXPECT_FALSE(scan());
    EXPECT_TRUE(window.events.empty());
    EXPECT_TRUE(window.rows.empty());
    EXPECT_EQ(window.loads, 0);
}

TEST_F(ScanCommandTest, SearchingIsPaintedOnceThenIdleWithTheRowCount) {
    tree.file("a.exe", "icons:3");
    window.rows = {"old#0"};
    settings.max_units = 0;
    settings.clearResult = true;
    // The file list is complete before the first icon is read: a file that
    // appears once reading has begun is not taken.
    window.onFirstLoad = [&] { tree.file("late.exe", "icons:5"); };
    ASSERT_TRUE(scan());
    EXPECT_EQ(window.events, (std::vector<std::string>{"1:Searching ...", "paint", "clear",
                                                       "1:Idle ...", "3:Icons: 3"}));
    EXPECT_EQ(window.rows, (std::vector<std::string>{"a.exe#0", "a.exe#1", "a.exe#2"}));
}

}  // namespace
}  // namespace pellimar
