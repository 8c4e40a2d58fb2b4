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
#include "core/reasons.h"
#include "core/window_placement.h"
#include "platform/caps.h"
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
                         : ext == ".CUR" ? "cur"
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
    // An icon file written as stored holds every image of its icon: the largest is
    // shown.
    const bool iconFile = ext == ".ICO" || ext == ".CUR";
    for (int i = 1; iconFile && i < reader.imageCount(); ++i) {
        if (!reader.jumpToImage(i)) break;
        const QImage next = reader.read();
        if (next.width() * next.height() > picture.width() * picture.height()) picture = next;
    }
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

QString problemMessage(const SaveProblem& problem) {
    if (!problem.file.empty()) {
        const Failure& why = problem.why;
        QString reason;
        if (why.fault == Fault::CannotEncode)
            reason = why.what.empty() ? ReportDialog::tr("The picture could not be encoded.")
                                      : ReportDialog::tr("The picture could not be encoded: %1.")
                                            .arg(QString::fromStdString(why.what));
        else if (why.cap == Cap::OutputBytes)
            reason = ReportDialog::tr(
                         "The icons of one file may make a save write at most %1 MB, "
                         "or %2 times the file's size when that is more.")
                         .arg(kMinOutputCap >> 20)
                         .arg(kOutputCapFactor);
        else
            reason = writeReasonText(why);
        return ReportDialog::tr("Cannot create file \"%1\". %2").arg(toQt(problem.file), reason);
    }
    const QString row = QString::fromStdString(problem.row);
    switch (problem.rule) {
        case SaveRule::ProgramIconFile:
            return ReportDialog::tr(
                       "%1: icon files of programs are saved at 32 and 16 pixels, "
                       "and neither is chosen")
                .arg(row);
        case SaveRule::ProgramPicture:
            return ReportDialog::tr(
                       "%1: pictures of programs are saved at 32 and 16 pixels, and "
                       "neither is chosen")
                .arg(row);
        case SaveRule::ImageSize:
            return ReportDialog::tr("%1: its image is %2 x %3, and that size is not chosen")
                .arg(row)
                .arg(problem.width)
                .arg(problem.height);
        case SaveRule::ChosenSizes:
            return ReportDialog::tr("%1: no size is chosen").arg(row);
        case SaveRule::None:
            break;
    }
    return ReportDialog::tr("%1: %2").arg(row, reasonText(problem.why));
}

QString ruleMessage(SaveRule rule) {
    switch (rule) {
        case SaveRule::ProgramIconFile:
            return ReportDialog::tr(
                "Saved with less than chosen: icon files of programs are saved "
                "at 32 and 16 pixels, in 16 or 256 colours with a 1-bit mask. "
                "\"Original icon\" in the Export options keeps every image as "
                "stored.");
        case SaveRule::ProgramPicture:
            return ReportDialog::tr(
                "Saved with less than chosen: pictures of programs are saved at "
                "32 and 16 pixels. PNG in the Export options saves every size "
                "chosen.");
        default:
            return ReportDialog::tr("Saved with less than chosen:");
    }
}

QString reductionMessage(const SaveReduction& reduction) {
    QStringList parts;
    if (!reduction.sizesLeftOut.empty()) {
        QStringList sizes;
        for (int size : reduction.sizesLeftOut) sizes << QString::number(size);
        parts << (sizes.size() == 1 ? ReportDialog::tr("the size %1 px left out")
                                    : ReportDialog::tr("the sizes %1 px left out"))
                     .arg(sizes.join(", "));
    }
    if (reduction.storedDepth > 0)
        parts << ReportDialog::tr("its %1-bit colours reduced to 16 or 256")
                     .arg(reduction.storedDepth);
    if (reduction.alphaDropped)
        parts << ReportDialog::tr("its soft transparency reduced to a 1-bit mask");
    return ReportDialog::tr("%1: %2").arg(QString::fromStdString(reduction.row),
                                          parts.join(ReportDialog::tr("; ")));
}

