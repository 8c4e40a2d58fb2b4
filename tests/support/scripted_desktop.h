// A desktop for tests: records every call and answers from queues the test fills.
// An empty queue answers "cancel" (no path, Answer::Cancel, QDialog::Rejected).
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/desktop.h"

namespace pellimar::test {

struct ChoiceCall {
    std::string text;
    std::string caption;
    std::vector<std::string> buttons;
};

struct MessageCall {
    std::string text;
    std::string caption;
    Buttons buttons;
    MessageIcon icon;
};

class ScriptedDesktop : public Desktop {
  public:
    std::deque<Answer> answers;
    // Indexes of the buttons choose() answers with; empty: the last button.
    std::deque<int> choices;
    std::deque<std::optional<std::filesystem::path>> openAnswers;
    std::deque<std::optional<std::filesystem::path>> saveAnswers;
    std::deque<std::optional<std::filesystem::path>> folderAnswers;
    // Each modal form is handed to the next function, which may set its controls
    // and call its handlers; its return value is the dialog's result code.
    std::deque<std::function<int(QDialog&)>> modalScripts;
    // Whether the desktop opens each document handed to openDocument(), in turn.
    std::deque<bool> documentAnswers;

    std::vector<MessageCall> messages;
    std::vector<ChoiceCall> questions;
    std::vector<std::string> errors;
    std::vector<FileDialogRequest> openRequests;
    std::vector<FileDialogRequest> saveRequests;
    std::vector<std::string> folderTitles;
    std::vector<std::filesystem::path> opened;
    std::vector<QDialog*> modalForms;
    std::vector<std::filesystem::path> documents;

    // Each runs inside the next message(), while its box is "open": the test may
    // let events run there, and the program may close the box meanwhile.
    std::deque<std::function<void()>> whileMessageOpen;
    // How many boxes the program closed by closeMessage(); a box closed so
    // answers Cancel, whatever `answers` holds.
    int closedMessages = 0;

    Answer message(const std::string& text, const std::string& caption, Buttons buttons,
                   MessageIcon icon) override {
        messages.push_back({text, caption, buttons, icon});
        const int closedBefore = closedMessages;
        ++openMessages_;
        if (!whileMessageOpen.empty()) {
            auto meanwhile = std::move(whileMessageOpen.front());
            whileMessageOpen.pop_front();
            meanwhile();
        }
        --openMessages_;
        const Answer answer = pop(answers, Answer::Cancel);
        return closedMessages > closedBefore ? Answer::Cancel : answer;
    }
    void closeMessage() override {
        if (openMessages_ > 0) ++closedMessages;
    }
    int choose(const std::string& text, const std::string& caption,
               const std::vector<std::string>& buttons, MessageIcon) override {
        questions.push_back({text, caption, buttons});
        return pop(choices, int(buttons.size()) - 1);
    }
    void errorBox(const std::string& text) override { errors.push_back(text); }
    std::optional<std::filesystem::path> openFile(const FileDialogRequest& r) override {
        openRequests.push_back(r);
        return pop(openAnswers, std::optional<std::filesystem::path>{});
    }
    std::optional<std::filesystem::path> saveFile(const FileDialogRequest& r) override {
        saveRequests.push_back(r);
        return pop(saveAnswers, std::optional<std::filesystem::path>{});
    }
    std::optional<std::filesystem::path> chooseFolder(const std::string& title) override {
        folderTitles.push_back(title);
        return pop(folderAnswers, std::optional<std::filesystem::path>{});
    }
    void openWithDefaultHandler(const std::filesystem::path& path) override {
        opened.push_back(path);
    }
    bool openDocument(const std::filesystem::path& path) override {
        documents.push_back(path);
        return pop(documentAnswers, false);
    }
    int runModal(QDialog& dialog) override {
        modalForms.push_back(&dialog);
        if (modalScripts.empty()) return 0;
        auto script = std::move(modalScripts.front());
        modalScripts.pop_front();
        return script(dialog);
    }

  private:
    int openMessages_ = 0;
    template <typename T>
    static T pop(std::deque<T>& queue, T fallback) {
        if (queue.empty()) return fallback;
        T value = std::move(queue.front());
        queue.pop_front();
        return value;
    }
};

}  // namespace pellimar::test
