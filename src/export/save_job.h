// A save run off the UI thread: the names it would write are worked out first,
// and when some of them exist already the job waits for the window to say what
// to do with them; then the rows are saved, counted as they go, and the run can
// be stopped before any row. The window never waits inside a nested event loop.
#pragma once

#include <QObject>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "core/settings.h"
#include "export/save_command.h"
#include "export/save_report.h"

namespace pellimar {

class SaveJob : public QObject {
    Q_OBJECT
  public:
    // What to do with the files of the run that exist already.
    enum class Existing { Replace, Keep, Cancel };

    // The job keeps its own copies of the rows and the settings. `rowGroup` as in
    // SaveContext (unset: the rows' files are read).
    SaveJob(std::vector<SaveRow> rows, std::filesystem::path name, const AppSettings& settings,
            RowGroupSource rowGroup = {}, QObject* parent = nullptr);
    // A running job is stopped and waited for.
    ~SaveJob() override;

    // Starts the work; a job runs once.
    void start();
    // Ends the run before its next row (or, while it waits for an answer, at once);
    // the files written so far stay.
    void requestStop();
    bool running() const { return running_; }
    bool stopRequested() const { return stop_.load(); }

    // The files of the run that exist already; complete once existingFilesFound()
    // has come. The job waits for answer() before it writes anything.
    const std::vector<std::filesystem::path>& existingFiles() const { return existing_; }
    void answer(Existing what);
    // True when the run ended at the answer Cancel: nothing was written.
    bool cancelled() const { return cancelled_; }

    int rowsToSave() const { return total_; }
    int rowsBegun() const { return begun_.load(); }

    // What the run did; complete once finished() has come.
    const SaveReport& report() const { return report_; }
    // What the work threw, when it ended so.
    const std::optional<std::string>& error() const { return error_; }

  signals:
    void existingFilesFound();
    void progressed(int rowsBegun, int rowsToSave);
    void finished();

  private:
    void work();
    void ended();

    std::vector<SaveRow> rows_;
    std::filesystem::path name_;
    AppSettings settings_;
    RowGroupSource rowGroup_;
    SaveReport report_;
    std::vector<std::filesystem::path> existing_;
    std::optional<std::string> error_;
    int total_ = 0;
    std::atomic<int> begun_{0};
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable answered_;
    std::optional<Existing> answer_;  // guarded by mutex_
    bool cancelled_ = false;
    std::thread worker_;
    QTimer progressTimer_;
    bool started_ = false;
    bool running_ = false;
};

}  // namespace pellimar
