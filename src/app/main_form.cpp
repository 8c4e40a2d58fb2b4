#include "app/main_form.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QShowEvent>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "acquire/icon_extractor.h"
#include "app/paths.h"
#include "app/resources.h"
#include "app/settings.h"
#include "dialogs/about_form.h"
#include "dialogs/tips_form.h"

namespace pellimar {
namespace fs = std::filesystem;

namespace {

constexpr int kPanelCount = 7;
constexpr int kPanelWidths[kPanelCount] = {10, 100, 10, 120, 10, 120, 50};

const char* const kCloseQuestion = "You have opened some icon files,\r\n   are you sure to quit?";

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

QAction* separatorIn(QMenu* menu, const char* name) {
    QAction* s = menu->addSeparator();
    s->setObjectName(name);
    return s;
}

}  // namespace

QImage resultPicture(const Icon& icon) {
    if (icon.empty() || icon.color.size() < std::size_t(icon.width) * std::size_t(icon.height))
        return {};
    QImage img(icon.width, icon.height, QImage::Format_ARGB32);
    const bool haveMask = icon.mask.size() >= icon.color.size();
    for (int y = 0; y < icon.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < icon.width; ++x) {
            std::uint32_t c = icon.pixel(x, y);
            if (icon.hasAlpha) {
                line[x] = c;
            } else if (!haveMask || !icon.maskBit(x, y)) {
                line[x] = 0xFF000000u | (c & 0xFFFFFFu);
            } else if ((c & 0xFFFFFFu) == 0) {
                line[x] = 0;  // transparent
            } else {
                // An inverting pixel, drawn as it would show on the list's white.
                line[x] = 0xFF000000u | (~c & 0xFFFFFFu);
            }
        }
    }
    return img;
}

TForm1::TForm1(Desktop& desktop, QWidget* parent) : QMainWindow(parent), desktop_(desktop) {
    initResources();
    setObjectName("Form1");
    setWindowTitle("Pellimar");
    setWindowIcon(QIcon(":/pellimar/pellimar.png"));
    resize(825, 514);

    ListV1 = new ResultList(this);
    ListV1->setObjectName("ListV1");
    ImageL1 = &ListV1->images();
    setCentralWidget(ListV1);

    buildMenus();
    buildContextMenus();
    buildToolBar();
    buildStatusBar();

    // ActionList1: three shortcuts with no menu item of their own.
    ActClear = new QAction("ActClear", this);
    ActClear->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    connect(ActClear, &QAction::triggered, this, [this] { run([&] { ToolButton1Click(); }); });
    ActLoadFile = new QAction("ActLoadFile", this);
    ActLoadFile->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    connect(ActLoadFile, &QAction::triggered, this, [this] { run([&] { ToolButton9Click(); }); });
    ActSave = new QAction("ActSave", this);
    ActSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(ActSave, &QAction::triggered, this, [this] { run([&] { ToolButton14Click(); }); });

    iG1 = new TPellimar(this);
    iG1->setObjectName("iG1");
    iG1->setGeometry(0, 0, kLargeIconSize, kLargeIconSize);
    iG1->hide();

    Timer1 = new QTimer(this);
    Timer1->setInterval(500);
    connect(Timer1, &QTimer::timeout, this, [this] { run([&] { Timer1Timer(); }); });

    connect(ListV1, &ResultList::selectionCountChanged, this, [this] { ListV1SelectItem(); });
    connect(ListV1, &ResultList::clicked, this, [this] { ListV1Click(); });
    connect(ListV1, &ResultList::doubleClicked, this, [this] { run([&] { ListV1DblClick(); }); });
    connect(ListV1, &ResultList::columnClicked, this,
            [this](int c) { run([&] { ListV1ColumnClick(c); }); });
    connect(ListV1, &ResultList::contextMenuRequested, this, [this](const QPoint& at) {
        PopupSavePopup();
        PopupSave->exec(at);
    });

    // Keys reach the list first; the menus and the action list look at them there.
    qApp->installEventFilter(this);
    ListV1->setFocus();
}

