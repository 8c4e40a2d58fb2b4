#include "platform/version_info.h"

#include <algorithm>

#include "platform/byte_reader.h"
#include "platform/icon_set.h"
#include "platform/utf8_text.h"

namespace pellimar {

namespace {

// The characters 0x80 to 0x9F of Windows' Western code page (1252), which the
// 8-bit strings of NE files are nearly always in; elsewhere it is Latin-1.
constexpr std::uint16_t kWestern[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

constexpr std::uint64_t align4(std::uint64_t at) {
    return (at + 3) & ~std::uint64_t(3);
}

// One block: its extent, its key and where its value and its children lie, all
// as offsets into the resource.
struct Block {
    std::uint64_t at = 0, end = 0;
    std::string key;
    std::uint64_t valueAt = 0, valueLength = 0;  // the value as its header states it
    std::uint64_t childrenAt = 0;
};

class Parser {
  public:
    Parser(std::span<const std::uint8_t> bytes, bool wide, std::uint64_t base)
        : r_(bytes), wide_(wide), base_(base) {}

    Result<VersionInfo> run(VersionLanguages languages) {
        auto root = block(0, r_.size());
        if (!root) return root.failure();
        if (root->key != "VS_VERSION_INFO")
            return failure(Fault::BadValue, "version resource key", base_);
        for (const Block& child : children(*root)) {
            if (child.key == "StringFileInfo")
                for (const Block& table : children(child)) stringTable(table);
            else if (child.key == "VarFileInfo")
                for (const Block& var : children(child))
                    if (var.key == "Translation") translation(var);
        }
        if (languages == VersionLanguages::First && info_.tables.size() > 1) {
            auto first = info_.tables.begin();
            for (const auto& wanted : info_.translations) {
                const auto it = std::find_if(
                    info_.tables.begin(), info_.tables.end(), [&](const VersionStrings& t) {
                        return t.language == wanted.first && t.codePage == wanted.second;
                    });
                if (it != info_.tables.end()) {
                    first = it;
                    break;
                }
            }
            VersionStrings kept = std::move(*first);
            info_.tables.clear();
            info_.tables.push_back(std::move(kept));
        }
        return std::move(info_);
    }

  private:
    void note(Failure f) { info_.notes.push_back(std::move(f)); }

    // The block at `at`, which must end by `limit` (its parent's end); why not.
    // A block whose length cannot hold its own header would loop a reader that
    // steps by it: it is refused.
    Result<Block> block(std::uint64_t at, std::uint64_t limit) {
        if (++blocks_ > kMaxVersionBlocks)
            return capReached(Cap::VersionBlocks, std::to_string(kMaxVersionBlocks) +
                                                      " blocks of one version resource; the "
                                                      "rest are left out");
        const std::uint64_t header = wide_ ? 6 : 4;
        const auto length = r_.u16(at), valueLength = r_.u16(at + 2);
        if (!length || !valueLength || at + header > limit)
            return failure(Fault::CutOff, "version block", base_ + at);
        if (*length < header) return failure(Fault::BadValue, "version block length", base_ + at);
        Block b;
        b.at = at;
        b.end = at + *length;
        if (b.end > limit) {
            // The rest of the parent is read as this block: what it holds is kept.
            note(failure(Fault::CutOff, "version block", base_ + at));
            b.end = limit;
        }
        const bool text = wide_ && r_.u16(at + 4).value_or(0) == 1;
        std::uint64_t keyEnd = at + header;
        if (!readText(keyEnd, b.end, b.key, true))
            return failure(b.end < at + *length ? Fault::CutOff : Fault::BadValue,
                           "version block key", base_ + at + header);
        b.valueAt = std::min(align4(keyEnd), b.end);
        // Text values are counted in characters, others in bytes.
        b.valueLength = std::uint64_t(*valueLength) * (text ? 2 : 1);
        b.childrenAt = std::min(align4(b.valueAt + b.valueLength), b.end);
        return b;
    }

    // The blocks after `parent`'s value; a damaged one ends the list with a note.
    std::vector<Block> children(const Block& parent) {
        std::vector<Block> out;
        const std::uint64_t header = wide_ ? 6 : 4;
        for (std::uint64_t at = parent.childrenAt; at + header <= parent.end;) {
            auto child = block(at, parent.end);
            if (!child) {
                // The cap is told once, however many lists it ends.
                if (child.failure().fault != Fault::CapReached || !capNoted_)
                    note(child.failure().within(parent.key));
                capNoted_ = capNoted_ || child.failure().fault == Fault::CapReached;
                break;
            }
            at = align4(child->end);
            out.push_back(std::move(*child));
        }
        return out;
    }

    // The NUL-ended text at `at` before `end`, as UTF-8, `at` moved past its NUL.
    // Without a NUL: false for a key; a value runs to `end`.
    bool readText(std::uint64_t& at, std::uint64_t end, std::string& out, bool key) {
        const std::uint64_t unit = wide_ ? 2 : 1;
        while (at + unit <= end) {
            std::uint32_t c = wide_ ? *r_.u16(at) : *r_.u8(at);
            at += unit;
            if (c == 0) return true;
            if (!wide_) {
                if (c >= 0x80 && c < 0xA0) c = kWestern[c - 0x80];
            } else if (c >= 0xD800 && c < 0xDC00) {
                const auto low = at + 2 <= end ? r_.u16(at) : std::nullopt;
                if (low && *low >= 0xDC00 && *low < 0xE000) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (*low - 0xDC00);
                    at += 2;
                } else {
                    c = 0xFFFD;
                }
            } else if (c >= 0xDC00 && c < 0xE000) {
                c = 0xFFFD;
            }
            appendUtf8(out, c);
        }
        return !key;
    }

    static std::optional<std::uint32_t> hexKey(const std::string& key) {
        if (key.size() != 8) return std::nullopt;
        std::uint32_t value = 0;
        for (char c : key) {
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0) return std::nullopt;
            value = value << 4 | std::uint32_t(digit);
        }
        return value;
    }

