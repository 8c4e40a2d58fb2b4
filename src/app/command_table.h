// The main window's commands: its menus, tool bar, the result list's context menu,
// the View Style drop-down and three shortcuts with no menu item of their own;
// their captions, access keys and shortcuts; the rules that enable them; and the
// keys typed into the window, looked up among them. What each command does is
// bound to it by the window.
#pragma once

#include <QIcon>
#include <QKeyCombination>
#include <QObject>
#include <functional>
#include <map>
#include <vector>

#include "app/result_list.h"

class QAction;
class QMainWindow;
class QMenu;
class QPoint;
class QToolBar;
class QToolButton;

namespace pellimar {

class Desktop;

enum class Command {
    ClickImportButton,
    ImportFromFile,
    ScanFolder,
    SaveSelected,
    SaveAll,
    ClearAll,
    DeleteSelected,
    UndoRemoval,
    SelectAll,
    CopyIcon,
    PreviewRow,
    ThumbnailView,
    ListView,
    DetailView,
    ShowTips,
    ShowReport,
    ShowImportOptions,
    ShowExportOptions,
    ShowSearchSettings,
    ShowAbout,
    ShowHelp,
    Exit,
    SortByIcons,
    SortByLocation,
    SortByResource,
    SortByPath,
    SortAscending,
    SortDescending,
};

class CommandTable : public QObject {
    Q_OBJECT
  public:
    // Builds every command into `window` (its menu bar and a tool bar) and reads the
    // keys typed into it. The enabling rules look at `list`.
    CommandTable(QMainWindow& window, const ResultList& list, Desktop& desktop);
    ~CommandTable() override;

    // What `command` does, whichever of its items, buttons or keys runs it.
    void bind(Command command, std::function<void()> handler);
    // While `busy()` says so, the commands that change or read the list do nothing
    // (they are not run later either), and Esc calls `stop()`.
    void holdWhileBusy(std::function<bool()> busy, std::function<void()> stop);
    // Runs `command` unless it is held; an error that escapes it goes to the error box.
    void run(Command command);

    // --- the enabling rules ---
    // Each command that works on the list is enabled when it can do something:
    // those of the selected rows when a row is selected, the others when the list
    // holds rows, Undo when there is something to bring back; while background
    // work runs every command that starts work or changes the list is off. The
    // window calls this whenever the list or its selection changes; opening a
    // menu and a key routed to a command apply it first as well.
    void updateEnabled();
    void enableFileMenuCommands() { updateEnabled(); }
    void enableContextMenuCommands() { updateEnabled(); }
    void holdForWork();
    void releaseAfterWork();
    void setUndoPossible(bool possible);
    // Ticks `style` in the View menu and the View Style drop-down.
    void showViewChecks(ResultList::ViewStyle style);
    // Ticks the sort column and direction in the View menu's Sort By submenu;
    // `column` < 0: the list is not sorted.
    void showSortChecks(int column, bool ascending);

    // The list's context menu at `globalPos`.
    void showContextMenu(const QPoint& globalPos);

    // Looks a key up in the context menu, the main menu and the three shortcuts, in
    // that order, and runs what it finds. True when one of them took the key.
    bool routeKey(QKeyCombination key);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QAction* item(QMenu* menu, const char* name, const char* caption, const QKeySequence& key,
                  bool enabled, Command command);
    QAction* shortcut(const char* name, const QKeySequence& key, Command command);
    QToolButton* button(QToolBar* bar, const char* name, const char* hint, int image);
    void buildMenus();
    void buildContextMenus();
    void buildToolBar();
    // True when some command answers to `key`.
    bool knowsKey(const QKeySequence& key) const;

    QMainWindow& window_;
    const ResultList& list_;
    Desktop& desktop_;
    std::map<Command, std::function<void()>> handlers_;
    std::function<bool()> busy_;
    std::function<void()> stop_;
    bool undoPossible_ = false;

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
    QMenu* sortMenu;
    std::vector<QAction*> sortColumnItems;  // by ResultList::Column
    QAction* sortAscendingItem;
    QAction* sortDescendingItem;
    QMenu* optionsMenu;
    QAction* importOptionsItem;
    QAction* exportOptionsItem;
    QAction* searchSettingItem;
    QMenu* helpMenu;
    QAction* aboutItem;
    QAction* helpItem;

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
};

}  // namespace pellimar
