#include "acquire/folder_scan.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "acquire/folder_walk.h"
#include "core/file_names.h"
#include "core/settings.h"

namespace pellimar {
namespace fs = std::filesystem;

std::optional<int> readIconFileCount(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    std::uint8_t header[6];
    std::size_t got = 0;
    while (got < sizeof header) {
        const ssize_t n = ::read(fd, header + got, sizeof header - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += std::size_t(n);
    }
    ::close(fd);
    if (got < sizeof header) return std::nullopt;
    auto word = [&](int at) { return int(header[at] | (header[at + 1] << 8)); };
    if (word(0) != 0 || word(2) != 1) return std::nullopt;
    return word(4);
}

ScanOutcome runFolderScan(const std::vector<fs::path>& files, const AppSettings& settings,
                          const ScanCallbacks& callbacks) {
    ScanOutcome out;
    const int maxUnits = settings.max_units;

    if (files.empty()) return out;
    if (settings.clearResult) callbacks.clearList();

    // Counts the icon just loaded; false when it passes the maximum, which stops
    // every further row of this scan.
    auto withinLimit = [&]() {
        ++out.iconsTaken;
        if (maxUnits > 0 && out.iconsTaken > maxUnits) {
            out.stopped = true;
            return false;
        }
        return true;
    };
    auto take = [&](const fs::path& file, int n, const Icon& icon) {
        callbacks.addRow(file, n, icon);
        ++out.rowsAdded;
    };

    for (const fs::path& file : files) {
        if (upperCaseExtension(file) == ".ICO") {
            const std::optional<int> count = readIconFileCount(file);
            if (!count) {
                // Not an icon file after all: it gives no row, the others still do.
                out.unreadableIconFiles.push_back(file);
                continue;
            }
            int n = 0;
            for (int k = 1; k <= *count; ++k) {
                const Icon icon = callbacks.loadIcon(file, k);
                if (icon.empty()) break;
                if (!withinLimit()) break;
                take(file, n, icon);
                ++n;
            }
        } else {
            if (out.stopped) break;
            for (int index = 0;; ++index) {
                const Icon icon = callbacks.loadIcon(file, index);
                if (icon.empty()) break;
                if (!withinLimit()) break;
                take(file, index, icon);
            }
        }
    }
    return out;
}

}  // namespace pellimar
