// The main window: menus, tool bar, context menu, shortcuts, status bar and the
// result list. Every command of the program is reached from here; the commands
// themselves live in their subsystems and are handed what they need.
#pragma once

#include <QKeyCombination>
#include <QMainWindow>
#include <QString>
#include <filesystem>
#include <functional>
#include <vector>

#include "acquire/icon_extractor.h"
#include "app/result_list.h"
#include "core/desktop.h"
#include "core/result_list_access.h"
#include "core/settings.h"
#include "platform/icon.h"

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

class MainWindow : public QMainWindow, public ResultListAccess {
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
    // How the import and the scan read icons (tests hand in stand-ins).
    void setIconReaders(IconLoader load, IconCounter count) {
        iconLoader_ = std::move(load);
        iconCounter_ = std::move(count);
    }
    // The export options and report dialogs of the save command.
    void setExportOptionsDialog(ExportOptionsDialog* dialog) { exportOptionsDialog_ = dialog; }
    void setReportDialog(ReportDialog* dialog) { reportDialog_ = dialog; }

    // --- the result list as the import, scan, save and preview commands see it ---
    void addRow(const Icon& icon, const std::filesystem::path& source, int iconPosition) override;
    void addPreparedRows(std::vector<PreparedRow>& rows) override;
    // While files are read in the background: the commands that change or read the
    // list are held, the Stop button and Esc end the work, and closing the window
    // asks, stops and closes.
    void beginBackgroundWork(std::function<void()> stop) override;
    void showProgress(const WorkProgress& progress) override;
    void endBackgroundWork() override;
    bool backgroundWorkRunning() const { return bool(stopWork_); }
    // Asks the running background work to end; the rows found so far stay.
    void stopBackgroundWork();
    std::vector<ResultRowInfo> rows() const override;
    int rowCount() const override;
    int selectedCount() const override;
    void showStatus(int panel, const std::string& text) override;
    void processPendingEvents() override;
    // Clear All: empties the list, puts "Icons: 0" and "Selected: 0" in the status
    // bar and disables the list's eight commands again.
    void clearAll() override;

    // Status bar panels 0..6.
    void setStatusText(int panel, const QString& text);
    QString statusText(int panel) const;

    // Icons taken by the last folder scan, the one that passed the maximum included.
    int scanIconCount = 0;

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
    void importFromFile();
    void scanFolder();
    void saveSelected();
    void saveAll();
    void deleteSelected();
    void selectAll();
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
    // window): each file imported as Import from a File does (an icon file opens
    // the icon viewer), each folder scanned with the saved import options without
    // asking. The list is cleared once first when the import options say so.
    void openPaths(const std::vector<std::filesystem::path>& paths);
    // The selected row's icon (the first selected) to the clipboard as a PNG file,
    // PNG bytes and an image.
    void copyIcon();
    // What a drag of the given rows carries (the caller owns it); nothing when no
    // icon of them can be read.
    QMimeData* rowDragData(const std::vector<int>& rows) const;

    // --- controls ---
    QMenu* fileMenu;
    QAction* importFileItem;
    QAction* scanFolderItem;
    QAction* saveSelectedItem;
    QAction* saveAllItem;
    QAction* clearAllItem;
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

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
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

    Desktop& desktop_;
    AppSettings settings_;
    ImportOptionsDialog* importOptionsDialog_ = nullptr;
    TipsDialog* tipsDialog_ = nullptr;
    AboutDialog* aboutDialog_ = nullptr;
    ExportOptionsDialog* exportOptionsDialog_ = nullptr;
    ReportDialog* reportDialog_ = nullptr;
    std::filesystem::path lastSaveName_;  // the Save dialog keeps its last file name
    bool shownOnce_ = false;
    IconLoader iconLoader_ = loadFileIcon;
    IconCounter iconCounter_ = countFileIcons;
    std::function<void()> stopWork_;  // set while background work runs
    bool workStopped_ = false;        // Stop was asked during the last background work
    bool closeWhenIdle_ = false;      // the user chose to quit during background work
    bool closeConfirmed_ = false;
};

}  // namespace pellimar
