// The icon-taking half of a folder scan: every icon of every gathered file becomes
// one row, up to the scan's maximum. Free of widgets: the caller hands in an icon
// loader, a row adder and Clear All.
#pragma once

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "acquire/icon_extractor.h"
#include "platform/icon.h"

namespace pellimar {

struct AppSettings;

struct ScanCallbacks {
    // Icon `index` of a file: 1-based for icon files, 0-based for the others;
    // an empty Icon when there is none.
    IconLoader loadIcon;
    // Adds the row for the n-th icon (0-based) taken from `file`.
    std::function<void(const std::filesystem::path& file, int n, const Icon& icon)> addRow;
    // Empties the result list as Clear All does.
    std::function<void()> clearList;
    // How many icons a file holds, when that can be known; unset, or nothing for a
    // file, means icons are read until the first empty one.
    IconCounter countIcons;
    // Set when the user asks the scan to stop: no further file is read.
    const std::atomic<bool>* stop = nullptr;
    // Called after each file with the number of files read so far.
    std::function<void(std::size_t filesRead)> fileRead;
};

struct ScanOutcome {
    int rowsAdded = 0;
    int iconsTaken = 0;        // the scan's icon count, the icon that passed the maximum included
    bool stopped = false;      // the maximum was passed
    bool interrupted = false;  // the user stopped the scan
    // Icon files skipped because they could not be opened or hold no icon header.
    std::vector<std::filesystem::path> unreadableIconFiles;
};

// The image count of an icon file's header; nothing when the file cannot be
// opened, is shorter than the 6-byte header, or its first two words are not 0, 1.
std::optional<int> readIconFileCount(const std::filesystem::path& file);

// Takes `files` in order. Clears the list first (when `clearResult` is on and
// `files` is not empty), then adds the rows. The count and the stop flag start
// anew with every call, so one call adds at most `max_units` rows when it is
// above 0. When a file's icon count is known, an icon that cannot be read adds no
// row and is not counted, and the file's later icons still are; a row keeps the
// icon's own number (0-based; an icon file's image k is row number k - 1).
ScanOutcome runFolderScan(const std::vector<std::filesystem::path>& files,
                          const AppSettings& settings, const ScanCallbacks& callbacks);

}  // namespace pellimar
