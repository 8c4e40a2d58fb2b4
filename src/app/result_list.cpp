#include "app/result_list.h"

#include <QCoreApplication>

#include <QContextMenuEvent>
#include <QEvent>
#include <QFile>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QListView>
#include <QMimeData>
#include <QStackedWidget>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <set>
#include <utility>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace pellimar {
namespace fs = std::filesystem;

namespace {

// Thumbnails sit a few pixels below the top of their grid cell, so the first row
// does not touch the list's edge.
class ThumbnailDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        auto* view = qobject_cast<const QListView*>(option->widget);
        if (!view || view->viewMode() != QListView::IconMode) return;
        // Two lines at most, and the end with the icon number always shown.
        const int margin = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
        const int width =
            (view->gridSize().isValid() ? view->gridSize().width() : option->rect.width()) -
            margin - 4;
        option->text = thumbnailCaption(option->text, option->fontMetrics, width)
                           .replace('\n', QChar::LineSeparator);
    }
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem shifted(option);
        if (auto* view = qobject_cast<const QListView*>(option.widget);
            view && view->viewMode() == QListView::IconMode)
            shifted.rect.translate(0, 6);
        QStyledItemDelegate::paint(painter, shifted, index);
    }
};

QString textOf(const std::string& bytes) {
    return QFile::decodeName(QByteArray(bytes.data(), qsizetype(bytes.size())));
}

QImage thirtyTwoSquare(const QImage& picture) {
    if (picture.isNull()) {
        QImage empty(ImageList::kSize, ImageList::kSize, QImage::Format_ARGB32);
        empty.fill(Qt::transparent);
        return empty;
    }
    QImage img = picture.format() == QImage::Format_ARGB32
                     ? picture
                     : picture.convertToFormat(QImage::Format_ARGB32);
    // A picture made for a high-density screen keeps its extra pixels.
    const qreal ratio = std::max<qreal>(1.0, picture.devicePixelRatio());
    const int side = qRound(ImageList::kSize * ratio);
    if (img.width() != side || img.height() != side)
        img = img.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    img.setDevicePixelRatio(ratio);
    return img;
}

// Hands the heap's free pages back to the system: after a long list is cleared
// the memory would otherwise stay with the program.
void giveMemoryBack() {
#ifdef __GLIBC__
    ::malloc_trim(0);
#endif
}

}  // namespace

QString thumbnailCaption(const QString& text, const QFontMetrics& fm, int width) {
    if (width <= 0 || fm.horizontalAdvance(text) <= width) return text;
    // The first line takes as many characters as fit; the second shows the rest,
    // shortened in its middle so that its end stays.
    qsizetype first = 1;
    while (first < text.size() && fm.horizontalAdvance(text.left(first + 1)) <= width) ++first;
    const QString rest = text.mid(first);
    return text.left(first) + '\n' + fm.elidedText(rest, Qt::ElideMiddle, width);
}

std::size_t ImageList::hashOf(const QImage& image) {
    return qHashBits(image.constBits(), std::size_t(image.sizeInBytes()),
                     std::size_t(image.width()) * 31 + std::size_t(image.devicePixelRatio() * 8));
}

int ImageList::add(const QImage& picture) {
    QImage square = thirtyTwoSquare(picture);
    const std::size_t hash = hashOf(square);
    const auto [first, last] = byContent_.equal_range(hash);
    for (auto it = first; it != last; ++it) {
        const QImage& held = images_[std::size_t(it->second)];
        if (held == square && held.devicePixelRatio() == square.devicePixelRatio())
            return it->second;
    }
    images_.push_back(std::move(square));
    byContent_.emplace(hash, count() - 1);
    return count() - 1;
}

