// The one seam between the program and everything modal or external: message
// boxes, file and folder dialogs, the application's error box, the program's own
// modal forms and handing a path to the desktop. The program runs on QtDesktop;
// tests run on a scripted desktop that records each call and answers from a queue.
#pragma once

#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class QDialog;

namespace pellimar {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, Retry };
enum class MessageIcon { None, Information, Warning, Error, Question };
enum class Answer { Ok, Cancel, Yes, No, Retry };

// A file dialog as the program describes it. `filter` uses the program's own
// notation: "description|pattern;pattern|description|pattern".
struct FileDialogRequest {
    std::string title;
    std::string filter;
    int filterIndex = 1;            // 1-based, as the filter lists them
    std::string defaultExt;         // without dot; appended to a name typed without one
    std::filesystem::path initial;  // file name or folder shown first (may be empty)
};

class Desktop {
  public:
    virtual ~Desktop() = default;

    virtual Answer message(const std::string& text, const std::string& caption, Buttons buttons,
                           MessageIcon icon = MessageIcon::None) = 0;
    // Closes the message box that message() shows now, the innermost when boxes
    // are open over one another, as its escape button would: what it asked no
    // longer applies. Nothing when no box is open.
    virtual void closeMessage() {}
    // A question answered by one of the given buttons (texts of the program, an
    // access key marked with '&'); the first is the default, the last is what Esc
    // and the close box give. Returns the index of the button chosen.
    virtual int choose(const std::string& text, const std::string& caption,
                       const std::vector<std::string>& buttons,
                       MessageIcon icon = MessageIcon::Question) = 0;
    // The application's standard error box (an error that no handler caught).
    virtual void errorBox(const std::string& text) = 0;
    virtual std::optional<std::filesystem::path> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::filesystem::path> saveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::filesystem::path> chooseFolder(const std::string& title) = 0;
    // Opens a file or folder with the desktop's default handler; the outcome is ignored.
    virtual void openWithDefaultHandler(const std::filesystem::path& path) = 0;
    // Opens a file with the desktop's handler for its type. False when the desktop
    // has no handler for that type or the handler could not be started.
    virtual bool openDocument(const std::filesystem::path& path) {
        (void)path;
        return false;
    }
    // Runs one of the program's own forms modally; returns QDialog's result code.
    virtual int runModal(QDialog& dialog) = 0;
};

// Runs a handler body; an exception that escapes it ends only that handler and is
// shown in the application's error box, as an uncaught error in a handler should be.
template <typename F>
void guarded(Desktop& desktop, F&& body) {
    try {
        body();
    } catch (const std::exception& e) {
        desktop.errorBox(e.what());
    } catch (...) {
        // Something thrown that is no std::exception carries no text; the person is
        // still told that the handler failed.
        desktop.errorBox("Unknown error");
    }
}

}  // namespace pellimar
