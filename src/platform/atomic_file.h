// Writing a whole file so that a failure half-way never leaves a truncated file
// behind or destroys the file it was to replace: the bytes go to a new file in the
// same folder, synced to the disk, then renamed over the target, and the folder is
// synced after the rename. A target that is a symbolic link is written through:
// the file it names in the end is replaced, the link stays. The process umask is
// never touched. On failure errno holds the system's reason (of the failing step,
// not of the clean-up after it).
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

namespace pellimar {

// Whether the write reaches the disk before the call returns. Scratch files
// (caches and temporary files that can be made again) skip the two flushes, which
// cost milliseconds each; they are still replaced in one rename.
enum class Durability { Synced, Scratch };

bool writeFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                         Durability durability = Durability::Synced);
bool writeFileAtomically(const std::filesystem::path& target, std::string_view text,
                         Durability durability = Durability::Synced);

}  // namespace pellimar
