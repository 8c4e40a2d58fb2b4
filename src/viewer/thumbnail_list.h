// A list control of thumbnails: each a picture with an optional one-line caption,
// drawn in cells of ThumbnailSize pixels, fitted with its aspect ratio kept and
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

#include "viewer/ipicture.h"

namespace pellimar {

enum TThumbnailOrientation { toVertical = 0, toHorizontal = 1 };
enum TThumbnailSource { tsPicture = 0, tsFile = 1 };

class TThumbnailList;
class TThumbnails;

// ---- Geometry of one cell, kept apart from drawing so it can be checked ----

// The size a picture of iw x ih is drawn at in an area of W x H: scaled down to fit
// with its ratio kept when it is larger in either direction, never enlarged.
QSize FitThumbnailPicture(int iw, int ih, int W, int H);

struct ThumbnailCellGeometry {
    QRect content;      // the item rectangle less 2 pixels on every side
    QRect captionBand;  // where the caption is drawn (the content rectangle's bottom band)
    QRect pictureArea;  // the content rectangle above the caption band
    QRect picture;      // where the picture is drawn; empty when nothing is drawn
};
// item: the cell; captionHeight: the text height of the caption font (used only
// when showCaption); iw, ih: the picture's display size.
ThumbnailCellGeometry LayoutThumbnailCell(const QRect& item, bool showCaption, int captionHeight,
                                          int iw, int ih);

// Item height of a horizontal list: the control's height less a horizontal scroll
// bar and four window borders.
inline int HorizontalItemHeight(int controlHeight, int scrollBarHeight, int borderHeight) {
    return controlHeight - scrollBarHeight - 4 * borderHeight;
}
// Columns of a multi-column vertical list after its width changed: as many whole
// cells as fit, when that is at least one; otherwise unchanged.
inline int ColumnsAfterResize(int width, int thumbnailSize, int columns) {
    if (thumbnailSize <= 0 || columns <= 0) return columns;
    int n = width / thumbnailSize;
    return (n > 0 && n != columns) ? n : columns;
}

// ---- The collection ----

class TThumbnail {
  public:
    TThumbnail(const TThumbnail&) = delete;
    TThumbnail& operator=(const TThumbnail&) = delete;

    TIPicture& Picture() { return *Picture_; }
    const TIPicture& Picture() const { return *Picture_; }
    void setPicture(const TIPicture* picture) { Picture_->AssignPicture(picture); }
    TThumbnailSource Source() const { return Source_; }
    void setSource(TThumbnailSource s) { Source_ = s; }
    const QString& Filename() const { return Filename_; }
    void setFilename(const QString& name);
    const QString& Caption() const { return Caption_; }
    void setCaption(const QString& caption);
    int Tag() const { return Tag_; }
    void setTag(int tag) { Tag_ = tag; }

    TThumbnails& Collection() const { return *Collection_; }

  private:
    friend class TThumbnails;
    explicit TThumbnail(TThumbnails& owner);

    TThumbnails* Collection_;
    std::unique_ptr<TIPicture> Picture_;
    TThumbnailSource Source_ = tsPicture;
    QString Filename_;
    QString Caption_;
    int Tag_ = 0;
};

class TThumbnails {
  public:
    explicit TThumbnails(TThumbnailList* owner = nullptr) : Owner_(owner) {}
    ~TThumbnails();
    TThumbnails(const TThumbnails&) = delete;
    TThumbnails& operator=(const TThumbnails&) = delete;

    TThumbnail* AddThumbnail();
    TThumbnail* ThumbnailAt(int index) const;
    int Count() const { return int(Items_.size()); }
    int LiveCount() const { return LiveCount_; }
    // Destroys the thumbnail at index (its picture with it).
    void Delete(int index);
    void Clear();
    // Replaces the items by copies of other's (properties and picture bytes).
    void Assign(const TThumbnails& other);
    TThumbnailList* Owner() const { return Owner_; }

    // Called only by thumbnails.
    void NoteAdded();
    void NoteChanged();
    void NoteRemoved();

  private:
    TThumbnailList* Owner_;
    std::vector<std::unique_ptr<TThumbnail>> Items_;
    int LiveCount_ = 0;
};

// ---- The control ----

struct ThumbnailItemState {
    bool selected = false;
    bool focused = false;
};

class TThumbnailList : public QListWidget {
  public:
    explicit TThumbnailList(QWidget* parent = nullptr);
    ~TThumbnailList() override;

    TThumbnails& Thumbnails() { return *Thumbnails_; }
    void setThumbnails(const TThumbnails& other) { Thumbnails_->Assign(other); }

    int ThumbnailSize() const { return ThumbnailSize_; }
    void setThumbnailSize(int size) { ApplyLayout(size); }
    TThumbnailOrientation Orientation() const { return Orientation_; }
    void setOrientation(TThumbnailOrientation o);
    bool ShowCaption() const { return ShowCaption_; }
    void setShowCaption(bool on);
    bool ShowSelection() const { return ShowSelection_; }
    void setShowSelection(bool on);
    bool Buffered() const { return Buffered_; }
    void setBuffered(bool on) { Buffered_ = on; }

    // The list's own colour; an invalid colour means "none": cells are not filled
    // and the view's background shows through.
    QColor Color() const { return Color_; }
    void setColor(const QColor& c);
    // The caption colour.
    QColor FontColor() const { return FontColor_; }
    void setFontColor(const QColor& c);

    // Multi-column layout as a list box has it: 0 is one column as wide as the
    // control; n > 0 makes cells of ColumnWidth flow down and on into further columns.
    int Columns() const { return Columns_; }
    void setColumns(int n);
    int ColumnWidth() const { return ColumnWidth_; }
    void setColumnWidth(int w);
    int ItemHeight() const { return ItemHeight_; }
    void setItemHeight(int h);
    bool MultiSelect() const { return selectionMode() == ExtendedSelection; }
    void setMultiSelect(bool on) { setSelectionMode(on ? ExtendedSelection : SingleSelection); }
    int ItemIndex() const { return currentRow(); }
    void setItemIndex(int i) { setCurrentRow(i); }
    bool Selected(int i) const;

    // While true, SyncItems and the resize rules leave the control alone (as
    // while the control's stored data are being read). Ending it runs SyncItems.
    void BeginLoading() { Loading_ = true; }
    void EndLoading();

    void SyncItems();
    void ApplyLayout(int size);
    void PaintThumbnail(QPainter& painter, int index, const QRect& rect, ThumbnailItemState state);

    // The size of one cell as laid out now.
    QSize CellSize() const;

    // After a change of the selection, and after a left click on an item even when
    // it was selected already.
    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    std::function<void(Qt::MouseButton, QPoint)> OnMouseDown;

  protected:
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

  private:
    void Relayout();
    void Repaint();

    std::unique_ptr<TThumbnails> Thumbnails_;
    int ThumbnailSize_ = 64;
    TThumbnailOrientation Orientation_ = toVertical;
    bool ShowCaption_ = true;
    bool ShowSelection_ = false;
    bool Buffered_ = true;
    QColor Color_;
    QColor FontColor_;
    int Columns_ = 0;
    int ColumnWidth_ = 0;
    int ItemHeight_ = 64;
    bool Loading_ = false;
    bool Destroying_ = false;
    bool SelectionReported_ = false;  // the current mouse press changed the selection
};

}  // namespace pellimar
