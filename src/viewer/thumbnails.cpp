#include "viewer/thumbnails.h"

#include <QFontMetrics>
#include <QListWidget>
#include <QPainter>

#include "core/icon_image.h"

namespace pellimar {

QSize fitThumbnailPicture(QSize picture, QSize area) {
    const int W = area.width(), H = area.height();
    if (W <= 0 || H <= 0) return {0, 0};
    const double rx = double(picture.width()) / W;
    const double ry = double(picture.height()) / H;
    if (rx > 1.0 || ry > 1.0) {
        // The direction that overflows more fills the area; equal ratios take the height's.
        if (rx > ry) return {W, int(picture.height() / rx)};
        return {int(picture.width() / ry), H};
    }
    return picture;
}

QRect thumbnailPictureArea(const QRect& cell, int captionHeight) {
    QRect area = cell.adjusted(2, 2, -2, -2);
    area.setHeight(area.height() - captionHeight);
    return area;
}

QImage iconOnBlack(const Icon& icon) {
    if (icon.empty()) return {};
    QImage shown(icon.width, icon.height, QImage::Format_RGB32);
    shown.fill(Qt::black);
    drawIconOnImage(shown, 0, 0, icon);
    return shown;
}

QImage thumbnailPicture(const Icon& icon, QSize area, double ratio) {
    const QSize shown = fitThumbnailPicture(QSize(icon.width, icon.height), area);
    if (icon.empty() || shown.isEmpty()) return {};
    QImage picture = iconOnBlack(icon);
    const QSize pixels(pixelSizeAt(shown.width(), ratio), pixelSizeAt(shown.height(), ratio));
    if (picture.size() != pixels) {
        // Each pixel of a small image drawn as a square of whole pixels; any other
        // change of size is smoothed.
        const bool whole = pixels.width() % picture.width() == 0 &&
                           pixels.height() % picture.height() == 0 &&
                           pixels.width() / picture.width() == pixels.height() / picture.height();
        picture = picture.scaled(pixels, Qt::IgnoreAspectRatio,
                                 whole ? Qt::FastTransformation : Qt::SmoothTransformation);
    }
    picture.setDevicePixelRatio(double(pixels.width()) / shown.width());
    return picture;
}

void setUpThumbnailList(QListWidget& list) {
    list.setItemDelegate(new ThumbnailDelegate(&list));
    list.setViewMode(QListView::ListMode);
    list.setFlow(QListView::TopToBottom);
    list.setWrapping(false);
    list.setMovement(QListView::Static);
    list.setResizeMode(QListView::Adjust);
    list.setUniformItemSizes(true);
    list.setSpacing(0);
    list.setSelectionMode(QAbstractItemView::SingleSelection);
    list.setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The cells show the list's black, on which the captions stand in white.
    QPalette palette = list.palette();
    palette.setColor(QPalette::Base, Qt::black);
    palette.setColor(QPalette::Text, Qt::white);
    list.setPalette(palette);
    QFont font = list.font();
    font.setPixelSize(9);
    list.setFont(font);
}

void ThumbnailDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    painter->save();
    const QFontMetrics fm(option.font);
    const QColor ink = option.palette.color(QPalette::Text);
    const QRect content = option.rect.adjusted(2, 2, -2, -2);
    painter->setFont(option.font);
    painter->setPen(ink);
    const QString caption =
        fm.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, content.width());
    painter->drawText(content, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine, caption);

    const QImage picture = qvariant_cast<QImage>(index.data(Qt::DecorationRole));
    const QRect area = thumbnailPictureArea(option.rect, fm.height());
    if (!picture.isNull() && !area.isEmpty()) {
        const QSize own = picture.deviceIndependentSize().toSize();
        const QSize drawn = fitThumbnailPicture(own, area.size());
        const QRect at(area.left() + (area.width() - drawn.width()) / 2,
                       area.top() + (area.height() - drawn.height()) / 2, drawn.width(),
                       drawn.height());
        // Made for the cell, the picture is drawn pixel for pixel; only a cell
        // narrowed since (by a scroll bar) shrinks it.
        painter->setRenderHint(QPainter::SmoothPixmapTransform, drawn != own);
        painter->drawImage(at, picture);
    }

    if (option.state.testFlag(QStyle::State_HasFocus)) {
        painter->setPen(QPen(ink, 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        // Wholly inside the cell at any pixel density: a frame that strayed onto the
        // next cell would stay there when only this one is drawn again.
        painter->drawRect(QRectF(option.rect).adjusted(0.5, 0.5, -0.5, -0.5));
    }
    painter->restore();
}

QSize ThumbnailDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    // A list of one column makes each cell as wide as its viewport, also once a
    // scroll bar has narrowed it; a cell that asked for more would scroll sideways.
    return {1, kThumbnailCellHeight};
}

}  // namespace pellimar
