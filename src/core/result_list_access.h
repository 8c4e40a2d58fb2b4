// What the import, scan, save and preview commands see of the main window's
// result list: rows in, rows out, and the status texts around them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/result_rows.h"
#include "platform/icon.h"

namespace pellimar {

class ResultListAccess {
  public:
    virtual ~ResultListAccess() = default;

    // Appends the row for icon `iconPosition` (0-based) of `source`, its picture
    // made from `icon` (an empty icon gives an empty picture).
    virtual void addRow(const Icon& icon, const std::filesystem::path& source,
                        int iconPosition) = 0;
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
};

}  // namespace pellimar
