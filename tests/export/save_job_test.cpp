// The save run off the UI thread: stopped between rows, the files written so far
// stay and the report says after which row it ended.
#include "export/save_job.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <condition_variable>
#include <fstream>
#include <memory>
#include <mutex>

#include "core/row_icons.h"
#include "platform/atomic_file.h"
#include "save_fixtures.h"

using namespace pellimar;
using namespace pellimar::test;

TEST(SaveJob, StopEndsTheRunBeforeTheNextRowAndKeepsWhatWasWritten) {
    SaveSources src;
    TempDir out("save-job");
    std::vector<SaveRow> rows;
    for (int i = 0; i < 5; ++i) rows.push_back({src.exe, i % 3, true});
    AppSettings settings;
    settings.saveSize128 = settings.saveSize64 = settings.saveSize48 = settings.saveSize16 = false;
    settings.saveSize32 = true;
    settings.saveFormat = "png";

    // The third row's icon is held back until the test has asked the job to stop.
    std::mutex m;
    std::condition_variable cv;
    bool reached = false, released = false;
    auto reader = std::make_shared<RowGroupReader>();
    int calls = 0;
    RowGroupSource source = [&](const fs::path& file, int position, ResourceKind kind) {
        if (++calls == 3) {
            std::unique_lock lock(m);
            reached = true;
            cv.notify_all();
            cv.wait(lock, [&] { return released; });
        }
        return reader->read(file, position, kind);
    };
    SaveJob job(rows, out.path / "s.png", settings, source);
    QSignalSpy finished(&job, &SaveJob::finished);
    job.start();
    {
        std::unique_lock lock(m);
        ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(20), [&] { return reached; }));
    }
    EXPECT_TRUE(job.running());
    job.requestStop();
    {
        const std::lock_guard lock(m);
        released = true;
        cv.notify_all();
    }
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_FALSE(job.running());
    EXPECT_FALSE(job.cancelled());
    EXPECT_EQ(out.names(), (std::vector<std::string>{"s-001.png", "s-002.png", "s-003.png"}));
    EXPECT_TRUE(job.report().stoppedByRequest());
    EXPECT_EQ(job.report().rowsDoneWhenStopped(), 3);
    EXPECT_EQ(job.report().rowsToSave(), 5);
    EXPECT_EQ(job.rowsBegun(), 3);
}

// A run that waits for the answer about files that exist already ends at Stop as
// at Cancel, and so does one whose job is destroyed meanwhile: nothing is written
// and nothing waits for an answer that will not come.
TEST(SaveJob, StopOrDestructionWhileTheQuestionWaitsWritesNothing) {
    SaveSources src;
    AppSettings settings;
    settings.saveSize128 = settings.saveSize64 = settings.saveSize48 = settings.saveSize16 = false;
    settings.saveSize32 = true;
    settings.saveFormat = "png";
    const std::vector<SaveRow> rows{{src.exe, 0, true}, {src.exe, 1, true}};
    for (bool destroy : {false, true}) {
        TempDir out("save-job-question");
        std::ofstream(out.path / "s-001.png") << "old";
        auto job = std::make_unique<SaveJob>(rows, out.path / "s.png", settings);
        QSignalSpy asked(job.get(), &SaveJob::existingFilesFound);
        QSignalSpy finished(job.get(), &SaveJob::finished);
        job->start();
        ASSERT_TRUE(asked.wait(20000)) << destroy;
        EXPECT_EQ(job->existingFiles(), std::vector<fs::path>{out.path / "s-001.png"});
        if (destroy) {
            job.reset();
        } else {
            job->requestStop();
            ASSERT_TRUE(finished.wait(20000));
            EXPECT_TRUE(job->cancelled());
            EXPECT_FALSE(job->error());
        }
        EXPECT_EQ(out.names(), std::vector<std::string>{"s-001.png"}) << destroy;
        EXPECT_EQ(slurp(out.path / "s-001.png"), "old");
    }
}

