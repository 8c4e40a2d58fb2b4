#include "xcursor_loader.h"

#include <X11/Xcursor/Xcursor.h>
#include <stdlib.h>

namespace pellimar::testing {

namespace {

LoadedCursor copyOf(const XcursorImages* images) {
    LoadedCursor out;
    for (int i = 0; i < images->nimage; ++i) {
        const XcursorImage* im = images->images[i];
        out.images.push_back(
            {im->size, im->width, im->height, im->xhot, im->yhot, im->delay,
             std::vector<std::uint32_t>(im->pixels, im->pixels + im->width * im->height)});
    }
    return out;
}

}  // namespace

std::optional<LoadedCursor> loadXcursorFile(const std::filesystem::path& file) {
    XcursorImages* images = XcursorFilenameLoadAllImages(file.c_str());
    if (!images) return std::nullopt;
    LoadedCursor out = copyOf(images);
    XcursorImagesDestroy(images);
    return out;
}

std::optional<LoadedCursor> loadThemeCursor(const std::string& path, const std::string& name,
                                            const std::string& theme, int size) {
    // The library reads its path from the environment each time it looks.
    ::setenv("XCURSOR_PATH", path.c_str(), 1);
    XcursorImages* images = XcursorLibraryLoadImages(name.c_str(), theme.c_str(), size);
    ::unsetenv("XCURSOR_PATH");
    if (!images) return std::nullopt;
    LoadedCursor out = copyOf(images);
    XcursorImagesDestroy(images);
    return out;
}

}  // namespace pellimar::testing
