#include "viewer/geticons_form.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QToolBar>
#include <algorithm>
#include <cctype>
#include <system_error>

#include "acquire/icon_qt.h"
#include "app/paths.h"
#include "app/resources.h"
#include "platform/atomic_file.h"
#include "platform/bmp_file.h"
#include "platform/ico_file.h"
#include "platform/icon_decode.h"
#include "platform/jpeg_file.h"
#include "platform/raster.h"
#include "viewer/ico_routines.h"
#include "viewer/thumbnail_list.h"

namespace pellimar {
namespace fs = std::filesystem;

// ---------------------------------------------------------------- status bar

class StatusPanels : public QWidget {
  public:
    explicit StatusPanels(QWidget* parent) : QWidget(parent) {
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 1, 0, 0);
        layout->setSpacing(2);
        const int widths[3] = {100, 60, 50};
        for (int i = 0; i < 3; ++i) {
            auto* label = new QLabel(this);
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            label->setTextFormat(Qt::PlainText);
            if (i < 2)
                label->setFixedWidth(widths[i]);
            else
                label->setMinimumWidth(widths[i]);
            layout->addWidget(label, i == 2 ? 1 : 0);
            panels_[i] = label;
        }
    }
    QString text(int i) const { return (i >= 0 && i < 3) ? panels_[i]->text() : QString(); }
    void setText(int i, const QString& s) {
        if (i >= 0 && i < 3) panels_[i]->setText(s);
    }

  private:
    QLabel* panels_[3];
};

// ---------------------------------------------------------------- routines

namespace {

QString qpath(const fs::path& p) {
    return QFile::decodeName(QByteArray::fromStdString(p.native()));
}

fs::path fspath(const QString& s) {
    return fs::path(QFile::encodeName(s).toStdString());
}

bool isBlank(const fs::path& p) {
    const std::string& s = p.native();
    return std::all_of(s.begin(), s.end(), [](unsigned char c) { return c == ' '; });
}

// The icon of image `imageNumber` of a file, cut out as a one-image icon file and
// decoded from it; empty on any failure.
Icon readViewedIcon(const fs::path& file, int imageNumber) {
    auto cut = CopyIcoImage(file, imageNumber);
    if (!cut) return {};
    return decodeIcoImage(std::span<const std::uint8_t>(*cut), 0);
}

// What ReadIcoImageInfo reports, with the numbers the dialog computes with.
struct ImageInfo {
    std::vector<std::string> text;  // count, width, height, bit count
    int count = 0, width = 0, height = 0, bitCount = 0;
    QString label() const {
        return QString::fromStdString(text[1] + "*" + text[2] + " " + ColorDepthName(bitCount) +
                                      "colors");
    }
};

std::optional<ImageInfo> imageInfo(const fs::path& file, int imageNumber) {
    auto text = ReadIcoImageInfo(file, imageNumber);
    if (!text || text->size() < 4) return std::nullopt;
    ImageInfo info;
    info.text = std::move(*text);
    try {
        info.count = std::stoi(info.text[0]);
        info.width = std::stoi(info.text[1]);
        info.height = std::stoi(info.text[2]);
        info.bitCount = std::stoi(info.text[3]);
    } catch (...) {
        return std::nullopt;
    }
    return info;
}

// The image count of an icon file whose header is sound; nothing otherwise. Only
// a regular file is read: a pipe or device named like an icon file would keep the
// dialog waiting for data that never comes.
std::optional<int> headerImageCount(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    std::uint8_t h[6];
    const bool read = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::read(fd, h, 6) == 6;
    ::close(fd);
    if (!read || !hasIcoHeader(std::span<const std::uint8_t>(h, 6))) return std::nullopt;
    return int(h[4] | (h[5] << 8));
}

}  // namespace

std::string ColorDepthName(int bits) {
    static const char* const names[] = {"1", "2", "4", "8", "16", "32", "64", "128", "256"};
    if (bits >= 0 && bits <= 8) return names[bits];
    return "XP";
}

