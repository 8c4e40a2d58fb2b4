#include "core/qt_desktop.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

using namespace pellimar;

TEST(QtNameFilters, TranslateTheProgramsFilterNotation) {
    EXPECT_EQ(qtNameFilters("Executables|*.exe;*.dll|All files|*.*"),
              (QStringList{"Executables (*.exe *.dll)", "All files (*)"}));
    // A description naming its own patterns is not given them twice.
    EXPECT_EQ(qtNameFilters("Icon files (*.ico)|*.ico"), (QStringList{"Icon files (*.ico)"}));
    // ... and is shown as written, blanks and all.
    EXPECT_EQ(qtNameFilters("ico file(s)   (*.ico)|*.ico"), (QStringList{"ico file(s)   (*.ico)"}));
    EXPECT_EQ(qtNameFilters("bmp file(s)  (*.bmp)|*.bmp"), (QStringList{"bmp file(s)  (*.bmp)"}));
    EXPECT_EQ(qtNameFilters("Pictures (*.bmp;*.jpg)|*.bmp;*.jpg"),
              (QStringList{"Pictures (*.bmp *.jpg)"}));
    EXPECT_EQ(qtNameFilters("|*.ico"), (QStringList{"*.ico (*.ico)"}));
    EXPECT_EQ(qtNameFilters("Odd|"), (QStringList{"Odd (*)"}));
    EXPECT_TRUE(qtNameFilters("").isEmpty());
    EXPECT_TRUE(qtNameFilters("only a description").isEmpty());
}

namespace {

// Answers the next message box with `button` and reports what it showed.
struct BoxSeen {
    QString title, text;
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

void answerNextBox(QMessageBox::StandardButton button, BoxSeen& seen) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, button, &seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        poll->stop();
        poll->deleteLater();
        seen = {box->windowTitle(), box->text(), box->standardButtons(), box->icon()};
        box->button(button)->click();
    });
    poll->start(10);
}

}  // namespace

TEST(QtDesktopMessage, ShowsTheProgramsTextsAndMapsTheAnswer) {
    QtDesktop desktop;
    BoxSeen seen;
    answerNextBox(QMessageBox::Cancel, seen);
    Answer a = desktop.message("You have opened some icon files,\r\n   are you sure to quit?",
                               "Notice", Buttons::OkCancel);
    EXPECT_EQ(a, Answer::Cancel);
    EXPECT_EQ(seen.title, "Notice");
    EXPECT_EQ(seen.text, "You have opened some icon files,\n   are you sure to quit?");
    EXPECT_EQ(seen.buttons, QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);

    answerNextBox(QMessageBox::Yes, seen);
    EXPECT_EQ(desktop.message("<b>not markup</b>", "Q", Buttons::YesNo, MessageIcon::Question),
              Answer::Yes);
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
}

TEST(QtDesktopMessage, RetryButtonCarriesItsAccessKey) {
    QtDesktop desktop;
    QString retryText;
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, &retryText] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        poll->stop();
        poll->deleteLater();
        retryText = box->button(QMessageBox::Retry)->text();
        box->button(QMessageBox::Retry)->click();
    });
    poll->start(10);
    EXPECT_EQ(desktop.message("Invalid data!One format at least!", "Error", Buttons::Retry,
                              MessageIcon::Error),
              Answer::Retry);
    EXPECT_EQ(retryText.toStdString(), "&Retry");
}

TEST(QtDesktopMessage, ErrorBoxEndsTheSentence) {
    QtDesktop desktop;
    BoxSeen seen;
    answerNextBox(QMessageBox::Ok, seen);
    desktop.errorBox("Unable to write to /x/setup.ini");
    EXPECT_EQ(seen.text, "Unable to write to /x/setup.ini.");
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.title, QApplication::applicationName());
}
