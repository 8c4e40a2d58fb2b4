#include "platform/xcursor_file.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "platform/byte_reader.h"
#include "platform/caps.h"
#include "platform/icon_png.h"
#include "platform/image_choice.h"

namespace pellimar {

namespace {

constexpr std::uint32_t kFileHeaderLength = 16;
constexpr std::uint32_t kTocEntryLength = 12;
constexpr std::uint32_t kImageHeaderLength = 36;
constexpr std::uint32_t kFileVersion = 0x10000;
constexpr std::uint32_t kImageVersion = 1;

// The pixels decoded for one X cursor file, of every image of every frame
// looked at: the twin in work of kMaxXcursorBytes.
constexpr std::uint64_t kMaxDecodedPixels = kMaxXcursorBytes / 4;

Failure bytesCap() {
    return capReached(Cap::CursorBytes,
                      std::to_string(kMaxXcursorBytes >> 20) + " MB of one X cursor file");
}

Failure pixelsCap() {
    return capReached(Cap::CursorBytes, std::to_string(kMaxXcursorBytes >> 20) +
                                            " MB of pictures decoded for one X cursor file");
}

std::uint32_t premultiplied(std::uint32_t argb) {
    const std::uint32_t a = argb >> 24;
    if (a == 0xFF) return argb;
    if (a == 0) return 0;
    auto scaled = [a](std::uint32_t c) { return (c * a + 127) / 255; };
    return a << 24 | scaled((argb >> 16) & 0xFF) << 16 | scaled((argb >> 8) & 0xFF) << 8 |
           scaled(argb & 0xFF);
}

// One entry of the table: an image, shown for `delay` ms.
struct Entry {
    const XcursorImage* image;
    std::uint32_t delay;
};

std::optional<Failure> badImage(const XcursorImage& image) {
    if (image.width < 1 || image.height < 1 || image.width > std::uint32_t(kMaxXcursorSide) ||
        image.height > std::uint32_t(kMaxXcursorSide))
        return failure(Fault::CannotEncode, "an X cursor image of " + std::to_string(image.width) +
                                                " x " + std::to_string(image.height) + " pixels");
    if (image.pixels.size() != std::size_t(image.width) * image.height)
        return failure(Fault::CannotEncode, "pixels that do not fill the image");
    if (image.xhot >= image.width || image.yhot >= image.height)
        return failure(Fault::CannotEncode, "a hotspot outside the image");
    return std::nullopt;
}

// The file: entries that name the same image with the same delay share a chunk.
Result<std::vector<std::uint8_t>> encode(std::span<const Entry> entries) {
    if (entries.empty()) return failure(Fault::CannotEncode, "an X cursor of no image");
    std::map<std::pair<const XcursorImage*, std::uint32_t>, std::size_t> chunkOf;
    std::vector<std::size_t> chunkOfEntry(entries.size());
    std::vector<Entry> chunks;
    std::uint64_t size = kFileHeaderLength + std::uint64_t(entries.size()) * kTocEntryLength;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (auto bad = badImage(*entries[i].image)) return *bad;
        auto [it, fresh] = chunkOf.try_emplace({entries[i].image, entries[i].delay}, chunks.size());
        if (fresh) {
            chunks.push_back(entries[i]);
            size += kImageHeaderLength + std::uint64_t(entries[i].image->pixels.size()) * 4;
        }
        chunkOfEntry[i] = it->second;
        if (size > kMaxXcursorBytes) return bytesCap();
    }
    std::vector<std::uint8_t> out(std::size_t(size), 0);
    std::uint8_t* p = out.data();
    storeU32(p, kXcursorMagic);
    storeU32(p + 4, kFileHeaderLength);
    storeU32(p + 8, kFileVersion);
    storeU32(p + 12, std::uint32_t(entries.size()));
    std::vector<std::uint32_t> position(chunks.size());
    std::uint64_t at = kFileHeaderLength + std::uint64_t(entries.size()) * kTocEntryLength;
    for (std::size_t c = 0; c < chunks.size(); ++c) {
        const XcursorImage& image = *chunks[c].image;
        position[c] = std::uint32_t(at);
        std::uint8_t* h = p + at;
        storeU32(h, kImageHeaderLength);
        storeU32(h + 4, kXcursorImageType);
        storeU32(h + 8, image.nominalSize);
        storeU32(h + 12, kImageVersion);
        storeU32(h + 16, image.width);
        storeU32(h + 20, image.height);
        storeU32(h + 24, image.xhot);
        storeU32(h + 28, image.yhot);
        storeU32(h + 32, chunks[c].delay);
        std::uint8_t* pixels = h + kImageHeaderLength;
        for (std::size_t k = 0; k < image.pixels.size(); ++k)
            storeU32(pixels + 4 * k, image.pixels[k]);
        at += kImageHeaderLength + std::uint64_t(image.pixels.size()) * 4;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::uint8_t* t = p + kFileHeaderLength + i * kTocEntryLength;
        storeU32(t, kXcursorImageType);
        storeU32(t + 4, entries[i].image->nominalSize);
        storeU32(t + 8, position[chunkOfEntry[i]]);
    }
    return out;
}

// A picture of one size of a frame, with alpha, and its hotspot.
struct Picture {
    Icon icon;
    int xhot = 0, yhot = 0;
    bool shrunk = false;
};
using Pictures = std::map<int, Picture>;  // by nominal size

// The picture with alpha an X cursor shows of `icon`: see xcursorImageOf.
Icon withAlpha(Icon icon, int& inverted) {
    inverted = 0;
    if (icon.hasAlpha) return icon;
    const std::size_t count = std::size_t(std::max(icon.width, 0)) * std::max(icon.height, 0);
    icon.color.resize(count, 0);
    icon.mask.resize(count, 0);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t colour = icon.color[i] & 0xFFFFFF;
        if (icon.mask[i] == 0) {
            icon.color[i] = colour | 0xFF000000u;
        } else if (colour == 0) {
            icon.color[i] = 0;
        } else {
            icon.color[i] = 0xFF000000u;
            ++inverted;
        }
    }
    icon.hasAlpha = true;
    return icon;
}

