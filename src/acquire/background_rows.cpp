#include "acquire/background_rows.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <exception>
#include <thread>

#include "core/icon_image.h"

namespace pellimar {

namespace {

// How often the UI thread looks for rows, and how long it may spend on them at a
// time before it goes back to its other events.
constexpr int kPumpIntervalMs = 15;
constexpr qint64 kBatchBudgetMs = 30;
constexpr std::size_t kTakeAtOnce = 256;

// Moves what the feed holds into the list until the budget is spent (or all of
// it, with no budget). True when the feed held anything.
bool deliver(RowFeed& feed, ResultListAccess& list, qint64 budgetMs) {
    QElapsedTimer clock;
    clock.start();
    bool any = false;
    std::vector<PreparedRow> batch;
    auto flush = [&] {
        if (!batch.empty()) list.addPreparedRows(batch);
        batch.clear();
    };
    while (budgetMs < 0 || clock.elapsed() < budgetMs) {
        std::vector<RowFeed::Item> items = feed.take(kTakeAtOnce);
        if (items.empty()) break;
        any = true;
        for (RowFeed::Item& item : items) {
            if (std::holds_alternative<RowFeed::ClearMark>(item)) {
                flush();
                list.clearAll();
            } else {
                batch.push_back(std::move(std::get<PreparedRow>(item)));
            }
        }
        flush();
    }
    return any;
}

}  // namespace

void RowFeed::clearList() {
    std::lock_guard lock(mutex_);
    items_.emplace_back(ClearMark{});
}

void RowFeed::addRow(const std::filesystem::path& file, int n, const Icon& icon) {
    PreparedRow row{rowPictureAtRatio(icon, file, n, rowPictureRatio()), file, n};
    ++iconsFound_;
    std::lock_guard lock(mutex_);
    items_.emplace_back(std::move(row));
}

std::vector<RowFeed::Item> RowFeed::take(std::size_t max) {
    std::vector<Item> out;
    std::lock_guard lock(mutex_);
    while (!items_.empty() && out.size() < max) {
        out.push_back(std::move(items_.front()));
        items_.pop_front();
    }
    return out;
}

WorkProgress RowFeed::progress() const {
    return {filesLookedAt_.load(), filesToRead_.load(), filesRead_.load(), iconsFound_.load()};
}

void RowFeed::finish() {
    std::lock_guard lock(mutex_);
    finished_ = true;
}

bool RowFeed::finished() const {
    std::lock_guard lock(mutex_);
    return finished_;
}

bool RowFeed::drained() const {
    std::lock_guard lock(mutex_);
    return finished_ && items_.empty();
}

void runWithRowFeed(ResultListAccess& list, const std::function<void(RowFeed&)>& work) {
    RowFeed feed;
    list.beginBackgroundWork([&feed] { feed.requestStop(); });

    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work(feed);
        } catch (...) {
            failure = std::current_exception();
        }
        feed.finish();
    });

    // Whatever goes wrong on this side stops the work; the thread is always joined.
    std::exception_ptr listFailure;
    QEventLoop loop;
    QTimer pump;
    pump.setInterval(kPumpIntervalMs);
    QObject::connect(&pump, &QTimer::timeout, &loop, [&] {
        if (!listFailure) {
            try {
                deliver(feed, list, kBatchBudgetMs);
                list.showProgress(feed.progress());
            } catch (...) {
                listFailure = std::current_exception();
                feed.requestStop();
            }
        }
        if (listFailure ? feed.finished() : feed.drained()) loop.quit();
    });
    pump.start();
    loop.exec();
    pump.stop();
    // The loop also ends when the program is told to quit: the work stops then.
    if (!feed.drained()) feed.requestStop();
    worker.join();
    if (!listFailure) {
        try {
            deliver(feed, list, -1);  // what was fed after the last look
        } catch (...) {
            listFailure = std::current_exception();
        }
    }
    list.endBackgroundWork();
    if (listFailure) std::rethrow_exception(listFailure);
    if (failure) std::rethrow_exception(failure);
}

}  // namespace pellimar
