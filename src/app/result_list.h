// The result list of the main window: one row per icon found, shown in three view
// styles over one model and one selection, with the 32 x 32 image list its rows
// draw their pictures from.
#pragma once

#include <QAbstractTableModel>
#include <QFontMetrics>
#include <QImage>
#include <QWidget>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/result_rows.h"

class QAbstractItemView;
class QItemSelectionModel;
class QListView;
class QMimeData;
class QStackedWidget;
class QTableView;

namespace pellimar {

// A caption as a thumbnail shows it in lines of `width` pixels: whole when it fits
// one line, otherwise two lines, the second shortened in its middle so the end of
// the caption (the icon number) always shows.
QString thumbnailCaption(const QString& text, const QFontMetrics& fm, int width);

// Images of 32 x 32 pixels addressed by index. A picture equal to one held
// already (the same pixels at the same ratio) is held once and named by every row
// that shows it: a library whose groups repeat one icon costs one picture.
class ImageList {
  public:
    static constexpr int kSize = 32;

    // The index of the picture scaled to 32 x 32: an equal one's, or a new one's
    // appended.
    int add(const QImage& picture);
    // Keeps the images whose entry in `used` is true, in order; returns each old
    // index's new one (-1 for an image that went).
    std::vector<int> keep(const std::vector<bool>& used);
    // Removes every image and gives their memory back.
    void clear();
    int count() const { return int(images_.size()); }
    const QImage& at(int index) const { return images_.at(std::size_t(index)); }
    bool valid(int index) const { return index >= 0 && index < count(); }

  private:
    static std::size_t hashOf(const QImage& image);
    void index();

    std::vector<QImage> images_;
    // The images by a hash of their pixels.
    std::unordered_multimap<std::size_t, int> byContent_;
};

// The rows of the result list, kept small: a row is its source (each distinct
// path stored once), its icon position and its picture's index; the texts the
// views show are made when they are asked for. The model owns its image list.
class ResultModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit ResultModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void sort(int column, Qt::SortOrder order) override;

    // What rows dragged out of the list carry: the provider makes the data of the
    // given rows (a new object, or nothing to refuse the drag). No provider, no drag.
    using DragDataProvider = std::function<QMimeData*(const std::vector<int>& rows)>;
    void setDragDataProvider(DragDataProvider provider) { dragData_ = std::move(provider); }
    bool dragsOut() const { return bool(dragData_); }
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

    // Appends rows at the end, in one insertion.
    void append(std::vector<PreparedRow>& rows);
    // Keeps the rows for which `keep` is true (in order) and their pictures.
    void keepRows(const std::vector<bool>& keep);
    // Removes every row and gives the memory back.
    void clearRows();

    // Everything the model holds, taken out for undoing a removal: rows, their
    // sources, resource names and pictures (shared, not copied).
    struct Contents;
    Contents contents() const;
    // Puts `contents` back in place of the rows held now.
    void restore(Contents contents);

    const std::filesystem::path& source(int row) const;
    int iconPosition(int row) const { return rows_.at(std::size_t(row)).position; }
    ResourceKind kind(int row) const {
        return rows_.at(std::size_t(row)).cursor ? ResourceKind::Cursor : ResourceKind::Icon;
    }
    int imageIndex(int row) const { return int(rows_.at(std::size_t(row)).image); }
    std::string caption(int row) const;
    std::string location(int row) const;
    const std::string& resource(int row) const;
    // Whether a save has written the row since it came into the list.
    bool saved(int row) const { return rows_.at(std::size_t(row)).saved; }
    void markSaved(int row) { rows_.at(std::size_t(row)).saved = 1; }
    // Every row as a command takes them: each source once; `everyRowSelected`
    // marks each row selected, else the selection given (one entry a row) does.
    RowTable table(const std::vector<bool>& selected, bool everyRowSelected) const;

    ImageList& images() { return images_; }
    const ImageList& images() const { return images_; }

  private:
    struct Row {
        std::uint32_t source;
        std::int32_t position;
        std::uint32_t image;
        std::uint32_t resource : 30;  // in resources_
        std::uint32_t cursor : 1;     // a program's cursor group
        std::uint32_t saved : 1;      // a save wrote it since it came
    };

  public:
    struct Contents {
        std::vector<Row> rows;
        std::vector<std::filesystem::path> sources;
        std::vector<std::string> resources;
        ImageList images;
    };

  private:
    std::uint32_t sourceId(const std::filesystem::path& source);
    std::uint32_t resourceId(const std::string& resource);
    // The bytes a column sorts by.
    std::string sortKey(const Row& row, int column) const;

    std::vector<Row> rows_;
    std::vector<std::filesystem::path> sources_;
    std::unordered_map<std::string, std::uint32_t> sourceIds_;
    // Each distinct resource ID or name stored once; the first is none.
    std::vector<std::string> resources_{std::string()};
    std::unordered_map<std::string, std::uint32_t> resourceIds_{{std::string(), 0}};
    ImageList images_;
    DragDataProvider dragData_;
};

