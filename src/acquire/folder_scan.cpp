#include "acquire/folder_scan.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "core/file_names.h"
#include "core/folder_walk.h"
#include "core/settings.h"
#include "platform/ico_file.h"

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
    struct stat st {};
    const bool sized = ::fstat(fd, &st) == 0;
    ::close(fd);
    if (got < sizeof header) return std::nullopt;
    auto word = [&](int at) { return int(header[at] | (header[at + 1] << 8)); };
    if (word(0) != 0 || word(2) != 1) return std::nullopt;
    // No more entries than the file has room for: the rest cannot be read anyway.
    const long long room = sized ? (static_cast<long long>(st.st_size) - 6) / 16 : word(4);
    return int(std::min<long long>(word(4), std::max<long long>(room, 0)));
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

    // A file may state tens of thousands of icons: Stop is looked at between icons.
    auto stopAsked = [&] {
        return callbacks.stop != nullptr && callbacks.stop->load(std::memory_order_relaxed);
    };
    std::size_t filesRead = 0;
    for (const fs::path& file : files) {
        if (stopAsked()) {
            out.interrupted = true;
            break;
        }
        if (upperCaseExtension(file) == ".ICO") {
            const std::optional<int> count = readIconFileCount(file);
            if (!count) {
                // Not an icon file after all: it gives no row, the others still do.
                out.unreadableIconFiles.push_back(file);
            } else {
                // No more images than the readers take from one directory.
                const int last = std::min(*count, kMaxImagesPerIcon);
                for (int k = 1; k <= last && !stopAsked(); ++k) {
                    const Icon icon = callbacks.loadIcon(file, k);
                    if (icon.empty()) continue;  // a damaged image hides none of the others
                    if (!withinLimit()) break;
                    take(file, k - 1, icon);
                }
            }
        } else {
            if (out.stopped) break;
            const std::optional<int> count =
                callbacks.countIcons ? callbacks.countIcons(file) : std::nullopt;
            for (int index = 0; (!count || index < *count) && !stopAsked(); ++index) {
                const Icon icon = callbacks.loadIcon(file, index);
                if (icon.empty()) {
                    if (count) continue;  // a damaged icon hides none of the others
                    break;
                }
                if (!withinLimit()) break;
                take(file, index, icon);
            }
        }
        if (callbacks.fileRead) callbacks.fileRead(++filesRead);
    }
    return out;
}

}  // namespace pellimar