std::string ImageLabel(int width, int height, int bitCount) {
    return std::to_string(width) + "*" + std::to_string(height) + " " + ColorDepthName(bitCount) +
           "colors";
}

fs::path SaveTargetName(const fs::path& chosen, const std::string& ext) {
    // The extension runs from the name's last dot; a name that starts with its only
    // dot (".png") is all extension.
    const std::string name = chosen.filename().string();
    const std::size_t dot = name.rfind('.');
    std::string current = dot == std::string::npos ? std::string() : name.substr(dot);
    std::transform(current.begin(), current.end(), current.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    if (current == ext) return chosen;
    return chosen.parent_path() / (name.substr(0, dot) + ext);
}

QString ShortenedSourcePath(const QString& path, int width) {
    if (path.length() > width) return path.left(25) + "...";
    return path;
}

fs::path ThumbnailFilePath(int i) {
    return privateTempDir() / ("mynameisnothing-" + std::to_string(i) + ".ico");
}

ViewerState& viewerState() {
    static ViewerState state;
    return state;
}

std::optional<std::vector<std::uint8_t>> IcoImageToBitmap(int ImageNumber,
                                                          const fs::path& OutFile) {
    try {
        const Icon icon = readViewedIcon(viewerState().ViewedFile, ImageNumber);
        if (icon.empty()) return std::nullopt;
        // The colour plane alone; the mask is not part of it.
        RgbImage plane;
        plane.width = icon.width;
        plane.height = icon.height;
        plane.pixels.resize(icon.color.size());
        for (std::size_t k = 0; k < icon.color.size(); ++k)
            plane.pixels[k] = icon.color[k] & 0xFFFFFF;
        std::vector<std::uint8_t> bmp = encodeBmp24(plane);
        if (bmp.empty()) return std::nullopt;
        if (!isBlank(OutFile) && !writeFileAtomically(OutFile, bmp)) return std::nullopt;
        return bmp;
    } catch (...) {
        return std::nullopt;
    }
}

// ---------------------------------------------------------------- the dialog

Tgeticonsform::Tgeticonsform(Desktop& desktop, QWidget* parent)
    : QDialog(parent), Desktop_(desktop) {
    setWindowTitle("get icon");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(448, 293);

    Panel1 = new QWidget(this);
    ToolBar1 = new QToolBar(Panel1);
    ToolBar1->setIconSize(QSize(16, 16));
    // The two pictures of ImageList1: a picture for bitmaps, tiles for icons.
    initResources();
    ToolButton3 = ToolBar1->addAction(QIcon(":/pellimar/viewer/0.png"), QString());
    ToolButton3->setToolTip("save as bmp");
    ToolBar1->addSeparator();  // ToolButton4
    ToolButton1 = ToolBar1->addAction(QIcon(":/pellimar/viewer/1.png"), QString());
    ToolButton1->setToolTip("save as icon");
    ToolBar1->addSeparator();  // ToolButton5
    ToolBar1->addSeparator();  // ToolButton2
    ComboBox1 = new QComboBox(ToolBar1);
    ComboBox1->setEditable(false);
    ComboBox1->setFixedWidth(170);
    ToolBar1->addWidget(ComboBox1);

    Panel2 = new QFrame(this);
    Panel6 = new QFrame(Panel2);
    Panel6->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    listv1 = new TThumbnailList(Panel6);
    listv1->setThumbnailSize(64);
    listv1->setOrientation(toVertical);
    listv1->setShowCaption(true);
    listv1->setShowSelection(false);
    listv1->setBuffered(true);
    // No colour of its own: the cells show the list's dark background, on which
    // the white captions stand.
    listv1->setColor(QColor());
    listv1->setFontColor(Qt::white);
    {
        QPalette pal = listv1->palette();
        pal.setColor(QPalette::Base, Qt::black);
        listv1->setPalette(pal);
        QFont f = listv1->font();
        f.setPixelSize(9);
        listv1->setFont(f);
    }
    listv1->setContextMenuPolicy(Qt::CustomContextMenu);

    Panel3 = new QFrame(this);
    Panel4 = new QFrame(Panel3);
    Panel4->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel4->setAutoFillBackground(true);
    {
        QPalette pal = Panel4->palette();
        pal.setColor(QPalette::Window, Qt::black);
        Panel4->setPalette(pal);
    }
    Panel4->setGeometry(0, 0, 301, 242);
    Image1 = new QLabel(Panel4);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setContextMenuPolicy(Qt::CustomContextMenu);

    StatusBar1 = new StatusPanels(this);

    PopupMenu1 = new QMenu(this);
    save1 = PopupMenu1->addAction("save as icon");
    PopupMenu1->addSeparator();  // N1
    saveasbmp1 = PopupMenu1->addAction("save as bmp");
    PopupMenu1->addSeparator();  // N2
    saveasjpeg1 = PopupMenu1->addAction("save as jpeg");
    PopupMenu2 = new QMenu(this);
    saveasicon1 = PopupMenu2->addAction("save as icon");
    PopupMenu2->addSeparator();  // N4
    saveasbmp2 = PopupMenu2->addAction("save as bmp");

    auto handler = [this](void (Tgeticonsform::*fn)()) {
        return [this, fn] { guarded(Desktop_, [&] { (this->*fn)(); }); };
    };
    connect(ToolButton3, &QAction::triggered, this, handler(&Tgeticonsform::SaveAsBmp));
    connect(ToolButton1, &QAction::triggered, this, handler(&Tgeticonsform::SaveAsIcon));
    connect(save1, &QAction::triggered, this, handler(&Tgeticonsform::SaveAsIcon));
    connect(saveasicon1, &QAction::triggered, this, handler(&Tgeticonsform::SaveAsIcon));
    connect(saveasbmp1, &QAction::triggered, this, handler(&Tgeticonsform::SaveAsBmp));
    connect(saveasbmp2, &QAction::triggered, this, handler(&Tgeticonsform::SaveAsBmp));
    connect(saveasjpeg1, &QAction::triggered, this, handler(&Tgeticonsform::saveasjpeg1Click));
    connect(ComboBox1, &QComboBox::activated, this, handler(&Tgeticonsform::ComboBox1Change));
    listv1->OnClick = handler(&Tgeticonsform::listv1Click);
    listv1->OnMouseDown = [this](Qt::MouseButton b, QPoint p) { listv1MouseDown(b, p); };
    connect(listv1, &QWidget::customContextMenuRequested, this,
            [this](QPoint p) { PopupMenu2->popup(listv1->viewport()->mapToGlobal(p)); });
    connect(Image1, &QWidget::customContextMenuRequested, this,
            [this](QPoint p) { PopupMenu1->popup(Image1->mapToGlobal(p)); });

    LayoutPanels();
}

Tgeticonsform::~Tgeticonsform() {
    // However the dialog ends, its thumbnail files go with it.
    FormClose();
}

void Tgeticonsform::LayoutPanels() {
    const int w = width(), h = height();
    Panel1->setGeometry(0, 0, w, 30);
    ToolBar1->setGeometry(0, 0, w, 30);
    StatusBar1->setGeometry(0, h - 19, w, 19);
    Panel2->setGeometry(0, 30, 145, h - 30 - 19);
    Panel6->setGeometry(0, 0, Panel2->width(), Panel2->height());
    listv1->setGeometry(1, -5, 143, 247);
    Panel3->setGeometry(145, 30, std::max(0, w - 145), h - 30 - 19);
}

void Tgeticonsform::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    LayoutPanels();
}

