#include "cli/library.h"

namespace pellimar::cli {

Outcome outcomeOf(pellimar_status status, pellimar_failure*& raw) {
    Outcome outcome;
    outcome.status = status;
    outcome.why.reset(raw);
    raw = nullptr;
    return outcome;
}

Outcome outcomeOf(pellimar_status status, pellimar_failure*&& raw) {
    return outcomeOf(status, raw);
}

std::string messageOf(const pellimar_failure* failure) {
    return failure ? pellimar_failure_message(failure) : "out of memory";
}

std::string messageWithin(const pellimar_failure* failure, const std::string& part) {
    const FailureHandle within(pellimar_failure_within(failure, part.c_str()));
    return messageOf(within.get());
}

std::string writeReasonOf(const pellimar_failure* failure) {
    return failure ? pellimar_failure_write_reason(failure) : "out of memory";
}

bool hasBytes(pellimar_image* image) {
    if (pellimar_image_failure(image)) return false;
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    pellimar_failure* why = nullptr;
    return bool(outcomeOf(pellimar_image_data(image, &data, &size, &why), why));
}

Outcome takeBytes(pellimar_status status, std::uint8_t*& data, std::size_t& size,
                  pellimar_failure*& why, Bytes& bytes) {
    if (status == PELLIMAR_OK) {
        bytes.data.reset(data);
        bytes.size = size;
    }
    return outcomeOf(status, why);
}

Outcome onWhite(const pellimar_picture* picture, int size, bool jpeg, Bytes& bytes) {
    pellimar_failure* why = nullptr;
    pellimar_canvas* drawn = nullptr;
    const pellimar_status status =
        pellimar_picture_draw_on_white(picture, size, size, &drawn, &why);
    if (status != PELLIMAR_OK) return outcomeOf(status, why);
    const CanvasHandle canvas(drawn);
    std::uint8_t* data = nullptr;
    std::size_t length = 0;
    return takeBytes(jpeg ? pellimar_canvas_to_jpeg(canvas.get(), &data, &length, &why)
                          : pellimar_canvas_to_bmp(canvas.get(), &data, &length, &why),
                     data, length, why, bytes);
}

}  // namespace pellimar::cli
