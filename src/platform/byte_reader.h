// Bounds-checked little-endian reading over bytes that came from a file. Every
// offset and length is checked in 64-bit arithmetic before a byte is touched; a
// read that does not fit gives std::nullopt, never an exception.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace pellimar {

class ByteReader {
  public:
    ByteReader() = default;
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint64_t size() const { return bytes_.size(); }
    std::span<const std::uint8_t> all() const { return bytes_; }

    bool has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }

    std::optional<std::uint8_t> u8(std::uint64_t offset) const {
        if (!has(offset, 1)) return std::nullopt;
        return bytes_[offset];
    }
    std::optional<std::uint16_t> u16(std::uint64_t offset) const {
        if (!has(offset, 2)) return std::nullopt;
        return std::uint16_t(bytes_[offset] | (bytes_[offset + 1] << 8));
    }
    std::optional<std::uint32_t> u32(std::uint64_t offset) const {
        if (!has(offset, 4)) return std::nullopt;
        return std::uint32_t(bytes_[offset]) | (std::uint32_t(bytes_[offset + 1]) << 8) |
               (std::uint32_t(bytes_[offset + 2]) << 16) |
               (std::uint32_t(bytes_[offset + 3]) << 24);
    }
    std::optional<std::int32_t> i32(std::uint64_t offset) const {
        auto v = u32(offset);
        if (!v) return std::nullopt;
        return std::int32_t(*v);
    }
    std::optional<std::span<const std::uint8_t>> bytes(std::uint64_t offset,
                                                       std::uint64_t length) const {
        if (!has(offset, length)) return std::nullopt;
        return bytes_.subspan(std::size_t(offset), std::size_t(length));
    }

  private:
    std::span<const std::uint8_t> bytes_;
};

// Unchecked little-endian reads for callers that have already checked the range.
inline std::uint16_t loadU16(const std::uint8_t* p) {
    return std::uint16_t(p[0] | (p[1] << 8));
}
inline std::uint32_t loadU32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

// Little-endian writes into bytes the caller has room for.
inline void storeU16(std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}
inline void storeU32(std::uint8_t* p, std::uint32_t v) {
    storeU16(p, v & 0xFFFF);
    storeU16(p + 2, v >> 16);
}

}  // namespace pellimar
