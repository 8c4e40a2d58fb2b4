// The version resource of a program or library: the names and versions it
// gives itself (ProductName, FileDescription, CompanyName, FileVersion,
// ProductVersion, and whatever other strings its maker wrote), in each language
// it holds them in, and the languages it says it is for.
//
// The resource is a tree of blocks, each a length, a value length, a key and a
// value, with its children after it, every part aligned to four bytes:
// VS_VERSION_INFO holds a fixed part and StringFileInfo (a StringTable per
// language and code page, keyed as "040904B0", of String blocks) and VarFileInfo
// (its Translation: pairs of language and code page). PE files store keys and
// texts in UTF-16 and give each block a type word; NE files store them in 8 bits
// in the table's code page, without the type word.
//
// Bounded like every read (platform/caps.h): kMaxVersionBytes of the resource,
// kMaxVersionBlocks of its blocks. A damaged block is left out with why in
// `notes`, and what was read before it is kept.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/failure.h"

namespace pellimar {

class IconSet;

// The strings a launcher or a listing shows, in this order.
inline constexpr std::array<std::string_view, 5> kVersionKeys = {
    "ProductName", "FileDescription", "CompanyName", "FileVersion", "ProductVersion"};

// One StringTable: the strings of one language and code page.
struct VersionStrings {
    std::uint16_t language = 0;  // from the table's key: "040904B0" gives 0x0409
    std::uint16_t codePage = 0;  // and 0x04B0 (1200, UTF-16)
    // Key and value as UTF-8, in the file's order; a value ends at its first NUL.
    std::vector<std::pair<std::string, std::string>> strings;

    // The value of `key` (the first of that key), or nothing.
    const std::string* find(std::string_view key) const;
};

enum class VersionLanguages {
    First,  // the table of the first language only (see VersionInfo::tables)
    All,    // every table, in the file's order
};

struct VersionInfo {
    // With VersionLanguages::First, the one table of the first language: the
    // first in Translation that the file holds, else the first in the file.
    std::vector<VersionStrings> tables;
    // Translation's pairs of language and code page, in its order.
    std::vector<std::pair<std::uint16_t, std::uint16_t>> translations;
    // What was left out and why: damaged blocks, caps reached.
    std::vector<Failure> notes;

    // The value of `key` in the first table, or nothing.
    const std::string* value(std::string_view key) const;
};

// Reads the bytes of a version resource: `wide` for a PE file's (UTF-16 keys and
// texts, a type word in each block), else an NE file's. Why not when the resource
// is not one (its key is not VS_VERSION_INFO) or its first block is cut off.
Result<VersionInfo> parseVersionInfo(std::span<const std::uint8_t> bytes, bool wide,
                                     VersionLanguages languages = VersionLanguages::First);

// The version resource of the file `set` was read from: nothing when it has
// none (icon and cursor files never have one), or why it cannot be read.
Result<std::optional<VersionInfo>> readVersionInfo(
    const IconSet& set, VersionLanguages languages = VersionLanguages::First);

}  // namespace pellimar
