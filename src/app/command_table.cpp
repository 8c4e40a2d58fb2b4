#include "app/command_table.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include "core/accessible_names.h"
#include "core/desktop.h"

namespace pellimar {

namespace {

// Picture `index` of the tool bar: the desktop's icon theme when it has a fitting
// one, otherwise the program's own.
QIcon toolBarIcon(int index) {
    static const char* const themeNames[] = {"folder-open",    "document-open", "edit-clear",
                                             "help-contents",  "document-save", "application-exit",
                                             "view-list-icons"};
    QIcon own(QString(":/pellimar/toolbar/%1.png").arg(index));
    QString name = themeNames[index];
    if (QIcon::hasThemeIcon(name)) {
        QIcon themed = QIcon::fromTheme(name);
        if (!themed.availableSizes().isEmpty() || !themed.pixmap(32).isNull()) return themed;
    }
    return own;
}

// The commands that change or read the result list: held while work runs.
bool touchesList(Command command) {
    switch (command) {
        case Command::ClickImportButton:
        case Command::ImportFromFile:
        case Command::ScanFolder:
        case Command::SaveSelected:
        case Command::SaveAll:
        case Command::ClearAll:
        case Command::DeleteSelected:
        case Command::UndoRemoval:
        case Command::SelectAll:
        case Command::PreviewRow:
        case Command::SortByIcons:
        case Command::SortByLocation:
        case Command::SortByResource:
        case Command::SortByPath:
        case Command::SortAscending:
        case Command::SortDescending:
            return true;
        default:
            return false;
    }
}

}  // namespace

CommandTable::CommandTable(QMainWindow& window, const ResultList& list, Desktop& desktop)
    : window_(window), list_(list), desktop_(desktop) {
    buildMenus();
    buildContextMenus();
    showViewChecks(list.viewStyle());
    buildToolBar();
    clearShortcut = shortcut("clearShortcut", Qt::CTRL | Qt::Key_D, Command::ClearAll);
    importShortcut = shortcut("importShortcut", Qt::CTRL | Qt::Key_G, Command::ImportFromFile);
    saveShortcut = shortcut("saveShortcut", Qt::CTRL | Qt::Key_S, Command::SaveSelected);
    bind(Command::ClickImportButton, [this] { importButton->click(); });
    connect(viewMenu, &QMenu::aboutToShow, this, [this] { updateEnabled(); });
    updateEnabled();
    // Keys reach the list first; the menus and the shortcuts look at them there.
    qApp->installEventFilter(this);
}

CommandTable::~CommandTable() {
    qApp->removeEventFilter(this);
}

void CommandTable::bind(Command command, std::function<void()> handler) {
    handlers_[command] = std::move(handler);
}

void CommandTable::holdWhileBusy(std::function<bool()> busy, std::function<void()> stop) {
    busy_ = std::move(busy);
    stop_ = std::move(stop);
}

void CommandTable::run(Command command) {
    if (busy_ && busy_() && touchesList(command)) return;
    const auto found = handlers_.find(command);
    if (found == handlers_.end() || !found->second) return;
    // A copy: the handler may bind again.
    const std::function<void()> handler = found->second;
    guarded(desktop_, handler);
}

QAction* CommandTable::item(QMenu* menu, const char* name, const char* caption,
                            const QKeySequence& key, bool enabled, Command command) {
    QAction* a = menu->addAction(tr(caption));
    a->setObjectName(name);
    if (!key.isEmpty()) {
        a->setShortcut(key);
        // Shortcuts are looked up by routeKey(), not by Qt's own shortcut map.
        a->setShortcutContext(Qt::WidgetShortcut);
    }
    a->setEnabled(enabled);
    connect(a, &QAction::triggered, this, [this, command] { run(command); });
    return a;
}

QAction* CommandTable::shortcut(const char* name, const QKeySequence& key, Command command) {
    auto* a = new QAction(name, &window_);
    a->setObjectName(name);
    a->setShortcut(key);
    connect(a, &QAction::triggered, this, [this, command] { run(command); });
    return a;
}

void CommandTable::buildMenus() {
    using C = Command;
    QMenuBar* bar = window_.menuBar();
    bar->setObjectName("mainMenu");
    // The menus' padded texts are read without their spaces.
    installAccessibleNames();

    fileMenu = bar->addMenu(tr(" &File  "));
    fileMenu->setObjectName("fileMenu");
    connect(fileMenu, &QMenu::aboutToShow, this, [this] { enableFileMenuCommands(); });
    importFileItem = item(fileMenu, "importFileItem", QT_TR_NOOP("&Import from a File   "),
                          Qt::CTRL | Qt::Key_G, true, C::ClickImportButton);
    scanFolderItem =
        item(fileMenu, "scanFolderItem", QT_TR_NOOP("Sca&n a Folder"), {}, true, C::ScanFolder);
    fileMenu->addSeparator();
    saveSelectedItem = item(fileMenu, "saveSelectedItem", QT_TR_NOOP("&Save Selected"),
                            Qt::CTRL | Qt::Key_S, false, C::SaveSelected);
    saveAllItem = item(fileMenu, "saveAllItem", QT_TR_NOOP("Save &All"), {}, false, C::SaveAll);
    fileMenu->addSeparator();
    clearAllItem = item(fileMenu, "clearAllItem", QT_TR_NOOP("&Clear All"),
                        Qt::SHIFT | Qt::Key_Delete, false, C::ClearAll);
    undoItem = item(fileMenu, "undoItem", QT_TR_NOOP("&Undo"), Qt::CTRL | Qt::Key_Z, false,
                    C::UndoRemoval);
    fileMenu->addSeparator();
    exitItem = item(fileMenu, "exitItem", QT_TR_NOOP("E&xit"), Qt::ALT | Qt::Key_F4, true, C::Exit);

    viewMenu = bar->addMenu(tr(" &View  "));
    viewMenu->setObjectName("viewMenu");
    thumbnailViewItem = item(viewMenu, "thumbnailViewItem", QT_TR_NOOP("&Thumbnail View"), {}, true,
                             C::ThumbnailView);
    listViewItem = item(viewMenu, "listViewItem", QT_TR_NOOP("&List View"), {}, true, C::ListView);
    detailViewItem =
        item(viewMenu, "detailViewItem", QT_TR_NOOP("&Detail View"), {}, true, C::DetailView);
    viewMenu->addSeparator();
    showTipsItem = item(viewMenu, "showTipsItem", QT_TR_NOOP("&Show Tips"), {}, true, C::ShowTips);
    viewMenu->addSeparator();
    reportItem =
        item(viewMenu, "reportItem", QT_TR_NOOP("&Result Report"), {}, true, C::ShowReport);
    for (QAction* a : {thumbnailViewItem, listViewItem, detailViewItem}) a->setCheckable(true);
    // Sorting without the mouse: a column's key sorts by it, and again flips the
    // direction, as a click on its header does.
    viewMenu->addSeparator();
    sortMenu = viewMenu->addMenu(tr("S&ort By"));
    sortMenu->setObjectName("sortMenu");
    sortColumnItems.resize(ResultList::kColumns);
    sortColumnItems[ResultList::ColIcons] = item(sortMenu, "sortByIconsItem", QT_TR_NOOP("&Icons"),
                                                 Qt::CTRL | Qt::Key_1, false, C::SortByIcons);
    sortColumnItems[ResultList::ColLocation] =
        item(sortMenu, "sortByLocationItem", QT_TR_NOOP("&Location"), Qt::CTRL | Qt::Key_2, false,
             C::SortByLocation);
    sortColumnItems[ResultList::ColResource] =
        item(sortMenu, "sortByResourceItem", QT_TR_NOOP("&Resource"), Qt::CTRL | Qt::Key_3, false,
             C::SortByResource);
    sortColumnItems[ResultList::ColPath] = item(sortMenu, "sortByPathItem", QT_TR_NOOP("&Path"),
                                                Qt::CTRL | Qt::Key_4, false, C::SortByPath);
    sortMenu->addSeparator();
    sortAscendingItem =
        item(sortMenu, "sortAscendingItem", QT_TR_NOOP("&Ascending"), {}, false, C::SortAscending);
    sortDescendingItem = item(sortMenu, "sortDescendingItem", QT_TR_NOOP("&Descending"), {}, false,
                              C::SortDescending);
    for (QAction* a : sortColumnItems) a->setCheckable(true);
    for (QAction* a : {sortAscendingItem, sortDescendingItem}) a->setCheckable(true);

    optionsMenu = bar->addMenu(tr(" &Options "));
    optionsMenu->setObjectName("optionsMenu");
    importOptionsItem = item(optionsMenu, "importOptionsItem", QT_TR_NOOP("&Import Options"), {},
                             true, C::ShowImportOptions);
    optionsMenu->addSeparator();
    exportOptionsItem = item(optionsMenu, "exportOptionsItem", QT_TR_NOOP("&Export Options"), {},
                             true, C::ShowExportOptions);
    optionsMenu->addSeparator();
    searchSettingItem = item(optionsMenu, "searchSettingItem", QT_TR_NOOP("&Search setting"), {},
                             true, C::ShowSearchSettings);

    helpMenu = bar->addMenu(tr(" &Help   "));
    helpMenu->setObjectName("helpMenu");
    aboutItem =
        item(helpMenu, "aboutItem", QT_TR_NOOP("&About Pellimar..."), {}, true, C::ShowAbout);
    helpMenu->addSeparator();
    helpItem = item(helpMenu, "helpItem", QT_TR_NOOP("&Help"), Qt::Key_F1, true, C::ShowHelp);
}

void CommandTable::buildContextMenus() {
    using C = Command;
    listContextMenu = new QMenu(&window_);
    listContextMenu->setObjectName("listContextMenu");
    QMenu* m = listContextMenu;
    contextSaveSelectedItem = item(m, "contextSaveSelectedItem", QT_TR_NOOP("&Save Selected"),
                                   Qt::CTRL | Qt::Key_S, false, C::SaveSelected);
    contextSaveAllItem =
        item(m, "contextSaveAllItem", QT_TR_NOOP("Sa&ve All"), {}, false, C::SaveAll);
    m->addSeparator();
    deleteSelectedItem = item(m, "deleteSelectedItem", QT_TR_NOOP("&Delete Selected "),
                              Qt::Key_Delete, false, C::DeleteSelected);
    contextClearAllItem = item(m, "contextClearAllItem", QT_TR_NOOP("&Clear all"),
                               Qt::SHIFT | Qt::Key_Delete, false, C::ClearAll);
    contextUndoItem = item(m, "contextUndoItem", QT_TR_NOOP("&Undo"), Qt::CTRL | Qt::Key_Z, false,
                           C::UndoRemoval);
    m->addSeparator();
    selectAllItem = item(m, "selectAllItem", QT_TR_NOOP("Select &All"), Qt::CTRL | Qt::Key_A, false,
                         C::SelectAll);
    copyIconItem =
        item(m, "copyIconItem", QT_TR_NOOP("C&opy Icon"), Qt::CTRL | Qt::Key_C, false, C::CopyIcon);
    m->addSeparator();
    contextThumbnailViewItem = item(m, "contextThumbnailViewItem", QT_TR_NOOP("&Thumbnail View"),
                                    {}, true, C::ThumbnailView);
    contextListViewItem =
        item(m, "contextListViewItem", QT_TR_NOOP("&List View"), {}, true, C::ListView);
    contextDetailViewItem =
        item(m, "contextDetailViewItem", QT_TR_NOOP("D&etail View"), {}, true, C::DetailView);

    viewStyleMenu = new QMenu(&window_);
    viewStyleMenu->setObjectName("viewStyleMenu");
    m = viewStyleMenu;
    viewStyleThumbnailItem = item(m, "viewStyleThumbnailItem", QT_TR_NOOP("&Thumbnail View"), {},
                                  true, C::ThumbnailView);
    viewStyleListItem =
        item(m, "viewStyleListItem", QT_TR_NOOP("&List View"), {}, true, C::ListView);
    viewStyleDetailItem =
        item(m, "viewStyleDetailItem", QT_TR_NOOP("&Detail View"), {}, true, C::DetailView);
    for (QAction* a : {viewStyleThumbnailItem, viewStyleListItem, viewStyleDetailItem})
        a->setCheckable(true);
}

QToolButton* CommandTable::button(QToolBar* bar, const char* name, const char* hint, int image) {
    auto* b = new QToolButton(bar);
    b->setObjectName(name);
    b->setToolTip(tr(hint));
    b->setAccessibleName(tr(hint));
    b->setIcon(toolBarPictures[std::size_t(image)]);
    b->setIconSize(QSize(32, 32));
    b->setFixedSize(47, 38);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    b->setProperty("imageIndex", image);
    bar->addWidget(b);
    return b;
}

void CommandTable::buildToolBar() {
    QToolBar* bar = window_.addToolBar(tr("Tool bar"));
    bar->setObjectName("toolBar");
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(32, 32));
    bar->setFixedHeight(50);
    bar->toggleViewAction()->setEnabled(false);
    window_.setContextMenuPolicy(Qt::NoContextMenu);
    for (int i = 0; i < 7; ++i) toolBarPictures.push_back(toolBarIcon(i));

