// The About box: product name, version, contact line, publisher and web address.
#pragma once

#include <QDialog>

#include "app/desktop.h"

class QFrame;
class QLabel;
class QPushButton;

namespace pellimar {

class TForm2 : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kWebAddress = "https://pellimar.example.org/";
    static constexpr const char* kSupportMail = "support@pellimar.example.org";
    static constexpr const char* kPublisher = "Quillhaven Softworks";

    explicit TForm2(Desktop& desktop, QWidget* parent = nullptr);

    void FormShow();
    void Button1Click();
    void Label3Click();

    QLabel* Image1;
    QLabel* Label1;
    QFrame* Panel1;
    QLabel* Label2;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label3;
    QPushButton* Button1;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Desktop& desktop_;
};

}  // namespace pellimar