std::vector<int> ImageList::keep(const std::vector<bool>& used) {
    std::vector<int> newIndex(images_.size(), -1);
    std::size_t out = 0;
    for (std::size_t i = 0; i < images_.size(); ++i) {
        if (i >= used.size() || !used[i]) continue;
        newIndex[i] = int(out);
        if (out != i) images_[out] = std::move(images_[i]);
        ++out;
    }
    images_.resize(out);
    index();
    return newIndex;
}

void ImageList::index() {
    byContent_.clear();
    for (std::size_t i = 0; i < images_.size(); ++i) byContent_.emplace(hashOf(images_[i]), int(i));
}

void ImageList::clear() {
    std::vector<QImage>().swap(images_);
    std::unordered_multimap<std::size_t, int>().swap(byContent_);
}

ResultModel::ResultModel(QObject* parent) : QAbstractTableModel(parent) {}

int ResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int ResultModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ResultList::kColumns;
}

const std::string& ResultModel::resource(int row) const {
    return resources_.at(rows_.at(std::size_t(row)).resource);
}

const fs::path& ResultModel::source(int row) const {
    return sources_.at(rows_.at(std::size_t(row)).source);
}

std::string ResultModel::caption(int row) const {
    const Row& r = rows_.at(std::size_t(row));
    return rowCaption(sources_[r.source], r.position, kind(row));
}

std::string ResultModel::location(int row) const {
    return formatIconNumber(rows_.at(std::size_t(row)).position);
}

QVariant ResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size())) return {};
    const int row = index.row();
    const Row& r = rows_[std::size_t(row)];
    switch (role) {
        case Qt::DisplayRole:
            if (index.column() == ResultList::ColIcons) return textOf(caption(row));
            if (index.column() == ResultList::ColLocation)
                return QString::fromStdString(location(row));
            if (index.column() == ResultList::ColResource) {
                const QString text = QString::fromStdString(resources_[r.resource]);
                return r.cursor ? tr("cursor %1").arg(text) : text;
            }
            return textOf(sources_[r.source].native());
        case Qt::DecorationRole:
            // The image itself: the delegate makes what it draws from it, for the
            // rows in view only.
            if (index.column() == ResultList::ColIcons && images_.valid(int(r.image)))
                return images_.at(int(r.image));
            return {};
        case Qt::ToolTipRole:
        case Qt::AccessibleDescriptionRole: {
            // The whole text, however narrow its column: a name cut in its middle
            // is read whole here. The icon's cell names its file too.
            if (index.column() == ResultList::ColIcons)
                return textOf(caption(row)) + '\n' + textOf(sources_[r.source].native());
            return data(index, Qt::DisplayRole);
        }
        default:
            return {};
    }
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        switch (section) {
            case ResultList::ColIcons:
                return QCoreApplication::translate("ResultList", "Icons");
            case ResultList::ColLocation:
                return QCoreApplication::translate("ResultList", "Location");
            case ResultList::ColPath:
                return QCoreApplication::translate("ResultList", "Path");
            case ResultList::ColResource:
                return tr("Resource");
        }
    }
    // The key that sorts by the column as a click on its header does (the View
    // menu's Sort By), numbered in the order the columns show,
    // which is the model's.
    static const int keyOfColumn[ResultList::kColumns] = {1, 2, 3, 4};
    if (orientation == Qt::Horizontal && role == Qt::ToolTipRole && section >= 0 &&
        section < ResultList::kColumns)
        return tr("Sort by this column (Ctrl+%1); again: the other way").arg(keyOfColumn[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ResultModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return dragData_ ? flags | Qt::ItemIsDragEnabled : flags;
}

QStringList ResultModel::mimeTypes() const {
    return {"text/uri-list", "image/png"};
}

QMimeData* ResultModel::mimeData(const QModelIndexList& indexes) const {
    if (!dragData_) return nullptr;
    std::set<int> rows;
    for (const QModelIndex& index : indexes) rows.insert(index.row());
    return dragData_(std::vector<int>(rows.begin(), rows.end()));
}

std::uint32_t ResultModel::sourceId(const fs::path& source) {
    const auto [it, added] =
        sourceIds_.try_emplace(source.native(), std::uint32_t(sources_.size()));
    if (added) sources_.push_back(source);
    return it->second;
}

std::uint32_t ResultModel::resourceId(const std::string& resource) {
    const auto [it, added] = resourceIds_.try_emplace(resource, std::uint32_t(resources_.size()));
    if (added) resources_.push_back(resource);
    return it->second;
}

void ResultModel::append(std::vector<PreparedRow>& rows) {
    if (rows.empty()) return;
    const int first = int(rows_.size());
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    rows_.reserve(rows_.size() + rows.size());
    for (PreparedRow& row : rows) {
        const int image = images_.add(row.picture);
        rows_.push_back({sourceId(row.source), row.iconPosition, std::uint32_t(image),
                         resourceId(row.resource), row.kind == ResourceKind::Cursor, 0});
    }
    endInsertRows();
}

void ResultModel::keepRows(const std::vector<bool>& keep) {
    std::vector<Row> kept;
    // A picture stays while a kept row shows it.
    std::vector<bool> used(std::size_t(images_.count()), false);
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        if (r < keep.size() && !keep[r]) continue;
        kept.push_back(rows_[r]);
        if (rows_[r].image < used.size()) used[rows_[r].image] = true;
    }
    if (kept.size() == rows_.size()) return;
    beginResetModel();
    const std::vector<int> newIndex = images_.keep(used);
    for (Row& row : kept)
        if (row.image < newIndex.size()) row.image = std::uint32_t(newIndex[row.image]);
    rows_ = std::move(kept);
    endResetModel();
}

