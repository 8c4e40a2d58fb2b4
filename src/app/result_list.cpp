#include "app/result_list.h"

#include <QEvent>
#include <QFile>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListView>
#include <QPixmap>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

namespace pellimar {
namespace fs = std::filesystem;

namespace {

constexpr int kImageIndexRole = Qt::UserRole + 1;
constexpr int kIconPositionRole = Qt::UserRole + 2;
constexpr int kSortKeyRole = Qt::UserRole + 3;
constexpr int kSourceRole = Qt::UserRole + 4;

// A cell that sorts by the bytes of its text, ignoring the case of ASCII letters.
class RowItem : public QStandardItem {
  public:
    RowItem(const QString& text, const QByteArray& key) : QStandardItem(text) {
        setData(key, kSortKeyRole);
        setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    }
    RowItem(const RowItem& other) = default;
    QStandardItem* clone() const override { return new RowItem(*this); }
    bool operator<(const QStandardItem& other) const override {
        QByteArray a = data(kSortKeyRole).toByteArray();
        QByteArray b = other.data(kSortKeyRole).toByteArray();
        return compareAsciiNoCase({a.constData(), std::size_t(a.size())},
                                  {b.constData(), std::size_t(b.size())}) < 0;
    }
};

// Column 0 draws the picture its row names in the image list.
class ResultModel : public QStandardItemModel {
  public:
    ResultModel(const ImageList& images, QObject* parent)
        : QStandardItemModel(0, 3, parent), images_(images) {}
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DecorationRole && index.column() == 0) {
            int image = QStandardItemModel::data(index, kImageIndexRole).toInt();
            if (!images_.valid(image)) return {};
            return images_.pixmap(image);
        }
        return QStandardItemModel::data(index, role);
    }

  private:
    const ImageList& images_;
};

// Thumbnails sit a few pixels below the top of their grid cell, so the first row
// does not touch the list's edge.
class ThumbnailDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem shifted(option);
        if (auto* view = qobject_cast<const QListView*>(option.widget);
            view && view->viewMode() == QListView::IconMode)
            shifted.rect.translate(0, 6);
        QStyledItemDelegate::paint(painter, shifted, index);
    }
};

QByteArray bytesOf(const std::string& s) {
    return QByteArray(s.data(), qsizetype(s.size()));
}

}  // namespace

int ImageList::add(const QImage& picture) {
    QImage img = picture.isNull() ? QImage(kSize, kSize, QImage::Format_ARGB32)
                                  : picture.convertToFormat(QImage::Format_ARGB32);
    if (picture.isNull()) img.fill(Qt::transparent);
    if (img.width() != kSize || img.height() != kSize)
        img = img.scaled(kSize, kSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    pixmaps_.push_back(QPixmap::fromImage(img));
    images_.push_back(std::move(img));
    return count() - 1;
}

void ImageList::remove(const std::vector<int>& indexes) {
    std::set<int> gone(indexes.begin(), indexes.end());
    std::vector<QImage> kept;
    std::vector<QPixmap> keptPixmaps;
    for (int i = 0; i < count(); ++i) {
        if (gone.count(i)) continue;
        kept.push_back(std::move(images_[std::size_t(i)]));
        keptPixmaps.push_back(std::move(pixmaps_[std::size_t(i)]));
    }
    images_ = std::move(kept);
    pixmaps_ = std::move(keptPixmaps);
}

ResultList::ResultList(QWidget* parent) : QWidget(parent) {
    model_ = new ResultModel(images_, this);
    model_->setHorizontalHeaderLabels({"Icons", "Location", "Path"});
    selection_ = new QItemSelectionModel(model_, this);

    iconView_ = new QListView;
    iconView_->setModel(model_);
    iconView_->setSelectionModel(selection_);
    iconView_->setMovement(QListView::Static);
    iconView_->setResizeMode(QListView::Adjust);
    iconView_->setIconSize(QSize(ImageList::kSize, ImageList::kSize));
    iconView_->setItemDelegate(new ThumbnailDelegate(iconView_));

    detailView_ = new QTableView;
    detailView_->setModel(model_);
    detailView_->setSelectionModel(selection_);
    detailView_->setShowGrid(true);
    detailView_->setIconSize(QSize(ImageList::kSize, ImageList::kSize));
    detailView_->setWordWrap(false);
    // A caption or path too long for its column keeps both ends: the icon number
    // and the file name stay readable.
    detailView_->setTextElideMode(Qt::ElideMiddle);
    detailView_->setSortingEnabled(false);
    detailView_->verticalHeader()->hide();
    detailView_->verticalHeader()->setDefaultSectionSize(ImageList::kSize + 4);
    detailView_->horizontalHeader()->setSectionsClickable(true);
    detailView_->horizontalHeader()->setHighlightSections(false);
    detailView_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    detailView_->horizontalHeader()->resizeSection(ColIcons, 150);
    detailView_->horizontalHeader()->resizeSection(ColLocation, 70);
    detailView_->horizontalHeader()->setStretchLastSection(true);
    connect(detailView_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &ResultList::columnClicked);

    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(iconView_),
                                    static_cast<QAbstractItemView*>(detailView_)}) {
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setDragEnabled(false);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        view->setFocusPolicy(Qt::StrongFocus);
        view->viewport()->installEventFilter(this);
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& p) {
            emit contextMenuRequested(view->viewport()->mapToGlobal(p));
        });
    }
    connect(selection_, &QItemSelectionModel::selectionChanged, this,
            &ResultList::selectionCountChanged);

    stack_ = new QStackedWidget;
    stack_->addWidget(iconView_);
    stack_->addWidget(detailView_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(stack_);
    setFocusProxy(detailView_);
    setViewStyle(ViewStyle::Detail);
}

