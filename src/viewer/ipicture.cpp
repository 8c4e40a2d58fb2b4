#include "viewer/ipicture.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <new>
#include <stdexcept>

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

bool IsGif(const QByteArray& data) {
    return data.size() >= 5 && data.startsWith("GIF8");
}

int CountGifFrames(const QByteArray& data) {
    if (!IsGif(data)) return -1;
    int count = 0;
    for (qsizetype p = 0; p < data.size(); ++p)
        if (isFrameStart(data, p)) ++count;
    return count;
}

GifCut CutGifFrame(const QByteArray& data, int frame) {
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

void TIPicture::DecodeImage() {
    QByteArray block;
    try {
        FrameLeft_ = FrameTop_ = 0;
        ScreenWidth_ = ScreenHeight_ = 0;
        std::optional<GifCut> cut;
        if (IsGif(ImageData_) && CountGifFrames(ImageData_) > 0) {
            cut = CutGifFrame(ImageData_, Frame_);
            ScreenWidth_ = cut->screenWidth;
            ScreenHeight_ = cut->screenHeight;
            FrameLeft_ = cut->frameLeft;
            FrameTop_ = cut->frameTop;
            block = std::move(cut->data);
        } else {
            block = ImageData_;
            block.detach();
        }

        QBuffer stream(&block);
        if (!stream.open(QIODevice::ReadOnly))
            throw std::runtime_error("Could not create image stream");

        Decoded_ = QImage();
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
        // frame itself, which drawing then places at FrameLeft/FrameTop.
        if (cut && cut->frameWidth > 0 && cut->frameHeight > 0) {
            QRect frameRect =
                QRect(cut->frameLeft, cut->frameTop, cut->frameWidth, cut->frameHeight)
                    .intersected(image.rect());
            if (!frameRect.isEmpty() && frameRect != image.rect()) image = image.copy(frameRect);
        }
        Decoded_ = std::move(image);
    } catch (const std::bad_alloc&) {
        throw std::runtime_error("Could not allocate memory for image");
    }
}

void TIPicture::LoadImageFile(const QString& path) {
    try {
        QFileInfo info(path);
        if (!info.isFile()) throw std::runtime_error("not a file");
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot open");
        ImageData_ = readBounded(file);
        IsEmpty_ = false;
        Frame_ = 1;
        ScreenWidth_ = ScreenHeight_ = 0;
        DecodeImage();
    } catch (...) {
        // A picture that cannot be had is simply empty.
        IsEmpty_ = true;
        ImageData_.clear();
        Decoded_ = QImage();
        return;
    }
    Changed();
}

void TIPicture::LoadImageStream(QIODevice* stream) {
    if (stream == nullptr) return;
    if (!stream->isSequential() && !stream->seek(0))
        throw std::runtime_error("Could not create image stream");
    ImageData_ = readBounded(*stream);
    IsEmpty_ = false;
    Frame_ = 1;
    ScreenWidth_ = ScreenHeight_ = 0;
    DecodeImage();
    Changed();
}

void TIPicture::SaveImageStream(QIODevice* stream) const {
    if (stream == nullptr) return;
    stream->write(ImageData_);
}

void TIPicture::ReadData(const QByteArray& stored) {
    if (stored.size() > kMaxPictureBytes)
        throw std::runtime_error("Could not allocate memory for image");
    ImageData_ = stored;
    IsEmpty_ = false;
    DecodeImage();
}

void TIPicture::AssignPicture(const TIPicture* other) {
    IsEmpty_ = true;
    Decoded_ = QImage();
    if (other == nullptr) {
        ImageData_.clear();
        Changed();
        return;
    }
    ImageData_ = other->ImageData_;
    IsEmpty_ = false;
    DecodeImage();
    Changed();
}

void TIPicture::setFrame(int frame) {
    Frame_ = frame;
    if (!ImageData_.isEmpty()) {
        DecodeImage();
        if (OnFrameChange) OnFrameChange();
    }
}

int TIPicture::DisplayWidth() const {
    if (Decoded_.isNull()) return 0;
    return ScreenWidth_ != 0 ? ScreenWidth_ : PixelWidth();
}

int TIPicture::DisplayHeight() const {
    if (Decoded_.isNull()) return 0;
    return ScreenHeight_ != 0 ? ScreenHeight_ : PixelHeight();
}

void TIPicture::PaintTo(QPainter& painter, const QRect& rect) const {
    if (IsEmpty_ || Decoded_.isNull()) return;
    const QRect r = rect.translated(FrameLeft_, FrameTop_);
    painter.drawImage(r, Decoded_);
}

}  // namespace pellimar
