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
#include <exception>

#include "app/desktop.h"
#include "app/dialog_art.h"
#include "app/settings.h"

namespace pellimar {

namespace {

const char* const kNotANumber = "Invalid data!  Please input with a number.";
const char* const kNoFormat = "Invalid data!One format at least!";
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

TForm5::TForm5(AppSettings& settings, Desktop& desktop, QWidget* parent)
    : QDialog(parent), settings_(settings), desktop_(desktop) {
    setObjectName("Form5");
    setWindowTitle("Import options");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(417, 193);

    Image1 = new QLabel(this);
    Image1->setGeometry(0, 0, 417, 49);
    Image1->setPixmap(bannerPixmap(417, 49, "Import options"));

    GroupBox1 = new QGroupBox(" Search maximum  ", this);
    GroupBox1->setGeometry(8, 56, 225, 97);
    RB_limit = new QRadioButton(" No more than ", GroupBox1);
    RB_limit->setGeometry(10, 22, 112, 20);
    Edit1 = new QLineEdit("100", GroupBox1);
    Edit1->setGeometry(124, 21, 49, 22);
    Label1 = new QLabel("icons.", GroupBox1);
    Label1->setGeometry(178, 23, 42, 18);
    RB_nolimit = new QRadioButton(" No limit.", GroupBox1);
    RB_nolimit->setGeometry(10, 56, 112, 20);
    Image2 = new QLabel(GroupBox1);
    Image2->setGeometry(180, 52, 32, 32);
    Image2->setPixmap(decorationPixmap(Decoration::Folder));
    RB_limit->setChecked(true);

    GroupBox2 = new QGroupBox(" Search these files ", this);
    GroupBox2->setGeometry(240, 56, 169, 97);
    CheckBox_exe = new QCheckBox(" *.EXE", GroupBox2);
    CheckBox_exe->setGeometry(10, 18, 96, 18);
    CheckBox_dll = new QCheckBox(" *.DLL", GroupBox2);
    CheckBox_dll->setGeometry(10, 36, 96, 18);
    CheckBox_ico = new QCheckBox(" *.ICO", GroupBox2);
    CheckBox_ico->setGeometry(10, 54, 96, 18);
    CheckBox_ICL = new QCheckBox(" *.ICL", GroupBox2);
    CheckBox_ICL->setGeometry(10, 72, 96, 18);
    CheckBox_exe->setChecked(true);
    CheckBox_dll->setChecked(true);
    Image3 = new QLabel(GroupBox2);
    Image3->setGeometry(124, 36, 32, 32);
    Image3->setPixmap(decorationPixmap(Decoration::Files));

    B_import = new QPushButton("&OK", this);
    B_import->setGeometry(334, 161, 75, 25);
    B_import->setAutoDefault(false);
    B_import->setDefault(false);

    connect(RB_limit, &QRadioButton::toggled, this, [this](bool on) {
        if (on) RB_limitClick();
    });
    connect(RB_nolimit, &QRadioButton::toggled, this, [this](bool on) {
        if (on) RB_nolimitClick();
    });
    connect(B_import, &QPushButton::clicked, this, [this] { B_importClick(); });
}

void TForm5::FormShow() {
    CheckBox_exe->setChecked(settings_.format_exe);
    CheckBox_dll->setChecked(settings_.format_dll);
    CheckBox_ico->setChecked(settings_.format_ico);
    CheckBox_ICL->setChecked(settings_.format_icl);
    if (settings_.max_units != 0) {
        Edit1->setText(QString::number(settings_.max_units));
        RB_limit->setChecked(true);
        RB_limitClick();
    } else {
        RB_nolimit->setChecked(true);
        RB_nolimitClick();
    }
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        const QRect area = screen->geometry();
        const QSize outer = isVisible() ? frameGeometry().size() : size();
        move(area.x() + (area.width() - outer.width()) / 2,
             area.y() + (area.height() - outer.height()) / 2);
    }
}

void TForm5::RB_limitClick() {
    Edit1->setEnabled(true);
}

void TForm5::RB_nolimitClick() {
    Edit1->setEnabled(false);
}

void TForm5::B_importClick() {
    const std::optional<int> typed = parseTypedInteger(Edit1->text().toStdString());
    if (!typed) {
        desktop_.message(kNotANumber, kErrorCaption, Buttons::Retry, MessageIcon::Error);
        Edit1->setText("100");
        return;
    }
    if (!CheckBox_exe->isChecked() && !CheckBox_dll->isChecked() && !CheckBox_ico->isChecked() &&
        !CheckBox_ICL->isChecked()) {
        desktop_.message(kNoFormat, kErrorCaption, Buttons::Retry, MessageIcon::Error);
        return;
    }
    settings_.format_exe = CheckBox_exe->isChecked();
    settings_.format_dll = CheckBox_dll->isChecked();
    settings_.format_ico = CheckBox_ico->isChecked();
    settings_.format_icl = CheckBox_ICL->isChecked();
    settings_.max_units = RB_nolimit->isChecked() ? 0 : *typed;
    try {
        SaveSettings(settings_);
    } catch (const std::exception& e) {
        // Reported like any error no handler catches; the dialog stays open and
        // the values stay in memory.
        desktop_.errorBox(e.what());
        return;
    }
    accept();
}

void TForm5::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TForm5::keyPressEvent(QKeyEvent* event) {
    // OK is the dialog's cancel button: Esc presses it, validation included.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        B_import->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace pellimar