ResultList::~ResultList() = default;

bool ResultList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == iconView_->viewport() || watched == detailView_->viewport()) {
        if (event->type() == QEvent::MouseButtonRelease)
            emit clicked();
        else if (event->type() == QEvent::MouseButtonDblClick)
            // After the view has handled the click that selects the row under it.
            QMetaObject::invokeMethod(
                this, [this] { emit doubleClicked(); }, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

int ResultList::addRow(const QImage& picture, const fs::path& source, int iconPosition) {
    const int image = images_.add(picture);
    const std::string caption = rowCaption(source, iconPosition);
    const std::string location = formatIconNumber(iconPosition);
    const std::string& path = source.native();

    auto* first = new RowItem(QFile::decodeName(bytesOf(caption)), bytesOf(caption));
    first->setData(image, kImageIndexRole);
    first->setData(iconPosition, kIconPositionRole);
    first->setData(bytesOf(path), kSourceRole);
    first->setToolTip(QFile::decodeName(bytesOf(path)));
    auto* second = new RowItem(QString::fromStdString(location), bytesOf(location));
    auto* third = new RowItem(QFile::decodeName(bytesOf(path)), bytesOf(path));
    model_->appendRow({first, second, third});
    return model_->rowCount() - 1;
}

int ResultList::rowCount() const {
    return model_->rowCount();
}

int ResultList::selectedCount() const {
    const std::vector<bool> rows = selectedRows();
    return int(std::count(rows.begin(), rows.end(), true));
}

bool ResultList::isSelected(int row) const {
    return selection_->isRowSelected(row, {}) ||
           selection_->isSelected(model_->index(row, ColIcons));
}

std::vector<bool> ResultList::selectedRows() const {
    std::vector<bool> rows(std::size_t(rowCount()), false);
    for (const QItemSelectionRange& range : selection_->selection())
        for (int r = range.top(); r <= range.bottom(); ++r)
            if (r >= 0 && r < rowCount()) rows[std::size_t(r)] = true;
    return rows;
}

std::vector<ResultRowInfo> ResultList::rows() const {
    const std::vector<bool> selected = selectedRows();
    std::vector<ResultRowInfo> out;
    out.reserve(std::size_t(rowCount()));
    for (int r = 0; r < rowCount(); ++r)
        out.push_back({source(r), iconPosition(r), selected[std::size_t(r)]});
    return out;
}

QString ResultList::caption(int row) const {
    return model_->item(row, ColIcons)->text();
}
QString ResultList::location(int row) const {
    return model_->item(row, ColLocation)->text();
}
QString ResultList::pathText(int row) const {
    return model_->item(row, ColPath)->text();
}
fs::path ResultList::source(int row) const {
    QByteArray bytes = model_->item(row, ColIcons)->data(kSourceRole).toByteArray();
    return fs::path(std::string(bytes.constData(), std::size_t(bytes.size())));
}
int ResultList::iconPosition(int row) const {
    return model_->item(row, ColIcons)->data(kIconPositionRole).toInt();
}
int ResultList::imageIndex(int row) const {
    return model_->item(row, ColIcons)->data(kImageIndexRole).toInt();
}
QImage ResultList::rowPicture(int row) const {
    int image = imageIndex(row);
    return images_.valid(image) ? images_.at(image) : QImage();
}

void ResultList::setRowSelected(int row, bool selected) {
    selection_->select(model_->index(row, 0),
                       (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                           QItemSelectionModel::Rows);
}

void ResultList::selectAll() {
    if (rowCount() == 0) return;
    QItemSelection all(model_->index(0, 0), model_->index(rowCount() - 1, 2));
    selection_->select(all, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void ResultList::clearSelection() {
    selection_->clearSelection();
}

void ResultList::clearRows() {
    selection_->clear();
    model_->removeRows(0, model_->rowCount());
    images_.clear();
}

int ResultList::deleteSelected() {
    const std::vector<bool> selected = selectedRows();
    std::vector<int> goneImages;
    std::vector<QList<QStandardItem*>> kept;
    for (int r = 0; r < rowCount(); ++r) {
        if (selected[std::size_t(r)]) {
            goneImages.push_back(imageIndex(r));
            continue;
        }
        QList<QStandardItem*> row;
        for (int c = 0; c < model_->columnCount(); ++c) row << model_->item(r, c)->clone();
        kept.push_back(row);
    }
    if (goneImages.empty()) return 0;
    // The kept rows are put back in one pass: removing rows one by one, with the
    // views and the selection kept in step each time, is slow on long lists.
    selection_->clear();
    model_->removeRows(0, model_->rowCount());
    images_.remove(goneImages);
    // Each remaining row's image moves down by the removed images before it.
    std::sort(goneImages.begin(), goneImages.end());
    for (QList<QStandardItem*>& row : kept) {
        int image = row[ColIcons]->data(kImageIndexRole).toInt();
        int before =
            int(std::lower_bound(goneImages.begin(), goneImages.end(), image) - goneImages.begin());
        row[ColIcons]->setData(image - before, kImageIndexRole);
        model_->appendRow(row);
    }
    emit selectionCountChanged();
    return int(goneImages.size());
}

void ResultList::sortByColumn(int column) {
    if (column < 0 || column > 2) return;
    sortColumn_ = column;
    int& direction = sortDirection_[std::size_t(column)];
    direction = direction == 0 ? 1 : -direction;
    model_->sort(column, direction > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
    detailView_->horizontalHeader()->setSortIndicatorShown(true);
    detailView_->horizontalHeader()->setSortIndicator(
        column, direction > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void ResultList::resetSortDirections() {
    sortDirection_ = {0, 0, 0};
    sortColumn_ = 0;
}

QAbstractItemView* ResultList::currentView() const {
    return style_ == ViewStyle::Detail ? static_cast<QAbstractItemView*>(detailView_)
                                       : static_cast<QAbstractItemView*>(iconView_);
}

void ResultList::setViewStyle(ViewStyle style) {
    const bool hadFocus = currentView()->hasFocus();
    style_ = style;
    switch (style) {
        case ViewStyle::Thumbnail:
            iconView_->setViewMode(QListView::IconMode);
            iconView_->setFlow(QListView::LeftToRight);
            iconView_->setWrapping(true);
            iconView_->setWordWrap(true);
            iconView_->setTextElideMode(Qt::ElideMiddle);
            iconView_->setGridSize(QSize(124, 76));
            iconView_->setSpacing(0);
            break;
        case ViewStyle::List:
            iconView_->setViewMode(QListView::ListMode);
            iconView_->setFlow(QListView::TopToBottom);
            iconView_->setWrapping(true);
            iconView_->setWordWrap(false);
            iconView_->setTextElideMode(Qt::ElideMiddle);
            iconView_->setGridSize(QSize(180, ImageList::kSize + 6));
            break;
        case ViewStyle::Detail:
            break;
    }
    // A list view switched between modes keeps its own idea of movement.
    iconView_->setMovement(QListView::Static);
    QAbstractItemView* view = currentView();
    stack_->setCurrentWidget(view);
    setFocusProxy(view);
    if (hadFocus) view->setFocus();
}

}  // namespace pellimar
