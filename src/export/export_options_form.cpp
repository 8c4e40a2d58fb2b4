#include "export/export_options_form.h"

#include "app/dialog_art.h"

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

TForm3::TForm3(AppSettings& settings, Desktop& desktop, QWidget* parent)
    : QDialog(parent), settings_(settings), desktop_(desktop) {
    setWindowTitle("Export options");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(405, 257);

    QFont bold = font();
    bold.setBold(true);

    Panel1 = new QFrame(this);
    Panel1->setGeometry(0, 0, 405, 65);
    Image6 = new QLabel(Panel1);
    Image6->setGeometry(0, 0, 405, 65);
    Image6->setPixmap(bannerPixmap(405, 65, "Export options"));

    GroupBox1 = new QGroupBox(" Image size ", this);
    GroupBox1->setFont(bold);
    GroupBox1->setGeometry(8, 72, 190, 176);
    Image1 = iconLabel(GroupBox1, QStyle::SP_DesktopIcon, 144, 24);
    const char* sizeCaptions[] = {"  128 X 128", "  64 X 64", "  48 X 48", "  32 X 32",
                                  "  16 X 16"};
    QCheckBox** boxes[] = {&CHECKB128, &CheckB64, &CheckB48, &CheckB32, &CheckB16};
    for (int i = 0; i < 5; ++i) {
        *boxes[i] = new QCheckBox(sizeCaptions[i], GroupBox1);
        (*boxes[i])->setFont(bold);
        (*boxes[i])->setGeometry(16, 24 + 29 * i, 124, 22);
    }

    GroupBox2 = new QGroupBox(" File formats ", this);
    GroupBox2->setFont(bold);
    GroupBox2->setGeometry(206, 72, 190, 132);
    QFont normal = font();
    Rbico = new QRadioButton("  ICON file", GroupBox2);
    Rbbmp = new QRadioButton("  BMP file", GroupBox2);
    Rbjpg = new QRadioButton("  JPG file", GroupBox2);
    QRadioButton* radios[] = {Rbico, Rbbmp, Rbjpg};
    QStyle::StandardPixmap pics[] = {QStyle::SP_FileIcon, QStyle::SP_DriveHDIcon,
                                     QStyle::SP_DirIcon};
    for (int i = 0; i < 3; ++i) {
        radios[i]->setFont(normal);
        radios[i]->setGeometry(16, 28 + 33 * i, 120, 22);
        iconLabel(GroupBox2, pics[i], 148, 26 + 33 * i, 24);
    }
    Rbico->setChecked(true);

    Button1 = new QPushButton("&OK", this);
    Button1->setGeometry(300, 216, 96, 30);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this,
            [this] { guarded(desktop_, [this] { BitBtn1Click(); }); });
}

void TForm3::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TForm3::FormShow() {
    CHECKB128->setChecked(settings_.size_128);
    CheckB64->setChecked(settings_.size_64);
    CheckB48->setChecked(settings_.size_48);
    CheckB32->setChecked(settings_.size_32);
    CheckB16->setChecked(settings_.size_16);
    if (settings_.format == "ico")
        Rbico->setChecked(true);
    else if (settings_.format == "bmp")
        Rbbmp->setChecked(true);
    else
        Rbjpg->setChecked(true);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r = screen->geometry();
        move((r.width() - width()) / 2, (r.height() - height()) / 2);
    }
}

bool TForm3::anySizeTicked() const {
    return CheckB32->isChecked() || CheckB16->isChecked() || CheckB48->isChecked() ||
           CheckB64->isChecked() || CHECKB128->isChecked();
}

void TForm3::askForSize() {
    if (desktop_.message(kNeedSize, "Confirm", Buttons::OkCancel, MessageIcon::Question) ==
        Answer::Ok)
        CheckB32->setChecked(true);
}

void TForm3::BitBtn1Click() {
    if (!anySizeTicked()) {
        askForSize();
        return;
    }
    settings_.size_128 = CHECKB128->isChecked();
    settings_.size_64 = CheckB64->isChecked();
    settings_.size_48 = CheckB48->isChecked();
    settings_.size_32 = CheckB32->isChecked();
    settings_.size_16 = CheckB16->isChecked();
    settings_.format = Rbico->isChecked() ? "ico" : Rbbmp->isChecked() ? "bmp" : "jpg";
    SaveSettings(settings_);
    if (FormCloseQuery()) done(QDialog::Accepted);
}

bool TForm3::FormCloseQuery() {
    if (anySizeTicked()) return true;
    askForSize();
    return false;
}

void TForm3::closeEvent(QCloseEvent* event) {
    // The title bar's close box: cancels, but not while no size is ticked.
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TForm3::keyPressEvent(QKeyEvent* event) {
    // OK is also the cancel button: Esc presses it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        guarded(desktop_, [this] { BitBtn1Click(); });
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace pellimar
