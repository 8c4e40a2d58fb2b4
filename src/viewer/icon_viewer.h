// The icon viewer: every image of one icon, listed by size and colour depth, shown
// as thumbnails and as a large preview, and saved one at a time as an icon,
// bitmap, JPEG or PNG file. It shows an icon file it reads when it is shown, or an
// icon group already in memory (a row of the result list). One lives for one
// modal showing; it writes no file to show anything.
#pragma once

#include <QDialog>
#include <QImage>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "core/desktop.h"
#include "platform/failure.h"
#include "platform/icon.h"
#include "platform/icon_set.h"
#include "platform/output_files.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QToolBar;
class QWidget;

namespace pellimar {

// ---- Plain routines of the viewer ----

// "1", "2", "4" ... "256" for bit counts 0 to 8, "XP" for anything else.
std::string colorDepthName(int bits);
// width*height <depth>colors, e.g. "48*48 XPcolors", translated; a width or
// height of 0 (as a directory stores 256) reads 256. The viewer labels each image
// by the depth its own header states where that header can be read, else by what
// its directory entry states.
QString imageLabel(int width, int height, int bitCount);
// The name chosen in a save dialog with its extension replaced by ext (".ICO",
// ".BMP", ".JPG") unless it already is ext in any letter case.
std::filesystem::path saveTargetName(const std::filesystem::path& chosen, const std::string& ext);
// What a status panel of `width` characters shows of a path: the first 25
// characters and "..." when it is longer than the panel.
QString shortenedSourcePath(const QString& path, int width = 50);
// What the viewer is showing: the icon file (empty for a group handed in), the
// icon and its image count.
struct ViewerState {
    std::filesystem::path viewedFile;
    IconGroup group;
    int imageCount = 0;
};

// The preview of image `image` (from 0) of `group`, whose icon is `icon`, for a
// screen of device pixel ratio `ratio`: drawn on black, at the icon's own size in
// device-independent pixels, from the group's image that best gives that many
// device pixels (its 64 px image for a 32 px one at ratio 2).
QImage previewPictureAt(const IconGroup& group, int image, const Icon& icon, double ratio);
// Marks the hotspot of cursor image `image` (decoded as `icon`) on its preview
// `picture`, which may have more pixels than the image: a cross in red on white.
void markHotspot(QImage& picture, const Icon& icon, const StoredImage& image);

// A status bar of fixed-width text panels.
class ViewerStatusBar;

class IconViewer : public QDialog {
    Q_OBJECT
  public:
    explicit IconViewer(Desktop& desktop, QWidget* parent = nullptr);
    ~IconViewer() override;

    // The icon file to show, read when the dialog is shown; kept as the bytes of
    // its name (which need not be UTF-8).
    void setViewedFile(const std::filesystem::path& file) { viewedFile_ = file; }
    // An icon group already in memory to show instead of a file.
    // `source` names it in messages ("regedit.exe, icon 1").
    void setViewedGroup(IconGroup group, const QString& source = QString()) {
        givenGroup_ = std::move(group);
        sourceName_ = source;
    }

    QString statusText(int panel) const;
    void setStatusText(int panel, const QString& text);

    // Handlers.
    // Reads what is to be shown and lists it; false, having said why, when there
    // is nothing to show (the viewer is then not to be shown).
    bool loadViewedFile();
    void showChosenImage();
    // Shows the image of the selected thumbnail.
    void chooseClickedThumbnail();
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
    // One cell per image, in image order: the item's text is the image's label,
    // its decoration (Qt::DecorationRole) the thumbnail's picture, a QImage, or
    // none for an image that is not shown.
    QListWidget* thumbnailList;
    QFrame* previewPanel;
    QFrame* previewFrame;
    // The image shown; for an image that cannot be drawn, which one and why, in
    // words (no picture then).
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
    QAction* thumbnailSaveJpegItem;
    QAction* thumbnailSavePngItem;
    QAction* thumbnailCopyItem;

  protected:
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

  private:
    // Shows image `image` (from 0) in the preview; why not.
    Result<Done> loadPreview(int image);
    // Says in the preview that image `image` (from 0) cannot be drawn, and why;
    // nothing of the image shown before stays.
    void showCannotDraw(int image, const QString& why);
    void placePreviewText();
    void makeThumbnails();
    // How a save writes at `target`: where a file is there, the person is asked
    // and Replace::Always is the answer to replace it (nothing: keep it); where
    // none is, Replace::Never, so that a file that comes meanwhile is kept.
    std::optional<Replace> confirmOverwrite(const std::filesystem::path& target);
    void saveFailed(const std::filesystem::path& target, const QString& reason);
    // Writes a save's file, or says why not; a file kept is told.
    void writeTarget(const std::filesystem::path& target, const Result<OutputFile>& file,
                     Replace replace);
    // Says why the viewed file or group cannot be shown; false.
    bool cannotShow(const QString& reason);
    // The image count of status panel 0: what the file holds, and what its header
    // claims when that is more.
    QString countText() const;
    std::optional<std::filesystem::path> askTarget(const std::string& filter,
                                                   const std::string& ext);
    void layoutPanels();
    // The window's size for showing an image of `largestImage` pixels whole.
    QSize sizeToShow(int largestImage) const;

    Desktop& desktop_;
    std::filesystem::path viewedFile_;
    std::optional<IconGroup> givenGroup_;
    Icon previewIcon_;
    ViewerState state_;
    QString sourceName_;  // the viewed file's name or the group's source
    bool shown_ = false;
    bool loaded_ = false;
    bool centred_ = false;
};

// Opens the viewer on an icon file as Import from a File does: caption "ICON
// VIEWS", the path in status panel 2, shown modally, destroyed after.
void showIconViewer(Desktop& desktop, QWidget* parent, const std::filesystem::path& icoFile);

// Opens the viewer the same way on an icon group in memory, with `source` (what
// it is: "regedit.exe, icon 1") in status panel 2.
void showIconViewer(Desktop& desktop, QWidget* parent, IconGroup group, const QString& source);

}  // namespace pellimar
