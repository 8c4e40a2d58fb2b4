#include "acquire/import_options_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <algorithm>
#include <exception>

#include "core/desktop.h"
#include "core/dialog_art.h"
#include "core/settings.h"
#include "core/window_placement.h"

namespace pellimar {

namespace {

const char* const kNotANumber = "The most icons to import must be a whole number, such as 100.";
const char* const kNoFormat = "Choose at least one kind of file to search.";
const char* const kErrorCaption = "Error";

int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

}  // namespace

std::optional<int> parseTypedInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size()) return std::nullopt;
    long long value = 0;
    for (; i < text.size(); ++i) {
        const int d = digitValue(text[i]);
        if (d >= base) return std::nullopt;
        value = value * base + d;
        if (value > 0x80000000LL) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > 0x7FFFFFFFLL || value < -0x80000000LL) return std::nullopt;
    return int(value);
}

ImportOptionsDialog::ImportOptionsDialog(AppSettings& settings, Desktop& desktop, QWidget* parent)
    : QDialog(parent), settings_(settings), desktop_(desktop) {
    setObjectName("importOptionsDialog");
    setWindowTitle(tr("Import options"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    giveCloseBoxOnly(*this);
    setFixedSize(417, 193);

    banner = new QLabel(this);
    banner->setGeometry(0, 0, 417, 49);
    banner->setPixmap(bannerPixmap(417, 49, tr("Import options")));

    maximumGroup = new QGroupBox(tr(" Search maximum  "), this);
    maximumGroup->setGeometry(8, 56, 236, 97);
    limitButton = new QRadioButton(tr(" No more than "), maximumGroup);
    limitButton->setGeometry(10, 22, 112, 20);
    limitEdit = new QLineEdit("100", maximumGroup);
    limitEdit->setGeometry(124, 21, 49, 22);
    iconsLabel = new QLabel(tr("icons."), maximumGroup);
    iconsLabel->setGeometry(178, 23, 42, 18);
    noLimitButton = new QRadioButton(tr(" No limit."), maximumGroup);
    noLimitButton->setGeometry(10, 56, 112, 20);
    maximumPicture = new QLabel(maximumGroup);
    maximumPicture->setGeometry(180, 52, 32, 32);
    maximumPicture->setPixmap(decorationPixmap(Decoration::Folder));
    limitButton->setChecked(true);

    kindsGroup = new QGroupBox(tr(" Search these files "), this);
    kindsGroup->setGeometry(250, 56, 159, 97);
    exeBox = new QCheckBox(tr(" *.EXE"), kindsGroup);
    exeBox->setGeometry(10, 18, 96, 18);
    dllBox = new QCheckBox(tr(" *.DLL"), kindsGroup);
    dllBox->setGeometry(10, 36, 96, 18);
    icoBox = new QCheckBox(tr(" *.ICO"), kindsGroup);
    icoBox->setGeometry(10, 54, 96, 18);
    iclBox = new QCheckBox(tr(" *.ICL"), kindsGroup);
    iclBox->setGeometry(10, 72, 96, 18);
    exeBox->setChecked(true);
    dllBox->setChecked(true);
    kindsPicture = new QLabel(kindsGroup);
    kindsPicture->setGeometry(118, 36, 32, 32);
    kindsPicture->setPixmap(decorationPixmap(Decoration::Files));

    okButton = new QPushButton(tr("&OK"), this);
    okButton->setGeometry(334, 161, 75, 25);
    // Return presses OK.
    okButton->setAutoDefault(false);
    okButton->setDefault(true);

    connect(limitButton, &QRadioButton::toggled, this, [this](bool on) {
        if (on) limitChosen();
    });
    connect(noLimitButton, &QRadioButton::toggled, this, [this](bool on) {
        if (on) noLimitChosen();
    });
    connect(okButton, &QPushButton::clicked, this, [this] { confirm(); });
    // The sizes above suit the default font; a larger one makes everything larger.
    growWithFont(*this);
    // "No more than [100] icons." reads as one line: the number follows the words
    // however long they are in the language shown, and the last word after it.
    const double g = fontGrowth(font());
    limitButton->resize(std::max(limitButton->width(), limitButton->sizeHint().width()),
                        limitButton->height());
    limitEdit->move(limitButton->geometry().right() + qRound(2 * g), limitEdit->y());
    iconsLabel->setGeometry(limitEdit->geometry().right() + qRound(5 * g), iconsLabel->y(),
                            std::max(iconsLabel->width(), iconsLabel->sizeHint().width()),
                            iconsLabel->height());
}

void ImportOptionsDialog::showCurrentSettings() {
    exeBox->setChecked(settings_.importExe);
    dllBox->setChecked(settings_.importDll);
    icoBox->setChecked(settings_.importIco);
    iclBox->setChecked(settings_.importIcl);
    if (settings_.importLimit != 0) {
        limitEdit->setText(QString::number(settings_.importLimit));
        limitButton->setChecked(true);
        limitChosen();
    } else {
        noLimitButton->setChecked(true);
        noLimitChosen();
    }
    centreOnScreen(*this);
}

void ImportOptionsDialog::limitChosen() {
    limitEdit->setEnabled(true);
}

void ImportOptionsDialog::noLimitChosen() {
    limitEdit->setEnabled(false);
}

void ImportOptionsDialog::confirm() {
    const std::optional<int> typed = parseTypedInteger(limitEdit->text().toStdString());
    if (!typed) {
        desktop_.message(kNotANumber, kErrorCaption, Buttons::Retry, MessageIcon::Error);
        limitEdit->setText("100");
        return;
    }
    if (!exeBox->isChecked() && !dllBox->isChecked() && !icoBox->isChecked() &&
        !iclBox->isChecked()) {
        desktop_.message(kNoFormat, kErrorCaption, Buttons::Retry, MessageIcon::Error);
        return;
    }
    AppSettings edited = settings_;
    edited.importExe = exeBox->isChecked();
    edited.importDll = dllBox->isChecked();
    edited.importIco = icoBox->isChecked();
    edited.importIcl = iclBox->isChecked();
    edited.importLimit = noLimitButton->isChecked() ? 0 : *typed;
    if (const auto saved = saveSettings(edited); !saved) {
        // Reported in the error box; the dialog stays open and the settings in use
        // stay as they were until the file takes the new values.
        desktop_.errorBox(unableToWriteText(saved.failure()));
        return;
    }
    settings_ = edited;
    accept();
}

void ImportOptionsDialog::showEvent(QShowEvent* event) {
    showCurrentSettings();
    QDialog::showEvent(event);
}

void ImportOptionsDialog::keyPressEvent(QKeyEvent* event) {
    // OK is the dialog's cancel button: Esc presses it, validation included.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        okButton->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace pellimar
