// Where the program finds its own files and keeps its temporary ones.
#pragma once

#include <filesystem>

namespace pellimar {

// The folder of the program's executable; tests point it elsewhere.
std::filesystem::path programDir();
void setProgramDir(const std::filesystem::path& dir);

// The folder of setup.ini and pellimarinfo.ini: the program's folder when it can
// be written, otherwise $XDG_CONFIG_HOME/pellimar (or ~/.config/pellimar).
std::filesystem::path settingsDir();

// A private per-user folder (mode 0700) for the program's temporary files, under
// $XDG_RUNTIME_DIR or else the system's temporary folder. Created on first use.
// Throws std::runtime_error when no safe folder can be had.
std::filesystem::path privateTempDir();
void setPrivateTempDir(const std::filesystem::path& dir);

}  // namespace pellimar
