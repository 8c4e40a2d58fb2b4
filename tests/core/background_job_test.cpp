// The one job base under scans, imports and saves: the work on its own thread,
// the end reported once on the UI thread after the thread has ended, stopping,
// and which failure a job ends with.
#include "core/background_job.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace pellimar {
namespace {

// A job whose parts are given by the test.
class ScriptedJob : public BackgroundJob {
  public:
    std::function<void(ScriptedJob&)> body;
    std::function<void(ScriptedJob&)> onPoll;
    std::vector<std::string> events;  // on the UI thread: "poll", "ended", "progressed"
    std::atomic<int> runs{0};

    ScriptedJob() {
        setPollInterval(5);
        connect(this, &BackgroundJob::progressed, this, [this] { events.push_back("progressed"); });
    }
    ~ScriptedJob() override { stopAndWait(); }

    bool stopSeen() const { return stopFlag().load(); }
    using BackgroundJob::failOnUiThread;
    using BackgroundJob::holdWhilePaused;

  protected:
    void work() override {
        ++runs;
        if (body) body(*this);
    }
    void poll() override {
        events.push_back("poll");
        if (onPoll) onPoll(*this);
    }
    void workEnded() override { events.push_back("ended"); }
};

// Runs the event loop until `job` has finished; false when it did not in 20 s.
bool runToEnd(ScriptedJob& job) {
    QSignalSpy finished(&job, &BackgroundJob::finished);
    job.start();
    return finished.wait(20000) && finished.count() == 1;
}

TEST(BackgroundJob, StopEndsTheWorkWhichIsReportedOnceAfterItsThreadHasEnded) {
    ScriptedJob job;
    job.body = [](ScriptedJob& self) {
        while (!self.stopSeen()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    // The first look from the UI thread asks the work to stop.
    job.onPoll = [](ScriptedJob& self) { self.requestStop(); };
    bool runningAtTheEnd = true;
    QObject::connect(&job, &BackgroundJob::finished, &job,
                     [&] { runningAtTheEnd = job.running(); });
    ASSERT_TRUE(runToEnd(job));
    EXPECT_FALSE(runningAtTheEnd);
    EXPECT_TRUE(job.stopRequested());
    EXPECT_FALSE(job.error());
    // The hand-over at the end comes before the last progress, and nothing after.
    ASSERT_GE(job.events.size(), 3u);
    EXPECT_EQ(job.events[job.events.size() - 2], "ended");
    EXPECT_EQ(job.events.back(), "progressed");

    // A job runs once.
    job.start();
    QCoreApplication::processEvents();
    EXPECT_EQ(job.runs, 1);
    EXPECT_FALSE(job.running());
}

// What the work threw is the error; what the UI thread could not take is the
// error only when the work itself did not fail, and it stops the work.
TEST(BackgroundJob, TheWorksOwnFailureComesBeforeWhatTheWindowCouldNotTake) {
    struct Case {
        bool workThrows;
        std::string expected;
    } cases[] = {{false, "list full"}, {true, "disk on fire"}};
    for (const Case& c : cases) {
        ScriptedJob job;
        job.body = [&c](ScriptedJob& self) {
            while (!self.stopSeen()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (c.workThrows) throw std::runtime_error("disk on fire");
        };
        job.onPoll = [](ScriptedJob& self) {
            self.failOnUiThread("list full");
            self.failOnUiThread("only the first is kept");
        };
        ASSERT_TRUE(runToEnd(job));
        ASSERT_TRUE(job.error()) << c.expected;
        EXPECT_EQ(*job.error(), c.expected);
    }
}

// The end of work already over when its job is destroyed reaches no one.
TEST(BackgroundJob, AJobDestroyedAfterItsWorkEndedReportsNothingMore) {
    std::atomic<bool> workDone{false};
    int finished = 0;
    {
        ScriptedJob job;
        job.body = [&](ScriptedJob&) { workDone = true; };
        QObject::connect(&job, &BackgroundJob::finished, [&] { ++finished; });
        job.start();
        while (!workDone) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(finished, 0);
}

// Paused work waits at its next hold point and goes on from there at resume();
// a stop ends the wait, and the hold point says the work is to stop.
TEST(BackgroundJob, PausedWorkWaitsAtItsHoldPointUntilResumedOrStopped) {
    for (const bool stopWhileHeld : {false, true}) {
        ScriptedJob job;
        std::atomic<int> passed{0};
        std::atomic<bool> pauseNow{false}, toldToStop{false};
        job.body = [&](ScriptedJob& self) {
            for (int i = 0; i < 50; ++i) {
                if (i == 10) {
                    pauseNow = true;
                    while (pauseNow) std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
                if (!self.holdWhilePaused()) {
                    toldToStop = true;
                    return;
                }
                ++passed;
            }
        };
        QSignalSpy finished(&job, &BackgroundJob::finished);
        job.start();
        while (!pauseNow) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        job.pause();
        pauseNow = false;
        for (int i = 0; i < 10000 && !job.holding(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_TRUE(job.holding());
        EXPECT_EQ(passed, 10);
        if (stopWhileHeld)
            job.requestStop();
        else
            job.resume();
        ASSERT_TRUE(finished.wait(20000));
        EXPECT_FALSE(job.holding());
        EXPECT_EQ(passed, stopWhileHeld ? 10 : 50);
        EXPECT_EQ(toldToStop, stopWhileHeld);
    }
}

}  // namespace
}  // namespace pellimar
