// The main window's status bar: seven panels, the second saying what the window
// does, the fourth how many icons the list holds and the sixth how many of them
// are selected, between narrow spacers. Background work adds its progress and its
// Stop button after them.
#pragma once

#include <QObject>
#include <QString>
#include <vector>

class QLabel;
class QMainWindow;

namespace pellimar {

class StatusPanels : public QObject {
    Q_OBJECT
  public:
    static constexpr int kPanelCount = 7;

    // Builds the panels into `window`'s status bar.
    explicit StatusPanels(QMainWindow& window);

    // The text of panel 0..6; nothing for another number.
    QString text(int panel) const;
    void setText(int panel, const QString& text);

    void showIdle();
    // What panel 1 says while files are read, and while they are saved.
    static QString searchingText() { return tr("Searching ..."); }
    static QString savingText() { return tr("Saving ..."); }
    // "Icons: N", as a scan, an import, Clear All and Delete leave it.
    void showIconCount(int count);
    void showSelectedCount(int count);

  private:
    std::vector<QLabel*> panels_;
};

}  // namespace pellimar
