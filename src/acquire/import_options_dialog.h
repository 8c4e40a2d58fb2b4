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

class TForm5 : public QDialog {
    Q_OBJECT
  public:
    TForm5(AppSettings& settings, Desktop& desktop, QWidget* parent = nullptr);

    // --- handlers ---
    void FormShow();
    void RB_limitClick();
    void RB_nolimitClick();
    void B_importClick();

    // --- controls ---
    QLabel* Image1;  // the banner
    QGroupBox* GroupBox1;
    QRadioButton* RB_limit;
    QLineEdit* Edit1;
    QLabel* Label1;
    QRadioButton* RB_nolimit;
    QLabel* Image2;
    QGroupBox* GroupBox2;
    QCheckBox* CheckBox_exe;
    QCheckBox* CheckBox_dll;
    QCheckBox* CheckBox_ico;
    QCheckBox* CheckBox_ICL;
    QLabel* Image3;
    QPushButton* B_import;

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    AppSettings& settings_;
    Desktop& desktop_;
};

}  // namespace pellimar
