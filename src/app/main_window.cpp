#include "app/main_window.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFile>
#include <QIcon>
#include <QMimeData>
#include <QShowEvent>
#include <QTimer>
#include <cstdio>

#include "acquire/import_options_dialog.h"
#include "acquire/search_settings_dialog.h"
#include "app/command_table.h"
#include "app/help.h"
#include "app/import_flow.h"
#include "app/result_list.h"
#include "app/row_pictures.h"
#include "app/save_flow.h"
#include "app/status_panels.h"
#include "app/work_controller.h"
#include "core/icon_image.h"
#include "core/paths.h"
#include "core/reasons.h"
#include "core/resources.h"
#include "core/row_icons.h"
#include "dialogs/about_dialog.h"
#include "dialogs/tips_dialog.h"
#include "viewer/row_preview.h"

namespace pellimar {
namespace fs = std::filesystem;

namespace {

const char* const kCloseQuestion =
    QT_TRANSLATE_NOOP("Messages", "You have opened some icon files,\r\n   are you sure to quit?");

// What a person reads for a row: "regedit.exe, icon 1".
QString rowText(const ResultRowInfo& row) {
    return QString::fromStdString(rowSourceText(row.source, row.iconPosition, row.kind));
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
    setCentralWidget(resultList);
    commands_ = std::make_unique<CommandTable>(*this, *resultList, desktop_);
    status_ = std::make_unique<StatusPanels>(*this);
    work_ = std::make_unique<WorkController>(*this, desktop_, *commands_, *status_);
    import_ = std::make_unique<ImportFlow>(*this, desktop_, settings_, *resultList, *status_,
                                           *work_, [this] { clearAll(); });
    save_ = std::make_unique<SaveFlow>(desktop_, settings_, *work_);
    bindCommands();
    connect(work_.get(), &WorkController::ended, this, &MainWindow::backgroundWorkEnded);
    connect(
        work_.get(), &WorkController::ended, this,
        [this] {
            // The rows of the first work are sorted as the list was when the
            // program last ended; queued, so that the next of a list of paths has
            // begun by then and the sort waits for the last.
            if (!layoutSort_ || rowCount() == 0 || backgroundWorkRunning()) return;
            const auto [column, ascending] = *layoutSort_;
            layoutSort_.reset();
            if (!resultList->isSorted()) resultList->sortBy(column, ascending);
        },
        Qt::QueuedConnection);

    tipsTimer = new QTimer(this);
    tipsTimer->setObjectName("tipsTimer");
    tipsTimer->setInterval(500);
    connect(tipsTimer, &QTimer::timeout, this, [this] { run([&] { showTipsAtStartUp(); }); });

    connect(resultList, &ResultList::selectionCountChanged, this, [this] { showSelectedCount(); });
    connect(resultList, &ResultList::undoChanged, commands_.get(), &CommandTable::setUndoPossible);
    connect(resultList, &ResultList::clicked, this, [this] { showSelectedCount(); });
    connect(resultList, &ResultList::doubleClicked, this,
            [this] { commands_->run(Command::PreviewRow); });
    connect(resultList, &ResultList::columnClicked, this, [this](int c) {
        if (!backgroundWorkRunning()) run([&] { sortByColumn(c); });
    });
    resultList->setDragDataProvider([this](const std::vector<int>& rows) {
        QMimeData* data = nullptr;
        run([&] { data = rowDragData(rows); });
        return data;
    });
    setAcceptDrops(true);
    connect(resultList, &ResultList::contextMenuRequested, commands_.get(),
            &CommandTable::showContextMenu);
    // Each command is enabled when it can do something: the rules follow the list.
    for (auto changed : {&ResultList::rowsChanged, &ResultList::selectionCountChanged})
        connect(resultList, changed, commands_.get(), &CommandTable::updateEnabled);
    connect(resultList, &ResultList::sortChanged, this, [this] {
        commands_->showSortChecks(resultList->isSorted() ? resultList->sortColumn() : -1,
                                  resultList->sortDirection(resultList->sortColumn()) >= 0);
    });
    resultList->setFocus();
}

// The parts go before the controls they point to: work still running stops with
// the work controller, and its rows have nowhere to go.
MainWindow::~MainWindow() {
    resultList->disconnect(this);
}

void MainWindow::bindCommands() {
    using C = Command;
    const std::pair<Command, void (MainWindow::*)()> handlers[] = {
        {C::ImportFromFile, &MainWindow::importFromFile},
        {C::ScanFolder, &MainWindow::scanFolder},
        {C::SaveSelected, &MainWindow::saveSelected},
        {C::SaveAll, &MainWindow::saveAll},
        {C::ClearAll, &MainWindow::clearAll},
        {C::DeleteSelected, &MainWindow::deleteSelected},
        {C::UndoRemoval, &MainWindow::undoRemoval},
        {C::SelectAll, &MainWindow::selectAll},
        {C::CopyIcon, &MainWindow::copyIcon},
        {C::PreviewRow, &MainWindow::previewRow},
        {C::ThumbnailView, &MainWindow::showThumbnailView},
        {C::ListView, &MainWindow::showListView},
        {C::DetailView, &MainWindow::showDetailView},
        {C::ShowTips, &MainWindow::showTips},
        {C::ShowReport, &MainWindow::showReport},
        {C::ShowImportOptions, &MainWindow::showImportOptions},
        {C::ShowExportOptions, &MainWindow::showExportOptions},
        {C::ShowSearchSettings, &MainWindow::showSearchSettings},
        {C::ShowAbout, &MainWindow::showAbout},
        {C::ShowHelp, &MainWindow::showHelp},
        {C::Exit, &MainWindow::exitProgram},
    };
    for (auto [command, handler] : handlers)
        commands_->bind(command, [this, handler = handler] { (this->*handler)(); });
    const std::pair<Command, int> sorts[] = {{C::SortByIcons, ResultList::ColIcons},
                                             {C::SortByLocation, ResultList::ColLocation},
                                             {C::SortByResource, ResultList::ColResource},
                                             {C::SortByPath, ResultList::ColPath}};
    for (auto [command, column] : sorts)
        commands_->bind(command, [this, column = column] { sortByColumn(column); });
    // The direction of the column sorted by last (the first one before any sort).
    commands_->bind(C::SortAscending,
                    [this] { resultList->sortBy(resultList->sortColumn(), true); });
    commands_->bind(C::SortDescending,
                    [this] { resultList->sortBy(resultList->sortColumn(), false); });
}

void MainWindow::setImportOptionsDialog(ImportOptionsDialog* dialog) {
    importOptionsDialog_ = dialog;
    import_->setImportOptionsDialog(dialog);
}

void MainWindow::setRowReader(RowReader read) {
    import_->setRowReader(std::move(read));
}

void MainWindow::setExportOptionsDialog(ExportOptionsDialog* dialog) {
    save_->setExportOptionsDialog(dialog);
}

void MainWindow::setReportDialog(ReportDialog* dialog) {
    save_->setReportDialog(dialog);
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

QString MainWindow::statusText(int panel) const {
    return status_->text(panel);
}

int MainWindow::scanIconCount() const {
    return import_->scanIconCount();
}

bool MainWindow::backgroundWorkRunning() const {
    return work_->running();
}

void MainWindow::stopBackgroundWork() {
    work_->stop();
}

bool MainWindow::backgroundWorkHeld() const {
    return work_->held();
}

void MainWindow::setSaveReader(RowGroupSource read) {
    save_->setRowGroupSource(std::move(read));
}

bool MainWindow::routeKey(QKeyCombination key) {
    return commands_->routeKey(key);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shownOnce_ && !event->spontaneous()) {
        shownOnce_ = true;
        run([&] { startUp(); });
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (work_->running()) {
        // The work ends first; the window closes when it has.
        event->ignore();
        work_->closeRequested();
        return;
    }
    bool close = true;
    if (!work_->closeConfirmed()) run([&] { close = confirmClose(); });
    if (close) {
        keepListLayout();
        event->accept();
    } else {
        event->ignore();
    }
}

void MainWindow::keepListLayout() {
    ListLayout layout;
    using S = ResultList::ViewStyle;
    const S style = resultList->viewStyle();
    layout.view = style == S::Thumbnail ? "thumbnail" : style == S::List ? "list" : "detail";
    if (resultList->isSorted() || layoutSort_) {
        layout.sortColumn = resultList->isSorted() ? resultList->sortColumn() : layoutSort_->first;
        layout.ascending = resultList->isSorted()
                               ? resultList->sortDirection(resultList->sortColumn()) >= 0
                               : layoutSort_->second;
    }
    for (int c = 0; c < ResultList::kColumns; ++c)
        layout.columnWidths.push_back(resultList->columnWidth(c));
    // The window is going: the command line hears why the layout was not kept.
    if (const Result<Done> kept = saveListLayout(layout); !kept)
        std::fprintf(stderr, "pellimar: the list's layout was not kept: %s\n",
                     kept.failure().message().c_str());
}

void MainWindow::restoreListLayout() {
    const ListLayout layout = loadListLayout();
    if (layout.view == "thumbnail")
        showThumbnailView();
    else if (layout.view == "list")
        showListView();
    else
        showDetailView();
    for (std::size_t c = 0; c < layout.columnWidths.size(); ++c)
        if (layout.columnWidths[c] > 0) resultList->setColumnWidth(int(c), layout.columnWidths[c]);
    // The sort of last time is applied when the first rows have come.
    layoutSort_.reset();
    if (layout.sortColumn >= 0) layoutSort_ = std::make_pair(layout.sortColumn, layout.ascending);
}

void MainWindow::startUp() {
    shownOnce_ = true;
    // Row pictures, made off this thread, are drawn for this window's screen.
    setRowPictureRatio(devicePixelRatioF());
    resultList->resetSortDirections();
    loadSettings(settings_);
    restoreListLayout();
    loadSearchOptions(settings_);
    if (settings_.showTipsAtStart)
        tipsTimer->start();
    else
        tipsTimer->stop();
}

bool MainWindow::confirmClose() {
    // Only when something would be lost: a row no save has written since it came.
    if (!resultList->hasUnsavedRows()) return true;
    return desktop_.message(kCloseQuestion, "Notice", Buttons::OkCancel) == Answer::Ok;
}

void MainWindow::showTipsAtStartUp() {
    tipsTimer->stop();
    showTips();
}

void MainWindow::enableFileMenuCommands() {
    commands_->enableFileMenuCommands();
}

void MainWindow::enableContextMenuCommands() {
    commands_->enableContextMenuCommands();
}

void MainWindow::importFromFile() {
    import_->importFromFile();
}

void MainWindow::scanFolder() {
    import_->scanFolder();
}

void MainWindow::openPaths(const std::vector<fs::path>& paths) {
    import_->openPaths(paths);
}

void MainWindow::saveSelected() {
    save_->save(resultList->rowTable(),
                [this](const auto& saved) { resultList->markSaved(saved); });
}

void MainWindow::saveAll() {
    save_->save(resultList->rowTable(true),
                [this](const auto& saved) { resultList->markSaved(saved); });
}

void MainWindow::clearAll() {
    resultList->clearRows();
    status_->showIconCount(0);
    status_->showSelectedCount(0);
    // What the last work told of rows that are gone goes with them.
    work_->clearNotes();
    commands_->updateEnabled();
}

void MainWindow::deleteSelected() {
    resultList->deleteSelected();
    status_->showIconCount(resultList->rowCount());
}

void MainWindow::undoRemoval() {
    if (!resultList->canUndo()) return;
    resultList->undo();
    status_->showIconCount(rowCount());
    showSelectedCount();
}

void MainWindow::selectAll() {
    resultList->selectAll();
    showSelectedCount();
}

void MainWindow::showSelectedCount() {
    status_->showSelectedCount(resultList->selectedCount());
}

void MainWindow::sortByColumn(int column) {
    resultList->sortByColumn(column);
}

void MainWindow::showThumbnailView() {
    resultList->setViewStyle(ResultList::ViewStyle::Thumbnail);
    commands_->showViewChecks(ResultList::ViewStyle::Thumbnail);
}

void MainWindow::showListView() {
    resultList->setViewStyle(ResultList::ViewStyle::List);
    commands_->showViewChecks(ResultList::ViewStyle::List);
}

void MainWindow::showDetailView() {
    resultList->setViewStyle(ResultList::ViewStyle::Detail);
    commands_->showViewChecks(ResultList::ViewStyle::Detail);
}

void MainWindow::previewRow() {
    showSelectedCount();
    for (const ResultRowInfo& row : rows()) {
        if (!row.selected) continue;
        const Result<Done> shown = pellimar::previewRow(desktop_, this, row);
        if (!shown)
            desktop_.message(tr("Cannot show %1: %2.")
                                 .arg(rowText(row), reasonText(shown.failure()))
                                 .toStdString(),
                             "notice", Buttons::Ok, MessageIcon::Warning);
        return;
    }
}

void MainWindow::copyIcon() {
    for (const ResultRowInfo& row : rows()) {
        if (!row.selected) continue;
        const fs::path folder = privateTempDir() / "copied";
        RowPictures pictures = rowPictures({row}, folder);
        if (pictures.data) {
            QApplication::clipboard()->setMimeData(pictures.data.release());
            return;
        }
        // Nothing to copy: the icon cannot be read, or its picture not be made or
        // written. The message names the row itself.
        Failure why = pictures.leftOut.empty() ? failure(Fault::NoImage) : pictures.leftOut.front();
        why.context.clear();
        const QString reason = reasonText(why);
        const QString told =
            isWriteFault(why.fault)
                ? tr("its picture could not be written in %1 (%2)")
                      .arg(QFile::decodeName(QByteArray::fromStdString(folder.native())), reason)
                : reason;
        desktop_.message(tr("Cannot copy %1: %2.").arg(rowText(row), told).toStdString(), "notice",
                         Buttons::Ok, MessageIcon::Warning);
        return;
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

void MainWindow::showTips() {
    if (tipsDialog_) desktop_.runModal(*tipsDialog_);
}

void MainWindow::showAbout() {
    if (aboutDialog_) desktop_.runModal(*aboutDialog_);
}

void MainWindow::showImportOptions() {
    // OK or not, nothing follows.
    if (importOptionsDialog_) desktop_.runModal(*importOptionsDialog_);
}

void MainWindow::showExportOptions() {
    save_->showExportOptions();
}

void MainWindow::showReport() {
    save_->showReport();
}

void MainWindow::showSearchSettings() {
    // A fresh dialog for every showing, destroyed when it closes, an error included.
    SearchSettingsDialog dialog(settings_, desktop_, this);
    desktop_.runModal(dialog);
}

void MainWindow::showHelp() {
    if (const std::optional<std::string> why = openHelp(desktop_))
        desktop_.message(*why, "Help", Buttons::Ok, MessageIcon::Warning);
}

void MainWindow::exitProgram() {
    close();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (import_->acceptsDrop(*event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainWindow::dropEvent(QDropEvent* event) {
    if (!import_->acceptsDrop(*event)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    import_->openDropped(*event);
}

}  // namespace pellimar