namespace {

fs::path g_appearing;

// Makes g_appearing appear at the first step of the run that changes the disk: the
// run has planned its files, and been answered, by then.
void fileAppearsMeanwhile(std::uint64_t step) {
    if (step == 1) std::ofstream(g_appearing) << "theirs";
}

}  // namespace

// The answer Replace replaces the files the person was asked about and no other: a
// file that comes to a planned name while the run goes on is kept and told as kept,
// whether or not any file existed to be asked about.
TEST(SaveJob, ReplaceCoversOnlyTheFilesAskedAbout) {
    SaveSources src;
    const AppSettings settings = savingSizes({32}, "png");
    const std::vector<SaveRow> rows{{src.exe, 0, true}, {src.exe, 1, true}, {src.exe, 2, true}};
    for (bool anyExisting : {true, false}) {
        SCOPED_TRACE(anyExisting);
        TempDir out("save-job-replace");
        if (anyExisting) std::ofstream(out.path / "s-001.png") << "old";
        g_appearing = out.path / "s-002.png";
        SaveJob job(rows, out.path / "s.png", settings);
        QObject::connect(&job, &SaveJob::existingFilesFound, &job,
                         [&job] { job.answer(SaveJob::Existing::Replace); });
        QSignalSpy asked(&job, &SaveJob::existingFilesFound);
        QSignalSpy finished(&job, &SaveJob::finished);
        setWriteStepHook(fileAppearsMeanwhile);
        job.start();
        const bool ended = finished.wait(20000);
        setWriteStepHook(nullptr);
        ASSERT_TRUE(ended);
        EXPECT_EQ(asked.count(), anyExisting ? 1 : 0);
        EXPECT_FALSE(job.error());
        EXPECT_EQ(slurp(out.path / "s-002.png"), "theirs");
        EXPECT_EQ(job.report().kept(), std::vector<fs::path>{"s-002.png"});
        EXPECT_EQ(job.report().files(), (std::vector<fs::path>{"s-001.png", "s-003.png"}));
        EXPECT_EQ(readImage(out.path / "s-001.png").size(), QSize(32, 32));
        EXPECT_EQ(out.names(), (std::vector<std::string>{"s-001.png", "s-002.png", "s-003.png"}));
    }
}

// A run stopped while it plans asks nothing about the files that exist: no question
// comes after the person has pressed Stop, and the run ends as at Cancel.
TEST(SaveJob, AStoppedRunAsksNothing) {
    SaveSources src;
    TempDir out("save-job-stopped");
    std::ofstream(out.path / "16-s.ico") << "old";
    // The plan reads the icon file's row for its image; it is held there until the
    // test has asked the job to stop.
    std::mutex m;
    std::condition_variable cv;
    bool reached = false, released = false;
    auto reader = std::make_shared<RowGroupReader>();
    RowGroupSource source = [&](const fs::path& file, int position, ResourceKind kind) {
        std::unique_lock lock(m);
        reached = true;
        cv.notify_all();
        cv.wait(lock, [&] { return released; });
        return reader->read(file, position, kind);
    };
    SaveJob job({{src.multi, 0, true}}, out.path / "s.ico", savingSizes({16}), source);
    QSignalSpy asked(&job, &SaveJob::existingFilesFound);
    QSignalSpy finished(&job, &SaveJob::finished);
    job.start();
    {
        std::unique_lock lock(m);
        ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(20), [&] { return reached; }));
    }
    job.requestStop();
    {
        const std::lock_guard lock(m);
        released = true;
        cv.notify_all();
    }
    ASSERT_TRUE(finished.wait(20000));
    QCoreApplication::processEvents();
    EXPECT_EQ(asked.count(), 0);
    EXPECT_EQ(job.existingFiles(), std::vector<fs::path>{out.path / "16-s.ico"});
    EXPECT_TRUE(job.cancelled());
    EXPECT_EQ(out.names(), std::vector<std::string>{"16-s.ico"});
    EXPECT_EQ(slurp(out.path / "16-s.ico"), "old");
}