    importButton = button(bar, "importButton", QT_TR_NOOP("Grab icons from a File"), 1);
    scanButton = button(bar, "scanButton", QT_TR_NOOP("Scan icons from a folder"), 0);
    clearButton = button(bar, "clearButton", QT_TR_NOOP("Clear All"), 2);
    saveButton = button(bar, "saveButton", QT_TR_NOOP("Save Icon(s)"), 4);
    viewStyleButton = button(bar, "viewStyleButton", QT_TR_NOOP("View Style"), 6);
    viewStyleButton->setMenu(viewStyleMenu);
    viewStyleButton->setPopupMode(QToolButton::InstantPopup);
    helpButton = button(bar, "helpButton", QT_TR_NOOP("Help"), 3);
    exitButton = button(bar, "exitButton", QT_TR_NOOP("Exit"), 5);
    const std::pair<QToolButton*, Command> commands[] = {
        {importButton, Command::ImportFromFile}, {scanButton, Command::ScanFolder},
        {clearButton, Command::ClearAll},        {saveButton, Command::SaveSelected},
        {helpButton, Command::ShowHelp},         {exitButton, Command::Exit}};
    for (auto [b, command] : commands)
        connect(b, &QToolButton::clicked, this, [this, command = command] { run(command); });
}

void CommandTable::updateEnabled() {
    const bool busy = busy_ && busy_();
    const bool rows = !busy && list_.rowCount() > 0;
    const bool selected = rows && list_.selectedCount() > 0;
    for (QAction* a : {saveSelectedItem, contextSaveSelectedItem, deleteSelectedItem, copyIconItem,
                       saveShortcut})
        a->setEnabled(selected);
    saveButton->setEnabled(selected);
    // Save All saves every row, selected or not.
    for (QAction* a : {saveAllItem, contextSaveAllItem, clearAllItem, contextClearAllItem,
                       selectAllItem, clearShortcut, sortAscendingItem, sortDescendingItem})
        a->setEnabled(rows);
    for (QAction* a : sortColumnItems) a->setEnabled(rows);
    clearButton->setEnabled(rows);
    for (QToolButton* b : {importButton, scanButton}) b->setEnabled(!busy);
    for (QAction* a : {importFileItem, scanFolderItem, importShortcut}) a->setEnabled(!busy);
    for (QAction* a : {undoItem, contextUndoItem}) a->setEnabled(!busy && undoPossible_);
}

