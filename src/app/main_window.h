// The main window: menus, tool bar, context menu, shortcuts, status bar and the
// result list. Every command of the program is reached from here; the commands
// themselves live in their subsystems and are handed what they need.
#pragma once

#include <QKeyCombination>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "acquire/background_rows.h"
#include "acquire/row_reader.h"
#include "app/result_list.h"
#include "core/desktop.h"
#include "core/result_rows.h"
#include "core/settings.h"

class QAction;
class QLabel;
class QMimeData;
class QMenu;
class QTimer;
class QToolBar;
class QToolButton;

namespace pellimar {

class AboutDialog;
class ExportOptionsDialog;
class ImportOptionsDialog;
class ReportDialog;
class TipsDialog;

class SaveJob;
class SaveReport;

// The window keeps its controls to itself; each has an object name (the names of
// the controls below) by which tests and tools find it.
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
    void setImportOptionsDialog(ImportOptionsDialog* dialog) { importOptionsDialog_ = dialog; }
    // How the import and the scan read files (tests hand in stand-ins).
    void setRowReader(RowReader read) { readRows_ = std::move(read); }
    // The export options and report dialogs of the save command.
    void setExportOptionsDialog(ExportOptionsDialog* dialog) { exportOptionsDialog_ = dialog; }
    void setReportDialog(ReportDialog* dialog) { reportDialog_ = dialog; }

    // --- the result list ---
    std::vector<ResultRowInfo> rows() const;
    int rowCount() const;
    int selectedCount() const;
    // Status bar panels 0..6.
    QString statusText(int panel) const;
    // Icons taken by the last folder scan, the one that passed the maximum included.
    int scanIconCount() const { return scanIconCount_; }

    // While files are read in the background: the commands that change or read the
    // list are held, the Stop button and Esc end the work, and closing the window
    // asks, stops and closes.
    bool backgroundWorkRunning() const { return job_ != nullptr || saveJob_ != nullptr; }
    // Asks the running background work to end; the rows found so far stay.
    void stopBackgroundWork();

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
    void clickImportButton();
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
    // PNG bytes and an image.
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
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // What background work was started for: its end is told by kind.
    enum class WorkKind { Import, Scan };

    QAction* addMenuItem(QMenu* menu, const char* name, const char* caption, QKeySequence key,
                         bool enabled, void (MainWindow::*handler)());
    void buildMenus();
    void buildToolBar();
    void buildContextMenus();
    void buildStatusBar();
    void setViewChecks(QAction* viewItem, QAction* dropItem);
    void disableListCommands();
    // Whether `handler` changes or reads the result list (held during background work).
    static bool touchesList(void (MainWindow::*handler)());
    // Runs `handler` unless background work holds it.
    void runCommand(void (MainWindow::*handler)());
    // Runs a handler body; an error that escapes it goes to the error box.
    template <typename F>
    void run(F&& body) {
        guarded(desktop_, std::forward<F>(body));
    }

    // --- the status bar ---
    void setStatusText(int panel, const QString& text);
    void showSearching();
    void showIdle();
    // "Icons: N", as a scan, an import, Clear All and Delete leave it.
    void showIconCount(int count);
    // The same, after an import.
    void showImportedIconCount(int count);
    void showProgress(const WorkProgress& progress);

    // --- background work ---
    // The window while work runs: list commands held, progress and Stop shown.
    void holdForWork(const QString& stopTip);
    void releaseAfterWork();
    void startWork(std::unique_ptr<RowJob> job, WorkKind kind);
    void saveRows(std::vector<ResultRowInfo> rows);
    void askAboutExistingFiles();
    void saveEnded();
    void workEnded();
    void openNextPath();
    // What finished work found that the rows do not show (a file that gave no row,
    // icons that could not be read, the maximum reached), told in the status bar.
    void noteWorkOutcome(const ScanOutcome& outcome, WorkKind kind);
    // What the last save run did, told: its problems, then the report.
    void showSaveOutcome(const SaveReport& report);

    Desktop& desktop_;
    AppSettings settings_;
    ImportOptionsDialog* importOptionsDialog_ = nullptr;
    TipsDialog* tipsDialog_ = nullptr;
    AboutDialog* aboutDialog_ = nullptr;
    ExportOptionsDialog* exportOptionsDialog_ = nullptr;
    ReportDialog* reportDialog_ = nullptr;
    std::filesystem::path lastSaveName_;  // the Save dialog keeps its last file name
    bool shownOnce_ = false;
    int scanIconCount_ = 0;
    RowReader readRows_ = readFileRows;
    std::unique_ptr<RowJob> job_;       // the background work running, if any
    std::unique_ptr<SaveJob> saveJob_;  // the save running, if any
    WorkKind jobKind_ = WorkKind::Import;
    std::deque<std::filesystem::path> pendingPaths_;  // of openPaths, still to take
    AppSettings pathSettings_;                        // the settings openPaths scans with
    std::filesystem::path importedFile_;              // the file the running import reads
    QStringList workNotes_;       // what the work since the last command found, told
    bool workStopped_ = false;    // Stop was asked during the last background work
    bool closeWhenIdle_ = false;  // the user chose to quit during background work
    bool closeConfirmed_ = false;

    // --- controls ---
    QMenu* fileMenu;
    QAction* importFileItem;
    QAction* scanFolderItem;
    QAction* saveSelectedItem;
    QAction* saveAllItem;
    QAction* clearAllItem;
    QAction* undoItem;
    QAction* exitItem;
    QMenu* viewMenu;
    QAction* thumbnailViewItem;
    QAction* listViewItem;
    QAction* detailViewItem;
    QAction* showTipsItem;
    QAction* reportItem;
    QMenu* optionsMenu;
    QAction* importOptionsItem;
    QAction* exportOptionsItem;
    QAction* searchSettingItem;
    QMenu* helpMenu;
    QAction* aboutItem;
    QAction* helpItem;

    QToolBar* toolBar;
    QToolButton* importButton;
    QToolButton* scanButton;
    QToolButton* clearButton;
    QToolButton* saveButton;
    QToolButton* viewStyleButton;
    QToolButton* helpButton;
    QToolButton* exitButton;
    std::vector<QIcon> toolBarPictures;  // the seven tool-bar pictures, by image index

    // The View Style button's drop-down menu.
    QMenu* viewStyleMenu;
    QAction* viewStyleThumbnailItem;
    QAction* viewStyleListItem;
    QAction* viewStyleDetailItem;

    // The result list's context menu.
    QMenu* listContextMenu;
    QAction* contextSaveSelectedItem;
    QAction* contextSaveAllItem;
    QAction* deleteSelectedItem;
    QAction* contextClearAllItem;
    QAction* contextUndoItem;
    QAction* selectAllItem;
    QAction* copyIconItem;
    QAction* contextThumbnailViewItem;
    QAction* contextListViewItem;
    QAction* contextDetailViewItem;

    // Three shortcuts with no menu item of their own.
    QAction* clearShortcut;
    QAction* importShortcut;
    QAction* saveShortcut;

    ResultList* resultList;
    ImageList* rowPictures;
    std::vector<QLabel*> statusPanels;
    QTimer* tipsTimer;
    // Shown in the status bar while files are read in the background.
    QLabel* progressLabel;
    QToolButton* stopButton;
};

}  // namespace pellimar
