#include "platform/icon_resources.h"

#include <algorithm>
#include <unordered_set>

#include "platform/byte_reader.h"
#include "platform/extract.h"
#include "platform/icon_decode.h"

namespace pellimar {

namespace {

constexpr std::size_t kGroupHeaderSize = 6;
constexpr std::size_t kGroupEntrySize = 14;
constexpr int kMaxResourceDepth = 3;
constexpr int kMaxIconSize = 1024;
// The loader maps at most this many sections of an image; every RVA lookup walks
// the table, so a longer one would multiply the work of each resource by it.
constexpr std::uint64_t kMaxSections = 96;

// Maps relative virtual addresses of a PE image to file offsets through its sections.
class SectionMap {
  public:
    struct Section {
        std::uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
    };
    std::vector<Section> sections;

    std::optional<std::uint64_t> toOffset(std::uint32_t rva, std::uint64_t length) const {
        for (const Section& s : sections) {
            std::uint64_t extent = std::max(s.virtualSize, s.rawSize);
            if (rva < s.virtualAddress || rva - s.virtualAddress >= extent) continue;
            std::uint64_t delta = rva - s.virtualAddress;
            if (delta + length > s.rawSize) return std::nullopt;
            return std::uint64_t(s.rawOffset) + delta;
        }
        return std::nullopt;
    }
};

// Walks a PE resource tree (type -> name -> language) with every offset checked,
// each directory visited at most once and at most three levels deep.
class ResourceTree {
  public:
    ResourceTree(const ByteReader& r, const SectionMap& map, std::uint64_t root)
        : r_(r), map_(map), root_(root) {}

    struct Entry {
        std::uint32_t name;    // high bit: string name
        std::uint32_t target;  // high bit: sub-directory
        bool isDirectory() const { return (target & 0x80000000u) != 0; }
        bool isNamed() const { return (name & 0x80000000u) != 0; }
        std::uint32_t targetOffset() const { return target & 0x7FFFFFFFu; }
    };

    // The entries of the directory at `offset` (from the resource root), named ones
    // first, as stored; nothing when it was already visited, is too deep or cut off.
    std::optional<std::vector<Entry>> directory(std::uint32_t offset, int depth) {
        if (depth >= kMaxResourceDepth) return std::nullopt;
        if (!visited_.insert(offset).second) return std::nullopt;
        std::uint64_t at = root_ + offset;
        auto named = r_.u16(at + 12), numbered = r_.u16(at + 14);
        if (!named || !numbered) return std::nullopt;
        std::uint64_t count = std::uint64_t(*named) + *numbered;
        // Only the entries that lie inside the file count.
        if (!r_.has(at + 16, 0)) return std::nullopt;
        count = std::min<std::uint64_t>(count, (r_.size() - (at + 16)) / 8);
        std::vector<Entry> entries;
        entries.reserve(std::size_t(count));
        for (std::uint64_t i = 0; i < count; ++i)
            entries.push_back({*r_.u32(at + 16 + i * 8), *r_.u32(at + 20 + i * 8)});
        return entries;
    }

    // The sub-directory an entry of numeric id `id` names in `entries`.
    std::optional<std::uint32_t> findNumbered(const std::vector<Entry>& entries,
                                              std::uint16_t id) const {
        for (const Entry& e : entries)
            if (!e.isNamed() && e.name == id && e.isDirectory()) return e.targetOffset();
        return std::nullopt;
    }

    // The data an entry leads to: a data entry directly, or through the first entry
    // of the language directory below it.
    std::optional<std::span<const std::uint8_t>> dataOf(const Entry& entry, int depth) {
        std::uint32_t target = entry.targetOffset();
        if (entry.isDirectory()) {
            auto languages = directory(target, depth);
            if (!languages || languages->empty() || (*languages)[0].isDirectory())
                return std::nullopt;
            target = (*languages)[0].targetOffset();
        }
        auto rva = r_.u32(root_ + target), size = r_.u32(root_ + target + 4);
        if (!rva || !size || *size > kMaxImageBytes) return std::nullopt;
        auto offset = map_.toOffset(*rva, *size);
        if (!offset) return std::nullopt;
        return r_.bytes(*offset, *size);
    }

