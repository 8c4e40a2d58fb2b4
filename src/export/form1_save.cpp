// The main window's save commands and the two dialogs that belong to them.
#include <QDialog>

#include "app/main_form.h"
#include "app/settings.h"
#include "export/export_options_form.h"
#include "export/report_form.h"
#include "export/save_command.h"

namespace pellimar {

void TForm1::ToolButton14Click() {
    run([this] {
        if (!exportOptionsForm_ || !reportForm_) return;
        SaveContext ctx{settings(), reportForm_->report(), desktop_, defaultIconServices()};
        RunSaveCommand(
            resultRows(), ctx,
            [this] { return desktop_.runModal(*exportOptionsForm_) == QDialog::Accepted; },
            [this] { desktop_.runModal(*reportForm_); }, lastSaveName_);
    });
}

void TForm1::OptionsToSave1Click() {
    run([this] {
        if (exportOptionsForm_) desktop_.runModal(*exportOptionsForm_);
    });
}

void TForm1::Report1Click() {
    run([this] {
        if (reportForm_) desktop_.runModal(*reportForm_);
    });
}

}  // namespace pellimar
