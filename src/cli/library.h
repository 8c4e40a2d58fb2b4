// The command-line programs' hold on libpellimar: owners for what the library
// hands out, and the few ways the programs say a failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "lib/pellimar.h"

namespace pellimar::cli {

struct LibraryFree {
    void operator()(pellimar_file* file) const { pellimar_close(file); }
    void operator()(pellimar_failure* failure) const { pellimar_failure_free(failure); }
    void operator()(pellimar_picture* picture) const { pellimar_picture_free(picture); }
    void operator()(pellimar_canvas* canvas) const { pellimar_canvas_free(canvas); }
    void operator()(pellimar_output_folder* folder) const { pellimar_output_folder_close(folder); }
    void operator()(pellimar_version_info* info) const { pellimar_version_info_free(info); }
    void operator()(std::uint8_t* bytes) const { pellimar_free(bytes); }
};

using FileHandle = std::unique_ptr<pellimar_file, LibraryFree>;
using FailureHandle = std::unique_ptr<pellimar_failure, LibraryFree>;
using PictureHandle = std::unique_ptr<pellimar_picture, LibraryFree>;
using CanvasHandle = std::unique_ptr<pellimar_canvas, LibraryFree>;
using FolderHandle = std::unique_ptr<pellimar_output_folder, LibraryFree>;
using VersionHandle = std::unique_ptr<pellimar_version_info, LibraryFree>;

// The bytes of a file the library made.
struct Bytes {
    std::unique_ptr<std::uint8_t, LibraryFree> data;
    std::size_t size = 0;
    std::span<const std::uint8_t> span() const { return {data.get(), size}; }
};

// What a call of the library did: its status, and why it failed. A failure
// always has its reason here, even when the library had no memory to give one.
struct Outcome {
    pellimar_status status = PELLIMAR_OK;
    FailureHandle why;

    explicit operator bool() const { return status == PELLIMAR_OK; }
    const pellimar_failure* failure() const { return why.get(); }
};

// Takes a call's status and the failure it gave through `raw`. The failure is
// taken by reference, so that it is read after the call that sets it, as in
// outcomeOf(pellimar_open_path(path, 0, &file, &why), why).
Outcome outcomeOf(pellimar_status status, pellimar_failure*& raw);
Outcome outcomeOf(pellimar_status status, pellimar_failure*&& raw);

// A failure's message; "out of memory" where there is no failure to say more.
std::string messageOf(const pellimar_failure* failure);
// A failure said of a part it happened in ("icon 3: <message>").
std::string messageWithin(const pellimar_failure* failure, const std::string& part);
// Why a write failed, as said after the file's name.
std::string writeReasonOf(const pellimar_failure* failure);

// Whether an image has its bytes: none when the reading failed for it, else
// those held or read now.
bool hasBytes(pellimar_image* image);

// Takes bytes the library made through `data` and `size` into `bytes` (read,
// like `why`, after the call that sets them).
Outcome takeBytes(pellimar_status status, std::uint8_t*& data, std::size_t& size,
                  pellimar_failure*& why, Bytes& bytes);

// The picture drawn on white at size x size, as a BMP file or (`jpeg`) a JPEG file.
Outcome onWhite(const pellimar_picture* picture, int size, bool jpeg, Bytes& bytes);

}  // namespace pellimar::cli
