#include "app/import_flow.h"

#include <QDialog>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <algorithm>

#include "acquire/import_command.h"
#include "acquire/import_options_dialog.h"
#include "acquire/scan_command.h"
#include "app/result_list.h"
#include "app/status_panels.h"
#include "app/work_controller.h"
#include "core/desktop.h"
#include "core/folder_walk.h"
#include "core/reasons.h"
#include "core/row_icons.h"
#include "viewer/icon_viewer.h"

namespace pellimar {
namespace fs = std::filesystem;

namespace {

// The local files and folders a drag from another program carries.
std::vector<fs::path> droppedPaths(const QDropEvent& event) {
    std::vector<fs::path> paths;
    // Rows dragged out of this window come back as pictures: not something to open.
    if (event.source() || !event.mimeData() || !event.mimeData()->hasUrls()) return paths;
    for (const QUrl& url : event.mimeData()->urls())
        if (url.isLocalFile())
            paths.emplace_back(QFile::encodeName(url.toLocalFile()).toStdString());
    return paths;
}

}  // namespace

ImportFlow::ImportFlow(QWidget& window, Desktop& desktop, AppSettings& settings, ResultList& list,
                       StatusPanels& status, WorkController& work, std::function<void()> clearAll)
    : window_(window),
      desktop_(desktop),
      settings_(settings),
      list_(list),
      status_(status),
      work_(work),
      clearAll_(std::move(clearAll)) {
    // Stop (or quitting) during one of the paths ends the rest as well.
    connect(&work_, &WorkController::stopping, this, [this] { pendingPaths_.clear(); });
}

void ImportFlow::importFromFile() {
    const std::optional<fs::path> chosen = chooseFileToImport(desktop_);
    if (!chosen) {
        // Cancelled: the list stays as it was.
        status_.showIdle();
        status_.showIconCount(list_.rowCount());
        return;
    }
    if (chosen->empty()) return;
    clearBeforeRows_ = settings_.clearResult;
    notes_.clear();
    startImport(*chosen);
}

void ImportFlow::startImport(const fs::path& file) {
    // An icon file is shown image by image; its images are no rows.
    if (rowsAreImages(file))
        showIconViewer(desktop_, &window_, file);
    else
        startReading(fileImportJob(file, readRows_), Kind::Import, file);
}

void ImportFlow::scanFolder() {
    if (!importOptionsDialog_) return;
    ImportOptionsDialog& options = *importOptionsDialog_;
    scanIconCount_ = 0;
    const std::optional<fs::path> folder =
        askScanFolder(desktop_, [&] { return desktop_.runModal(options) == QDialog::Accepted; });
    if (!folder) return;
    clearBeforeRows_ = false;  // the scan says when, as its options have it
    notes_.clear();
    startReading(folderScanJob(*folder, settings_, readRows_), Kind::Scan, *folder);
}

void ImportFlow::openPaths(const std::vector<fs::path>& paths) {
    if (paths.empty() || work_.running()) return;
    // One clearing for all of them, not one per file or folder, and only once the
    // first of them brings rows.
    clearBeforeRows_ = settings_.clearResult;
    pathSettings_ = settings_;
    pathSettings_.clearResult = false;
    // Relative paths are taken from the working folder of now, not of later.
    pendingPaths_.clear();
    notes_.clear();
    std::vector<fs::path> missing;
    for (const fs::path& given : paths) {
        // The path as given where the working folder cannot be told.
        std::error_code ec;
        fs::path path = fs::absolute(given, ec).lexically_normal();
        if (ec) path = given;
        // What is not there is told at once, every one of them in one message.
        if (!fs::exists(fs::symlink_status(path, ec)))
            missing.push_back(given);
        else
            pendingPaths_.push_back(path);
    }
    if (missing.size() == 1) {
        desktop_.message("Cannot find " + missing[0].string() + ".", "Pellimar", Buttons::Ok,
                         MessageIcon::Warning);
    } else if (missing.size() > 1) {
        // As many names as a box can show on any screen; the rest counted.
        constexpr std::size_t kNamesShown = 20;
        std::string list =
            tr("Cannot find these %1 files or folders:").arg(missing.size()).toStdString();
        for (std::size_t i = 0; i < std::min(missing.size(), kNamesShown); ++i)
            list += "\n" + missing[i].string();
        if (missing.size() > kNamesShown)
            list += "\n" + tr("and %1 more").arg(missing.size() - kNamesShown).toStdString();
        desktop_.message(list, "Pellimar", Buttons::Ok, MessageIcon::Warning);
    }
    openNextPath();
}

bool ImportFlow::acceptsDrop(const QDropEvent& event) const {
    return !work_.running() && !droppedPaths(event).empty();
}

void ImportFlow::openDropped(const QDropEvent& event) {
    // After the drop is done: the source program waits for it, and an icon file
    // opens the viewer modally.
    QMetaObject::invokeMethod(
        this, [this, paths = droppedPaths(event)] { guarded(desktop_, [&] { openPaths(paths); }); },
        Qt::QueuedConnection);
}

void ImportFlow::openNextPath() {
    while (!pendingPaths_.empty() && !work_.running()) {
        if (work_.closeConfirmed()) {
            pendingPaths_.clear();
            return;
        }
        const fs::path path = pendingPaths_.front();
        pendingPaths_.pop_front();
        std::error_code ec;
        if (fs::is_directory(path, ec))
            startReading(folderScanJob(path, pathSettings_, readRows_), Kind::Scan, path);
        else if (fs::exists(path, ec))
            startImport(path);
        else
            desktop_.message("Cannot find " + path.string() + ".", "Pellimar", Buttons::Ok,
                             MessageIcon::Warning);
    }
}

void ImportFlow::startReading(std::unique_ptr<RowJob> job, Kind kind, fs::path file) {
    RowJob& rows = *job;
    connect(&rows, &RowJob::cleared, this, [this] { clearBeforeRows_ = true; });
    connect(&rows, &RowJob::rowsArrived, this, [this](const std::vector<PreparedRow>& arrived) {
        if (arrived.empty()) return;
        if (clearBeforeRows_) {
            clearBeforeRows_ = false;
            clearAll_();
        }
        std::vector<PreparedRow> batch = arrived;
        list_.addRows(batch);
        // The count follows the rows as they come, not only when the work ends.
        status_.showIconCount(list_.rowCount());
    });
    WorkController::Presentation how;
    how.activity = StatusPanels::searchingText();
    how.stopTip = tr("Stop reading files (Esc); the icons found so far stay");
    how.closeQuestion = "Files are still being read.\r\nStop and quit?";
    how.progress = [this, &rows] {
        const WorkProgress progress = rows.progress();
        if (progress.filesToRead == 0)
            return tr("Looking at files: %1").arg(progress.filesLookedAt);
        return tr("Files read: %1 of %2, icons found: %3")
            .arg(progress.filesRead)
            .arg(progress.filesToRead)
            .arg(progress.iconsFound);
    };
    how.ended = [this, &rows, kind, file] {
        if (kind == Kind::Scan) scanIconCount_ = rows.outcome().iconsTaken;
        status_.showIconCount(list_.rowCount());
        notes_ << outcomeNotes(rows.outcome(), kind, file);
        work_.tell(notes_);
        if (!pendingPaths_.empty() && !work_.closeConfirmed())
            QMetaObject::invokeMethod(
                this, [this] { guarded(desktop_, [this] { openNextPath(); }); },
                Qt::QueuedConnection);
    };
    work_.start(std::move(job), std::move(how));
}

QStringList ImportFlow::outcomeNotes(const ScanOutcome& outcome, Kind kind,
                                     const fs::path& file) const {
    auto name = [](const fs::path& f) { return QFile::decodeName(f.filename().c_str()); };
    auto path = [](const fs::path& f) { return QFile::decodeName(f.c_str()); };
    auto why = [](const Failure& failure) { return reasonText(failure); };
    QStringList notes;
    if (kind == Kind::Import && outcome.rowsAdded == 0) {
        if (!outcome.unreadableFiles.empty())
            notes << tr("no icons in %1: %2")
                         .arg(name(outcome.unreadableFiles[0].file))
                         .arg(why(outcome.unreadableFiles[0].why));
        else if (!outcome.skippedIcons.empty())
            notes << tr("no icons in %1: %2")
                         .arg(name(outcome.skippedIcons[0].file))
                         .arg(why(outcome.skippedIcons[0].why));
        else if (!outcome.interrupted)
            notes << tr("no icons in %1: it holds none").arg(name(file));
    } else {
        // The folder scanned, when it could not be read itself: said with its reason
        // in place of the note on the folders left out.
        std::vector<SkippedFolder> leftOut = outcome.skippedFolders;
        std::optional<SkippedFolder> scanned;
        if (kind == Kind::Scan && !leftOut.empty() && leftOut.front().path == file) {
            scanned = leftOut.front();
            leftOut.erase(leftOut.begin());
        }
        if (scanned && scanned->why != FolderSkip::ListingCut)
            notes
                << tr("the folder %1 cannot be read: %2").arg(path(file), folderSkipText(*scanned));
        else if (kind == Kind::Scan && outcome.rowsAdded == 0 && !outcome.interrupted)
            notes << tr("no icons found in %1").arg(path(file));
        if (scanned && scanned->why == FolderSkip::ListingCut)
            notes << tr("the folder %1 was read only in part: %2")
                         .arg(path(file), folderSkipText(*scanned));
        if (const std::size_t n = outcome.unreadableFiles.size(); n > 0)
            notes << (n == 1 ? tr("1 file gave no icons: %1: %2")
                             : tr("%1 files gave no icons (first: %2: %3)").arg(n))
                         .arg(name(outcome.unreadableFiles[0].file))
                         .arg(why(outcome.unreadableFiles[0].why));
        if (const std::size_t n = outcome.skippedIcons.size(); n > 0)
            // The reason names the icon (or the image of an icon file) itself.
            notes << (n == 1 ? tr("1 icon could not be read: %1: %2")
                             : tr("%1 icons could not be read (first: %2: %3)").arg(n))
                         .arg(name(outcome.skippedIcons[0].file))
                         .arg(why(outcome.skippedIcons[0].why));
        if (outcome.stopped)
            notes << tr("the scan ended at its maximum of %1 icons (Import Options)")
                         .arg(settings_.importLimit);
        if (const std::size_t n = leftOut.size(); n > 0)
            notes << (n == 1 ? tr("1 folder was left out or read only in part: %1: %2")
                             : tr("%1 folders were left out or read only in part (first: %2: %3)")
                                   .arg(n))
                         .arg(path(leftOut[0].path))
                         .arg(folderSkipText(leftOut[0]));
    }
    if (outcome.interrupted) notes << tr("stopped; the icons found so far stay");
    return notes;
}

}  // namespace pellimar
