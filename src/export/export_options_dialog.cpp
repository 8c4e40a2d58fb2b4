#include "export/export_options_dialog.h"

#include "core/dialog_art.h"
#include "core/window_placement.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>

namespace pellimar {

namespace {

constexpr const char* kNeedSize =
    "You need to specify the image size. Press 'OK' to follow the default size.";

QLabel* iconLabel(QWidget* parent, QStyle::StandardPixmap which, int x, int y, int size = 32) {
    auto* label = new QLabel(parent);
    label->setPixmap(parent->style()->standardIcon(which).pixmap(size, size));
    label->setGeometry(x, y, size, size);
    return label;
}

}  // namespace

ExportOptionsDialog::ExportOptionsDialog(AppSettings& settings, Desktop& desktop, QWidget* parent)
    : QDialog(parent), settings_(settings), desktop_(desktop) {
    setWindowTitle(tr("Export options"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    giveCloseBoxOnly(*this);
    setFixedSize(614, 334);

    QFont bold = font();
    bold.setBold(true);

    bannerPanel = new QFrame(this);
    bannerPanel->setGeometry(0, 0, 614, 65);
    banner = new QLabel(bannerPanel);
    banner->setGeometry(0, 0, 614, 65);
    banner->setPixmap(bannerPixmap(614, 65, tr("Export options")));

    sizeGroup = new QGroupBox(tr(" Image size "), this);
    sizeGroup->setFont(bold);
    sizeGroup->setGeometry(8, 72, 190, 216);
    sizePicture = iconLabel(sizeGroup, QStyle::SP_DesktopIcon, 144, 24);
    const char* sizeCaptions[] = {QT_TR_NOOP("  128 X 128"), QT_TR_NOOP("  64 X 64"),
                                  QT_TR_NOOP("  48 X 48"), QT_TR_NOOP("  32 X 32"),
                                  QT_TR_NOOP("  16 X 16")};
    QCheckBox** boxes[] = {&size128Box, &size64Box, &size48Box, &size32Box, &size16Box};
    for (int i = 0; i < 5; ++i) {
        *boxes[i] = new QCheckBox(tr(sizeCaptions[i]), sizeGroup);
        (*boxes[i])->setFont(bold);
        (*boxes[i])->setGeometry(16, 24 + 29 * i, 124, 22);
    }

    // Each format with a line on what it keeps: the sized ones and the one that
    // keeps every image as stored side by side.
    formatGroup = new QGroupBox(tr(" File formats "), this);
    formatGroup->setFont(bold);
    formatGroup->setGeometry(206, 72, 400, 216);
    QFont normal = font();
    normal.setBold(false);  // set, not inherited from the bold group
    icoButton = new QRadioButton(tr("  ICON file"), formatGroup);
    bmpButton = new QRadioButton(tr("  BMP file"), formatGroup);
    jpgButton = new QRadioButton(tr("  JPG file"), formatGroup);
    pngButton = new QRadioButton(tr("  PNG file"), formatGroup);
    originalButton = new QRadioButton(tr("  Original icon"), formatGroup);
    QRadioButton* radios[] = {icoButton, bmpButton, jpgButton, pngButton, originalButton};
    const char* keeps[] = {QT_TR_NOOP("programs: 32 and 16 px, 256 colours at most"),
                           QT_TR_NOOP("programs: 32 and 16 px, drawn on white"),
                           QT_TR_NOOP("programs: 32 and 16 px, drawn on white"),
                           QT_TR_NOOP("every size chosen, with its transparency"),
                           QT_TR_NOOP("as stored, every image: nothing left out")};
    QLabel** keepLabels[] = {&icoKeeps, &bmpKeeps, &jpgKeeps, &pngKeeps, &originalKeeps};
    QStyle::StandardPixmap pics[] = {QStyle::SP_FileIcon, QStyle::SP_DriveHDIcon,
                                     QStyle::SP_DirIcon, QStyle::SP_FileDialogContentsView,
                                     QStyle::SP_FileDialogDetailedView};
    for (int i = 0; i < 5; ++i) {
        radios[i]->setFont(normal);
        radios[i]->setGeometry(16, 20 + 38 * i, 300, 20);
        iconLabel(formatGroup, pics[i], 360, 23 + 38 * i, 24);
        QLabel* line = *keepLabels[i] = new QLabel(tr(keeps[i]), formatGroup);
        line->setFont(normal);
        line->setGeometry(40, 40 + 38 * i, 312, 17);
        line->setBuddy(radios[i]);
        radios[i]->setAccessibleDescription(line->text());
    }
    icoButton->setChecked(true);

    okButton = new QPushButton(tr("&OK"), this);
    okButton->setGeometry(510, 296, 96, 30);
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this,
            [this] { guarded(desktop_, [this] { confirm(); }); });
    // The sizes above suit the default font; a larger one makes everything larger.
    growWithFont(*this);
}

void ExportOptionsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    showCurrentSettings();
}

void ExportOptionsDialog::showCurrentSettings() {
    size128Box->setChecked(settings_.saveSize128);
    size64Box->setChecked(settings_.saveSize64);
    size48Box->setChecked(settings_.saveSize48);
    size32Box->setChecked(settings_.saveSize32);
    size16Box->setChecked(settings_.saveSize16);
    if (settings_.saveFormat == "ico")
        icoButton->setChecked(true);
    else if (settings_.saveFormat == "bmp")
        bmpButton->setChecked(true);
    else if (settings_.saveFormat == "png")
        pngButton->setChecked(true);
    else if (settings_.saveFormat == "original")
        originalButton->setChecked(true);
    else
        jpgButton->setChecked(true);
    centreOnScreen(*this);
}

bool ExportOptionsDialog::anySizeTicked() const {
    return size32Box->isChecked() || size16Box->isChecked() || size48Box->isChecked() ||
           size64Box->isChecked() || size128Box->isChecked();
}

void ExportOptionsDialog::askForSize() {
    if (desktop_.message(kNeedSize, "Confirm", Buttons::OkCancel, MessageIcon::Question) ==
        Answer::Ok)
        size32Box->setChecked(true);
}

void ExportOptionsDialog::confirm() {
    if (!anySizeTicked()) {
        askForSize();
        return;
    }
    AppSettings edited = settings_;
    edited.saveSize128 = size128Box->isChecked();
    edited.saveSize64 = size64Box->isChecked();
    edited.saveSize48 = size48Box->isChecked();
    edited.saveSize32 = size32Box->isChecked();
    edited.saveSize16 = size16Box->isChecked();
    edited.saveFormat = icoButton->isChecked()        ? "ico"
                        : bmpButton->isChecked()      ? "bmp"
                        : pngButton->isChecked()      ? "png"
                        : originalButton->isChecked() ? "original"
                                                      : "jpg";
    // A file that cannot be written is reported in the error box; the dialog stays
    // open and the settings in use keep their values.
    if (const auto saved = saveSettings(edited); !saved) {
        desktop_.errorBox(unableToWriteText(saved.failure()));
        return;
    }
    settings_ = edited;
    if (canClose()) done(QDialog::Accepted);
}

bool ExportOptionsDialog::canClose() {
    if (anySizeTicked()) return true;
    askForSize();
    return false;
}

void ExportOptionsDialog::closeEvent(QCloseEvent* event) {
    // The title bar's close box: cancels, but not while no size is ticked.
    if (!canClose()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void ExportOptionsDialog::keyPressEvent(QKeyEvent* event) {
    // OK is also the cancel button: Esc presses it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        guarded(desktop_, [this] { confirm(); });
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace pellimar
