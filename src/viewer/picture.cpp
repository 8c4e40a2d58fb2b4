#include "viewer/picture.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <new>
#include <stdexcept>

#include "platform/caps.h"

namespace pellimar {

namespace {

// A little-endian 16-bit value; 0 where the data ends before it.
std::uint16_t le16(const QByteArray& d, qsizetype at) {
    if (at < 0 || at + 1 >= d.size()) return 0;
    return std::uint16_t(std::uint8_t(d[at]) | (std::uint8_t(d[at + 1]) << 8));
}

// A graphic control extension directly followed by an image descriptor.
bool isFrameStart(const QByteArray& d, qsizetype p) {
    const qsizetype size = d.size();
    return std::uint8_t(d[p]) == 0x21 && p + 9 < size && std::uint8_t(d[p + 1]) == 0xF9 &&
           std::uint8_t(d[p + 2]) == 0x04 && std::uint8_t(d[p + 8]) == 0x2C;
}

// Reads at most kMaxPictureBytes from the device's current position; throws when
// there is more.
QByteArray readBounded(QIODevice& dev) {
    QByteArray bytes = dev.read(kMaxPictureBytes + 1);
    if (bytes.size() > kMaxPictureBytes)
        throw std::runtime_error("Could not allocate memory for image");
    return bytes;
}

}  // namespace

bool isGif(const QByteArray& data) {
    return data.size() >= 5 && data.startsWith("GIF8");
}

int countGifFrames(const QByteArray& data) {
    if (!isGif(data)) return -1;
    int count = 0;
    for (qsizetype p = 0; p < data.size(); ++p)
        if (isFrameStart(data, p)) ++count;
    return count;
}

GifCut cutGifFrame(const QByteArray& data, int frame) {
    GifCut cut;
    cut.screenWidth = le16(data, 6);
    cut.screenHeight = le16(data, 8);
    cut.data.reserve(data.size());
    int frameNo = 1;
    bool skipping = false;
    for (qsizetype p = 0; p < data.size(); ++p) {
        if (isFrameStart(data, p)) {
            if (frameNo == frame) {
                cut.frameLeft = le16(data, p + 9);
                cut.frameTop = le16(data, p + 11);
                cut.frameWidth = le16(data, p + 13);
                cut.frameHeight = le16(data, p + 15);
            }
            ++frameNo;
            skipping = frameNo <= frame;
        }
        if (!skipping) cut.data.append(data[p]);
    }
    return cut;
}

void Picture::decode() {
    QByteArray block;
    try {
        frameLeft_ = frameTop_ = 0;
        screenWidth_ = screenHeight_ = 0;
        std::optional<GifCut> cut;
        if (isGif(imageData_) && countGifFrames(imageData_) > 0) {
            cut = cutGifFrame(imageData_, frame_);
            screenWidth_ = cut->screenWidth;
            screenHeight_ = cut->screenHeight;
            frameLeft_ = cut->frameLeft;
            frameTop_ = cut->frameTop;
            block = std::move(cut->data);
        } else {
            block = imageData_;
            block.detach();
        }

        QBuffer stream(&block);
        if (!stream.open(QIODevice::ReadOnly))
            throw std::runtime_error("Could not create image stream");

        decoded_ = QImage();
        QImageReader reader(&stream);
        reader.setDecideFormatFromContent(true);
        if (!reader.canRead()) throw std::runtime_error("Could not load image. Invalid format");
        QImage image = reader.read();
        if (image.isNull()) {
            const auto err = reader.error();
            if (err == QImageReader::InvalidDataError ||
                err == QImageReader::UnsupportedFormatError)
                throw std::runtime_error("Could not load image. Invalid format");
            throw std::runtime_error("Could not load image");
        }
        // Qt composes a GIF frame onto the whole logical screen; keep only the
        // frame itself, which drawing then places at frameLeft/frameTop.
        if (cut && cut->frameWidth > 0 && cut->frameHeight > 0) {
            QRect frameRect =
                QRect(cut->frameLeft, cut->frameTop, cut->frameWidth, cut->frameHeight)
                    .intersected(image.rect());
            if (!frameRect.isEmpty() && frameRect != image.rect()) image = image.copy(frameRect);
        }
        decoded_ = std::move(image);
    } catch (const std::bad_alloc&) {
        throw std::runtime_error("Could not allocate memory for image");
    }
}

void Picture::loadFile(const QString& path) {
    try {
        QFileInfo info(path);
        if (!info.isFile()) throw std::runtime_error("not a file");
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot open");
        imageData_ = readBounded(file);
        empty_ = false;
        frame_ = 1;
        screenWidth_ = screenHeight_ = 0;
        decode();
    } catch (...) {
        // A picture that cannot be had is simply empty.
        empty_ = true;
        imageData_.clear();
        decoded_ = QImage();
        return;
    }
    changed();
}

void Picture::loadStream(QIODevice* stream) {
    if (stream == nullptr) return;
    if (!stream->isSequential() && !stream->seek(0))
        throw std::runtime_error("Could not create image stream");
    imageData_ = readBounded(*stream);
    empty_ = false;
    frame_ = 1;
    screenWidth_ = screenHeight_ = 0;
    decode();
    changed();
}

void Picture::saveStream(QIODevice* stream) const {
    if (stream == nullptr) return;
    stream->write(imageData_);
}

void Picture::readData(const QByteArray& stored) {
    if (stored.size() > kMaxPictureBytes)
        throw std::runtime_error("Could not allocate memory for image");
    imageData_ = stored;
    empty_ = false;
    decode();
}

void Picture::assign(const Picture* other) {
    empty_ = true;
    decoded_ = QImage();
    if (other == nullptr) {
        imageData_.clear();
        changed();
        return;
    }
    imageData_ = other->imageData_;
    empty_ = false;
    decode();
    changed();
}

void Picture::share(const Picture& other) {
    if (&other == this) return;
    imageData_ = other.imageData_;
    decoded_ = other.decoded_;
    empty_ = other.empty_;
    frame_ = other.frame_;
    frameLeft_ = other.frameLeft_;
    frameTop_ = other.frameTop_;
    screenWidth_ = other.screenWidth_;
    screenHeight_ = other.screenHeight_;
}

void Picture::setFrame(int frame) {
    frame_ = frame;
    if (!imageData_.isEmpty()) {
        decode();
        if (onFrameChange) onFrameChange();
    }
}

int Picture::displayWidth() const {
    if (decoded_.isNull()) return 0;
    return screenWidth_ != 0 ? screenWidth_ : pixelWidth();
}

int Picture::displayHeight() const {
    if (decoded_.isNull()) return 0;
    return screenHeight_ != 0 ? screenHeight_ : pixelHeight();
}

void Picture::paintTo(QPainter& painter, const QRect& rect) const {
    if (empty_ || decoded_.isNull()) return;
    const QRect r = rect.translated(frameLeft_, frameTop_);
    painter.drawImage(r, decoded_);
}

}  // namespace pellimar