  private:
    const ByteReader& r_;
    const SectionMap& map_;
    std::uint64_t root_;
    std::unordered_set<std::uint32_t> visited_;
};

}  // namespace

IconResources::IconResources(std::span<const std::uint8_t> bytes) : bytes_(bytes) {
    ByteReader r(bytes);
    if (r.u16(0) == 0x5A4D) {  // "MZ"
        auto header = r.u32(0x3C);
        if (!header) return;
        auto sig = r.u32(*header);
        if (sig == 0x00004550u) {  // "PE\0\0"
            readPe(*header);
        } else if (sig && (*sig & 0xFFFF) == 0x454E) {  // "NE"
            readNe(*header);
        }
        return;
    }
    if (readIcoDirectory(bytes)) {
        container_ = IconContainer::IcoFile;
        groups_.push_back(bytes);
    }
}

void IconResources::readPe(std::uint64_t pe) {
    ByteReader r(bytes_);
    container_ = IconContainer::Pe;
    auto sectionCount = r.u16(pe + 6);
    auto optionalSize = r.u16(pe + 20);
    std::uint64_t opt = pe + 24;
    auto magic = r.u16(opt);
    if (!sectionCount || !optionalSize || !magic) return;
    std::uint64_t dirCountAt, dirsAt;
    if (*magic == 0x10B) {
        dirCountAt = opt + 92, dirsAt = opt + 96;
    } else if (*magic == 0x20B) {
        dirCountAt = opt + 108, dirsAt = opt + 112;
    } else {
        return;
    }
    auto dirCount = r.u32(dirCountAt);
    if (!dirCount || *dirCount < 3 || dirsAt + 3 * 8 > opt + *optionalSize) return;
    auto resourceRva = r.u32(dirsAt + 2 * 8);
    if (!resourceRva || *resourceRva == 0) return;

    SectionMap map;
    std::uint64_t sectionsAt = opt + *optionalSize;
    for (std::uint64_t i = 0; i < std::min<std::uint64_t>(*sectionCount, kMaxSections); ++i) {
        std::uint64_t s = sectionsAt + i * 40;
        if (!r.has(s, 40)) break;
        map.sections.push_back({*r.u32(s + 12), *r.u32(s + 8), *r.u32(s + 16), *r.u32(s + 20)});
    }
    auto root = map.toOffset(*resourceRva, 16);
    if (!root) return;

    ResourceTree tree(r, map, *root);
    auto types = tree.directory(0, 0);
    if (!types) return;
    auto groupDir = tree.findNumbered(*types, kRtGroupIcon);
    auto iconDir = tree.findNumbered(*types, kRtIcon);
    if (iconDir) {
        if (auto icons = tree.directory(*iconDir, 1)) {
            for (const auto& e : *icons) {
                if (e.isNamed() || e.name > 0xFFFF) continue;
                if (auto data = tree.dataOf(e, 2))
                    icons_.emplace_back(std::uint16_t(e.name), *data);
            }
        }
    }
    if (groupDir) {
        if (auto groups = tree.directory(*groupDir, 1)) {
            groups_.reserve(groups->size());
            for (const auto& e : *groups)
                groups_.push_back(tree.dataOf(e, 2).value_or(std::span<const std::uint8_t>()));
        }
    }
}

void IconResources::readNe(std::uint64_t ne) {
    ByteReader r(bytes_);
    container_ = IconContainer::Ne;
    auto tableOffset = r.u16(ne + 0x24);
    auto residentNames = r.u16(ne + 0x26);
    if (!tableOffset || !residentNames || *tableOffset == *residentNames) return;
    std::uint64_t table = ne + *tableOffset;
    std::uint64_t end = *residentNames > *tableOffset ? ne + *residentNames : r.size();
    auto shift = r.u16(table);
    if (!shift || *shift > 20) return;
    end = std::min<std::uint64_t>(end, r.size());

    auto resourceData = [&](std::uint64_t record) -> std::optional<std::span<const std::uint8_t>> {
        std::uint64_t offset = std::uint64_t(*r.u16(record)) << *shift;
        std::uint64_t length = std::uint64_t(*r.u16(record + 2)) << *shift;
        // The last resource of a file is often not padded to the full alignment.
        if (offset >= r.size()) return std::nullopt;
        length = std::min<std::uint64_t>(length, r.size() - offset);
        return r.bytes(offset, length);
    };

    bool groupsSeen = false;
    std::uint64_t at = table + 2;
    while (at + 2 <= end) {
        std::uint16_t type = *r.u16(at);
        if (type == 0) break;
        if (at + 8 > end) break;
        std::uint16_t count = *r.u16(at + 2);
        std::uint64_t records = at + 8;
        std::uint64_t available = (end - records) / 12;
        std::uint64_t usable = std::min<std::uint64_t>(count, available);
        if (type == (0x8000 | kRtIcon)) {
            for (std::uint64_t i = 0; i < usable; ++i) {
                std::uint64_t rec = records + i * 12;
                std::uint16_t id = *r.u16(rec + 6);
                if (!(id & 0x8000)) continue;
                if (auto data = resourceData(rec))
                    icons_.emplace_back(std::uint16_t(id & 0x7FFF), *data);
            }
        } else if (type == (0x8000 | kRtGroupIcon) && !groupsSeen) {
            groupsSeen = true;
            for (std::uint64_t i = 0; i < usable; ++i)
                groups_.push_back(
                    resourceData(records + i * 12).value_or(std::span<const std::uint8_t>()));
        }
        if (usable < count) break;
        at = records + std::uint64_t(count) * 12;
    }
}

std::vector<IconDirEntry> IconResources::images(int index) const {
    if (index < 0 || index >= iconCount()) return {};
    if (container_ == IconContainer::IcoFile)
        return readIcoDirectory(bytes_).value_or(std::vector<IconDirEntry>());
    ByteReader g(groups_[std::size_t(index)]);
    auto count = g.u16(4);
    if (!count) return {};
    std::uint64_t usable =
        std::min<std::uint64_t>(*count, (g.size() - kGroupHeaderSize) / kGroupEntrySize);
    std::vector<IconDirEntry> entries;
    entries.reserve(std::size_t(usable));
    for (std::uint64_t i = 0; i < usable; ++i) {
        const std::uint8_t* p = g.all().data() + kGroupHeaderSize + i * kGroupEntrySize;
        IconDirEntry e;
        e.width = p[0];
        e.height = p[1];
        e.colorCount = p[2];
        e.reserved = p[3];
        e.planes = loadU16(p + 4);
        e.bitCount = loadU16(p + 6);
        e.bytesInRes = loadU32(p + 8);
        e.resourceId = loadU16(p + 12);
        entries.push_back(e);
    }
    return entries;
}

std::optional<std::span<const std::uint8_t>> IconResources::imageData(
    const IconDirEntry& entry) const {
    if (container_ == IconContainer::IcoFile) return icoImageData(bytes_, entry);
    for (const auto& [id, data] : icons_)
        if (id == entry.resourceId) return data;
    return std::nullopt;
}

Icon IconResources::icon(int index, int size) const {
    if (size < 1 || size > kMaxIconSize) return {};
    auto entries = images(index);
    int best = pickImageForSize(entries, size);
    if (best < 0) return {};
    auto data = imageData(entries[std::size_t(best)]);
    if (!data) return {};
    Icon decoded = decodeIconImage(*data);
    if (decoded.empty()) return {};
    if (decoded.width == size && decoded.height == size) return decoded;
    return resizeIcon(decoded, size, size);
}

std::unique_ptr<IconFile> IconFile::open(const std::filesystem::path& file) {
    auto mapped = MappedFile::open(file);
    if (!mapped) return nullptr;
    return std::unique_ptr<IconFile>(new IconFile(std::move(*mapped)));
}

Icon extractIcon(const std::filesystem::path& file, int index, int size) {
    if (index < 0 || size < 1 || size > kMaxIconSize) return {};
    auto opened = IconFile::open(file);
    if (!opened) return {};
    return opened->resources().icon(index, size);
}

}  // namespace pellimar
