#include "viewer/icon_viewer.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QToolBar>
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <system_error>

#include "core/accessible_names.h"
#include "core/file_names.h"
#include "core/icon_image.h"
#include "core/icon_transfer.h"
#include "core/reasons.h"
#include "core/resources.h"
#include "core/row_icons.h"
#include "core/window_placement.h"
#include "platform/atomic_file.h"
#include "platform/caps.h"
#include "platform/icon_decode.h"
#include "platform/icon_png.h"
#include "platform/image_choice.h"
#include "platform/output_files.h"
#include "platform/raster.h"
#include "viewer/thumbnails.h"

namespace pellimar {
namespace fs = std::filesystem;

// ---------------------------------------------------------------- status bar

class ViewerStatusBar : public QWidget {
  public:
    explicit ViewerStatusBar(QWidget* parent) : QWidget(parent) {
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
        if (i < 0 || i >= 3) return;
        panels_[i]->setText(s);
        // The two fixed panels widen for a text longer than they were made for.
        const int need =
            panels_[i]->fontMetrics().horizontalAdvance(s) + 2 * panels_[i]->frameWidth() + 4;
        if (i < 2 && need > panels_[i]->width()) panels_[i]->setFixedWidth(need);
    }

  private:
    QLabel* panels_[3];
};

// ---------------------------------------------------------------- routines

namespace {

// The least size of the preview's frame.
constexpr int kLeastPreviewWidth = 301;
constexpr int kLeastPreviewHeight = 242;

QString qpath(const fs::path& p) {
    return QFile::decodeName(QByteArray::fromStdString(p.native()));
}

QString nameOf(const fs::path& p) {
    return qpath(p.filename());
}

// The bits per pixel an image's own header states, when the header can be read:
// a bitmap header of a known size stating one plane and a bit count bitmaps have,
// or a PNG header of a known colour type and depth. Nothing for a header that is
// damaged or cut off.
std::optional<int> readableHeaderDepth(std::span<const std::uint8_t> data) {
    const std::optional<int> depth = storedImageDepth(data);
    if (!depth) return std::nullopt;
    if (data.size() >= 8 && data[0] == 0x89 && data[1] == 'P' && data[2] == 'N' && data[3] == 'G') {
        if (data.size() < 29 || std::memcmp(data.data() + 12, "IHDR", 4) != 0) return std::nullopt;
        const int bits = data[24], type = data[25];
        const bool known =
            (type == 0 && (bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16)) ||
            (type == 3 && (bits == 1 || bits == 2 || bits == 4 || bits == 8)) ||
            ((type == 2 || type == 4 || type == 6) && (bits == 8 || bits == 16));
        return known ? depth : std::nullopt;
    }
    const std::uint32_t headerSize = std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8 |
                                     std::uint32_t(data[2]) << 16 | std::uint32_t(data[3]) << 24;
    const int planes = data[12] | data[13] << 8;
    const bool knownSize = headerSize == 40 || headerSize == 52 || headerSize == 56 ||
                           headerSize == 64 || headerSize == 108 || headerSize == 124;
    const int bits = *depth;
    const bool knownBits =
        bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    return knownSize && planes == 1 && knownBits ? depth : std::nullopt;
}

// The label of an image: its size (256 for a stored 0) and the depth its own
// header states where that can be read, else what its directory entry states.
QString labelOf(const StoredImage& image) {
    int depth = image.entry.statedBitCount() != 0 ? image.entry.statedBitCount() : image.depth;
    if (image.loaded())
        if (auto own = readableHeaderDepth(image.data)) depth = *own;
    return imageLabel(image.width(), image.height(), depth);
}

// A reason said of image `index` (from 0) of the viewed icon: "image 3: <why>".
QString ofImage(int index, const QString& why) {
    return IconViewer::tr("image %1: %2").arg(index + 1).arg(why);
}

}  // namespace

std::string colorDepthName(int bits) {
    static const char* const names[] = {"1", "2", "4", "8", "16", "32", "64", "128", "256"};
    if (bits >= 0 && bits <= 8) return names[bits];
    return "XP";
}

QString imageLabel(int width, int height, int bitCount) {
    // A directory stores 256 pixels as 0.
    const int w = width == 0 ? 256 : width, h = height == 0 ? 256 : height;
    if (bitCount >= 0 && bitCount <= 8)
        return IconViewer::tr("%1*%2 %3colors")
            .arg(w)
            .arg(h)
            .arg(QString::fromStdString(colorDepthName(bitCount)));
    return IconViewer::tr("%1*%2 XPcolors").arg(w).arg(h);
}

fs::path saveTargetName(const fs::path& chosen, const std::string& ext) {
    // The extension runs from the name's last dot; a name that starts with its only
    // dot (".png") is all extension.
    if (upperCaseExtension(chosen) == ext) return chosen;
    const std::string name = chosen.filename().string();
    return chosen.parent_path() / (name.substr(0, name.rfind('.')) + ext);
}

QString shortenedSourcePath(const QString& path, int width) {
    if (path.length() > width) return path.left(25) + "...";
    return path;
}

// ---------------------------------------------------------------- the dialog

IconViewer::IconViewer(Desktop& desktop, QWidget* parent) : QDialog(parent), desktop_(desktop) {
    setWindowTitle(tr("get icon"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    giveCloseBoxOnly(*this);
    // These are the least sizes: the window grows for large images and long paths
    // and can be resized.
    setMinimumSize(448, 293);
    resize(448, 293);

    toolPanel = new QWidget(this);
    toolBar = new QToolBar(toolPanel);
    toolBar->setAccessibleName(tr("Tool bar"));
    toolBar->setIconSize(QSize(16, 16));
    // The two pictures of the tool bar: a picture for bitmaps, tiles for icons.
    initResources();
    saveBitmapButton = toolBar->addAction(QIcon(":/pellimar/viewer/0.png"), QString());
    saveBitmapButton->setToolTip(tr("save as bmp"));
    saveBitmapButton->setText(tr("save as bmp"));
    toolBar->addSeparator();
    saveIconButton = toolBar->addAction(QIcon(":/pellimar/viewer/1.png"), QString());
    saveIconButton->setToolTip(tr("save as icon"));
    saveIconButton->setText(tr("save as icon"));
    toolBar->addSeparator();
    toolBar->addSeparator();
    imageChoice = new QComboBox(toolBar);
    imageChoice->setEditable(false);
    // Before anything asks for its accessible interface, which is then kept.
    nameComboBoxByAccessibleName(*imageChoice);
    imageChoice->setAccessibleName(tr("Image"));
    imageChoice->setAccessibleDescription(tr("Size and colours of the image shown in the preview"));
    imageChoice->setFixedWidth(170);
    toolBar->addWidget(imageChoice);

    thumbnailPanel = new QFrame(this);
    thumbnailFrame = new QFrame(thumbnailPanel);
    thumbnailFrame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    thumbnailList = new QListWidget(thumbnailFrame);
    setUpThumbnailList(*thumbnailList);
    thumbnailList->setContextMenuPolicy(Qt::CustomContextMenu);
    thumbnailList->setAccessibleName(tr("Images of the file"));

    previewPanel = new QFrame(this);
    previewFrame = new QFrame(previewPanel);
    previewFrame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    previewFrame->setAutoFillBackground(true);
    {
        QPalette pal = previewFrame->palette();
        pal.setColor(QPalette::Window, Qt::black);
        previewFrame->setPalette(pal);
    }
    previewFrame->setGeometry(0, 0, kLeastPreviewWidth, kLeastPreviewHeight);
    preview = new QLabel(previewFrame);
    preview->setAlignment(Qt::AlignCenter);
    preview->setAccessibleName(tr("Preview"));
    // What is said in place of an image that cannot be drawn reads on the black.
    {
        QPalette pal = preview->palette();
        pal.setColor(QPalette::WindowText, Qt::white);
        preview->setPalette(pal);
    }
    preview->setContextMenuPolicy(Qt::CustomContextMenu);

    statusPanels = new ViewerStatusBar(this);

    previewMenu = new QMenu(this);
    previewSaveIconItem = previewMenu->addAction(tr("save as icon"));
    previewMenu->addSeparator();
    previewSaveBitmapItem = previewMenu->addAction(tr("save as bmp"));
    previewMenu->addSeparator();
    previewSaveJpegItem = previewMenu->addAction(tr("save as jpeg"));
    previewMenu->addSeparator();
    previewSavePngItem = previewMenu->addAction(tr("save as PNG"));
    previewMenu->addSeparator();
    previewCopyItem = previewMenu->addAction(tr("copy"));
    // Ctrl+C anywhere in the viewer copies the chosen image too.
    previewCopyItem->setShortcut(QKeySequence::Copy);
    previewCopyItem->setShortcutContext(Qt::WindowShortcut);
    addAction(previewCopyItem);
    thumbnailMenu = new QMenu(this);
    thumbnailSaveIconItem = thumbnailMenu->addAction(tr("save as icon"));
    thumbnailMenu->addSeparator();
    thumbnailSaveBitmapItem = thumbnailMenu->addAction(tr("save as bmp"));
    thumbnailMenu->addSeparator();
    thumbnailSaveJpegItem = thumbnailMenu->addAction(tr("save as jpeg"));
    thumbnailMenu->addSeparator();
    thumbnailSavePngItem = thumbnailMenu->addAction(tr("save as PNG"));
    thumbnailMenu->addSeparator();
    thumbnailCopyItem = thumbnailMenu->addAction(tr("copy"));

    auto handler = [this](void (IconViewer::*fn)()) {
        return [this, fn] { guarded(desktop_, [&] { (this->*fn)(); }); };
    };
    connect(saveBitmapButton, &QAction::triggered, this, handler(&IconViewer::saveAsBitmap));
    connect(saveIconButton, &QAction::triggered, this, handler(&IconViewer::saveAsIcon));
    connect(previewSaveIconItem, &QAction::triggered, this, handler(&IconViewer::saveAsIcon));
    connect(thumbnailSaveIconItem, &QAction::triggered, this, handler(&IconViewer::saveAsIcon));
    connect(previewSaveBitmapItem, &QAction::triggered, this, handler(&IconViewer::saveAsBitmap));
    connect(thumbnailSaveBitmapItem, &QAction::triggered, this, handler(&IconViewer::saveAsBitmap));
    connect(previewSaveJpegItem, &QAction::triggered, this, handler(&IconViewer::saveAsJpeg));
    connect(thumbnailSaveJpegItem, &QAction::triggered, this, handler(&IconViewer::saveAsJpeg));
    connect(previewCopyItem, &QAction::triggered, this, handler(&IconViewer::copyChosenImage));
    connect(thumbnailCopyItem, &QAction::triggered, this, handler(&IconViewer::copyChosenImage));
    connect(previewSavePngItem, &QAction::triggered, this, handler(&IconViewer::saveAsPng));
    connect(thumbnailSavePngItem, &QAction::triggered, this, handler(&IconViewer::saveAsPng));
    connect(imageChoice, &QComboBox::activated, this, handler(&IconViewer::showChosenImage));
    // The keys and a click choose the image of the thumbnail they select; a press
    // on the thumbnail already selected (any button, so that its menu then works
    // on it) shows it again when the drop-down list has moved on.
    connect(thumbnailList, &QListWidget::itemSelectionChanged, this,
            handler(&IconViewer::chooseClickedThumbnail));
    connect(thumbnailList, &QAbstractItemView::pressed, this, [this](const QModelIndex& index) {
        if (index.row() != imageChoice->currentIndex())
            guarded(desktop_, [&] { chooseClickedThumbnail(); });
    });
    connect(thumbnailList, &QWidget::customContextMenuRequested, this,
            [this](QPoint p) { thumbnailMenu->popup(thumbnailList->viewport()->mapToGlobal(p)); });
    connect(preview, &QWidget::customContextMenuRequested, this,
            [this](QPoint p) { previewMenu->popup(preview->mapToGlobal(p)); });

    // The keyboard reaches every control and every save command: Tab runs through
    // the drop-down, the images and the two save buttons; the four saves have keys,
    // which the menus show beside their items.
    saveIconButton->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    saveBitmapButton->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    previewSaveJpegItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));
    addAction(previewSaveJpegItem);
    previewSavePngItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    addAction(previewSavePngItem);
    const std::pair<QAction*, QAction*> shownKeys[] = {
        {previewSaveIconItem, saveIconButton},        {previewSaveBitmapItem, saveBitmapButton},
        {thumbnailSaveIconItem, saveIconButton},      {thumbnailSaveBitmapItem, saveBitmapButton},
        {thumbnailSaveJpegItem, previewSaveJpegItem}, {thumbnailSavePngItem, previewSavePngItem}};
    for (auto [item, keyed] : shownKeys) {
        // Shown only: the key itself belongs to the action named second.
        item->setShortcut(keyed->shortcut());
        item->setShortcutContext(Qt::WidgetShortcut);
    }
    QWidget* saveIconKey = toolBar->widgetForAction(saveIconButton);
    QWidget* saveBitmapKey = toolBar->widgetForAction(saveBitmapButton);
    for (QWidget* w : {saveIconKey, saveBitmapKey}) w->setFocusPolicy(Qt::TabFocus);
    setTabOrder(imageChoice, thumbnailList);
    setTabOrder(thumbnailList, saveIconKey);
    setTabOrder(saveIconKey, saveBitmapKey);

    layoutPanels();
    // The sizes above suit the default font; a larger one makes everything larger.
    growWithFont(*this);
}

IconViewer::~IconViewer() = default;

void IconViewer::layoutPanels() {
    const int w = width(), h = height();
    // The bars are as high as their font needs, at least the design heights.
    const int top = std::max(30, toolBar->sizeHint().height());
    const int bottom = std::max(19, statusPanels->sizeHint().height());
    toolPanel->setGeometry(0, 0, w, top);
    toolBar->setGeometry(0, 0, w, top);
    statusPanels->setGeometry(0, h - bottom, w, bottom);
    thumbnailPanel->setGeometry(0, top, 145, h - top - bottom);
    thumbnailFrame->setGeometry(0, 0, thumbnailPanel->width(), thumbnailPanel->height());
    thumbnailList->setGeometry(1, -5, 143, thumbnailPanel->height() + 3);
    previewPanel->setGeometry(145, top, std::max(0, w - 145), h - top - bottom);
    previewFrame->setGeometry(0, 0, std::max(kLeastPreviewWidth, previewPanel->width()),
                              std::max(kLeastPreviewHeight, previewPanel->height()));
}

void IconViewer::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    layoutPanels();
    // The picture stays centred in the panel as the window changes size.
    if (!preview->pixmap().isNull()) {
        preview->resize(preview->pixmap().deviceIndependentSize().toSize());
        centrePreview(*previewFrame, *preview);
    } else if (!preview->text().isEmpty()) {
        placePreviewText();
    }
}

