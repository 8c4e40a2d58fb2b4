#include "dialogs/tips_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTextEdit>
#include <fstream>
#include <iterator>

#include "app/paths.h"
#include "app/resources.h"
#include "app/settings.h"

namespace pellimar {
namespace fs = std::filesystem;

namespace {

// A tips file is a few kilobytes; a huge one is read no further than this.
constexpr std::size_t kMaxTipsBytes = 1024 * 1024;

}  // namespace

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

TTipsform::TTipsform(Desktop& desktop, QWidget* parent) : QDialog(parent), desktop_(desktop) {
    initResources();
    setObjectName("Tipsform");
    setWindowTitle("Tips!");
    setWindowIcon(QIcon(":/pellimar/tips.png"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(481, 248);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Light));
    setPalette(pal);
    setAutoFillBackground(true);

    Image1 = new QLabel(this);
    Image1->setGeometry(8, 6, 32, 32);
    Image1->setPixmap(QPixmap(":/pellimar/tips.png"));

    Label1 = new QLabel(QString("What can Pellimar do for you?") + QString(13, ' '), this);
    QFont heading = Label1->font();
    heading.setBold(true);
    heading.setPixelSize(13);
    Label1->setFont(heading);
    Label1->setGeometry(48, 6, 420, 32);

    Panel1 = new QFrame(this);
    Panel1->setGeometry(8, 40, 465, 201);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);
    Panel1->setLineWidth(2);

    Panel2 = new QFrame(Panel1);
    Panel2->setGeometry(8, 8, 449, 153);
    Panel2->setFrameShape(QFrame::Panel);
    Panel2->setFrameShadow(QFrame::Sunken);
    Panel2->setAutoFillBackground(true);
    Panel2->setPalette(pal);

    Memo1 = new QTextEdit(Panel2);
    Memo1->setGeometry(8, 12, 433, 129);
    Memo1->setReadOnly(true);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setLineWrapMode(QTextEdit::WidgetWidth);
    Memo1->setFocusPolicy(Qt::NoFocus);
    QPalette memoPal = Memo1->palette();
    memoPal.setColor(QPalette::Base, pal.color(QPalette::Light));
    Memo1->setPalette(memoPal);
    showWelcome();

    Checktips =
        new QCheckBox(QString("Show tips when Pellimar starts up.") + QString(13, ' '), Panel1);
    Checktips->setGeometry(8, 168, 280, 25);
    Checktips->setChecked(true);

    B_next = new QPushButton("&Next", Panel1);
    B_next->setGeometry(294, 167, 75, 27);
    B_tips = new QPushButton("&Close", Panel1);
    B_tips->setGeometry(378, 167, 75, 27);
    B_tips->setDefault(true);
    connect(B_next, &QPushButton::clicked, this,
            [this] { guarded(desktop_, [&] { B_nextClick(); }); });
    connect(B_tips, &QPushButton::clicked, this,
            [this] { guarded(desktop_, [&] { B_tipsClick(); }); });
}

void TTipsform::showWelcome() {
    // The form's own text until the first tip replaces it: centred, bold, 16 pixels.
    QFont big = Memo1->font();
    big.setBold(true);
    big.setPixelSize(16);
    Memo1->document()->setDefaultFont(big);
    Memo1->setPlainText(QString("\n\n Welcome to Pellimar!"));
    QTextCursor c(Memo1->document());
    c.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignCenter);
    c.mergeBlockFormat(centred);
}

void TTipsform::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) guarded(desktop_, [&] { FormShow(); });
}

void TTipsform::FormShow() {
    Checktips->setChecked(settings().show);
    TipList = readTipsFile(programDir() / "tips.dat");
    B_nextClick();
    if (QScreen* screen = this->screen() ? this->screen() : QApplication::primaryScreen()) {
        QRect area = screen->geometry();
        move((area.width() - width()) / 2, (area.height() - height()) / 2);
    }
}

void TTipsform::B_nextClick() {
    AppSettings& s = settings();
    const int n = int(TipList.size());
    if (s.num < n - 1)
        s.num = s.num + 1;
    else
        s.num = 0;
    if (s.num < 0) return;  // the memo keeps what it showed
    QString tip = s.num < n ? TipList[s.num]
                            : QString("No tips today: the file tips.dat is missing or empty.");
    QFont regular = font();
    regular.setBold(false);
    regular.setPointSize(11);
    Memo1->document()->setDefaultFont(regular);
    Memo1->setPlainText(tip);
    QTextCursor c(Memo1->document());
    c.select(QTextCursor::Document);
    QTextBlockFormat left;
    left.setAlignment(Qt::AlignLeft);
    c.mergeBlockFormat(left);
    QTextCharFormat colour;
    colour.setForeground(palette().color(QPalette::WindowText));
    c.mergeCharFormat(colour);
}

void TTipsform::B_tipsClick() {
    settings().show = Checktips->isChecked();
    SaveSettings(settings());
    accept();
}

}  // namespace pellimar
