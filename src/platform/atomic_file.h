// Writing a whole file so that a failure half-way never leaves a truncated file
// behind or destroys the file it was to replace: the bytes go to a new file in the
// same folder, which is then renamed over the target.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

namespace pellimar {

bool writeFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes);
bool writeFileAtomically(const std::filesystem::path& target, std::string_view text);

}  // namespace pellimar