QSize IconViewer::sizeToShow(int largestImage) const {
    // The preview is placed 20 pixels up and left of the centre of its frame: the
    // frame needs that much room on both sides of the image.
    const int frameSide = largestImage + 40;
    QSize wanted(145 + frameSide, previewPanel->y() + frameSide + statusPanels->height());
    // The source path panel shows its text whole.
    const QFontMetrics fm(statusPanels->font());
    wanted.setWidth(
        std::max(wanted.width(), 100 + 60 + 2 * 2 + 8 + fm.horizontalAdvance(statusText(2))));
    wanted = wanted.expandedTo(minimumSize());
    if (const QScreen* s = screen()) wanted = wanted.boundedTo(s->availableGeometry().size());
    return wanted;
}

QString IconViewer::statusText(int panel) const {
    return statusPanels->text(panel);
}

void IconViewer::setStatusText(int panel, const QString& text) {
    statusPanels->setText(panel, text);
    // A panel that widened for its text keeps the others beside it, never under it:
    // the window is at least as wide as the panels need, and widens, as far as the
    // screen lets it, to show the source whole beside them.
    const int least = statusPanels->minimumSizeHint().width();
    if (least > minimumWidth()) setMinimumWidth(least);
    int wanted = statusPanels->sizeHint().width();
    if (const QScreen* s = screen()) wanted = std::min(wanted, s->availableGeometry().width());
    if (std::max(least, wanted) > width()) resize(std::max(least, wanted), height());
}

