#include "platform/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace pellimar {
namespace fs = std::filesystem;

namespace {

// As many links as the system follows in one path.
constexpr int kMaxLinks = 40;
constexpr std::string_view kTemporaryPrefix = ".pellimar-";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::size_t kTemporaryRandomLength = 10;
// A temporary file younger than this may belong to a write still under way.
constexpr std::time_t kStaleAfterSeconds = 60;

std::atomic<void (*)(std::uint64_t)> stepHook{nullptr};
std::atomic<std::uint64_t> stepCount{0};

void step() {
    if (auto hook = stepHook.load(std::memory_order_relaxed)) hook(++stepCount);
}

// The pieces in as few system calls as may be.
bool writePieces(int fd, std::span<const ByteSpan> pieces) {
    constexpr std::size_t kMaxVectors = 1024;  // IOV_MAX on Linux
    std::size_t first = 0, offset = 0;  // the piece not yet written whole, and its bytes written
    iovec vectors[kMaxVectors];
    while (first < pieces.size()) {
        std::size_t count = 0;
        for (std::size_t i = first; i < pieces.size() && count < kMaxVectors; ++i) {
            const std::size_t skip = i == first ? offset : 0;
            if (pieces[i].size() == skip) continue;
            vectors[count++] = {const_cast<std::uint8_t*>(pieces[i].data()) + skip,
                                pieces[i].size() - skip};
        }
        if (count == 0) return true;
        step();
        ssize_t n = ::writev(fd, vectors, int(count));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        // Moves past what was written.
        auto left = std::size_t(n);
        while (first < pieces.size() && left >= pieces[first].size() - offset) {
            left -= pieces[first].size() - offset;
            ++first;
            offset = 0;
        }
        offset += left;
    }
    return true;
}

// An open folder, the one every step of a write works in by its handle.
struct Folder {
    int fd = -1;
    fs::path path;
    ~Folder() {
        if (fd >= 0) ::close(fd);
    }
};

std::shared_ptr<Folder> openFolder(const fs::path& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    auto folder = std::make_shared<Folder>();
    folder->fd = fd;
    folder->path = dir;
    return folder;
}

// Whether the kernel would follow the link `link` (its lstat) found in `folder`
// (its stat) under the protected-links rule, whatever the system's setting.
bool kernelWouldFollow(const struct stat& link, const struct stat& folder) {
    const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
    return !shared || link.st_uid == ::geteuid() || link.st_uid == folder.st_uid;
}

// The folder and name a write of `target` goes to, links at the name followed
// where the kernel would follow them. Nothing, with errno set, when a link is
// refused, loops, or a folder cannot be opened.
std::optional<std::pair<std::shared_ptr<Folder>, std::string>> placeOf(const fs::path& target) {
    if (target.empty() || !target.has_filename() || target.filename() == "." ||
        target.filename() == "..") {
        errno = EINVAL;
        return std::nullopt;
    }
    fs::path p = target;
    for (int depth = 0; depth <= kMaxLinks; ++depth) {
        fs::path dir = p.parent_path();
        if (dir.empty()) dir = ".";
        auto folder = openFolder(dir);
        if (!folder) return std::nullopt;
        const std::string name = p.filename().string();
        struct stat st {};
        if (::fstatat(folder->fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) return std::make_pair(folder, name);
            return std::nullopt;
        }
        if (!S_ISLNK(st.st_mode)) return std::make_pair(folder, name);
        struct stat folderStat {};
        if (::fstat(folder->fd, &folderStat) != 0) return std::nullopt;
        if (!kernelWouldFollow(st, folderStat)) {
            errno = kUntrustedLinkError;
            return std::nullopt;
        }
        std::string next(std::size_t(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlinkat(folder->fd, name.c_str(), next.data(), next.size());
        if (n < 0) return std::nullopt;
        if (std::size_t(n) >= next.size()) {
            errno = ENAMETOOLONG;
            return std::nullopt;
        }
        next.resize(std::size_t(n));
        const fs::path to = next;
        p = to.is_absolute() ? to : dir / to;
    }
    errno = ELOOP;
    return std::nullopt;
}

std::string randomSuffix() {
    static std::atomic<unsigned> counter{0};
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    const auto now = std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    std::uint64_t bits =
        now ^ (std::uint64_t(::getpid()) << 32) ^ (counter++ * 0x9E3779B97F4A7C15ull);
    std::string s;
    for (std::size_t i = 0; i < kTemporaryRandomLength; ++i, bits /= 36) s += kDigits[bits % 36];
    return s;
}

std::string temporaryName() {
    return std::string(kTemporaryPrefix) + randomSuffix() + std::string(kTemporarySuffix);
}

// Whether unnamed files can be linked into place: that takes /proc (a link by
// handle needs privileges the caller may not have).
bool canLinkUnnamed() {
    static const bool can = ::access("/proc/self/fd", X_OK) == 0;
    return can;
}

// A file written but not yet under its name.
struct Pending {
    fs::path target;
    std::shared_ptr<Folder> folder;
    std::string name;
    int fd = -1;
    std::string temporary;  // empty for an unnamed file

    void discard() {
        if (fd >= 0) ::close(fd);
        fd = -1;
        if (!temporary.empty()) ::unlinkat(folder->fd, temporary.c_str(), 0);
        temporary.clear();
    }
};

// A new file in `folder` for the bytes of `name`: unnamed where the file system
// allows, else under a temporary name. Created as any new file is (the umask and
// the folder's default permissions apply); an existing file's permissions are kept.
bool createFile(Pending& p) {
    struct stat st {};
    const bool exists = ::fstatat(p.folder->fd, p.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    // A folder in the way fails now, not when a batch gives the file its name.
    if (exists && S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return false;
    }
    // A new name takes an unnamed file by one link; an existing one is replaced by
    // a rename, which costs the same from a temporary name as from an unnamed file
    // linked in under one first.
    if (!exists && canLinkUnnamed()) {
        p.fd = ::openat(p.folder->fd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (p.fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return false;
    }
    for (int attempt = 0; p.fd < 0 && attempt < 100; ++attempt) {
        p.temporary = temporaryName();
        p.fd = ::openat(p.folder->fd, p.temporary.c_str(),
                        O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (p.fd < 0 && errno != EEXIST) {
            p.temporary.clear();
            return false;
        }
    }
    if (p.fd < 0) {
        p.temporary.clear();
        return false;
    }
    if (exists && S_ISREG(st.st_mode) && ::fchmod(p.fd, st.st_mode & 07777) != 0) return false;
    return true;
}

// Gives a whole file its name: an unnamed one is linked in (straight to its name
// when that is free, else under a temporary name renamed over the old file).
bool place(Pending& p) {
    const int dir = p.folder->fd;
    if (p.temporary.empty()) {
        const std::string self = "/proc/self/fd/" + std::to_string(p.fd);
        step();
        if (::linkat(AT_FDCWD, self.c_str(), dir, p.name.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST) return false;
        for (int attempt = 0; attempt < 100; ++attempt) {
            p.temporary = temporaryName();
            step();
            if (::linkat(AT_FDCWD, self.c_str(), dir, p.temporary.c_str(), AT_SYMLINK_FOLLOW) == 0)
                break;
            p.temporary.clear();
            if (errno != EEXIST) return false;
        }
        if (p.temporary.empty()) return false;
    }
    step();
    if (::renameat(dir, p.temporary.c_str(), dir, p.name.c_str()) != 0) return false;
    p.temporary.clear();
    return true;
}

struct BatchState {
    std::vector<Pending> pending;
    std::vector<WriteBatch::Failed> failed;
    std::map<fs::path, bool> cleaned;  // folders whose stale temporaries went
};

thread_local BatchState* openBatch = nullptr;

// Syncs every pending file, names each, then syncs each folder once. Failures go
// to `state.failed`.
void flush(BatchState& state, bool sync) {
    std::vector<int> errors(state.pending.size(), 0);
    if (sync)
        for (std::size_t i = 0; i < state.pending.size(); ++i) {
            step();
            if (::fsync(state.pending[i].fd) != 0) errors[i] = errno;
        }
    std::map<fs::path, std::shared_ptr<Folder>> folders;
    for (std::size_t i = 0; i < state.pending.size(); ++i) {
        Pending& p = state.pending[i];
        if (errors[i] == 0 && !place(p)) errors[i] = errno;
        if (::close(p.fd) != 0 && errors[i] == 0 && errno != EINTR) errors[i] = errno;
        p.fd = -1;
        if (errors[i] != 0) {
            p.discard();
            state.failed.push_back({p.target, errors[i]});
        } else {
            folders.emplace(p.folder->path, p.folder);
        }
    }
    state.pending.clear();
    // Makes the names durable; best effort, as some file systems cannot sync a folder.
    if (sync)
        for (auto& [path, folder] : folders) {
            step();
            (void)::fsync(folder->fd);
        }
}

// Writes the file into `state`; a Synced file stays pending, a Scratch one takes
// its name at once. False with errno set when the file could not be written.
bool add(BatchState& state, const fs::path& target, std::span<const ByteSpan> pieces,
         Durability durability) {
    auto where = placeOf(target);
    if (!where) return false;
    Pending p{target, where->first, where->second, -1, {}};
    const bool sync = durability == Durability::Synced;
    if (sync && state.cleaned.emplace(p.folder->path, true).second)
        removeStaleTemporaries(p.folder->path);
    bool ok = createFile(p) && writePieces(p.fd, pieces);
    if (ok && sync)  // starts the flush now; the sync at the end only waits for it
        (void)::sync_file_range(p.fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    if (ok && !sync && !p.temporary.empty()) {
        // A named file is closed before it takes its name, as nothing more is done
        // through it.
        ok = ::close(p.fd) == 0;
        p.fd = -1;
        ok = ok && place(p);
    } else if (ok && !sync) {
        ok = place(p);
        int error = errno;
        if (::close(p.fd) != 0 && ok) {
            ok = false;
            error = errno;
        }
        p.fd = -1;
        errno = error;
    }
    if (!ok) {
        const int error = errno;
        p.discard();
        errno = error;  // the reason of the failure, not of the clean-up
        return false;
    }
    if (!sync) return true;
    // A later write of the same name within the batch replaces an earlier one.
    for (Pending& earlier : state.pending)
        if (earlier.fd >= 0 && earlier.folder->path == p.folder->path && earlier.name == p.name) {
            earlier.discard();
            earlier = std::move(p);
            return true;
        }
    state.pending.push_back(std::move(p));
    if (state.pending.size() >= WriteBatch::kMaxPending) flush(state, true);
    return true;
}

}  // namespace

std::string writeErrorText(int error) {
    if (error == kUntrustedLinkError)
        return "It is a symbolic link that someone else put in a folder everyone may write "
               "to; it is not followed";
    if (error == kLinkAtNameError)
        return "It is a symbolic link; this file is never written through one";
    return std::strerror(error);
}

bool writeFileAtomically(const fs::path& target, std::span<const ByteSpan> pieces,
                         Durability durability) {
    if (openBatch && durability == Durability::Synced)
        return add(*openBatch, target, pieces, durability);
    BatchState one;
    if (!add(one, target, pieces, durability)) return false;
    flush(one, durability == Durability::Synced);
    if (one.failed.empty()) return true;
    errno = one.failed.front().error;
    return false;
}

bool writeFileAtomically(const fs::path& target, std::span<const std::uint8_t> bytes,
                         Durability durability) {
    const ByteSpan piece = bytes;
    return writeFileAtomically(target, std::span(&piece, 1), durability);
}

bool writeFileAtomically(const fs::path& target, std::string_view text, Durability durability) {
    return writeFileAtomically(
        target, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
        durability);
}

bool writeFileInPlace(const fs::path& target, std::span<const std::uint8_t> bytes) {
    // Non-blocking, so that a pipe put at the name cannot hold the open up.
    const int fd = ::open(
        target.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        struct stat st {};
        // Refused by O_NOFOLLOW, or before it by the kernel's own rule for links.
        if (::lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) errno = kLinkAtNameError;
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    if (ok && !S_ISREG(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ok = false;
    }
    const ByteSpan whole = bytes;
    ok = ok && ::fcntl(fd, F_SETFL, 0) == 0 && ::ftruncate(fd, 0) == 0 &&
         writePieces(fd, std::span<const ByteSpan>(&whole, 1));
    const int error = errno;
    if (::close(fd) != 0 && ok) return false;
    errno = error;
    return ok;
}

bool isTemporaryName(std::string_view name) {
    if (name.size() != kTemporaryPrefix.size() + kTemporaryRandomLength + kTemporarySuffix.size() ||
        name.substr(0, kTemporaryPrefix.size()) != kTemporaryPrefix ||
        name.substr(name.size() - kTemporarySuffix.size()) != kTemporarySuffix)
        return false;
    for (char c : name.substr(kTemporaryPrefix.size(), kTemporaryRandomLength))
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'))) return false;
    return true;
}

int removeStaleTemporaries(const fs::path& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return 0;
    DIR* listing = ::fdopendir(fd);
    if (!listing) {
        ::close(fd);
        return 0;
    }
    const std::time_t now = std::time(nullptr);
    int removed = 0;
    while (const dirent* e = ::readdir(listing)) {
        if (!isTemporaryName(e->d_name)) continue;
        struct stat st {};
        if (::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid() || now - st.st_mtime <= kStaleAfterSeconds)
            continue;
        if (::unlinkat(fd, e->d_name, 0) == 0) ++removed;
    }
    ::closedir(listing);
    return removed;
}

WriteBatch::WriteBatch() : active_(openBatch == nullptr) {
    if (active_) openBatch = new BatchState;
}

WriteBatch::~WriteBatch() {
    if (active_) (void)commit();
    if (active_) {
        delete openBatch;
        openBatch = nullptr;
    }
}

std::vector<WriteBatch::Failed> WriteBatch::commit() {
    if (!active_ || !openBatch) return {};
    flush(*openBatch, true);
    std::vector<Failed> failed = std::move(openBatch->failed);
    openBatch->failed.clear();
    return failed;
}

void setWriteStepHook(void (*hook)(std::uint64_t)) {
    stepCount = 0;
    stepHook = hook;
}

}  // namespace pellimar