TForm1::~TForm1() {
    qApp->removeEventFilter(this);
}

Icon TForm1::loadIcon(const std::filesystem::path& file, int index) {
    iG1->setIcon(Icon{});  // an icon from an earlier file must not pass for this one
    iG1->LoadFromFile(file, index);
    return iG1->Icon();
}

QAction* TForm1::addMenuItem(QMenu* menu, const char* name, const char* caption, QKeySequence key,
                             bool enabled, void (TForm1::*handler)()) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    if (!key.isEmpty()) {
        a->setShortcut(key);
        // Shortcuts are looked up by routeKey(), not by Qt's own shortcut map.
        a->setShortcutContext(Qt::WidgetShortcut);
    }
    a->setEnabled(enabled);
    connect(a, &QAction::triggered, this, [this, handler] { run([&] { (this->*handler)(); }); });
    return a;
}

void TForm1::buildMenus() {
    auto item = [this](QMenu* menu, const char* name, const char* caption, QKeySequence key,
                       bool enabled, void (TForm1::*handler)()) {
        return addMenuItem(menu, name, caption, key, enabled, handler);
    };
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");

    File1 = bar->addMenu(" &File  ");
    File1->setObjectName("File1");
    connect(File1, &QMenu::aboutToShow, this, [this] { File1Click(); });
    GrabIcons1 = item(File1, "GrabIcons1", "&Import from a File   ",
                      QKeySequence(Qt::CTRL | Qt::Key_G), true, &TForm1::GrabIcons1Click);
    Scanfor1 = item(File1, "Scanfor1", "S&can a Folder", {}, true, &TForm1::ToolButton5Click);
    separatorIn(File1, "N7");
    SaveIcons1 = item(File1, "SaveIcons1", "&Save Selected", QKeySequence(Qt::CTRL | Qt::Key_S),
                      false, &TForm1::ToolButton14Click);
    SaveAll1 = item(File1, "SaveAll1", "Save &All", {}, false, &TForm1::Pop_SaveallClick);
    separatorIn(File1, "N6");
    ClearAll1 = item(File1, "ClearAll1", "&Clear All", QKeySequence(Qt::SHIFT | Qt::Key_Delete),
                     false, &TForm1::ToolButton1Click);
    separatorIn(File1, "N1");
    Exit1 = item(File1, "Exit1", "E&xit", QKeySequence(Qt::ALT | Qt::Key_F4), true,
                 &TForm1::Exit1Click);

    View1 = bar->addMenu(" &View  ");
    View1->setObjectName("View1");
    LargeIcons1 =
        item(View1, "LargeIcons1", "&Thumbnail View", {}, true, &TForm1::LargeIcons1Click);
    NormalStyle1 = item(View1, "NormalStyle1", "&List View", {}, true, &TForm1::NormalStyle1Click);
    ViewAsList1 = item(View1, "ViewAsList1", "&Detail View", {}, true, &TForm1::ViewAsList1Click);
    separatorIn(View1, "N9");
    ShowTips1 = item(View1, "ShowTips1", "&Show Tips", {}, true, &TForm1::ShowTips1Click);
    separatorIn(View1, "N10");
    Report1 = item(View1, "Report1", "&Result Report", {}, true, &TForm1::Report1Click);
    for (QAction* a : {LargeIcons1, NormalStyle1, ViewAsList1}) a->setCheckable(true);

    Options1 = bar->addMenu(" &Options ");
    Options1->setObjectName("Options1");
    ImportOptions1 =
        item(Options1, "ImportOptions1", "&Import Options", {}, true, &TForm1::ImportOptions1Click);
    separatorIn(Options1, "N8");
    OptionsToSave1 =
        item(Options1, "OptionsToSave1", "&Export Options", {}, true, &TForm1::OptionsToSave1Click);
    separatorIn(Options1, "N11");
    searchoption1 =
        item(Options1, "searchoption1", "&Search setting", {}, true, &TForm1::searchoption1Click);

    Other1 = bar->addMenu(" &Help   ");
    Other1->setObjectName("Other1");
    About1 = item(Other1, "About1", "&About Pellimar...", {}, true, &TForm1::About1Click);
    separatorIn(Other1, "N2");
    Help1 =
        item(Other1, "Help1", "&Help", QKeySequence(Qt::Key_F1), true, &TForm1::ToolButton7Click);
}