void IconViewer::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (centred_) return;
    centred_ = true;
    if (!shown_)
        guarded(desktop_, [&] {
            // Nothing to show has been said; the viewer closes rather than stand empty.
            if (!loadViewedFile())
                QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
        });
    // Centred on the screen, not on its owner, at the width the showing gave it.
    centreOnScreen(*this);
    // The keys choose an image at once: End the last, the arrows the next.
    imageChoice->setFocus(Qt::OtherFocusReason);
}

void IconViewer::copyChosenImage() {
    auto data = std::make_unique<QMimeData>();
    const Result<Done> added = addIconPicture(*data, previewIcon_);
    if (!added) {
        desktop_.message(
            tr("The image cannot be copied: %1.").arg(reasonText(added.failure())).toStdString(),
            "notice", Buttons::Ok, MessageIcon::Warning);
        return;
    }
    QApplication::clipboard()->setMimeData(data.release());
}

Result<Done> IconViewer::loadPreview(int image) {
    const auto& images = state_.group.images;
    if (image < 0 || std::size_t(image) >= images.size()) return failure(Fault::NoSuchIcon);
    Result<Icon> icon = decodeStoredImage(images[std::size_t(image)]);
    if (!icon) return icon.failure();
    previewIcon_ = std::move(*icon);
    QImage picture = previewPictureAt(state_.group, image, previewIcon_, devicePixelRatioF());
    if (state_.group.identity.kind == ResourceKind::Cursor)
        markHotspot(picture, previewIcon_, images[std::size_t(image)]);
    preview->setWordWrap(false);
    preview->setAccessibleDescription(QString());
    preview->setPixmap(QPixmap::fromImage(picture));
    return Done{};
}

