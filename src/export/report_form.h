// The "Report" dialog: the files written by the last save run, their folder, a
// preview of the one clicked, and hand-off of the folder or file to the desktop.
#pragma once

#include <QDialog>

#include "app/desktop.h"
#include "export/save_report.h"

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace pellimar {

class TForm4 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm4(Desktop& desktop, QWidget* parent = nullptr);

    // The run's contents; the save command fills it, FormShow puts it on screen.
    SaveReport& report() { return report_; }
    const SaveReport& report() const { return report_; }
    void ClearReport();

    void FormShow();
    void Button1Click();  // a click in the file list: preview the file
    void B_folderClick();
    void Button2Click();
    void BitBtn1Click();

    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* B_folder;
    QLabel* Label2;
    QListWidget* ListBox1;
    QLabel* Label6;
    QFrame* PreviewFrame;
    QLabel* Image5;
    QLabel* Label5;
    QPushButton* Button2;
    QPushButton* BitBtn1;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void refreshControls();
    std::filesystem::path selectedFile() const;

    Desktop& desktop_;
    SaveReport report_;
};

}  // namespace pellimar
