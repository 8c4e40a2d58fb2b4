#include "platform/png_codec.h"

#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace pellimar {

namespace {

// ---- C-style section: no object with a destructor lives in a frame that libpng
// may longjmp out of.

struct PngSource {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos;
};

void pngRead(png_structp png, png_bytep out, png_size_t length) {
    auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
    if (length > src->size - src->pos) png_error(png, "read past end");
    std::memcpy(out, src->data + src->pos, length);
    src->pos += length;
}

// libpng's message is kept where the caller asked for it (a char[128], or none).
void pngError(png_structp png, png_const_charp message) {
    if (auto* why = static_cast<char*>(png_get_error_ptr(png)); why && message) {
        std::strncpy(why, message, 127);
        why[127] = 0;
    }
    png_longjmp(png, 1);
}
void pngWarning(png_structp, png_const_charp) {}

// Decodes into a malloc'd RGBA buffer the caller frees. Returns 0 on success.
int decodePngC(const std::uint8_t* data, std::size_t size, int maxDim, int* width, int* height,
               std::uint8_t** pixels, char* why) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, why, pngError, pngWarning);
    if (!png) return 1;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return 1;
    }
    PngSource src = {data, size, 0};
    std::uint8_t* volatile buffer = nullptr;
    png_bytep* volatile rows = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        std::free(buffer);
        std::free(rows);
        png_destroy_read_struct(&png, &info, nullptr);
        return 1;
    }
    png_set_read_fn(png, &src, pngRead);
    png_set_user_limits(png, std::uint32_t(maxDim), std::uint32_t(maxDim));
    png_set_chunk_malloc_max(png, 8u * 1024 * 1024);
    png_read_info(png, info);
    png_uint_32 w = png_get_image_width(png, info);
    png_uint_32 h = png_get_image_height(png, info);
    int bitDepth = png_get_bit_depth(png, info);
    int colorType = png_get_color_type(png, info);
    if (w == 0 || h == 0 || w > png_uint_32(maxDim) || h > png_uint_32(maxDim))
        png_error(png, "picture larger than allowed");
    if (bitDepth == 16) png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != std::size_t(w) * 4) png_error(png, "row size");
    buffer = static_cast<std::uint8_t*>(std::malloc(std::size_t(w) * h * 4));
    rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * h));
    if (!buffer || !rows) png_error(png, "memory");
    for (png_uint_32 y = 0; y < h; ++y) rows[y] = buffer + std::size_t(y) * w * 4;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    std::free(rows);
    png_destroy_read_struct(&png, &info, nullptr);
    *width = int(w);
    *height = int(h);
    *pixels = buffer;
    return 0;
}

struct PngSink {
    std::uint8_t* data;
    std::size_t size;
    std::size_t capacity;
    int failed;
};

void pngWrite(png_structp png, png_bytep bytes, png_size_t length) {
    auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    if (sink->size + length > sink->capacity) {
        std::size_t cap = (sink->capacity + length) * 2;
        auto* grown = static_cast<std::uint8_t*>(std::realloc(sink->data, cap));
        if (!grown) png_error(png, "memory");
        sink->data = grown;
        sink->capacity = cap;
    }
    std::memcpy(sink->data + sink->size, bytes, length);
    sink->size += length;
}

void pngFlush(png_structp) {}

int encodePngC(const std::uint8_t* rgba, int width, int height, PngSink* sink, char* why) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, why, pngError, pngWarning);
    if (!png) return 1;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return 1;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return 1;
    }
    png_set_write_fn(png, sink, pngWrite, pngFlush);
    // Icons are small: the fastest compression costs a few per cent in size and
    // saves most of the time.
    png_set_compression_level(png, 1);
    png_set_filter(png, 0, PNG_FILTER_SUB);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(rgba + std::size_t(y) * width * 4));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return 0;
}

}  // namespace

bool looksLikePng(std::span<const std::uint8_t> bytes) {
    static const std::uint8_t sig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return bytes.size() >= 8 && std::memcmp(bytes.data(), sig, 8) == 0;
}

std::optional<RgbaImage> decodePng(std::span<const std::uint8_t> bytes, int maxDimension,
                                   std::string* why) {
    if (!looksLikePng(bytes) || maxDimension < 1) {
        if (why) *why = "no PNG signature";
        return std::nullopt;
    }
    int w = 0, h = 0;
    std::uint8_t* pixels = nullptr;
    const int cap = std::min(maxDimension, kMaxPngDimension);
    char message[128] = "libpng failed";
    if (decodePngC(bytes.data(), bytes.size(), cap, &w, &h, &pixels, message) != 0) {
        if (why) *why = message;
        return std::nullopt;
    }
    RgbaImage image;
    image.width = w;
    image.height = h;
    image.rgba.assign(pixels, pixels + std::size_t(w) * h * 4);
    std::free(pixels);
    return image;
}

namespace {

std::uint32_t big32(const std::uint8_t* q) {
    return std::uint32_t(q[0]) << 24 | std::uint32_t(q[1]) << 16 | std::uint32_t(q[2]) << 8 | q[3];
}

// Signature, then the IHDR chunk: length 13, "IHDR", width, height (big-endian),
// bit depth, colour type. Its fields, or nothing.
const std::uint8_t* headerChunk(std::span<const std::uint8_t> bytes) {
    if (!looksLikePng(bytes) || bytes.size() < 8 + 8 + 13) return nullptr;
    const std::uint8_t* p = bytes.data() + 8;
    if (big32(p) != 13 || std::memcmp(p + 4, "IHDR", 4) != 0) return nullptr;
    return p + 8;
}

}  // namespace

std::optional<PngSize> pngStatedSize(std::span<const std::uint8_t> bytes) {
    const std::uint8_t* fields = headerChunk(bytes);
    if (!fields) return std::nullopt;
    return PngSize{big32(fields), big32(fields + 4)};
}

std::optional<PngHeader> readPngHeader(std::span<const std::uint8_t> bytes, int maxDimension) {
    const std::uint8_t* p = headerChunk(bytes);
    if (!p) return std::nullopt;
    const std::uint32_t w = big32(p), h = big32(p + 4);
    const int depth = p[8], colourType = p[9];
    static const int samples[7] = {1, 0, 3, 1, 2, 0, 4};
    if (colourType > 6 || samples[colourType] == 0) return std::nullopt;
    if (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16) return std::nullopt;
    const std::uint32_t cap = std::uint32_t(std::clamp(maxDimension, 1, kMaxPngDimension));
    if (w == 0 || h == 0 || w > cap || h > cap) return std::nullopt;
    return PngHeader{int(w), int(h), depth * samples[colourType]};
}

Result<std::vector<std::uint8_t>> encodePng(const RgbaImage& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.rgba.size() != std::size_t(image.width) * image.height * 4)
        return failure(Fault::CannotEncode, "the picture is empty");
    PngSink sink = {nullptr, 0, 0, 0};
    char why[128] = "libpng failed";
    const int rc = encodePngC(image.rgba.data(), image.width, image.height, &sink, why);
    Result<std::vector<std::uint8_t>> out =
        rc == 0 ? Result<std::vector<std::uint8_t>>(
                      std::vector<std::uint8_t>(sink.data, sink.data + sink.size))
                : Result<std::vector<std::uint8_t>>(failure(Fault::CannotEncode, why));
    std::free(sink.data);
    return out;
}

}  // namespace pellimar
