#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QShowEvent>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "acquire/import_command.h"
#include "acquire/import_options_dialog.h"
#include "acquire/scan_command.h"
#include "acquire/search_settings_dialog.h"
#include "app/row_pictures.h"
#include "core/folder_walk.h"
#include "core/icon_image.h"
#include "core/paths.h"
#include "core/resources.h"
#include "core/row_icons.h"
#include "core/window_placement.h"
#include "dialogs/about_dialog.h"
#include "dialogs/tips_dialog.h"
#include "export/export_options_dialog.h"
#include "export/report_dialog.h"
#include "export/save_command.h"
#include "export/save_job.h"
#include "viewer/icon_viewer.h"
#include "viewer/row_preview.h"

namespace pellimar {
namespace fs = std::filesystem;

namespace {

constexpr int kPanelCount = 7;
constexpr int kPanelWidths[kPanelCount] = {10, 100, 10, 120, 10, 120, 50};

const char* const kCloseQuestion =
    QT_TRANSLATE_NOOP("Messages", "You have opened some icon files,\r\n   are you sure to quit?");

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

}  // namespace

MainWindow::MainWindow(Desktop& desktop, QWidget* parent) : QMainWindow(parent), desktop_(desktop) {
    initResources();
    setObjectName("mainWindow");
    setWindowTitle(tr("Pellimar"));
    setWindowIcon(QIcon(":/pellimar/pellimar.png"));
    resize(825, 514);

    resultList = new ResultList(this);
    resultList->setObjectName("resultList");
    rowPictures = &resultList->images();
    setCentralWidget(resultList);

    buildMenus();
    buildContextMenus();
    // The View menu and the view style drop-down tick the view in use from the start.
    switch (resultList->viewStyle()) {
        case ResultList::ViewStyle::Thumbnail:
            setViewChecks(thumbnailViewItem, viewStyleThumbnailItem);
            break;
        case ResultList::ViewStyle::List:
            setViewChecks(listViewItem, viewStyleListItem);
            break;
        case ResultList::ViewStyle::Detail:
            setViewChecks(detailViewItem, viewStyleDetailItem);
            break;
    }
    buildToolBar();
    buildStatusBar();

    // Three shortcuts with no menu item of their own.
    clearShortcut = new QAction("clearShortcut", this);
    clearShortcut->setObjectName("clearShortcut");
    clearShortcut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    connect(clearShortcut, &QAction::triggered, this,
            [this] { runCommand(&MainWindow::clearAll); });
    importShortcut = new QAction("importShortcut", this);
    importShortcut->setObjectName("importShortcut");
    importShortcut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    connect(importShortcut, &QAction::triggered, this,
            [this] { runCommand(&MainWindow::importFromFile); });
    saveShortcut = new QAction("saveShortcut", this);
    saveShortcut->setObjectName("saveShortcut");
    saveShortcut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(saveShortcut, &QAction::triggered, this,
            [this] { runCommand(&MainWindow::saveSelected); });

    tipsTimer = new QTimer(this);
    tipsTimer->setObjectName("tipsTimer");
    tipsTimer->setInterval(500);
    connect(tipsTimer, &QTimer::timeout, this, [this] { run([&] { showTipsAtStartUp(); }); });

    connect(resultList, &ResultList::selectionCountChanged, this, [this] { showSelectedCount(); });
    connect(resultList, &ResultList::undoChanged, this, [this](bool possible) {
        for (QAction* a : {undoItem, contextUndoItem}) a->setEnabled(possible);
    });
    connect(resultList, &ResultList::clicked, this, [this] { showSelectedCount(); });
    connect(resultList, &ResultList::doubleClicked, this,
            [this] { runCommand(&MainWindow::previewRow); });
    connect(resultList, &ResultList::columnClicked, this, [this](int c) {
        if (!backgroundWorkRunning()) run([&] { sortByColumn(c); });
    });
    resultList->setDragDataProvider([this](const std::vector<int>& rows) {
        QMimeData* data = nullptr;
        run([&] { data = rowDragData(rows); });
        return data;
    });
    setAcceptDrops(true);
    connect(resultList, &ResultList::contextMenuRequested, this, [this](const QPoint& at) {
        enableContextMenuCommands();
        listContextMenu->exec(at);
    });

    // Keys reach the list first; the menus and the action list look at them there.
    qApp->installEventFilter(this);
    resultList->setFocus();
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
    // Work still running stops here; its rows have nowhere to go.
    if (job_) job_->disconnect(this);
    if (saveJob_) saveJob_->disconnect(this);
}

QAction* MainWindow::addMenuItem(QMenu* menu, const char* name, const char* caption,
                                 QKeySequence key, bool enabled, void (MainWindow::*handler)()) {
    QAction* a = menu->addAction(tr(caption));
    a->setObjectName(name);
    if (!key.isEmpty()) {
        a->setShortcut(key);
        // Shortcuts are looked up by routeKey(), not by Qt's own shortcut map.
        a->setShortcutContext(Qt::WidgetShortcut);
    }
    a->setEnabled(enabled);
    connect(a, &QAction::triggered, this, [this, handler] { runCommand(handler); });
    return a;
}

void MainWindow::buildMenus() {
    auto item = [this](QMenu* menu, const char* name, const char* caption, QKeySequence key,
                       bool enabled, void (MainWindow::*handler)()) {
        return addMenuItem(menu, name, caption, key, enabled, handler);
    };
    QMenuBar* bar = menuBar();
    bar->setObjectName("mainMenu");

    fileMenu = bar->addMenu(tr(" &File  "));
    fileMenu->setObjectName("fileMenu");
    connect(fileMenu, &QMenu::aboutToShow, this, [this] { enableFileMenuCommands(); });
    importFileItem = item(fileMenu, "importFileItem", QT_TR_NOOP("&Import from a File   "),
                          QKeySequence(Qt::CTRL | Qt::Key_G), true, &MainWindow::clickImportButton);
    scanFolderItem = item(fileMenu, "scanFolderItem", QT_TR_NOOP("Sca&n a Folder"), {}, true,
                          &MainWindow::scanFolder);
    fileMenu->addSeparator();
    saveSelectedItem = item(fileMenu, "saveSelectedItem", QT_TR_NOOP("&Save Selected"),
                            QKeySequence(Qt::CTRL | Qt::Key_S), false, &MainWindow::saveSelected);
    saveAllItem =
        item(fileMenu, "saveAllItem", QT_TR_NOOP("Save &All"), {}, false, &MainWindow::saveAll);
    fileMenu->addSeparator();
    clearAllItem = item(fileMenu, "clearAllItem", QT_TR_NOOP("&Clear All"),
                        QKeySequence(Qt::SHIFT | Qt::Key_Delete), false, &MainWindow::clearAll);
    undoItem = item(fileMenu, "undoItem", QT_TR_NOOP("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z),
                    false, &MainWindow::undoRemoval);
    fileMenu->addSeparator();
    exitItem = item(fileMenu, "exitItem", QT_TR_NOOP("E&xit"), QKeySequence(Qt::ALT | Qt::Key_F4),
                    true, &MainWindow::exitProgram);

    viewMenu = bar->addMenu(tr(" &View  "));
    viewMenu->setObjectName("viewMenu");
    thumbnailViewItem = item(viewMenu, "thumbnailViewItem", QT_TR_NOOP("&Thumbnail View"), {}, true,
                             &MainWindow::showThumbnailView);
    listViewItem = item(viewMenu, "listViewItem", QT_TR_NOOP("&List View"), {}, true,
                        &MainWindow::showListView);
    detailViewItem = item(viewMenu, "detailViewItem", QT_TR_NOOP("&Detail View"), {}, true,
                          &MainWindow::showDetailView);
    viewMenu->addSeparator();
    showTipsItem =
        item(viewMenu, "showTipsItem", QT_TR_NOOP("&Show Tips"), {}, true, &MainWindow::showTips);
    viewMenu->addSeparator();
    reportItem = item(viewMenu, "reportItem", QT_TR_NOOP("&Result Report"), {}, true,
                      &MainWindow::showReport);
    for (QAction* a : {thumbnailViewItem, listViewItem, detailViewItem}) a->setCheckable(true);

    optionsMenu = bar->addMenu(tr(" &Options "));
    optionsMenu->setObjectName("optionsMenu");
    importOptionsItem = item(optionsMenu, "importOptionsItem", QT_TR_NOOP("&Import Options"), {},
                             true, &MainWindow::showImportOptions);
    optionsMenu->addSeparator();
    exportOptionsItem = item(optionsMenu, "exportOptionsItem", QT_TR_NOOP("&Export Options"), {},
                             true, &MainWindow::showExportOptions);
    optionsMenu->addSeparator();
    searchSettingItem = item(optionsMenu, "searchSettingItem", QT_TR_NOOP("&Search setting"), {},
                             true, &MainWindow::showSearchSettings);

    helpMenu = bar->addMenu(tr(" &Help   "));
    helpMenu->setObjectName("helpMenu");
    aboutItem = item(helpMenu, "aboutItem", QT_TR_NOOP("&About Pellimar..."), {}, true,
                     &MainWindow::showAbout);
    helpMenu->addSeparator();
    helpItem = item(helpMenu, "helpItem", QT_TR_NOOP("&Help"), QKeySequence(Qt::Key_F1), true,
                    &MainWindow::showHelp);
}

void MainWindow::buildContextMenus() {
    auto item = [this](QMenu* menu, const char* name, const char* caption, QKeySequence key,
                       bool enabled, void (MainWindow::*handler)()) {
        return addMenuItem(menu, name, caption, key, enabled, handler);
    };
    listContextMenu = new QMenu(this);
    listContextMenu->setObjectName("listContextMenu");
    contextSaveSelectedItem =
        item(listContextMenu, "contextSaveSelectedItem", QT_TR_NOOP("&Save Selected"),
             QKeySequence(Qt::CTRL | Qt::Key_S), false, &MainWindow::saveSelected);
    contextSaveAllItem = item(listContextMenu, "contextSaveAllItem", QT_TR_NOOP("Sa&ve All"), {},
                              false, &MainWindow::saveAll);
    listContextMenu->addSeparator();
    deleteSelectedItem =
        item(listContextMenu, "deleteSelectedItem", QT_TR_NOOP("&Delete Selected "),
             QKeySequence(Qt::Key_Delete), false, &MainWindow::deleteSelected);
    contextClearAllItem =
        item(listContextMenu, "contextClearAllItem", QT_TR_NOOP("&Clear all"),
             QKeySequence(Qt::SHIFT | Qt::Key_Delete), false, &MainWindow::clearAll);
    contextUndoItem = item(listContextMenu, "contextUndoItem", QT_TR_NOOP("&Undo"),
                           QKeySequence(Qt::CTRL | Qt::Key_Z), false, &MainWindow::undoRemoval);
    listContextMenu->addSeparator();
    selectAllItem = item(listContextMenu, "selectAllItem", QT_TR_NOOP("Select &All"),
                         QKeySequence(Qt::CTRL | Qt::Key_A), false, &MainWindow::selectAll);
    copyIconItem = item(listContextMenu, "copyIconItem", QT_TR_NOOP("C&opy Icon"),
                        QKeySequence(Qt::CTRL | Qt::Key_C), false, &MainWindow::copyIcon);
    listContextMenu->addSeparator();
    contextThumbnailViewItem =
        item(listContextMenu, "contextThumbnailViewItem", QT_TR_NOOP("&Thumbnail View"), {}, true,
             &MainWindow::showThumbnailView);
    contextListViewItem = item(listContextMenu, "contextListViewItem", QT_TR_NOOP("&List View"), {},
                               true, &MainWindow::showListView);
    contextDetailViewItem = item(listContextMenu, "contextDetailViewItem",
                                 QT_TR_NOOP("D&etail View"), {}, true, &MainWindow::showDetailView);

    viewStyleMenu = new QMenu(this);
    viewStyleMenu->setObjectName("viewStyleMenu");
    viewStyleThumbnailItem =
        item(viewStyleMenu, "viewStyleThumbnailItem", QT_TR_NOOP("&Thumbnail View"), {}, true,
             &MainWindow::showThumbnailView);
    viewStyleListItem = item(viewStyleMenu, "viewStyleListItem", QT_TR_NOOP("&List View"), {}, true,
                             &MainWindow::showListView);
    viewStyleDetailItem = item(viewStyleMenu, "viewStyleDetailItem", QT_TR_NOOP("&Detail View"), {},
                               true, &MainWindow::showDetailView);
    for (QAction* a : {viewStyleThumbnailItem, viewStyleListItem, viewStyleDetailItem})
        a->setCheckable(true);
}

void MainWindow::buildToolBar() {
    toolBar = addToolBar("toolBar");
    toolBar->setObjectName("toolBar");
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->setIconSize(QSize(32, 32));
    toolBar->setFixedHeight(50);
    toolBar->toggleViewAction()->setEnabled(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    for (int i = 0; i < 7; ++i) toolBarPictures.push_back(toolBarIcon(i));

    auto button = [this](const char* name, const char* hint, int image,
                         void (MainWindow::*handler)()) {
        auto* b = new QToolButton(toolBar);
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
        if (handler)
            connect(b, &QToolButton::clicked, this, [this, handler] { runCommand(handler); });
        toolBar->addWidget(b);
        return b;
    };
    importButton = button("importButton", QT_TR_NOOP("Grab icons from a File"), 1,
                          &MainWindow::importFromFile);
    scanButton =
        button("scanButton", QT_TR_NOOP("Scan icons from a folder"), 0, &MainWindow::scanFolder);
    clearButton = button("clearButton", QT_TR_NOOP("Clear All"), 2, &MainWindow::clearAll);
    saveButton = button("saveButton", QT_TR_NOOP("Save Icon(s)"), 4, &MainWindow::saveSelected);
    viewStyleButton = button("viewStyleButton", QT_TR_NOOP("View Style"), 6, nullptr);
    viewStyleButton->setMenu(viewStyleMenu);
    viewStyleButton->setPopupMode(QToolButton::InstantPopup);
    helpButton = button("helpButton", QT_TR_NOOP("Help"), 3, &MainWindow::showHelp);
    exitButton = button("exitButton", QT_TR_NOOP("Exit"), 5, &MainWindow::exitProgram);
}

void MainWindow::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("statusBar");
    // The design sizes at the default font, grown with a larger one.
    const double growth = fontGrowth(font());
    bar->setFixedHeight(std::max(19 + 4, fontMetrics().height() + 8));
    bar->setAccessibleName(tr("Status"));
    const char* texts[kPanelCount] = {"", QT_TR_NOOP("Idle ..."),    "", QT_TR_NOOP("Icons: 0"),
                                      "", QT_TR_NOOP("Selected: 0"), ""};
    for (int i = 0; i < kPanelCount; ++i) {
        auto* panel = new QLabel(*texts[i] ? tr(texts[i]) : QString());
        panel->setObjectName(QString("statusPanel%1").arg(i));
        panel->setFixedWidth(qRound(kPanelWidths[i] * growth));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setAlignment(i == 1 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        bar->addWidget(panel);
        statusPanels.push_back(panel);
    }
    progressLabel = new QLabel;
    progressLabel->setObjectName("progressLabel");
    progressLabel->hide();
    bar->addWidget(progressLabel, 1);
    stopButton = new QToolButton;
    stopButton->setObjectName("stopButton");
    stopButton->setText(tr("Stop"));
    stopButton->setToolTip(tr("Stop reading files (Esc); the icons found so far stay"));
    stopButton->setAutoRaise(true);
    stopButton->hide();
    connect(stopButton, &QToolButton::clicked, this, [this] { stopBackgroundWork(); });
    bar->addPermanentWidget(stopButton);
}

bool MainWindow::touchesList(void (MainWindow::*handler)()) {
    for (auto h : {&MainWindow::clickImportButton, &MainWindow::importFromFile,
                   &MainWindow::scanFolder, &MainWindow::saveSelected, &MainWindow::saveAll,
                   &MainWindow::clearAll, &MainWindow::deleteSelected, &MainWindow::undoRemoval,
                   &MainWindow::selectAll, &MainWindow::previewRow})
        if (h == handler) return true;
    return false;
}

void MainWindow::runCommand(void (MainWindow::*handler)()) {
    if (backgroundWorkRunning() && touchesList(handler)) return;
    run([&] { (this->*handler)(); });
}

void MainWindow::startWork(std::unique_ptr<RowJob> job, WorkKind kind) {
    job_ = std::move(job);
    jobKind_ = kind;
    workStopped_ = false;
    connect(job_.get(), &RowJob::cleared, this, [this] { clearAll(); });
    connect(job_.get(), &RowJob::rowsArrived, this, [this](const std::vector<PreparedRow>& rows) {
        std::vector<PreparedRow> batch = rows;
        resultList->addRows(batch);
        // The count follows the rows as they come, not only when the work ends.
        showIconCount(rowCount());
    });
    connect(job_.get(), &RowJob::progressed, this,
            [this](const WorkProgress& progress) { showProgress(progress); });
    // The job is done with once its signal has returned.
    connect(
        job_.get(), &RowJob::finished, this, [this] { workEnded(); }, Qt::QueuedConnection);

    showSearching();
    holdForWork(tr("Stop reading files (Esc); the icons found so far stay"));
    job_->start();
}

void MainWindow::holdForWork(const QString& stopTip) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{importButton, scanButton, clearButton, saveButton})
        w->setEnabled(false);
    for (QAction* a : {importFileItem, scanFolderItem}) a->setEnabled(false);
    disableListCommands();
    progressLabel->setText(QString());
    progressLabel->show();
    stopButton->setToolTip(stopTip);
    stopButton->setEnabled(true);
    stopButton->show();
}

void MainWindow::releaseAfterWork() {
    progressLabel->hide();
    stopButton->hide();
    for (QWidget* w :
         std::initializer_list<QWidget*>{importButton, scanButton, clearButton, saveButton})
        w->setEnabled(true);
    for (QAction* a : {importFileItem, scanFolderItem}) a->setEnabled(true);
    showIdle();
}

void MainWindow::showProgress(const WorkProgress& progress) {
    QString text;
    if (progress.filesToRead == 0)
        text = tr("Looking at files: %1").arg(progress.filesLookedAt);
    else
        text = tr("Files read: %1 of %2, icons found: %3")
                   .arg(progress.filesRead)
                   .arg(progress.filesToRead)
                   .arg(progress.iconsFound);
    progressLabel->setText(text);
}

void MainWindow::noteWorkOutcome(const ScanOutcome& outcome, WorkKind kind) {
    auto name = [](const fs::path& file) { return QFile::decodeName(file.filename().c_str()); };
    auto why = [](const Failure& failure) { return QString::fromStdString(failure.message()); };
    QStringList notes;
    if (kind == WorkKind::Import && outcome.rowsAdded == 0) {
        if (!outcome.unreadableFiles.empty())
            notes << tr("no icons in %1: %2")
                         .arg(name(outcome.unreadableFiles[0].file))
                         .arg(why(outcome.unreadableFiles[0].why));
        else if (!outcome.skippedIcons.empty())
            notes << tr("no icons in %1: %2")
                         .arg(name(outcome.skippedIcons[0].file))
                         .arg(why(outcome.skippedIcons[0].why));
        else if (!outcome.interrupted)
            notes << tr("no icons in %1: it holds none").arg(name(importedFile_));
    } else {
        if (kind == WorkKind::Scan && outcome.rowsAdded == 0 && !outcome.interrupted)
            notes << tr("no icons found in the folder");
        if (!outcome.unreadableFiles.empty())
            notes << tr("%1 files gave no icons (first: %2: %3)")
                         .arg(outcome.unreadableFiles.size())
                         .arg(name(outcome.unreadableFiles[0].file))
                         .arg(why(outcome.unreadableFiles[0].why));
        if (!outcome.skippedIcons.empty())
            // The reason names the icon (or the image of an icon file) itself.
            notes << tr("%1 icons could not be read (first: %2: %3)")
                         .arg(outcome.skippedIcons.size())
                         .arg(name(outcome.skippedIcons[0].file))
                         .arg(why(outcome.skippedIcons[0].why));
        if (outcome.stopped)
            notes << tr("the scan ended at its maximum of %1 icons (Import Options)")
                         .arg(settings_.max_units);
        if (!outcome.skippedFolders.empty())
            notes << tr("%1 folders were not looked in (first: %2: %3)")
                         .arg(outcome.skippedFolders.size())
                         .arg(QFile::decodeName(outcome.skippedFolders[0].path.c_str()))
                         .arg(QString::fromStdString(
                             skippedFolderReason(outcome.skippedFolders[0])));
    }
    if (outcome.interrupted) notes << tr("stopped; the icons found so far stay");
    workNotes_ << notes;
    if (workNotes_.isEmpty()) return;
    progressLabel->setText(workNotes_.join("; "));
    progressLabel->setToolTip(workNotes_.join('\n'));
    progressLabel->show();
}

void MainWindow::stopBackgroundWork() {
    if (!job_ && !saveJob_) return;
    workStopped_ = true;
    pendingPaths_.clear();
    if (job_) job_->requestStop();
    if (saveJob_) saveJob_->requestStop();
    stopButton->setEnabled(false);
    progressLabel->setText(tr("Stopping ..."));
}

void MainWindow::workEnded() {
    if (!job_ || job_->running()) return;
    const std::unique_ptr<RowJob> job = std::move(job_);
    releaseAfterWork();
    if (jobKind_ == WorkKind::Scan) {
        scanIconCount_ = job->outcome().iconsTaken;
        showIconCount(rowCount());
    } else {
        showImportedIconCount(rowCount());
    }
    noteWorkOutcome(job->outcome(), jobKind_);
    if (job->error()) desktop_.errorBox(*job->error());
    emit backgroundWorkEnded();
    if (closeWhenIdle_) {
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return;
    }
    if (!pendingPaths_.empty())
        QMetaObject::invokeMethod(
            this, [this] { run([&] { openNextPath(); }); }, Qt::QueuedConnection);
}

std::vector<ResultRowInfo> MainWindow::rows() const {
    return resultList->rows();
}

int MainWindow::rowCount() const {
    return resultList->rowCount();
}

int MainWindow::selectedCount() const {
    return resultList->selectedCount();
}

void MainWindow::setStatusText(int panel, const QString& text) {
    if (panel < 0 || panel >= kPanelCount) return;
    statusPanels[std::size_t(panel)]->setText(text);
}

QString MainWindow::statusText(int panel) const {
    if (panel < 0 || panel >= kPanelCount) return {};
    return statusPanels[std::size_t(panel)]->text();
}

void MainWindow::showSearching() {
    setStatusText(1, tr("Searching ..."));
}

void MainWindow::showIdle() {
    setStatusText(1, tr("Idle ..."));
}

void MainWindow::showIconCount(int count) {
    setStatusText(3, tr("Icons: %1").arg(count));
}

void MainWindow::showImportedIconCount(int count) {
    showIconCount(count);
}

bool MainWindow::routeKey(QKeyCombination key) {
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
    // Then the main menu, whose File menu applies its own enabling rule.
    for (QMenu* menu : {fileMenu, viewMenu, optionsMenu, helpMenu}) {
        if (QAction* a = find(menu)) {
            if (menu == fileMenu) enableFileMenuCommands();
            a->trigger();
            return true;
        }
    }
    for (QAction* a : {clearShortcut, importShortcut, saveShortcut}) {
        if (a->shortcut() == wanted) {
            a->trigger();
            return true;
        }
    }
    return false;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    // Keys typed into this window (menus and dialogs are windows of their own).
    if (!widget || widget->window() != this || QApplication::activePopupWidget() ||
        QApplication::activeModalWidget())
        return QMainWindow::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (backgroundWorkRunning() && key->key() == Qt::Key_Escape && key->modifiers() == 0) {
        if (type == QEvent::KeyPress) stopBackgroundWork();
        event->accept();
        return true;
    }
    // The keypad's Del is the same key as far as the shortcuts go.
    const QKeyCombination combo(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key()));
    const QKeySequence wanted(combo);
    bool known = false;
    for (QMenu* menu : {listContextMenu, fileMenu, viewMenu, optionsMenu, helpMenu})
        for (QAction* a : menu->actions())
            if (!a->isSeparator() && a->shortcut() == wanted) known = true;
    for (QAction* a : {clearShortcut, importShortcut, saveShortcut})
        if (a->shortcut() == wanted) known = true;
    if (!known) return QMainWindow::eventFilter(watched, event);
    if (type == QEvent::ShortcutOverride) {
        // Keep Qt's shortcut map away; the key arrives as a key press instead.
        event->accept();
        return true;
    }
    routeKey(combo);
    return true;
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shownOnce_ && !event->spontaneous()) {
        shownOnce_ = true;
        run([&] { startUp(); });
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (backgroundWorkRunning()) {
        // The work ends first; the window closes when it has.
        event->ignore();
        if (closeWhenIdle_) {
            stopBackgroundWork();  // work that began after the answer ends too
            return;
        }
        run([&] {
            const std::string question =
                saveJob_ ? tr("Files are still being saved.\nStop and quit?").toStdString()
                         : "Files are still being read.\r\nStop and quit?";
            if (desktop_.message(question, "Notice", Buttons::OkCancel) != Answer::Ok) return;
            closeWhenIdle_ = closeConfirmed_ = true;
            stopBackgroundWork();
        });
        return;
    }
    bool close = true;
    if (!closeConfirmed_) run([&] { close = confirmClose(); });
    if (close)
        event->accept();
    else
        event->ignore();
}

