#include "core/result_rows.h"

#include <algorithm>
#include <unordered_map>

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

int compareNumbersAsNumbers(std::string_view a, std::string_view b) {
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            // A run of digits against a run of digits: by value, whatever their lengths.
            std::size_t ei = i, ej = j;
            while (ei < a.size() && digit(a[ei])) ++ei;
            while (ej < b.size() && digit(b[ej])) ++ej;
            std::size_t si = i, sj = j;
            while (si + 1 < ei && a[si] == '0') ++si;
            while (sj + 1 < ej && b[sj] == '0') ++sj;
            if (ei - si != ej - sj) return ei - si < ej - sj ? -1 : 1;
            if (int c = a.substr(si, ei - si).compare(b.substr(sj, ej - sj)); c != 0)
                return c < 0 ? -1 : 1;
            i = ei;
            j = ej;
            continue;
        }
        const std::size_t ni = i + 1, nj = j + 1;
        if (int c = compareAsciiNoCase(a.substr(i, 1), b.substr(j, 1)); c != 0) return c;
        i = ni;
        j = nj;
    }
    if (i < a.size() || j < b.size()) return i < a.size() ? 1 : -1;
    // Equal but for leading zeros: the plain order decides, so the order is total.
    return compareAsciiNoCase(a, b);
}

std::string rowCaption(const std::filesystem::path& source, int position, ResourceKind kind) {
    return source.filename().string() + (kind == ResourceKind::Cursor ? "-cursor-" : "-") +
           formatIconNumber(position + 1);
}

std::size_t RowTable::selectedCount() const {
    return std::size_t(
        std::count_if(rows.begin(), rows.end(), [](const Row& r) { return r.selected; }));
}

RowTable RowTable::of(const std::vector<ResultRowInfo>& rows) {
    RowTable table;
    std::unordered_map<std::string, std::uint32_t> ids;
    table.rows.reserve(rows.size());
    for (const ResultRowInfo& row : rows) {
        const auto [it, added] =
            ids.try_emplace(row.source.native(), std::uint32_t(table.sources.size()));
        if (added) table.sources.push_back(row.source);
        table.rows.push_back({it->second, row.iconPosition, row.kind, row.selected});
    }
    return table;
}

}  // namespace pellimar
