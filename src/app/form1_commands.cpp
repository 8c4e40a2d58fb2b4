// The main window's commands that belong to the acquisition, export and preview
// modules: importing from a file, scanning a folder, saving, previewing a row and
// the option and report dialogs.
#include "app/main_form.h"

#include <QCoreApplication>
#include <QDialog>

#include "acquire/import_options_dialog.h"
#include "acquire/scan_command.h"
#include "acquire/search_option_dialog.h"
#include "app/settings.h"

namespace pellimar {

void TForm1::ToolButton5Click() {
    if (!importOptionsForm_) return;
    TForm5& options = *importOptionsForm_;
    ScanCommandHost host;
    host.confirmImportOptions = [&] { return desktop().runModal(options) == QDialog::Accepted; };
    host.setStatus = [&](int panel, const std::string& text) {
        setStatusText(panel, QString::fromStdString(text));
    };
    // Once, so that "Searching ..." is painted; nothing more until the scan ends.
    host.paintPending = [] { QCoreApplication::processEvents(); };
    host.rowCount = [&] { return rowCount(); };
    host.list.loadIcon = [&](const std::filesystem::path& file, int index) {
        return loadIcon(file, index);
    };
    host.list.addRow = [&](const std::filesystem::path& file, int n, const Icon& icon) {
        addResultRow(icon, file, n);
    };
    host.list.clearList = [&] { ToolButton1Click(); };
    scanIconCount = 0;
    if (auto outcome = runScanCommand(desktop(), settings(), host))
        scanIconCount = outcome->iconsTaken;
}

void TForm1::ImportOptions1Click() {
    if (importOptionsForm_) desktop().runModal(*importOptionsForm_);  // OK or not, nothing follows
}

void TForm1::searchoption1Click() {
    // A fresh dialog for every showing, destroyed when it closes, an error included.
    Tsearchoptionfrm form(settings(), desktop(), this);
    desktop().runModal(form);
}

}  // namespace pellimar
