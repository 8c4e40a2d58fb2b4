// Import from a File over a stand-in result list and icon loader.
#include "acquire/import_command.h"

#include <gtest/gtest.h>

#include "core/result_list_access.h"
#include "core/settings.h"
#include "support/scripted_desktop.h"

namespace pellimar {
namespace {
namespace fs = std::filesystem;
using test::ScriptedDesktop;

// Records what the command does to the list, in order.
struct RecordingList : ResultListAccess {
    std::vector<std::string> events;
    int rows_ = 0;
    void addRow(const Icon&, const fs::path& file, int n) override {
        events.push_back(file.filename().string() + "#" + std::to_string(n));
        ++rows_;
    }
    void clearAll() override {
        events.push_back("clear");
        rows_ = 0;
    }
    std::vector<ResultRowInfo> rows() const override { return {}; }
    int rowCount() const override { return rows_; }
    int selectedCount() const override { return 0; }
    void showStatus(int panel, const std::string& text) override {
        events.push_back(std::to_string(panel) + ":" + text);
    }
    void processPendingEvents() override { events.push_back("paint"); }
    void addPreparedRows(std::vector<PreparedRow>& rows) override {
        for (const PreparedRow& row : rows) {
            EXPECT_EQ(row.picture.size(), QSize(32, 32));
            events.push_back(row.source.filename().string() + "#" +
                             std::to_string(row.iconPosition));
            ++rows_;
        }
    }
    void beginBackgroundWork(std::function<void()> stop) override {
        events.push_back("begin");
        stopWork = std::move(stop);
    }
    void endBackgroundWork() override { events.push_back("end"); }
    std::function<void()> stopWork;
};

// Three icons in every file; records the indexes asked for.
struct ThreeIcons {
    std::vector<int> asked;
    IconLoader loader() {
        return [this](const fs::path&, int index) {
            asked.push_back(index);
            Icon icon;
            if (index < 3) {
                icon.width = icon.height = 1;
                icon.color = {0xFF000000u};
                icon.mask = {0};
            }
            return icon;
        };
    }
};

TEST(ImportCommand, ClearsFirstThenAddsEveryIconBetweenSearchingAndIdle) {
    ScriptedDesktop desktop;
    AppSettings settings;
    settings.clearResult = true;
    RecordingList list;
    ThreeIcons icons;
    desktop.openAnswers.push_back(fs::path("/w/app.exe"));
    importFromFile(desktop, settings, list, nullptr, icons.loader());
    EXPECT_EQ(list.events, (std::vector<std::string>{"clear", "1:Searching ...", "begin",
                                                     "app.exe#0", "app.exe#1", "app.exe#2", "end",
                                                     "1:Idle ...", "3:Icons:3"}));
    EXPECT_EQ(icons.asked, (std::vector<int>{0, 1, 2, 3}));
}

TEST(ImportCommand, WithAKnownCountADamagedIconHidesNoneOfTheOthers) {
    ScriptedDesktop desktop;
    AppSettings settings;
    RecordingList list;
    std::vector<int> asked;
    auto loader = [&](const fs::path&, int index) {
        asked.push_back(index);
        Icon icon;
        if (index != 0 && index != 2) {  // icons 0 and 2 are damaged
            icon.width = icon.height = 1;
            icon.color = {0xFF000000u};
            icon.mask = {0};
        }
        return icon;
    };
    desktop.openAnswers.push_back(fs::path("/w/app.dll"));
    importFromFile(desktop, settings, list, nullptr, loader,
                   [](const fs::path&) { return std::optional<int>(5); });
    EXPECT_EQ(list.events,
              (std::vector<std::string>{"1:Searching ...", "begin", "app.dll#1", "app.dll#3",
                                        "app.dll#4", "end", "1:Idle ...", "3:Icons:3"}));
    EXPECT_EQ(asked, (std::vector<int>{0, 1, 2, 3, 4}));  // no try past the count
}

TEST(ImportCommand, StopEndsTheReadingAndKeepsTheRowsFound) {
    RecordingList list;
    int loads = 0;
    // A file that never runs out of icons; Stop is pressed after the third.
    auto endless = [&](const fs::path&, int) {
        if (++loads == 3) list.stopWork();
        Icon icon;
        icon.width = icon.height = 1;
        icon.color = {0xFF000000u};
        icon.mask = {0};
        return icon;
    };
    importIconsOf("/w/endless.exe", list, endless, {});
    EXPECT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.events.back(), "1:Idle ...");
}

TEST(ImportCommand, ACancelledDialogStillShowsIdleAndTheCountAndAnEmptyNameNothing) {
    ScriptedDesktop desktop;
    AppSettings settings;  // clearResult off: nothing is cleared
    RecordingList list;
    ThreeIcons icons;
    importFromFile(desktop, settings, list, nullptr, icons.loader());  // cancelled
    EXPECT_EQ(list.events, (std::vector<std::string>{"paint", "1:Idle ...", "3:Icons:0"}));
    list.events.clear();
    desktop.openAnswers.push_back(fs::path());
    importFromFile(desktop, settings, list, nullptr, icons.loader());
    EXPECT_TRUE(list.events.empty());
    EXPECT_TRUE(icons.asked.empty());
}

}  // namespace
}  // namespace pellimar
