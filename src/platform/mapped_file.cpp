#include "platform/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/byte_reader.h"

namespace pellimar {

MappedFile::MappedFile(MappedFile&& other) noexcept
    : map_(other.map_), size_(other.size_), copy_(std::move(other.copy_)) {
    other.map_ = nullptr;
    other.size_ = 0;
}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
    if (this != &other) {
        release();
        map_ = other.map_;
        size_ = other.size_;
        copy_ = std::move(other.copy_);
        other.map_ = nullptr;
        other.size_ = 0;
    }
    return *this;
}

MappedFile::~MappedFile() {
    release();
}

void MappedFile::release() {
    if (map_) ::munmap(const_cast<std::uint8_t*>(map_), size_);
    map_ = nullptr;
    size_ = 0;
}

std::optional<MappedFile> MappedFile::open(const std::filesystem::path& file) {
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    MappedFile result;
    if (st.st_size > 0) {
        void* p = ::mmap(nullptr, std::size_t(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        if (p != MAP_FAILED) {
            // Readers jump from header to directory to one resource: without this the
            // kernel reads ahead around every touched page (megabytes on some
            // systems), which is the whole of many files.
            ::madvise(p, std::size_t(st.st_size), MADV_RANDOM);
            result.map_ = static_cast<const std::uint8_t*>(p);
            result.size_ = std::size_t(st.st_size);
        } else if (std::uint64_t(st.st_size) <= kMaxImageBytes) {
            auto data = readRange(fd, 0, std::uint64_t(st.st_size));
            if (!data) {
                ::close(fd);
                return std::nullopt;
            }
            result.copy_ = std::move(*data);
        } else {
            ::close(fd);
            return std::nullopt;
        }
    }
    ::close(fd);
    return result;
}

std::optional<std::vector<std::uint8_t>> readRange(int fd, std::uint64_t offset,
                                                   std::uint64_t length) {
    if (length > kMaxImageBytes) return std::nullopt;
    std::vector<std::uint8_t> out(static_cast<std::size_t>(length));
    std::size_t done = 0;
    while (done < out.size()) {
        ssize_t n = ::pread(fd, out.data() + done, out.size() - done, off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (n == 0) return std::nullopt;
        done += std::size_t(n);
    }
    return out;
}

}  // namespace pellimar
