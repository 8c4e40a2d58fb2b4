// "Other search setting": whether a folder scan walks sub-folders and whether the
// result list is cleared before each import. Made for one showing, then destroyed.
#pragma once

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace pellimar {

class Desktop;
struct AppSettings;

class SearchSettingsDialog : public QDialog {
    Q_OBJECT
  public:
    SearchSettingsDialog(AppSettings& settings, Desktop& desktop, QWidget* parent = nullptr);

    // --- handlers ---
    // Sets the boxes from pellimarinfo.ini, read as start-up reads it.
    void showSavedSettings();
    // OK: writes both options and takes them into the settings in use.
    void confirm();

    // --- controls ---
    QLabel* banner;
    QGroupBox* optionsGroup;
    QCheckBox* subFoldersBox;
    QLabel* subFoldersPicture;
    QCheckBox* clearResultBox;
    QLabel* clearResultPicture;
    QPushButton* okButton;

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    AppSettings& settings_;
    Desktop& desktop_;
};

}  // namespace pellimar