void MainWindow::startUp() {
    shownOnce_ = true;
    // Row pictures, made off this thread, are drawn for this window's screen.
    setRowPictureRatio(devicePixelRatioF());
    resultList->resetSortDirections();
    loadSettings(settings_);
    loadSearchOptions(settings_);
    if (settings_.show)
        tipsTimer->start();
    else
        tipsTimer->stop();
}

bool MainWindow::confirmClose() {
    if (resultList->rowCount() == 0) return true;
    return desktop_.message(kCloseQuestion, "Notice", Buttons::OkCancel) == Answer::Ok;
}

void MainWindow::showTipsAtStartUp() {
    tipsTimer->stop();
    showTips();
}

void MainWindow::enableFileMenuCommands() {
    if (resultList->selectedCount() > 0) {
        saveSelectedItem->setEnabled(true);
        selectAllItem->setEnabled(true);
    }
    // Save All saves every row, selected or not.
    if (resultList->rowCount() > 0) {
        saveAllItem->setEnabled(true);
        clearAllItem->setEnabled(true);
    }
}

void MainWindow::enableContextMenuCommands() {
    if (resultList->selectedCount() > 0) {
        for (QAction* a : {contextSaveSelectedItem, contextSaveAllItem, contextClearAllItem,
                           selectAllItem, deleteSelectedItem})
            a->setEnabled(true);
    }
    if (resultList->rowCount() > 0) {
        clearAllItem->setEnabled(true);
        contextClearAllItem->setEnabled(true);
        contextSaveAllItem->setEnabled(true);
    }
    copyIconItem->setEnabled(resultList->selectedCount() > 0);
}

