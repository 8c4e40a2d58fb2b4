#include "acquire/search_settings_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <system_error>

#include "core/desktop.h"
#include "core/dialog_art.h"
#include "core/settings.h"
#include "core/window_placement.h"
#include "platform/private_profile.h"

namespace pellimar {

namespace {
const char* const kSection = "SearchOption";
const char* const kSearchKey = "searchchildfolder";
const char* const kClearKey = "clearResult";
}  // namespace

SearchSettingsDialog::SearchSettingsDialog(AppSettings& settings, Desktop& desktop, QWidget* parent)
    : QDialog(parent), settings_(settings), desktop_(desktop) {
    setObjectName("searchSettingsDialog");
    setWindowTitle(tr("Other search setting"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    resize(411, 302);

    banner = new QLabel(this);
    banner->setScaledContents(true);
    banner->setPixmap(bannerPixmap(411, 65, tr("Other search setting")));

    QFont bold = font();
    bold.setBold(true);
    optionsGroup = new QGroupBox(tr("Other search option"), this);
    optionsGroup->setFont(bold);
    subFoldersBox = new QCheckBox(tr("  Search child folder"), optionsGroup);
    subFoldersBox->setFont(bold);
    subFoldersBox->setGeometry(56, 40, 220, 22);
    subFoldersBox->setChecked(true);
    subFoldersPicture = new QLabel(optionsGroup);
    subFoldersPicture->setGeometry(14, 34, 32, 32);
    subFoldersPicture->setPixmap(decorationPixmap(Decoration::Search));
    clearResultBox = new QCheckBox(tr("  Clear result"), optionsGroup);
    clearResultBox->setFont(bold);
    clearResultBox->setGeometry(56, 100, 220, 22);
    clearResultPicture = new QLabel(optionsGroup);
    clearResultPicture->setGeometry(14, 94, 32, 32);
    clearResultPicture->setPixmap(decorationPixmap(Decoration::Clear));

    okButton = new QPushButton(tr("&OK"), this);
    okButton->setAutoDefault(false);
    okButton->setDefault(false);

    connect(subFoldersBox, &QCheckBox::toggled, this, [this] { subFoldersToggled(); });
    connect(clearResultBox, &QCheckBox::toggled, this, [this] { clearResultToggled(); });
    connect(okButton, &QPushButton::clicked, this, [this] { confirm(); });
    // The sizes above suit the default font; a larger one makes everything larger.
    growWithFont(*this);
}

void SearchSettingsDialog::showSavedSettings() {
    const auto file = searchOptionsFile();
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
    subFoldersBox->setChecked(settings_.searchchildfolder);
    clearResultBox->setChecked(settings_.clearResult);
}

void SearchSettingsDialog::subFoldersToggled() {
    settings_.searchchildfolder = subFoldersBox->isChecked();
}

void SearchSettingsDialog::clearResultToggled() {
    settings_.clearResult = clearResultBox->isChecked();
}

void SearchSettingsDialog::confirm() {
    // Both keys in one write, so the file never holds one new value and one old.
    if (!saveSearchOptions(settings_)) {
        desktop_.message("initialize search option false", "ERROR", Buttons::Ok);
        return;
    }
    accept();
}

void SearchSettingsDialog::showEvent(QShowEvent* event) {
    showSavedSettings();
    QDialog::showEvent(event);
}

void SearchSettingsDialog::keyPressEvent(QKeyEvent* event) {
    // OK is the dialog's cancel button: Esc presses it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        okButton->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void SearchSettingsDialog::resizeEvent(QResizeEvent* event) {
    // The window can be sized: the banner spans the top, the group fills the
    // middle and OK keeps to the bottom right.
    const int w = width();
    const int h = height();
    // The design sizes, grown with the font.
    const double g = fontGrowth(font());
    auto s = [g](int v) { return qRound(v * g); };
    banner->setGeometry(0, 0, w, s(65));
    optionsGroup->setGeometry(s(12), s(74), w - s(24), std::max(s(60), h - s(74 + 48)));
    okButton->setGeometry(w - s(87), h - s(37), s(75), s(25));
    QDialog::resizeEvent(event);
}

}  // namespace pellimar
