// Shows the icon viewer on an icon file, for the README's screenshot.
// Usage: viewer_shot FILE.ico [thumbnail to click]
#include <QApplication>
#include <QListWidget>
#include <QTimer>

#include "core/qt_desktop.h"
#include "viewer/icon_viewer.h"

using namespace pellimar;

int main(int argc, char** argv) {
    QtDesktop desktop;
    PellimarApplication app(argc, argv, desktop);
    if (argc < 2) return 2;
    const int row = argc > 2 ? std::atoi(argv[2]) : 0;
    QTimer::singleShot(500, [row] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* viewer = qobject_cast<QDialog*>(w); viewer && viewer->isVisible()) {
                viewer->move(20, 20);
                static_cast<IconViewer*>(viewer)->thumbnailList->setCurrentRow(row);
            }
    });
    showIconViewer(desktop, nullptr, argv[1], argv[1]);
    return 0;
}
