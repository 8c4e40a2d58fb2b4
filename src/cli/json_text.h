// JSON text for the commands' machine-readable output.
#pragma once

#include <string>
#include <string_view>

namespace pellimar::cli {

// `text` as a quoted JSON string. File names are bytes, not always UTF-8: each
// byte that does not belong to a valid UTF-8 sequence becomes U+FFFD, so the
// output is always valid JSON (and valid UTF-8).
std::string jsonString(std::string_view text);

bool isValidUtf8(std::string_view text);

// `"key": "NAME"` for a file name; for a name whose bytes are not valid UTF-8 (so
// that the JSON string cannot carry it exactly) followed by `, "key_hex": "..."`,
// the name's bytes in lowercase hexadecimal, two digits a byte.
std::string jsonNameMembers(std::string_view key, std::string_view name);

// A file name for a line of plain output: as it is, unless it holds control
// characters (a newline would split the line): then quoted for the shell as ls
// does, 'a'$'\n''b'.
std::string quotedName(std::string_view name);

}  // namespace pellimar::cli
