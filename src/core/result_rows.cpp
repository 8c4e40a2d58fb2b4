#include "core/result_rows.h"

namespace pellimar {

std::string formatIconNumber(int n) {
    if (n < 0) return {};
    std::string digits = std::to_string(n);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    return digits;
}

int compareAsciiNoCase(std::string_view a, std::string_view b) {
    // Letters are folded to upper case, so '_' sorts after the letters.
    auto upper = [](unsigned char c) { return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c; };
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        int ca = upper(static_cast<unsigned char>(a[i]));
        int cb = upper(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::string rowCaption(const std::filesystem::path& source, int position) {
    return source.filename().string() + "-" + formatIconNumber(position + 1);
}

}  // namespace pellimar
