// The main window: menus, tool bar, context menu, shortcuts, status bar and the
// result list. Every command of the program is reached from here.
#pragma once

#include <QImage>
#include <QKeyCombination>
#include <QMainWindow>
#include <QString>
#include <filesystem>
#include <vector>

#include "app/desktop.h"
#include "app/result_list.h"
#include "app/result_rows.h"
#include "platform/icon.h"

class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QTimer;
class QToolBar;
class QToolButton;

namespace pellimar {

class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TPellimar;
class TTipsform;

// The icon converted for the list: colour with its mask or alpha, 32 x 32 kept as is.
QImage resultPicture(const Icon& icon);

class TForm1 : public QMainWindow {
    Q_OBJECT
  public:
    explicit TForm1(Desktop& desktop, QWidget* parent = nullptr);
    ~TForm1() override;

    Desktop& desktop() const { return desktop_; }

    // The windows made after this one that its commands show.
    void setTipsForm(TTipsform* form) { tipsForm_ = form; }
    void setAboutForm(TForm2* form) { aboutForm_ = form; }
    TTipsform* tipsForm() const { return tipsForm_; }
    TForm2* aboutForm() const { return aboutForm_; }
    // The Import options dialog shown before every folder scan.
    void setImportOptionsForm(TForm5* form) { importOptionsForm_ = form; }
    TForm5* importOptionsForm() const { return importOptionsForm_; }
    // The export options and report dialogs of the save command.
    void setExportOptionsForm(TForm3* form) { exportOptionsForm_ = form; }
    void setReportForm(TForm4* form) { reportForm_ = form; }
    TForm3* exportOptionsForm() const { return exportOptionsForm_; }
    TForm4* reportForm() const { return reportForm_; }

    // --- the result list as the import, scan, save and preview commands use it ---
    // Appends one row for icon `iconPosition` (0-based) of `source`; returns its index.
    int addResultRow(const Icon& icon32, const std::filesystem::path& source, int iconPosition);
    int addResultRow(const QImage& picture, const std::filesystem::path& source, int iconPosition);
    // Icon `index` of `file` loaded through iG1 (0-based for executables and
    // libraries, 1-based for icon files); empty when the file has no such icon.
    Icon loadIcon(const std::filesystem::path& file, int index);
    // Every row in list order: source path, icon position, selection state.
    std::vector<ResultRowInfo> resultRows() const;
    int rowCount() const;
    int selectedCount() const;

    // Status bar panels 0..6.
    void setStatusText(int panel, const QString& text);
    QString statusText(int panel) const;

    // Icons taken so far by the folder scan that is running.
    int scanIconCount = 0;

    // Looks a key up in the context menu, the main menu and the action list, in
    // that order, and runs what it finds. True when one of them took the key.
    bool routeKey(QKeyCombination key);

    // --- handlers ---
    void FormShow();
    bool FormClose();  // true when the window may close
    void Timer1Timer();
    void File1Click();
    void PopupSavePopup();
    void GrabIcons1Click();
    void ToolButton1Click();
    void Pop_clearClick();
    void DeleteSelected1Click();
    void Pop_selectClick();
    void ListV1SelectItem();
    void ListV1Click();
    void ListV1ColumnClick(int column);
    void LargeIcons1Click();
    void NormalStyle1Click();
    void ViewAsList1Click();
    void ShowTips1Click();
    void About1Click();
    void ToolButton7Click();
    void Exit1Click();
    void ToolButton12Click();
    void Pop_SaveallClick();
    // Commands of the acquisition, export and preview modules (form1_commands.cpp).
    void ToolButton9Click();
    void ToolButton5Click();
    void ToolButton14Click();
    void ListV1DblClick();
    // Shows the viewer on a temporary icon file and deletes the file afterwards.
    void OpenIconViewer(const std::filesystem::path& tempFile,
                        const std::filesystem::path& sourcePath);
    void ImportOptions1Click();
    void OptionsToSave1Click();
    void Report1Click();
    void searchoption1Click();

    // --- controls ---
    QMenu* File1;
    QAction* GrabIcons1;
    QAction* Scanfor1;
    QAction* SaveIcons1;
    QAction* SaveAll1;
    QAction* ClearAll1;
    QAction* Exit1;
    QMenu* View1;
    QAction* LargeIcons1;
    QAction* NormalStyle1;
    QAction* ViewAsList1;
    QAction* ShowTips1;
    QAction* Report1;
    QMenu* Options1;
    QAction* ImportOptions1;
    QAction* OptionsToSave1;
    QAction* searchoption1;
    QMenu* Other1;
    QAction* About1;
    QAction* Help1;

    QToolBar* ToolBar1;
    QToolButton* ToolButton9;
    QToolButton* ToolButton5;
    QToolButton* ToolButton1;
    QToolButton* ToolButton14;
    QToolButton* ToolButton10;
    QToolButton* ToolButton7;
    QToolButton* ToolButton12;
    std::vector<QIcon> ButtonIcon;  // the seven tool-bar pictures, by image index

    QMenu* Popupview;
    QAction* ThumbView;
    QAction* Normal1;
    QAction* List1;

    QMenu* PopupSave;
    QAction* Pop_Save;
    QAction* Pop_Saveall;
    QAction* DeleteSelected1;
    QAction* Pop_clear;
    QAction* Pop_select;
    QAction* ViewType1;
    QAction* SmallIcons1;
    QAction* ListView1;

    // ActionList1
    QAction* ActClear;
    QAction* ActLoadFile;
    QAction* ActSave;

    ResultList* ListV1;
    ImageList* ImageL1;
    QStatusBar* StatusBar1;
    std::vector<QLabel*> StatusPanels;
    QTimer* Timer1;
    TPellimar* iG1;  // the invisible 32 x 32 icon extractor every import loads icons through

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QAction* addMenuItem(QMenu* menu, const char* name, const char* caption, QKeySequence key,
                         bool enabled, void (TForm1::*handler)());
    void buildMenus();
    void buildToolBar();
    void buildContextMenus();
    void buildStatusBar();
    void setViewChecks(QAction* viewItem, QAction* dropItem);
    void disableListCommands();
    // Runs a handler body; an error that escapes it goes to the error box.
    template <typename F>
    void run(F&& body) {
        guarded(desktop_, std::forward<F>(body));
    }

    Desktop& desktop_;
    TForm5* importOptionsForm_ = nullptr;
    TTipsform* tipsForm_ = nullptr;
    TForm2* aboutForm_ = nullptr;
    TForm3* exportOptionsForm_ = nullptr;
    TForm4* reportForm_ = nullptr;
    std::filesystem::path lastSaveName_;  // the Save dialog keeps its last file name
    bool shownOnce_ = false;
};

}  // namespace pellimar