void IconViewer::showCannotDraw(int image, const QString& why) {
    // Nothing of the image shown before stays: neither its picture nor what the
    // saves would write of it.
    previewIcon_ = Icon();
    preview->clear();
    const QString label =
        image >= 0 && image < imageChoice->count() ? imageChoice->itemText(image) : QString();
    preview->setWordWrap(true);
    preview->setAccessibleDescription(tr("Image %1 cannot be drawn: %2").arg(image + 1).arg(why));
    preview->setText(tr("Image %1 (%2) cannot be drawn:\n%3").arg(image + 1).arg(label).arg(why));
    placePreviewText();
}

void IconViewer::placePreviewText() {
    // Over the part of the frame that shows, with a margin.
    const QRect shown = previewFrame->rect()
                            .intersected(QRect(QPoint(0, 0), previewPanel->size()))
                            .adjusted(12, 12, -12, -12);
    preview->setGeometry(shown);
}

void markHotspot(QImage& picture, const Icon& icon, const StoredImage& image) {
    if (picture.isNull() || icon.empty()) return;
    // In the picture's own pixels: it may have more than the image has.
    const double scale = double(picture.width()) / icon.width;
    const QPointF at((image.hotspotX + 0.5) * scale, (image.hotspotY + 0.5) * scale);
    const double arm = std::max(3.0, 4.0 * scale);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    // A cross in two colours shows on any pixel.
    for (const auto& [colour, width] :
         {std::pair{QColor(Qt::white), 3.0 * std::max(1.0, scale / 2)},
          std::pair{QColor(Qt::red), 1.0 * std::max(1.0, scale / 2)}}) {
        painter.setPen(QPen(colour, width));
        painter.drawLine(at - QPointF(arm, 0), at + QPointF(arm, 0));
        painter.drawLine(at - QPointF(0, arm), at + QPointF(0, arm));
    }
}

