#include "export/save_job.h"

#include <algorithm>
#include <set>

#include "export/save_plan.h"

namespace pellimar {
namespace fs = std::filesystem;

SaveJob::SaveJob(std::vector<SaveRow> rows, fs::path name, const AppSettings& settings,
                 RowGroupSource rowGroup, QObject* parent)
    : SaveJob(RowTable::of(rows), std::move(name), settings, std::move(rowGroup), parent) {}

SaveJob::SaveJob(RowTable rows, fs::path name, const AppSettings& settings, RowGroupSource rowGroup,
                 QObject* parent)
    : BackgroundJob(parent),
      rows_(std::move(rows)),
      name_(std::move(name)),
      settings_(settings),
      rowGroup_(std::move(rowGroup)) {
    total_ = int(rows_.selectedCount());
}

SaveJob::~SaveJob() {
    stopAndWait();
}

void SaveJob::stopRequestedNow() {
    // A run waiting for its answer ends as at Cancel.
    const std::lock_guard lock(mutex_);
    answered_.notify_all();
}

void SaveJob::answer(Existing what) {
    const std::lock_guard lock(mutex_);
    answer_ = what;
    answered_.notify_all();
}

void SaveJob::work() {
    // The plan and the run read through one source. Of the default one, only the
    // last four files stay open (oneRunReader()): with more icon files selected
    // than that, the run opens each again after the plan.
    const RowGroupSource source = rowGroup_ ? rowGroup_ : oneRunReader();
    // Planned a row at a time: once to find the files that exist, then as the run
    // goes; no plan of every row is held.
    SavePlanner planner(rows_, name_, settings_, source);
    existing_ = findExistingFiles(planner);
    planner.restart();
    Existing what = Existing::Keep;
    if (!existing_.empty()) {
        // A run stopped already (Stop, or "Stop and quit?" answered) asks nothing
        // and ends as at Cancel.
        if (!stopFlag().load())
            QMetaObject::invokeMethod(
                this, [this] { emit existingFilesFound(); }, Qt::QueuedConnection);
        std::unique_lock lock(mutex_);
        answered_.wait(lock, [this] { return answer_.has_value() || stopFlag().load(); });
        what = answer_.value_or(Existing::Cancel);
    }
    if (what == Existing::Cancel) {
        cancelled_ = true;
        return;
    }
    SaveContext ctx{settings_, report_, source, {}};
    ctx.stop = &stopFlag();
    ctx.rowsBegun = &begun_;
    // While the window asks whether to quit, nothing more is written.
    ctx.hold = [this] { holdWhilePaused(); };
    // Only the files asked about are replaced; any other that has come to exist
    // since is kept, as are all of them at Keep.
    const std::set<fs::path> replaceable =
        what == Existing::Replace ? std::set<fs::path>(existing_.begin(), existing_.end())
                                  : std::set<fs::path>();
    ctx.mayReplace = [replaceable](const fs::path& file) { return replaceable.count(file) > 0; };
    ctx.rowDone = [this](std::size_t row) { rowsSaved_.push_back(std::uint32_t(row)); };
    runSavePlan(planner, ctx);
}

}  // namespace pellimar