// The picture of every nominal size `group` holds: of several images of one
// size, the deepest that decodes (the first of equal depth). What cannot be
// used is noted, said of `label`.
Result<Pictures> picturesOf(const IconGroup& group, const std::string& label,
                            std::vector<Failure>& notes, std::uint64_t& pixelsLeft) {
    Pictures out;
    std::map<int, int> depthOf;  // of the picture taken for each size
    for (std::size_t i = 0; i < group.images.size(); ++i) {
        const StoredImage& image = group.images[i];
        const std::string name = label + ": image " + std::to_string(i);
        Result<Icon> icon = decodeStoredImage(image);
        if (!icon) {
            notes.push_back(icon.failure().within(name));
            continue;
        }
        const std::uint64_t pixels = std::uint64_t(icon->width) * std::uint64_t(icon->height);
        if (pixels > pixelsLeft) return pixelsCap();
        pixelsLeft -= pixels;
        const int nominal = std::max(icon->width, icon->height);
        if (auto taken = depthOf.find(nominal);
            taken != depthOf.end() && taken->second >= image.depth)
            continue;
        Picture picture;
        if (group.identity.kind == ResourceKind::Cursor) {
            picture.xhot = image.hotspotX;
            picture.yhot = image.hotspotY;
        } else {
            picture.xhot = icon->width / 2;
            picture.yhot = icon->height / 2;
        }
        if (picture.xhot >= icon->width || picture.yhot >= icon->height) {
            const int x = std::min(picture.xhot, icon->width - 1),
                      y = std::min(picture.yhot, icon->height - 1);
            notes.push_back(
                failure(Fault::NotChosen, name + ": its hotspot (" + std::to_string(picture.xhot) +
                                              ", " + std::to_string(picture.yhot) +
                                              ") lies outside it and is moved to (" +
                                              std::to_string(x) + ", " + std::to_string(y) + ")"));
            picture.xhot = x;
            picture.yhot = y;
        }
        int inverted = 0;
        picture.icon = withAlpha(std::move(*icon), inverted);
        if (inverted > 0)
            notes.push_back(failure(Fault::NotChosen,
                                    name + ": " + std::to_string(inverted) +
                                        " pixels that invert what is under them are drawn black "
                                        "(an X cursor cannot invert)"));
        depthOf[nominal] = image.depth;
        out[nominal] = std::move(picture);
    }
    return out;
}

