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

QSize FitThumbnailPicture(int iw, int ih, int W, int H) {
    if (W <= 0 || H <= 0) return {0, 0};
    const double rx = double(iw) / W;
    const double ry = double(ih) / H;
    if (rx > 1.0 || ry > 1.0) {
        if (rx > ry) return {W, int(ih / rx)};
        return {int(iw / ry), H};
    }
    return {iw, ih};
}

ThumbnailCellGeometry LayoutThumbnailCell(const QRect& item, bool showCaption, int captionHeight,
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
        const QSize drawn = FitThumbnailPicture(iw, ih, W, H);
        g.picture = QRect(area.left() + (W - drawn.width()) / 2,
                          area.top() + (H - drawn.height()) / 2, drawn.width(), drawn.height());
    }
    return g;
}

// ---------------------------------------------------------------- collection

TThumbnail::TThumbnail(TThumbnails& owner)
    : Collection_(&owner), Picture_(std::make_unique<TIPicture>()) {
    Picture_->OnChange = [this] { Collection_->NoteChanged(); };
}

void TThumbnail::setFilename(const QString& name) {
    Filename_ = name;
    Collection_->NoteChanged();
}

void TThumbnail::setCaption(const QString& caption) {
    Caption_ = caption;
    Collection_->NoteChanged();
}

TThumbnails::~TThumbnails() {
    Clear();
}

TThumbnail* TThumbnails::AddThumbnail() {
    Items_.push_back(std::unique_ptr<TThumbnail>(new TThumbnail(*this)));
    TThumbnail* t = Items_.back().get();
    NoteAdded();
    return t;
}

TThumbnail* TThumbnails::ThumbnailAt(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return Items_[std::size_t(index)].get();
}

void TThumbnails::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    // Still in the collection while the list is told it is going.
    NoteRemoved();
    Items_[std::size_t(index)]->Picture_.reset();
    Items_.erase(Items_.begin() + index);
}

void TThumbnails::Clear() {
    while (!Items_.empty()) Delete(Count() - 1);
}

void TThumbnails::Assign(const TThumbnails& other) {
    if (&other == this) return;
    Clear();
    for (const auto& src : other.Items_) {
        TThumbnail* t = AddThumbnail();
        t->setSource(src->Source());
        t->setFilename(src->Filename());
        t->setCaption(src->Caption());
        t->setTag(src->Tag());
        if (!src->Picture().Empty()) t->setPicture(&src->Picture());
    }
}

void TThumbnails::NoteAdded() {
    ++LiveCount_;
    if (Owner_) Owner_->SyncItems();
}

void TThumbnails::NoteChanged() {
    if (Owner_) Owner_->SyncItems();
}

void TThumbnails::NoteRemoved() {
    if (LiveCount_ > 0) --LiveCount_;
    if (Owner_) Owner_->SyncItems();
}

// ---------------------------------------------------------------- control

namespace {

class ThumbnailDelegate : public QAbstractItemDelegate {
  public:
    explicit ThumbnailDelegate(TThumbnailList* list) : QAbstractItemDelegate(list), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        ThumbnailItemState state;
        state.selected = option.state.testFlag(QStyle::State_Selected);
        state.focused = option.state.testFlag(QStyle::State_HasFocus);
        painter->save();
        painter->setFont(list_->font());
        list_->PaintThumbnail(*painter, index.row(), option.rect, state);
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return list_->CellSize();
    }

  private:
    TThumbnailList* list_;
};

// A window border, as the list box's layout rules count it.
constexpr int kBorder = 1;

}  // namespace

TThumbnailList::TThumbnailList(QWidget* parent) : QListWidget(parent) {
    Thumbnails_ = std::make_unique<TThumbnails>(this);
    Color_ = palette().color(QPalette::Base);
    FontColor_ = palette().color(QPalette::Text);
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
    ItemHeight_ = ThumbnailSize_;
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        SelectionReported_ = true;
        if (OnClick) OnClick();
    });
}

TThumbnailList::~TThumbnailList() {
    Destroying_ = true;
    Thumbnails_.reset();
}

void TThumbnailList::setOrientation(TThumbnailOrientation o) {
    if (o == Orientation_) return;
    Orientation_ = o;
    ApplyLayout(ThumbnailSize_);
    Repaint();
}

void TThumbnailList::setShowCaption(bool on) {
    if (on == ShowCaption_) return;
    ShowCaption_ = on;
    Repaint();
}

void TThumbnailList::setShowSelection(bool on) {
    if (on == ShowSelection_) return;
    ShowSelection_ = on;
    Repaint();
}

void TThumbnailList::setColor(const QColor& c) {
    Color_ = c;
    Repaint();
}

void TThumbnailList::setFontColor(const QColor& c) {
    FontColor_ = c;
    Repaint();
}

void TThumbnailList::setColumns(int n) {
    n = std::max(0, n);
    if (n == Columns_) return;
    Columns_ = n;
    // As a list box does: the columns share the client width until told otherwise.
    if (n > 0) ColumnWidth_ = std::max(1, viewport()->width() / n);
    Relayout();
}

