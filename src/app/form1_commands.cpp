// The main window's commands that belong to the acquisition, export and preview
// modules: importing from a file, scanning a folder, saving, previewing a row and
// the option and report dialogs.
#include "app/main_form.h"

#include <QDialog>

#include "acquire/import_options_dialog.h"
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

}  // namespace

void TForm1::ToolButton9Click() {}

void TForm1::ToolButton5Click() {}

void TForm1::ToolButton14Click() {}

void TForm1::ListV1DblClick() {}

void TForm1::ImportOptions1Click() {
    desktop().runModal(importOptionsForm(*this));  // OK or not, nothing follows
}

void TForm1::OptionsToSave1Click() {}

void TForm1::Report1Click() {}

void TForm1::searchoption1Click() {
    // A fresh dialog for every showing, destroyed when it closes, an error included.
    Tsearchoptionfrm form(settings(), desktop(), this);
    desktop().runModal(form);
}

}  // namespace pellimar
