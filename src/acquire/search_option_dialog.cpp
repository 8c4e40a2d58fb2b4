#include "acquire/search_option_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <system_error>

#include "app/desktop.h"
#include "app/dialog_art.h"
#include "app/paths.h"
#include "app/settings.h"
#include "platform/private_profile.h"

namespace pellimar {

namespace {
const char* const kSection = "SearchOption";
const char* const kSearchKey = "searchchildfolder";
const char* const kClearKey = "clearResult";
}  // namespace

Tsearchoptionfrm::Tsearchoptionfrm(AppSettings& settings, Desktop& desktop, QWidget* parent)
    : QDialog(parent), settings_(settings), desktop_(desktop) {
    setObjectName("searchoptionfrm");
    setWindowTitle("Other search setting");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    resize(411, 302);

    Image1 = new QLabel(this);
    Image1->setScaledContents(true);
    Image1->setPixmap(bannerPixmap(411, 65, "Other search setting"));

    QFont bold = font();
    bold.setBold(true);
    GroupBox1 = new QGroupBox("Other search option", this);
    GroupBox1->setFont(bold);
    searchbox = new QCheckBox("  Search child folder", GroupBox1);
    searchbox->setFont(bold);
    searchbox->setGeometry(56, 40, 220, 22);
    searchbox->setChecked(true);
    Image2 = new QLabel(GroupBox1);
    Image2->setGeometry(14, 34, 32, 32);
    Image2->setPixmap(decorationPixmap(Decoration::Search));
    clearbox = new QCheckBox("  Clear result", GroupBox1);
    clearbox->setFont(bold);
    clearbox->setGeometry(56, 100, 220, 22);
    Image3 = new QLabel(GroupBox1);
    Image3->setGeometry(14, 94, 32, 32);
    Image3->setPixmap(decorationPixmap(Decoration::Clear));

    Button1 = new QPushButton("&OK", this);
    Button1->setAutoDefault(false);
    Button1->setDefault(false);

    connect(searchbox, &QCheckBox::toggled, this, [this] { searchboxClick(); });
    connect(clearbox, &QCheckBox::toggled, this, [this] { clearboxClick(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

std::filesystem::path Tsearchoptionfrm::optionsFile() {
    return settingsDir() / "pellimarinfo.ini";
}

void Tsearchoptionfrm::FormShow() {
    const auto file = optionsFile();
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) {
        // Here anything but "0" counts as on, and a missing key as off.
        settings_.searchchildfolder = readProfileString(file, kSection, kSearchKey, "0") != "0";
        settings_.clearResult = readProfileString(file, kSection, kClearKey, "0") != "0";
    } else {
        settings_.searchchildfolder = false;
        settings_.clearResult = false;
    }
    // Changing a box runs its click handler, which copies the same value back.
    searchbox->setChecked(settings_.searchchildfolder);
    clearbox->setChecked(settings_.clearResult);
}

void Tsearchoptionfrm::searchboxClick() {
    settings_.searchchildfolder = searchbox->isChecked();
}

void Tsearchoptionfrm::clearboxClick() {
    settings_.clearResult = clearbox->isChecked();
}

void Tsearchoptionfrm::Button1Click() {
    const auto file = optionsFile();
    const bool written =
        writeProfileString(file, kSection, kSearchKey, settings_.searchchildfolder ? "1" : "0") &&
        writeProfileString(file, kSection, kClearKey, settings_.clearResult ? "1" : "0");
    if (!written) {
        desktop_.message("initialize search option false", "ERROR", Buttons::Ok);
        return;
    }
    accept();
}

void Tsearchoptionfrm::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void Tsearchoptionfrm::keyPressEvent(QKeyEvent* event) {
    // OK is the dialog's cancel button: Esc presses it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        Button1->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Tsearchoptionfrm::resizeEvent(QResizeEvent* event) {
    // The window can be sized: the banner spans the top, the group fills the
    // middle and OK keeps to the bottom right.
    const int w = width();
    const int h = height();
    Image1->setGeometry(0, 0, w, 65);
    GroupBox1->setGeometry(12, 74, w - 24, std::max(60, h - 74 - 48));
    Button1->setGeometry(w - 87, h - 37, 75, 25);
    QDialog::resizeEvent(event);
}

}  // namespace pellimar