void TThumbnailList::setColumnWidth(int w) {
    if (w == ColumnWidth_) return;
    ColumnWidth_ = w;
    Relayout();
}

void TThumbnailList::setItemHeight(int h) {
    if (h == ItemHeight_) return;
    ItemHeight_ = h;
    Relayout();
}

bool TThumbnailList::Selected(int i) const {
    const QListWidgetItem* it = item(i);
    return it != nullptr && it->isSelected();
}

void TThumbnailList::EndLoading() {
    Loading_ = false;
    SyncItems();
}

QSize TThumbnailList::CellSize() const {
    if (Columns_ > 0) return {std::max(1, ColumnWidth_), std::max(1, ItemHeight_)};
    return {std::max(1, viewport()->width()), std::max(1, ItemHeight_)};
}

void TThumbnailList::Relayout() {
    // Cells flow down and wrap into further columns only in multi-column mode.
    const bool wrap = Columns_ > 0;
    if (isWrapping() != wrap) setWrapping(wrap);
    scheduleDelayedItemsLayout();
}

void TThumbnailList::Repaint() {
    viewport()->update();
}

void TThumbnailList::SyncItems() {
    if (Loading_ || Destroying_ || !Thumbnails_) return;
    const int live = Thumbnails_->LiveCount();
    while (count() > live) delete takeItem(count() - 1);
    while (count() < live) addItem(new QListWidgetItem(QString()));
    if (Orientation_ == toHorizontal) setColumns(Thumbnails_->Count());
    ApplyLayout(ThumbnailSize_);
    Repaint();
}

void TThumbnailList::ApplyLayout(int size) {
    if (size <= 0) return;  // a cell must have a size
    ThumbnailSize_ = size;
    if (Orientation_ == toHorizontal) {
        setColumns(Thumbnails_ ? Thumbnails_->Count() : 0);
        setColumnWidth(size);
        setItemHeight(HorizontalItemHeight(
            height(), style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this), kBorder));
    } else {
        setItemHeight(size);
        if (Columns_ > 0) setColumnWidth(size);
    }
}

void TThumbnailList::resizeEvent(QResizeEvent* e) {
    QListWidget::resizeEvent(e);
    if (Columns_ > 0) ColumnWidth_ = std::max(1, viewport()->width() / Columns_);
    if (Orientation_ == toHorizontal) {
        if (ThumbnailSize_ > 0) ColumnWidth_ = ThumbnailSize_;
        if (!Loading_) {
            const int h = HorizontalItemHeight(
                height(), style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this), kBorder);
            if (h > 0) ItemHeight_ = h;
        }
        Relayout();
    } else {
        Relayout();
        Repaint();
        const int n = ColumnsAfterResize(width(), ThumbnailSize_, Columns_);
        if (n != Columns_) setColumns(n);
    }
}

void TThumbnailList::mousePressEvent(QMouseEvent* e) {
    SelectionReported_ = false;
    QListWidget::mousePressEvent(e);
    // A click on the item that is already selected is a click all the same.
    if (!SelectionReported_ && e->button() == Qt::LeftButton &&
        indexAt(e->position().toPoint()).isValid() && OnClick)
        OnClick();
    if (OnMouseDown) OnMouseDown(e->button(), e->position().toPoint());
}

void TThumbnailList::mouseDoubleClickEvent(QMouseEvent* e) {
    QListWidget::mouseDoubleClickEvent(e);
    if (OnDblClick) OnDblClick();
}

void TThumbnailList::PaintThumbnail(QPainter& painter, int index, const QRect& rect,
                                    ThumbnailItemState state) {
    const bool highlight = state.selected && ShowSelection_;
    const QColor fill = highlight ? palette().color(QPalette::Highlight) : Color_;
    const QColor text = highlight ? palette().color(QPalette::HighlightedText) : FontColor_;

    if (fill.isValid()) painter.fillRect(rect, fill);

    if (index >= 0 && index < Thumbnails_->Count()) {
        TThumbnail* t = Thumbnails_->ThumbnailAt(index);
        TIPicture& p = t->Picture();
        if (Buffered_ && p.Empty() && !t->Filename().isEmpty() && t->Source() == tsFile)
            p.LoadImageFile(t->Filename());

        const QFontMetrics fm(painter.font());
        const int c = ShowCaption_ ? fm.height() : 0;
        const ThumbnailCellGeometry g =
            LayoutThumbnailCell(rect, ShowCaption_, c, p.DisplayWidth(), p.DisplayHeight());
        if (ShowCaption_) {
            painter.setPen(text);
            const QString caption = fm.elidedText(t->Caption(), Qt::ElideRight, g.content.width());
            painter.drawText(g.content, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine,
                             caption);
        }
        if (!g.picture.isEmpty()) p.PaintTo(painter, g.picture);
    }

    if (state.focused) {
        QColor focus = fill.isValid() ? QColor(fill.rgb() ^ 0xFFFFFF) : text;
        painter.setPen(QPen(focus, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
    }
}

}  // namespace pellimar
