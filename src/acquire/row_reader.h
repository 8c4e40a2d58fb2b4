// Reading the icons of one file as the result list takes them: a program's or
// library's icon groups at the large icon size (32 pixels), or, for a file named
// ".ico" (any case), each image of the icon file at its own size. One read of the
// file's directories; only the images chosen are loaded.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "platform/failure.h"
#include "platform/icon.h"
#include "platform/icon_set.h"

namespace pellimar {

// The icon size rows are read at (the desktop's large icon).
inline constexpr int kLargeIconSize = 32;

struct RowIcon {
    Icon icon;             // at 32 x 32 (a row of an icon file: its image at its own size)
    Icon sharper;          // for a screen of high density: the group's image for its pixels
    std::string resource;  // the group's resource ID or name; empty in an icon file
    // A program's cursor group (its position counts among the cursor groups).
    ResourceKind kind = ResourceKind::Icon;
};

// Takes each icon of a file in row order, with its position (0-based): its
// picture, or why it has none. A program's icon groups come first, then its
// cursor groups, each counted from 0 within its kind. Returns false to stop the
// reading.
using RowSink = std::function<bool(int position, const Result<RowIcon>& icon)>;

// Reads a file's icons into `take`. What the file as a whole gave: nothing, or why
// it gave no row (it cannot be opened, holds no icons, is not an icon file).
using RowReader =
    std::function<std::optional<Failure>(const std::filesystem::path& file, const RowSink& take)>;

// The program's own reader. `sharper` pictures are made for the row picture ratio
// of core/icon_image.h when it is above 1.
std::optional<Failure> readFileRows(const std::filesystem::path& file, const RowSink& take);

}  // namespace pellimar
