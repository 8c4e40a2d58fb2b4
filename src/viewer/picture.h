// The picture of a thumbnail: the complete bytes of one image file, decoded by
// Qt's image readers (BMP, GIF, JPEG, PNG, ICO and whatever else the build reads).
// For an animated GIF one frame can be chosen; the decoder is then handed the
// GIF's header followed by the frames from the chosen one on, so that its first
// image is the chosen frame.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class QIODevice;
class QPainter;

namespace pellimar {

// What cutting a GIF down to one frame gives.
struct GifCut {
    QByteArray data;              // what the decoder is handed
    std::uint16_t frameLeft = 0;  // position of the chosen frame in the logical screen
    std::uint16_t frameTop = 0;
    std::uint16_t frameWidth = 0;  // the chosen frame's size, 0 when it was not found
    std::uint16_t frameHeight = 0;
    std::uint16_t screenWidth = 0;  // the GIF's logical screen
    std::uint16_t screenHeight = 0;
};

// True when the data is at least 5 bytes long and starts with "GIF8".
bool isGif(const QByteArray& data);
// Offsets where a graphic control extension is directly followed by an image
// descriptor; -1 when the data is not a GIF.
int countGifFrames(const QByteArray& data);
// The bytes before the first frame start, then everything from the start of frame
// `frame` (counted from 1; 0 acts as 1) to the end.
GifCut cutGifFrame(const QByteArray& data, int frame);

class Picture {
  public:
    Picture() = default;
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    // Fired after a load or an assignment changed the picture.
    std::function<void()> onChange;
    // Fired after a change of frame has been decoded.
    std::function<void()> onFrameChange;

    // Reads the file; any failure leaves the picture empty and says nothing.
    void loadFile(const QString& path);
    // Reads the whole stream from its start; decoding errors reach the caller as
    // std::runtime_error. A null stream does nothing.
    void loadStream(QIODevice* stream);
    // Writes the image file's bytes unchanged; a null stream does nothing.
    void saveStream(QIODevice* stream) const;
    // The picture as stored with other data: its bytes. Reading decodes but
    // fires no change event.
    void readData(const QByteArray& stored);
    QByteArray writeData() const { return imageData_; }

    // Copies another picture's bytes; null empties this one.
    void assign(const Picture* other);
    // The same picture as `other`, held once: its bytes and its decoded image are
    // shared, not decoded again. Fires no change event.
    void share(const Picture& other);

    bool isEmpty() const { return empty_; }
    const QByteArray& imageData() const { return imageData_; }
    const QImage& decoded() const { return decoded_; }
    bool hasDecoded() const { return !decoded_.isNull(); }

    int frame() const { return frame_; }
    void setFrame(int frame);
    bool stretch() const { return stretch_; }
    void setStretch(bool on) { stretch_ = on; }

    std::uint16_t frameLeft() const { return frameLeft_; }
    std::uint16_t frameTop() const { return frameTop_; }
    std::uint16_t screenWidth() const { return screenWidth_; }
    std::uint16_t screenHeight() const { return screenHeight_; }

    int pixelWidth() const { return decoded_.isNull() ? 0 : decoded_.width(); }
    int pixelHeight() const { return decoded_.isNull() ? 0 : decoded_.height(); }
    int displayWidth() const;
    int displayHeight() const;

    // Draws the whole picture stretched into rect, shifted by frameLeft/frameTop.
    void paintTo(QPainter& painter, const QRect& rect) const;

  private:
    void decode();
    void changed() {
        if (onChange) onChange();
    }

    QByteArray imageData_;
    QImage decoded_;
    bool empty_ = true;
    bool stretch_ = false;
    int frame_ = 0;
    std::uint16_t frameLeft_ = 0, frameTop_ = 0;
    std::uint16_t screenWidth_ = 0, screenHeight_ = 0;
};

}  // namespace pellimar
