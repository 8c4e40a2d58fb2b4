// Reading files off the UI thread: the work runs on a thread of its own and hands
// its rows to the result list in order, in batches the window takes between its
// other events, so the window keeps painting and can stop the work.
#pragma once

#include <atomic>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <variant>
#include <vector>

#include "core/result_list_access.h"
#include "platform/icon.h"

namespace pellimar {

// What the work sees: where its rows go, how it reports progress, and whether it
// was asked to stop. Every member may be called from the work's thread.
class RowFeed {
  public:
    // Clear All at this point of the row stream.
    void clearList();
    // The row for icon `n` of `file`; its picture is made here, on the caller's thread.
    void addRow(const std::filesystem::path& file, int n, const Icon& icon);

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
    void finish();
    bool finished() const;
    // True once the work has ended and every item was taken.
    bool drained() const;

  private:
    mutable std::mutex mutex_;
    std::deque<Item> items_;
    bool finished_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<std::size_t> filesLookedAt_{0};
    std::atomic<std::size_t> filesToRead_{0};
    std::atomic<std::size_t> filesRead_{0};
    std::atomic<std::size_t> iconsFound_{0};
};

// Runs `work` on a thread of its own while the calling (UI) thread goes on
// handling events; the rows it feeds reach `list` in order, a batch at a time,
// each batch small enough that the window never waits long. `list` is told when
// the work begins and ends, and its Stop asks the work to end. Returns when the
// work has ended and every row it fed is in the list; an exception thrown by the
// work is thrown again here.
void runWithRowFeed(ResultListAccess& list, const std::function<void(RowFeed&)>& work);

}  // namespace pellimar
