#include "platform/picture_work.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "platform/byte_reader.h"
#include "platform/icon_decode.h"
#include "platform/png_codec.h"

namespace pellimar {

namespace {

std::uint64_t pixelsOf(const Result<Icon>& picture) {
    return picture ? std::uint64_t(picture->width) * std::uint64_t(picture->height) : 0;
}

// The pixels an image's own header states (within the caps on a side), for an
// image that did not decode: the decoder may have worked through most of them.
std::uint64_t statedPixels(const StoredImage& image) {
    std::uint64_t width = std::uint64_t(image.width()), height = std::uint64_t(image.height());
    if (const auto png = pngStatedSize(image.data)) {
        width = png->width, height = png->height;
    } else if (image.data.size() >= 12 && loadU32(image.data.data()) >= 40) {
        width =
            std::uint64_t(std::llabs(std::int64_t(std::int32_t(loadU32(image.data.data() + 4)))));
        height =
            std::uint64_t(std::llabs(std::int64_t(std::int32_t(loadU32(image.data.data() + 8))))) /
            2;
    }
    const std::uint64_t side = std::uint64_t(kMaxDibDimension);
    return std::min(width, side) * std::min(height, side);
}

std::string millions(std::uint64_t pixels) {
    return std::to_string(pixels / 1000000) + " million";
}

}  // namespace

PictureWork::PictureWork(std::uint64_t budget, std::string budgetName)
    : budget_(budget), budgetName_(std::move(budgetName)) {}

Failure PictureWork::budgetFailure() const {
    return capReached(Cap::PixelsPerInput,
                      millions(budget_) + " pixels decoded and made " + budgetName_);
}

void PictureWork::keep(const Key& key, const std::shared_ptr<const Result<Icon>>& picture) {
    const std::uint64_t bytes = pixelsOf(*picture) * 5;  // colour and mask
    if (keptBytes_ + bytes > kMaxKeptPictureBytes) {
        kept_.clear();
        keptBytes_ = 0;
    }
    if (bytes > kMaxKeptPictureBytes) return;
    kept_[key] = picture;
    keptBytes_ += bytes;
}

Result<Icon> PictureWork::decoded(const StoredImage& image) {
    if (spent()) return budgetFailure();
    const Key key{image.offset, image.length, 0};
    if (auto it = kept_.find(key); it != kept_.end()) {
        counted_ += pixelsOf(*it->second);
        return *it->second;
    }
    auto picture = std::make_shared<const Result<Icon>>(
        image.failure     ? Result<Icon>(*image.failure)
        : !image.loaded() ? Result<Icon>(failure(Fault::NoImage, "its bytes were not read"))
                          : decodeIconImage(image.data));
    // Decoded, and handed out; or as far as the decoder may have gone.
    counted_ += *picture ? 2 * pixelsOf(*picture) : image.loaded() ? statedPixels(image) : 0;
    // An image without its bytes may have them when next asked for.
    if (image.loaded()) keep(key, picture);
    return *picture;
}

Result<Icon> PictureWork::atSize(const StoredImage& image, int size) {
    if (spent()) return budgetFailure();
    const Key key{image.offset, image.length, size};
    if (auto it = kept_.find(key); it != kept_.end()) {
        counted_ += pixelsOf(*it->second);
        return *it->second;
    }
    Result<Icon> source = decoded(image);
    if (!source || (source->width == size && source->height == size)) return source;
    Icon out = resizeIcon(*source, size, size);
    if (out.empty())
        return capReached(Cap::PictureSide,
                          "pictures of " + std::to_string(kMaxPngDimension) + " pixels a side");
    auto picture = std::make_shared<const Result<Icon>>(std::move(out));
    // The source read again, and the picture made and handed out.
    counted_ += pixelsOf(source) + 2 * pixelsOf(*picture);
    keep(key, picture);
    return *picture;
}

}  // namespace pellimar
