#include "acquire/folder_scan.h"

#include "core/settings.h"

namespace pellimar {
namespace fs = std::filesystem;

namespace {

bool stopAsked(const ScanCallbacks& callbacks) {
    return callbacks.stop != nullptr && callbacks.stop->load(std::memory_order_relaxed);
}

// Reads one file into the outcome; `withinLimit` counts an icon and says whether
// it may still be taken.
template <typename Limit>
void readFile(const fs::path& file, const ScanCallbacks& callbacks, ScanOutcome& out,
              Limit&& withinLimit) {
    const std::optional<Failure> failed =
        callbacks.read(file, [&](int position, const Result<RowIcon>& icon) {
            if (!icon) {
                // A damaged icon hides none of the others.
                out.skippedIcons.push_back({file, position, icon.failure()});
                return !stopAsked(callbacks);
            }
            if (!withinLimit()) return false;
            callbacks.addRow(file, position, *icon);
            ++out.rowsAdded;
            // A file may hold tens of thousands of icons: Stop is looked at between them.
            return !stopAsked(callbacks);
        });
    if (failed) out.unreadableFiles.push_back({file, *failed});
}

}  // namespace

ScanOutcome runFolderScan(const std::vector<fs::path>& files, const AppSettings& settings,
                          const ScanCallbacks& callbacks) {
    ScanOutcome out;
    const int maxUnits = settings.importLimit;

    if (files.empty()) return out;
    if (settings.clearResult) callbacks.clearList();

    // Counts the icon just read; false when it passes the maximum, which stops
    // every further row of this scan.
    auto withinLimit = [&]() {
        ++out.iconsTaken;
        if (maxUnits > 0 && out.iconsTaken > maxUnits) {
            out.stopped = true;
            return false;
        }
        return true;
    };
    std::size_t filesRead = 0;
    for (const fs::path& file : files) {
        if (stopAsked(callbacks)) {
            out.interrupted = true;
            break;
        }
        // Once the maximum is reached no file can add a row: none is opened any more.
        if (out.stopped || (maxUnits > 0 && out.rowsAdded >= maxUnits)) {
            out.stopped = true;
            break;
        }
        readFile(file, callbacks, out, withinLimit);
        if (callbacks.fileRead) callbacks.fileRead(++filesRead);
    }
    if (stopAsked(callbacks)) out.interrupted = true;
    return out;
}

ScanOutcome readOneFile(const fs::path& file, const ScanCallbacks& callbacks) {
    ScanOutcome out;
    readFile(file, callbacks, out, [&] {
        ++out.iconsTaken;
        return true;
    });
    if (stopAsked(callbacks)) out.interrupted = true;
    if (callbacks.fileRead) callbacks.fileRead(1);
    return out;
}

}  // namespace pellimar
