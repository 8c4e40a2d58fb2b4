#include "platform/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

namespace pellimar {
namespace fs = std::filesystem;

// A folder held open (O_PATH: its permissions need only let it be searched), as
// it was when it was opened.
struct OutputFolder::Held {
    int fd = -1;
    fs::path path;  // how it was reached, for messages
    struct stat st {};

    Held() = default;
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ~Held() {
        if (fd >= 0) ::close(fd);
    }
};

namespace {

// As many links as the system follows in one path.
constexpr int kMaxLinks = 40;
// A name that keeps changing under the walk (made, removed, swapped for a link)
// is tried this often before the walk gives up with the last reason; each name
// on the way has as many tries of its own.
constexpr int kMaxRetries = 8;
constexpr std::string_view kTemporaryPrefix = ".pellimar-";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::size_t kTemporaryRandomLength = 10;
// A temporary file younger than this may belong to a write still under way.
constexpr std::time_t kStaleAfterSeconds = 60;

std::atomic<void (*)(std::uint64_t)> stepHook{nullptr};
std::atomic<bool> unnamedAllowed{true};
std::atomic<std::uint64_t> stepCount{0};

void step() {
    if (auto hook = stepHook.load(std::memory_order_relaxed)) hook(++stepCount);
}

Failure systemError(int error) {
    return systemFailure(Fault::WriteFailed, error);
}

// The reason of the call that just failed: errno, or EIO should it hold none.
Failure lastError() {
    return systemError(errno != 0 ? errno : EIO);
}

// The pieces in as few system calls as may be, from the file's current offset.
// The errno value of the failure, or 0.
int writePieces(int fd, std::span<const ByteSpan> pieces) {
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
        if (count == 0) return 0;
        step();
        const ssize_t n = ::writev(fd, vectors, int(count));
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return EIO;
        // Moves past what was written.
        auto left = std::size_t(n);
        while (first < pieces.size() && left >= pieces[first].size() - offset) {
            left -= pieces[first].size() - offset;
            ++first;
            offset = 0;
        }
        offset += left;
    }
    return 0;
}

std::uint64_t sizeOf(std::span<const ByteSpan> pieces) {
    std::uint64_t size = 0;
    for (const ByteSpan& piece : pieces) size += piece.size();
    return size;
}

// ---- The walk ---------------------------------------------------------------

using Folder = OutputFolder::Held;
using FolderPtr = std::shared_ptr<const Folder>;

Result<FolderPtr> holdFolder(int fd, fs::path path) {
    auto folder = std::make_shared<Folder>();
    folder->fd = fd;
    folder->path = std::move(path);
    if (::fstat(fd, &folder->st) != 0) return lastError();
    if (!S_ISDIR(folder->st.st_mode)) return systemError(ENOTDIR);
    return FolderPtr(std::move(folder));
}

Result<FolderPtr> openStart(bool absolute) {
    const char* start = absolute ? "/" : ".";
    const int fd = ::open(start, O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return lastError();
    return holdFolder(fd, absolute ? fs::path("/") : fs::path());
}

// Whether no one but the caller or root may change what `folder` holds: it is
// theirs, and no one else may write to it, or only under the sticky rule.
bool trusted(const struct stat& folder) {
    const uid_t me = ::geteuid();
    if (folder.st_uid != me && folder.st_uid != 0) return false;
    return (folder.st_mode & (S_IWGRP | S_IWOTH)) == 0 || (folder.st_mode & S_ISVTX) != 0;
}

// Why the link `link` (its lstat) found in `folder` is not followed, or nothing
// when it may be. `shown` names it when it is a folder on the way.
std::optional<Failure> linkRefused(const struct stat& link, const Folder& folder,
                                   const std::string& shown) {
    const uid_t me = ::geteuid();
    const bool ownLink = link.st_uid == me || link.st_uid == 0;
    if (ownLink && trusted(folder.st)) return std::nullopt;
    Fault fault = Fault::LinkInOthersFolder;
    if (!ownLink && (folder.st.st_mode & S_IWOTH) != 0)
        fault = Fault::SharedFolderLink;
    else if (!ownLink && trusted(folder.st))
        fault = Fault::OthersLink;
    return failure(fault, shown);
}

// What the link `name` in `folder` names. Room for the longest path a link may
// hold, whatever size the file system gives the link (some give none, or any).
Result<fs::path> readLink(const Folder& folder, const std::string& name) {
    std::string target(PATH_MAX, '\0');
    const ssize_t n = ::readlinkat(folder.fd, name.c_str(), target.data(), target.size());
    if (n < 0) return lastError();
    if (std::size_t(n) >= target.size()) return systemError(ENAMETOOLONG);
    target.resize(std::size_t(n));
    if (target.empty()) return systemError(ENOENT);
    return fs::path(target);
}

// The names of `path` after its root, in order ("." left out).
void pushComponents(const fs::path& path, std::deque<std::string>& into) {
    std::vector<std::string> names;
    for (const fs::path& part : path.relative_path())
        if (!part.empty() && part != ".") names.push_back(part.string());
    into.insert(into.begin(), names.begin(), names.end());
}

// The folder `rel` from `start` (from "/" when `rel` is absolute), component by
// component by the links rule; missing folders made when `create` is set.
// `links` counts the links the walk may still follow.
Result<FolderPtr> walk(FolderPtr start, const fs::path& rel, bool create, int& links) {
    FolderPtr at = std::move(start);
    if (rel.is_absolute()) {
        auto root = openStart(true);
        if (!root) return root.failure();
        at = *root;
    }
    std::deque<std::string> rest;
    pushComponents(rel, rest);
    int retries = 0;  // of the name at the front of `rest`
    while (!rest.empty()) {
        const std::string name = rest.front();
        rest.pop_front();
        const fs::path shown = at->path / name;
        if (name == "..") {
            // Never a link: the parent of the folder held.
            const int fd = ::openat(at->fd, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
            if (fd < 0) return lastError();
            auto parent = holdFolder(fd, shown);
            if (!parent) return parent.failure();
            at = *parent;
            retries = 0;
            continue;
        }
        struct stat st {};
        if (::fstatat(at->fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT || !create) return lastError();
            // Made as any new folder is (the umask applies); if someone else made
            // the name first, it is looked at again as if it had been there.
            step();
            if (::mkdirat(at->fd, name.c_str(), 0777) != 0 && errno != EEXIST) return lastError();
            if (++retries > kMaxRetries) return systemError(EAGAIN);
            rest.push_front(name);
            continue;
        }
        if (S_ISLNK(st.st_mode)) {
            if (auto refused = linkRefused(st, *at, shown.string())) return *refused;
            if (--links < 0) return systemError(ELOOP);
            auto target = readLink(*at, name);
            if (!target) return target.failure();
            if (target->is_absolute()) {
                auto root = openStart(true);
                if (!root) return root.failure();
                at = *root;
            }
            pushComponents(*target, rest);
            continue;
        }
        if (!S_ISDIR(st.st_mode)) return systemError(ENOTDIR);
        // O_NOFOLLOW: a link put at the name since it was looked at is not entered
        // (it fails, and is looked at again).
        const int fd =
            ::openat(at->fd, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            if ((errno == ENOTDIR || errno == ELOOP || errno == ENOENT) &&
                ++retries <= kMaxRetries) {
                rest.push_front(name);
                continue;
            }
            return lastError();
        }
        auto next = holdFolder(fd, shown);
        if (!next) {
            if (++retries > kMaxRetries) return next.failure();
            rest.push_front(name);
            continue;
        }
        at = *next;
        retries = 0;
    }
    return at;
}

Result<FolderPtr> walkFrom(const fs::path& dir, bool create, int& links) {
    auto start = openStart(dir.is_absolute());
    if (!start) return start.failure();
    return walk(*start, dir, create, links);
}

// Where a file is to go: its folder, held, and its name there, with what is at
// that name now.
struct Place {
    FolderPtr folder;
    std::string name;
    std::optional<struct stat> existing;
};

bool hasFileName(const fs::path& p) {
    return p.has_filename() && p.filename() != "." && p.filename() != "..";
}

// The place of `target`, a link at its name followed by the rule when
// `followLinks` is set, refused (Fault::LinkAtName) when not. A folder at the
// place fails.
Result<Place> placeIn(FolderPtr folder, std::string name, bool followLinks, int& links);

Result<Place> placeOf(const fs::path& target, bool create, bool followLinks) {
    if (!hasFileName(target)) return failure(Fault::NoFileName);
    int links = kMaxLinks;
    auto folder = walkFrom(target.parent_path(), create, links);
    if (!folder) return folder.failure();
    return placeIn(*folder, target.filename().string(), followLinks, links);
}

// The place of the file `name` in `folder`, held already; the rest as placeOf.
Result<Place> placeIn(FolderPtr folder, std::string name, bool followLinks, int& links) {
    Place place{std::move(folder), std::move(name), std::nullopt};
    // The caller knows the name it gave; a link reached through one is named.
    bool throughLink = false;
    while (true) {
        struct stat st {};
        if (::fstatat(place.folder->fd, place.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) return lastError();
            return place;
        }
        if (S_ISDIR(st.st_mode)) return systemError(EISDIR);
        if (!S_ISLNK(st.st_mode)) {
            place.existing = st;
            return place;
        }
        if (!followLinks) return failure(Fault::LinkAtName);
        const std::string shown = throughLink ? (place.folder->path / place.name).string() : "";
        if (auto refused = linkRefused(st, *place.folder, shown)) return *refused;
        if (--links < 0) return systemError(ELOOP);
        auto to = readLink(*place.folder, place.name);
        if (!to) return to.failure();
        // A link that names a folder ("x/", "..") leads to no file to write.
        if (!hasFileName(*to)) return systemError(EISDIR);
        auto next = walk(place.folder, to->parent_path(), false, links);
        if (!next) return next.failure();
        place.folder = *next;
        place.name = to->filename().string();
        throughLink = true;
    }
}

// ---- Files --------------------------------------------------------------------

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
    return can && unnamedAllowed.load(std::memory_order_relaxed);
}

std::string procPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

// A file written but not yet under its name.
struct Pending {
    fs::path target;
    FolderPtr folder;
    std::string name;
    Replace replace = Replace::Always;
    int fd = -1;
    std::string temporary;  // empty for an unnamed file

    Pending() = default;
    Pending(Pending&& other) noexcept { *this = std::move(other); }
    Pending& operator=(Pending&& other) noexcept {
        if (this != &other) {
            discard();
            target = std::move(other.target);
            folder = std::move(other.folder);
            name = std::move(other.name);
            replace = other.replace;
            fd = std::exchange(other.fd, -1);
            temporary = std::move(other.temporary);
            other.temporary.clear();
        }
        return *this;
    }
    ~Pending() { discard(); }

    void discard() {
        if (fd >= 0) ::close(fd);
        fd = -1;
        if (!temporary.empty() && folder) ::unlinkat(folder->fd, temporary.c_str(), 0);
        temporary.clear();
    }
};

// Opens a new file under a temporary name in `p`'s folder.
Result<Done> createTemporary(Pending& p) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        p.temporary = temporaryName();
        p.fd = ::openat(p.folder->fd, p.temporary.c_str(),
                        O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (p.fd >= 0) return Done{};
        const int error = errno;
        p.temporary.clear();
        if (error != EEXIST) return systemError(error);
    }
    return systemError(EEXIST);
}

// A new file in `p`'s folder for the bytes of its name: unnamed where the file
// system allows, else under a temporary name. `existing` is what is at the name:
// a file of the caller's gives its permission bits to the new one.
Result<Done> createFile(Pending& p, const std::optional<struct stat>& existing) {
    // Unnamed where the file system allows: a kill while it is written leaves
    // nothing behind. A free name, or one never to be replaced, takes it by one
    // link; an existing one is replaced by a rename from a temporary name it is
    // linked under once it is whole.
    if (canLinkUnnamed()) {
        p.fd = ::openat(p.folder->fd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (p.fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return lastError();
    }
    if (p.fd < 0) {
        auto made = createTemporary(p);
        if (!made) return made;
    }
    if (existing && p.replace == Replace::Always && S_ISREG(existing->st_mode) &&
        existing->st_uid == ::geteuid() && ::fchmod(p.fd, existing->st_mode & 0777) != 0)
        return lastError();
    return Done{};
}

// Links the unnamed file `fd` into `folder` as `name`; never replaces.
bool linkUnnamed(int fd, const Folder& folder, const std::string& name) {
    step();
    return ::linkat(AT_FDCWD, procPath(fd).c_str(), folder.fd, name.c_str(), AT_SYMLINK_FOLLOW) ==
           0;
}

// Gives a temporary file its name only where no file is: Kept when one is.
Result<Placed> placeTemporaryWithoutReplacing(Pending& p) {
    const int dir = p.folder->fd;
    step();
    if (::renameat2(dir, p.temporary.c_str(), dir, p.name.c_str(), RENAME_NOREPLACE) == 0) {
        p.temporary.clear();
        return Placed::Written;
    }
    if (errno == EEXIST) return Placed::Kept;
    if (errno != EINVAL && errno != ENOSYS) return lastError();
    // A file system without the no-replace rename: a second link, which fails
    // where a name is taken, then the temporary name goes.
    step();
    if (::linkat(dir, p.temporary.c_str(), dir, p.name.c_str(), 0) != 0)
        return errno == EEXIST ? Result<Placed>(Placed::Kept) : Result<Placed>(lastError());
    step();
    ::unlinkat(dir, p.temporary.c_str(), 0);
    p.temporary.clear();
    return Placed::Written;
}

// Gives a whole file its name as its Replace says.
Result<Placed> place(Pending& p) {
    const int dir = p.folder->fd;
    if (p.replace == Replace::Never) {
        if (!p.temporary.empty()) return placeTemporaryWithoutReplacing(p);
        if (linkUnnamed(p.fd, *p.folder, p.name)) return Placed::Written;
        if (errno == EEXIST) return Placed::Kept;
        return lastError();
    }
    if (p.temporary.empty()) {
        // Straight to its name when that is free, else under a temporary name
        // renamed over the file there.
        if (linkUnnamed(p.fd, *p.folder, p.name)) return Placed::Written;
        if (errno != EEXIST) return lastError();
        for (int attempt = 0; attempt < 100 && p.temporary.empty(); ++attempt) {
            const std::string name = temporaryName();
            if (linkUnnamed(p.fd, *p.folder, name)) {
                p.temporary = name;
            } else if (errno != EEXIST) {
                return lastError();
            }
        }
        if (p.temporary.empty()) return systemError(EEXIST);
    }
    step();
    if (::renameat(dir, p.temporary.c_str(), dir, p.name.c_str()) != 0) return lastError();
    p.temporary.clear();
    return Placed::Written;
}

// Where a folder is, for telling one from another however it was reached.
using FolderKey = std::pair<dev_t, ino_t>;
FolderKey keyOf(const Folder& folder) {
    return {folder.st.st_dev, folder.st.st_ino};
}

void syncFolder(const Folder& folder) {
    // An O_PATH handle cannot be synced: the folder is opened for it. Best effort,
    // as some file systems cannot sync a folder.
    const int fd = ::openat(folder.fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    step();
    (void)::fsync(fd);
    ::close(fd);
}

int removeStaleIn(const Folder& folder) {
    const int fd = ::openat(folder.fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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

// Whether `folder` is yet to be cleared of stale temporaries in this process,
// marking it cleared: each folder is read once, however many files go to it. A
// folder is told by its birth time as well, where the file system keeps one, as
// a folder made after another was removed may take its number.
bool firstClearing(const Folder& folder) {
    struct statx born {};
    const bool hasBirth =
        ::statx(folder.fd, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, STATX_BTIME, &born) == 0 &&
        (born.stx_mask & STATX_BTIME) != 0;
    const auto key =
        std::make_tuple(folder.st.st_dev, folder.st.st_ino, hasBirth ? born.stx_btime.tv_sec : 0,
                        hasBirth ? born.stx_btime.tv_nsec : 0u);
    static std::mutex guard;
    static std::set<std::remove_const_t<decltype(key)>> cleared;
    const std::lock_guard lock(guard);
    return cleared.insert(key).second;
}

// Removes the stale temporaries of `folder` unless this process did already.
void clearOnce(const Folder& folder) {
    if (firstClearing(folder)) removeStaleIn(folder);
}

struct BatchState {
    std::vector<Pending> pending;
    std::vector<WriteOutcome> outcomes;  // of the files placed so far
};

thread_local BatchState* openBatch = nullptr;

// Syncs every pending file, places each, then syncs each folder a file went to
// once. The outcomes go to `state.outcomes`.
void flush(BatchState& state) {
    std::vector<std::optional<Failure>> failed(state.pending.size());
    for (std::size_t i = 0; i < state.pending.size(); ++i) {
        step();
        if (::fsync(state.pending[i].fd) != 0) failed[i] = lastError();
    }
    std::map<FolderKey, FolderPtr> folders;
    for (std::size_t i = 0; i < state.pending.size(); ++i) {
        Pending& p = state.pending[i];
        Result<Placed> placed = failed[i] ? Result<Placed>(*failed[i]) : place(p);
        if (::close(p.fd) != 0 && placed && *placed == Placed::Written && errno != EINTR)
            placed = lastError();  // too late to take the name back, but it is told
        p.fd = -1;
        if (placed && *placed == Placed::Written) folders.emplace(keyOf(*p.folder), p.folder);
        p.discard();
        state.outcomes.push_back({p.target, std::move(placed)});
    }
    state.pending.clear();
    // Makes the names durable.
    for (const auto& entry : folders) syncFolder(*entry.second);
}

// A new file for `p`'s name, with the bytes in it; not yet placed.
Result<Done> writeNew(Pending& p, const std::optional<struct stat>& existing,
                      std::span<const ByteSpan> pieces) {
    if (auto made = createFile(p, existing); !made) return made;
    if (const int error = writePieces(p.fd, pieces)) return systemError(error);
    return Done{};
}

// Places a file written without a sync, and closes it: a write error that only
// the close reports (as NFS does) fails it, named or not.
Result<Placed> placeAndClose(Pending& p) {
    if (!p.temporary.empty()) {
        // A named file is closed before it takes its name, as nothing more is done
        // through it.
        const int fd = std::exchange(p.fd, -1);
        if (::close(fd) != 0 && errno != EINTR) return lastError();
    }
    Result<Placed> placed = place(p);
    if (p.fd >= 0) {
        const int fd = std::exchange(p.fd, -1);
        if (::close(fd) != 0 && placed && *placed == Placed::Written && errno != EINTR)
            placed = lastError();  // too late to take the name back, but it is told
    }
    return placed;
}

// Writes the file into `state`; a Synced file stays pending, a Scratch one takes
// its name at once.
Result<Placed> add(BatchState& state, const fs::path& target, const Place* where,
                   std::span<const ByteSpan> pieces, const WriteOptions& options) {
    Pending p;
    p.target = target;
    p.folder = where->folder;
    p.name = where->name;
    p.replace = options.replace;
    const bool sync = options.durability == Durability::Synced;
    if (sync) clearOnce(*p.folder);
    if (auto written = writeNew(p, where->existing, pieces); !written) return written.failure();
    if (!sync) return placeAndClose(p);
    // Starts the flush now; the sync at the end only waits for it.
    (void)::sync_file_range(p.fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    // A later write of the same name within the batch takes the earlier one's place.
    for (Pending& earlier : state.pending)
        if (keyOf(*earlier.folder) == keyOf(*p.folder) && earlier.name == p.name) {
            earlier = std::move(p);
            return Placed::Pending;
        }
    state.pending.push_back(std::move(p));
    if (state.pending.size() >= WriteBatch::kMaxPending) flush(state);
    return Placed::Pending;
}

// ---- Writing in place -----------------------------------------------------------

// Makes `place`'s name whole: an unnamed file (or a temporary one) written, then
// placed as `replace` says. Kept when Replace::Never finds the name taken.
Result<Placed> writeWhole(const Place& at, std::span<const ByteSpan> pieces, Replace replace) {
    Pending p;
    p.folder = at.folder;
    p.name = at.name;
    p.replace = replace;
    if (auto written = writeNew(p, at.existing, pieces); !written) return written.failure();
    return placeAndClose(p);
}

// The bytes over the file `fd` from its start, room reserved first where the
// file system can and the rest of the old bytes cut off last.
Result<Done> overwrite(int fd, std::span<const ByteSpan> pieces) {
    const auto size = off_t(sizeOf(pieces));
    step();
    // Not posix_fallocate(): where the file system cannot reserve, the C library
    // stands in by reading the old blocks, which this write-only handle cannot.
    int reserved = 0;
    if (size > 0) {
        int r = 0;
        do r = ::fallocate(fd, 0, 0, size);
        while (r != 0 && errno == EINTR);
        reserved = r == 0 ? 0 : errno;
    }
    // A full disk or a size limit fails here, before any byte has changed. A file
    // system that cannot reserve (NFS before 4.2, many FUSE ones; EINVAL from some
    // of them) takes the bytes without: there a full disk fails during the write,
    // with the new bytes in part over the old ones.
    if (reserved != 0 && reserved != EOPNOTSUPP && reserved != ENOSYS && reserved != EINVAL)
        return systemError(reserved);
    if (const int error = writePieces(fd, pieces)) return systemError(error);
    step();
    if (::ftruncate(fd, size) != 0) return lastError();
    return Done{};
}

// Whether the file at `at` may be written through: the caller's own regular
// file with no other link, in a folder of the caller's or root's that no one
// else may write to or that is sticky.
bool writableInPlace(const Place& at) {
    return at.existing && S_ISREG(at.existing->st_mode) && at.existing->st_uid == ::geteuid() &&
           at.existing->st_nlink == 1 && trusted(at.folder->st);
}

}  // namespace

// ---- Public --------------------------------------------------------------------

namespace {

// Writes `target` at `where`, the place found for it, through the thread's batch
// when one is open.
Result<Placed> writeAt(const fs::path& target, const Result<Place>& where,
                       std::span<const ByteSpan> pieces, const WriteOptions& options) {
    if (!where) return where.failure();
    if (openBatch && options.durability == Durability::Synced)
        return add(*openBatch, target, &*where, pieces, options);
    BatchState one;
    Result<Placed> added = add(one, target, &*where, pieces, options);
    if (!added || *added != Placed::Pending) return added;
    flush(one);
    return std::move(one.outcomes.front().placed);
}

}  // namespace

Result<Placed> writeFile(const fs::path& target, std::span<const ByteSpan> pieces,
                         const WriteOptions& options) {
    return writeAt(target, placeOf(target, options.createFolders, true), pieces, options);
}

Result<Placed> writeFile(const fs::path& target, std::span<const std::uint8_t> bytes,
                         const WriteOptions& options) {
    const ByteSpan piece = bytes;
    return writeFile(target, std::span(&piece, 1), options);
}

Result<Placed> writeFile(const fs::path& target, std::string_view text,
                         const WriteOptions& options) {
    return writeFile(target,
                     std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                     options);
}

Result<Done> writeFileInPlace(const fs::path& target, std::span<const std::uint8_t> bytes) {
    const ByteSpan piece = bytes;
    const std::span<const ByteSpan> pieces(&piece, 1);
    for (int attempt = 0; attempt <= kMaxRetries; ++attempt) {
        auto at = placeOf(target, false, false);
        if (!at) return at.failure();
        if (!at->existing) {
            // Made whole; should a file have come to the name meanwhile, it is
            // looked at again.
            auto made = writeWhole(*at, pieces, Replace::Never);
            if (!made) return made.failure();
            if (*made == Placed::Written) return Done{};
            continue;
        }
        if (!writableInPlace(*at)) {
            auto replaced = writeWhole(*at, pieces, Replace::Always);
            if (!replaced) return replaced.failure();
            return Done{};
        }
        // Non-blocking and without following a link, should the name have changed
        // since it was looked at; the file opened is checked to be the one seen.
        const int fd = ::openat(at->folder->fd, at->name.c_str(),
                                O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            if (errno == ELOOP || errno == ENOENT || errno == ENXIO) continue;
            return lastError();
        }
        struct stat st {};
        const bool same = ::fstat(fd, &st) == 0 && st.st_dev == at->existing->st_dev &&
                          st.st_ino == at->existing->st_ino && st.st_nlink == 1 &&
                          st.st_uid == ::geteuid();
        if (!same) {
            ::close(fd);
            continue;
        }
        Result<Done> written =
            ::fcntl(fd, F_SETFL, 0) == 0 ? overwrite(fd, pieces) : Result<Done>(lastError());
        if (::close(fd) != 0 && written && errno != EINTR) return lastError();
        return written;
    }
    return systemError(EAGAIN);
}

Result<Placed> writeSymbolicLink(const fs::path& link, const fs::path& target,
                                 const WriteOptions& options) {
    if (!hasFileName(link)) return failure(Fault::NoFileName);
    if (target.empty()) return systemError(EINVAL);
    int links = kMaxLinks;
    auto folder = walkFrom(link.parent_path(), options.createFolders, links);
    if (!folder) return folder.failure();
    const Folder& at = **folder;
    const std::string name = link.filename().string();
    struct stat st {};
    if (::fstatat(at.fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode))
        return systemError(EISDIR);
    const bool sync = options.durability == Durability::Synced;
    if (sync) clearOnce(at);
    std::string temporary;
    for (int attempt = 0; attempt < 100 && temporary.empty(); ++attempt) {
        const std::string candidate = temporaryName();
        step();
        if (::symlinkat(target.c_str(), at.fd, candidate.c_str()) == 0)
            temporary = candidate;
        else if (errno != EEXIST)
            return lastError();
    }
    if (temporary.empty()) return systemError(EEXIST);
    Result<Placed> placed = Placed::Written;
    bool renamed = false;
    step();
    if (options.replace == Replace::Always) {
        renamed = ::renameat(at.fd, temporary.c_str(), at.fd, name.c_str()) == 0;
        if (!renamed) placed = lastError();
    } else if (::renameat2(at.fd, temporary.c_str(), at.fd, name.c_str(), RENAME_NOREPLACE) == 0) {
        renamed = true;
    } else {
        if (errno == EEXIST) {
            placed = Placed::Kept;
        } else if (errno != EINVAL && errno != ENOSYS) {
            placed = lastError();
        } else {
            // Without the no-replace rename: a second link to the link itself,
            // which fails where the name is taken.
            step();
            if (::linkat(at.fd, temporary.c_str(), at.fd, name.c_str(), 0) != 0)
                placed =
                    errno == EEXIST ? Result<Placed>(Placed::Kept) : Result<Placed>(lastError());
        }
    }
    // Left after a refusal or a second link.
    if (!renamed) ::unlinkat(at.fd, temporary.c_str(), 0);
    if (sync && placed && *placed == Placed::Written) syncFolder(at);
    return placed;
}

std::string writeFailureReason(const Failure& failure) {
    if (failure.fault == Fault::WriteFailed && failure.error != 0)
        return std::strerror(failure.error);
    return failure.message();
}

Result<OutputFolder> OutputFolder::open(const fs::path& dir, bool create) {
    int links = kMaxLinks;
    auto folder = walkFrom(dir.empty() ? fs::path(".") : dir, create, links);
    if (!folder) return folder.failure();
    return OutputFolder(std::move(*folder));
}

int OutputFolder::removeStaleTemporaries() const {
    (void)firstClearing(*held_);
    return removeStaleIn(*held_);
}

Result<Placed> OutputFolder::write(const std::string& name, std::span<const ByteSpan> pieces,
                                   const WriteOptions& options) const {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        return failure(Fault::NoFileName);
    int links = kMaxLinks;
    return writeAt(held_->path / name, placeIn(held_, name, true, links), pieces, options);
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

WriteBatch::WriteBatch() : active_(openBatch == nullptr) {
    if (active_) openBatch = new BatchState;
}

WriteBatch::~WriteBatch() {
    if (!active_) return;
    (void)commit();
    delete openBatch;
    openBatch = nullptr;
}

std::vector<WriteOutcome> WriteBatch::commit() {
    if (!active_ || !openBatch) return {};
    flush(*openBatch);
    return std::exchange(openBatch->outcomes, {});
}

void setWriteStepHook(void (*hook)(std::uint64_t)) {
    stepCount = 0;
    stepHook = hook;
}

void setUnnamedFilesAllowed(bool allowed) {
    unnamedAllowed = allowed;
}

}  // namespace pellimar
