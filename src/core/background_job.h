// Long work off the UI thread, as scans, imports and saves run it: the work runs
// once on a thread of its own; the UI thread hears how far it has got and that
// it has ended through signals, and may ask it to stop. Nothing waits inside a
// nested event loop, so a dialog opened meanwhile holds nothing back.
//
// A job is a subclass: work() is what runs on the thread; poll() and workEnded()
// hand over on the UI thread what the work produced. A subclass whose work uses
// members of its own calls stopAndWait() first in its destructor, so that the
// thread has ended before those members go.
#pragma once

#include <QObject>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace pellimar {

class BackgroundJob : public QObject {
    Q_OBJECT
  public:
    explicit BackgroundJob(QObject* parent = nullptr);
    // A running job is asked to stop and waited for.
    ~BackgroundJob() override;

    // Starts the work; a job runs once, later calls do nothing.
    void start();
    // Asks the work to end; what it has done so far stays. May be called more than
    // once, and before or after the work has ended.
    void requestStop();
    bool running() const { return running_; }
    bool stopRequested() const { return stop_.load(); }

    // Holds the work at its next hold point (see holdWhilePaused()) until resume()
    // or a stop; work without hold points goes on. Both may be called at any time.
    void pause();
    void resume();
    // True while the work waits at a hold point.
    bool holding() const { return holding_.load(); }

    // What the work threw, or else what the UI thread failed to take from it;
    // complete once finished() has come.
    const std::optional<std::string>& error() const { return error_; }

  signals:
    // How far the work has got: at the pace the job chose while it runs, and once
    // more when it has ended.
    void progressed();
    // The work's thread has ended and the job has handed over all it had.
    void finished();

  protected:
    // The work, on the job's own thread. Whatever it throws ends it and becomes
    // error().
    virtual void work() = 0;
    // On the UI thread while the work runs, every pollInterval(), before progressed().
    virtual void poll() {}
    // On the UI thread once the work's thread has ended, before the last
    // progressed() and finished().
    virtual void workEnded() {}
    // On the UI thread, at every requestStop(): wakes work that waits for something.
    virtual void stopRequestedNow() {}

    // The pace of poll() and progressed() while the work runs; set before start().
    void setPollInterval(int ms) { pollTimer_.setInterval(ms); }
    const std::atomic<bool>& stopFlag() const { return stop_; }
    // A hold point, for work(): waits while the job is paused. False when the
    // work is to stop.
    bool holdWhilePaused();
    // Asks the work to stop and waits for its thread; for a subclass's destructor.
    void stopAndWait();
    // What the UI thread's side could not take stops the work; the first such
    // failure becomes error() unless the work itself failed.
    void failOnUiThread(std::string what);
    bool failedOnUiThread() const { return uiError_.has_value(); }

  private:
    void ended();

    std::thread worker_;
    QTimer pollTimer_;
    std::atomic<bool> stop_{false};
    std::mutex pauseMutex_;
    std::condition_variable pauseChanged_;
    bool paused_ = false;  // guarded by pauseMutex_
    std::atomic<bool> holding_{false};
    // The work's failure, written on its thread, read once the thread has ended.
    std::optional<std::string> error_;
    std::optional<std::string> uiError_;
    bool started_ = false;
    bool running_ = false;
};

}  // namespace pellimar
