#include "core/window_placement.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSpacerItem>
#include <QWidget>

namespace pellimar {

namespace {

QMargins marginsOf(const QWidget& w) {
    const QRect outer = w.frameGeometry();
    const QRect inner = w.geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

}  // namespace

QRect centredClientRect(const QRect& area, QSize client, QMargins frame) {
    const int outerWidth = client.width() + frame.left() + frame.right();
    const int outerHeight = client.height() + frame.top() + frame.bottom();
    const int x = area.x() + (area.width() - outerWidth) / 2;
    const int y = area.y() + (area.height() - outerHeight) / 2;
    return {QPoint(x + frame.left(), y + frame.top()), client};
}

QMargins knownFrameMargins(const QWidget& window) {
    if (window.isVisible() && window.testAttribute(Qt::WA_WState_Created)) {
        const QMargins own = marginsOf(window);
        if (!own.isNull()) return own;
    }
    // Before the first showing the desktop has not told Qt about the frame yet.
    if (const QWidget* owner = window.parentWidget() ? window.parentWidget()->window() : nullptr;
        owner && owner->isVisible())
        return marginsOf(*owner);
    return {};
}

void centreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    // The client rectangle is set, not the frame's corner: a window not shown yet
    // has no known frame, and moving it would put its client area where its frame
    // belongs.
    window.setGeometry(
        centredClientRect(screen->geometry(), window.size(), knownFrameMargins(window)));
}

void giveCloseBoxOnly(QWidget& window) {
    Qt::WindowFlags flags = window.windowFlags();
    flags &= ~(Qt::WindowMinMaxButtonsHint | Qt::WindowContextHelpButtonHint);
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
             Qt::WindowCloseButtonHint;
    window.setWindowFlags(flags);
}

int widthForCaption(const QString& caption, const QFont& titleFont) {
    // The window's icon, the close box and the frame's corners take about four
    // title-bar heights beside the text.
    const QFontMetrics fm(titleFont);
    return fm.horizontalAdvance(caption) + 4 * (fm.height() + 8);
}

void fitMessageBox(QMessageBox& box) {
    giveCloseBoxOnly(box);
    // A message box sizes itself to its text; a spacer across its layout keeps it
    // from getting narrower than its caption.
    const int least =
        widthForCaption(box.windowTitle(), QApplication::font("QMdiSubWindowTitleBar"));
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int margins = grid->contentsMargins().left() + grid->contentsMargins().right();
        grid->addItem(new QSpacerItem(std::max(0, least - margins), 0, QSizePolicy::Minimum,
                                      QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
}

}  // namespace pellimar
