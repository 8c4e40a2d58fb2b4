#include "core/window_placement.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
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

double fontGrowth(const QFont& font) {
    const QFontInfo info(font);
    const double points = info.pointSizeF() > 0 ? info.pointSizeF() : info.pixelSize() * 0.75;
    return std::max(1.0, points / kDesignPointSize);
}

namespace {

QRect grown(const QRect& r, double f) {
    const int left = qRound(r.left() * f), top = qRound(r.top() * f);
    return {left, top, qRound((r.left() + r.width()) * f) - left,
            qRound((r.top() + r.height()) * f) - top};
}

// Controls placed by hand on `parent`, and what they hold when they are plain
// panels; a control made of parts of its own (a list, a combo box) lays them out
// itself.
void growChildren(QWidget& parent, double f) {
    for (QObject* o : parent.children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w->isWindow()) continue;
        if (auto* label = qobject_cast<QLabel*>(w)) {
            // A banner as wide as its label stretches with it.
            const QPixmap picture = label->pixmap();
            if (!picture.isNull() && picture.width() == label->width() && label->width() > 64)
                label->setScaledContents(true);
        }
        if (w->font().pixelSize() > 0 && w->testAttribute(Qt::WA_SetFont)) {
            QFont font = w->font();
            font.setPixelSize(qRound(font.pixelSize() * f));
            w->setFont(font);
        }
        const bool fixedWidth = w->minimumWidth() == w->maximumWidth();
        const bool fixedHeight = w->minimumHeight() == w->maximumHeight();
        const QRect to = grown(w->geometry(), f);
        if (fixedWidth) w->setFixedWidth(to.width());
        if (fixedHeight) w->setFixedHeight(to.height());
        if (!parent.layout()) w->setGeometry(to);
        const QByteArray kind = w->metaObject()->className();
        if (kind == "QWidget" || kind == "QFrame" || kind == "QGroupBox") growChildren(*w, f);
    }
}

}  // namespace

void growWithFont(QWidget& window) {
    const double f = fontGrowth(window.font());
    if (f <= 1.0) return;
    growChildren(window, f);
    const QSize size(qRound(window.width() * f), qRound(window.height() * f));
    if (window.minimumSize() == window.maximumSize()) {
        window.setFixedSize(size);
    } else {
        window.setMinimumSize(window.minimumSize() * f);
        window.resize(size);
    }
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
