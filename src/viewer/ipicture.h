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

// The most bytes one picture takes from a file or stream.
inline constexpr qint64 kMaxPictureBytes = 64LL * 1024 * 1024;

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
bool IsGif(const QByteArray& data);
// Offsets where a graphic control extension is directly followed by an image
// descriptor; -1 when the data is not a GIF.
int CountGifFrames(const QByteArray& data);
// The bytes before the first frame start, then everything from the start of frame
// `frame` (counted from 1; 0 acts as 1) to the end.
GifCut CutGifFrame(const QByteArray& data, int frame);

class TIPicture {
  public:
    TIPicture() = default;
    TIPicture(const TIPicture&) = delete;
    TIPicture& operator=(const TIPicture&) = delete;

    // Fired after a load or an assignment changed the picture.
    std::function<void()> OnChange;
    // Fired after a change of Frame has been decoded.
    std::function<void()> OnFrameChange;

    // Reads the file; any failure leaves the picture empty and says nothing.
    void LoadImageFile(const QString& path);
    // Reads the whole stream from its start; decoding errors reach the caller as
    // std::runtime_error. A null stream does nothing.
    void LoadImageStream(QIODevice* stream);
    // Writes the image file's bytes unchanged; a null stream does nothing.
    void SaveImageStream(QIODevice* stream) const;
    // The picture as stored with other data: its bytes. Reading decodes but
    // fires no change event.
    void ReadData(const QByteArray& stored);
    QByteArray WriteData() const { return ImageData_; }

    // Copies another picture's bytes; null empties this one.
    void AssignPicture(const TIPicture* other);

    bool Empty() const { return IsEmpty_; }
    const QByteArray& ImageData() const { return ImageData_; }
    const QImage& DecodedPicture() const { return Decoded_; }
    bool HasDecodedPicture() const { return !Decoded_.isNull(); }

    int Frame() const { return Frame_; }
    void setFrame(int frame);
    bool Stretch() const { return Stretch_; }
    void setStretch(bool on) { Stretch_ = on; }

    std::uint16_t FrameLeft() const { return FrameLeft_; }
    std::uint16_t FrameTop() const { return FrameTop_; }
    std::uint16_t ScreenWidth() const { return ScreenWidth_; }
    std::uint16_t ScreenHeight() const { return ScreenHeight_; }

    int PixelWidth() const { return Decoded_.isNull() ? 0 : Decoded_.width(); }
    int PixelHeight() const { return Decoded_.isNull() ? 0 : Decoded_.height(); }
    int DisplayWidth() const;
    int DisplayHeight() const;

    // Draws the whole picture stretched into rect, shifted by FrameLeft/FrameTop.
    void PaintTo(QPainter& painter, const QRect& rect) const;

  private:
    void DecodeImage();
    void Changed() {
        if (OnChange) OnChange();
    }

    QByteArray ImageData_;
    QImage Decoded_;
    bool IsEmpty_ = true;
    bool Stretch_ = false;
    int Frame_ = 0;
    std::uint16_t FrameLeft_ = 0, FrameTop_ = 0;
    std::uint16_t ScreenWidth_ = 0, ScreenHeight_ = 0;
};

}  // namespace pellimar
