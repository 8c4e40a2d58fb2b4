// X cursor files, the format the X cursor library reads (and with it the
// desktops' cursor themes): a header ("Xcur", its length, the version, the
// number of entries), a table of contents (type, nominal size, position of each
// chunk), then one image chunk for each size of each step: its nominal size,
// width, height, hotspot, delay in milliseconds and pixels in premultiplied
// ARGB. The images of one nominal size, in their order, are one animation.
//
// A static cursor group gives one image for each size it holds, an animation
// one for each size and step. Sizes are never made up: the only images made
// that the source does not hold are those of the common sizes a theme asks
// for, shrunk smoothly from a larger image of the same frame (never enlarged).
// The bytes depend on the input alone.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/animation.h"
#include "platform/failure.h"
#include "platform/icon.h"
#include "platform/icon_set.h"

namespace pellimar {

inline constexpr std::uint32_t kXcursorMagic = 0x72756358;  // "Xcur"
inline constexpr std::uint32_t kXcursorImageType = 0xFFFD0002;
// The largest side the X cursor library takes.
inline constexpr int kMaxXcursorSide = 0x7FFF;

// One image of an X cursor file, as it is stored.
struct XcursorImage {
    std::uint32_t nominalSize = 0;
    std::uint32_t width = 0, height = 0;
    std::uint32_t xhot = 0, yhot = 0;   // within the image
    std::uint32_t delay = 0;            // milliseconds; 0 for a cursor that does not move
    std::vector<std::uint32_t> pixels;  // width * height, top row first, premultiplied ARGB
};

// The file of those images, in their order, each stored whole (the cursors made
// below store a frame shown by several steps of one delay once, and name it
// from each entry). Why not when there is no image, one's pixels do not match
// its size, its side is past kMaxXcursorSide or its hotspot outside it, or the
// file would be more than kMaxXcursorBytes.
Result<std::vector<std::uint8_t>> encodeXcursorImages(std::span<const XcursorImage> images);

// A decoded picture as an X cursor image of nominal size max(width, height).
// Its alpha is premultiplied; a picture without alpha is opaque where its mask
// is 0 and clear where it is 1 over black, and a pixel that would invert what
// is under it (mask 1 over a colour) is drawn opaque black, as no X cursor can
// invert: `inverted`, when given, counts them.
XcursorImage xcursorImageOf(const Icon& icon, int xhot, int yhot, int* inverted = nullptr);

struct XcursorOptions {
    // Sizes made by shrinking larger images smoothly where the source has no
    // image of that size; a theme asks for 24, 32 and 48.
    std::vector<int> shrinkTo;
};

struct XcursorFile {
    std::vector<std::uint8_t> bytes;
    std::vector<int> sizes;        // nominal sizes, smallest first
    std::vector<int> shrunkSizes;  // those of them made by shrinking
    int images = 0;                // entries of the table of contents
    // What was left out or changed, with why: images that do not decode, sizes
    // some frames lack, hotspots brought inside their images, inverting pixels.
    std::vector<Failure> notes;
};

// A cursor group (or icon group: its hotspot is the centre of each image) as an
// X cursor file: for each nominal size it holds, its deepest image that decodes.
// The group's images must be loaded. Why not when no image can be used.
Result<XcursorFile> xcursorFromGroup(const IconGroup& group, const XcursorOptions& options = {});

// An animation as an X cursor file: for each size every frame its steps show
// holds, one image for each step with the step's time as its delay. The frames'
// images must be loaded (IconSet::loadAnimation). Why not when the animation
// cannot be shown or no size is held by all its frames.
Result<XcursorFile> xcursorFromAnimation(const Animation& animation,
                                         const XcursorOptions& options = {});

}  // namespace pellimar
