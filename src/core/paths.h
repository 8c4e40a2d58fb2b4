// Where the program finds its own files and keeps its temporary ones.
#pragma once

#include <filesystem>

namespace pellimar {

// The folder of the program's executable; tests point it elsewhere.
std::filesystem::path programDir();
void setProgramDir(const std::filesystem::path& dir);

// The folder of the program's own files (tips, help): ../share/pellimar from the
// program's folder when the program is installed there, otherwise the program's
// folder itself (a portable installation, such as the build folder).
std::filesystem::path dataDir();
// True when dataDir() is the installed share folder, not the program's folder.
bool isInstalledLayout();

// The folder of setup.ini and pellimarinfo.ini: the program's folder when it can
// be written and the program is not installed under a share folder, otherwise
// $XDG_CONFIG_HOME/pellimar (or ~/.config/pellimar).
std::filesystem::path settingsDir();

// A private per-user folder (mode 0700), under $XDG_RUNTIME_DIR or else the
// system's temporary folder, holding one folder per running copy of the program.
// Created on first use. When the usual one (pellimar-UID) is not this user's
// private folder (someone else made it first), a fresh private folder beside it
// (pellimar-UID-XXXXXX) serves this copy alone, without a word. Throws
// std::runtime_error only when no folder at all can be made.
std::filesystem::path userTempDir();

// This running copy's own folder for its temporary files, inside userTempDir():
// two copies never share a file. Created on first use (mode 0700) and held by a
// lock for as long as the program runs. Throws std::runtime_error when no safe
// folder can be had. Tests point it elsewhere with setPrivateTempDir().
std::filesystem::path privateTempDir();
void setPrivateTempDir(const std::filesystem::path& dir);

// Removes the folders of copies that no longer run (their lock is free); returns
// how many went. Never throws.
int removeStaleTempDirs();
// Removes this copy's own folder, at the end of the program. Never throws.
void removeOwnTempDir();

}  // namespace pellimar
