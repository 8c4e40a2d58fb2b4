// The main window's commands that belong to the acquisition, export and preview
// modules: importing from a file, scanning a folder, saving, previewing a row and
// the option and report dialogs.
#include "app/main_form.h"

namespace pellimar {

void TForm1::ToolButton9Click() {}

void TForm1::ToolButton5Click() {}

void TForm1::ListV1DblClick() {}

void TForm1::ImportOptions1Click() {}

void TForm1::searchoption1Click() {}

}  // namespace pellimar
