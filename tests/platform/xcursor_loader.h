// What the X cursor library reads of a file or finds in a theme, kept apart
// from the tests: its headers define names (None, Status...) that clash with
// GoogleTest's.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace pellimar::testing {

struct LoadedCursor {
    struct Image {
        unsigned size, width, height, xhot, yhot, delay;
        std::vector<std::uint32_t> pixels;  // premultiplied ARGB
    };
    std::vector<Image> images;
};

// Every image of the X cursor file `file` (XcursorFilenameLoadAllImages);
// nothing when the library does not read it.
std::optional<LoadedCursor> loadXcursorFile(const std::filesystem::path& file);

// The images of the cursor `name` of theme `theme` at `size`, as programs find
// them (XcursorLibraryLoadImages) through the library path `path`; nothing when
// it is not found.
std::optional<LoadedCursor> loadThemeCursor(const std::string& path, const std::string& name,
                                            const std::string& theme, int size);

}  // namespace pellimar::testing