void TForm1::buildContextMenus() {
    auto item = [this](QMenu* menu, const char* name, const char* caption, QKeySequence key,
                       bool enabled, void (TForm1::*handler)()) {
        return addMenuItem(menu, name, caption, key, enabled, handler);
    };
    PopupSave = new QMenu(this);
    PopupSave->setObjectName("PopupSave");
    Pop_Save = item(PopupSave, "Pop_Save", "&Save Selected", QKeySequence(Qt::CTRL | Qt::Key_S),
                    false, &TForm1::ToolButton14Click);
    Pop_Saveall = item(PopupSave, "Pop_Saveall", "Sa&ve All", {}, false, &TForm1::Pop_SaveallClick);
    separatorIn(PopupSave, "N3");
    DeleteSelected1 = item(PopupSave, "DeleteSelected1", "&Delete Selected ",
                           QKeySequence(Qt::Key_Delete), false, &TForm1::DeleteSelected1Click);
    Pop_clear = item(PopupSave, "Pop_clear", "&Clear all", QKeySequence(Qt::SHIFT | Qt::Key_Delete),
                     false, &TForm1::Pop_clearClick);
    separatorIn(PopupSave, "N4");
    Pop_select = item(PopupSave, "Pop_select", "Select &All", QKeySequence(Qt::CTRL | Qt::Key_A),
                      false, &TForm1::Pop_selectClick);
    separatorIn(PopupSave, "N5");
    ViewType1 =
        item(PopupSave, "ViewType1", "&Thumbnail View", {}, true, &TForm1::LargeIcons1Click);
    SmallIcons1 =
        item(PopupSave, "SmallIcons1", "&List View", {}, true, &TForm1::NormalStyle1Click);
    ListView1 = item(PopupSave, "ListView1", "&Detail View", {}, true, &TForm1::ViewAsList1Click);

    Popupview = new QMenu(this);
    Popupview->setObjectName("Popupview");
    ThumbView =
        item(Popupview, "ThumbView", "&Thumbnail View", {}, true, &TForm1::LargeIcons1Click);
    Normal1 = item(Popupview, "Normal1", "&List View", {}, true, &TForm1::NormalStyle1Click);
    List1 = item(Popupview, "List1", "&Detail View", {}, true, &TForm1::ViewAsList1Click);
    for (QAction* a : {ThumbView, Normal1, List1}) a->setCheckable(true);
}

void TForm1::buildToolBar() {
    ToolBar1 = addToolBar("ToolBar1");
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(32, 32));
    ToolBar1->setFixedHeight(50);
    ToolBar1->toggleViewAction()->setEnabled(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    for (int i = 0; i < 7; ++i) ButtonIcon.push_back(toolBarIcon(i));

    auto button = [this](const char* name, const char* hint, int image, void (TForm1::*handler)()) {
        auto* b = new QToolButton(ToolBar1);
        b->setObjectName(name);
        b->setToolTip(hint);
        b->setIcon(ButtonIcon[std::size_t(image)]);
        b->setIconSize(QSize(32, 32));
        b->setFixedSize(47, 38);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        b->setProperty("imageIndex", image);
        if (handler)
            connect(b, &QToolButton::clicked, this,
                    [this, handler] { run([&] { (this->*handler)(); }); });
        ToolBar1->addWidget(b);
        return b;
    };
    ToolButton9 = button("ToolButton9", "Grab icons from a File", 1, &TForm1::ToolButton9Click);
    ToolButton5 = button("ToolButton5", "Scan icons from a folder", 0, &TForm1::ToolButton5Click);
    ToolButton1 = button("ToolButton1", "Clear All", 2, &TForm1::ToolButton1Click);
    ToolButton14 = button("ToolButton14", "Save Icon(s)", 4, &TForm1::ToolButton14Click);
    ToolButton10 = button("ToolButton10", "View Style", 6, nullptr);
    ToolButton10->setMenu(Popupview);
    ToolButton10->setPopupMode(QToolButton::InstantPopup);
    ToolButton7 = button("ToolButton7", "Help", 3, &TForm1::ToolButton7Click);
    ToolButton12 = button("ToolButton12", "Exit", 5, &TForm1::ToolButton12Click);
}

