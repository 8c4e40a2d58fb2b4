// Import from a File: its question, and the job that reads the file's rows off
// the UI thread.
#include "acquire/import_command.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "acquire/background_rows.h"
#include "acquire/job_recorder.h"
#include "support/fixtures.h"
#include "support/scripted_desktop.h"

namespace pellimar {
namespace {
namespace fs = std::filesystem;
using namespace fixtures;
using test::JobRecorder;
using test::ScriptedDesktop;

TEST(ChooseFileToImport, AsksWithTheCommandsFilterAndGivesTheAnswer) {
    ScriptedDesktop desktop;
    EXPECT_FALSE(chooseFileToImport(desktop));  // cancelled
    ASSERT_EQ(desktop.openRequests.size(), 1u);
    EXPECT_EQ(desktop.openRequests[0].filter,
              "exe file(*.exe)|*.EXE|ico file(*.ico)|*.ICO|dll file(*.dll)|*.DLL|all supported "
              "file|*.ico;*.dll;*.exe;*.icl;*.cur|cur file(*.cur)|*.CUR");
    EXPECT_EQ(desktop.openRequests[0].defaultExt, "exe,dll");

    desktop.openAnswers.push_back(fs::path());
    EXPECT_EQ(chooseFileToImport(desktop), fs::path());  // confirmed without a name
    desktop.openAnswers.push_back(fs::path("/w/app.exe"));
    EXPECT_EQ(chooseFileToImport(desktop), fs::path("/w/app.exe"));
}

TEST(FileImportJob, EveryIconOfTheFileArrivesInOrderAndNothingIsCleared) {
    TempDir dir;
    std::vector<IconGroupSpec> groups;
    for (std::uint32_t k = 0; k < 4; ++k)
        groups.push_back({{dibImage(solidIcon(48, 48, 0xFF000000 | (k << 16)), 24)}});
    groups.insert(groups.begin() + 2,
                  IconGroupSpec{{IconImage{Bytes(40, 0xEE), 32, 32, 0, 1, 32}}});
    const fs::path dll = dir.write("app.dll", makePe(groups));
    auto job = fileImportJob(dll);  // the program's own reader
    JobRecorder seen(*job);
    ASSERT_TRUE(seen.run(*job));
    EXPECT_EQ(seen.events,
              (std::vector<std::string>{"app.dll#0", "app.dll#1", "app.dll#3", "app.dll#4"}));
    for (std::size_t i = 0; i < seen.rows.size(); ++i) {
        const std::uint32_t k = std::uint32_t(i);  // the colour of the i-th sound group
        ASSERT_EQ(seen.rows[i].picture.size(), QSize(32, 32));
        EXPECT_EQ(seen.rows[i].picture.pixel(16, 16), 0xFF000000 | (k << 16)) << i;
    }
    // The damaged icon is in the outcome, with why.
    ASSERT_EQ(job->outcome().skippedIcons.size(), 1u);
    EXPECT_EQ(job->outcome().skippedIcons[0].position, 2);
    EXPECT_TRUE(job->outcome().skippedIcons[0].why.message().starts_with("icon 3: "));
    EXPECT_EQ(seen.progress.empty() ? 0u : seen.progress.back().filesToRead, 1u);
}

TEST(FileImportJob, AFileThatGivesNoRowFinishesWithWhy) {
    TempDir dir;
    auto job = fileImportJob(dir.write("text.exe", Bytes{'h', 'i'}));
    JobRecorder seen(*job);
    ASSERT_TRUE(seen.run(*job));
    EXPECT_TRUE(seen.events.empty());
    ASSERT_EQ(job->outcome().unreadableFiles.size(), 1u);
    EXPECT_EQ(job->outcome().unreadableFiles[0].why.fault, Fault::NotIconContainer);
    EXPECT_FALSE(job->error());
}

TEST(FileImportJob, StopEndsTheReadingAndKeepsTheRowsFound) {
    std::atomic<int> offered{0};
    // A file that never runs out of icons, read slowly enough for Stop to come between them.
    auto endless = [&](const fs::path&, const RowSink& take) -> std::optional<Failure> {
        for (int i = 0; i < 20000; ++i) {
            ++offered;
            if (!take(i, RowIcon{})) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return std::nullopt;
    };
    auto job = fileImportJob("/w/endless.exe", endless);
    JobRecorder seen(*job);
    QObject::connect(job.get(), &RowJob::rowsArrived, job.get(), [&] { job->requestStop(); });
    ASSERT_TRUE(seen.run(*job));
    EXPECT_TRUE(job->outcome().interrupted);
    EXPECT_LT(offered, 20000);
    // Every row the work found reached the window, none past the one Stop came at.
    EXPECT_EQ(int(seen.rows.size()), offered);
    EXPECT_EQ(job->outcome().rowsAdded, offered);
    for (std::size_t i = 0; i < seen.rows.size(); ++i) EXPECT_EQ(seen.rows[i].iconPosition, int(i));
}

}  // namespace
}  // namespace pellimar
