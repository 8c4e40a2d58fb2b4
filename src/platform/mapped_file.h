// A read-only view of a whole file without reading it whole: the file is mapped
// into memory, so only the pages a reader touches (headers, one resource) are read
// from disk. Files that cannot be mapped (pipes, special files) are read into memory
// when they are small enough.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace pellimar {

class MappedFile {
  public:
    MappedFile() = default;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    ~MappedFile();

    // Nothing when the file cannot be opened or is not a regular, readable file.
    static std::optional<MappedFile> open(const std::filesystem::path& file);

    std::span<const std::uint8_t> bytes() const {
        return map_ ? std::span<const std::uint8_t>(map_, size_)
                    : std::span<const std::uint8_t>(copy_);
    }

  private:
    void release();
    const std::uint8_t* map_ = nullptr;
    std::size_t size_ = 0;
    std::vector<std::uint8_t> copy_;
};

// Reads `length` bytes at `offset` of an open file descriptor; nothing on a short read.
std::optional<std::vector<std::uint8_t>> readRange(int fd, std::uint64_t offset,
                                                   std::uint64_t length);

}  // namespace pellimar
