#include "dialogs/about_form.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include "app/resources.h"

namespace pellimar {

namespace {

QLabel* label(QWidget* parent, const QString& text, int pixelSize, bool bold) {
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    l->setFont(f);
    return l;
}

}  // namespace

TForm2::TForm2(Desktop& desktop, QWidget* parent) : QDialog(parent), desktop_(desktop) {
    initResources();
    setObjectName("Form2");
    setWindowTitle("About");
    setWindowIcon(QIcon(":/pellimar/pellimar.png"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(292, 257);

    Image1 = new QLabel(this);
    Image1->setGeometry(12, 12, 32, 32);
    Image1->setPixmap(QPixmap(":/pellimar/pellimar.png"));

    Label1 = label(this, "Pellimar", 20, false);
    Label1->setGeometry(56, 12, 220, 32);
    QPalette red = Label1->palette();
    red.setColor(QPalette::WindowText, QColor(164, 39, 17));
    Label1->setPalette(red);

    Panel1 = new QFrame(this);
    Panel1->setGeometry(-2, 56, 296, 203);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);

    Label2 = label(Panel1, "Version number:     1.04   ", 13, true);
    Label2->setGeometry(16, 12, 260, 20);
    Label6 = label(Panel1, "Contact us:", 16, true);
    Label6->setGeometry(16, 42, 200, 22);
    Label7 = label(Panel1, kSupportMail, 13, true);
    Label7->setGeometry(16, 68, 270, 20);  // below: the address is wider than the rest of the line
    Label7->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Label8 = label(Panel1, kPublisher, 19, true);
    Label8->setGeometry(16, 94, 270, 28);
    QPalette highlight = Label8->palette();
    highlight.setColor(QPalette::WindowText, highlight.color(QPalette::Highlight));
    Label8->setPalette(highlight);

    Label3 = label(Panel1, kWebAddress, 8, true);
    QFont link = Label3->font();
    link.setUnderline(true);
    Label3->setFont(link);
    Label3->setGeometry(16, 128, 225, 19);
    Label3->setCursor(Qt::PointingHandCursor);
    Label3->setToolTip("Go To Pellimar's !");
    QPalette blue = Label3->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    Label3->setPalette(blue);
    Label3->installEventFilter(this);

    Button1 = new QPushButton("OK", Panel1);
    QFont bold = Button1->font();
    bold.setPixelSize(13);
    bold.setBold(true);
    Button1->setFont(bold);
    Button1->setGeometry(106, 160, 80, 28);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label3 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        guarded(desktop_, [&] { Label3Click(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TForm2::FormShow() {
    if (QScreen* screen = this->screen() ? this->screen() : QApplication::primaryScreen()) {
        QRect area = screen->geometry();
        move((area.width() - width()) / 2, (area.height() - height()) / 2);
    }
}

void TForm2::Button1Click() {
    accept();
}

void TForm2::Label3Click() {
    desktop_.openWithDefaultHandler(kWebAddress);
}

}  // namespace pellimar
