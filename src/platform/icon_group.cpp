#include "platform/icon_group.h"

namespace pellimar {

namespace {

void put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    out[at] = std::uint8_t(v);
    out[at + 1] = std::uint8_t(v >> 8);
}
void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    put16(out, at, v & 0xFFFF);
    put16(out, at + 2, v >> 16);
}

}  // namespace

std::vector<StoredImage> storedImages(const IconResources& resources, int index) {
    std::vector<StoredImage> images;
    for (const IconDirEntry& e : resources.images(index)) {
        StoredImage image;
        image.entry = e;
        if (auto data = resources.imageData(e)) {
            image.data.assign(data->begin(), data->end());
            image.readable = true;
        }
        images.push_back(std::move(image));
    }
    return images;
}

std::vector<std::uint8_t> encodeIcoFile(std::span<const StoredImage> images) {
    std::vector<StoredImageView> views;
    views.reserve(images.size());
    for (const StoredImage& image : images)
        if (image.readable) views.push_back({image.entry, image.data});
    return encodeIcoFile(views);
}

std::vector<std::uint8_t> encodeIcoFile(std::span<const StoredImageView> images) {
    const std::size_t count = images.size();
    std::size_t dataSize = 0;
    for (const StoredImageView& image : images) dataSize += image.data.size();
    if (count == 0 || count > 0xFFFF) return {};
    const std::size_t directorySize = kIcoHeaderSize + count * kIcoEntrySize;
    if (directorySize + dataSize > 0xFFFFFFFFu) return {};
    std::vector<std::uint8_t> out;
    out.reserve(directorySize + dataSize);
    out.resize(directorySize);
    put16(out, 2, 1);
    put16(out, 4, std::uint32_t(count));
    std::size_t entryAt = kIcoHeaderSize;
    for (const StoredImageView& image : images) {
        const IconDirEntry& e = image.entry;
        out[entryAt] = e.width;
        out[entryAt + 1] = e.height;
        out[entryAt + 2] = e.colorCount;
        out[entryAt + 3] = e.reserved;
        put16(out, entryAt + 4, e.planes);
        put16(out, entryAt + 6, e.bitCount);
        put32(out, entryAt + 8, std::uint32_t(image.data.size()));
        put32(out, entryAt + 12, std::uint32_t(out.size()));
        out.insert(out.end(), image.data.begin(), image.data.end());
        entryAt += kIcoEntrySize;
    }
    return out;
}

}  // namespace pellimar
