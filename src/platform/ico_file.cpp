#include "platform/ico_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "platform/byte_reader.h"
#include "platform/byte_source.h"
#include "platform/png_codec.h"

namespace pellimar {

int IconDirEntry::statedBitCount() const {
    if (bitCount != 0 || colorCount == 0) return bitCount;
    int bits = 1;
    while (bits < 8 && (1 << bits) < colorCount) ++bits;
    return bits;
}

IconDirEntry parseCommonEntryFields(const std::uint8_t* p) {
    IconDirEntry e;
    e.width = p[0];
    e.height = p[1];
    e.colorCount = p[2];
    e.reserved = p[3];
    e.planes = loadU16(p + 4);
    e.bitCount = loadU16(p + 6);
    e.bytesInRes = loadU32(p + 8);
    return e;
}

namespace {

IconDirEntry parseEntry(const std::uint8_t* p) {
    IconDirEntry e = parseCommonEntryFields(p);
    e.imageOffset = loadU32(p + 12);
    return e;
}

int chooseImage(int imageNumber, int count) {
    return (imageNumber < 1 || imageNumber > count) ? 0 : imageNumber - 1;
}

std::vector<std::uint8_t> oneImageFile(const std::uint8_t* entry,
                                       std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> out;
    out.reserve(22 + data.size());
    const std::uint8_t header[6] = {0, 0, 1, 0, 1, 0};
    out.insert(out.end(), header, header + 6);
    out.insert(out.end(), entry, entry + 12);
    const std::uint8_t offset[4] = {22, 0, 0, 0};
    out.insert(out.end(), offset, offset + 4);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

class Fd {
  public:
    explicit Fd(const std::filesystem::path& file)
        : fd_(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    std::optional<std::uint64_t> regularSize() const {
        struct stat st {};
        if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
        return std::uint64_t(st.st_size);
    }

  private:
    int fd_;
};

struct ChosenEntry {
    int count;
    std::uint8_t raw[16];
    IconDirEntry entry;
};

std::optional<ChosenEntry> readChosenEntry(const Fd& fd, std::uint64_t fileSize, int imageNumber) {
    if (fileSize < kIcoHeaderSize) return std::nullopt;
    auto header = readRange(fd.get(), 0, kIcoHeaderSize);
    if (!header || !hasIcoHeader(*header)) return std::nullopt;
    ChosenEntry c{};
    c.count = loadU16(header->data() + 4);
    int e = chooseImage(imageNumber, c.count);
    std::uint64_t at = kIcoHeaderSize + std::uint64_t(e) * kIcoEntrySize;
    if (at + kIcoEntrySize > fileSize) return std::nullopt;
    auto raw = readRange(fd.get(), at, kIcoEntrySize);
    if (!raw) return std::nullopt;
    std::copy(raw->begin(), raw->end(), c.raw);
    c.entry = parseEntry(c.raw);
    return c;
}

}  // namespace

bool hasIcoHeader(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= kIcoHeaderSize && loadU16(bytes.data()) == 0 &&
           loadU16(bytes.data() + 2) == 1;
}

std::optional<std::vector<IconDirEntry>> readIcoDirectory(std::span<const std::uint8_t> bytes) {
    if (!hasIcoHeader(bytes)) return std::nullopt;
    std::size_t count = std::min<std::size_t>(loadU16(bytes.data() + 4), kMaxImagesPerIcon);
    if (bytes.size() < kIcoHeaderSize + count * kIcoEntrySize) return std::nullopt;
    std::vector<IconDirEntry> entries;
    entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        entries.push_back(parseEntry(bytes.data() + kIcoHeaderSize + i * kIcoEntrySize));
    return entries;
}

std::optional<std::span<const std::uint8_t>> icoImageData(std::span<const std::uint8_t> bytes,
                                                          const IconDirEntry& entry) {
    if (entry.bytesInRes > kMaxImageBytes) return std::nullopt;
    return ByteReader(bytes).bytes(entry.imageOffset, entry.bytesInRes);
}

std::optional<std::vector<std::uint8_t>> cutIcoImage(std::span<const std::uint8_t> bytes,
                                                     int imageNumber) {
    if (!hasIcoHeader(bytes)) return std::nullopt;
    int count = loadU16(bytes.data() + 4);
    int e = chooseImage(imageNumber, count);
    ByteReader r(bytes);
    auto raw = r.bytes(kIcoHeaderSize + std::uint64_t(e) * kIcoEntrySize, kIcoEntrySize);
    if (!raw) return std::nullopt;
    auto data = icoImageData(bytes, parseEntry(raw->data()));
    if (!data) return std::nullopt;
    return oneImageFile(raw->data(), *data);
}

std::optional<std::vector<std::uint8_t>> cutIcoImage(const std::filesystem::path& file,
                                                     int imageNumber) {
    Fd fd(file);
    auto size = fd.regularSize();
    if (!size) return std::nullopt;
    auto chosen = readChosenEntry(fd, *size, imageNumber);
    if (!chosen) return std::nullopt;
    const IconDirEntry& e = chosen->entry;
    if (e.bytesInRes > kMaxImageBytes || std::uint64_t(e.imageOffset) + e.bytesInRes > *size)
        return std::nullopt;
    auto data = readRange(fd.get(), e.imageOffset, e.bytesInRes);
    if (!data) return std::nullopt;
    return oneImageFile(chosen->raw, *data);
}

std::optional<IcoImageInfo> readIcoImageInfo(const std::filesystem::path& file, int imageNumber) {
    Fd fd(file);
    auto size = fd.regularSize();
    if (!size) return std::nullopt;
    auto chosen = readChosenEntry(fd, *size, imageNumber);
    if (!chosen) return std::nullopt;
    const IconDirEntry& e = chosen->entry;
    if (std::uint64_t(e.imageOffset) + 40 > *size) return std::nullopt;
    auto header = readRange(fd.get(), e.imageOffset, 40);
    if (!header) return std::nullopt;
    IcoImageInfo info;
    info.imageCount = chosen->count;
    info.width = e.width;
    info.height = e.height;
    info.imageOffset = e.imageOffset;
    info.imageBytes = e.bytesInRes;
    // A PNG image has no bitmap header: its depth is what its IHDR chunk says
    // (bits per sample times samples per pixel).
    if (looksLikePng(*header)) {
        static const int samples[7] = {1, 0, 3, 1, 2, 0, 4};
        int colourType = (*header)[25];
        info.bitCount = (*header)[24] * (colourType < 7 ? samples[colourType] : 0);
    } else {
        info.bitCount = loadU16(header->data() + 14);
    }
    return info;
}

}  // namespace pellimar
