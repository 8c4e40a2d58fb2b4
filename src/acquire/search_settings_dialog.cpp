#include "acquire/search_settings_dialog.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "core/desktop.h"
#include "core/dialog_art.h"
#include "core/reasons.h"
#include "core/settings.h"
#include "core/window_placement.h"
#include "platform/atomic_file.h"
#include "platform/private_profile.h"

namespace pellimar {

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
    // Return presses OK.
    okButton->setAutoDefault(false);
    okButton->setDefault(true);

    connect(okButton, &QPushButton::clicked, this, [this] { confirm(); });
    // The sizes above suit the default font; a larger one makes everything larger.
    growWithFont(*this);
}

void SearchSettingsDialog::showSavedSettings() {
    // The file as start-up reads it; the settings in use change only on OK.
    AppSettings saved = settings_;
    readSearchOptions(saved);
    subFoldersBox->setChecked(saved.searchSubfolders);
    clearResultBox->setChecked(saved.clearResult);
}

void SearchSettingsDialog::confirm() {
    AppSettings chosen = settings_;
    chosen.searchSubfolders = subFoldersBox->isChecked();
    chosen.clearResult = clearResultBox->isChecked();
    // Both keys in one write, so the file never holds one new value and one old.
    if (const auto saved = saveSearchOptions(chosen); !saved) {
        // The reason alone: the message names the file itself.
        Failure why = saved.failure();
        why.context.clear();
        const std::filesystem::path path = searchOptionsFile();
        const QString reason = why.fault == Fault::NotRegularFile || why.error == EISDIR
                                   ? tr("it is not a regular file")
                                   : writeReasonText(why);
        const QString file = QFile::decodeName(QByteArray::fromStdString(path.native()));
        desktop_.message(
            tr("Cannot save the search settings to %1: %2.").arg(file, reason).toStdString(),
            "ERROR", Buttons::Ok, MessageIcon::Warning);
        return;
    }
    settings_.searchSubfolders = chosen.searchSubfolders;
    settings_.clearResult = chosen.clearResult;
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
