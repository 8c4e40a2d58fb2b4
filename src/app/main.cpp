// Pellimar: finds the icons stored in Windows programs and icon files and saves them.
#include <QIcon>

#include "acquire/import_options_dialog.h"
#include "app/main_form.h"
#include "app/qt_desktop.h"
#include "app/resources.h"
#include "app/settings.h"
#include "dialogs/about_form.h"
#include "dialogs/tips_form.h"
#include "export/export_options_form.h"
#include "export/report_form.h"

int main(int argc, char** argv) {
    pellimar::QtDesktop desktop;
    pellimar::PellimarApplication app(argc, argv, desktop);
    pellimar::initResources();
    // The title; window captions stay exactly as each window sets them.
    QApplication::setApplicationName("Pellimar");
    QApplication::setWindowIcon(QIcon(":/pellimar/pellimar.png"));

    // The main window first, then the dialogs, which live as long as it does.
    pellimar::TForm1 form1(desktop);
    desktop.setOwner(&form1);
    pellimar::TForm5 form5(pellimar::settings(), desktop, &form1);
    pellimar::TForm4 form4(desktop, &form1);
    pellimar::TForm3 form3(pellimar::settings(), desktop, &form1);
    pellimar::TForm2 form2(desktop, &form1);
    pellimar::TTipsform tips(desktop, &form1);
    form1.setImportOptionsForm(&form5);
    form1.setAboutForm(&form2);
    form1.setTipsForm(&tips);
    form1.setReportForm(&form4);
    form1.setExportOptionsForm(&form3);

    form1.showMaximized();
    return app.exec();
}
