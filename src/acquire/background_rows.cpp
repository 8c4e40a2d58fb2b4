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

RowJob::RowJob(Work work, QObject* parent) : BackgroundJob(parent), work_(std::move(work)) {
    setPollInterval(kPumpIntervalMs);
}

RowJob::~RowJob() {
    stopAndWait();
}

void RowJob::work() {
    work_(feed_, outcome_);
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

void RowJob::poll() {
    if (failedOnUiThread()) return;
    try {
        deliver(kBatchBudgetMs);
    } catch (const std::exception& e) {
        // What the window could not take stops the work; the rest is dropped.
        failOnUiThread(e.what());
    }
}

void RowJob::workEnded() {
    // What was fed after the last look, however the work ended: the rows it found
    // before it failed are rows all the same.
    if (failedOnUiThread()) return;
    try {
        deliver(-1);
    } catch (const std::exception& e) {
        failOnUiThread(e.what());
    }
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
                gatherScanFiles(folder, fileKindsOf(options), options.searchSubfolders, hooks);
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