void MainWindow::disableListCommands() {
    for (QAction* a :
         {saveSelectedItem, saveAllItem, selectAllItem, clearAllItem, contextSaveSelectedItem,
          contextSaveAllItem, contextClearAllItem, deleteSelectedItem})
        a->setEnabled(false);
}

void MainWindow::clickImportButton() {
    importButton->click();
}

void MainWindow::clearAll() {
    resultList->clearRows();
    showIconCount(0);
    setStatusText(5, tr("Selected: %1").arg(0));
    disableListCommands();
}

void MainWindow::deleteSelected() {
    resultList->deleteSelected();
    showIconCount(resultList->rowCount());
}

void MainWindow::undoRemoval() {
    if (!resultList->canUndo()) return;
    resultList->undo();
    showIconCount(rowCount());
    showSelectedCount();
}

void MainWindow::selectAll() {
    resultList->selectAll();
    showSelectedCount();
}

void MainWindow::showSelectedCount() {
    setStatusText(5, tr("Selected: %1").arg(resultList->selectedCount()));
}

void MainWindow::sortByColumn(int column) {
    resultList->sortByColumn(column);
}

void MainWindow::setViewChecks(QAction* viewItem, QAction* dropItem) {
    for (QAction* a : {thumbnailViewItem, listViewItem, detailViewItem, viewStyleThumbnailItem,
                       viewStyleListItem, viewStyleDetailItem})
        a->setChecked(a == viewItem || a == dropItem);
}

