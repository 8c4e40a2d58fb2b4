// Bytes of a file, or of memory, read only where a reader asks for them. A file is
// read with pread into buffers this object owns, never mapped: when another
// program shrinks, grows or replaces the file while it is read, what is no longer
// there reads as missing (nothing), never as a fault. The size is the size at open;
// growth past it is not seen. One object is for one thread at a time.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/failure.h"

namespace pellimar {

class ByteSource {
  public:
    // Reads from memory that must outlive the object.
    explicit ByteSource(std::span<const std::uint8_t> memory);
    // Reads the file; why not when it cannot be opened or is not a regular file.
    static Result<ByteSource> open(const std::filesystem::path& file);
    // Reads the regular file open at `fd` through a duplicate of it (`fd` stays
    // the caller's, its offset untouched); why not when it cannot be duplicated
    // or is not a regular file.
    static Result<ByteSource> openDescriptor(int fd);

    ByteSource(ByteSource&& other) noexcept;
    ByteSource& operator=(ByteSource&& other) noexcept;
    ByteSource(const ByteSource&) = delete;
    ByteSource& operator=(const ByteSource&) = delete;
    ~ByteSource();

    std::uint64_t size() const { return size_; }
    // True when [offset, offset + length) lies inside size().
    bool has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }

    std::optional<std::uint16_t> u16(std::uint64_t offset) const;
    std::optional<std::uint32_t> u32(std::uint64_t offset) const;
    // [offset, offset + length) in one read of its own, or why
    // not: past the size (CutOff), longer than `cap` (CapReached), the file cut
    // short meanwhile (FileChanged) or a failed read (ReadFailed).
    Result<std::vector<std::uint8_t>> fetch(std::uint64_t offset, std::uint64_t length,
                                            std::uint64_t cap) const;
    // The `length` bytes at `offset` copied to `out` through the small-read
    // blocks (meant for headers: a few dozen bytes); false when they are missing.
    bool peek(std::uint64_t offset, std::size_t length, std::uint8_t* out) const {
        return small(offset, length, out);
    }
    // The same in one read of exactly those bytes, for the few bytes at the start
    // of an image that lies far from anything else read: a block would be mostly
    // wasted there.
    bool peekAlone(std::uint64_t offset, std::size_t length, std::uint8_t* out) const;

  private:
    ByteSource() = default;
    // Takes `fd` (closing it on failure) when it is onto a regular file.
    static Result<ByteSource> adopt(int fd);
    // The `length` (at most 4) bytes at `offset` copied to `out`; false when missing.
    bool small(std::uint64_t offset, std::size_t length, std::uint8_t* out) const;
    void close();

    // Small reads (numbers in headers and directories) go through a few blocks
    // read whole, so that walking a directory costs one system call per block.
    static constexpr std::size_t kBlockSize = 4096;
    static constexpr std::size_t kBlockCount = 8;
    struct Block {
        std::uint64_t start = UINT64_MAX;  // UINT64_MAX: empty
        std::size_t length = 0;            // bytes the file still had
        std::array<std::uint8_t, kBlockSize> bytes;
    };
    const Block* block(std::uint64_t index) const;

    std::span<const std::uint8_t> memory_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
    mutable std::unique_ptr<Block[]> blocks_;
};

}  // namespace pellimar
