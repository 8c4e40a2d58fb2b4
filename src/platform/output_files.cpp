#include "platform/output_files.h"

#include <string>

#include "platform/bmp_file.h"
#include "platform/icon_file_encoder.h"
#include "platform/icon_png.h"
#include "platform/jpeg_file.h"
#include "platform/reduced_icon_file.h"

namespace pellimar {

OutputFile::OutputFile(std::vector<std::uint8_t> bytes) : made_(std::move(bytes)) {
    pieces_.push_back(made_);
    size_ = made_.size();
}

OutputFile::OutputFile(std::span<const std::uint8_t> bytes, std::shared_ptr<const void> owner) {
    owners_.push_back(std::move(owner));
    pieces_.push_back(bytes);
    size_ = bytes.size();
}

namespace {

Result<OutputFile> made(Result<std::vector<std::uint8_t>> bytes) {
    if (!bytes) return bytes.failure();
    return OutputFile(std::move(*bytes));
}

}  // namespace

Result<OutputFile> storedIconFile(const IconGroup& group) {
    auto laidOut = encodeStoredGroupInPieces(group);
    if (!laidOut) return laidOut.failure();
    OutputFile file;
    // The directory moves with its bytes where they are, so the pieces that point
    // into it stay valid; the images' bytes stay alive with their storage.
    file.made_ = std::move(laidOut->directory);
    file.pieces_ = std::move(laidOut->pieces);
    file.size_ = laidOut->size;
    for (const StoredImage& image : group.images)
        if (image.loaded()) file.owners_.push_back(image.storage);
    return file;
}

Result<OutputFile> storedImageFile(ResourceKind kind, const StoredImage& image) {
    return made(encodeStoredImage(kind, image));
}

Result<OutputFile> reducedIconFile(const Icon& icon) {
    return made(encodeReducedIconFile(std::span(&icon, 1)));
}

Result<OutputFile> pngFile(const Icon& icon) {
    return made(iconToPng(icon));
}

Result<OutputFile> bmpFile(const RgbImage& picture) {
    return made(encodeBmp24(picture));
}

Result<OutputFile> jpegFile(const RgbImage& picture) {
    return made(encodeJpeg(picture));
}

RgbImage drawnOnWhite(const Icon& icon, int width, int height) {
    RgbImage picture = whiteImage(width, height);
    drawIcon(picture, icon);
    return picture;
}

std::optional<Failure> OutputBudget::refusal(std::uint64_t size) const {
    if (size <= cap_ && used_ <= cap_ - size) return std::nullopt;
    return outputCapRefusal(cap_);
}

Failure outputCapRefusal(std::uint64_t cap) {
    return capReached(Cap::OutputBytes, "at most " + std::to_string(cap >> 20) + " MB (" +
                                            std::to_string(kMinOutputCap >> 20) + " MB, or " +
                                            std::to_string(kOutputCapFactor) +
                                            " times the file's size when that is more)");
}

Result<Placed> writeOutput(const std::filesystem::path& target, const OutputFile& file,
                           const WriteOptions& options, OutputBudget* budget) {
    if (budget)
        if (std::optional<Failure> refused = budget->refusal(file.size())) return *refused;
    Result<Placed> placed = writeFile(target, file.pieces(), options);
    if (budget && placed && *placed != Placed::Kept) budget->count(file.size());
    return placed;
}

}  // namespace pellimar
