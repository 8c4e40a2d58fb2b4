#include "app/save_flow.h"

#include <QDialog>
#include <QFile>
#include <QPointer>
#include <algorithm>
#include <memory>
#include <optional>
#include <string>

#include "app/status_panels.h"
#include "app/work_controller.h"
#include "core/desktop.h"
#include "core/settings.h"
#include "export/export_options_dialog.h"
#include "export/report_dialog.h"
#include "export/save_command.h"
#include "export/save_job.h"
#include "export/save_report.h"

namespace pellimar {
namespace fs = std::filesystem;

namespace {

// The first of a list of problems, and how many more there are.
std::string firstAndCount(const std::vector<SaveProblem>& problems, const std::string& more) {
    std::string text = problemMessage(problems.front()).toStdString();
    if (problems.size() > 1) text += "\n" + std::to_string(problems.size() - 1) + more;
    return text;
}

// Whether a run's report holds nothing to tell: no file, kept or not, no problem
// and no stop.
bool tellsNothing(const SaveReport& report) {
    return report.files().empty() && report.kept().empty() && report.failures().empty() &&
           report.unreadableRows().empty() && report.skippedRows().empty() && !report.stopped() &&
           !report.stoppedByRequest() && !report.unsupportedFormat();
}

}  // namespace

SaveFlow::SaveFlow(Desktop& desktop, AppSettings& settings, WorkController& work)
    : desktop_(desktop), settings_(settings), work_(work) {}

void SaveFlow::showExportOptions() {
    guarded(desktop_, [this] {
        if (exportOptionsDialog_) desktop_.runModal(*exportOptionsDialog_);
    });
}

void SaveFlow::showReport() {
    guarded(desktop_, [this] {
        if (reportDialog_) desktop_.runModal(*reportDialog_);
    });
}

void SaveFlow::save(RowTable rows,
                    std::function<void(const std::vector<std::uint32_t>&)> rowsSaved) {
    guarded(desktop_, [&] {
        if (!exportOptionsDialog_ || !reportDialog_ || work_.running()) return;
        // 1. ask
        const std::optional<fs::path> name = askSaveName(
            rows.selectedCount(), settings_, desktop_,
            [this] { return desktop_.runModal(*exportOptionsDialog_) == QDialog::Accepted; },
            lastSaveName_);
        if (!name) return;
        // 2. run
        auto job = std::make_unique<SaveJob>(std::move(rows), *name, settings_, rowGroup_);
        SaveJob& run = *job;
        connect(&run, &SaveJob::existingFilesFound, this,
                [this, &run] { guarded(desktop_, [&] { askAboutExistingFiles(run); }); });
        WorkController::Presentation how;
        how.activity = StatusPanels::savingText();
        how.stopTip = tr("Stop saving (Esc); the files written so far stay");
        how.closeQuestion = tr("Files are still being saved.\nStop and quit?").toStdString();
        how.progress = [&run] {
            return tr("Saving: row %1 of %2").arg(run.rowsBegun()).arg(run.rowsToSave());
        };
        // 3. tell
        how.ended = [this, &run, rowsSaved] {
            if (rowsSaved) rowsSaved(run.rowsSaved());
            tellOutcome(run);
        };
        how.quitNote = [&run] {
            const SaveReport& report = run.report();
            if (run.cancelled() || !report.stoppedByRequest()) return QString();
            return tr("Saving stopped after row %1 of %2; the files written so far stay.")
                .arg(report.rowsDoneWhenStopped())
                .arg(report.rowsToSave());
        };
        work_.start(std::move(job), std::move(how));
    });
}

void SaveFlow::askAboutExistingFiles(SaveJob& job) {
    // Stopped between the job's finding the files and this: it ends as at Cancel,
    // and no question comes after the person's Stop.
    if (job.stopRequested()) return;
    const std::vector<fs::path>& files = job.existingFiles();
    const std::size_t n = files.size();
    QString text = n == 1 ? tr("%1 already exists: replace it?")
                                .arg(QFile::decodeName(files[0].filename().c_str()))
                          : tr("%1 files already exist: replace them?").arg(n);
    // The names, as many as a box can hold.
    constexpr std::size_t kNamesShown = 10;
    if (n > 1) {
        text += '\n';
        for (std::size_t i = 0; i < std::min(n, kNamesShown); ++i)
            text += '\n' + QFile::decodeName(files[i].filename().c_str());
        if (n > kNamesShown) text += '\n' + tr("and %1 more").arg(n - kNamesShown);
    }
    // The job may be gone by the time the question is answered.
    const QPointer<SaveJob> asking(&job);
    const int choice =
        desktop_.choose(text.toStdString(), tr("Save").toStdString(),
                        {tr("&Replace").toStdString(), tr("&Skip existing").toStdString(),
                         tr("Cancel").toStdString()},
                        MessageIcon::Question);
    if (asking)
        asking->answer(choice == 0   ? SaveJob::Existing::Replace
                       : choice == 1 ? SaveJob::Existing::Keep
                                     : SaveJob::Existing::Cancel);
}

void SaveFlow::tellOutcome(const SaveJob& job) {
    if (job.cancelled()) {
        work_.tell({tr("Saving cancelled: nothing was written.")});
        return;
    }
    SaveReport& report = reportDialog_->report();
    report = job.report();
    // An error the run ended with is told by the work controller after this, in the
    // error box; what the run did before it is told here all the same.
    if (job.error() && tellsNothing(report)) return;
    if (report.stoppedByRequest())
        work_.tell({tr("Saving stopped after row %1 of %2; the files written so far stay.")
                        .arg(report.rowsDoneWhenStopped())
                        .arg(report.rowsToSave())});
    showOutcome(report);
}

void SaveFlow::showOutcome(const SaveReport& report) {
    if (report.unsupportedFormat())
        desktop_.message(tr("Nothing was saved: icons are saved as .ico, .bmp, .jpg or .png "
                            "files, and the name chosen ends otherwise.")
                             .toStdString(),
                         "Error", Buttons::Ok, MessageIcon::Error);
    // A run that ended at a file it could not write says so first; what it did
    // before is told as for any run.
    if (report.stopped()) desktop_.errorBox(problemMessage(*report.stopReason()).toStdString());
    if (!report.unreadableRows().empty())
        desktop_.message(
            tr("These rows could not be read, so nothing was saved of them:").toStdString() + "\n" +
                firstAndCount(report.unreadableRows(),
                              tr(" more rows could not be read either.").toStdString()),
            "notice", Buttons::Ok, MessageIcon::Warning);
    if (report.failureCount() > 0)
        desktop_.message(
            firstAndCount(report.failures(),
                          tr(" more files could not be written either.").toStdString()),
            "Error", Buttons::Ok, MessageIcon::Error);
    // What goes wrong in showing it reaches the error box.
    desktop_.runModal(*reportDialog_);
}

}  // namespace pellimar
