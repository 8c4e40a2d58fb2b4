#include "app/work_controller.h"

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QToolButton>
#include <cstdio>

#include "app/command_table.h"
#include "app/status_panels.h"
#include "core/desktop.h"

namespace pellimar {

WorkController::WorkController(QMainWindow& window, Desktop& desktop, CommandTable& commands,
                               StatusPanels& status)
    : window_(window), desktop_(desktop), commands_(commands), status_(status) {
    QStatusBar* bar = window.statusBar();
    progressLabel = new QLabel;
    progressLabel->setObjectName("progressLabel");
    progressLabel->hide();
    bar->addWidget(progressLabel, 1);
    stopButton = new QToolButton;
    stopButton->setObjectName("stopButton");
    stopButton->setText(tr("Stop"));
    stopButton->setToolTip(tr("Stop reading files (Esc); the icons found so far stay"));
    stopButton->setAutoRaise(true);
    stopButton->hide();
    connect(stopButton, &QToolButton::clicked, this, [this] { stop(); });
    bar->addPermanentWidget(stopButton);
    commands.holdWhileBusy([this] { return running(); }, [this] { stop(); });
}

WorkController::~WorkController() {
    // The job goes with this; nothing of it reaches the window any more.
    if (job_) job_->disconnect(this);
}

bool WorkController::start(std::unique_ptr<BackgroundJob> job, Presentation how) {
    if (job_ || !job) return false;
    job_ = std::move(job);
    how_ = std::move(how);
    stopped_ = false;
    connect(job_.get(), &BackgroundJob::progressed, this, [this] {
        // After Stop the label says so until the work has ended.
        if (!stopped_ && how_.progress) progressLabel->setText(how_.progress());
    });
    // The job is done with once its signal has returned.
    connect(job_.get(), &BackgroundJob::finished, this, &WorkController::jobFinished,
            Qt::QueuedConnection);

    status_.setText(1, how_.activity);
    commands_.holdForWork();
    progressLabel->setText(QString());
    progressLabel->show();
    stopButton->setToolTip(how_.stopTip);
    stopButton->setEnabled(true);
    stopButton->show();
    job_->start();
    return true;
}

void WorkController::stop() {
    if (!job_) return;
    stopped_ = true;
    job_->requestStop();
    stopButton->setEnabled(false);
    progressLabel->setText(tr("Stopping ..."));
    emit stopping();
}

void WorkController::jobFinished() {
    if (!job_ || job_->running()) return;
    if (asking_) {
        // The question no longer applies: it closes, and the outcome is told once
        // it has (not over it).
        endedWhileAsking_ = true;
        desktop_.closeMessage();
        return;
    }
    const std::unique_ptr<BackgroundJob> job = std::move(job_);
    const Presentation how = std::move(how_);
    how_ = {};
    progressLabel->hide();
    stopButton->hide();
    commands_.releaseAfterWork();
    status_.showIdle();
    if (closing_) {
        // Quitting at the person's word: no report holds the window back; the
        // command line hears what became of the work.
        if (how.quitNote)
            if (const QString note = how.quitNote(); !note.isEmpty())
                std::fprintf(stderr, "pellimar: %s\n", note.toLocal8Bit().constData());
        if (job->error()) std::fprintf(stderr, "pellimar: %s\n", job->error()->c_str());
    } else {
        if (how.ended) guarded(desktop_, how.ended);
        if (job->error()) desktop_.errorBox(*job->error());
    }
    emit ended();
    if (closing_) QMetaObject::invokeMethod(&window_, &QWidget::close, Qt::QueuedConnection);
}

void WorkController::closeRequested() {
    if (!job_) return;
    if (closing_) {
        stop();  // work that began after the answer ends too
        return;
    }
    // A copy: the work may end while the question is open, and its presentation go.
    const std::string question = how_.closeQuestion;
    guarded(desktop_, [&] {
        job_->pause();
        asking_ = true;
        endedWhileAsking_ = false;
        Answer answer = Answer::Cancel;
        try {
            answer = desktop_.message(question, "Notice", Buttons::OkCancel);
        } catch (...) {
            asking_ = false;
            if (job_) job_->resume();
            throw;
        }
        asking_ = false;
        if (answer == Answer::Ok) closing_ = true;
        if (endedWhileAsking_) {
            endedWhileAsking_ = false;
            jobFinished();  // closes the window too when the answer was yes
            return;
        }
        if (!job_) return;
        if (closing_)
            stop();
        else
            job_->resume();
    });
}

void WorkController::tell(const QStringList& notes) {
    if (notes.isEmpty()) return;
    progressLabel->setText(notes.join("; "));
    progressLabel->setToolTip(notes.join('\n'));
    progressLabel->show();
}

void WorkController::clearNotes() {
    if (job_) return;
    progressLabel->clear();
    progressLabel->setToolTip(QString());
    progressLabel->hide();
}

}  // namespace pellimar