    void stringTable(const Block& table) {
        const auto id = hexKey(table.key);
        if (!id) {
            note(failure(Fault::BadValue, "string table key \"" + table.key + "\"",
                         base_ + table.at));
            return;
        }
        VersionStrings strings;
        strings.language = std::uint16_t(*id >> 16);
        strings.codePage = std::uint16_t(*id);
        for (const Block& s : children(table)) {
            // The value's stated length is often wrong (bytes for characters, or
            // without its NUL): the text runs from where the value starts to its
            // NUL or the end of the block.
            std::string value;
            std::uint64_t at = s.valueAt;
            readText(at, s.end, value, false);
            strings.strings.emplace_back(s.key, std::move(value));
        }
        info_.tables.push_back(std::move(strings));
    }

    void translation(const Block& var) {
        const std::uint64_t end = std::min(var.valueAt + var.valueLength, var.end);
        for (std::uint64_t at = var.valueAt; at + 4 <= end; at += 4)
            info_.translations.emplace_back(*r_.u16(at), *r_.u16(at + 2));
    }

    ByteReader r_;
    bool wide_;
    std::uint64_t base_;
    int blocks_ = 0;
    bool capNoted_ = false;
    VersionInfo info_;
};

}  // namespace

const std::string* VersionStrings::find(std::string_view key) const {
    for (const auto& [k, v] : strings)
        if (k == key) return &v;
    return nullptr;
}

const std::string* VersionInfo::value(std::string_view key) const {
    return tables.empty() ? nullptr : tables.front().find(key);
}

Result<VersionInfo> parseVersionInfo(std::span<const std::uint8_t> bytes, bool wide,
                                     VersionLanguages languages) {
    return Parser(bytes, wide, 0).run(languages);
}

Result<std::optional<VersionInfo>> readVersionInfo(const IconSet& set, VersionLanguages languages) {
    const auto& where = set.versionResource();
    if (!where) return std::optional<VersionInfo>();
    if (!*where) return where->failure();
    const ResourceSpan span = **where;
    if (span.length > kMaxVersionBytes)
        return capReached(Cap::VersionBytes,
                          std::to_string(kMaxVersionBytes >> 10) + " KB of a version resource");
    auto bytes = set.readSpan(span, kMaxVersionBytes);
    if (!bytes) return bytes.failure();
    const bool wide = set.container() == IconContainer::Pe;
    auto info = Parser(*bytes, wide, span.offset).run(languages);
    if (!info) return info.failure();
    return std::optional<VersionInfo>(std::move(*info));
}

}  // namespace pellimar