void TForm1::buildStatusBar() {
    StatusBar1 = statusBar();
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setFixedHeight(19 + 4);
    const char* texts[kPanelCount] = {"", "Idle ...", "", "Icons: 0", "", "Selected: 0", ""};
    for (int i = 0; i < kPanelCount; ++i) {
        auto* panel = new QLabel(texts[i]);
        panel->setObjectName(QString("Panel%1").arg(i));
        panel->setFixedWidth(kPanelWidths[i]);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setAlignment(i == 1 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        StatusBar1->addWidget(panel);
        StatusPanels.push_back(panel);
    }
}

int TForm1::addResultRow(const Icon& icon32, const fs::path& source, int iconPosition) {
    return addResultRow(resultPicture(icon32), source, iconPosition);
}

int TForm1::addResultRow(const QImage& picture, const fs::path& source, int iconPosition) {
    return ListV1->addRow(picture, source, iconPosition);
}

std::vector<ResultRowInfo> TForm1::resultRows() const {
    return ListV1->rows();
}

int TForm1::rowCount() const {
    return ListV1->rowCount();
}

int TForm1::selectedCount() const {
    return ListV1->selectedCount();
}

void TForm1::setStatusText(int panel, const QString& text) {
    if (panel < 0 || panel >= kPanelCount) return;
    StatusPanels[std::size_t(panel)]->setText(text);
}

QString TForm1::statusText(int panel) const {
    if (panel < 0 || panel >= kPanelCount) return {};
    return StatusPanels[std::size_t(panel)]->text();
}

bool TForm1::routeKey(QKeyCombination key) {
    const QKeySequence wanted(key);
    auto find = [&](QMenu* menu) -> QAction* {
        for (QAction* a : menu->actions())
            if (!a->isSeparator() && a->shortcut() == wanted) return a;
        return nullptr;
    };
    // The list's context menu first; its on-popup enabling rule runs first.
    if (QAction* a = find(PopupSave)) {
        PopupSavePopup();
        a->trigger();  // a disabled item takes the key and does nothing
        return true;
    }
    // Then the main menu, whose File menu applies its own enabling rule.
    for (QMenu* menu : {File1, View1, Options1, Other1}) {
        if (QAction* a = find(menu)) {
            if (menu == File1) File1Click();
            a->trigger();
            return true;
        }
    }
    for (QAction* a : {ActClear, ActLoadFile, ActSave}) {
        if (a->shortcut() == wanted) {
            a->trigger();
            return true;
        }
    }
    return false;
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    // Keys typed into this window (menus and dialogs are windows of their own).
    if (!widget || widget->window() != this || QApplication::activePopupWidget() ||
        QApplication::activeModalWidget())
        return QMainWindow::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    // The keypad's Del is the same key as far as the shortcuts go.
    const QKeyCombination combo(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key()));
    const QKeySequence wanted(combo);
    bool known = false;
    for (QMenu* menu : {PopupSave, File1, View1, Options1, Other1})
        for (QAction* a : menu->actions())
            if (!a->isSeparator() && a->shortcut() == wanted) known = true;
    for (QAction* a : {ActClear, ActLoadFile, ActSave})
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

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shownOnce_ && !event->spontaneous()) {
        shownOnce_ = true;
        run([&] { FormShow(); });
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    bool close = true;
    run([&] { close = FormClose(); });
    if (close)
        event->accept();
    else
        event->ignore();
}

