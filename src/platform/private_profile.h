// Private-profile INI files: "[section]" lines and "key=value" lines. Sections
// and keys compare without regard to case. Every call reads or writes the file
// directly; there is no cached copy, except what a ProfileFile holds.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/failure.h"

namespace pellimar {

// The value of `key`, at most 2047 characters; `fallback` when the file, the
// section or the key is missing. An empty value gives the empty text.
std::string readProfileString(const std::filesystem::path& file, std::string_view section,
                              std::string_view key, std::string_view fallback);

// Keys of sections written in one write: the file is read once, every key is
// written in place (replacing the key's line, or adding the key at the end of its
// section, or adding the section at the end of the file), leaving every other line
// alone, and the result goes to a temporary file in the same folder that is then
// renamed over the old one (by the one writer: see platform/atomic_file.h), so
// either all keys reach the file or none does. Why not, when it failed: a file
// that is there but cannot be read is never replaced.
struct ProfileSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;  // key, value in order
};
Result<Done> writeProfileSections(const std::filesystem::path& file,
                                  const std::vector<ProfileSection>& sections);
Result<Done> writeProfileStrings(const std::filesystem::path& file, std::string_view section,
                                 const std::vector<std::pair<std::string, std::string>>& entries);

// A profile file read once, for reading many keys: a text follows the rules of
// readProfileString; an integer is read by the rule of parseProfileInt, with the
// fallback for a missing key, an empty value or text that is not a number. A file
// that cannot be read answers every key with its fallback.
class ProfileFile {
  public:
    explicit ProfileFile(const std::filesystem::path& file);
    std::string string(std::string_view section, std::string_view key,
                       std::string_view fallback) const;
    int integer(std::string_view section, std::string_view key, int fallback) const;

  private:
    std::optional<std::string> find(std::string_view section, std::string_view key) const;
    std::optional<std::string> data_;
};

// An integer: optional sign, decimal, or hexadecimal after "0x", "0X" or "$";
// nothing when the text is not a number.
std::optional<int> parseProfileInt(std::string_view text);

}  // namespace pellimar
