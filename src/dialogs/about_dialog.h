// The About box: product name, version, contact line, publisher and web address.
#pragma once

#include <QDialog>

#include "core/desktop.h"

class QFrame;
class QLabel;
class QPushButton;

namespace pellimar {

class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kWebAddress = "https://pellimar.example.org/";
    static constexpr const char* kSupportMail = "support@pellimar.example.org";
    static constexpr const char* kPublisher = "Quillhaven Softworks";

    explicit AboutDialog(Desktop& desktop, QWidget* parent = nullptr);

    void centreOnScreen();
    void openWebAddress();

    QLabel* programPicture;
    QLabel* titleLabel;
    QFrame* detailsPanel;
    QLabel* versionLabel;
    QLabel* contactHeading;
    QLabel* mailLabel;
    QLabel* publisherLabel;
    QLabel* webLink;
    QPushButton* okButton;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Desktop& desktop_;
};

}  // namespace pellimar
