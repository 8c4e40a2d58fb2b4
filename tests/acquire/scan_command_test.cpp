#include "acquire/scan_command.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>

#include "acquire/scan_test_tree.h"
#include "app/settings.h"
#include "support/scripted_desktop.h"

namespace pellimar {
namespace {
namespace fs = std::filesystem;
using test::ScratchTree;
using test::ScriptedDesktop;

// A stand-in main window: files written by these tests hold their icon count as
// text ("icons:N"); icon files hold a real header whose count the loader honours.
struct FakeWindow {
    std::vector<std::string> events;  // status changes, paints, clears, rows
    std::vector<std::string> rows;    // "relative path#n"
    fs::path root;
    bool confirm = true;
    int loadsBeforePaint = 0;
    int loads = 0;

    static int iconsIn(const fs::path& file) {
        if (!fs::is_regular_file(file)) return 0;
        std::ifstream in(file, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), {});
        if (text.size() >= 6 && text[0] == 0 && text[2] == 1) return std::uint8_t(text[4]);
        if (text.rfind("icons:", 0) == 0) return std::stoi(text.substr(6));
        return 0;
    }

    ScanCommandHost host() {
        ScanCommandHost h;
        h.confirmImportOptions = [this] { return confirm; };
        h.setStatus = [this](int panel, const std::string& text) {
            events.push_back(std::to_string(panel) + ":" + text);
        };
        h.paintPending = [this] {
            events.push_back("paint");
            loadsBeforePaint = loads;
        };
        h.rowCount = [this] { return int(rows.size()); };
        h.list.loadIcon = [this](const fs::path& file, int index) {
            ++loads;
            const int count = iconsIn(file);
            const int pos = file.extension() == ".ico" ? index - 1 : index;
            Icon icon;
            if (pos >= 0 && pos < count) {
                icon.width = icon.height = 32;
                icon.color.assign(32 * 32, std::uint32_t(pos));
                icon.mask.assign(32 * 32, 0);
            }
            return icon;
        };
        h.list.addRow = [this](const fs::path& file, int n, const Icon&) {
            rows.push_back(fs::relative(file, root).string() + "#" + std::to_string(n));
        };
        h.list.clearList = [this] {
            events.push_back("clear");
            rows.clear();
        };
        return h;
    }
    int rowsFrom(const std::string& rel) const {
        return int(std::count_if(rows.begin(), rows.end(),
                                 [&](const std::string& r) { return r.rfind(rel + "#", 0) == 0; }));
    }
};

std::string icons(int n) {
    return "icons:" + std::to_string(n);
}

class ScanCommandTest : public ::testing::Test {
  protected:
    ScanCommandTest() { window.root = tree.root(); }

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
    tree.file("a.exe", icons(3));
    EXPECT_FALSE(runScanCommand(desktop, settings, window.host()));  // no folder chosen
    ASSERT_EQ(desktop.folderTitles, std::vector<std::string>{"Import a directory"});
    window.confirm = false;
    EXPECT_FALSE(scan());
    EXPECT_TRUE(window.events.empty());
    EXPECT_TRUE(window.rows.empty());
}

TEST_F(ScanCommandTest, StatusReadsSearchingThenIdleWithTheRowCount) {
    tree.file("a.exe", icons(3));
    window.rows = {"old#0"};
    settings.max_units = 0;
    ASSERT_TRUE(scan());
    EXPECT_EQ(window.events,
              (std::vector<std::string>{"1:Searching ...", "paint", "1:Idle ...", "3:Icons: 4"}));
    EXPECT_EQ(window.loadsBeforePaint, 0);
}

TEST_F(ScanCommandTest, SixtyAndSeventyIconsWithAMaximumOfHundred) {
    tree.file("sixty.exe", icons(60));
    tree.file("seventy.dll", icons(70));
    window.rows = {"kept#0"};
    settings.max_units = 100;
    ASSERT_TRUE(scan());
    const auto order = tree.listingOrder("");
    const bool sixtyFirst = std::find(order.begin(), order.end(), "sixty.exe") <
                            std::find(order.begin(), order.end(), "seventy.dll");
    EXPECT_EQ(window.rowsFrom("sixty.exe"), sixtyFirst ? 60 : 30);
    EXPECT_EQ(window.rowsFrom("seventy.dll"), sixtyFirst ? 40 : 70);
    EXPECT_EQ(window.events.back(), "3:Icons: 101");  // with the row that was there
}

TEST_F(ScanCommandTest, TwoScansOfTwentyEach) {
    tree.file("a.exe", icons(15));
    tree.file("b.exe", icons(15));
    settings.max_units = 20;
    scan();
    scan();
    EXPECT_EQ(window.rows.size(), 40u);
    EXPECT_EQ(window.events.back(), "3:Icons: 40");
}

TEST_F(ScanCommandTest, SubFoldersOnAndOff) {
    tree.file("a.exe", icons(1));
    tree.file("b.exe", icons(1));
    tree.file("c.exe", icons(1));
    tree.file("s/inner.exe", icons(2));
    tree.file("s/t/deeper.dll", icons(1));
    settings.max_units = 0;

    settings.searchchildfolder = false;
    scan();
    std::vector<std::string> top;
    for (const auto& name : tree.listingOrder(""))
        if (name.size() == 5) top.push_back(name + "#0");  // a.exe b.exe c.exe
    EXPECT_EQ(window.rows, top);

    window.rows.clear();
    settings.searchchildfolder = true;
    scan();
    std::vector<std::string> expected;
    for (const auto& name : tree.listingOrder("")) {
        if (name == "s") {
            for (const auto& inner : tree.listingOrder("s")) {
                if (inner == "inner.exe") {
                    expected.push_back("s/inner.exe#0");
                    expected.push_back("s/inner.exe#1");
                } else if (inner == "t") {
                    expected.push_back("s/t/deeper.dll#0");
                }
            }
        } else if (name.size() == 5) {
            expected.push_back(name + "#0");
        }
    }
    EXPECT_EQ(window.rows, expected);
}

TEST_F(ScanCommandTest, FolderNamedLikeAnExecutableIsTakenAsAFileWithoutSubFolders) {
    tree.folder("x.exe");
    tree.file("x.exe/inside.exe", icons(2));
    settings.searchchildfolder = false;
    settings.clearResult = true;
    window.rows = {"old#0"};
    ASSERT_TRUE(scan());
    // the folder is a candidate, so the list is cleared; it yields no icon
    EXPECT_TRUE(window.rows.empty());
    EXPECT_NE(std::find(window.events.begin(), window.events.end(), "clear"), window.events.end());
    EXPECT_EQ(window.events.back(), "3:Icons: 0");

    settings.searchchildfolder = true;
    scan();
    EXPECT_EQ(window.rows, (std::vector<std::string>{"x.exe/inside.exe#0", "x.exe/inside.exe#1"}));
}

TEST_F(ScanCommandTest, ClearResultLeavesTheListAloneWhenNothingIsGathered) {
    tree.file("notes.txt", icons(3));
    settings.clearResult = true;
    window.rows = {"old#0", "old#1"};
    ASSERT_TRUE(scan());
    EXPECT_EQ(window.rows.size(), 2u);
    EXPECT_EQ(window.events,
              (std::vector<std::string>{"1:Searching ...", "paint", "1:Idle ...", "3:Icons: 2"}));
}

TEST_F(ScanCommandTest, OnlyIconFilesOverAFolderOfExecutables) {
    tree.file("a.exe", icons(4));
    tree.file("b.dll", icons(4));
    settings.format_exe = settings.format_dll = settings.format_icl = false;
    settings.format_ico = true;
    ASSERT_TRUE(scan());
    EXPECT_TRUE(window.rows.empty());
    EXPECT_EQ(window.loads, 0);
    EXPECT_EQ(window.events[2], "1:Idle ...");
}

TEST_F(ScanCommandTest, LinkLoopAndUnreadableFoldersDoNotStopTheScan) {
    tree.file("a.exe", icons(1));
    tree.file("sub/b.exe", icons(1));
    tree.link("sub/back", "..");
    tree.link("gone", "removed-folder");
    settings.max_units = 0;
    ASSERT_TRUE(scan());
    std::vector<std::string> got = window.rows;
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, (std::vector<std::string>{"a.exe#0", "sub/b.exe#0"}));
}

TEST_F(ScanCommandTest, BadIconFileAmongGoodOnesIsSkipped) {
    const std::string good1{0, 0, 1, 0, 2, 0};
    const std::string cursor{0, 0, 2, 0, 1, 0};
    tree.file("a.ico", good1);
    tree.file("b.ico", cursor);
    tree.file("c.ico", std::string("no"));
    tree.file("d.ico", good1);
    tree.file("e.exe", icons(1));
    settings.max_units = 0;
    const auto outcome = scan();
    ASSERT_TRUE(outcome);
    std::vector<std::string> got = window.rows;
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got,
              (std::vector<std::string>{"a.ico#0", "a.ico#1", "d.ico#0", "d.ico#1", "e.exe#0"}));
    EXPECT_EQ(outcome->unreadableIconFiles.size(), 2u);
    EXPECT_EQ(window.events.back(), "3:Icons: 5");
}

}  // namespace
}  // namespace pellimar
