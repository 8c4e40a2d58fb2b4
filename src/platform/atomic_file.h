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

bool writeFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes);
bool writeFileAtomically(const std::filesystem::path& target, std::string_view text);

}  // namespace pellimar
