// The Tips window: one line of tips.dat at a time, advancing at every showing.
#pragma once

#include <QDialog>
#include <QStringList>
#include <filesystem>
#include <string_view>

#include "app/desktop.h"

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QTextEdit;

namespace pellimar {

// The lines of a tips file: CR LF, LF or CR end a line; a final line break does
// not start another tip.
QStringList splitTipLines(std::string_view data);
// The lines of `file`; empty when it is missing or cannot be read.
QStringList readTipsFile(const std::filesystem::path& file);

class TTipsform : public QDialog {
    Q_OBJECT
  public:
    explicit TTipsform(Desktop& desktop, QWidget* parent = nullptr);

    void FormShow();
    void B_nextClick();
    void B_tipsClick();

    QStringList TipList;

    QLabel* Image1;
    QLabel* Label1;
    QFrame* Panel1;
    QFrame* Panel2;
    QTextEdit* Memo1;
    QCheckBox* Checktips;
    QPushButton* B_next;
    QPushButton* B_tips;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void showWelcome();
    Desktop& desktop_;
};

}  // namespace pellimar
