// The icon-taking half of reading files into the result list: every icon of every
// gathered file becomes one row, up to the scan's maximum. Free of widgets: the
// caller hands in a file reader, a row adder and Clear All.
#pragma once

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <vector>

#include "acquire/row_reader.h"
#include "core/folder_walk.h"
#include "platform/failure.h"

namespace pellimar {

struct AppSettings;

struct ScanCallbacks {
    // Reads a file's icons in row order (readFileRows, or a stand-in in tests).
    RowReader read;
    // Adds the row for icon `n` (its position) taken from `file`.
    std::function<void(const std::filesystem::path& file, int n, const RowIcon& icon)> addRow;
    // Empties the result list as Clear All does.
    std::function<void()> clearList;
    // Set when the user asks the work to stop: no further icon is taken.
    const std::atomic<bool>* stop = nullptr;
    // Called after each file with the number of files read so far.
    std::function<void(std::size_t filesRead)> fileRead;
};

// A file that gave no row at all, and why.
struct FileFailure {
    std::filesystem::path file;
    Failure why;
};
// An icon that gave no row, and why.
struct IconFailure {
    std::filesystem::path file;
    int position = 0;
    Failure why;
};

// What reading files into the list did.
struct ScanOutcome {
    int rowsAdded = 0;
    int iconsTaken = 0;        // the scan's icon count, the icon that passed the maximum included
    bool stopped = false;      // the maximum ended the scan before every file was read
    bool interrupted = false;  // the user stopped the work
    std::vector<FileFailure> unreadableFiles;
    std::vector<IconFailure> skippedIcons;
    // The folders the walk that gathered the files left out, with why.
    std::vector<SkippedFolder> skippedFolders;
};

// Takes `files` in order. Clears the list first (when `clearResult` is on and
// `files` is not empty), then adds the rows. The count and the stop flag start
// anew with every call, so one call adds at most `importLimit` rows when it is
// above 0. An icon that cannot be read adds no row and is not counted, and the
// file's later icons still are; a row keeps the icon's own position.
ScanOutcome runFolderScan(const std::vector<std::filesystem::path>& files,
                          const AppSettings& settings, const ScanCallbacks& callbacks);

// Reads the rows of one file (Import from a File), with no maximum: every icon it
// holds, each that can be read a row.
ScanOutcome readOneFile(const std::filesystem::path& file, const ScanCallbacks& callbacks);

}  // namespace pellimar
