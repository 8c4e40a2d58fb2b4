#include "viewer/thumbnail_list.h"

#include <QAbstractItemDelegate>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

namespace pellimar {

// ---------------------------------------------------------------- geometry

QSize fitThumbnailPicture(int iw, int ih, int W, int H) {
    if (W <= 0 || H <= 0) return {0, 0};
    const double rx = double(iw) / W;
    const double ry = double(ih) / H;
    if (rx > 1.0 || ry > 1.0) {
        if (rx > ry) return {W, int(ih / rx)};
        return {int(iw / ry), H};
    }
    return {iw, ih};
}

ThumbnailCellGeometry layoutThumbnailCell(const QRect& item, bool showCaption, int captionHeight,
                                          int iw, int ih) {
    ThumbnailCellGeometry g;
    g.content = item.adjusted(2, 2, -2, -2);
    QRect area = g.content;
    if (showCaption) {
        g.captionBand = g.content;
        area.setHeight(area.height() - captionHeight);
        g.captionBand.setTop(area.top() + area.height());
    }
    g.pictureArea = area;
    const int W = area.width(), H = area.height();
    if (W > 0 && H > 0) {
        const QSize drawn = fitThumbnailPicture(iw, ih, W, H);
        g.picture = QRect(area.left() + (W - drawn.width()) / 2,
                          area.top() + (H - drawn.height()) / 2, drawn.width(), drawn.height());
    }
    return g;
}

// ---------------------------------------------------------------- collection

Thumbnail::Thumbnail(ThumbnailCollection& owner)
    : collection_(&owner), picture_(std::make_unique<Picture>()) {
    picture_->onChange = [this] { collection_->noteChanged(); };
}

void Thumbnail::setFileName(const QString& name) {
    fileName_ = name;
    collection_->noteChanged();
}

void Thumbnail::setCaption(const QString& caption) {
    caption_ = caption;
    collection_->noteChanged();
}

ThumbnailCollection::~ThumbnailCollection() {
    clear();
}

Thumbnail* ThumbnailCollection::add() {
    items_.push_back(std::unique_ptr<Thumbnail>(new Thumbnail(*this)));
    Thumbnail* t = items_.back().get();
    noteAdded();
    return t;
}

Thumbnail* ThumbnailCollection::at(int index) const {
    if (index < 0 || index >= count()) return nullptr;
    return items_[std::size_t(index)].get();
}

void ThumbnailCollection::remove(int index) {
    if (index < 0 || index >= count()) return;
    // Still in the collection while the list is told it is going.
    noteRemoved();
    items_[std::size_t(index)]->picture_.reset();
    items_.erase(items_.begin() + index);
}

void ThumbnailCollection::clear() {
    while (!items_.empty()) remove(count() - 1);
}

void ThumbnailCollection::assign(const ThumbnailCollection& other) {
    if (&other == this) return;
    clear();
    for (const auto& src : other.items_) {
        Thumbnail* t = add();
        t->setSource(src->source());
        t->setFileName(src->fileName());
        t->setCaption(src->caption());
        t->setTag(src->tag());
        if (!src->picture().isEmpty()) t->setPicture(&src->picture());
    }
}

void ThumbnailCollection::noteAdded() {
    ++liveCount_;
    if (owner_) owner_->syncItems();
}

void ThumbnailCollection::noteChanged() {
    if (owner_) owner_->syncItems();
}

void ThumbnailCollection::noteRemoved() {
    if (liveCount_ > 0) --liveCount_;
    if (owner_) owner_->syncItems();
}

// ---------------------------------------------------------------- control

namespace {

class ThumbnailDelegate : public QAbstractItemDelegate {
  public:
    explicit ThumbnailDelegate(ThumbnailList* list) : QAbstractItemDelegate(list), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        ThumbnailItemState state;
        state.selected = option.state.testFlag(QStyle::State_Selected);
        state.focused = option.state.testFlag(QStyle::State_HasFocus);
        painter->save();
        painter->setFont(list_->font());
        list_->paintThumbnail(*painter, index.row(), option.rect, state);
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return list_->cellSize();
    }

  private:
    ThumbnailList* list_;
};

// A window border, as the list box's layout rules count it.
constexpr int kBorder = 1;

}  // namespace

ThumbnailList::ThumbnailList(QWidget* parent) : QListWidget(parent) {
    thumbnails_ = std::make_unique<ThumbnailCollection>(this);
    color_ = palette().color(QPalette::Base);
    fontColor_ = palette().color(QPalette::Text);
    setItemDelegate(new ThumbnailDelegate(this));
    setUniformItemSizes(true);
    setSpacing(0);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setFlow(QListView::TopToBottom);
    setWrapping(false);
    setSelectionMode(SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setEditTriggers(NoEditTriggers);
    itemHeight_ = thumbnailSize_;
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        selectionReported_ = true;
        if (onClick) onClick();
    });
}

ThumbnailList::~ThumbnailList() {
    destroying_ = true;
    thumbnails_.reset();
}

void ThumbnailList::setOrientation(ThumbnailOrientation o) {
    if (o == orientation_) return;
    orientation_ = o;
    applyLayout(thumbnailSize_);
    repaintCells();
}

void ThumbnailList::setShowCaption(bool on) {
    if (on == showCaption_) return;
    showCaption_ = on;
    repaintCells();
}

void ThumbnailList::setShowSelection(bool on) {
    if (on == showSelection_) return;
    showSelection_ = on;
    repaintCells();
}

