// The per-file icon viewer: every image of one icon file, listed by size and colour
// depth, shown as thumbnails and as a large preview, and saved one at a time as an
// icon, bitmap or JPEG file. One lives for one modal showing.
#pragma once

#include <QDialog>
#include <QImage>
#include <QString>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/desktop.h"
#include "platform/icon.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QToolBar;
class QWidget;

namespace pellimar {

class TThumbnailList;

// ---- Plain routines of the viewer ----

// "1", "2", "4" ... "256" for bit counts 0 to 8, "XP" for anything else.
std::string ColorDepthName(int bits);
// width*height <depth>colors, e.g. "48*48 XPcolors".
std::string ImageLabel(int width, int height, int bitCount);
// The name chosen in a save dialog with its extension replaced by ext (".ICO",
// ".BMP", ".JPG") unless it already is ext in any letter case.
std::filesystem::path SaveTargetName(const std::filesystem::path& chosen, const std::string& ext);
// What a status panel of `width` characters shows of a path: the first 25
// characters and "..." when it is longer than the panel.
QString ShortenedSourcePath(const QString& path, int width = 50);
// The thumbnail file of image i + 1 in the program's private temporary folder.
std::filesystem::path ThumbnailFilePath(int i);

// The viewer's shared state: the file shown and its image count.
struct ViewerState {
    std::filesystem::path ViewedFile;
    int ImageCount = 0;
};
ViewerState& viewerState();

// A bitmap (.bmp) file of image ImageNumber's colour plane of the viewed file;
// also saved to OutFile when that is not blank. Nothing on any failure.
std::optional<std::vector<std::uint8_t>> IcoImageToBitmap(int ImageNumber,
                                                          const std::filesystem::path& OutFile);

// A status bar of fixed-width text panels.
class StatusPanels;

class Tgeticonsform : public QDialog {
  public:
    explicit Tgeticonsform(Desktop& desktop, QWidget* parent = nullptr);
    ~Tgeticonsform() override;

    // The path of the icon file to show; read when the dialog is shown.
    void setHint(const QString& hint) { Hint_ = hint; }
    const QString& Hint() const { return Hint_; }

    QString StatusText(int panel) const;
    void setStatusText(int panel, const QString& text);

    // Handlers.
    void FormShow();
    void FormClose();
    void ComboBox1Change();
    void listv1Click();
    void listv1MouseDown(Qt::MouseButton button, QPoint pos);
    void SaveAsIcon();
    void SaveAsBmp();
    void saveasjpeg1Click();

    static void CenterPreview(QWidget& panel, QWidget& image);

    // The icon shown in the preview (empty when none).
    const Icon& PreviewIcon() const { return PreviewIcon_; }

    // Controls.
    QWidget* Panel1;
    QToolBar* ToolBar1;
    QAction* ToolButton3;
    QAction* ToolButton1;
    QComboBox* ComboBox1;
    QFrame* Panel2;
    QFrame* Panel6;
    TThumbnailList* listv1;
    QFrame* Panel3;
    QFrame* Panel4;
    QLabel* Image1;
    StatusPanels* StatusBar1;
    QMenu* PopupMenu1;
    QAction* save1;
    QAction* saveasbmp1;
    QAction* saveasjpeg1;
    QMenu* PopupMenu2;
    QAction* saveasicon1;
    QAction* saveasbmp2;

  protected:
    void showEvent(QShowEvent* e) override;
    void done(int result) override;
    void resizeEvent(QResizeEvent* e) override;

  private:
    bool LoadPreview(int imageNumber);
    bool ConfirmOverwrite(const std::filesystem::path& target);
    std::optional<std::filesystem::path> AskTarget(const std::string& filter,
                                                   const std::string& ext);
    void LayoutPanels();

    Desktop& Desktop_;
    QString Hint_;
    Icon PreviewIcon_;
    bool Shown_ = false;
    int ThumbnailFiles_ = 0;
};

// Opens the viewer on icoFile as the import and the row preview do: caption
// "ICON VIEWS", the source path in status panel 2, shown modally, destroyed after.
void ShowIconViewer(Desktop& desktop, QWidget* parent, const std::filesystem::path& icoFile,
                    const std::filesystem::path& sourcePath);

}  // namespace pellimar