void ResultModel::clearRows() {
    beginResetModel();
    std::vector<Row>().swap(rows_);
    std::vector<fs::path>().swap(sources_);
    std::unordered_map<std::string, std::uint32_t>().swap(sourceIds_);
    resources_.assign(1, std::string());
    resourceIds_ = {{std::string(), 0}};
    images_.clear();
    endResetModel();
    giveMemoryBack();
}

RowTable ResultModel::table(const std::vector<bool>& selected, bool everyRowSelected) const {
    RowTable table;
    table.sources = sources_;
    table.rows.reserve(rows_.size());
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        const Row& row = rows_[r];
        table.rows.push_back({row.source, row.position,
                              row.cursor ? ResourceKind::Cursor : ResourceKind::Icon,
                              everyRowSelected || (r < selected.size() && selected[r])});
    }
    return table;
}

ResultModel::Contents ResultModel::contents() const {
    return {rows_, sources_, resources_, images_};
}

void ResultModel::restore(Contents contents) {
    beginResetModel();
    rows_ = std::move(contents.rows);
    sources_ = std::move(contents.sources);
    resources_ = std::move(contents.resources);
    images_ = std::move(contents.images);
    sourceIds_.clear();
    for (std::size_t i = 0; i < sources_.size(); ++i)
        sourceIds_.emplace(sources_[i].native(), std::uint32_t(i));
    resourceIds_.clear();
    for (std::size_t i = 0; i < resources_.size(); ++i)
        resourceIds_.emplace(resources_[i], std::uint32_t(i));
    endResetModel();
}

std::string ResultModel::sortKey(const Row& row, int column) const {
    if (column == ResultList::ColIcons)
        return rowCaption(sources_[row.source], row.position,
                          row.cursor ? ResourceKind::Cursor : ResourceKind::Icon);
    if (column == ResultList::ColLocation) return formatIconNumber(row.position);
    if (column == ResultList::ColResource) {
        // IDs by their value and before names; rows without either first; a
        // program's cursors after every icon.
        const std::string& text = resources_[row.resource];
        const std::string kind = row.cursor ? "\x7f" : "";
        // The space keeps the mark apart from an ID's digits, which compare by value.
        if (text.empty()) return kind;
        if (text.find_first_not_of("0123456789") == std::string::npos && text.size() <= 10)
            return kind + "0 " + text;
        return kind + "1 " + text;
    }
    return sources_[row.source].native();
}

void ResultModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= ResultList::kColumns || rows_.empty()) return;
    // Keys made once; a stable sort keeps equal rows in their order.
    std::vector<std::pair<std::string, std::size_t>> keyed;
    keyed.reserve(rows_.size());
    for (std::size_t r = 0; r < rows_.size(); ++r) keyed.emplace_back(sortKey(rows_[r], column), r);
    // Icon numbers, alone or in a caption, sort as numbers; paths letter by letter.
    const bool numbers = column != ResultList::ColPath;
    std::stable_sort(keyed.begin(), keyed.end(), [order, numbers](const auto& a, const auto& b) {
        const int c = numbers ? compareNumbersAsNumbers(a.first, b.first)
                              : compareAsciiNoCase(a.first, b.first);
        return order == Qt::AscendingOrder ? c < 0 : c > 0;
    });

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(rows_.size());
    std::vector<Row> sorted;
    sorted.reserve(rows_.size());
    for (std::size_t to = 0; to < keyed.size(); ++to) {
        newRowOf[keyed[to].second] = int(to);
        sorted.push_back(rows_[keyed[to].second]);
    }
    rows_ = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after << this->index(newRowOf[std::size_t(index.row())], index.column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

ResultList::ResultList(QWidget* parent) : QWidget(parent) {
    model_ = new ResultModel(this);
    selection_ = new QItemSelectionModel(model_, this);

    iconView_ = new QListView;
    iconView_->setAccessibleName(tr("Icons found"));
    iconView_->setAccessibleDescription(
        tr("One entry per icon; Return opens the selected one in the viewer"));
    iconView_->setModel(model_);
    iconView_->setSelectionModel(selection_);
    iconView_->setMovement(QListView::Static);
    iconView_->setResizeMode(QListView::Adjust);
    iconView_->setIconSize(QSize(ImageList::kSize, ImageList::kSize));
    iconView_->setItemDelegate(new ThumbnailDelegate(iconView_));
    // Every cell is of the grid's size: the view lays out hundreds of thousands of
    // rows without asking each for its size, and draws only those in sight.
    iconView_->setUniformItemSizes(true);

    detailView_ = new QTableView;
    detailView_->setAccessibleName(tr("Icons found"));
    detailView_->setAccessibleDescription(
        tr("One row per icon: caption, icon number and file; Return opens the selected one in the "
           "viewer"));
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
    // The short columns are as wide as their title and their widest text need in
    // the font and language shown, at least as designed.
    auto fitted = [this](int column, int design, const QString& widest) {
        QHeaderView* header = detailView_->horizontalHeader();
        const int margins =
            2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) + 8;
        const QString title =
            model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        return std::max({design, QFontMetrics(header->font()).horizontalAdvance(title) + margins,
                         QFontMetrics(detailView_->font()).horizontalAdvance(widest) + margins});
    };
    detailView_->horizontalHeader()->resizeSection(ColLocation, fitted(ColLocation, 70, "65536"));
    // The path, last, takes the rest of the width.
    detailView_->horizontalHeader()->resizeSection(
        ColResource, fitted(ColResource, 90, ResultModel::tr("cursor %1").arg("65535")));
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
        view->installEventFilter(this);
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
    } else if ((watched == iconView_ || watched == detailView_) &&
               event->type() == QEvent::ContextMenu &&
               static_cast<QContextMenuEvent*>(event)->reason() != QContextMenuEvent::Mouse) {
        // The Menu key: the menu opens at the keyboard's row, not at the pointer.
        emit contextMenuRequested(currentRowMenuPosition());
        return true;
    } else if ((watched == iconView_ || watched == detailView_) &&
               event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const auto mods = key->modifiers() & ~Qt::KeypadModifier;
        if ((key->key() == Qt::Key_F10 && mods == Qt::ShiftModifier) ||
            (key->key() == Qt::Key_Menu && mods == Qt::NoModifier)) {
            emit contextMenuRequested(currentRowMenuPosition());
            return true;
        }
        // Return on a selected row opens it as a double-click does; with none
        // selected, the keyboard's row.
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && mods == Qt::NoModifier) {
            if (selectedCount() == 0 && currentRow() >= 0) setRowSelected(currentRow(), true);
            if (selectedCount() > 0) emit doubleClicked();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ResultList::setDragDataProvider(ResultModel::DragDataProvider provider) {
    model_->setDragDataProvider(std::move(provider));
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(iconView_),
                                    static_cast<QAbstractItemView*>(detailView_)}) {
        view->setDragDropMode(model_->dragsOut() ? QAbstractItemView::DragOnly
                                                 : QAbstractItemView::NoDragDrop);
        view->setDefaultDropAction(Qt::CopyAction);
    }
}

