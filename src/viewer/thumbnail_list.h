// A list control of thumbnails: each a picture with an optional one-line caption,
// drawn in cells of thumbnailSize pixels, fitted with its aspect ratio kept and
// never enlarged. Built on Qt's list widget, which supplies scrolling, selection,
// keyboard handling and clicks and holds one empty placeholder item per thumbnail;
// all content and all drawing come from the thumbnail collection.
#pragma once

#include <QColor>
#include <QListWidget>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "viewer/picture.h"

namespace pellimar {

enum class ThumbnailOrientation { Vertical, Horizontal };
enum class ThumbnailSource { Picture, File };

class ThumbnailList;
class ThumbnailCollection;

// ---- Geometry of one cell, kept apart from drawing so it can be checked ----

// The size a picture of iw x ih is drawn at in an area of W x H: scaled down to fit
// with its ratio kept when it is larger in either direction, never enlarged.
QSize fitThumbnailPicture(int iw, int ih, int W, int H);

struct ThumbnailCellGeometry {
    QRect content;      // the item rectangle less 2 pixels on every side
    QRect captionBand;  // where the caption is drawn (the content rectangle's bottom band)
    QRect pictureArea;  // the content rectangle above the caption band
    QRect picture;      // where the picture is drawn; empty when nothing is drawn
};
// item: the cell; captionHeight: the text height of the caption font (used only
// when showCaption); iw, ih: the picture's display size.
ThumbnailCellGeometry layoutThumbnailCell(const QRect& item, bool showCaption, int captionHeight,
                                          int iw, int ih);

// Item height of a horizontal list: the control's height less a horizontal scroll
// bar and four window borders.
inline int horizontalItemHeight(int controlHeight, int scrollBarHeight, int borderHeight) {
    return controlHeight - scrollBarHeight - 4 * borderHeight;
}
// Columns of a multi-column vertical list after its width changed: as many whole
// cells as fit, when that is at least one; otherwise unchanged.
inline int columnsAfterResize(int width, int thumbnailSize, int columns) {
    if (thumbnailSize <= 0 || columns <= 0) return columns;
    int n = width / thumbnailSize;
    return (n > 0 && n != columns) ? n : columns;
}

// ---- The collection ----

class Thumbnail {
  public:
    Thumbnail(const Thumbnail&) = delete;
    Thumbnail& operator=(const Thumbnail&) = delete;

    Picture& picture() { return *picture_; }
    const Picture& picture() const { return *picture_; }
    void setPicture(const Picture* picture) { picture_->assign(picture); }
    ThumbnailSource source() const { return source_; }
    void setSource(ThumbnailSource s) { source_ = s; }
    const QString& fileName() const { return fileName_; }
    void setFileName(const QString& name);
    const QString& caption() const { return caption_; }
    void setCaption(const QString& caption);
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    ThumbnailCollection& collection() const { return *collection_; }

  private:
    friend class ThumbnailCollection;
    explicit Thumbnail(ThumbnailCollection& owner);

    ThumbnailCollection* collection_;
    std::unique_ptr<Picture> picture_;
    ThumbnailSource source_ = ThumbnailSource::Picture;
    QString fileName_;
    QString caption_;
    int tag_ = 0;
};

class ThumbnailCollection {
  public:
    explicit ThumbnailCollection(ThumbnailList* owner = nullptr) : owner_(owner) {}
    ~ThumbnailCollection();
    ThumbnailCollection(const ThumbnailCollection&) = delete;
    ThumbnailCollection& operator=(const ThumbnailCollection&) = delete;

    Thumbnail* add();
    Thumbnail* at(int index) const;
    int count() const { return int(items_.size()); }
    int liveCount() const { return liveCount_; }
    // Destroys the thumbnail at index (its picture with it).
    void remove(int index);
    void clear();
    // Replaces the items by copies of other's (properties and picture bytes).
    void assign(const ThumbnailCollection& other);
    ThumbnailList* owner() const { return owner_; }

    // Called only by thumbnails.
    void noteAdded();
    void noteChanged();
    void noteRemoved();

  private:
    ThumbnailList* owner_;
    std::vector<std::unique_ptr<Thumbnail>> items_;
    int liveCount_ = 0;
};

// ---- The control ----

struct ThumbnailItemState {
    bool selected = false;
    bool focused = false;
};

class ThumbnailList : public QListWidget {
  public:
    explicit ThumbnailList(QWidget* parent = nullptr);
    ~ThumbnailList() override;

    ThumbnailCollection& thumbnails() { return *thumbnails_; }
    void setThumbnails(const ThumbnailCollection& other) { thumbnails_->assign(other); }

    int thumbnailSize() const { return thumbnailSize_; }
    void setThumbnailSize(int size) { applyLayout(size); }
    ThumbnailOrientation orientation() const { return orientation_; }
    void setOrientation(ThumbnailOrientation o);
    bool showCaption() const { return showCaption_; }
    void setShowCaption(bool on);
    bool showSelection() const { return showSelection_; }
    void setShowSelection(bool on);
    bool buffered() const { return buffered_; }
    void setBuffered(bool on) { buffered_ = on; }

    // The list's own colour; an invalid colour means "none": cells are not filled
    // and the view's background shows through.
    QColor color() const { return color_; }
    void setColor(const QColor& c);
    // The caption colour.
    QColor fontColor() const { return fontColor_; }
    void setFontColor(const QColor& c);

    // Multi-column layout as a list box has it: 0 is one column as wide as the
    // control; n > 0 makes cells of columnWidth flow down and on into further columns.
    int columns() const { return columns_; }
    void setColumns(int n);
    int columnWidth() const { return columnWidth_; }
    void setColumnWidth(int w);
    int itemHeight() const { return itemHeight_; }
    void setItemHeight(int h);
    bool multiSelect() const { return selectionMode() == ExtendedSelection; }
    void setMultiSelect(bool on) { setSelectionMode(on ? ExtendedSelection : SingleSelection); }
    int itemIndex() const { return currentRow(); }
    void setItemIndex(int i) { setCurrentRow(i); }
    bool isRowSelected(int i) const;

    // While true, syncItems and the resize rules leave the control alone (as
    // while the control's stored data are being read). Ending it runs syncItems.
    void beginLoading() { loading_ = true; }
    void endLoading();

    void syncItems();
    void applyLayout(int size);
    void paintThumbnail(QPainter& painter, int index, const QRect& rect, ThumbnailItemState state);

    // The size of one cell as laid out now.
    QSize cellSize() const;

    // After a change of the selection, and after a left click on an item even when
    // it was selected already.
    std::function<void()> onClick;
    std::function<void()> onDoubleClick;
    std::function<void(Qt::MouseButton, QPoint)> onMousePress;

  protected:
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

  private:
    void relayout();
    void repaintCells();

    std::unique_ptr<ThumbnailCollection> thumbnails_;
    int thumbnailSize_ = 64;
    ThumbnailOrientation orientation_ = ThumbnailOrientation::Vertical;
    bool showCaption_ = true;
    bool showSelection_ = false;
    bool buffered_ = true;
    QColor color_;
    QColor fontColor_;
    int columns_ = 0;
    int columnWidth_ = 0;
    int itemHeight_ = 64;
    bool loading_ = false;
    bool destroying_ = false;
    bool selectionReported_ = false;  // the current mouse press changed the selection
};

}  // namespace pellimar