ReportDialog::ReportDialog(Desktop& desktop, QWidget* parent) : QDialog(parent), desktop_(desktop) {
    setWindowTitle(tr("Report"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    giveCloseBoxOnly(*this);
    setFixedSize(560, 480);

    QFont bold = font();
    bold.setBold(true);
    QFont large = bold;
    large.setPointSize(bold.pointSize() + 3);

    auto* top = new QFrame(this);
    top->setGeometry(0, 0, 560, 97);
    top->setFrameShape(QFrame::StyledPanel);
    decoration(top, QStyle::SP_DialogSaveButton, 12, 12);
    summaryLabel = new QLabel(top);
    summaryLabel->setFont(large);
    summaryLabel->setGeometry(56, 12, 496, 26);
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
    folderEdit->setGeometry(12, 44, 536, 22);
    openFolderButton = new QPushButton(tr("&Go to the directory"), top);
    openFolderButton->setGeometry(390, 68, 160, 26);

    // The headings name the lists below them; their keys move there.
    auto* left = new QFrame(this);
    left->setGeometry(0, 97, 300, 383);
    fileListHeading = new QLabel(tr("Saved &files"), left);
    fileListHeading->setFont(bold);
    fileListHeading->setGeometry(8, 8, 284, 18);
    fileList = new QListWidget(left);
    fileList->setSelectionMode(QAbstractItemView::SingleSelection);
    fileList->setAccessibleName(tr("Saved files"));
    fileList->setAccessibleDescription(tr("Clicking a file shows it in the preview"));
    fileList->setGeometry(8, 32, 284, 335);
    fileListHeading->setBuddy(fileList);
    notSavedHeading = new QLabel(tr("&Not saved, or saved with less"), left);
    notSavedHeading->setFont(bold);
    notSavedHeading->setGeometry(8, 184, 284, 18);
    notSavedList = new QListWidget(left);
    notSavedList->setAccessibleName(tr("Not saved, with why"));
    notSavedList->setWordWrap(true);
    notSavedList->setGeometry(8, 206, 284, 161);
    notSavedHeading->setBuddy(notSavedList);

    auto* right = new QFrame(this);
    right->setGeometry(300, 97, 260, 383);
    previewHeading = new QLabel(tr("Preview"), right);
    previewHeading->setFont(bold);
    previewHeading->setGeometry(8, 8, 200, 18);
    decoration(right, QStyle::SP_FileDialogContentsView, 216, 2);
    previewFrame = new QFrame(right);
    previewFrame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    previewFrame->setGeometry(20, 40, 220, 170);
    previewImage = new QLabel(previewFrame);
    previewImage->setAttribute(Qt::WA_TranslucentBackground);
    previewImage->setAccessibleName(tr("Preview"));
    previewImage->setGeometry(17, 17, 0, 0);
    previewNameLabel = new QLabel(right);
    previewNameLabel->setFont(bold);
    previewNameLabel->setAlignment(Qt::AlignCenter);
    previewNameLabel->setGeometry(20, 218, 220, 20);
    openFileButton = new QPushButton(tr("&Open with default viewer"), right);
    openFileButton->setFlat(true);
    openFileButton->setGeometry(20, 244, 220, 28);
    closeButton = new QPushButton(tr("Close"), right);
    closeButton->setGeometry(145, 337, 95, 30);
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
    previewNameWidth_ = previewNameLabel->width();
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
        for (const SaveProblem& problem : *list) notSavedList->addItem(problemMessage(problem));
    if (const std::optional<SaveProblem>& stop = report_.stopReason())
        notSavedList->addItem(
            tr("%1 (saving ended there: nothing after it was saved)").arg(problemMessage(*stop)));
    for (const fs::path& f : report_.kept())
        notSavedList->addItem(tr("%1: exists already, kept as it was").arg(toQt(f)));
    if (report_.stoppedByRequest())
        notSavedList->addItem(tr("Stopped after row %1 of %2: the rows after it were not saved")
                                  .arg(report_.rowsDoneWhenStopped())
                                  .arg(report_.rowsToSave()));
    // The rows saved with less than was chosen or stored: each rule said once, in
    // bold, before the rows it concerns.
    std::optional<SaveRule> ruleSaid;
    for (const SaveReduction& reduction : report_.reductions()) {
        if (ruleSaid != reduction.rule) {
            ruleSaid = reduction.rule;
            auto* rule = new QListWidgetItem(ruleMessage(reduction.rule), notSavedList);
            QFont font = notSavedList->font();
            font.setBold(true);
            rule->setFont(font);
        }
        notSavedList->addItem(reductionMessage(reduction));
    }
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
    summaryLabel->setText(saved > 0 ? tr("%1 files are saved in the directory of ...").arg(saved)
                                    : nothingSavedText());
    openFolderButton->setEnabled(!folderEdit->text().isEmpty());
    previewImage->clear();
    previewImage->resize(0, 0);
    previewNameLabel->clear();
    centreOnScreen(*this);
}

QString ReportDialog::nothingSavedText() const {
    const SaveReport& r = report_;
    // No run yet: nothing to tell of.
    if (r.folder().empty() && r.files().empty()) return tr("You haven't saved any file yet.");
    const bool problems = !r.unreadableRows().empty() || !r.failures().empty() || r.stopped() ||
                          r.unsupportedFormat();
    if (!r.skippedRows().empty() && !problems && r.kept().empty())
        return tr("No file saved: every row was left out.");
    if (!r.kept().empty() && !problems && r.skippedRows().empty())
        return tr("No file saved: the files existed and were kept.");
    if (r.stoppedByRequest() && !problems) return tr("No file saved: saving was stopped.");
    if (notSavedList->count() == 0) return tr("No file saved.");
    return tr("No file saved: see below for why.");
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
    if (previewNameLabel->width() < previewNameWidth_)
        previewNameLabel->resize(previewNameWidth_, previewNameLabel->height());
    const fs::path file = fileOf(*item);
    std::error_code ec;
    QImage picture = fs::is_regular_file(file, ec) ? loadPreview(file) : QImage();
    if (picture.isNull()) {
        // Nothing to show: the previous file's picture must not pass for this one.
        previewImage->clear();
        previewImage->resize(0, 0);
        return;
    }
    // Shown at its own size where it fits the frame, else made smaller to fit, and
    // in the frame's middle.
    const QSize room = previewFrame->contentsRect().size() - QSize(4, 4);
    if (picture.width() > room.width() || picture.height() > room.height())
        picture = picture.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    previewImage->setPixmap(QPixmap::fromImage(picture));
    previewImage->resize(picture.size());
    previewImage->move(previewFrame->contentsRect().center() -
                       QPoint(picture.width() / 2, picture.height() / 2) + QPoint(1, 1));
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
