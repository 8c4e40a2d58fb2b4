// What the desktop draws around the program's dialogs: a close box, nothing more.
#include <gtest/gtest.h>

#include "acquire/import_options_dialog.h"
#include "app/main_window.h"
#include "dialogs/about_dialog.h"
#include "dialogs/tips_dialog.h"
#include "export/export_options_dialog.h"
#include "export/report_dialog.h"
#include "support/scripted_desktop.h"
#include "support/temp_program_dir.h"
#include "viewer/icon_viewer.h"

using namespace pellimar;
using pellimar::test::ScriptedDesktop;
using pellimar::test::TempProgramDir;

TEST(WindowFrames, DialogsHaveACloseBoxOnly) {
    TempProgramDir dir("frames");
    ScriptedDesktop desktop;
    MainWindow main(desktop);
    ImportOptionsDialog importOptions(main.settings(), desktop, &main);
    ExportOptionsDialog exportOptions(main.settings(), desktop, &main);
    ReportDialog report(desktop, &main);
    IconViewer viewer(desktop, &main);
    AboutDialog about(desktop, &main);
    TipsDialog tips(main.settings(), desktop, &main);
    for (QWidget* w : std::initializer_list<QWidget*>{&importOptions, &exportOptions, &report,
                                                      &viewer, &about, &tips}) {
        const Qt::WindowFlags f = w->windowFlags();
        const std::string name = w->windowTitle().toStdString();
        EXPECT_TRUE(f & Qt::CustomizeWindowHint) << name;
        EXPECT_TRUE(f & Qt::WindowCloseButtonHint) << name;
        EXPECT_FALSE(f & Qt::WindowMinimizeButtonHint) << name;
        EXPECT_FALSE(f & Qt::WindowMaximizeButtonHint) << name;
    }
}