QImage previewPictureAt(const IconGroup& group, int image, const Icon& icon, double ratio) {
    if (icon.empty()) return {};
    // Drawn onto the black of the panel below it.
    if (!(ratio > 1.0)) return iconOnBlack(icon);
    // The group's image that best gives the screen's pixels for this one's size.
    const int wanted = pixelSizeAt(std::max(icon.width, icon.height), ratio);
    std::vector<ImageFacts> facts;
    for (const StoredImage& stored : group.images)
        facts.push_back(factsOf(stored, SizePolicy::SmallestAtLeast));
    const int best = chooseImage(facts, wanted, SizePolicy::SmallestAtLeast);
    Icon source;
    if (best >= 0 && best != image)
        if (Result<Icon> sharper = decodeStoredImage(group.images[std::size_t(best)]))
            source = std::move(*sharper);
    if (source.empty()) source = icon;
    QImage shown = iconOnBlack(source);
    const QSize side(pixelSizeAt(icon.width, ratio), pixelSizeAt(icon.height, ratio));
    if (shown.size() != side)
        shown = shown.scaled(side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    shown.setDevicePixelRatio(ratio);
    return shown;
}

void IconViewer::centrePreview(QWidget& panel, QWidget& image) {
    int left = panel.width() / 2 - image.width() / 2 - 20;
    int top = panel.height() / 2 - image.height() / 2 - 20;
    if (left < 0 || top < 0) {
        image.move(0, 0);
        image.resize(panel.width(), image.height());
    } else {
        image.move(left, top);
    }
}

bool IconViewer::cannotShow(const QString& reason) {
    desktop_.message(tr("Cannot show %1: %2.").arg(sourceName_, reason).toStdString(), "notice",
                     Buttons::Ok, MessageIcon::Warning);
    return false;
}

QString IconViewer::countText() const {
    const IconGroup& group = state_.group;
    const int listed = int(group.images.size());
    // Entries whose bytes lie past the end of the file are listed, but not held.
    int held = 0;
    for (const StoredImage& image : group.images)
        if (!image.failure || image.failure->fault != Fault::CutOff) ++held;
    if (group.statedCount > listed && listed < kMaxImagesPerIcon)
        return tr("  Bmp count:  %1 (the header claims %2)").arg(held).arg(group.statedCount);
    if (group.statedCount > listed)
        return tr("  Bmp count:  %1 (the first %2 listed)").arg(group.statedCount).arg(listed);
    if (held < listed) return tr("  Bmp count:  %1 (the header claims %2)").arg(held).arg(listed);
    return tr("  Bmp count:  ") + QString::number(listed);
}

bool IconViewer::loadViewedFile() {
    // Read once: the showing after a successful read keeps what it listed.
    if (shown_) return loaded_;
    shown_ = true;
    setMinimumSize(qRound((thumbnailList->width() + 0 + kLeastPreviewHeight) * fontGrowth(font())),
                   height());
    resize(minimumSize());
    ViewerState& st = state_;
    st.viewedFile = viewedFile_;

    if (givenGroup_) {
        st.group = std::move(*givenGroup_);
        givenGroup_.reset();
    } else {
        sourceName_ = nameOf(st.viewedFile);
        auto set = IconSet::open(st.viewedFile);
        if (!set) return cannotShow(reasonText(set.failure()));
        const std::optional<ResourceKind> kind = imageFileKind(*set);
        if (!kind) return cannotShow(tr("it is not an icon file"));
        if (set->groups(*kind).empty()) return cannotShow(tr("it holds no images"));
        set->loadAll(*kind);
        st.group = set->groups(*kind).front();
    }
    const IconGroup& group = st.group;
    if (group.images.empty())
        return cannotShow(group.failure ? reasonText(*group.failure) : tr("it holds no images"));

    // The first image that can be drawn is shown; with none, there is nothing to show.
    int first = 0;
    std::optional<Failure> firstFailure;
    for (; first < int(group.images.size()); ++first) {
        Result<Done> shown = loadPreview(first);
        if (shown) break;
        if (!firstFailure) firstFailure = shown.failure();
    }
    // The first image cannot be drawn when the second is shown, and so on.
    if (first == int(group.images.size()))
        return cannotShow(
            tr("none of its images can be read (%1)").arg(ofImage(0, reasonText(*firstFailure))));

    imageChoice->clear();
    // At most kMaxImagesPerIcon images are read.
    st.imageCount = int(group.images.size());
    for (const StoredImage& image : group.images) imageChoice->addItem(labelOf(image));
    setStatusText(0, countText());
    imageChoice->setCurrentIndex(first);

    const StoredImage& chosen = group.images[std::size_t(first)];
    preview->resize(chosen.width() + 6, chosen.width() + 6);
    // The picture control takes the size of its picture.
    if (!previewIcon_.empty()) preview->resize(previewIcon_.width, previewIcon_.height);
    centrePreview(*previewFrame, *preview);

    makeThumbnails();
    int largest = std::max(previewIcon_.width, previewIcon_.height);
    for (const StoredImage& image : group.images)
        largest = std::max({largest, image.width(), image.height()});
    // Large enough for the largest image whole and the source in the status bar.
    resize(sizeToShow(std::min(largest, 256)));
    loaded_ = true;
    return true;
}

void IconViewer::makeThumbnails() {
    const IconGroup& group = state_.group;
    // Each picture is made for the cells as they are laid out now, with the
    // screen's pixels.
    const QSize area =
        thumbnailPictureArea(QRect(0, 0, thumbnailList->viewport()->width(), kThumbnailCellHeight),
                             QFontMetrics(thumbnailList->font()).height())
            .size();
    const double ratio = thumbnailList->devicePixelRatioF();
    // One picture per distinct image: entries naming the same bytes share it,
    // decoded once.
    std::map<std::pair<std::uint64_t, std::uint64_t>, QImage> made;
    std::uint64_t bytesDecoded = 0;
    bool stopped = false;
    QStringList unreadable;
    for (int i = 0; i < state_.imageCount; ++i) {
        const StoredImage& image = group.images[std::size_t(i)];
        auto* cell = new QListWidgetItem(labelOf(image), thumbnailList);
        const std::pair key(image.offset, image.length);
        if (auto same = made.find(key); same != made.end() && image.length > 0) {
            cell->setData(Qt::DecorationRole, same->second);
            continue;
        }
        if (stopped) continue;  // an empty cell
        const Result<Icon> icon = decodeStoredImage(image);
        if (!icon) {
            // An empty cell; the others are still made.
            unreadable << ofImage(i, reasonText(icon.failure()));
            cell->setToolTip(
                tr("Image %1 cannot be drawn: %2").arg(i + 1).arg(reasonText(icon.failure())));
            continue;
        }
        const std::uint64_t bytes = std::uint64_t(icon->width) * std::uint64_t(icon->height) * 4;
        if (made.size() >= std::size_t(kMaxThumbnailPictures) ||
            bytesDecoded + bytes > kMaxThumbnailBytes) {
            stopped = true;
            continue;
        }
        bytesDecoded += bytes;
        const QImage picture = thumbnailPicture(*icon, area, ratio);
        cell->setData(Qt::DecorationRole, picture);
        made.emplace(key, picture);
    }
    if (!unreadable.isEmpty()) {
        constexpr int kListed = 5;
        QString text =
            tr("%1 of the images of %2 cannot be shown:").arg(unreadable.size()).arg(sourceName_);
        for (int i = 0; i < std::min<int>(kListed, int(unreadable.size())); ++i)
            text += "\n" + unreadable[i];
        if (unreadable.size() > kListed)
            text += "\n" + tr("and %1 more.").arg(unreadable.size() - kListed);
        desktop_.message(text.toStdString(), "notice", Buttons::Ok, MessageIcon::Warning);
    }
    if (stopped)
        desktop_.message(tr("Thumbnails stop at %1 pictures or %2 MB: the other images are shown "
                            "as empty cells.")
                             .arg(kMaxThumbnailPictures)
                             .arg(kMaxThumbnailBytes >> 20)
                             .toStdString(),
                         "notice", Buttons::Ok);
}

void IconViewer::showChosenImage() {
    const int k = imageChoice->currentIndex();
    if (Result<Done> shown = loadPreview(k); !shown) {
        // The preview says which image cannot be drawn and why; the status, in
        // short, that it cannot be shown.
        showCannotDraw(k, reasonText(shown.failure()));
        setStatusText(0, tr("Cannot show image %1").arg(k + 1));
        setStatusText(1, QString());
        return;
    }
    setStatusText(0, countText());
    const StoredImage& image = state_.group.images[std::size_t(k)];
    setStatusText(
        1,
        QString("%1|%2|%3").arg(state_.group.statedCount).arg(image.width()).arg(image.height()));
    preview->resize(image.width(), image.height());
    if (!previewIcon_.empty()) preview->resize(previewIcon_.width, previewIcon_.height);
    centrePreview(*previewFrame, *preview);
}

void IconViewer::chooseClickedThumbnail() {
    // One thumbnail is selected at most.
    const QList<QListWidgetItem*> selected = thumbnailList->selectedItems();
    if (selected.isEmpty()) return;
    imageChoice->setCurrentIndex(thumbnailList->row(selected.front()));
    showChosenImage();
}

std::optional<fs::path> IconViewer::askTarget(const std::string& filter, const std::string& ext) {
    FileDialogRequest request;
    request.filter = filter;
    auto chosen = desktop_.saveFile(request);
    if (!chosen || chosen->empty()) return std::nullopt;
    return saveTargetName(*chosen, ext);
}

std::optional<Replace> IconViewer::confirmOverwrite(const fs::path& target) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(target, ec))) return Replace::Never;
    if (desktop_.message(tr("%1 already exists. Replace it?").arg(nameOf(target)).toStdString(),
                         "notice", Buttons::OkCancel, MessageIcon::Question) != Answer::Ok)
        return std::nullopt;
    return Replace::Always;
}

