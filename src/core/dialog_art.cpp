#include "core/dialog_art.h"

#include <QApplication>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QStyle>

namespace pellimar {

QPixmap bannerPixmap(int width, int height, const QString& title) {
    QPixmap pixmap(width, height);
    QPainter painter(&pixmap);
    QLinearGradient gradient(0, 0, width, 0);
    gradient.setColorAt(0.0, QColor(0x1F, 0x3A, 0x6B));
    gradient.setColorAt(1.0, QColor(0xE8, 0xEE, 0xF8));
    painter.fillRect(pixmap.rect(), gradient);
    painter.setPen(QColor(0x9A, 0xA8, 0xC0));
    painter.drawLine(0, height - 1, width, height - 1);
    QFont font = QApplication::font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.4);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(14, 0, width - 28, height), Qt::AlignVCenter | Qt::AlignLeft, title);
    return pixmap;
}

QPixmap decorationPixmap(Decoration kind) {
    QStyle::StandardPixmap which = QStyle::SP_DirIcon;
    switch (kind) {
        case Decoration::Folder:
            which = QStyle::SP_DirOpenIcon;
            break;
        case Decoration::Files:
            which = QStyle::SP_FileIcon;
            break;
        case Decoration::Search:
            which = QStyle::SP_FileDialogContentsView;
            break;
        case Decoration::Clear:
            which = QStyle::SP_DialogResetButton;
            break;
    }
    return QApplication::style()->standardIcon(which).pixmap(32, 32);
}

}  // namespace pellimar
