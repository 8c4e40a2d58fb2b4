// Shows the main window after a real folder scan, for the README's screenshots.
// Usage: shot PROGRAM_DIR FOLDER STYLE   (STYLE: detail, thumb, list, tips, about, menu)
// The windows are made as the program makes them; the scan runs through the Scan a
// Folder command, with the folder dialog answered by FOLDER and the Import options
// dialog confirmed with .exe and .dll files and no limit.
#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QRadioButton>
#include <QTimer>

#include "acquire/import_options_dialog.h"
#include "app/main_form.h"
#include "app/paths.h"
#include "app/qt_desktop.h"
#include "app/settings.h"
#include "dialogs/about_form.h"
#include "dialogs/tips_form.h"
#include "export/export_options_form.h"
#include "export/report_form.h"

using namespace pellimar;

namespace {

class ShotDesktop : public QtDesktop {
  public:
    std::filesystem::path folder;

    std::optional<std::filesystem::path> chooseFolder(const std::string&) override {
        return folder;
    }
    int runModal(QDialog& dialog) override {
        if (auto* options = qobject_cast<TForm5*>(&dialog)) {
            options->show();
            options->CheckBox_exe->setChecked(true);
            options->CheckBox_dll->setChecked(true);
            options->CheckBox_ico->setChecked(false);
            options->CheckBox_ICL->setChecked(false);
            options->RB_nolimit->click();
            options->B_importClick();
            options->hide();
            return options->result();
        }
        return QtDesktop::runModal(dialog);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    ShotDesktop desktop;
    PellimarApplication app(argc, argv, desktop);
    QApplication::setApplicationName("Pellimar");
    setProgramDir(argv[1]);
    desktop.folder = argv[2];
    const QString mode = argv[3];

    TForm1 f(desktop);
    desktop.setOwner(&f);
    TForm5 form5(settings(), desktop, &f);
    TForm4 form4(desktop, &f);
    TForm3 form3(settings(), desktop, &f);
    TForm2 about(desktop, &f);
    TTipsform tips(desktop, &f);
    f.setImportOptionsForm(&form5);
    f.setAboutForm(&about);
    f.setTipsForm(&tips);
    f.setReportForm(&form4);
    f.setExportOptionsForm(&form3);

    f.resize(1000, 600);
    f.move(20, 20);
    f.show();
    QTimer::singleShot(300, [&] {
        f.ToolButton5Click();
        for (int r : {1, 2, 5}) f.ListV1->setRowSelected(r, true);
        if (mode == "thumb") f.LargeIcons1Click();
        if (mode == "list") f.NormalStyle1Click();
        if (mode == "detail") f.ViewAsList1Click();
        if (mode == "tips") tips.show();
        if (mode == "about") about.show();
        if (mode == "menu") {
            f.File1Click();
            f.File1->popup(f.mapToGlobal(QPoint(4, 24)));
        }
    });
    return app.exec();
}
