// Scan a Folder: its two questions, and the job that gathers the folder's files
// and reads their rows off the UI thread.
#include "acquire/scan_command.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "acquire/background_rows.h"
#include "acquire/job_recorder.h"
#include "acquire/scan_test_tree.h"
#include "core/folder_walk.h"
#include "core/settings.h"
#include "support/scripted_desktop.h"

namespace pellimar {
namespace {
namespace fs = std::filesystem;
using test::JobRecorder;
using test::ScratchTree;
using test::ScriptedDesktop;

TEST(AskScanFolder, CancellingEitherDialogGivesNothing) {
    ScriptedDesktop desktop;
    int asked = 0;
    auto confirm = [&](bool answer) {
        return [&asked, answer] {
            ++asked;
            return answer;
        };
    };
    EXPECT_FALSE(askScanFolder(desktop, confirm(true)));  // no folder chosen
    EXPECT_EQ(desktop.folderTitles, std::vector<std::string>{"Import a directory"});
    EXPECT_EQ(asked, 0);  // the options are not asked for

    desktop.folderAnswers.push_back(fs::path("/w/icons"));
    EXPECT_FALSE(askScanFolder(desktop, confirm(false)));
    EXPECT_EQ(asked, 1);

    desktop.folderAnswers.push_back(fs::path("/w/icons"));
    EXPECT_EQ(askScanFolder(desktop, confirm(true)), fs::path("/w/icons"));
    EXPECT_EQ(asked, 2);
}

// Files written by these tests hold their icon count as text ("icons:N"); the
// reader hands over that many icons of 32 x 32.
struct CountingReader {
    std::atomic<int> files{0};
    std::function<void(int fileNumber)> onFile;  // on the work's thread, before each file

    RowReader reader() {
        return [this](const fs::path& file, const RowSink& take) -> std::optional<Failure> {
            const int number = ++files;
            if (onFile) onFile(number);
            std::ifstream in(file);
            const std::string text((std::istreambuf_iterator<char>(in)), {});
            if (text.rfind("icons:", 0) != 0) return failure(Fault::NotIconContainer);
            Icon icon;
            icon.width = icon.height = 32;
            icon.color.assign(32 * 32, 0xFF00FF00);
            icon.mask.assign(32 * 32, 0);
            for (int i = 0, n = std::stoi(text.substr(6)); i < n; ++i)
                if (!take(i, RowIcon{icon, {}})) break;
            return std::nullopt;
        };
    }
};

struct FolderScanJob : ::testing::Test {
    ScratchTree tree;
    AppSettings settings;
    CountingReader reading;