void TForm1::FormShow() {
    shownOnce_ = true;
    ListV1->resetSortDirections();
    LoadSettings(settings());
    LoadSearchOptions(settings());
    if (settings().show)
        Timer1->start();
    else
        Timer1->stop();
}

bool TForm1::FormClose() {
    if (ListV1->rowCount() == 0) return true;
    return desktop_.message(kCloseQuestion, "Notice", Buttons::OkCancel) == Answer::Ok;
}

void TForm1::Timer1Timer() {
    Timer1->stop();
    ShowTips1Click();
}

void TForm1::File1Click() {
    if (ListV1->selectedCount() > 0) {
        SaveIcons1->setEnabled(true);
        SaveAll1->setEnabled(true);
        Pop_select->setEnabled(true);
    }
    if (ListV1->rowCount() > 0) ClearAll1->setEnabled(true);
}

void TForm1::PopupSavePopup() {
    if (ListV1->selectedCount() > 0) {
        for (QAction* a : {Pop_Save, Pop_Saveall, Pop_clear, Pop_select, DeleteSelected1})
            a->setEnabled(true);
    }
    if (ListV1->rowCount() > 0) {
        ClearAll1->setEnabled(true);
        Pop_clear->setEnabled(true);
    }
}

void TForm1::disableListCommands() {
    for (QAction* a : {SaveIcons1, SaveAll1, Pop_select, ClearAll1, Pop_Save, Pop_Saveall,
                       Pop_clear, DeleteSelected1})
        a->setEnabled(false);
}

void TForm1::GrabIcons1Click() {
    ToolButton9->click();
}

void TForm1::ToolButton1Click() {
    ListV1->clearRows();
    setStatusText(3, "Icons: 0");
    setStatusText(5, "Selected: 0");
    disableListCommands();
}

void TForm1::Pop_clearClick() {
    ToolButton1Click();
}

void TForm1::DeleteSelected1Click() {
    ListV1->deleteSelected();
    setStatusText(3, QString("Icons: %1").arg(ListV1->rowCount()));
}

void TForm1::Pop_selectClick() {
    ListV1->selectAll();
    ListV1SelectItem();
}

void TForm1::ListV1SelectItem() {
    setStatusText(5, QString("Selected: %1").arg(ListV1->selectedCount()));
}

void TForm1::ListV1Click() {
    ListV1SelectItem();
}

void TForm1::ListV1ColumnClick(int column) {
    ListV1->sortByColumn(column);
}

void TForm1::setViewChecks(QAction* viewItem, QAction* dropItem) {
    for (QAction* a : {LargeIcons1, NormalStyle1, ViewAsList1, ThumbView, Normal1, List1})
        a->setChecked(a == viewItem || a == dropItem);
}

void TForm1::LargeIcons1Click() {
    ListV1->setViewStyle(ResultList::ViewStyle::Thumbnail);
    setViewChecks(LargeIcons1, ThumbView);
}

void TForm1::NormalStyle1Click() {
    ListV1->setViewStyle(ResultList::ViewStyle::List);
    setViewChecks(NormalStyle1, Normal1);
}

void TForm1::ViewAsList1Click() {
    ListV1->setViewStyle(ResultList::ViewStyle::Detail);
    setViewChecks(ViewAsList1, List1);
}

void TForm1::ShowTips1Click() {
    if (tipsForm_) desktop_.runModal(*tipsForm_);
}

void TForm1::About1Click() {
    if (aboutForm_) desktop_.runModal(*aboutForm_);
}

void TForm1::ToolButton7Click() {
    // Whatever the desktop makes of it, the program says nothing more.
    try {
        desktop_.openWithDefaultHandler(programDir() / "help.chm");
    } catch (...) {
    }
}

void TForm1::Exit1Click() {
    close();
}

void TForm1::ToolButton12Click() {
    close();
}

void TForm1::Pop_SaveallClick() {
    Pop_select->trigger();
    ToolButton14->click();
}

}  // namespace pellimar
