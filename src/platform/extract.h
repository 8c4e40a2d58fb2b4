// Icon number i of a file, as the desktop shell counts them.
#pragma once

#include <filesystem>
#include <optional>

#include "platform/icon.h"

namespace pellimar {

// Icon `index` (0-based) of an executable, library or icon library (PE32, PE32+,
// NE), recognised by its bytes, at `size` x `size` pixels; an icon file handed
// here counts as one icon at index 0. An empty Icon when there is none.
Icon extractIcon(const std::filesystem::path& file, int index, int size);

// How many icons extractIcon can be asked for (an icon file counts as one);
// nothing when the file cannot be read or holds no icon container.
std::optional<int> extractIconCount(const std::filesystem::path& file);

}  // namespace pellimar
