#include "dialogs/about_dialog.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include "core/colours.h"
#include "core/resources.h"
#include "core/window_placement.h"

#ifndef PELLIMAR_VERSION
#error "PELLIMAR_VERSION must name the project's version"
#endif

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

AboutDialog::AboutDialog(Desktop& desktop, QWidget* parent) : QDialog(parent), desktop_(desktop) {
    initResources();
    setObjectName("aboutDialog");
    setWindowTitle(tr("About"));
    setWindowIcon(QIcon(":/pellimar/pellimar.png"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(292, 257);

    programPicture = new QLabel(this);
    programPicture->setGeometry(12, 12, 32, 32);
    programPicture->setPixmap(QPixmap(":/pellimar/pellimar.png"));

    titleLabel = label(this, "Pellimar", 20, false);
    titleLabel->setGeometry(56, 12, 220, 32);
    // The title in the window's own text colour: no fixed colour reads on both
    // light and dark windows.

    detailsPanel = new QFrame(this);
    detailsPanel->setGeometry(-2, 56, 296, 203);
    detailsPanel->setFrameShape(QFrame::Panel);
    detailsPanel->setFrameShadow(QFrame::Sunken);

    versionLabel =
        label(detailsPanel, tr("Version number:     %1   ").arg(PELLIMAR_VERSION), 13, true);
    versionLabel->setGeometry(16, 12, 260, 20);
    contactHeading = label(detailsPanel, tr("Contact us:"), 16, true);
    contactHeading->setGeometry(16, 42, 200, 22);
    mailLabel = label(detailsPanel, kSupportMail, 13, true);
    mailLabel->setGeometry(16, 68, 270,
                           20);  // below: the address is wider than the rest of the line
    mailLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    publisherLabel = label(detailsPanel, kPublisher, 19, true);
    publisherLabel->setGeometry(16, 94, 270, 28);
    // In the highlight colour when that reads on the window, as it does on most.
    QPalette highlight = publisherLabel->palette();
    highlight.setColor(QPalette::WindowText, readableOn(highlight.color(QPalette::Highlight),
                                                        highlight.color(QPalette::Window),
                                                        highlight.color(QPalette::WindowText)));
    publisherLabel->setPalette(highlight);

    webLink = label(detailsPanel, kWebAddress, 8, true);
    QFont link = webLink->font();
    link.setUnderline(true);
    webLink->setFont(link);
    webLink->setGeometry(16, 128, 225, 19);
    webLink->setCursor(Qt::PointingHandCursor);
    webLink->setToolTip(tr("Go To Pellimar's !"));
    // The palette's link colour (blue on light windows).
    QPalette blue = webLink->palette();
    blue.setColor(QPalette::WindowText,
                  readableOn(blue.color(QPalette::Link), blue.color(QPalette::Window),
                             blue.color(QPalette::WindowText)));
    webLink->setPalette(blue);
    webLink->installEventFilter(this);

    okButton = new QPushButton(tr("OK"), detailsPanel);
    QFont bold = okButton->font();
    bold.setPixelSize(13);
    bold.setBold(true);
    okButton->setFont(bold);
    okButton->setGeometry(106, 160, 80, 28);
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, [this] { accept(); });
    // The sizes above suit the default font; a larger one makes everything larger.
    growWithFont(*this);
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == webLink && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        guarded(desktop_, [&] { openWebAddress(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void AboutDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) centreOnScreen();
}

void AboutDialog::centreOnScreen() {
    pellimar::centreOnScreen(*this);
}

void AboutDialog::openWebAddress() {
    desktop_.openWithDefaultHandler(kWebAddress);
}

}  // namespace pellimar
