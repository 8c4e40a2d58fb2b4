// The files the programs make of icons, made and written one way. Each maker below
// turns an icon group, one stored image or a decoded picture into the bytes of one
// output file; writeOutput() puts those bytes under their name through the writer
// (atomic_file.h) and says what became of them, or why nothing did. The save
// command, the viewer's saves, extract and draw all write their files so; they
// differ only in which file they make and what they name it.
//
// The kinds of file, and how they differ:
//   storedIconFile    an icon group as an icon file, a cursor group as a cursor
//                     file: every image exactly as the source stores it (PNG images
//                     stay PNG, cursors keep their hotspots); nothing is decoded.
//   storedImageFile   the same of one image of a group alone.
//   reducedIconFile   a decoded picture as an icon file of 16 or 256 colours with a
//                     1-bit mask (reduced_icon_file.h): its alpha is given up.
//   pngFile           a decoded picture as a PNG file, its transparency kept.
//   bmpFile, jpegFile a picture without transparency, as drawnOnWhite() makes one.
// Bytes that are already the file wanted (a PNG image as stored) go out as they
// are, in an OutputFile that holds them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/caps.h"
#include "platform/failure.h"
#include "platform/icon.h"
#include "platform/icon_set.h"
#include "platform/raster.h"

namespace pellimar {

// The bytes of one output file, made and not yet written, in the pieces they are
// written in (an icon file's directory, then its images as a group holds them), so
// that no copy of the whole is made. It holds what its pieces point into; it can
// be moved, not copied.
class OutputFile {
  public:
    OutputFile() = default;
    // Bytes made for the file.
    explicit OutputFile(std::vector<std::uint8_t> bytes);
    // Bytes held elsewhere (a stored image's), which `owner` keeps alive.
    OutputFile(std::span<const std::uint8_t> bytes, std::shared_ptr<const void> owner);
    OutputFile(OutputFile&&) noexcept = default;
    OutputFile& operator=(OutputFile&&) noexcept = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    std::span<const ByteSpan> pieces() const { return pieces_; }
    std::uint64_t size() const { return size_; }

  private:
    friend Result<OutputFile> storedIconFile(const IconGroup& group);
    std::vector<std::uint8_t> made_;
    std::vector<std::shared_ptr<const void>> owners_;
    std::vector<ByteSpan> pieces_;
    std::uint64_t size_ = 0;
};

// The group's images that have their bytes, as stored, in the group's order: an
// icon file for an icon group, a cursor file for a cursor group; an image the group
// names many times is held once. Why not when no image has its bytes.
Result<OutputFile> storedIconFile(const IconGroup& group);
// One image of a group of `kind` alone, as stored.
Result<OutputFile> storedImageFile(ResourceKind kind, const StoredImage& image);
// `icon` reduced to 16 or 256 colours, as an icon file; why not when it is empty
// or larger than 1024 pixels a side.
Result<OutputFile> reducedIconFile(const Icon& icon);
// `icon` as a PNG file with its transparency; why not when it is empty.
Result<OutputFile> pngFile(const Icon& icon);
// A 24-bit BMP file, and a JPEG file of quality 90, of `picture`; why not when it
// is empty (or, for JPEG, more than kMaxJpegSide pixels a side).
Result<OutputFile> bmpFile(const RgbImage& picture);
Result<OutputFile> jpegFile(const RgbImage& picture);

// `icon` drawn at its own size in the top-left corner of a white picture of
// width x height (clipped to it): the pictures of BMP and JPEG files.
RgbImage drawnOnWhite(const Icon& icon, int width, int height);

// What the icons of one input may make a run write, outputCapOf(the input's size),
// and what its files have taken of it so far. extract and the save command count
// their icon files as stored against it, so that a file whose groups name one image
// over and over cannot make them write without end.
class OutputBudget {
  public:
    explicit OutputBudget(std::uint64_t inputSize = 0) : cap_(outputCapOf(inputSize)) {}

    std::uint64_t cap() const { return cap_; }
    std::uint64_t used() const { return used_; }
    // Why a file of `size` bytes does not fit: Fault::CapReached at Cap::OutputBytes,
    // its `what` "at most N MB (256 MB, or 64 times the file's size when that is
    // more)". Nothing when it fits.
    std::optional<Failure> refusal(std::uint64_t size) const;
    void count(std::uint64_t size) { used_ += size; }

  private:
    std::uint64_t cap_;
    std::uint64_t used_ = 0;
};

// Why a file does not fit an output cap of `cap` bytes, as OutputBudget says it.
Failure outputCapRefusal(std::uint64_t cap);

// Writes `file` at `target` by the writer, as `options` say. With a budget, a file
// that does not fit it is not written (why: its refusal), and a file written or
// taken by an open WriteBatch is counted against it; a file kept (Replace::Never
// found one at the name) is not.
Result<Placed> writeOutput(const std::filesystem::path& target, const OutputFile& file,
                           const WriteOptions& options = {}, OutputBudget* budget = nullptr);

}  // namespace pellimar