int ResultList::addRow(const QImage& picture, const fs::path& source, int iconPosition,
                       const std::string& resource, ResourceKind kind) {
    std::vector<PreparedRow> one{{picture, source, iconPosition, resource, kind}};
    addRows(one);
    return model_->rowCount() - 1;
}

void ResultList::addRows(std::vector<PreparedRow>& rows) {
    if (rows.empty()) return;
    forgetUndo();
    model_->append(rows);
    // The keyboard starts on the first row: Return opens it, the arrows move from it.
    if (!selection_->currentIndex().isValid())
        selection_->setCurrentIndex(model_->index(0, ColIcons), QItemSelectionModel::NoUpdate);
    // Rows added at the end leave the list unsorted: no arrow may claim otherwise.
    showUnsorted();
    emit rowsChanged();
}

void ResultList::showUnsorted() {
    QHeaderView* header = detailView_->horizontalHeader();
    if (!header->isSortIndicatorShown()) return;
    header->setSortIndicatorShown(false);
    emit sortChanged();
}

bool ResultList::isSorted() const {
    return detailView_->horizontalHeader()->isSortIndicatorShown();
}

int ResultList::currentRow() const {
    const QModelIndex current = selection_->currentIndex();
    return current.isValid() ? current.row() : -1;
}

QPoint ResultList::currentRowMenuPosition() const {
    QAbstractItemView* view = currentView();
    const QModelIndex current = selection_->currentIndex();
    QRect rect = current.isValid() ? view->visualRect(current) : QRect();
    // A row scrolled out of sight: the menu opens at the view's corner.
    if (!rect.isValid() || !view->viewport()->rect().intersects(rect))
        return view->viewport()->mapToGlobal(QPoint(0, 0));
    const QPoint at(rect.left() + std::min(rect.width(), 32) / 2, rect.bottom());
    return view->viewport()->mapToGlobal(at);
}

void ResultList::keepForUndo() {
    undo_ = Removed{model_->contents(), selectedRows()};
    emit undoChanged(true);
}

void ResultList::forgetUndo() {
    if (!undo_) return;
    undo_.reset();
    emit undoChanged(false);
}

void ResultList::undo() {
    if (!undo_) return;
    Removed removed = std::move(*undo_);
    forgetUndo();
    selection_->clear();
    model_->restore(std::move(removed.contents));
    showUnsorted();
    emit rowsChanged();
    // The selection as it was, one range per run of selected rows.
    QItemSelection selected;
    const std::vector<bool>& was = removed.selected;
    for (std::size_t r = 0; r < was.size();) {
        if (!was[r]) {
            ++r;
            continue;
        }
        std::size_t end = r;
        while (end + 1 < was.size() && was[end + 1]) ++end;
        selected.select(model_->index(int(r), 0), model_->index(int(end), kColumns - 1));
        r = end + 1;
    }
    if (!selected.isEmpty()) selection_->select(selected, QItemSelectionModel::Select);
    emit selectionCountChanged();
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
        out.push_back({source(r), iconPosition(r), selected[std::size_t(r)], kind(r)});
    return out;
}