    void SetUp() override { settings.importLimit = 0; }
};

TEST_F(FolderScanJob, ClearAllComesFirstThenTheRowsInOrder) {
    tree.file("a.exe", "icons:3");
    settings.clearResult = true;
    auto job = folderScanJob(tree.root(), settings, reading.reader());
    JobRecorder seen(*job);
    ASSERT_TRUE(seen.run(*job));
    EXPECT_EQ(seen.events, (std::vector<std::string>{"clear", "a.exe#0", "a.exe#1", "a.exe#2"}));
    EXPECT_EQ(seen.finished, 1);
    EXPECT_EQ(job->outcome().rowsAdded, 3);
    EXPECT_FALSE(job->error());
    for (const PreparedRow& row : seen.rows) {
        EXPECT_EQ(row.source, tree.root() / "a.exe");
        EXPECT_EQ(row.picture.size(), QSize(32, 32));
        EXPECT_EQ(row.picture.pixel(16, 16), 0xFF00FF00u);
    }

    // Without Clear All on, nothing is cleared.
    settings.clearResult = false;
    auto again = folderScanJob(tree.root(), settings, reading.reader());
    JobRecorder second(*again);
    ASSERT_TRUE(second.run(*again));
    EXPECT_EQ(second.events, (std::vector<std::string>{"a.exe#0", "a.exe#1", "a.exe#2"}));
}

TEST_F(FolderScanJob, TheFileListIsCompleteBeforeTheFirstIconIsRead) {
    tree.file("a.exe", "icons:3");
    // A file that appears once reading has begun is not taken.
    reading.onFile = [&](int) { tree.file("late.exe", "icons:5"); };
    auto job = folderScanJob(tree.root(), settings, reading.reader());
    JobRecorder seen(*job);
    ASSERT_TRUE(seen.run(*job));
    EXPECT_EQ(seen.events, (std::vector<std::string>{"a.exe#0", "a.exe#1", "a.exe#2"}));
    EXPECT_EQ(reading.files, 1);
}

TEST_F(FolderScanJob, TheJobKeepsItsOwnCopyOfTheSettings) {
    tree.file("a.exe", "icons:5");
    settings.importLimit = 2;
    auto job = folderScanJob(tree.root(), settings, reading.reader());
    settings.importLimit = 0;  // the window's settings change while the job waits
    JobRecorder seen(*job);
    ASSERT_TRUE(seen.run(*job));
    EXPECT_EQ(seen.rows.size(), 2u);
    EXPECT_TRUE(job->outcome().stopped);
}

TEST_F(FolderScanJob, StopKeepsTheRowsFoundAndReadsNoFurtherFile) {
    for (int i = 0; i < 20; ++i) tree.file("f" + std::to_string(i) + ".exe", "icons:2");
    std::unique_ptr<RowJob> job;
    job = folderScanJob(tree.root(), settings, [&](const fs::path&, const RowSink& take) {
        // The first icon reaches the window, which presses Stop; the icon being
        // read then is kept, and no further icon is read.
        ++reading.files;
        take(0, RowIcon{});
        for (int i = 0; i < 1000 && !job->stopRequested(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (take(1, RowIcon{})) take(2, RowIcon{});
        return std::optional<Failure>{};
    });
    JobRecorder seen(*job);
    QObject::connect(job.get(), &RowJob::rowsArrived, job.get(), [&] { job->requestStop(); });
    ASSERT_TRUE(seen.run(*job));
    EXPECT_TRUE(job->outcome().interrupted);
    EXPECT_EQ(job->outcome().rowsAdded, 2);
    EXPECT_EQ(seen.rows.size(), 2u);
    EXPECT_EQ(seen.finished, 1);
    EXPECT_EQ(reading.files, 1);
}

TEST_F(FolderScanJob, StopWhileTheFilesAreGatheredReadsNoIcon) {
    for (int i = 0; i < 5; ++i) tree.file("f" + std::to_string(i) + ".exe", "icons:2");
    settings.clearResult = true;
    auto job = folderScanJob(tree.root(), settings, reading.reader());
    job->requestStop();
    JobRecorder seen(*job);
    ASSERT_TRUE(seen.run(*job));
    EXPECT_TRUE(job->outcome().interrupted);
    EXPECT_TRUE(seen.events.empty());  // not even Clear All
    EXPECT_EQ(reading.files, 0);
}

TEST_F(FolderScanJob, ManyFilesComeInTheWalksOrderWithGrowingProgress) {
    constexpr int kFiles = 300;
    for (int i = 0; i < kFiles; ++i) tree.file("d/f" + std::to_string(i) + ".exe", "icons:3");
    tree.file("d/broken.exe", "not an icon");
    settings.searchSubfolders = true;
    auto job = folderScanJob(tree.root(), settings, reading.reader());
    JobRecorder seen(*job);
    ASSERT_TRUE(seen.run(*job));
    EXPECT_EQ(job->outcome().rowsAdded, kFiles * 3);
    // Rows in the walk's order, each file's icons together and in order.
    std::vector<std::string> expected;
    for (const fs::path& file : gatherScanFiles(tree.root(), fileKindsOf(settings), true))
        if (file.filename() != "broken.exe")
            for (int n = 0; n < 3; ++n)
                expected.push_back(file.filename().string() + "#" + std::to_string(n));
    EXPECT_EQ(seen.events, expected);
    ASSERT_EQ(job->outcome().unreadableFiles.size(), 1u);
    EXPECT_EQ(job->outcome().unreadableFiles[0].file, tree.root() / "d" / "broken.exe");
    ASSERT_FALSE(seen.progress.empty());
    for (std::size_t i = 1; i < seen.progress.size(); ++i) {
        EXPECT_GE(seen.progress[i].filesRead, seen.progress[i - 1].filesRead);
        EXPECT_GE(seen.progress[i].iconsFound, seen.progress[i - 1].iconsFound);
    }
    EXPECT_LE(seen.progress.back().filesRead, std::size_t(kFiles + 1));
}

}  // namespace
}  // namespace pellimar
