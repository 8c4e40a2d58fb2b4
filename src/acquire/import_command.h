// Import from a File: the question it asks. What follows is the window's: an icon
// file opens the icon viewer, any other file is read by a fileImportJob().
#pragma once

#include <filesystem>
#include <optional>

namespace pellimar {

class Desktop;

// Asks for a file to import with the command's filter. Nothing when the dialog
// was cancelled; an empty path when it was confirmed without a name.
std::optional<std::filesystem::path> chooseFileToImport(Desktop& desktop);

}  // namespace pellimar
