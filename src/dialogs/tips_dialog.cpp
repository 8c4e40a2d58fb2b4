#include "dialogs/tips_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTextEdit>
#include <fstream>
#include <iterator>

#include "core/paths.h"
#include "core/resources.h"
#include "core/settings.h"
#include "core/window_placement.h"
#include "platform/caps.h"

namespace pellimar {
namespace fs = std::filesystem;

QStringList splitTipLines(std::string_view data) {
    QStringList lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (data[i] != '\r' && data[i] != '\n') continue;
        lines << QString::fromUtf8(data.data() + start, qsizetype(i - start));
        if (data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < data.size())
        lines << QString::fromUtf8(data.data() + start, qsizetype(data.size() - start));
    return lines;
}

QStringList readTipsFile(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return {};
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    std::string data(kMaxTipsBytes, '\0');
    in.read(data.data(), std::streamsize(data.size()));
    data.resize(std::size_t(in.gcount()));
    return splitTipLines(data);
}

fs::path tipsFile(const fs::path& folder) {
    // The translation names the tips of its language; without them, the English ones.
    const QString name = QCoreApplication::translate("pellimar::TipsDialog", "tips.dat",
                                                     "the file of the tips in this language");
    const fs::path own = folder / QFile::encodeName(name).toStdString();
    std::error_code ec;
    if (own.filename() != "tips.dat" && fs::is_regular_file(own, ec)) return own;
    return folder / "tips.dat";
}

TipsDialog::TipsDialog(AppSettings& settings, Desktop& desktop, QWidget* parent)
    : QDialog(parent), settings_(settings), desktop_(desktop) {
    initResources();
    setObjectName("tipsDialog");
    setWindowTitle(tr("Tips!"));
    setWindowIcon(QIcon(":/pellimar/tips.png"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(481, 248);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Light));
    setPalette(pal);
    setAutoFillBackground(true);

    tipsPicture = new QLabel(this);
    tipsPicture->setGeometry(8, 6, 32, 32);
    tipsPicture->setPixmap(QPixmap(":/pellimar/tips.png"));

    heading = new QLabel(tr("What can Pellimar do for you?") + QString(13, ' '), this);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPixelSize(13);
    heading->setFont(headingFont);
    heading->setGeometry(48, 6, 420, 32);

    outerPanel = new QFrame(this);
    outerPanel->setGeometry(8, 40, 465, 201);
    outerPanel->setFrameShape(QFrame::Panel);
    outerPanel->setFrameShadow(QFrame::Sunken);
    outerPanel->setLineWidth(2);

    tipPanel = new QFrame(outerPanel);
    tipPanel->setGeometry(8, 8, 449, 153);
    tipPanel->setFrameShape(QFrame::Panel);
    tipPanel->setFrameShadow(QFrame::Sunken);
    tipPanel->setAutoFillBackground(true);
    tipPanel->setPalette(pal);

    tipText = new QTextEdit(tipPanel);
    tipText->setGeometry(8, 12, 433, 129);
    tipText->setReadOnly(true);
    tipText->setAccessibleName(tr("Tip"));
    tipText->setFrameShape(QFrame::NoFrame);
    tipText->setLineWrapMode(QTextEdit::WidgetWidth);
    tipText->setFocusPolicy(Qt::NoFocus);
    QPalette memoPal = tipText->palette();
    memoPal.setColor(QPalette::Base, pal.color(QPalette::Light));
    tipText->setPalette(memoPal);
    showWelcome();

    showAtStartBox =
        new QCheckBox(tr("Show tips when Pellimar starts up.") + QString(13, ' '), outerPanel);
    showAtStartBox->setGeometry(8, 168, 280, 25);
    showAtStartBox->setChecked(true);

    nextButton = new QPushButton(tr("&Next"), outerPanel);
    nextButton->setGeometry(294, 167, 75, 27);
    closeButton = new QPushButton(tr("&Close"), outerPanel);
    closeButton->setGeometry(378, 167, 75, 27);
    closeButton->setDefault(true);
    connect(nextButton, &QPushButton::clicked, this,
            [this] { guarded(desktop_, [&] { showNextTip(); }); });
    connect(closeButton, &QPushButton::clicked, this,
            [this] { guarded(desktop_, [&] { saveAndClose(); }); });
    // The sizes above suit the default font; a larger one makes everything larger.
    growWithFont(*this);
}

void TipsDialog::showWelcome() {
    // The form's own text until the first tip replaces it: centred, bold, 16 pixels.
    QFont big = tipText->font();
    big.setBold(true);
    big.setPixelSize(16);
    tipText->document()->setDefaultFont(big);
    tipText->setPlainText(tr("\n\n Welcome to Pellimar!"));
    QTextCursor c(tipText->document());
    c.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignCenter);
    c.mergeBlockFormat(centred);
}

void TipsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) guarded(desktop_, [&] { startShowing(); });
}

void TipsDialog::startShowing() {
    showAtStartBox->setChecked(settings_.showTipsAtStart);
    tips = readTipsFile(tipsFile(dataDir()));
    showNextTip();
    centreOnScreen(*this);
}

void TipsDialog::showNextTip() {
    AppSettings& s = settings_;
    const int n = int(tips.size());
    if (s.tipNumber < n - 1)
        s.tipNumber = s.tipNumber + 1;
    else
        s.tipNumber = 0;
    if (s.tipNumber < 0) return;  // the memo keeps what it showed
    QString tip = s.tipNumber < n ? tips[s.tipNumber]
                                  : tr("No tips today: the file tips.dat is missing or empty.");
    QFont regular = font();
    regular.setBold(false);
    regular.setPointSize(11);
    tipText->document()->setDefaultFont(regular);
    tipText->setPlainText(tip);
    QTextCursor c(tipText->document());
    c.select(QTextCursor::Document);
    QTextBlockFormat left;
    left.setAlignment(Qt::AlignLeft);
    c.mergeBlockFormat(left);
    QTextCharFormat colour;
    colour.setForeground(palette().color(QPalette::WindowText));
    c.mergeCharFormat(colour);
}

void TipsDialog::saveAndClose() {
    AppSettings edited = settings_;
    edited.showTipsAtStart = showAtStartBox->isChecked();
    // A file that cannot be written is reported in the error box; the window stays
    // open and the setting in use keeps its value.
    if (const auto saved = saveSettings(edited); !saved) {
        desktop_.errorBox(unableToWriteText(saved.failure()));
        return;
    }
    settings_ = edited;
    accept();
}

}  // namespace pellimar
