// libFuzzer target over the reading of a cursor set's install.inf: lines,
// comments, quotes, carried-on lines, sections and the %strings% replaced.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/cursor_theme.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto scheme = pellimar::parseCursorScheme(text);
    if (scheme)
        for (const std::string& file : scheme->files)
            if (file.find('\\') != std::string::npos || file.find('/') != std::string::npos)
                __builtin_trap();
    return 0;
}