void MainWindow::showThumbnailView() {
    resultList->setViewStyle(ResultList::ViewStyle::Thumbnail);
    setViewChecks(thumbnailViewItem, viewStyleThumbnailItem);
}

void MainWindow::showListView() {
    resultList->setViewStyle(ResultList::ViewStyle::List);
    setViewChecks(listViewItem, viewStyleListItem);
}

void MainWindow::showDetailView() {
    resultList->setViewStyle(ResultList::ViewStyle::Detail);
    setViewChecks(detailViewItem, viewStyleDetailItem);
}

void MainWindow::showTips() {
    if (tipsDialog_) desktop_.runModal(*tipsDialog_);
}

void MainWindow::showAbout() {
    if (aboutDialog_) desktop_.runModal(*aboutDialog_);
}

void MainWindow::showHelp() {
    try {
        // The help file when the desktop has a viewer for it, else the same help as
        // web pages in the browser; when neither opens, the user is told so.
        const fs::path file = dataDir() / "help.chm";
        const fs::path pages = dataDir() / "help" / "index.html";
        std::error_code ec;
        if (fs::is_regular_file(file, ec) && desktop_.openDocument(file)) return;
        if (fs::is_regular_file(pages, ec) && desktop_.openDocument(pages)) return;
        desktop_.message(
            "The help cannot be opened: this desktop has no viewer for the help "
            "file (" +
                file.string() + ") and no web browser for its pages (" + pages.string() + ").",
            "Help", Buttons::Ok, MessageIcon::Warning);
    } catch (...) {
    }
}

