#include "platform/jpeg_file.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

#include "platform/caps.h"

namespace pellimar {

namespace {

// libjpeg reports errors by calling error_exit, which must not return: it jumps
// back into the plain C frames below, which hold no C++ objects.
struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    bool dataEnded = false;  // the data ran out before the picture did
    char message[JMSG_LENGTH_MAX] = "";
};

extern "C" void jpegErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegError*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}
extern "C" void jpegSilence(j_common_ptr, int) {}
// Notes, without printing, that the data ended early: libjpeg then goes on with
// made-up data to the last row, which for a tiny file stating a huge picture
// costs seconds for nothing.
extern "C" void jpegNoteEnd(j_common_ptr cinfo, int level) {
    auto* err = reinterpret_cast<JpegError*>(cinfo->err);
    if (level < 0 && err->mgr.msg_code == JWRN_JPEG_EOF) err->dataEnded = true;
}
extern "C" void jpegLimitScans(j_common_ptr cinfo) {
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxJpegScans)
        jpegErrorExit(cinfo);
}

// Compresses `rgb` (width * height * 3 bytes, top row first) into a buffer
// allocated with malloc. Returns 1 on success; else libjpeg's message is in `why`
// (JMSG_LENGTH_MAX bytes).
int compressRgb(const unsigned char* rgb, int width, int height, int quality, unsigned char** out,
                unsigned long* outSize, char* why) {
    jpeg_compress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpegErrorExit;
    err.mgr.emit_message = jpegSilence;
    *out = nullptr;
    *outSize = 0;
    if (setjmp(err.jump)) {
        std::memcpy(why, err.message, JMSG_LENGTH_MAX);
        jpeg_destroy_compress(&cinfo);
        std::free(*out);
        *out = nullptr;
        return 0;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, out, outSize);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row =
            const_cast<unsigned char*>(rgb) + std::size_t(cinfo.next_scanline) * width * 3;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return 1;
}

// Decompresses to RGB in a buffer allocated with malloc. Returns 1 on success.
int decompressRgb(const unsigned char* data, unsigned long size, unsigned char** out, int* width,
                  int* height) {
    jpeg_decompress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpegErrorExit;
    err.mgr.emit_message = jpegNoteEnd;
    jpeg_progress_mgr progress{};
    progress.progress_monitor = jpegLimitScans;
    *out = nullptr;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        std::free(*out);
        *out = nullptr;
        return 0;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, data, size);
    // Every 8 x 8 block of a picture takes at least a bit of Huffman-coded data
    // (arithmetic coding packs flat blocks tighter): a file that states more
    // pixels than its bytes can hold is cut off, and is not made up of grey rows
    // for seconds.
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK || cinfo.image_width == 0 ||
        cinfo.image_height == 0 || cinfo.image_width > kMaxJpegSide ||
        cinfo.image_height > kMaxJpegSide ||
        std::uint64_t(cinfo.image_width) * cinfo.image_height >
            std::uint64_t(size) * kMaxJpegPixelsPerByte * (cinfo.arith_code ? 64 : 1)) {
        jpeg_destroy_decompress(&cinfo);
        return 0;
    }
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 3) {
        jpeg_destroy_decompress(&cinfo);
        return 0;
    }
    const std::size_t stride = std::size_t(cinfo.output_width) * 3;
    *out = static_cast<unsigned char*>(std::malloc(stride * cinfo.output_height));
    if (*out == nullptr) {
        jpeg_destroy_decompress(&cinfo);
        return 0;
    }
    while (cinfo.output_scanline < cinfo.output_height && !err.dataEnded) {
        JSAMPROW row = *out + std::size_t(cinfo.output_scanline) * stride;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    *width = int(cinfo.output_width);
    *height = int(cinfo.output_height);
    if (cinfo.output_scanline < cinfo.output_height) {
        // The rows the data did not reach are grey, as the decoder would make them.
        const std::size_t done = std::size_t(cinfo.output_scanline) * stride;
        std::memset(*out + done, 128, stride * cinfo.output_height - done);
        jpeg_abort_decompress(&cinfo);
    } else {
        jpeg_finish_decompress(&cinfo);
    }
    jpeg_destroy_decompress(&cinfo);
    return 1;
}

}  // namespace

Result<std::vector<std::uint8_t>> encodeJpeg(const RgbImage& image, int quality) {
    if (image.empty() || image.pixels.size() < std::size_t(image.width) * image.height)
        return failure(Fault::CannotEncode, "the picture is empty");
    if (image.width > kMaxJpegSide || image.height > kMaxJpegSide)
        return capReached(Cap::JpegSide,
                          std::to_string(kMaxJpegSide) + " pixels a side of a JPEG picture");
    std::vector<unsigned char> rgb(std::size_t(image.width) * image.height * 3);
    for (std::size_t i = 0; i < std::size_t(image.width) * image.height; ++i) {
        rgb[i * 3] = std::uint8_t(image.pixels[i] >> 16);
        rgb[i * 3 + 1] = std::uint8_t(image.pixels[i] >> 8);
        rgb[i * 3 + 2] = std::uint8_t(image.pixels[i]);
    }
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    char why[JMSG_LENGTH_MAX] = "";
    if (!compressRgb(rgb.data(), image.width, image.height, quality, &buffer, &size, why))
        return failure(Fault::CannotEncode, why);
    std::vector<std::uint8_t> out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

RgbImage decodeJpeg(std::span<const std::uint8_t> bytes) {
    RgbImage image;
    if (bytes.size() < 4) return image;
    unsigned char* rgb = nullptr;
    int width = 0, height = 0;
    if (!decompressRgb(bytes.data(), static_cast<unsigned long>(bytes.size()), &rgb, &width,
                       &height))
        return image;
    image.width = width;
    image.height = height;
    image.pixels.resize(std::size_t(width) * height);
    for (std::size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = std::uint32_t(rgb[i * 3]) << 16 | std::uint32_t(rgb[i * 3 + 1]) << 8 |
                          std::uint32_t(rgb[i * 3 + 2]);
    std::free(rgb);
    return image;
}

std::optional<std::pair<int, int>> jpegSize(std::span<const std::uint8_t> bytes) {
    // The frame header (SOF0 to SOF15 but DHT, JPG and DAC) states the size; the
    // markers before it are skipped by their lengths.
    std::size_t at = 2;
    if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return std::nullopt;
    while (at + 4 <= bytes.size()) {
        if (bytes[at] != 0xFF) return std::nullopt;
        const int marker = bytes[at + 1];
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        const std::size_t length = std::size_t(bytes[at + 2]) << 8 | bytes[at + 3];
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
            marker != 0xCC) {
            if (at + 9 > bytes.size() || length < 7) return std::nullopt;
            const int height = bytes[at + 5] << 8 | bytes[at + 6];
            const int width = bytes[at + 7] << 8 | bytes[at + 8];
            if (width == 0 || height == 0) return std::nullopt;
            return std::pair{width, height};
        }
        if (marker == 0xD9 || marker == 0xDA || length < 2) return std::nullopt;
        at += 2 + length;
    }
    return std::nullopt;
}

RgbImage readJpegFile(const std::filesystem::path& file, int maxSide) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size <= 0 || size > (64 << 20)) return {};
    in.seekg(0);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return {};
    const auto stated = jpegSize(bytes);
    if (!stated || stated->first > maxSide || stated->second > maxSide) return {};
    return decodeJpeg(bytes);
}

}  // namespace pellimar