void IconViewer::saveFailed(const fs::path& target, const QString& reason) {
    desktop_.message(tr("Cannot save %1: %2.").arg(nameOf(target), reason).toStdString(), "Sorry",
                     Buttons::Ok, MessageIcon::Warning);
}

void IconViewer::writeTarget(const fs::path& target, const Result<OutputFile>& file,
                             Replace replace) {
    if (!file) return saveFailed(target, reasonText(file.failure()));
    const Result<Placed> written = writeOutput(target, *file, {.replace = replace});
    if (!written) return saveFailed(target, writeReasonText(written.failure()));
    // A file that came to the name after the person was asked (or, where none was
    // there, after the name was chosen) is not replaced.
    if (*written == Placed::Kept)
        desktop_.message(tr("%1 was not saved: a file of that name came meanwhile and was kept "
                            "as it was.")
                             .arg(nameOf(target))
                             .toStdString(),
                         "notice", Buttons::Ok, MessageIcon::Information);
}

void IconViewer::saveAsIcon() {
    // A cursor's image is saved as a cursor file, keeping its hotspot.
    const ResourceKind kind = state_.group.identity.kind;
    auto target = kind == ResourceKind::Cursor ? askTarget("CURSOR file|*.cur", ".CUR")
                                               : askTarget("ICON file|*.ico", ".ICO");
    if (!target) return;
    const std::optional<Replace> replace = confirmOverwrite(*target);
    if (!replace) return;
    if (*replace == Replace::Always) {
        // Never replace the file being viewed with one of its own images, however
        // its name is spelt.
        std::error_code ec;
        const fs::path& viewed = state_.viewedFile;
        if (!viewed.empty() &&
            (target->native() == viewed.native() || fs::equivalent(*target, viewed, ec)))
            return saveFailed(*target, tr("it is the file being viewed"));
    }
    const int k = imageChoice->currentIndex();
    if (k < 0 || std::size_t(k) >= state_.group.images.size())
        return saveFailed(*target, tr("no image is chosen"));
    writeTarget(*target, storedImageFile(kind, state_.group.images[std::size_t(k)]), *replace);
}

