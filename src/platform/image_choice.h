// Choosing the image of an icon for a size: the one place that does it, with the
// two rules the program needs, and the pictures made from the image chosen.
#pragma once

#include <span>

#include "platform/failure.h"
#include "platform/icon.h"
#include "platform/icon_set.h"

namespace pellimar {

class PictureWork;

enum class SizePolicy {
    // As the desktop picks an icon's image for a size: the least sum of the width
    // and height differences, then the depth nearest 32 bits; the first image wins
    // ties. The depth of an image of a program's group is the bit count its entry
    // states (0 counts as 0), of an icon or cursor file's image what its own header
    // says. Drawing and saving at a size use it.
    LikeWindows,
    // The smallest image whose larger side is at least the size, else the largest;
    // of images of one size the deepest, then the first. Pictures for screens of
    // high density, and the pictures handed out, use it.
    SmallestAtLeast,
};

struct ImageFacts {
    int width = 0;
    int height = 0;
    int depth = 0;
};

// What `policy` chooses `image` by: its size, and its depth as that rule reads it
// (SmallestAtLeast: the depth shown for it, StoredImage::depth).
ImageFacts factsOf(const StoredImage& image, SizePolicy policy);

// The index of the image `policy` takes for `size` pixels; -1 when there is none.
int chooseImage(std::span<const ImageFacts> images, int size, SizePolicy policy);

// A loaded image decoded at its own size, or why it cannot be.
Result<Icon> decodeStoredImage(const StoredImage& image);

// The image of `group` that `policy` takes for `size`, decoded at its own size.
// An image without bytes, or one that does not decode, is passed over for the
// next choice; when none decodes, the failure of the first choice. With `work`,
// images are decoded through it (once a run, and within its budget: past that,
// its failure, and no other image is tried).
Result<Icon> chosenImage(const IconGroup& group, int size, SizePolicy policy,
                         PictureWork* work = nullptr);
// The same for group `index` of `set`, loading only the images it tries.
Result<Icon> chosenImage(IconSet& set, ResourceKind kind, int index, int size, SizePolicy policy,
                         PictureWork* work = nullptr);

// Those images brought to `size` x `size` (through `work`: each once a run).
Result<Icon> iconAtSize(const IconGroup& group, int size,
                        SizePolicy policy = SizePolicy::LikeWindows, PictureWork* work = nullptr);
Result<Icon> iconAtSize(IconSet& set, int index, int size,
                        SizePolicy policy = SizePolicy::LikeWindows, PictureWork* work = nullptr);
Result<Icon> iconAtSize(IconSet& set, ResourceKind kind, int index, int size,
                        SizePolicy policy = SizePolicy::LikeWindows, PictureWork* work = nullptr);

}  // namespace pellimar
