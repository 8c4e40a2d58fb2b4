// The "Export options" dialog: output sizes and output format of the save command.
#pragma once

#include <QDialog>

#include "core/desktop.h"
#include "core/settings.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace pellimar {

class ExportOptionsDialog : public QDialog {
    Q_OBJECT
  public:
    ExportOptionsDialog(AppSettings& settings, Desktop& desktop, QWidget* parent = nullptr);

    void showCurrentSettings();
    void confirm();
    // Whether the dialog may close now; asks for a size when none is ticked.
    bool canClose();

    QFrame* bannerPanel;
    QLabel* banner;
    QGroupBox* sizeGroup;
    QLabel* sizePicture;
    QCheckBox* size128Box;
    QCheckBox* size64Box;
    QCheckBox* size48Box;
    QCheckBox* size32Box;
    QCheckBox* size16Box;
    QGroupBox* formatGroup;
    QRadioButton* icoButton;
    QRadioButton* bmpButton;
    QRadioButton* jpgButton;
    QRadioButton* pngButton;
    QRadioButton* originalButton;
    // What each format keeps, one line below it.
    QLabel* icoKeeps;
    QLabel* bmpKeeps;
    QLabel* jpgKeeps;
    QLabel* pngKeeps;
    QLabel* originalKeeps;
    QPushButton* okButton;

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
