#include "platform/private_profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/caps.h"

namespace pellimar {
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxValueChars = 2047;

struct Line {
    std::string text;  // without its line break
};

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

std::string_view trim(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// The whole file, or nothing when it cannot be read as a regular file.
// The whole of a settings file, or why not: it is missing, not a regular file,
// past kMaxProfileBytes, or cannot be read.
Result<std::string> readWhole(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return systemFailure(Fault::ReadFailed, errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) return systemFailure(Fault::ReadFailed, errno);
    if (S_ISDIR(st.st_mode)) return systemFailure(Fault::ReadFailed, EISDIR);
    if (!S_ISREG(st.st_mode)) return failure(Fault::NotRegularFile);
    if (std::uint64_t(st.st_size) > kMaxProfileBytes)
        return capReached(Cap::ProfileBytes,
                          std::to_string(kMaxProfileBytes >> 20) + " MB of a settings file");
    std::string data(std::size_t(st.st_size), '\0');
    std::size_t done = 0;
    while (true) {
        // One byte past the size stated, to see a file that grew meanwhile.
        if (done == data.size()) data.resize(done + 4096);
        const ssize_t n = ::read(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return systemFailure(Fault::ReadFailed, errno);
        if (n == 0) break;
        done += std::size_t(n);
        if (done > kMaxProfileBytes)
            return capReached(Cap::ProfileBytes,
                              std::to_string(kMaxProfileBytes >> 20) + " MB of a settings file");
    }
    data.resize(done);
    return data;
}

// Splits on CR LF, LF or CR. `crlf` tells whether the first break was CR LF.
std::vector<std::string> splitLines(std::string_view data, bool& crlf) {
    std::vector<std::string> lines;
    crlf = false;
    bool firstBreak = true;
    std::size_t start = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (data[i] != '\n' && data[i] != '\r') continue;
        lines.emplace_back(data.substr(start, i - start));
        bool pair = data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n';
        if (firstBreak) crlf = pair;
        firstBreak = false;
        if (pair) ++i;
        start = i + 1;
    }
    if (start < data.size()) lines.emplace_back(data.substr(start));
    return lines;
}

// "[name]" -> name; nothing for any other line.
std::optional<std::string_view> sectionName(std::string_view line) {
    line = trim(line);
    if (line.size() < 2 || line.front() != '[') return std::nullopt;
    auto close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trim(line.substr(1, close - 1));
}

// "key=value" -> key (trimmed); nothing for comments and lines without '='.
std::optional<std::string_view> keyName(std::string_view line) {
    std::string_view t = trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '#') return std::nullopt;
    auto eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return trim(line.substr(0, eq));
}

std::string_view valueOf(std::string_view line) {
    std::string_view v = trim(line.substr(line.find('=') + 1));
    // A value written in matching quotes reads without them.
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return v;
}

std::optional<std::string> findValueIn(std::string_view data, std::string_view section,
                                       std::string_view key) {
    bool crlf = false;
    bool inSection = false;
    for (const std::string& line : splitLines(data, crlf)) {
        if (auto name = sectionName(line)) {
            inSection = equalsNoCase(*name, section);
            continue;
        }
        if (!inSection) continue;
        auto k = keyName(line);
        if (k && equalsNoCase(*k, key)) return std::string(valueOf(line));
    }
    return std::nullopt;
}

std::optional<std::string> findValue(const fs::path& file, std::string_view section,
                                     std::string_view key) {
    auto data = readWhole(file);
    if (!data) return std::nullopt;
    return findValueIn(*data, section, key);
}

std::string oneLine(const std::string& s) {
    return s.substr(0, s.find_first_of("\r\n"));
}

}  // namespace

std::optional<int> parseProfileInt(std::string_view text) {
    std::string_view s = trim(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    } else if (!s.empty() && s[0] == '$') {
        base = 16;
        s.remove_prefix(1);
    }
    if (s.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : s) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * base + std::uint64_t(digit);
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    // Hexadecimal spells the 32 bits: $FFFFFFFF is -1.
    std::int64_t v =
        base == 16 ? std::int64_t(std::int32_t(std::uint32_t(value))) : std::int64_t(value);
    if (negative) v = -v;
    if (v < INT_MIN || v > INT_MAX) return std::nullopt;
    return int(v);
}

