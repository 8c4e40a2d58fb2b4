// Plain helpers and types of the result list: the number format of captions and
// locations, the text comparison its sorting uses, and rows as commands see them.
#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/icon_set.h"

namespace pellimar {

// n with leading zeros up to three digits ("007", "042", "123", "1024"); a
// negative n gives the empty text.
std::string formatIconNumber(int n);

// Compares two texts ignoring the case of the ASCII letters a-z only; every other
// byte by its value; a text that begins a longer one comes first. <0, 0 or >0.
int compareAsciiNoCase(std::string_view a, std::string_view b);
// As compareAsciiNoCase, but a run of digits compares by its value with a run of
// digits in the other text: "x.dll-999" before "x.dll-1000".
int compareNumbersAsNumbers(std::string_view a, std::string_view b);

// "app.exe-001" for the first icon (position 0) of /some/where/app.exe;
// "app.exe-cursor-001" for its first cursor group.
std::string rowCaption(const std::filesystem::path& source, int position,
                       ResourceKind kind = ResourceKind::Icon);

// One row as the save command and the row preview see it.
struct ResultRowInfo {
    std::filesystem::path source;  // the file the icon was read from
    int iconPosition = 0;          // 0-based position of the icon in that file
    bool selected = false;
    // A program's cursor group: iconPosition counts among its cursor groups.
    ResourceKind kind = ResourceKind::Icon;
};

// Rows as a command takes them from the list, compact: each distinct source held
// once, a row a few bytes. A save of hundreds of thousands of rows works from this.
struct RowTable {
    struct Row {
        std::uint32_t source = 0;  // in `sources`
        std::int32_t position = 0;
        ResourceKind kind = ResourceKind::Icon;
        bool selected = false;
    };
    std::vector<std::filesystem::path> sources;
    std::vector<Row> rows;

    std::size_t size() const { return rows.size(); }
    ResultRowInfo at(std::size_t i) const {
        const Row& r = rows[i];
        return {sources[r.source], r.position, r.selected, r.kind};
    }
    std::size_t selectedCount() const;
    // The same rows in this form.
    static RowTable of(const std::vector<ResultRowInfo>& rows);
};

// A row whose picture was made before it reached the list (off the UI thread).
struct PreparedRow {
    QImage picture;
    std::filesystem::path source;
    int iconPosition = 0;
    std::string resource;  // the icon's resource ID or name; empty when it has none
    ResourceKind kind = ResourceKind::Icon;  // as in ResultRowInfo
};

// How far reading files into the list has got, for the window to show.
struct WorkProgress {
    std::size_t filesLookedAt = 0;
    std::size_t filesToRead = 0;  // 0 while the files are still being gathered
    std::size_t filesRead = 0;
    std::size_t iconsFound = 0;
};

}  // namespace pellimar
