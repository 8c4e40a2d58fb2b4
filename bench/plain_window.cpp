// The yardstick for the main window's start-up: a plain Qt main window with a
// menu bar, a table and a status bar, and nothing else. startup_vs_plain_window.sh
// times both from start to the first mapping of a window.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTableView>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Plain");
    QMenu* file = window.menuBar()->addMenu("&File");
    file->addAction("&Open");
    file->addAction("E&xit");
    window.menuBar()->addMenu("&View")->addAction("&Details");
    window.menuBar()->addMenu("&Help")->addAction("&About");
    window.setCentralWidget(new QTableView);
    window.statusBar()->showMessage("Ready");
    window.resize(825, 514);
    window.show();
    return app.exec();
}
