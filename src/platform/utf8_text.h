// Text of the formats read, brought to UTF-8: code points, UTF-16 code units
// and Latin-1 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pellimar {

// Appends code point `c` (at most U+10FFFF) to `out` as UTF-8.
void appendUtf8(std::string& out, std::uint32_t c);

// UTF-16 code units as UTF-8; unpaired surrogates become U+FFFD.
std::string utf8From16(const std::vector<std::uint16_t>& units);

// Bytes of an 8-bit code page taken as Latin-1.
std::string utf8FromLatin1(const std::vector<std::uint8_t>& bytes);

}  // namespace pellimar
