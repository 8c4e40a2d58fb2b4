// Reading files off the UI thread: the work runs as a background job and hands
// its rows over in order, in batches the UI thread takes between its other
// events, so the window keeps painting and can stop the work.
#pragma once

#include <atomic>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <variant>
#include <vector>

#include "acquire/folder_scan.h"
#include "acquire/row_reader.h"
#include "core/background_job.h"
#include "core/result_rows.h"

namespace pellimar {

// What the work sees: where its rows go, how it reports progress, and whether it
// was asked to stop. Every member may be called from the work's thread.
class RowFeed {
  public:
    // Clear All at this point of the row stream.
    void clearList();
    // The row for icon `n` of `file`; its picture is made here, on the caller's thread.
    void addRow(const std::filesystem::path& file, int n, const RowIcon& icon);

    void setFilesLookedAt(std::size_t n) { filesLookedAt_ = n; }
    void setFilesToRead(std::size_t n) { filesToRead_ = n; }
    void setFilesRead(std::size_t n) { filesRead_ = n; }

    void requestStop() { stop_ = true; }
    bool stopRequested() const { return stop_.load(std::memory_order_relaxed); }
    const std::atomic<bool>* stopFlag() const { return &stop_; }

    // --- the UI thread's side ---
    struct ClearMark {};
    using Item = std::variant<ClearMark, PreparedRow>;
    // Moves up to `max` items out, in order.
    std::vector<Item> take(std::size_t max);
    WorkProgress progress() const;

  private:
    mutable std::mutex mutex_;
    std::deque<Item> items_;
    std::atomic<bool> stop_{false};
    std::atomic<std::size_t> filesLookedAt_{0};
    std::atomic<std::size_t> filesToRead_{0};
    std::atomic<std::size_t> filesRead_{0};
    std::atomic<std::size_t> iconsFound_{0};
};

// One run of reading files into the list: `work` runs on a thread of its own from
// start() on and fills the outcome; its rows arrive through rowsArrived() (and
// Clear All through cleared()) in order, a batch small enough that the UI thread
// never waits long; finished() comes once the thread has ended and every row has
// arrived. Destroying a running job stops its work and waits for the thread.
class RowJob : public BackgroundJob {
    Q_OBJECT
  public:
    using Work = std::function<void(RowFeed& feed, ScanOutcome& outcome)>;
    explicit RowJob(Work work, QObject* parent = nullptr);
    ~RowJob() override;

    // How far the work has got.
    WorkProgress progress() const { return feed_.progress(); }
    // What the work did; complete once finished() has come.
    const ScanOutcome& outcome() const { return outcome_; }

  signals:
    void cleared();
    void rowsArrived(const std::vector<PreparedRow>& rows);

  protected:
    void work() override;
    void poll() override;
    void workEnded() override;
    void stopRequestedNow() override { feed_.requestStop(); }

  private:
    // Hands over what the feed holds, for at most `budgetMs` (all of it below 0).
    void deliver(qint64 budgetMs);

    Work work_;
    RowFeed feed_;
    ScanOutcome outcome_;
};

// A job that gathers the files of `folder` (sub-folders when the settings say so)
// and reads their icons with `read`, up to the settings' maximum. The job keeps its
// own copy of the settings.
std::unique_ptr<RowJob> folderScanJob(const std::filesystem::path& folder,
                                      const AppSettings& settings, RowReader read = readFileRows);

// A job that reads every icon of one file with `read`.
std::unique_ptr<RowJob> fileImportJob(const std::filesystem::path& file,
                                      RowReader read = readFileRows);

}  // namespace pellimar
