// The desktop the program runs on: Qt's message boxes and file dialogs, the
// desktop's default handlers, and the application's error box.
#pragma once

#include <QApplication>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <vector>

#include "core/desktop.h"

class QMessageBox;
class QWidget;

namespace pellimar {

// A text of the program as a person reads it: translated (context "Messages"; a
// text whose whole has no translation has its first line translated, the details
// on the lines after it kept), with Windows-style line breaks made plain.
QString fromProgram(const std::string& text);

// Translates "desc|pat;pat|desc|pat" into Qt's name filters ("desc (pat pat)").
QStringList qtNameFilters(const std::string& filter);

class QtDesktop : public Desktop {
  public:
    // Message boxes and dialogs are owned by `owner` (the main window) when it is
    // set, otherwise by the active window.
    void setOwner(QWidget* owner) { owner_ = owner; }

    Answer message(const std::string& text, const std::string& caption, Buttons buttons,
                   MessageIcon icon = MessageIcon::None) override;
    int choose(const std::string& text, const std::string& caption,
               const std::vector<std::string>& buttons,
               MessageIcon icon = MessageIcon::Question) override;
    void closeMessage() override;
    void errorBox(const std::string& text) override;
    std::optional<std::filesystem::path> openFile(const FileDialogRequest& request) override;
    std::optional<std::filesystem::path> saveFile(const FileDialogRequest& request) override;
    std::optional<std::filesystem::path> chooseFolder(const std::string& title) override;
    void openWithDefaultHandler(const std::filesystem::path& path) override;
    // Asks xdg-mime for the handler of the file's type first: xdg-open starts
    // whether or not there is one, so its own success says nothing.
    bool openDocument(const std::filesystem::path& path) override;
    int runModal(QDialog& dialog) override;

  private:
    QWidget* parentWidget() const;
    std::optional<std::filesystem::path> fileDialog(const FileDialogRequest& request, bool save);

    QPointer<QWidget> owner_;
    // The message boxes open now, the innermost last.
    std::vector<QPointer<QMessageBox>> openMessages_;
};

// The application object: an exception that escapes an event handler ends only
// that handler and is shown in the desktop's error box.
class PellimarApplication : public QApplication {
  public:
    PellimarApplication(int& argc, char** argv, Desktop& desktop);
    bool notify(QObject* receiver, QEvent* event) override;

  private:
    void reportLater(const std::string& text);

    Desktop& desktop_;
};

}  // namespace pellimar
