// libFuzzer target for the settings-file reader and its in-place writer: the
// input is the settings file; the first line, when it is short, also names the
// section and key that are asked for and replaced.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_target_file.h"
#include "platform/private_profile.h"

using namespace pellimar;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto file = fuzzing::writeInput(data, size, "settings.ini");

    // Section and key from the input's first two short fields, so that the fuzzer
    // can hit names that its file holds.
    std::string_view head = text.substr(0, std::min<std::size_t>(text.find('\n'), 64));
    const auto cut = head.find('|');
    const std::string section(cut == std::string_view::npos ? head : head.substr(0, cut));
    const std::string key(cut == std::string_view::npos ? "Key" : head.substr(cut + 1));

    (void)readProfileString(file, section, key, "fallback");
    (void)readProfileString(file, "Options", "Size", "");
    (void)ProfileFile(file).integer(section, key, -1);
    (void)parseProfileInt(text.substr(0, 32));

    const bool written = writeProfileStrings(file, section, {{key, "value"}}).ok();
    const std::string back = readProfileString(file, section, key, "");
    // A plain name that was written must read back.
    auto plain = [](const std::string& name) {
        if (name.empty()) return false;
        for (unsigned char c : name)
            if (!std::isalnum(c)) return false;
        return true;
    };
    if (written && plain(section) && plain(key) && back != "value") __builtin_trap();
    (void)writeProfileStrings(file, "Options", {{"Size", "32"}, {key, ""}});
    return 0;
}
