#include "platform/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/byte_reader.h"
#include "platform/caps.h"

namespace pellimar {

namespace {

// Reads up to `length` bytes at `offset`; the count read (short at the end of the
// file), or nothing on an error.
std::optional<std::size_t> readUpTo(int fd, std::uint64_t offset, std::uint8_t* out,
                                    std::size_t length) {
    std::size_t done = 0;
    while (done < length) {
        ssize_t n = ::pread(fd, out + done, length - done, off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (n == 0) break;
        done += std::size_t(n);
    }
    return done;
}

}  // namespace

ByteSource::ByteSource(std::span<const std::uint8_t> memory)
    : memory_(memory), size_(memory.size()) {}

Result<ByteSource> ByteSource::open(const std::filesystem::path& file) {
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return systemFailure(Fault::CannotOpen, errno);
    return adopt(fd);
}

Result<ByteSource> ByteSource::openDescriptor(int fd) {
    const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (own < 0) return systemFailure(Fault::CannotOpen, errno);
    return adopt(own);
}

Result<ByteSource> ByteSource::adopt(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return systemFailure(Fault::ReadFailed, error);
    }
    if (!S_ISREG(st.st_mode) || st.st_size < 0) {
        ::close(fd);
        return failure(Fault::NotRegularFile);
    }
    ByteSource source;
    source.fd_ = fd;
    source.size_ = std::uint64_t(st.st_size);
    return source;
}

ByteSource::ByteSource(ByteSource&& other) noexcept
    : memory_(other.memory_),
      fd_(other.fd_),
      size_(other.size_),
      blocks_(std::move(other.blocks_)) {
    other.fd_ = -1;
    other.size_ = 0;
    other.memory_ = {};
}

ByteSource& ByteSource::operator=(ByteSource&& other) noexcept {
    if (this != &other) {
        close();
        memory_ = other.memory_;
        fd_ = other.fd_;
        size_ = other.size_;
        blocks_ = std::move(other.blocks_);
        other.fd_ = -1;
        other.size_ = 0;
        other.memory_ = {};
    }
    return *this;
}

ByteSource::~ByteSource() {
    close();
}

void ByteSource::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

const ByteSource::Block* ByteSource::block(std::uint64_t index) const {
    if (!blocks_) blocks_ = std::make_unique_for_overwrite<Block[]>(kBlockCount);
    Block& b = blocks_[index % kBlockCount];
    const std::uint64_t start = index * kBlockSize;
    if (b.start == start) return &b;
    const std::size_t wanted = std::size_t(std::min<std::uint64_t>(kBlockSize, size_ - start));
    auto got = readUpTo(fd_, start, b.bytes.data(), wanted);
    if (!got) {
        b.start = UINT64_MAX;
        return nullptr;
    }
    b.start = start;
    b.length = *got;
    return &b;
}

bool ByteSource::small(std::uint64_t offset, std::size_t length, std::uint8_t* out) const {
    if (!has(offset, length)) return false;
    if (fd_ < 0) {
        std::memcpy(out, memory_.data() + offset, length);
        return true;
    }
    for (std::size_t i = 0; i < length;) {
        const std::uint64_t at = offset + i;
        const Block* b = block(at / kBlockSize);
        if (b == nullptr) return false;
        const std::size_t inBlock = std::size_t(at - b->start);
        const std::size_t take = std::min(length - i, kBlockSize - inBlock);
        if (inBlock + take > b->length) return false;  // the file shrank
        std::memcpy(out + i, b->bytes.data() + inBlock, take);
        i += take;
    }
    return true;
}

bool ByteSource::peekAlone(std::uint64_t offset, std::size_t length, std::uint8_t* out) const {
    if (!has(offset, length)) return false;
    if (fd_ < 0) {
        std::memcpy(out, memory_.data() + offset, length);
        return true;
    }
    const auto got = readUpTo(fd_, offset, out, length);
    return got && *got == length;
}

std::optional<std::uint16_t> ByteSource::u16(std::uint64_t offset) const {
    std::uint8_t b[2];
    if (!small(offset, 2, b)) return std::nullopt;
    return loadU16(b);
}

std::optional<std::uint32_t> ByteSource::u32(std::uint64_t offset) const {
    std::uint8_t b[4];
    if (!small(offset, 4, b)) return std::nullopt;
    return loadU32(b);
}

Result<std::vector<std::uint8_t>> ByteSource::fetch(std::uint64_t offset, std::uint64_t length,
                                                    std::uint64_t cap) const {
    if (!has(offset, length)) return failure(Fault::CutOff, {}, offset);
    if (length > cap)
        return capReached(Cap::OneRead, "one read of " + std::to_string(cap >> 20) + " MB");
    if (fd_ < 0) {
        auto from = memory_.begin() + std::ptrdiff_t(offset);
        return std::vector<std::uint8_t>(from, from + std::ptrdiff_t(length));
    }
    std::vector<std::uint8_t> out(static_cast<std::size_t>(length));
    const auto got = readUpTo(fd_, offset, out.data(), out.size());
    if (!got) return systemFailure(Fault::ReadFailed, errno);
    if (*got != out.size()) return failure(Fault::FileChanged, {}, offset + *got);
    return out;
}

}  // namespace pellimar
