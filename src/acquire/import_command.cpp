#include "acquire/import_command.h"

#include "core/desktop.h"

namespace pellimar {

namespace {

// The open dialog's filter; the desktop matches the extensions in any letter case.
constexpr const char* kImportFilter =
    "exe file(*.exe)|*.EXE|ico file(*.ico)|*.ICO|dll file(*.dll)|*.DLL|all supported "
    "file|*.ico;*.dll;*.exe;*.icl;*.cur|cur file(*.cur)|*.CUR";

}  // namespace

std::optional<std::filesystem::path> chooseFileToImport(Desktop& desktop) {
    FileDialogRequest request;
    request.filter = kImportFilter;
    request.defaultExt = "exe,dll";
    return desktop.openFile(request);
}

}  // namespace pellimar
