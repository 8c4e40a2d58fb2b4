// The main window's commands that belong to the acquisition, export and preview
// modules: importing from a file, scanning a folder, saving, previewing a row and
// the option and report dialogs.
#include "app/main_form.h"

#include <QCoreApplication>
#include <QDialog>

#include "acquire/icon_extractor.h"
#include "acquire/import_options_dialog.h"
#include "acquire/scan_command.h"
#include "acquire/search_option_dialog.h"
#include "app/settings.h"

namespace pellimar {

namespace {

// The Import options dialog made at start as a child of the main window; made
// here when the window was built without one.
TForm5& importOptionsForm(TForm1& form) {
    if (auto* found = form.findChild<TForm5*>(QString(), Qt::FindDirectChildrenOnly)) return *found;
    return *new TForm5(settings(), form.desktop(), &form);
}

// The invisible icon loader every import goes through.
TPellimar& iconLoader(TForm1& form) {
    if (auto* found = form.findChild<TPellimar*>("iG1", Qt::FindDirectChildrenOnly)) return *found;
    auto* loader = new TPellimar(&form);
    loader->setObjectName("iG1");
    loader->setVisible(false);
    return *loader;
}

}  // namespace

void TForm1::ToolButton5Click() {
    TPellimar& iG1 = iconLoader(*this);
    TForm5& options = importOptionsForm(*this);
    ScanCommandHost host;
    host.confirmImportOptions = [&] { return desktop().runModal(options) == QDialog::Accepted; };
    host.setStatus = [&](int panel, const std::string& text) {
        setStatusText(panel, QString::fromStdString(text));
    };
    // Once, so that "Searching ..." is painted; nothing more until the scan ends.
    host.paintPending = [] { QCoreApplication::processEvents(); };
    host.rowCount = [&] { return rowCount(); };
    host.list.loadIcon = [&](const std::filesystem::path& file, int index) {
        iG1.setIcon({});
        iG1.LoadFromFile(file, index);
        return iG1.Icon();
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
    desktop().runModal(importOptionsForm(*this));  // OK or not, nothing follows
}

void TForm1::searchoption1Click() {
    // A fresh dialog for every showing, destroyed when it closes, an error included.
    Tsearchoptionfrm form(settings(), desktop(), this);
    desktop().runModal(form);
}

}  // namespace pellimar
