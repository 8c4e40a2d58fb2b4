#include "acquire/background_rows.h"

#include <QElapsedTimer>
#include <exception>

#include "core/folder_walk.h"
#include "core/icon_image.h"
#include "core/settings.h"

namespace pellimar {

namespace {

// How often the UI thread looks for rows, and how long it may spend on them at a
// time before it goes back to its other events.
constexpr int kPumpIntervalMs = 15;
constexpr qint64 kBatchBudgetMs = 30;
constexpr std::size_t kTakeAtOnce = 256;

}  // namespace

void RowFeed::clearList() {
    std::lock_guard lock(mutex_);
    items_.emplace_back(ClearMark{});
}

void RowFeed::addRow(const std::filesystem::path& file, int n, const RowIcon& icon) {
    PreparedRow row{rowPictureAtRatio(icon.icon, icon.sharper, rowPictureRatio()), file, n,
                    icon.resource, icon.kind};
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

RowJob::RowJob(Work work, QObject* parent) : QObject(parent), work_(std::move(work)) {
    pumpTimer_.setInterval(kPumpIntervalMs);
    connect(&pumpTimer_, &QTimer::timeout, this, &RowJob::pump);
}

RowJob::~RowJob() {
    feed_.requestStop();
    if (worker_.joinable()) worker_.join();
}

void RowJob::start() {
    // A job runs once.
    if (started_) return;
    started_ = running_ = true;
    worker_ = std::thread([this] {
        try {
            work_(feed_, outcome_);
        } catch (const std::exception& e) {
            error_ = e.what();
        } catch (...) {
            error_ = "Unknown error";
        }
        feed_.finish();
    });
    pumpTimer_.start();
}

void RowJob::requestStop() {
    feed_.requestStop();
}

void RowJob::deliver(qint64 budgetMs) {
    QElapsedTimer clock;
    clock.start();
    std::vector<PreparedRow> batch;
    auto flush = [&] {
        if (!batch.empty()) emit rowsArrived(batch);
        batch.clear();
    };
    while (budgetMs < 0 || clock.elapsed() < budgetMs) {
        std::vector<RowFeed::Item> items = feed_.take(kTakeAtOnce);
        if (items.empty()) break;
        for (RowFeed::Item& item : items) {
            if (std::holds_alternative<RowFeed::ClearMark>(item)) {
                flush();
                emit cleared();
            } else {
                batch.push_back(std::move(std::get<PreparedRow>(item)));
            }
        }
        flush();
    }
}

void RowJob::pump() {
    if (!running_) return;
    if (!deliveryError_) {
        try {
            deliver(kBatchBudgetMs);
            emit progressed(feed_.progress());
        } catch (const std::exception& e) {
            // What the window could not take stops the work; the rest is dropped.
            deliveryError_ = e.what();
            feed_.requestStop();
        }
    }
    if (!feed_.finished()) return;
    pumpTimer_.stop();
    worker_.join();
    // What was fed after the last look, however the work ended: the rows it found
    // before it failed are rows all the same.
    if (!deliveryError_) {
        try {
            deliver(-1);
        } catch (const std::exception& e) {
            deliveryError_ = e.what();
        }
    }
    if (!error_) error_ = deliveryError_;
    running_ = false;
    emit finished();
}

std::unique_ptr<RowJob> folderScanJob(const std::filesystem::path& folder,
                                      const AppSettings& settings, RowReader read) {
    // The work keeps its own copy of the settings: the window's may change while
    // it runs.
    return std::make_unique<RowJob>(
        [folder, options = settings, read](RowFeed& feed, ScanOutcome& outcome) {
            WalkHooks hooks;
            hooks.stop = feed.stopFlag();
            hooks.progress = [&](std::size_t seen) { feed.setFilesLookedAt(seen); };
            std::vector<SkippedFolder> skipped;
            hooks.skipped = [&](const SkippedFolder& folder) { skipped.push_back(folder); };
            // The whole file list first; no icon is read before it is complete.
            const auto files =
                gatherScanFiles(folder, fileKindsOf(options), options.searchchildfolder, hooks);
            if (feed.stopRequested()) {
                outcome.interrupted = true;
                outcome.skippedFolders = std::move(skipped);
                return;
            }
            feed.setFilesToRead(files.size());
            ScanCallbacks callbacks{
                read,
                [&](const std::filesystem::path& file, int n, const RowIcon& icon) {
                    feed.addRow(file, n, icon);
                },
                [&] { feed.clearList(); },
                feed.stopFlag(),
                [&](std::size_t filesRead) { feed.setFilesRead(filesRead); },
            };
            outcome = runFolderScan(files, options, callbacks);
            outcome.skippedFolders = std::move(skipped);
        });
}

std::unique_ptr<RowJob> fileImportJob(const std::filesystem::path& file, RowReader read) {
    return std::make_unique<RowJob>([file, read](RowFeed& feed, ScanOutcome& outcome) {
        feed.setFilesToRead(1);
        ScanCallbacks callbacks{
            read,
            [&](const std::filesystem::path& f, int n, const RowIcon& icon) {
                feed.addRow(f, n, icon);
            },
            [&] { feed.clearList(); },
            feed.stopFlag(),
            [&](std::size_t filesRead) { feed.setFilesRead(filesRead); },
        };
        outcome = readOneFile(file, callbacks);
    });
}

}  // namespace pellimar
