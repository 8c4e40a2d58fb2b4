// F1's help: the help file when the desktop has a viewer for it, else the same
// help as web pages in the browser.
#pragma once

#include <optional>
#include <string>

namespace pellimar {

class Desktop;

// Opens the help. Nothing when it opened; otherwise why it could not be, for the
// person to read.
std::optional<std::string> openHelp(Desktop& desktop);

}  // namespace pellimar
