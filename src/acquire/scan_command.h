// The Scan a Folder command from the folder dialog to the last status text, over
// what the main window lends it: its desktop, its settings, the Import options
// dialog, its status bar, its icon loader and its result list.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "acquire/folder_scan.h"

namespace pellimar {

class Desktop;
struct AppSettings;

struct ScanCommandHost {
    std::function<bool()> confirmImportOptions;  // the Import options dialog closed with OK
    std::function<void(int panel, const std::string& text)> setStatus;
    std::function<void()> paintPending;  // processes pending window messages once
    std::function<int()> rowCount;
    ScanCallbacks list;  // icon loader, row adder, Clear All
};

// Runs the command; returns what the scan did (nothing when a dialog was cancelled).
std::optional<ScanOutcome> runScanCommand(Desktop& desktop, const AppSettings& settings,
                                          const ScanCommandHost& host);

}  // namespace pellimar