QString Tgeticonsform::StatusText(int panel) const {
    return StatusBar1->text(panel);
}

void Tgeticonsform::setStatusText(int panel, const QString& text) {
    StatusBar1->setText(panel, text);
}

void Tgeticonsform::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (Shown_) return;
    guarded(Desktop_, [&] { FormShow(); });
    // Centred on the screen, not on its owner, at the width the showing gave it.
    if (const QScreen* s = screen()) {
        const QRect area = s->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

void Tgeticonsform::done(int result) {
    FormClose();
    QDialog::done(result);
}

bool Tgeticonsform::LoadPreview(int imageNumber) {
    Icon icon = readViewedIcon(viewerState().ViewedFile, imageNumber);
    if (icon.empty()) return false;
    PreviewIcon_ = std::move(icon);
    // Drawn by the mask rule onto the black of the panel below it, so that pixels
    // which invert the background show as they do on that panel.
    QImage shown(PreviewIcon_.width, PreviewIcon_.height, QImage::Format_RGB32);
    shown.fill(Qt::black);
    drawIconOnImage(shown, 0, 0, PreviewIcon_);
    Image1->setPixmap(QPixmap::fromImage(shown));
    return true;
}

void Tgeticonsform::CenterPreview(QWidget& panel, QWidget& image) {
    int left = panel.width() / 2 - image.width() / 2 - 20;
    int top = panel.height() / 2 - image.height() / 2 - 20;
    if (left < 0 || top < 0) {
        image.move(0, 0);
        image.resize(panel.width(), image.height());
    } else {
        image.move(left, top);
    }
}

void Tgeticonsform::FormShow() {
    Shown_ = true;
    setFixedSize(listv1->width() + 0 + Panel4->height(), height());
    ViewerState& st = viewerState();
    st.ViewedFile = fspath(Hint_);

    // A sound header that announces no image: nothing to list.
    if (auto count = headerImageCount(st.ViewedFile); count && *count == 0) {
        setStatusText(0, "  Bmp count:  0");
        return;
    }

    bool countKnown = false;
    try {
        if (!LoadPreview(1)) throw std::runtime_error("no first image");
        QCoreApplication::processEvents();
        auto info = imageInfo(st.ViewedFile, 1);
        if (!info) throw std::runtime_error("no image information");
        if (info->count < 1) return;
        ComboBox1->clear();
        st.ImageCount = info->count;
        ComboBox1->addItem(info->label());
        setStatusText(0, "  Bmp count:  " + QString::fromStdString(info->text[0]));
        ComboBox1->setCurrentIndex(0);
        countKnown = true;
        for (int n = 2; n <= st.ImageCount; ++n) {
            auto next = imageInfo(st.ViewedFile, n);
            if (!next) throw std::runtime_error("no image information");
            ComboBox1->addItem(next->label());
        }
    } catch (...) {
        Desktop_.message("file open false", "notice", Buttons::Ok);
        if (!countKnown) return;
    }

    if (auto info = imageInfo(st.ViewedFile, 1)) {
        const int side = info->width + 6;
        Image1->resize(side, side);
    }
    // The picture control takes the size of its picture.
    if (!PreviewIcon_.empty()) Image1->resize(PreviewIcon_.width, PreviewIcon_.height);
    CenterPreview(*Panel4, *Image1);

    try {
        for (int i = 0; i < st.ImageCount; ++i) {
            auto info = imageInfo(st.ViewedFile, i + 1);
            if (!info) throw std::runtime_error("no image information");
            const fs::path f = ThumbnailFilePath(i);
            std::error_code ec;
            fs::remove(f, ec);
            if (!IcoImageToBitmap(i + 1, f)) throw std::runtime_error("no bitmap");
            TThumbnail* t = listv1->Thumbnails().AddThumbnail();
            t->setFilename(qpath(f));
            t->setSource(tsFile);
            t->setCaption(info->label());
        }
    } catch (...) {
        Desktop_.message("views load file Error", "notice", Buttons::Ok);
    }
}

void Tgeticonsform::FormClose() {
    const int n = listv1 ? listv1->Thumbnails().Count() : 0;
    for (int i = 0; i < n; ++i) {
        try {
            std::error_code ec;
            fs::remove(ThumbnailFilePath(i), ec);
        } catch (...) {
        }
    }
}

void Tgeticonsform::ComboBox1Change() {
    const int k = ComboBox1->currentIndex();
    const ViewerState& st = viewerState();
    const bool loaded = LoadPreview(k + 1);
    if (loaded) QCoreApplication::processEvents();
    auto info = loaded ? imageInfo(st.ViewedFile, k + 1) : std::nullopt;
    if (!info) {
        setStatusText(0, "Error infomation in h2");
        return;
    }
    setStatusText(
        1, QString::fromStdString(info->text[0] + "|" + info->text[1] + "|" + info->text[2]));
    Image1->resize(info->width, info->height);
    if (!PreviewIcon_.empty()) Image1->resize(PreviewIcon_.width, PreviewIcon_.height);
    CenterPreview(*Panel4, *Image1);
}

void Tgeticonsform::listv1Click() {
    for (int i = 0; i < listv1->count(); ++i) {
        if (!listv1->Selected(i)) continue;
        ComboBox1->setCurrentIndex(i);
        ComboBox1Change();
    }
}

void Tgeticonsform::listv1MouseDown(Qt::MouseButton button, QPoint pos) {
    if (button != Qt::RightButton) return;
    // A right-click acts as a left click first, so the menu that follows works on
    // the thumbnail under the pointer.
    QWidget* target = listv1->viewport();
    const QPointF local(pos);
    const QPointF global(target->mapToGlobal(pos));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
}

std::optional<fs::path> Tgeticonsform::AskTarget(const std::string& filter,
                                                 const std::string& ext) {
    FileDialogRequest request;
    request.filter = filter;
    auto chosen = Desktop_.saveFile(request);
    if (!chosen || chosen->empty()) return std::nullopt;
    return SaveTargetName(*chosen, ext);
}

bool Tgeticonsform::ConfirmOverwrite(const fs::path& target) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(target, ec))) return true;
    return Desktop_.message("This file is exists,Are you sure?", "notice", Buttons::OkCancel) ==
           Answer::Ok;
}