void CommandTable::holdForWork() {
    updateEnabled();
}

void CommandTable::releaseAfterWork() {
    updateEnabled();
}

void CommandTable::setUndoPossible(bool possible) {
    undoPossible_ = possible;
    updateEnabled();
}

void CommandTable::showViewChecks(ResultList::ViewStyle style) {
    using S = ResultList::ViewStyle;
    const std::pair<QAction*, S> marks[] = {
        {thumbnailViewItem, S::Thumbnail}, {listViewItem, S::List},
        {detailViewItem, S::Detail},       {viewStyleThumbnailItem, S::Thumbnail},
        {viewStyleListItem, S::List},      {viewStyleDetailItem, S::Detail}};
    for (auto [a, shows] : marks) a->setChecked(shows == style);
}

void CommandTable::showSortChecks(int column, bool ascending) {
    for (std::size_t c = 0; c < sortColumnItems.size(); ++c)
        sortColumnItems[c]->setChecked(int(c) == column);
    sortAscendingItem->setChecked(column >= 0 && ascending);
    sortDescendingItem->setChecked(column >= 0 && !ascending);
}

void CommandTable::showContextMenu(const QPoint& globalPos) {
    enableContextMenuCommands();
    listContextMenu->exec(globalPos);
}

bool CommandTable::routeKey(QKeyCombination key) {
    const QKeySequence wanted(key);
    auto find = [&](QMenu* menu) -> QAction* {
        for (QAction* a : menu->actions())
            if (!a->isSeparator() && a->shortcut() == wanted) return a;
        return nullptr;
    };
    // The list's context menu first; its on-popup enabling rule runs first.
    if (QAction* a = find(listContextMenu)) {
        enableContextMenuCommands();
        a->trigger();  // a disabled item takes the key and does nothing
        return true;
    }
    // Then the main menu.
    for (QMenu* menu : {fileMenu, viewMenu, sortMenu, optionsMenu, helpMenu}) {
        if (QAction* a = find(menu)) {
            updateEnabled();
            a->trigger();
            return true;
        }
    }
    for (QAction* a : {clearShortcut, importShortcut, saveShortcut}) {
        if (a->shortcut() == wanted) {
            updateEnabled();
            a->trigger();
            return true;
        }
    }
    return false;
}

bool CommandTable::knowsKey(const QKeySequence& key) const {
    for (QMenu* menu : {listContextMenu, fileMenu, viewMenu, sortMenu, optionsMenu, helpMenu})
        for (QAction* a : menu->actions())
            if (!a->isSeparator() && a->shortcut() == key) return true;
    for (QAction* a : {clearShortcut, importShortcut, saveShortcut})
        if (a->shortcut() == key) return true;
    return false;
}

bool CommandTable::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    // Keys typed into the window (menus and dialogs are windows of their own).
    if (!widget || widget->window() != &window_ || QApplication::activePopupWidget() ||
        QApplication::activeModalWidget())
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (busy_ && busy_() && key->key() == Qt::Key_Escape && key->modifiers() == 0) {
        if (type == QEvent::KeyPress && stop_) stop_();
        event->accept();
        return true;
    }
    // The keypad's Del is the same key as far as the shortcuts go.
    const QKeyCombination combo(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key()));
    if (!knowsKey(QKeySequence(combo))) return false;
    if (type == QEvent::ShortcutOverride) {
        // Keep Qt's shortcut map away; the key arrives as a key press instead.
        event->accept();
        return true;
    }
    routeKey(combo);
    return true;
}

}  // namespace pellimar
