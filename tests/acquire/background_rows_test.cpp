// A RowJob: its work on a thread of its own, its rows handed over in order on the
// UI thread, and the end of it reported however the work ended.
#include "acquire/background_rows.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "acquire/job_recorder.h"

namespace pellimar {
namespace {
namespace fs = std::filesystem;
using test::JobRecorder;

std::vector<std::string> rowNames(const std::string& file, int from, int to) {
    std::vector<std::string> names;
    for (int n = from; n < to; ++n) names.push_back(file + "#" + std::to_string(n));
    return names;
}

TEST(RowJob, RowsAndClearAllArriveInTheOrderTheWorkFedThem) {
    constexpr int kRows = 3000;
    RowJob job([](RowFeed& feed, ScanOutcome& outcome) {
        feed.addRow("/w/old.exe", 0, RowIcon{});
        feed.clearList();
        for (int n = 0; n < kRows; ++n) feed.addRow("/w/a.exe", n, RowIcon{});
        outcome.rowsAdded = kRows + 1;
    });
    JobRecorder seen(job);
    ASSERT_TRUE(seen.run(job));
    std::vector<std::string> expected{"old.exe#0", "clear"};
    for (const std::string& name : rowNames("a.exe", 0, kRows)) expected.push_back(name);
    EXPECT_EQ(seen.events, expected);
    EXPECT_EQ(job.outcome().rowsAdded, kRows + 1);
    EXPECT_GT(seen.batches, 2);  // handed over in pieces, not all at once
    EXPECT_EQ(seen.finished, 1);
}

TEST(RowJob, AnExceptionInTheWorkIsReportedAndTheRowsFoundBeforeItStillArrive) {
    constexpr int kRows = 1000;
    const std::vector<std::function<void()>> throwers = {
        [] { throw std::runtime_error("disk on fire"); },
        [] { throw 42; },
    };
    const std::vector<std::string> reasons = {"disk on fire", "Unknown error"};
    for (std::size_t k = 0; k < throwers.size(); ++k) {
        RowJob job([&](RowFeed& feed, ScanOutcome&) {
            for (int n = 0; n < kRows; ++n) feed.addRow("/w/a.exe", n, RowIcon{});
            throwers[k]();
        });
        // A window slow to take rows: the work has ended long before they are all taken.
        QObject::connect(&job, &RowJob::rowsArrived, &job,
                         [] { std::this_thread::sleep_for(std::chrono::milliseconds(40)); });
        JobRecorder seen(job);
        ASSERT_TRUE(seen.run(job)) << k;
        EXPECT_EQ(seen.finished, 1);
        ASSERT_TRUE(job.error()) << k;
        EXPECT_EQ(*job.error(), reasons[k]);
        ASSERT_EQ(seen.rows.size(), std::size_t(kRows)) << k;
        EXPECT_EQ(seen.events, rowNames("a.exe", 0, kRows)) << k;
    }
}

TEST(RowJob, WhatTheWindowCannotTakeStopsTheWork) {
    std::atomic<bool> stopSeen{false};
    RowJob job([&](RowFeed& feed, ScanOutcome&) {
        for (int n = 0; n < 100000 && !feed.stopRequested(); ++n) {
            feed.addRow("/w/a.exe", n, RowIcon{});
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        stopSeen = feed.stopRequested();
    });
    int batches = 0;
    QObject::connect(&job, &RowJob::rowsArrived, &job, [&] {
        ++batches;
        throw std::runtime_error("list full");
    });
    JobRecorder seen(job);
    ASSERT_TRUE(seen.run(job));
    EXPECT_TRUE(stopSeen);
    ASSERT_TRUE(job.error());
    EXPECT_EQ(*job.error(), "list full");
    EXPECT_EQ(batches, 1);  // nothing more is handed to a window that failed
}

TEST(RowJob, DestroyingARunningJobStopsItsWork) {
    std::atomic<bool> ended{false}, stopped{false};
    {
        RowJob job([&](RowFeed& feed, ScanOutcome&) {
            for (int i = 0; i < 2000 && !feed.stopRequested(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            stopped = feed.stopRequested();
            ended = true;
        });
        job.start();
        EXPECT_TRUE(job.running());
    }
    // The work ended because it was asked to, not by running out.
    EXPECT_TRUE(ended);
    EXPECT_TRUE(stopped);
}

// The job needs no event loop of its own: a modal dialog opened while it runs,
// with its own loop, holds back neither its rows nor its end.
TEST(RowJob, AModalDialogOpenedMeanwhileHoldsNothingBack) {
    std::atomic<bool> dialogOpen{false};
    RowJob job([&](RowFeed& feed, ScanOutcome&) {
        // The work ends only once the dialog is open.
        for (int i = 0; i < 1000 && !dialogOpen; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        for (int n = 0; n < 5; ++n) feed.addRow("/w/a.exe", n, RowIcon{});
    });
    JobRecorder seen(job);
    QDialog dialog;
    bool finishedWhileOpen = false;
    QObject::connect(&job, &RowJob::finished, &job,
                     [&] { finishedWhileOpen = dialog.isVisible(); });
    // Closes the dialog once the job has finished, or after ten seconds at most.
    QTimer closer;
    QElapsedTimer clock;
    QObject::connect(&closer, &QTimer::timeout, &dialog, [&] {
        if (seen.finished > 0 || clock.elapsed() > 10000) dialog.accept();
    });
    QTimer::singleShot(0, &dialog, [&] { dialogOpen = true; });
    job.start();
    clock.start();
    closer.start(10);
    dialog.exec();
    closer.stop();
    EXPECT_EQ(seen.finished, 1);
    EXPECT_TRUE(finishedWhileOpen);
    EXPECT_EQ(seen.events, rowNames("a.exe", 0, 5));
    EXPECT_FALSE(job.running());
}

}  // namespace
}  // namespace pellimar
