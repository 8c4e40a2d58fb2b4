// Windows language numbers (LCIDs) of resources and the language tags people
// know them by ("de-DE" for 1031), for the common languages.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pellimar {

// The tag of a language number; nothing for 0 (language-neutral) and for a
// number the table does not hold.
std::optional<std::string_view> languageTag(std::uint16_t language);

// "1031/de-DE", or "1031" when the number has no tag.
std::string languageText(std::uint16_t language);

// What `text` names: a number (decimal, or hexadecimal after 0x) or a tag of the
// table in any letter case ("de-de"); nothing for anything else.
std::optional<std::uint16_t> parseLanguage(std::string_view text);

// Whether `text`, read as parseLanguage reads it, names `language`. A tag names
// every number that has it (Spanish of Spain has two).
bool namesLanguage(std::string_view text, std::uint16_t language);

}  // namespace pellimar
