// The "Export options" dialog: output sizes and output format of the save command.
#pragma once

#include <QDialog>

#include "app/desktop.h"
#include "app/settings.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace pellimar {

class TForm3 : public QDialog {
    Q_OBJECT
  public:
    TForm3(AppSettings& settings, Desktop& desktop, QWidget* parent = nullptr);

    void FormShow();
    void BitBtn1Click();
    // Whether the dialog may close now; asks for a size when none is ticked.
    bool FormCloseQuery();

    QFrame* Panel1;
    QLabel* Image6;
    QGroupBox* GroupBox1;
    QLabel* Image1;
    QCheckBox* CHECKB128;
    QCheckBox* CheckB64;
    QCheckBox* CheckB48;
    QCheckBox* CheckB32;
    QCheckBox* CheckB16;
    QGroupBox* GroupBox2;
    QRadioButton* Rbico;
    QRadioButton* Rbbmp;
    QRadioButton* Rbjpg;
    QPushButton* Button1;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    bool anySizeTicked() const;
    // Shows the "specify the image size" question; ticks 32 x 32 on OK.
    void askForSize();

    AppSettings& settings_;
    Desktop& desktop_;
};

}  // namespace pellimar
