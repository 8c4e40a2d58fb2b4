#include "export/report_form.h"

#include <QFile>
#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "platform/jpeg_file.h"

namespace pellimar {
namespace fs = std::filesystem;

namespace {

QString toQt(const fs::path& p) {
    return QFile::decodeName(QByteArray(p.c_str()));
}
fs::path fromQt(const QString& s) {
    return fs::path(QFile::encodeName(s).toStdString());
}

QImage fromRgb(const RgbImage& rgb) {
    QImage img(rgb.width, rgb.height, QImage::Format_RGB32);
    for (int y = 0; y < rgb.height; ++y)
        for (int x = 0; x < rgb.width; ++x) img.setPixel(x, y, 0xFF000000 | rgb.at(x, y));
    return img;
}

// The file as a picture, by its extension; a null image when it cannot be read.
QImage loadPreview(const fs::path& file) {
    std::string ext = file.extension().string();
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".jpg") return fromRgb(readJpegFile(file));
    const char* format = ext == ".ico" ? "ico" : ext == ".bmp" ? "bmp" : nullptr;
    if (!format) return {};
    QImageReader reader(toQt(file), format);
    QImage picture = reader.read();
    if (ext == ".bmp" && !picture.isNull()) {
        // Bitmaps are shown transparent: the colour of their bottom-left pixel
        // lets the panel show through.
        picture = picture.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = picture.pixel(0, picture.height() - 1);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (picture.pixel(x, y) == key) picture.setPixel(x, y, 0);
    }
    return picture;
}

QLabel* decoration(QWidget* parent, QStyle::StandardPixmap which, int x, int y) {
    auto* label = new QLabel(parent);
    label->setPixmap(parent->style()->standardIcon(which).pixmap(32, 32));
    label->setGeometry(x, y, 32, 32);
    return label;
}

}  // namespace

TForm4::TForm4(Desktop& desktop, QWidget* parent) : QDialog(parent), desktop_(desktop) {
    setWindowTitle("Report");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(460, 432);

    QFont bold = font();
    bold.setBold(true);
    QFont large = bold;
    large.setPointSize(bold.pointSize() + 3);

    auto* top = new QFrame(this);
    top->setGeometry(0, 0, 460, 97);
    top->setFrameShape(QFrame::StyledPanel);
    decoration(top, QStyle::SP_DialogSaveButton, 12, 12);
    Label1 = new QLabel(top);
    Label1->setFont(large);
    Label1->setGeometry(56, 12, 396, 26);
    Edit1 = new QLineEdit(top);
    Edit1->setReadOnly(true);
    Edit1->setFrame(false);
    Edit1->setStyleSheet("background: #e4e4e4;");
    Edit1->setGeometry(12, 44, 385, 22);
    B_folder = new QPushButton("&Go to the directory", top);
    B_folder->setGeometry(290, 68, 160, 26);

    auto* left = new QFrame(this);
    left->setGeometry(0, 97, 233, 335);
    Label2 = new QLabel("// File List", left);
    Label2->setFont(bold);
    Label2->setGeometry(8, 8, 217, 18);
    ListBox1 = new QListWidget(left);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setGeometry(8, 32, 217, 287);

    auto* right = new QFrame(this);
    right->setGeometry(233, 97, 227, 335);
    Label6 = new QLabel("// Preview", right);
    Label6->setFont(bold);
    Label6->setGeometry(8, 8, 200, 18);
    PreviewFrame = new QFrame(right);
    PreviewFrame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PreviewFrame->setGeometry(20, 40, 73, 65);
    Image5 = new QLabel(PreviewFrame);
    Image5->setAttribute(Qt::WA_TranslucentBackground);
    Image5->setGeometry(17, 17, 0, 0);
    decoration(right, QStyle::SP_FileDialogContentsView, 120, 56);
    Label5 = new QLabel(right);
    Label5->setFont(bold);
    Label5->setAlignment(Qt::AlignCenter);
    Label5->setGeometry(20, 120, 185, 20);
    Button2 = new QPushButton("&Open with default viewer", right);
    Button2->setFlat(true);
    Button2->setGeometry(20, 150, 185, 28);
    BitBtn1 = new QPushButton("Close", right);
    BitBtn1->setGeometry(110, 290, 95, 30);

    connect(ListBox1, &QListWidget::itemClicked, this,
            [this] { guarded(desktop_, [this] { Button1Click(); }); });
    connect(B_folder, &QPushButton::clicked, this,
            [this] { guarded(desktop_, [this] { B_folderClick(); }); });
    connect(Button2, &QPushButton::clicked, this,
            [this] { guarded(desktop_, [this] { Button2Click(); }); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
}

void TForm4::ClearReport() {
    report_.clear();
    refreshControls();
}

void TForm4::refreshControls() {
    Edit1->setText(toQt(report_.folder()));
    ListBox1->clear();
    for (const fs::path& f : report_.files()) ListBox1->addItem(toQt(f));
}

void TForm4::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TForm4::FormShow() {
    refreshControls();
    Label1->setText(QString::fromStdString(ReportSummary(std::size_t(ListBox1->count()))));
    B_folder->setEnabled(!Edit1->text().isEmpty());
    Image5->clear();
    Image5->resize(0, 0);
    Label5->clear();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r = screen->geometry();
        move((r.width() - width()) / 2, (r.height() - height()) / 2);
    }
}

fs::path TForm4::selectedFile() const {
    QListWidgetItem* item = ListBox1->currentItem();
    if (!item || !item->isSelected()) return {};
    return fromQt(Edit1->text()) / fromQt(item->text());
}

void TForm4::Button1Click() {
    QListWidgetItem* item = ListBox1->currentItem();
    if (!item) return;
    Label5->setText(item->text());
    Label5->adjustSize();
    if (Label5->width() < 185) Label5->resize(185, Label5->height());
    const fs::path file = fromQt(Edit1->text()) / fromQt(item->text());
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return;
    QImage picture = loadPreview(file);
    if (picture.isNull()) return;
    // Shown at its own size; the frame cuts off what does not fit.
    Image5->setPixmap(QPixmap::fromImage(picture));
    Image5->resize(picture.size());
}

void TForm4::B_folderClick() {
    if (!Edit1->text().isEmpty()) desktop_.openWithDefaultHandler(fromQt(Edit1->text()));
}

void TForm4::Button2Click() {
    fs::path file = selectedFile();
    if (!file.empty()) desktop_.openWithDefaultHandler(file);
}

void TForm4::BitBtn1Click() {
    accept();
}

}  // namespace pellimar