void MainWindow::exitProgram() {
    close();
}

void MainWindow::saveAll() {
    std::vector<ResultRowInfo> all = rows();
    for (ResultRowInfo& row : all) row.selected = true;
    saveRows(std::move(all));
}

void MainWindow::importFromFile() {
    const std::optional<fs::path> chosen = chooseFileToImport(desktop_);
    if (!chosen) {
        // Cancelled: the list stays as it was.
        showIdle();
        showImportedIconCount(rowCount());
        return;
    }
    if (chosen->empty()) return;
    if (settings_.clearResult) clearAll();
    // An icon file is shown image by image; its images are no rows.
    if (rowsAreImages(*chosen)) {
        showIconViewer(desktop_, this, *chosen);
        return;
    }
    workNotes_.clear();
    importedFile_ = *chosen;
    startWork(fileImportJob(*chosen, readRows_), WorkKind::Import);
}

void MainWindow::openPaths(const std::vector<fs::path>& paths) {
    if (paths.empty() || backgroundWorkRunning()) return;
    if (settings_.clearResult) clearAll();
    // One clearing for all of them, not one per file or folder.
    pathSettings_ = settings_;
    pathSettings_.clearResult = false;
    // Relative paths are taken from the working folder of now, not of later.
    pendingPaths_.clear();
    workNotes_.clear();
    std::vector<fs::path> missing;
    for (const fs::path& given : paths) {
        std::error_code ec;
        const fs::path path = fs::absolute(given, ec).lexically_normal();
        // What is not there is told at once, every one of them in one message.
        if (!fs::exists(fs::symlink_status(ec ? given : path, ec)))
            missing.push_back(given);
        else
            pendingPaths_.push_back(ec ? given : path);
    }
    if (missing.size() == 1) {
        desktop_.message("Cannot find " + missing[0].string() + ".", "Pellimar", Buttons::Ok,
                         MessageIcon::Warning);
    } else if (missing.size() > 1) {
        std::string list =
            tr("Cannot find these %1 files or folders:").arg(missing.size()).toStdString();
        for (const fs::path& p : missing) list += "\n" + p.string();
        desktop_.message(list, "Pellimar", Buttons::Ok, MessageIcon::Warning);
    }
    workStopped_ = false;
    openNextPath();
}