RowTable ResultList::rowTable(bool everyRowSelected) const {
    return model_->table(everyRowSelected ? std::vector<bool>() : selectedRows(), everyRowSelected);
}

void ResultList::markSaved(const std::vector<std::uint32_t>& rows) {
    for (std::uint32_t r : rows)
        if (r < std::uint32_t(rowCount())) model_->markSaved(int(r));
}

bool ResultList::hasUnsavedRows() const {
    for (int r = 0; r < rowCount(); ++r)
        if (!model_->saved(r)) return true;
    return false;
}

QString ResultList::caption(int row) const {
    return textOf(model_->caption(row));
}
QString ResultList::location(int row) const {
    return QString::fromStdString(model_->location(row));
}
QString ResultList::pathText(int row) const {
    return textOf(model_->source(row).native());
}
fs::path ResultList::source(int row) const {
    return model_->source(row);
}
int ResultList::iconPosition(int row) const {
    return model_->iconPosition(row);
}
ResourceKind ResultList::kind(int row) const {
    return model_->kind(row);
}
int ResultList::imageIndex(int row) const {
    return model_->imageIndex(row);
}
QImage ResultList::rowPicture(int row) const {
    const int image = imageIndex(row);
    return images().valid(image) ? images().at(image) : QImage();
}

void ResultList::setRowSelected(int row, bool selected) {
    selection_->select(model_->index(row, 0),
                       (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                           QItemSelectionModel::Rows);
}

void ResultList::selectAll() {
    if (rowCount() == 0) return;
    QItemSelection all(model_->index(0, 0), model_->index(rowCount() - 1, kColumns - 1));
    selection_->select(all, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void ResultList::clearSelection() {
    selection_->clearSelection();
}

void ResultList::clearRows() {
    // Clearing an empty list changes nothing, what can be undone included.
    if (rowCount() > 0) keepForUndo();
    selection_->clear();
    model_->clearRows();
    // New rows come unsorted: no arrow may claim otherwise.
    showUnsorted();
    emit rowsChanged();
}

int ResultList::deleteSelected() {
    std::vector<bool> keep = selectedRows();
    const int gone = int(std::count(keep.begin(), keep.end(), true));
    if (gone == 0) return 0;
    keepForUndo();
    keep.flip();
    selection_->clear();
    model_->keepRows(keep);
    emit selectionCountChanged();
    emit rowsChanged();
    return gone;
}

void ResultList::sortByColumn(int column) {
    if (column < 0 || column >= kColumns) return;
    const int direction = sortDirection_[std::size_t(column)];
    sortBy(column, direction == 0 ? true : direction < 0);
}

void ResultList::sortBy(int column, bool ascending) {
    if (column < 0 || column >= kColumns) return;
    forgetUndo();
    sortColumn_ = column;
    sortDirection_[std::size_t(column)] = ascending ? 1 : -1;
    const Qt::SortOrder order = ascending ? Qt::AscendingOrder : Qt::DescendingOrder;
    model_->sort(column, order);
    detailView_->horizontalHeader()->setSortIndicatorShown(true);
    detailView_->horizontalHeader()->setSortIndicator(column, order);
    // The keyboard's row stays in sight where the rows went.
    if (selection_->currentIndex().isValid()) currentView()->scrollTo(selection_->currentIndex());
    emit sortChanged();
}

void ResultList::resetSortDirections() {
    sortDirection_ = {};
    sortColumn_ = 0;
}

int ResultList::columnWidth(int column) const {
    return detailView_->horizontalHeader()->sectionSize(column);
}

void ResultList::setColumnWidth(int column, int width) {
    if (column >= 0 && column < kColumns)
        detailView_->horizontalHeader()->resizeSection(column, width);
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