void IconViewer::saveAsBitmap() {
    auto target = askTarget("bmp file|*.bmp", ".BMP");
    if (!target) return;
    const std::optional<Replace> replace = confirmOverwrite(*target);
    if (!replace) return;
    if (previewIcon_.empty()) return saveFailed(*target, tr("no image is shown"));
    writeTarget(*target,
                bmpFile(drawnOnWhite(previewIcon_, previewIcon_.width, previewIcon_.height)),
                *replace);
}

void IconViewer::saveAsJpeg() {
    auto target = askTarget("jpeg file|*.jpg", ".JPG");
    if (!target) return;
    const std::optional<Replace> replace = confirmOverwrite(*target);
    if (!replace) return;
    if (previewIcon_.empty()) return saveFailed(*target, tr("no image is shown"));
    writeTarget(*target,
                jpegFile(drawnOnWhite(previewIcon_, previewIcon_.width, previewIcon_.height)),
                *replace);
}

void IconViewer::saveAsPng() {
    auto target = askTarget("png file|*.png", ".PNG");
    if (!target) return;
    const std::optional<Replace> replace = confirmOverwrite(*target);
    if (!replace) return;
    if (previewIcon_.empty()) return saveFailed(*target, tr("no image is shown"));
    const Result<OutputFile> png = pngFile(previewIcon_);
    if (!png) return saveFailed(*target, tr("the image cannot be encoded as PNG"));
    writeTarget(*target, png, *replace);
}

void showIconViewer(Desktop& desktop, QWidget* parent, const fs::path& icoFile) {
    IconViewer form(desktop, parent);
    form.setWindowTitle(IconViewer::tr("ICON VIEWS"));
    form.setStatusText(2, shortenedSourcePath(qpath(icoFile)));
    form.setViewedFile(icoFile);
    // A file that cannot be shown has said why, and no empty viewer opens.
    if (!form.loadViewedFile()) return;
    desktop.runModal(form);
}

void showIconViewer(Desktop& desktop, QWidget* parent, IconGroup group, const QString& source) {
    IconViewer form(desktop, parent);
    form.setWindowTitle(IconViewer::tr("ICON VIEWS"));
    form.setStatusText(2, shortenedSourcePath(source));
    form.setViewedGroup(std::move(group), source);
    if (!form.loadViewedFile()) return;
    desktop.runModal(form);
}

}  // namespace pellimar
