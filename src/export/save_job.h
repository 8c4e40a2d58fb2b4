// A save run as a background job: the run is planned first (export/save_plan.h),
// and when files the plan names exist already the job waits for the window to say
// what to do with them; then the plan is run, its rows counted as they go, and the
// run can be stopped before any row.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <vector>

#include "core/background_job.h"
#include "core/settings.h"
#include "export/save_command.h"
#include "export/save_report.h"

namespace pellimar {

class SaveJob : public BackgroundJob {
    Q_OBJECT
  public:
    // What to do with the files of the run that exist already.
    enum class Existing { Replace, Keep, Cancel };

    // The job keeps its own copies of the rows and the settings. `rowGroup` as in
    // SaveContext (unset: the rows' files are read).
    SaveJob(std::vector<SaveRow> rows, std::filesystem::path name, const AppSettings& settings,
            RowGroupSource rowGroup = {}, QObject* parent = nullptr);
    // The same for rows taken from the list in their compact form.
    SaveJob(RowTable rows, std::filesystem::path name, const AppSettings& settings,
            RowGroupSource rowGroup = {}, QObject* parent = nullptr);
    // A running job is stopped and waited for. Stopping ends the run before its
    // next row (or, while it waits for an answer, at once); the files written so
    // far stay.
    ~SaveJob() override;

    // The files of the plan that existed when it was made; complete once
    // existingFilesFound() has come. The job waits for answer() before it writes
    // anything. A job stopped before it has found them does not ask: it ends as at
    // Cancel.
    const std::vector<std::filesystem::path>& existingFiles() const { return existing_; }
    void answer(Existing what);
    // True when the run ended at the answer Cancel: nothing was written.
    bool cancelled() const { return cancelled_; }

    int rowsToSave() const { return total_; }
    int rowsBegun() const { return begun_.load(); }

    // What the run did; complete once finished() has come.
    const SaveReport& report() const { return report_; }
    // The rows (their indexes among those given) whose every file was written, or
    // kept at the person's word; complete once finished() has come.
    const std::vector<std::uint32_t>& rowsSaved() const { return rowsSaved_; }

  signals:
    void existingFilesFound();

  protected:
    void work() override;
    void stopRequestedNow() override;

  private:
    RowTable rows_;
    std::vector<std::uint32_t> rowsSaved_;
    std::filesystem::path name_;
    AppSettings settings_;
    RowGroupSource rowGroup_;
    SaveReport report_;
    std::vector<std::filesystem::path> existing_;
    int total_ = 0;
    std::atomic<int> begun_{0};
    std::mutex mutex_;
    std::condition_variable answered_;
    std::optional<Existing> answer_;  // guarded by mutex_
    bool cancelled_ = false;
};

}  // namespace pellimar