// Adds the sizes `options` asks for that `pictures` lacks, each shrunk smoothly
// from the smallest larger picture the source holds; never enlarged.
void addShrunk(Pictures& pictures, const XcursorOptions& options) {
    std::vector<int> sizes = options.shrinkTo;
    std::sort(sizes.begin(), sizes.end());
    sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
    std::vector<std::pair<int, Picture>> made;
    for (int size : sizes) {
        if (size < 1 || pictures.count(size)) continue;
        const auto larger = pictures.upper_bound(size);
        if (larger == pictures.end()) continue;
        const Picture& from = larger->second;
        Picture picture;
        picture.icon = pictureWithin(from.icon, size);
        if (picture.icon.empty()) continue;
        const int w = from.icon.width, h = from.icon.height;
        picture.xhot = std::min(picture.icon.width - 1, from.xhot * picture.icon.width / w);
        picture.yhot = std::min(picture.icon.height - 1, from.yhot * picture.icon.height / h);
        picture.shrunk = true;
        made.emplace_back(size, std::move(picture));
    }
    for (auto& [size, picture] : made) pictures.emplace(size, std::move(picture));
}

XcursorImage imageOf(const Picture& picture, int nominal) {
    XcursorImage image = xcursorImageOf(picture.icon, picture.xhot, picture.yhot);
    image.nominalSize = std::uint32_t(nominal);
    return image;
}

}  // namespace

XcursorImage xcursorImageOf(const Icon& icon, int xhot, int yhot, int* inverted) {
    int count = 0;
    const Icon straight = withAlpha(icon, count);
    if (inverted) *inverted = count;
    XcursorImage image;
    image.width = std::uint32_t(std::max(straight.width, 0));
    image.height = std::uint32_t(std::max(straight.height, 0));
    image.nominalSize = std::max(image.width, image.height);
    image.xhot = std::uint32_t(std::max(xhot, 0));
    image.yhot = std::uint32_t(std::max(yhot, 0));
    image.pixels.resize(std::size_t(image.width) * image.height);
    for (std::size_t i = 0; i < image.pixels.size() && i < straight.color.size(); ++i)
        image.pixels[i] = premultiplied(straight.color[i]);
    return image;
}

Result<std::vector<std::uint8_t>> encodeXcursorImages(std::span<const XcursorImage> images) {
    std::vector<Entry> entries;
    entries.reserve(images.size());
    for (const XcursorImage& image : images) entries.push_back({&image, image.delay});
    return encode(entries);
}

Result<XcursorFile> xcursorFromGroup(const IconGroup& group, const XcursorOptions& options) {
    if (group.failure) return *group.failure;
    XcursorFile file;
    const std::string label = group.identity.kind == ResourceKind::Cursor ? "cursor" : "icon";
    std::uint64_t pixelsLeft = kMaxDecodedPixels;
    auto read = picturesOf(group, label, file.notes, pixelsLeft);
    if (!read) return read.failure();
    Pictures& pictures = *read;
    if (pictures.empty()) {
        if (!file.notes.empty()) return file.notes.front();
        return failure(Fault::NoImage);
    }
    addShrunk(pictures, options);
    std::vector<XcursorImage> pool;
    pool.reserve(pictures.size());
    for (const auto& [size, picture] : pictures) {
        pool.push_back(imageOf(picture, size));
        file.sizes.push_back(size);
        if (picture.shrunk) file.shrunkSizes.push_back(size);
    }
    auto bytes = encodeXcursorImages(pool);
    if (!bytes) return bytes.failure();
    file.bytes = std::move(*bytes);
    file.images = int(pool.size());
    return file;
}

