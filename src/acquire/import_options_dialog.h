// "Import options": which file kinds a folder scan collects and how many icons one
// scan may add. Made once at start and shown before every folder scan.
#pragma once

#include <QDialog>
#include <optional>
#include <string_view>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace pellimar {

class Desktop;
struct AppSettings;

// The integer typed into the limit box: optional leading blanks, an optional
// sign, then decimal digits, or hexadecimal digits after "$", "0x" or "0X";
// nothing when the text is anything else or does not fit 32 bits.
std::optional<int> parseTypedInteger(std::string_view text);

class ImportOptionsDialog : public QDialog {
    Q_OBJECT
  public:
    ImportOptionsDialog(AppSettings& settings, Desktop& desktop, QWidget* parent = nullptr);

    // --- handlers ---
    void showCurrentSettings();
    void limitChosen();
    void noLimitChosen();
    void confirm();

    // --- controls ---
    QLabel* banner;
    QGroupBox* maximumGroup;
    QRadioButton* limitButton;
    QLineEdit* limitEdit;
    QLabel* iconsLabel;
    QRadioButton* noLimitButton;
    QLabel* maximumPicture;
    QGroupBox* kindsGroup;
    QCheckBox* exeBox;
    QCheckBox* dllBox;
    QCheckBox* icoBox;
    QCheckBox* iclBox;
    QLabel* kindsPicture;
    QPushButton* okButton;

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    AppSettings& settings_;
    Desktop& desktop_;
};

}  // namespace pellimar
