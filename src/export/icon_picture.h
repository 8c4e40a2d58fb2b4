// The picture of a result row that leaves the program (dragged out, copied): the
// largest image of the row's icon, at its own size up to 256 pixels.
#pragma once

#include <filesystem>

#include "platform/icon.h"

namespace pellimar {

// Icon `position` of `source` as the result list counts it: for an icon file
// (named ".ico" in any case) its image `position` (0-based), for any other file the
// largest image of its icon `position`. Empty when it cannot be read.
Icon largestRowImage(const std::filesystem::path& source, int position);

}  // namespace pellimar
