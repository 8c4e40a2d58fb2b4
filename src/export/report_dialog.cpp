#include "export/report_dialog.h"

#include <fcntl.h>
#include <unistd.h>

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

#include "core/file_names.h"
#include "core/window_placement.h"
#include "platform/jpeg_file.h"

namespace pellimar {
namespace fs = std::filesystem;

namespace {

QString toQt(const fs::path& p) {
    return QFile::decodeName(QByteArray(p.c_str()));
}

QImage fromRgb(const RgbImage& rgb) {
    QImage img(rgb.width, rgb.height, QImage::Format_RGB32);
    for (int y = 0; y < rgb.height; ++y)
        for (int x = 0; x < rgb.width; ++x) img.setPixel(x, y, 0xFF000000 | rgb.at(x, y));
    return img;
}

// No picture a save writes is larger than the images the program reads; a file
// whose header states more is not the one written (or no longer) and is not
// decoded.
constexpr int kLargestSavedSide = kMaxDibDimension;

// The file as a picture, by its extension; a null image when it cannot be read.
QImage loadPreview(const fs::path& file) {
    const std::string ext = upperCaseExtension(file);
    if (ext == ".JPG") return fromRgb(readJpegFile(file, kLargestSavedSide));
    const char* format = ext == ".ICO"   ? "ico"
                         : ext == ".BMP" ? "bmp"
                         : ext == ".PNG" ? "png"
                                         : nullptr;
    if (!format) return {};
    // Opened by the bytes of its name, which need not be UTF-8.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return {};
    QFile device;
    if (!device.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {};
    }
    QImageReader reader(&device, format);
    const QSize stated = reader.size();
    if (stated.width() > kLargestSavedSide || stated.height() > kLargestSavedSide) return {};
    QImage picture = reader.read();
    if (ext == ".BMP" && !picture.isNull()) {
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

ReportDialog::ReportDialog(Desktop& desktop, QWidget* parent) : QDialog(parent), desktop_(desktop) {
    setWindowTitle(tr("Report"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    giveCloseBoxOnly(*this);
    setFixedSize(460, 432);

    QFont bold = font();
    bold.setBold(true);
    QFont large = bold;
    large.setPointSize(bold.pointSize() + 3);

    auto* top = new QFrame(this);
    top->setGeometry(0, 0, 460, 97);
    top->setFrameShape(QFrame::StyledPanel);
    decoration(top, QStyle::SP_DialogSaveButton, 12, 12);
    summaryLabel = new QLabel(top);
    summaryLabel->setFont(large);
    summaryLabel->setGeometry(56, 12, 396, 26);
    folderEdit = new QLineEdit(top);
    folderEdit->setReadOnly(true);
    folderEdit->setAccessibleName(tr("Folder of the saved files"));
    folderEdit->setFrame(false);
    // A read-only field on the window's own colour, with the window's text colour.
    {
        QPalette pal = folderEdit->palette();
        pal.setColor(QPalette::Base, pal.color(QPalette::Window));
        pal.setColor(QPalette::Text, pal.color(QPalette::WindowText));
        folderEdit->setPalette(pal);
    }
    folderEdit->setGeometry(12, 44, 385, 22);
    openFolderButton = new QPushButton(tr("&Go to the directory"), top);
    openFolderButton->setGeometry(290, 68, 160, 26);

    auto* left = new QFrame(this);
    left->setGeometry(0, 97, 233, 335);
    fileListHeading = new QLabel(tr("// File List"), left);
    fileListHeading->setFont(bold);
    fileListHeading->setGeometry(8, 8, 217, 18);
    fileList = new QListWidget(left);
    fileList->setSelectionMode(QAbstractItemView::SingleSelection);
    fileList->setAccessibleName(tr("Saved files"));
    fileList->setAccessibleDescription(tr("Clicking a file shows it in the preview"));
    fileList->setGeometry(8, 32, 217, 287);
    notSavedHeading = new QLabel(tr("// Not saved"), left);
    notSavedHeading->setFont(bold);
    notSavedHeading->setGeometry(8, 176, 217, 18);
    notSavedList = new QListWidget(left);
    notSavedList->setAccessibleName(tr("Not saved, with why"));
    notSavedList->setWordWrap(true);
    notSavedList->setGeometry(8, 198, 217, 121);

    auto* right = new QFrame(this);
    right->setGeometry(233, 97, 227, 335);
    previewHeading = new QLabel(tr("// Preview"), right);
    previewHeading->setFont(bold);
    previewHeading->setGeometry(8, 8, 200, 18);
    previewFrame = new QFrame(right);
    previewFrame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    previewFrame->setGeometry(20, 40, 73, 65);
    previewImage = new QLabel(previewFrame);
    previewImage->setAttribute(Qt::WA_TranslucentBackground);
    previewImage->setAccessibleName(tr("Preview"));
    previewImage->setGeometry(17, 17, 0, 0);
    decoration(right, QStyle::SP_FileDialogContentsView, 120, 56);
    previewNameLabel = new QLabel(right);
    previewNameLabel->setFont(bold);
    previewNameLabel->setAlignment(Qt::AlignCenter);
    previewNameLabel->setGeometry(20, 120, 185, 20);
    openFileButton = new QPushButton(tr("&Open with default viewer"), right);
    openFileButton->setFlat(true);
    openFileButton->setGeometry(20, 150, 185, 28);
    closeButton = new QPushButton(tr("Close"), right);
    closeButton->setGeometry(110, 290, 95, 30);
    // Return closes the report; the other buttons are pressed by their keys or a click.
    closeButton->setDefault(true);
    openFolderButton->setAutoDefault(false);
    openFileButton->setAutoDefault(false);

    connect(fileList, &QListWidget::itemClicked, this,
            [this] { guarded(desktop_, [this] { previewClickedFile(); }); });
    // Moving through the list with the keys previews as clicking does.
    connect(fileList, &QListWidget::currentItemChanged, this,
            [this] { guarded(desktop_, [this] { previewClickedFile(); }); });
    connect(openFolderButton, &QPushButton::clicked, this,
            [this] { guarded(desktop_, [this] { openFolder(); }); });
    connect(openFileButton, &QPushButton::clicked, this,
            [this] { guarded(desktop_, [this] { openSelectedFile(); }); });
    connect(closeButton, &QPushButton::clicked, this, [this] { accept(); });
    // The sizes above suit the default font; a larger one makes everything larger.
    growWithFont(*this);
}

void ReportDialog::clearReport() {
    report_.clear();
    fillControls();
}

void ReportDialog::fillControls() {
    folderEdit->setText(toQt(report_.folder()));
    fileList->clear();
    // Each row keeps its file name's bytes: the displayed text cannot hold a name
    // that is not valid UTF-8.
    for (const fs::path& f : report_.files()) {
        auto* item = new QListWidgetItem(toQt(f), fileList);
        item->setData(Qt::UserRole, QByteArray::fromStdString(f.native()));
    }
    notSavedList->clear();
    for (const auto* list :
         {&report_.unreadableRows(), &report_.skippedRows(), &report_.failures()})
        for (const SaveProblem& problem : *list)
            notSavedList->addItem(QString::fromStdString(problemText(problem)));
    if (const std::optional<SaveProblem>& stop = report_.stopReason())
        notSavedList->addItem(tr("%1 (saving ended there: nothing after it was saved)")
                                  .arg(QString::fromStdString(problemText(*stop))));
    for (const fs::path& f : report_.kept())
        notSavedList->addItem(tr("%1: exists already, kept as it was").arg(toQt(f)));
    if (report_.stoppedByRequest())
        notSavedList->addItem(tr("Stopped after row %1 of %2: the rows after it were not saved")
                                  .arg(report_.rowsDoneWhenStopped())
                                  .arg(report_.rowsToSave()));
    // The file list gives up its lower part when there is anything to tell.
    const bool anything = notSavedList->count() > 0;
    notSavedHeading->setVisible(anything);
    notSavedList->setVisible(anything);
    const QRect files = fileList->geometry();
    fileList->setFixedHeight(anything ? notSavedHeading->y() - files.y() - 6
                                      : notSavedList->geometry().bottom() - files.y() + 1);
}

void ReportDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    showLastRun();
}

void ReportDialog::showLastRun() {
    fillControls();
    // The summary line, in the user's language (the wording stays for one file).
    const int saved = fileList->count();
    summaryLabel->setText(saved == 0 ? tr("You haven't saved any file yet.")
                                     : tr("%1 files are saved in the directory of ...").arg(saved));
    openFolderButton->setEnabled(!folderEdit->text().isEmpty());
    previewImage->clear();
    previewImage->resize(0, 0);
    previewNameLabel->clear();
    centreOnScreen(*this);
}

fs::path ReportDialog::selectedFile() const {
    QListWidgetItem* item = fileList->currentItem();
    if (!item || !item->isSelected()) return {};
    return fileOf(*item);
}

fs::path ReportDialog::fileOf(const QListWidgetItem& item) const {
    return report_.folder() / fs::path(item.data(Qt::UserRole).toByteArray().toStdString());
}

void ReportDialog::previewClickedFile() {
    QListWidgetItem* item = fileList->currentItem();
    if (!item) return;
    previewNameLabel->setText(item->text());
    previewNameLabel->adjustSize();
    if (previewNameLabel->width() < 185) previewNameLabel->resize(185, previewNameLabel->height());
    const fs::path file = fileOf(*item);
    std::error_code ec;
    QImage picture = fs::is_regular_file(file, ec) ? loadPreview(file) : QImage();
    if (picture.isNull()) {
        // Nothing to show: the previous file's picture must not pass for this one.
        previewImage->clear();
        previewImage->resize(0, 0);
        return;
    }
    // Shown at its own size; the frame cuts off what does not fit.
    previewImage->setPixmap(QPixmap::fromImage(picture));
    previewImage->resize(picture.size());
}

void ReportDialog::openFolder() {
    if (report_.folder().empty()) return;
    if (!desktop_.openDocument(report_.folder()))
        desktop_.message(tr("The folder %1 cannot be opened: this desktop has no program set "
                            "to show folders.")
                             .arg(toQt(report_.folder()))
                             .toStdString(),
                         tr("Report").toStdString(), Buttons::Ok, MessageIcon::Warning);
}

void ReportDialog::openSelectedFile() {
    const fs::path file = selectedFile();
    if (file.empty()) {
        desktop_.message(tr("Choose a file in the file list first.").toStdString(),
                         tr("Report").toStdString(), Buttons::Ok, MessageIcon::Information);
        return;
    }
    if (!desktop_.openDocument(file))
        desktop_.message(tr("%1 cannot be opened: this desktop has no program set to show "
                            "files of its type.")
                             .arg(toQt(file))
                             .toStdString(),
                         tr("Report").toStdString(), Buttons::Ok, MessageIcon::Warning);
}

}  // namespace pellimar
