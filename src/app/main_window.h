// The main window: the result list in the middle, and the parts it lays out and
// wires together: the command table (menus, tool bar, keys, enabling rules), the
// status panels, the work controller that runs scans, imports and saves in the
// background, and the flows that import rows and save them. Every command of the
// program is reached from here; the commands themselves live in their subsystems.
#pragma once

#include <QDragEnterEvent>
#include <QKeyCombination>
#include <QMainWindow>
#include <QString>
#include <filesystem>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "acquire/row_reader.h"
#include "core/desktop.h"
#include "core/result_rows.h"
#include "core/settings.h"
#include "export/save_command.h"

class QMimeData;
class QTimer;

namespace pellimar {

class AboutDialog;
class CommandTable;
class ExportOptionsDialog;
class ImportFlow;
class ImportOptionsDialog;
class ReportDialog;
class ResultList;
class SaveFlow;
class StatusPanels;
class TipsDialog;
class WorkController;

// The window keeps its controls to itself; each has an object name by which tests
// and tools find it.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(Desktop& desktop, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The settings of the running program: loaded when the window is first shown,
    // changed by the option dialogs, which are handed this same object.
    AppSettings& settings() { return settings_; }
    const AppSettings& settings() const { return settings_; }

    // The windows made after this one that its commands show.
    void setTipsDialog(TipsDialog* dialog) { tipsDialog_ = dialog; }
    void setAboutDialog(AboutDialog* dialog) { aboutDialog_ = dialog; }
    // The Import options dialog shown before every folder scan.
    void setImportOptionsDialog(ImportOptionsDialog* dialog);
    // How the import and the scan read files (tests hand in stand-ins).
    void setRowReader(RowReader read);
    // The export options and report dialogs of the save command.
    void setExportOptionsDialog(ExportOptionsDialog* dialog);
    void setReportDialog(ReportDialog* dialog);

    // --- the result list ---
    std::vector<ResultRowInfo> rows() const;
    int rowCount() const;
    int selectedCount() const;
    // Status bar panels 0..6.
    QString statusText(int panel) const;
    // Icons taken by the last folder scan, the one that passed the maximum included.
    int scanIconCount() const;

    // While work runs in the background: the commands that change or read the list
    // are held, the Stop button and Esc end the work, and closing the window asks,
    // stops and closes.
    bool backgroundWorkRunning() const;
    // Asks the running background work to end; what it has done so far stays.
    void stopBackgroundWork();
    // True while the running work waits at a pause: a save writes nothing while
    // the window asks whether to quit.
    bool backgroundWorkHeld() const;
    // How saves read the rows' icons (tests hand in stand-ins); unset: from the
    // rows' files.
    void setSaveReader(RowGroupSource read);

    // Looks a key up in the context menu, the main menu and the action list, in
    // that order, and runs what it finds. True when one of them took the key.
    bool routeKey(QKeyCombination key);

    // --- commands and the window's own handlers ---
    // First showing: unsorted columns, the settings files loaded, the tips timer
    // armed when tips are to be shown.
    void startUp();
    bool confirmClose();  // true when the window may close
    void showTipsAtStartUp();
    // The enabling rules that opening the File menu and the context menu apply.
    void enableFileMenuCommands();
    void enableContextMenuCommands();
    // Import from a File: an icon file opens the icon viewer; any other file's
    // icons are read into the list in the background.
    void importFromFile();
    // Scan a Folder: the folder and the import options are asked for, then the
    // folder's files are read into the list in the background.
    void scanFolder();
    // Save Selected and Save All run in the background as a scan does: progress in
    // the status bar, Stop, and a question first when files of those names exist.
    void saveSelected();
    // Saves every row as if every one were selected; the selection stays as it is.
    void saveAll();
    // Clear All: empties the list, puts "Icons: 0" and "Selected: 0" in the status
    // bar and disables the list's eight commands again.
    void clearAll();
    void deleteSelected();
    // Brings back the rows the last Clear All or Delete removed, while the list has
    // not changed since.
    void undoRemoval();
    void selectAll();
    // The first selected row's icon in the icon viewer, every image of it, from memory.
    void previewRow();
    void showSelectedCount();
    void sortByColumn(int column);
    void showThumbnailView();
    void showListView();
    void showDetailView();
    void showTips();
    void showReport();
    void showImportOptions();
    void showExportOptions();
    void showSearchSettings();
    void showAbout();
    void showHelp();
    void exitProgram();

    // Files and folders handed to the program (its command line, a drop on the
    // window), taken one after another: each file imported as Import from a File
    // does (an icon file opens the icon viewer), each folder scanned with the saved
    // import options without asking. The list is cleared once first when the
    // import options say so. Stop ends the rest as well.
    void openPaths(const std::vector<std::filesystem::path>& paths);
    // The selected row's icon (the first selected) to the clipboard as a PNG file,
    // PNG bytes and an image; when it cannot be read, the person is told why.
    void copyIcon();
    // What a drag of the given rows carries (the caller owns it); nothing when no
    // icon of them can be read.
    QMimeData* rowDragData(const std::vector<int>& rows) const;

  signals:
    // Background work has ended and every row it found is in the list.
    void backgroundWorkEnded();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override { dragMoveEvent(event); }
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void bindCommands();
    // The list's view, sort and column widths: kept in the settings when the
    // window closes, taken back at start-up.
    void keepListLayout();
    void restoreListLayout();
    // Runs a handler body; an error that escapes it goes to the error box.
    template <typename F>
    void run(F&& body) {
        guarded(desktop_, std::forward<F>(body));
    }

    Desktop& desktop_;
    AppSettings settings_;
    TipsDialog* tipsDialog_ = nullptr;
    AboutDialog* aboutDialog_ = nullptr;
    ImportOptionsDialog* importOptionsDialog_ = nullptr;
    bool shownOnce_ = false;
    // The sort kept from last time, until rows come to apply it to.
    std::optional<std::pair<int, bool>> layoutSort_;

    ResultList* resultList;
    QTimer* tipsTimer;
    // The parts, in the order they are made; each lives as long as the window.
    std::unique_ptr<CommandTable> commands_;
    std::unique_ptr<StatusPanels> status_;
    std::unique_ptr<WorkController> work_;
    std::unique_ptr<ImportFlow> import_;
    std::unique_ptr<SaveFlow> save_;
};

}  // namespace pellimar
