// JSON text for the commands' machine-readable output.
#pragma once

#include <string>
#include <string_view>

namespace pellimar::cli {

// `text` as a quoted JSON string. File names are bytes, not always UTF-8: each
// byte that does not belong to a valid UTF-8 sequence becomes U+FFFD, so the
// output is always valid JSON (and valid UTF-8).
std::string jsonString(std::string_view text);

}  // namespace pellimar::cli
