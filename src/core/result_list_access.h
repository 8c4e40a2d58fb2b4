// What the import, scan, save and preview commands see of the main window's
// result list: rows in, rows out, and the status texts around them.
#pragma once

#include <QImage>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/result_rows.h"
#include "platform/icon.h"

namespace pellimar {

// A row whose picture was made before it reached the list (off the UI thread, by
// rowPicture()).
struct PreparedRow {
    QImage picture;
    std::filesystem::path source;
    int iconPosition = 0;
};

// How far a long command has got, for the window to show.
struct WorkProgress {
    std::size_t filesLookedAt = 0;
    std::size_t filesToRead = 0;  // 0 while the files are still being gathered
    std::size_t filesRead = 0;
    std::size_t iconsFound = 0;
};

class ResultListAccess {
  public:
    virtual ~ResultListAccess() = default;

    // Appends the row for icon `iconPosition` (0-based) of `source`, its picture
    // made from `icon` (an empty icon gives an empty picture).
    virtual void addRow(const Icon& icon, const std::filesystem::path& source,
                        int iconPosition) = 0;
    // Appends rows in list order, in one go.
    virtual void addPreparedRows(std::vector<PreparedRow>& rows) = 0;
    // Clear All: every row goes, the counts in the status bar read 0 and the list's
    // commands are disabled again.
    virtual void clearAll() = 0;
    // Every row in list order: source path, icon position, selection state.
    virtual std::vector<ResultRowInfo> rows() const = 0;
    virtual int rowCount() const = 0;
    virtual int selectedCount() const = 0;
    // Status bar panels 0..6.
    virtual void showStatus(int panel, const std::string& text) = 0;
    // Lets the window handle what is pending (a repaint of the status bar) once.
    virtual void processPendingEvents() = 0;

    // A command that reads files in the background has started: the window holds
    // every command that would change or read the list, and offers to stop it;
    // `stop` asks the work to end (it may be called more than once).
    virtual void beginBackgroundWork(std::function<void()> stop) { (void)stop; }
    virtual void showProgress(const WorkProgress& progress) { (void)progress; }
    // The work has ended and every row it found is in the list.
    virtual void endBackgroundWork() {}
};

}  // namespace pellimar