std::string readProfileString(const fs::path& file, std::string_view section, std::string_view key,
                              std::string_view fallback) {
    std::string value;
    if (auto found = findValue(file, section, key))
        value = std::move(*found);
    else
        value = std::string(fallback);
    if (value.size() > kMaxValueChars) value.resize(kMaxValueChars);
    return value;
}

ProfileFile::ProfileFile(const fs::path& file) {
    if (auto data = readWhole(file)) data_ = std::move(*data);
}

std::optional<std::string> ProfileFile::find(std::string_view section, std::string_view key) const {
    if (!data_) return std::nullopt;
    return findValueIn(*data_, section, key);
}

std::string ProfileFile::string(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
    std::string value = find(section, key).value_or(std::string(fallback));
    if (value.size() > kMaxValueChars) value.resize(kMaxValueChars);
    return value;
}

int ProfileFile::integer(std::string_view section, std::string_view key, int fallback) const {
    auto found = find(section, key);
    if (!found) return fallback;
    return parseProfileInt(*found).value_or(fallback);
}

Result<Done> writeProfileStrings(const fs::path& file, std::string_view section,
                                 const std::vector<std::pair<std::string, std::string>>& entries) {
    return writeProfileSections(file, {{std::string(section), entries}});
}

namespace {

// What a file to be updated holds now: nothing when it is not there; why not
// when it is there but cannot be read whole, as what cannot be read is never
// replaced.
Result<std::string> currentContent(const fs::path& file) {
    std::error_code ec;
    if (fs::symlink_status(file, ec).type() == fs::file_type::not_found) return std::string();
    auto data = readWhole(file);
    // A folder at the name is the writer's to refuse, as it refuses any.
    if (!data && data.failure().fault == Fault::ReadFailed && data.failure().error == EISDIR)
        return systemFailure(Fault::WriteFailed, EISDIR);
    return data;
}

}  // namespace

Result<Done> writeProfileSections(const fs::path& file,
                                  const std::vector<ProfileSection>& sections) {
    auto current = currentContent(file);
    if (!current) return current.failure();
    std::string data = std::move(*current);
    bool crlf = false;
    std::vector<std::string> lines = splitLines(data, crlf);
    if (data.empty()) crlf = false;

    for (const ProfileSection& sec : sections) {
        for (const auto& [rawKey, rawValue] : sec.entries) {
            // A line break inside a key or value would forge further lines.
            std::string key = oneLine(rawKey);
            std::string value = oneLine(rawValue);
            // Find the section (the first of that name) and the key inside it.
            std::optional<std::size_t> sectionLine;
            std::optional<std::size_t> keyLine;
            std::size_t lastContent = 0;  // last non-blank line of the section
            for (std::size_t i = 0; i < lines.size(); ++i) {
                if (auto name = sectionName(lines[i])) {
                    if (sectionLine) break;
                    if (equalsNoCase(*name, sec.name)) {
                        sectionLine = i;
                        lastContent = i;
                    }
                    continue;
                }
                if (!sectionLine) continue;
                if (!trim(lines[i]).empty()) lastContent = i;
                auto k = keyName(lines[i]);
                if (k && equalsNoCase(*k, key)) {
                    keyLine = i;
                    break;
                }
            }
            if (keyLine) {
                // Keep the key's spelling as the file has it.
                std::string_view line = lines[*keyLine];
                std::string spelled(trim(line.substr(0, line.find('='))));
                lines[*keyLine] = spelled + "=" + value;
            } else if (sectionLine) {
                lines.insert(lines.begin() + std::ptrdiff_t(lastContent + 1), key + "=" + value);
            } else {
                lines.push_back("[" + sec.name + "]");
                lines.push_back(key + "=" + value);
            }
        }
    }

    std::string out;
    const char* eol = crlf ? "\r\n" : "\n";
    for (const std::string& line : lines) {
        out += line;
        out += eol;
    }
    const auto written = writeFile(file, out);
    if (!written) return written.failure();
    return Done{};
}

}  // namespace pellimar
