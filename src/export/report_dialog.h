// The "Report" dialog: the files written by the last save run, their folder, a
// preview of the one clicked, and hand-off of the folder or file to the desktop.
#pragma once

#include <QDialog>

#include "core/desktop.h"
#include "export/save_report.h"

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace pellimar {

// The save's report in the person's language, for the report and the save's
// messages (the command line keeps problemText()): a problem as problemText()
// says it; the rule of a format that saved rows with less than was chosen; and
// one such row, with what it left out ("wordpad.exe-001: the size 128 px left
// out; its 32-bit colours reduced to 16 or 256; ...").
QString problemMessage(const SaveProblem& problem);
QString ruleMessage(SaveRule rule);
QString reductionMessage(const SaveReduction& reduction);

class ReportDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ReportDialog(Desktop& desktop, QWidget* parent = nullptr);

    // The run's contents; the save command fills it, showLastRun puts it on screen.
    SaveReport& report() { return report_; }
    const SaveReport& report() const { return report_; }
    void clearReport();

    void showLastRun();
    void previewClickedFile();  // a click in the file list: preview the file
    void openFolder();
    void openSelectedFile();

    QLabel* summaryLabel;
    QLineEdit* folderEdit;
    QPushButton* openFolderButton;
    QLabel* fileListHeading;
    QListWidget* fileList;
    // Every row that wrote nothing and every file not written or kept, with why,
    // and every row saved with less than was chosen, with what it left out; shown
    // below the files only when there is any.
    QLabel* notSavedHeading;
    QListWidget* notSavedList;
    QLabel* previewHeading;
    QFrame* previewFrame;
    QLabel* previewImage;
    QLabel* previewNameLabel;
    QPushButton* openFileButton;
    QPushButton* closeButton;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void fillControls();
    // The summary of a run that saved no file: that no run was made yet, or why.
    QString nothingSavedText() const;
    std::filesystem::path selectedFile() const;
    std::filesystem::path fileOf(const QListWidgetItem& item) const;

    Desktop& desktop_;
    SaveReport report_;
    int previewNameWidth_ = 0;  // the name's least width, as laid out
};

}  // namespace pellimar
