#include "core/background_job.h"

#include <exception>

namespace pellimar {

namespace {

constexpr int kDefaultPollIntervalMs = 100;

}  // namespace

BackgroundJob::BackgroundJob(QObject* parent) : QObject(parent) {
    pollTimer_.setInterval(kDefaultPollIntervalMs);
    connect(&pollTimer_, &QTimer::timeout, this, [this] {
        if (!running_) return;
        poll();
        emit progressed();
    });
}

BackgroundJob::~BackgroundJob() {
    stopAndWait();
}

void BackgroundJob::start() {
    if (started_) return;
    started_ = running_ = true;
    pollTimer_.start();
    worker_ = std::thread([this] {
        try {
            work();
        } catch (const std::exception& e) {
            error_ = e.what();
        } catch (...) {
            // The last line of defence, not a silence: whatever else the work
            // throws reaches the window's error box through error().
            error_ = "Unknown error";
        }
        // Dropped when the job is destroyed before the UI thread gets to it.
        QMetaObject::invokeMethod(
            this, [this] { ended(); }, Qt::QueuedConnection);
    });
}

void BackgroundJob::requestStop() {
    stop_ = true;
    {
        // Taken so that work about to wait sees the stop or hears of it.
        const std::lock_guard lock(pauseMutex_);
    }
    pauseChanged_.notify_all();
    stopRequestedNow();
}

void BackgroundJob::pause() {
    const std::lock_guard lock(pauseMutex_);
    paused_ = true;
}

void BackgroundJob::resume() {
    {
        const std::lock_guard lock(pauseMutex_);
        paused_ = false;
    }
    pauseChanged_.notify_all();
}

bool BackgroundJob::holdWhilePaused() {
    std::unique_lock lock(pauseMutex_);
    if (paused_ && !stop_.load()) {
        holding_ = true;
        pauseChanged_.wait(lock, [this] { return !paused_ || stop_.load(); });
        holding_ = false;
    }
    return !stop_.load();
}

void BackgroundJob::stopAndWait() {
    requestStop();
    if (worker_.joinable()) worker_.join();
}

void BackgroundJob::failOnUiThread(std::string what) {
    if (!uiError_) uiError_ = std::move(what);
    requestStop();
}

void BackgroundJob::ended() {
    if (!running_) return;
    if (worker_.joinable()) worker_.join();
    pollTimer_.stop();
    workEnded();
    if (!error_) error_ = uiError_;
    running_ = false;
    emit progressed();
    emit finished();
}

}  // namespace pellimar
