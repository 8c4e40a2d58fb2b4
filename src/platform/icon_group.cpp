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

std::vector<StoredImage> storedImages(const IconResources& resources, int index,
                                      std::uint64_t budget) {
    std::vector<StoredImage> images;
    std::uint64_t total = 0;
    for (const IconDirEntry& e : resources.images(index)) {
        StoredImage image;
        image.entry = e;
        // The size is known before anything is read.
        const auto extent = resources.imageExtent(e);
        if (extent && extent->length <= budget - total) {
            if (auto data = resources.imageData(e)) {
                total += data->size();
                image.data = std::move(*data);
                image.readable = true;
            }
        }
        images.push_back(std::move(image));
    }
    return images;
}

std::vector<std::uint8_t> encodeIcoFile(std::span<const StoredImage> images) {
    std::size_t count = 0;
    std::size_t dataSize = 0;
    for (const StoredImage& image : images) {
        if (!image.readable) continue;
        ++count;
        dataSize += image.data.size();
    }
    if (count == 0 || count > 0xFFFF) return {};
    const std::size_t directorySize = kIcoHeaderSize + count * kIcoEntrySize;
    if (directorySize + dataSize > 0xFFFFFFFFu) return {};
    std::vector<std::uint8_t> out;
    out.reserve(directorySize + dataSize);
    out.resize(directorySize);
    put16(out, 2, 1);
    put16(out, 4, std::uint32_t(count));
    std::size_t entryAt = kIcoHeaderSize;
    for (const StoredImage& image : images) {
        if (!image.readable) continue;
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