void MainWindow::openNextPath() {
    while (!pendingPaths_.empty() && !backgroundWorkRunning()) {
        // Stop (or quitting) during one of them ends the rest as well.
        if (workStopped_ || closeWhenIdle_) {
            pendingPaths_.clear();
            return;
        }
        const fs::path path = pendingPaths_.front();
        pendingPaths_.pop_front();
        std::error_code ec;
        if (fs::is_directory(path, ec)) {
            startWork(folderScanJob(path, pathSettings_, readRows_), WorkKind::Scan);
        } else if (fs::exists(path, ec)) {
            if (rowsAreImages(path))
                showIconViewer(desktop_, this, path);
            else {
                importedFile_ = path;
                startWork(fileImportJob(path, readRows_), WorkKind::Import);
            }
        } else {
            desktop_.message("Cannot find " + path.string() + ".", "Pellimar", Buttons::Ok,
                             MessageIcon::Warning);
        }
    }
}

QMimeData* MainWindow::rowDragData(const std::vector<int>& rows) const {
    const std::vector<ResultRowInfo> all = this->rows();
    std::vector<ResultRowInfo> chosen;
    for (int r : rows)
        if (r >= 0 && std::size_t(r) < all.size()) chosen.push_back(all[std::size_t(r)]);
    if (chosen.empty()) return nullptr;
    return rowPictureData(chosen, privateTempDir() / "dragged");
}

