// libFuzzer target for the viewer's picture object: Qt's image readers behind it,
// the GIF frame count and the GIF frame cut, frame changes and drawing.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

#include "viewer/picture.h"

using namespace pellimar;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    const int frames = countGifFrames(bytes);
    if (isGif(bytes)) {
        for (int frame : {0, 1, 2, frames, frames + 1}) {
            const GifCut cut = cutGifFrame(bytes, frame);
            if (cut.data.size() > bytes.size()) __builtin_trap();
        }
    }

    Picture picture;
    try {
        picture.readData(bytes);
    } catch (const std::runtime_error&) {
        return 0;
    }
    // Keep the drawing small: the decoded size is whatever the input says.
    QImage canvas(32, 32, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(0);
    {
        QPainter painter(&canvas);
        picture.paintTo(painter, QRect(0, 0, 32, 32));
    }
    (void)picture.displayWidth();
    (void)picture.displayHeight();
    if (frames > 1) {
        try {
            picture.setFrame(2);
            picture.setFrame(frames);
        } catch (const std::runtime_error&) {
        }
    }
    Picture copy;
    try {
        copy.assign(&picture);
    } catch (const std::runtime_error&) {
    }
    return 0;
}
