// Save Selected and Save All as the main window runs them, in three steps:
//   1. ask: the export options and the name to save under (askSaveName);
//   2. run: a SaveJob, as background work; when files of the names it would
//      write exist already it asks, once, whether to replace them;
//   3. tell: what the run could not do, then the report.
#pragma once

#include <QObject>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

#include "core/result_rows.h"
#include "export/save_command.h"

namespace pellimar {

class Desktop;
class ExportOptionsDialog;
class ReportDialog;
class SaveJob;
class SaveReport;
class WorkController;
struct AppSettings;

class SaveFlow : public QObject {
    Q_OBJECT
  public:
    SaveFlow(Desktop& desktop, AppSettings& settings, WorkController& work);

    // The export options and report dialogs; without both, nothing is saved.
    void setExportOptionsDialog(ExportOptionsDialog* dialog) { exportOptionsDialog_ = dialog; }
    void setReportDialog(ReportDialog* dialog) { reportDialog_ = dialog; }

    // How a save reads the rows' icons; unset (the default): from their files.
    // Tests hand in stand-ins.
    void setRowGroupSource(RowGroupSource source) { rowGroup_ = std::move(source); }

    // The two dialogs shown by themselves (Options and View menus).
    void showExportOptions();
    void showReport();

    // Saves the selected ones of `rows`; nothing while other work runs. An error
    // that escapes goes to the error box. `rowsSaved` hears, once the run has
    // ended, the indexes of the rows whose every file was written (or kept at the
    // person's word).
    void save(RowTable rows, std::function<void(const std::vector<std::uint32_t>&)> rowsSaved = {});

  private:
    // The question about the files of the run that exist already, answered to `job`.
    void askAboutExistingFiles(SaveJob& job);
    // What the ended run did: its problems, then the report.
    void tellOutcome(const SaveJob& job);
    void showOutcome(const SaveReport& report);

    Desktop& desktop_;
    AppSettings& settings_;
    WorkController& work_;
    ExportOptionsDialog* exportOptionsDialog_ = nullptr;
    ReportDialog* reportDialog_ = nullptr;
    std::filesystem::path lastSaveName_;  // the Save dialog keeps its last file name
    RowGroupSource rowGroup_;
};

}  // namespace pellimar
