// Rows into the main window's list: Import from a File, Scan a Folder, and the
// files and folders handed to the program (its command line, a drop), queued and
// taken one after another. The reading runs as background work: its rows go into
// the list as they come, and what gave no row is told when it ends.
#pragma once

#include <QObject>
#include <QStringList>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "acquire/background_rows.h"
#include "acquire/row_reader.h"
#include "core/settings.h"

class QDropEvent;
class QWidget;

namespace pellimar {

class Desktop;
class ImportOptionsDialog;
class ResultList;
class StatusPanels;
class WorkController;

class ImportFlow : public QObject {
    Q_OBJECT
  public:
    // `clearAll` is the window's Clear All, which the options' clearing and a
    // scan's clearing run; the icon viewer opens over `window`.
    ImportFlow(QWidget& window, Desktop& desktop, AppSettings& settings, ResultList& list,
               StatusPanels& status, WorkController& work, std::function<void()> clearAll);

    // The Import Options dialog shown before every folder scan; none: no scan.
    void setImportOptionsDialog(ImportOptionsDialog* dialog) { importOptionsDialog_ = dialog; }
    // How files are read (tests hand in stand-ins).
    void setRowReader(RowReader read) { readRows_ = std::move(read); }
    // Icons taken by the last folder scan, the one that passed the maximum included.
    int scanIconCount() const { return scanIconCount_; }

    // Import from a File: an icon file opens the icon viewer; any other file's
    // icons are read into the list.
    void importFromFile();
    // Scan a Folder: the folder and the import options are asked for, then the
    // folder's files are read into the list.
    void scanFolder();
    // Each file imported as Import from a File does, each folder scanned with the
    // saved import options without asking; the list cleared once first when the
    // options say so. What is not there is told at once, in one message. Stop
    // ends the rest of them as well.
    void openPaths(const std::vector<std::filesystem::path>& paths);

    // Files and folders dragged from another program: accepted when they are
    // local and no work runs, and opened as openPaths() does once the drop is done.
    bool acceptsDrop(const QDropEvent& event) const;
    void openDropped(const QDropEvent& event);

  private:
    enum class Kind { Import, Scan };
    void openNextPath();
    void startImport(const std::filesystem::path& file);
    void startReading(std::unique_ptr<RowJob> job, Kind kind, std::filesystem::path file);
    // What finished work found that the rows do not show (a file that gave no row,
    // icons that could not be read, the maximum reached).
    QStringList outcomeNotes(const ScanOutcome& outcome, Kind kind,
                             const std::filesystem::path& file) const;

    QWidget& window_;
    Desktop& desktop_;
    AppSettings& settings_;
    ResultList& list_;
    StatusPanels& status_;
    WorkController& work_;
    std::function<void()> clearAll_;
    ImportOptionsDialog* importOptionsDialog_ = nullptr;
    RowReader readRows_ = readFileRows;
    int scanIconCount_ = 0;
    // "Clear result" (or a scan's clearing) waits for the first rows: an import
    // that brings none leaves the list as it was.
    bool clearBeforeRows_ = false;
    std::deque<std::filesystem::path> pendingPaths_;  // of openPaths, still to take
    AppSettings pathSettings_;                        // the settings openPaths scans with
    QStringList notes_;  // what the work since the last command found, told
};

}  // namespace pellimar
