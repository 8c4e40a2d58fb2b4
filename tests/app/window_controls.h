// The main window's controls as tests reach them: by their object names, as a
// tool would, since the window keeps them to itself. And waiting for the work it
// runs in the background.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>

#include "app/main_window.h"
#include "app/result_list.h"
#include "core/icon_image.h"

namespace pellimar::test {

// The control of that object name and type; a test failure when there is none.
template <typename T = QAction>
T* control(const QObject& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found) ADD_FAILURE() << "the window has no control named " << name;
    return found;
}

inline ResultList* resultListOf(const QObject& window) {
    return control<ResultList>(window, "resultList");
}

inline QLabel* statusPanel(const QObject& window, int panel) {
    return control<QLabel>(window, ("statusPanel" + std::to_string(panel)).c_str());
}

inline void setStatus(const QObject& window, int panel, const QString& text) {
    statusPanel(window, panel)->setText(text);
}

// Puts a row straight into the list, its picture made from `icon`.
inline void addRow(const QObject& window, const Icon& icon, const std::filesystem::path& source,
                   int position) {
    resultListOf(window)->addRow(rowPicture(icon), source, position);
}

// Lets the window's background work run to its end (a test failure when it does
// not end within `ms` milliseconds).
inline void waitForIdle(MainWindow& window, int ms = 30000) {
    QElapsedTimer clock;
    clock.start();
    // Idle for a few turns of the event loop in a row: the end of one work may
    // queue the next (the next path of a list of them), and a loaded machine may
    // take more than one turn to start it.
    int idleTurns = 0;
    while (idleTurns < 3 && clock.elapsed() < ms) {
        QTest::qWait(5);
        idleTurns = window.backgroundWorkRunning() ? 0 : idleTurns + 1;
    }
    if (window.backgroundWorkRunning()) ADD_FAILURE() << "the background work did not end";
    // What the end of the work queued (the next path of a list of them).
    QCoreApplication::processEvents();
}

}  // namespace pellimar::test