void MainWindow::copyIcon() {
    const std::vector<ResultRowInfo> all = rows();
    for (std::size_t r = 0; r < all.size(); ++r) {
        if (!all[r].selected) continue;
        if (QMimeData* data = rowPictureData({all[r]}, privateTempDir() / "copied"))
            QApplication::clipboard()->setMimeData(data);
        return;
    }
}

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

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!backgroundWorkRunning() && !droppedPaths(*event).empty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (!backgroundWorkRunning() && !droppedPaths(*event).empty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const std::vector<fs::path> paths = droppedPaths(*event);
    if (paths.empty() || backgroundWorkRunning()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // After the drop is done: the source program waits for it, and an icon file
    // opens the viewer modally.
    QMetaObject::invokeMethod(
        this, [this, paths] { run([&] { openPaths(paths); }); }, Qt::QueuedConnection);
}

void MainWindow::scanFolder() {
    if (!importOptionsDialog_) return;
    ImportOptionsDialog& options = *importOptionsDialog_;
    scanIconCount_ = 0;
    const std::optional<fs::path> folder =
        askScanFolder(desktop_, [&] { return desktop_.runModal(options) == QDialog::Accepted; });
    if (!folder) return;
    workNotes_.clear();
    startWork(folderScanJob(*folder, settings_, readRows_), WorkKind::Scan);
}

void MainWindow::saveSelected() {
    saveRows(rows());
}

void MainWindow::saveRows(std::vector<ResultRowInfo> all) {
    run([&] {
        if (!exportOptionsDialog_ || !reportDialog_ || backgroundWorkRunning()) return;
        const std::optional<fs::path> name = askSaveName(
            all, settings_, desktop_,
            [this] { return desktop_.runModal(*exportOptionsDialog_) == QDialog::Accepted; },
            lastSaveName_);
        if (!name) return;
        saveJob_ = std::make_unique<SaveJob>(std::move(all), *name, settings_);
        workStopped_ = false;
        connect(saveJob_.get(), &SaveJob::existingFilesFound, this,
                [this] { run([&] { askAboutExistingFiles(); }); });
        connect(saveJob_.get(), &SaveJob::progressed, this, [this](int begun, int total) {
            if (!workStopped_)
                progressLabel->setText(tr("Saving: row %1 of %2").arg(begun).arg(total));
        });
        connect(
            saveJob_.get(), &SaveJob::finished, this, [this] { run([&] { saveEnded(); }); },
            Qt::QueuedConnection);
        setStatusText(1, tr("Saving ..."));
        holdForWork(tr("Stop saving (Esc); the files written so far stay"));
        saveJob_->start();
    });
}

void MainWindow::askAboutExistingFiles() {
    if (!saveJob_) return;
    const std::vector<fs::path>& files = saveJob_->existingFiles();
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
    const int choice =
        desktop_.choose(text.toStdString(), tr("Save").toStdString(),
                        {tr("&Replace").toStdString(), tr("&Skip existing").toStdString(),
                         tr("Cancel").toStdString()},
                        MessageIcon::Question);
    if (saveJob_)
        saveJob_->answer(choice == 0   ? SaveJob::Existing::Replace
                         : choice == 1 ? SaveJob::Existing::Keep
                                       : SaveJob::Existing::Cancel);
}

void MainWindow::saveEnded() {
    if (!saveJob_ || saveJob_->running()) return;
    const std::unique_ptr<SaveJob> job = std::move(saveJob_);
    releaseAfterWork();
    if (job->error()) {
        desktop_.errorBox(*job->error());
    } else if (job->cancelled()) {
        progressLabel->setText(tr("Saving cancelled: nothing was written."));
        progressLabel->show();
    } else {
        SaveReport& report = reportDialog_->report();
        report = job->report();
        if (report.stoppedByRequest()) {
            progressLabel->setText(
                tr("Saving stopped after row %1 of %2; the files written so far stay.")
                    .arg(report.rowsDoneWhenStopped())
                    .arg(report.rowsToSave()));
            progressLabel->show();
        }
        showSaveOutcome(report);
    }
    emit backgroundWorkEnded();
    if (closeWhenIdle_) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

namespace {

// The first of a list of problems, and how many more there are.
std::string firstAndCount(const std::vector<std::string>& problems, const std::string& more) {
    std::string text = problems.front();
    if (problems.size() > 1) text += "\n" + std::to_string(problems.size() - 1) + more;
    return text;
}

}  // namespace

void MainWindow::showSaveOutcome(const SaveReport& report) {
    if (report.unsupportedFormat())
        desktop_.message(tr("Nothing was saved: icons are saved as .ico, .bmp, .jpg or .png "
                            "files, and the name chosen ends otherwise.")
                             .toStdString(),
                         "Error", Buttons::Ok, MessageIcon::Error);
    if (report.stopped()) {
        // The run ended at a file it could not write: the report is not shown.
        desktop_.errorBox(report.stopReason());
        return;
    }
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
    try {
        desktop_.runModal(*reportDialog_);
    } catch (const std::exception&) {
    }
}

void MainWindow::previewRow() {
    showSelectedCount();
    for (const ResultRowInfo& row : rows()) {
        if (!row.selected) continue;
        const Result<Done> shown = pellimar::previewRow(desktop_, this, row);
        if (!shown)
            desktop_.message(tr("Cannot show %1: %2.")
                                 .arg(QString::fromStdString(
                                          rowSourceText(row.source, row.iconPosition, row.kind)),
                                      QString::fromStdString(shown.failure().message()))
                                 .toStdString(),
                             "notice", Buttons::Ok, MessageIcon::Warning);
        return;
    }
}

void MainWindow::showImportOptions() {
    // OK or not, nothing follows.
    if (importOptionsDialog_) desktop_.runModal(*importOptionsDialog_);
}

void MainWindow::showExportOptions() {
    run([this] {
        if (exportOptionsDialog_) desktop_.runModal(*exportOptionsDialog_);
    });
}

void MainWindow::showReport() {
    run([this] {
        if (reportDialog_) desktop_.runModal(*reportDialog_);
    });
}

void MainWindow::showSearchSettings() {
    // A fresh dialog for every showing, destroyed when it closes, an error included.
    SearchSettingsDialog dialog(settings_, desktop_, this);
    desktop_.runModal(dialog);
}

}  // namespace pellimar
