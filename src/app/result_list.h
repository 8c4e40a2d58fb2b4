// The result list of the main window: one row per icon found, shown in three view
// styles over one model and one selection, with the 32 x 32 image list its rows
// draw their pictures from.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QStandardItemModel>
#include <QWidget>
#include <array>
#include <filesystem>
#include <vector>

#include "core/result_rows.h"

class QAbstractItemView;
class QItemSelectionModel;
class QListView;
class QStackedWidget;
class QTableView;

namespace pellimar {

// Images of 32 x 32 pixels addressed by index; every row names its own one.
class ImageList {
  public:
    static constexpr int kSize = 32;

    // Appends the picture scaled to 32 x 32; returns its index.
    int add(const QImage& picture);
    // Removes the images at the given indexes; later images move down.
    void remove(const std::vector<int>& indexes);
    void clear() {
        images_.clear();
        pixmaps_.clear();
    }
    int count() const { return int(images_.size()); }
    const QImage& at(int index) const { return images_.at(std::size_t(index)); }
    // The same picture ready for drawing.
    const QPixmap& pixmap(int index) const { return pixmaps_.at(std::size_t(index)); }
    bool valid(int index) const { return index >= 0 && index < count(); }

  private:
    std::vector<QImage> images_;
    std::vector<QPixmap> pixmaps_;
};

class ResultList : public QWidget {
    Q_OBJECT
  public:
    enum class ViewStyle { Thumbnail, List, Detail };
    enum Column { ColIcons = 0, ColLocation = 1, ColPath = 2 };

    explicit ResultList(QWidget* parent = nullptr);
    ~ResultList() override;

    // The row adder: appends the picture to the image list and a row at the end of
    // the list (never sorted in); returns the new row's index.
    int addRow(const QImage& picture, const std::filesystem::path& source, int iconPosition);

    int rowCount() const;
    int selectedCount() const;
    // Every row in list order: source, icon position, selection.
    std::vector<ResultRowInfo> rows() const;

    QString caption(int row) const;
    QString location(int row) const;
    QString pathText(int row) const;
    std::filesystem::path source(int row) const;
    int iconPosition(int row) const;
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

    // A click on a column header: flips that column's own direction and sorts.
    void sortByColumn(int column);
    void resetSortDirections();
    int sortColumn() const { return sortColumn_; }
    int sortDirection(int column) const { return sortDirection_.at(std::size_t(column)); }

    void setViewStyle(ViewStyle style);
    ViewStyle viewStyle() const { return style_; }

    ImageList& images() { return images_; }
    const ImageList& images() const { return images_; }
    QAbstractItemView* currentView() const;
    QListView* iconView() const { return iconView_; }
    QTableView* detailView() const { return detailView_; }
    QStandardItemModel* model() const { return model_; }

  signals:
    void selectionCountChanged();
    void clicked();
    void doubleClicked();
    void columnClicked(int column);
    void contextMenuRequested(const QPoint& globalPos);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // One entry per row, true for the selected ones.
    std::vector<bool> selectedRows() const;

    QStandardItemModel* model_;
    QItemSelectionModel* selection_;
    QStackedWidget* stack_;
    QListView* iconView_;
    QTableView* detailView_;
    ImageList images_;
    ViewStyle style_ = ViewStyle::Detail;
    int sortColumn_ = 0;
    std::array<int, 3> sortDirection_{0, 0, 0};
};

}  // namespace pellimar
