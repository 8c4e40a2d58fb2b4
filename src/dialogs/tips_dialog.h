// The Tips window: one line of tips.dat at a time, advancing at every showing.
#pragma once

#include <QDialog>
#include <QStringList>
#include <filesystem>
#include <string_view>

#include "core/desktop.h"

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QTextEdit;

namespace pellimar {

struct AppSettings;

// The lines of a tips file: CR LF, LF or CR end a line; a final line break does
// not start another tip.
QStringList splitTipLines(std::string_view data);
// The lines of `file`; empty when it is missing or cannot be read.
QStringList readTipsFile(const std::filesystem::path& file);
// The tips file in `folder` for the language of the program's texts (tips_de.dat
// for German), or tips.dat when there is none for that language.
std::filesystem::path tipsFile(const std::filesystem::path& folder);

class TipsDialog : public QDialog {
    Q_OBJECT
  public:
    TipsDialog(AppSettings& settings, Desktop& desktop, QWidget* parent = nullptr);

    void startShowing();
    void showNextTip();
    void saveAndClose();

    QStringList tips;

    QLabel* tipsPicture;
    QLabel* heading;
    QFrame* outerPanel;
    QFrame* tipPanel;
    QTextEdit* tipText;
    QCheckBox* showAtStartBox;
    QPushButton* nextButton;
    QPushButton* closeButton;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void showWelcome();
    AppSettings& settings_;
    Desktop& desktop_;
};

}  // namespace pellimar