void ThumbnailList::setColor(const QColor& c) {
    color_ = c;
    repaintCells();
}

void ThumbnailList::setFontColor(const QColor& c) {
    fontColor_ = c;
    repaintCells();
}

void ThumbnailList::setColumns(int n) {
    n = std::max(0, n);
    if (n == columns_) return;
    columns_ = n;
    // As a list box does: the columns share the client width until told otherwise.
    if (n > 0) columnWidth_ = std::max(1, viewport()->width() / n);
    relayout();
}

void ThumbnailList::setColumnWidth(int w) {
    if (w == columnWidth_) return;
    columnWidth_ = w;
    relayout();
}

void ThumbnailList::setItemHeight(int h) {
    if (h == itemHeight_) return;
    itemHeight_ = h;
    relayout();
}

bool ThumbnailList::isRowSelected(int i) const {
    const QListWidgetItem* it = item(i);
    return it != nullptr && it->isSelected();
}

void ThumbnailList::endLoading() {
    loading_ = false;
    syncItems();
}

QSize ThumbnailList::cellSize() const {
    if (columns_ > 0) return {std::max(1, columnWidth_), std::max(1, itemHeight_)};
    return {std::max(1, viewport()->width()), std::max(1, itemHeight_)};
}

void ThumbnailList::relayout() {
    // Cells flow down and wrap into further columns only in multi-column mode.
    const bool wrap = columns_ > 0;
    if (isWrapping() != wrap) setWrapping(wrap);
    scheduleDelayedItemsLayout();
}

void ThumbnailList::repaintCells() {
    viewport()->update();
}

void ThumbnailList::syncItems() {
    if (loading_ || destroying_ || !thumbnails_) return;
    const int live = thumbnails_->liveCount();
    while (count() > live) delete takeItem(count() - 1);
    while (count() < live) addItem(new QListWidgetItem(QString()));
    if (orientation_ == ThumbnailOrientation::Horizontal) setColumns(thumbnails_->count());
    applyLayout(thumbnailSize_);
    repaintCells();
}

void ThumbnailList::applyLayout(int size) {
    if (size <= 0) return;  // a cell must have a size
    thumbnailSize_ = size;
    if (orientation_ == ThumbnailOrientation::Horizontal) {
        setColumns(thumbnails_ ? thumbnails_->count() : 0);
        setColumnWidth(size);
        setItemHeight(horizontalItemHeight(
            height(), style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this), kBorder));
    } else {
        setItemHeight(size);
        if (columns_ > 0) setColumnWidth(size);
    }
}

void ThumbnailList::resizeEvent(QResizeEvent* e) {
    QListWidget::resizeEvent(e);
    if (columns_ > 0) columnWidth_ = std::max(1, viewport()->width() / columns_);
    if (orientation_ == ThumbnailOrientation::Horizontal) {
        if (thumbnailSize_ > 0) columnWidth_ = thumbnailSize_;
        if (!loading_) {
            const int h = horizontalItemHeight(
                height(), style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this), kBorder);
            if (h > 0) itemHeight_ = h;
        }
        relayout();
    } else {
        relayout();
        repaintCells();
        const int n = columnsAfterResize(width(), thumbnailSize_, columns_);
        if (n != columns_) setColumns(n);
    }
}

void ThumbnailList::mousePressEvent(QMouseEvent* e) {
    selectionReported_ = false;
    QListWidget::mousePressEvent(e);
    // A click on the item that is already selected is a click all the same.
    if (!selectionReported_ && e->button() == Qt::LeftButton &&
        indexAt(e->position().toPoint()).isValid() && onClick)
        onClick();
    if (onMousePress) onMousePress(e->button(), e->position().toPoint());
}

void ThumbnailList::mouseDoubleClickEvent(QMouseEvent* e) {
    QListWidget::mouseDoubleClickEvent(e);
    if (onDoubleClick) onDoubleClick();
}

void ThumbnailList::paintThumbnail(QPainter& painter, int index, const QRect& rect,
                                   ThumbnailItemState state) {
    const bool highlight = state.selected && showSelection_;
    const QColor fill = highlight ? palette().color(QPalette::Highlight) : color_;
    const QColor text = highlight ? palette().color(QPalette::HighlightedText) : fontColor_;

    if (fill.isValid()) painter.fillRect(rect, fill);

    if (index >= 0 && index < thumbnails_->count()) {
        Thumbnail* t = thumbnails_->at(index);
        Picture& p = t->picture();
        if (buffered_ && p.isEmpty() && !t->fileName().isEmpty() &&
            t->source() == ThumbnailSource::File)
            p.loadFile(t->fileName());

        const QFontMetrics fm(painter.font());
        const int c = showCaption_ ? fm.height() : 0;
        const ThumbnailCellGeometry g =
            layoutThumbnailCell(rect, showCaption_, c, p.displayWidth(), p.displayHeight());
        if (showCaption_) {
            painter.setPen(text);
            const QString caption = fm.elidedText(t->caption(), Qt::ElideRight, g.content.width());
            painter.drawText(g.content, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine,
                             caption);
        }
        if (!g.picture.isEmpty()) p.paintTo(painter, g.picture);
    }

    if (state.focused) {
        QColor focus = fill.isValid() ? QColor(fill.rgb() ^ 0xFFFFFF) : text;
        painter.setPen(QPen(focus, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
    }
}

}  // namespace pellimar
