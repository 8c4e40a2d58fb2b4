// The per-file icon viewer: every image of one icon file, listed by size and colour
// depth, shown as thumbnails and as a large preview, and saved one at a time as an
// icon, bitmap, JPEG or PNG file. One lives for one modal showing.
#pragma once

#include <QDialog>
#include <QImage>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/desktop.h"
#include "platform/icon.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QToolBar;
class QWidget;

namespace pellimar {

class ThumbnailList;

// ---- Plain routines of the viewer ----

// "1", "2", "4" ... "256" for bit counts 0 to 8, "XP" for anything else.
std::string colorDepthName(int bits);
// width*height <depth>colors, e.g. "48*48 XPcolors".
std::string imageLabel(int width, int height, int bitCount);
// The name chosen in a save dialog with its extension replaced by ext (".ICO",
// ".BMP", ".JPG") unless it already is ext in any letter case.
std::filesystem::path saveTargetName(const std::filesystem::path& chosen, const std::string& ext);
// What a status panel of `width` characters shows of a path: the first 25
// characters and "..." when it is longer than the panel.
QString shortenedSourcePath(const QString& path, int width = 50);
// The thumbnail file of image i + 1 in the program's private temporary folder.
std::filesystem::path thumbnailFilePath(int i);
// What one viewer writes as thumbnail files at most; the images past it show as
// empty cells, and the viewer says so.
inline constexpr int kMaxThumbnailFiles = 256;
inline constexpr std::uint64_t kMaxThumbnailBytes = 32ull << 20;

// What the viewer is showing: the file and its image count.
struct ViewerState {
    std::filesystem::path viewedFile;
    int imageCount = 0;
};

// A bitmap (.bmp) file of the colour plane of image `imageNumber` (from 1) of the
// icon file `file`; also saved to `outFile` when that is not blank. Nothing on any
// failure.
std::optional<std::vector<std::uint8_t>> icoImageToBitmap(const std::filesystem::path& file,
                                                          int imageNumber,
                                                          const std::filesystem::path& outFile);

// The preview of image `imageNumber` (from 1) of the icon file `file`, whose icon
// is `icon`, for a screen of device pixel ratio `ratio`: drawn on black, at the
// icon's own size in device-independent pixels, from the file's image that best
// gives that many device pixels (its 64 px image for a 32 px one at ratio 2).
QImage previewPictureAt(const std::filesystem::path& file, int imageNumber, const Icon& icon,
                        double ratio);

// A status bar of fixed-width text panels.
class ViewerStatusBar;

class IconViewer : public QDialog {
    Q_OBJECT
  public:
    explicit IconViewer(Desktop& desktop, QWidget* parent = nullptr);
    ~IconViewer() override;

    // The path of the icon file to show; read when the dialog is shown.
    // The file to view, kept as the bytes of its name (which need not be UTF-8).
    void setViewedFile(const std::filesystem::path& file) { viewedFile_ = file; }
    void setViewedPath(const QString& path);
    QString viewedPath() const;

    QString statusText(int panel) const;
    void setStatusText(int panel, const QString& text);

    // Handlers.
    void loadViewedFile();
    void removeThumbnailFiles();
    void showChosenImage();
    void chooseClickedThumbnail();
    void thumbnailPressed(Qt::MouseButton button, QPoint pos);
    void saveAsIcon();
    void saveAsBitmap();
    void saveAsJpeg();
    // The chosen image (the one in the preview) to the clipboard as a PNG picture
    // with its transparency.
    void copyChosenImage();
    // The image shown, at its own size with its transparency, as a PNG file.
    void saveAsPng();

    static void centrePreview(QWidget& panel, QWidget& image);

    // The icon shown in the preview (empty when none).
    const Icon& previewIcon() const { return previewIcon_; }
    // The file shown and its image count, as the last showing read them.
    const ViewerState& state() const { return state_; }

    // Controls.
    QWidget* toolPanel;
    QToolBar* toolBar;
    QAction* saveBitmapButton;
    QAction* saveIconButton;
    QComboBox* imageChoice;
    QFrame* thumbnailPanel;
    QFrame* thumbnailFrame;
    ThumbnailList* thumbnailList;
    QFrame* previewPanel;
    QFrame* previewFrame;
    QLabel* preview;
    ViewerStatusBar* statusPanels;
    QMenu* previewMenu;
    QAction* previewSaveIconItem;
    QAction* previewSaveBitmapItem;
    QAction* previewSaveJpegItem;
    QAction* previewSavePngItem;
    QAction* previewCopyItem;
    QMenu* thumbnailMenu;
    QAction* thumbnailSaveIconItem;
    QAction* thumbnailSaveBitmapItem;
    QAction* thumbnailSavePngItem;
    QAction* thumbnailCopyItem;

  protected:
    void showEvent(QShowEvent* e) override;
    void done(int result) override;
    void resizeEvent(QResizeEvent* e) override;

  private:
    bool loadPreview(int imageNumber);
    bool confirmOverwrite(const std::filesystem::path& target);
    std::optional<std::filesystem::path> askTarget(const std::string& filter,
                                                   const std::string& ext);
    void layoutPanels();
    // The window's size for showing an image of `largestImage` pixels whole.
    QSize sizeToShow(int largestImage) const;

    Desktop& desktop_;
    std::filesystem::path viewedFile_;
    Icon previewIcon_;
    ViewerState state_;
    bool shown_ = false;
};

// Opens the viewer on icoFile as the import and the row preview do: caption
// "ICON VIEWS", the source path in status panel 2, shown modally, destroyed after.
void showIconViewer(Desktop& desktop, QWidget* parent, const std::filesystem::path& icoFile,
                    const std::filesystem::path& sourcePath);

}  // namespace pellimar