class ResultList : public QWidget {
    Q_OBJECT
  public:
    enum class ViewStyle { Thumbnail, List, Detail };
    // In the order the detail view shows them, so that a screen reader gives the
    // columns in that order too.
    enum Column { ColIcons = 0, ColLocation = 1, ColResource = 2, ColPath = 3 };
    static constexpr int kColumns = 4;

    explicit ResultList(QWidget* parent = nullptr);
    ~ResultList() override;

    // The row adder: appends the picture to the image list and a row at the end of
    // the list (never sorted in); returns the new row's index.
    int addRow(const QImage& picture, const std::filesystem::path& source, int iconPosition,
               const std::string& resource = {}, ResourceKind kind = ResourceKind::Icon);
    // Appends rows whose pictures are already 32 x 32 (others are scaled), in one go.
    void addRows(std::vector<PreparedRow>& rows);

    int rowCount() const;
    int selectedCount() const;
    // Every row in list order: source, icon position, selection, kind.
    std::vector<ResultRowInfo> rows() const;
    // The same, compact (each source once): what a save of many rows takes.
    // `everyRowSelected`: each row marked selected, as Save All has it.
    RowTable rowTable(bool everyRowSelected = false) const;
    // Rows that a save has written since they came (by index, as rowTable() gave
    // them), and whether any row has not been.
    void markSaved(const std::vector<std::uint32_t>& rows);
    bool hasUnsavedRows() const;

    QString caption(int row) const;
    QString location(int row) const;
    QString pathText(int row) const;
    std::filesystem::path source(int row) const;
    int iconPosition(int row) const;
    // A row of a program's cursor group, or of an icon (group or image).
    ResourceKind kind(int row) const;
    int imageIndex(int row) const;
    // The picture the row shows: its image in the image list.
    QImage rowPicture(int row) const;
    bool isSelected(int row) const;

    void setRowSelected(int row, bool selected);
    void selectAll();
    void clearSelection();
    // Removes every row and every image.
    void clearRows();
    // Removes the selected rows and their own images; returns how many went.
    int deleteSelected();
    // Clear All and Delete keep what they removed until the list next changes:
    // undo() brings those rows back as they were, selection included.
    bool canUndo() const { return undo_.has_value(); }
    void undo();

    // A click on a column header: flips that column's own direction and sorts.
    void sortByColumn(int column);
    // Sorts by `column` in the direction given, which becomes the column's own.
    void sortBy(int column, bool ascending);
    void resetSortDirections();
    int sortColumn() const { return sortColumn_; }
    int sortDirection(int column) const { return sortDirection_.at(std::size_t(column)); }
    // Whether the rows are in the order of the last sort (rows added since, a
    // clearing or an undo leave them unsorted).
    bool isSorted() const;

    // The row the keyboard is on; -1 when there is none.
    int currentRow() const;
    // Where a menu for the current row opens: below its left part, in global
    // coordinates; the view's top left corner when no row is current.
    QPoint currentRowMenuPosition() const;

    // Rows may be dragged out of the list when a provider makes their data.
    void setDragDataProvider(ResultModel::DragDataProvider provider);

    void setViewStyle(ViewStyle style);
    // The width of a column of the detail view (by Column).
    int columnWidth(int column) const;
    void setColumnWidth(int column, int width);
    ViewStyle viewStyle() const { return style_; }

    ImageList& images() { return model_->images(); }
    const ImageList& images() const { return model_->images(); }
    QAbstractItemView* currentView() const;
    QListView* iconView() const { return iconView_; }
    QTableView* detailView() const { return detailView_; }
    ResultModel* model() const { return model_; }

  signals:
    void selectionCountChanged();
    void clicked();
    void doubleClicked();
    void columnClicked(int column);
    void contextMenuRequested(const QPoint& globalPos);
    // Undo became possible or impossible.
    void undoChanged(bool possible);
    // The rows were sorted, or are no longer in sorted order.
    void sortChanged();
    // Rows came, went or were put back.
    void rowsChanged();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // One entry per row, true for the selected ones.
    std::vector<bool> selectedRows() const;
    void showUnsorted();

    ResultModel* model_;
    QItemSelectionModel* selection_;
    QStackedWidget* stack_;
    QListView* iconView_;
    QTableView* detailView_;
    // Keeps what the model holds now, with the selection, for undo().
    void keepForUndo();
    void forgetUndo();

    struct Removed {
        ResultModel::Contents contents;
        std::vector<bool> selected;
    };
    std::optional<Removed> undo_;
    ViewStyle style_ = ViewStyle::Detail;
    int sortColumn_ = 0;
    std::array<int, kColumns> sortDirection_{};
};

}  // namespace pellimar
