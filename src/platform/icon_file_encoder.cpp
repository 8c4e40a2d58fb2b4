#include "platform/icon_file_encoder.h"

#include <optional>

#include "platform/byte_reader.h"

namespace pellimar {

namespace {

ImageToEncode asStored(ResourceKind kind, const StoredImage& image) {
    ImageToEncode out;
    out.entry = image.entry;
    if (kind == ResourceKind::Cursor) {
        out.entry.colorCount = 0;
        out.entry.reserved = 0;
        out.hotspotX = image.hotspotX;
        out.hotspotY = image.hotspotY;
    }
    out.data = image.data;
    return out;
}

}  // namespace

namespace {

// The header and the entries of an icon file whose images follow in order.
Result<std::vector<std::uint8_t>> encodeDirectory(ResourceKind kind,
                                                  std::span<const ImageToEncode> images) {
    if (images.empty()) return failure(Fault::CannotEncode, "no image to write");
    if (images.size() > 0xFFFF)
        return failure(Fault::CannotEncode, "more than 65,535 images for one file");
    const std::uint64_t directorySize = kIcoHeaderSize + images.size() * kIcoEntrySize;
    std::uint64_t total = directorySize;
    for (const ImageToEncode& image : images) total += image.data.size();
    if (total > 0xFFFFFFFFu) return failure(Fault::CannotEncode, "more than 4 GB for one file");

    std::vector<std::uint8_t> out(static_cast<std::size_t>(directorySize));
    std::uint64_t dataAt = directorySize;
    storeU16(out.data() + 2, kind == ResourceKind::Icon ? 1 : 2);
    storeU16(out.data() + 4, std::uint32_t(images.size()));
    std::uint8_t* entry = out.data() + kIcoHeaderSize;
    std::size_t at = kIcoHeaderSize;
    for (const ImageToEncode& image : images) {
        entry = out.data() + at;
        const IconDirEntry& e = image.entry;
        entry[0] = e.width;
        entry[1] = e.height;
        entry[2] = e.colorCount;
        entry[3] = e.reserved;
        if (kind == ResourceKind::Cursor) {
            storeU16(entry + 4, image.hotspotX);
            storeU16(entry + 6, image.hotspotY);
        } else {
            storeU16(entry + 4, e.planes);
            storeU16(entry + 6, e.bitCount);
        }
        storeU32(entry + 8, std::uint32_t(image.data.size()));
        storeU32(entry + 12, std::uint32_t(dataAt));
        dataAt += image.data.size();
        at += kIcoEntrySize;
    }
    return out;
}

Result<std::vector<ImageToEncode>> storedImages(const IconGroup& group) {
    std::vector<ImageToEncode> images;
    images.reserve(group.images.size());
    std::optional<Failure> first;
    for (std::size_t i = 0; i < group.images.size(); ++i) {
        const StoredImage& image = group.images[i];
        if (image.loaded()) {
            images.push_back(asStored(group.identity.kind, image));
        } else if (!first) {
            first = (image.failure ? *image.failure
                                   : failure(Fault::NoImage, "its bytes were not read"))
                        .within("image " + std::to_string(i));
        }
    }
    if (images.empty()) {
        if (group.failure) return *group.failure;
        if (first) return *first;
        return failure(Fault::NoImage);
    }
    return images;
}

}  // namespace

Result<std::vector<std::uint8_t>> encodeIconFile(ResourceKind kind,
                                                 std::span<const ImageToEncode> images) {
    auto out = encodeDirectory(kind, images);
    if (!out) return out;
    std::size_t total = out->size();
    for (const ImageToEncode& image : images) total += image.data.size();
    out->reserve(total);
    for (const ImageToEncode& image : images)
        out->insert(out->end(), image.data.begin(), image.data.end());
    return out;
}

Result<IconFilePieces> encodeStoredGroupInPieces(const IconGroup& group) {
    auto images = storedImages(group);
    if (!images) return images.failure();
    auto directory = encodeDirectory(group.identity.kind, *images);
    if (!directory) return directory.failure();
    IconFilePieces file;
    file.directory = std::move(*directory);
    file.pieces.push_back(file.directory);
    file.size = file.directory.size();
    for (const ImageToEncode& image : *images) {
        file.pieces.push_back(image.data);
        file.size += image.data.size();
    }
    return file;
}

Result<std::vector<std::uint8_t>> encodeStoredGroup(const IconGroup& group) {
    auto images = storedImages(group);
    if (!images) return images.failure();
    return encodeIconFile(group.identity.kind, *images);
}

Result<std::vector<std::uint8_t>> encodeStoredImage(ResourceKind kind, const StoredImage& image) {
    if (!image.loaded()) {
        if (image.failure) return *image.failure;
        return failure(Fault::NoImage, "its bytes were not read");
    }
    const ImageToEncode one = asStored(kind, image);
    return encodeIconFile(kind, std::span(&one, 1));
}

}  // namespace pellimar