Result<XcursorFile> xcursorFromAnimation(const Animation& animation,
                                         const XcursorOptions& options) {
    if (animation.failure) return animation.failure->within(animation.label());
    if (animation.steps.empty())
        return failure(Fault::NoImage, "the animation has no steps").within(animation.label());
    XcursorFile file;
    // The pictures of each frame the steps show, made once however many show it.
    std::map<int, Pictures> frames;
    std::uint64_t pixelsLeft = kMaxDecodedPixels;
    for (const AnimationStep& step : animation.steps) {
        if (frames.count(step.frame)) continue;
        const std::string label = animation.label() + ": frame " + std::to_string(step.frame);
        const IconGroup& frame = animation.frames.at(std::size_t(step.frame));
        if (frame.failure) return frame.failure->within(label);
        auto read = picturesOf(frame, label, file.notes, pixelsLeft);
        if (!read) return read.failure().within(animation.label());
        Pictures& pictures = *read;
        if (pictures.empty())
            return (file.notes.empty() ? failure(Fault::NoImage) : file.notes.front())
                .within(label);
        addShrunk(pictures, options);
        frames.emplace(step.frame, std::move(pictures));
    }
    // The sizes every frame holds; the others are told.
    std::map<int, std::size_t> holders;  // size -> frames that hold it
    for (const auto& [index, pictures] : frames)
        for (const auto& entry : pictures) ++holders[entry.first];
    std::vector<int> sizes;
    for (const auto& [size, count] : holders) {
        if (count == frames.size()) {
            sizes.push_back(size);
            continue;
        }
        for (const auto& [index, pictures] : frames)
            if (!pictures.count(size)) {
                file.notes.push_back(failure(Fault::NotChosen, "size " + std::to_string(size) +
                                                                   " is left out: frame " +
                                                                   std::to_string(index) +
                                                                   " has no image of it")
                                         .within(animation.label()));
                break;
            }
    }
    if (sizes.empty())
        return failure(Fault::NoImage, "no size is held by every frame").within(animation.label());

    // The bytes the file would take, before any image of it is made.
    std::uint64_t size = 0;
    for (int nominal : sizes)
        for (const auto& [index, pictures] : frames) {
            const Icon& icon = pictures.at(nominal).icon;
            size += 36 + std::uint64_t(icon.width) * std::uint64_t(icon.height) * 4;
        }
    if (size > kMaxXcursorBytes) return bytesCap().within(animation.label());

    std::map<std::pair<int, int>, XcursorImage> pool;  // by frame and size
    for (const auto& [index, pictures] : frames)
        for (int nominal : sizes)
            pool.emplace(std::pair(index, nominal), imageOf(pictures.at(nominal), nominal));
    std::vector<Entry> entries;
    entries.reserve(sizes.size() * animation.steps.size());
    for (int nominal : sizes) {
        bool shrunk = false;
        for (const AnimationStep& step : animation.steps) {
            entries.push_back({&pool.at({step.frame, nominal}), step.milliseconds()});
            shrunk = shrunk || frames.at(step.frame).at(nominal).shrunk;
        }
        file.sizes.push_back(nominal);
        if (shrunk) file.shrunkSizes.push_back(nominal);
    }
    auto bytes = encode(entries);
    if (!bytes) return bytes.failure().within(animation.label());
    file.bytes = std::move(*bytes);
    file.images = int(entries.size());
    return file;
}

}  // namespace pellimar
