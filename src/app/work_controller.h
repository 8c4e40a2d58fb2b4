// The main window's background work, one job at a time, whatever the job does:
// while it runs the commands that start work or change the list are held, the
// status bar shows its progress and a Stop button (Esc does the same) and closing
// the window asks first; when it has ended the commands come back and its
// outcome is told.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>

#include "core/background_job.h"

class QLabel;
class QMainWindow;
class QToolButton;

namespace pellimar {

class CommandTable;
class Desktop;
class StatusPanels;

class WorkController : public QObject {
    Q_OBJECT
  public:
    // Adds the progress text and the Stop button to `window`'s status bar, after
    // the panels.
    WorkController(QMainWindow& window, Desktop& desktop, CommandTable& commands,
                   StatusPanels& status);
    // Work still running is stopped and waited for; what it found is dropped.
    ~WorkController() override;

    // How a job shows while it runs and what is told when it ends.
    struct Presentation {
        QString activity;           // status panel 1 while it runs
        QString stopTip;            // the Stop button's tip
        std::string closeQuestion;  // asked when the window is closed meanwhile
        // How far it has got, shown at every progressed(); none: nothing shown.
        std::function<QString()> progress;
        // Tells the outcome, once the commands are back and before the job goes.
        // An error the job ended with is told after it, in the error box.
        std::function<void()> ended;
        // When the window quits at the person's word before the outcome is told:
        // what is said of it on the command line instead (none: nothing).
        std::function<QString()> quitNote;
    };
    // Starts `job`; false (and the job dropped) while other work runs.
    bool start(std::unique_ptr<BackgroundJob> job, Presentation how);
    bool running() const { return job_ != nullptr; }
    // Asks the running work to end; what it has done so far stays.
    void stop();

    // The window is being closed while work runs: asks whether to stop and quit,
    // the work paused while the question is open (a save writes nothing more).
    // Yes: the work is stopped and the window closed once it has ended, its
    // outcome not shown. No: the work goes on. Work that ends while the question
    // is open closes it and is told as usual, and the window stays (unless the
    // answer came at the same moment and was yes). Asked once: closing again only
    // stops work begun since.
    void closeRequested();
    // True while the running work waits at a pause (the close question is open).
    bool held() const { return job_ && job_->holding(); }
    // Quitting was confirmed during work: the window closes without asking again.
    bool closeConfirmed() const { return closing_; }

    // Tells what the work found that the list does not show, in the status bar
    // after the panels ("; " between the notes, one a line in its tip).
    void tell(const QStringList& notes);
    // The notes go (the list they told of was cleared); nothing while work runs.
    void clearNotes();

  signals:
    // Stop was asked for (the Stop button, Esc, quitting).
    void stopping();
    // A job has ended and its outcome was told.
    void ended();

  private:
    void jobFinished();

    QMainWindow& window_;
    Desktop& desktop_;
    CommandTable& commands_;
    StatusPanels& status_;
    std::unique_ptr<BackgroundJob> job_;
    Presentation how_;
    bool stopped_ = false;  // Stop was asked during the running job
    bool closing_ = false;  // quitting was confirmed during work
    bool asking_ = false;   // the close question is open
    bool endedWhileAsking_ = false;

    // Shown in the status bar while work runs, and for its notes afterwards.
    QLabel* progressLabel;
    QToolButton* stopButton;
};

}  // namespace pellimar