void Tgeticonsform::SaveAsIcon() {
    auto target = AskTarget("ICON file|*.ico", ".ICO");
    if (!target) return;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(*target, ec))) {
        if (!ConfirmOverwrite(*target)) return;
        // Never replace the file being viewed with one of its own images, however
        // its name is spelt.
        const fs::path& viewed = viewerState().ViewedFile;
        if (target->native() == viewed.native() || fs::equivalent(*target, viewed, ec)) return;
    }
    if (!CopyIcoImage(viewerState().ViewedFile, ComboBox1->currentIndex() + 1, target->native()))
        Desktop_.message("save false", "Sorry", Buttons::Ok);
}

void Tgeticonsform::SaveAsBmp() {
    auto target = AskTarget("bmp file|*.bmp", ".BMP");
    if (!target || !ConfirmOverwrite(*target)) return;
    bool ok = false;
    if (!PreviewIcon_.empty()) {
        RgbImage picture = whiteImage(PreviewIcon_.width, PreviewIcon_.height);
        drawIcon(picture, PreviewIcon_, 0, 0);
        ok = writeBmpFile(*target, picture);
    }
    if (!ok) Desktop_.message("save falsed", "notice", Buttons::Ok);
}

void Tgeticonsform::saveasjpeg1Click() {
    auto target = AskTarget("jpeg file|*.jpg", ".JPG");
    if (!target || !ConfirmOverwrite(*target)) return;
    if (PreviewIcon_.empty()) return;
    RgbImage picture = whiteImage(PreviewIcon_.width, PreviewIcon_.height);
    drawIcon(picture, PreviewIcon_, 0, 0);
    if (!writeJpegFile(*target, picture)) Desktop_.message("save falsed", "notice", Buttons::Ok);
}

void ShowIconViewer(Desktop& desktop, QWidget* parent, const fs::path& icoFile,
                    const fs::path& sourcePath) {
    Tgeticonsform form(desktop, parent);
    form.setWindowTitle("ICON VIEWS");
    form.setStatusText(2, ShortenedSourcePath(qpath(sourcePath)));
    form.setHint(qpath(icoFile));
    desktop.runModal(form);
}

}  // namespace pellimar
