#include "platform/image_choice.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/caps.h"
#include "platform/icon_decode.h"
#include "platform/picture_work.h"

namespace pellimar {

namespace {

// The most a picture is asked for: what the drawing and saving sizes allow.
constexpr int kMaxAskedSize = 1024;

// Is `a` a better choice than `b` (both facts) for `size`?
bool better(const ImageFacts& a, const ImageFacts& b, int size, SizePolicy policy) {
    if (policy == SizePolicy::LikeWindows) {
        const int da = std::abs(a.width - size) + std::abs(a.height - size);
        const int db = std::abs(b.width - size) + std::abs(b.height - size);
        if (da != db) return da < db;
        return std::abs(a.depth - 32) < std::abs(b.depth - 32);
    }
    const int sa = std::max(a.width, a.height), sb = std::max(b.width, b.height);
    if (sa != sb) {
        // A large enough image beats a smaller one; of two large enough, the smaller.
        if (sa >= size && sb >= size) return sa < sb;
        if (sa >= size || sb >= size) return sa >= size;
        return sa > sb;
    }
    return a.depth > b.depth;
}

template <typename Decode>
Result<Icon> firstThatDecodes(std::span<const ImageFacts> facts, int size, SizePolicy policy,
                              Decode&& decode) {
    std::vector<bool> tried(facts.size(), false);
    std::optional<Failure> first;
    for (std::size_t attempt = 0; attempt < facts.size(); ++attempt) {
        int best = -1;
        for (std::size_t i = 0; i < facts.size(); ++i) {
            if (tried[i]) continue;
            if (best < 0 || better(facts[i], facts[std::size_t(best)], size, policy)) best = int(i);
        }
        if (best < 0) break;
        tried[std::size_t(best)] = true;
        Result<Icon> icon = decode(best);
        if (icon) return icon;
        // Past the budget of work no other image is tried.
        if (icon.failure().cap == Cap::PixelsPerInput) return icon.failure();
        if (!first) first = icon.failure().within("image " + std::to_string(best));
    }
    if (first) return *first;
    return failure(Fault::NoImage);
}

std::vector<ImageFacts> factsOfGroup(const IconGroup& group, SizePolicy policy) {
    std::vector<ImageFacts> facts;
    facts.reserve(group.images.size());
    for (const StoredImage& image : group.images) facts.push_back(factsOf(image, policy));
    return facts;
}

Result<Icon> resized(Result<Icon> icon, int size) {
    if (!icon || (icon->width == size && icon->height == size)) return icon;
    Icon out = resizeIcon(*icon, size, size);
    if (out.empty())
        return capReached(Cap::PictureSide,
                          "pictures of " + std::to_string(kMaxPngDimension) + " pixels a side");
    return out;
}

Failure groupFailure(const IconGroup& group) {
    if (group.failure) return *group.failure;
    return failure(Fault::NoImage);
}

}  // namespace

ImageFacts factsOf(const StoredImage& image, SizePolicy policy) {
    const bool asStated = policy == SizePolicy::LikeWindows && image.inResourceGroup;
    return {image.width(), image.height(), asStated ? int(image.entry.bitCount) : image.depth};
}

int chooseImage(std::span<const ImageFacts> images, int size, SizePolicy policy) {
    int best = -1;
    for (std::size_t i = 0; i < images.size(); ++i)
        if (best < 0 || better(images[i], images[std::size_t(best)], size, policy)) best = int(i);
    return best;
}

Result<Icon> decodeStoredImage(const StoredImage& image) {
    if (image.failure) return *image.failure;
    if (!image.loaded()) return failure(Fault::NoImage, "its bytes were not read");
    return decodeIconImage(image.data);
}

namespace {

// Image `i` decoded, through `work` when there is one; brought to `size` too
// when `size` is above 0 (else at its own size).
Result<Icon> pictureOf(const StoredImage& image, PictureWork* work, int size) {
    if (work) return size > 0 ? work->atSize(image, size) : work->decoded(image);
    return size > 0 ? resized(decodeStoredImage(image), size) : decodeStoredImage(image);
}

Result<Icon> chosen(const IconGroup& group, int size, SizePolicy policy, PictureWork* work,
                    int makeSize) {
    if (group.images.empty()) return groupFailure(group);
    const std::vector<ImageFacts> facts = factsOfGroup(group, policy);
    return firstThatDecodes(facts, size, policy, [&](int i) {
        return pictureOf(group.images[std::size_t(i)], work, makeSize);
    });
}

Result<Icon> chosen(IconSet& set, ResourceKind kind, int index, int size, SizePolicy policy,
                    PictureWork* work, int makeSize) {
    const auto& groups = set.groups(kind);
    if (index < 0 || std::size_t(index) >= groups.size())
        return failure(Fault::NoSuchIcon,
                       (kind == ResourceKind::Icon ? "icon " : "cursor ") + std::to_string(index));
    const IconGroup& group = groups[std::size_t(index)];
    if (group.images.empty()) return groupFailure(group);
    const std::vector<ImageFacts> facts = factsOfGroup(group, policy);
    return firstThatDecodes(facts, size, policy, [&](int i) {
        return pictureOf(set.load(kind, index, i).images[std::size_t(i)], work, makeSize);
    });
}

Failure badSize(int size) {
    return failure(Fault::BadValue, "size " + std::to_string(size));
}

}  // namespace

Result<Icon> chosenImage(const IconGroup& group, int size, SizePolicy policy, PictureWork* work) {
    return chosen(group, size, policy, work, 0);
}

Result<Icon> chosenImage(IconSet& set, ResourceKind kind, int index, int size, SizePolicy policy,
                         PictureWork* work) {
    return chosen(set, kind, index, size, policy, work, 0);
}

Result<Icon> iconAtSize(const IconGroup& group, int size, SizePolicy policy, PictureWork* work) {
    if (size < 1 || size > kMaxAskedSize) return badSize(size);
    return chosen(group, size, policy, work, size);
}

Result<Icon> iconAtSize(IconSet& set, int index, int size, SizePolicy policy, PictureWork* work) {
    return iconAtSize(set, ResourceKind::Icon, index, size, policy, work);
}

Result<Icon> iconAtSize(IconSet& set, ResourceKind kind, int index, int size, SizePolicy policy,
                        PictureWork* work) {
    if (size < 1 || size > kMaxAskedSize) return badSize(size);
    return chosen(set, kind, index, size, policy, work, size);
}

}  // namespace pellimar
