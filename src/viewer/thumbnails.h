// The viewer's thumbnails: one cell per image of the icon shown, in a standard list
// widget. An item's text is the image's label, drawn as the cell's caption, and its
// decoration is a QImage made once from the decoded image: drawn on black as the
// preview draws it, fitted into the cell, with as many pixels as the screen gives.
#pragma once

#include <QAbstractItemDelegate>
#include <QImage>
#include <QRect>
#include <QSize>

#include "platform/icon.h"

class QListWidget;

namespace pellimar {

// The height of a thumbnail cell; a cell is as wide as the list.
inline constexpr int kThumbnailCellHeight = 64;

// The size a picture of `picture` is drawn at in `area`: scaled down with its ratio
// kept when it is larger in either direction, never enlarged. An empty area gives
// an empty size.
QSize fitThumbnailPicture(QSize picture, QSize area);

// Where the picture of a cell may go: the cell less 2 pixels on every side, less
// the caption band of `captionHeight` pixels at its bottom.
QRect thumbnailPictureArea(const QRect& cell, int captionHeight);

// `icon` at its own size drawn on black by the desktop's rule (Format_RGB32), as
// the viewer's black panels show it: pixels that invert the background show as
// they do there. Null for an empty icon.
QImage iconOnBlack(const Icon& icon);

// The picture of a thumbnail: `icon` drawn on black by the desktop's rule, fitted
// into `area` device-independent pixels, with `ratio` device pixels to each (it
// carries that ratio). A small image on a dense screen keeps its square pixels
// when each becomes a whole number of them; any other change of size is smooth.
// Null for an empty icon or area.
QImage thumbnailPicture(const Icon& icon, QSize area, double ratio);

// Sets `list` up as the viewer's column of thumbnails: cells of the list's width
// and kThumbnailCellHeight, one selected at a time, white captions on black.
void setUpThumbnailList(QListWidget& list);

// Draws one cell: its picture centred above its caption, the caption on one line
// cut with "..." when too wide. A selected cell looks as any other (the preview
// shows the chosen image); the current cell has a dotted frame while the list has
// the focus.
class ThumbnailDelegate : public QAbstractItemDelegate {
  public:
    using QAbstractItemDelegate::QAbstractItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace pellimar
