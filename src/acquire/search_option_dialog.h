// "Other search setting": whether a folder scan walks sub-folders and whether the
// result list is cleared before each import. Made for one showing, then destroyed.
#pragma once

#include <QDialog>
#include <filesystem>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace pellimar {

class Desktop;
struct AppSettings;

class Tsearchoptionfrm : public QDialog {
    Q_OBJECT
  public:
    Tsearchoptionfrm(AppSettings& settings, Desktop& desktop, QWidget* parent = nullptr);

    // The file the dialog reads and writes: pellimarinfo.ini in the settings folder.
    static std::filesystem::path optionsFile();

    // --- handlers ---
    void FormShow();
    void searchboxClick();
    void clearboxClick();
    void Button1Click();

    // --- controls ---
    QLabel* Image1;  // the banner
    QGroupBox* GroupBox1;
    QCheckBox* searchbox;
    QLabel* Image2;
    QCheckBox* clearbox;
    QLabel* Image3;
    QPushButton* Button1;

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    AppSettings& settings_;
    Desktop& desktop_;
};

}  // namespace pellimar
