#include "viewer/ipicture.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <stdexcept>
#include <string>

#include "viewer/gif_builder.h"

namespace pellimar {
namespace {

using test::buildGif;
using test::GifFrame;

// Three frames on a 10 x 8 screen: red 10 x 8 at 0,0; green 4 x 3 at 2,1; blue 5 x 2 at 5,6.
QByteArray threeFrameGif(std::vector<qsizetype>* starts = nullptr) {
    return buildGif(10, 8, {{0, 0, 10, 8, 1, true}, {2, 1, 4, 3, 2, true}, {5, 6, 5, 2, 3, true}},
                    starts);
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format));
    return bytes;
}

void load(TIPicture& p, QByteArray bytes) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    p.LoadImageStream(&buffer);
}

std::string loadError(QByteArray bytes) {
    TIPicture p;
    try {
        load(p, bytes);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "no error";
}

TEST(GifFrames, CountsFrameStartsAndRecognisesOnlyGifData) {
    EXPECT_EQ(CountGifFrames(threeFrameGif()), 3);
    EXPECT_FALSE(IsGif(QByteArray("GIF8")));  // shorter than 5 bytes
    EXPECT_TRUE(IsGif(QByteArray("GIF89")));
    EXPECT_EQ(CountGifFrames(QByteArray("GIF8")), -1);
    EXPECT_EQ(CountGifFrames(encoded(QImage(4, 4, QImage::Format_RGB32), "PNG")), -1);
}

TEST(GifFrames, SecondFrameKeepsHeaderAndFramesTwoAndThree) {
    std::vector<qsizetype> starts;
    const QByteArray gif = threeFrameGif(&starts);
    const GifCut cut = CutGifFrame(gif, 2);
    EXPECT_EQ(cut.data, gif.left(starts[0]) + gif.mid(starts[1]));
    EXPECT_EQ(cut.frameLeft, 2);
    EXPECT_EQ(cut.frameTop, 1);
    EXPECT_EQ(cut.screenWidth, 10);
    EXPECT_EQ(cut.screenHeight, 8);
    // Frames 0 and 1 hand over everything.
    EXPECT_EQ(CutGifFrame(gif, 0).data, gif);
    EXPECT_EQ(CutGifFrame(gif, 1).data, gif);
    EXPECT_EQ(CutGifFrame(gif, 3).data, gif.left(starts[0]) + gif.mid(starts[2]));
}

TEST(GifFrames, FrameStartAtTheVeryEndReadsNothingBeyondTheData) {
    // A frame start whose descriptor fields would run past the end of the data.
    QByteArray d("GIF89a");
    d.append(QByteArray("\x21\xF9\x04\x00\x00\x00\x00\x00\x2C\x07", 10));
    EXPECT_EQ(CountGifFrames(d), 1);
    const GifCut cut = CutGifFrame(d, 1);
    EXPECT_EQ(cut.frameLeft, 0);  // the bytes at p+9, p+10 are not both there
    EXPECT_EQ(cut.frameTop, 0);
    EXPECT_EQ(CutGifFrame(QByteArray("GIF89a\x01", 7), 1).screenHeight, 0);  // offset 8 missing
}

TEST(PictureObject, GifFrameTwoIsDecodedWithItsPositionAndTheScreenSize) {
    TIPicture p;
    load(p, threeFrameGif());
    EXPECT_EQ(p.Frame(), 1);
    EXPECT_EQ(p.DisplayWidth(), 10);
    EXPECT_EQ(p.DisplayHeight(), 8);
    EXPECT_EQ(QColor(p.DecodedPicture().pixel(0, 0)), QColor(Qt::red));

    int frameChanges = 0;
    p.OnFrameChange = [&] { ++frameChanges; };
    p.setFrame(2);
    EXPECT_EQ(frameChanges, 1);
    EXPECT_EQ(p.FrameLeft(), 2);
    EXPECT_EQ(p.FrameTop(), 1);
    EXPECT_EQ(p.DisplayWidth(), 10);  // the logical screen, not the frame
    EXPECT_EQ(p.DisplayHeight(), 8);
    EXPECT_EQ(p.PixelWidth(), 4);
    EXPECT_EQ(p.PixelHeight(), 3);
    EXPECT_EQ(QColor(p.DecodedPicture().pixel(0, 0)), QColor(Qt::green));

    p.setFrame(3);
    EXPECT_EQ(QColor(p.DecodedPicture().pixel(0, 0)), QColor(Qt::blue));
    EXPECT_EQ(p.FrameLeft(), 5);
    EXPECT_EQ(p.FrameTop(), 6);
}

TEST(PictureObject, GifWithoutControlExtensionIsDecodedWhole) {
    TIPicture p;
    load(p, buildGif(6, 5, {{0, 0, 6, 5, 3, false}}));
    EXPECT_EQ(CountGifFrames(p.ImageData()), 0);
    EXPECT_EQ(p.ScreenWidth(), 0);
    EXPECT_EQ(p.DisplayWidth(), 6);
    EXPECT_EQ(p.DisplayHeight(), 5);
    EXPECT_EQ(QColor(p.DecodedPicture().pixel(3, 3)), QColor(Qt::blue));
}

TEST(PictureObject, ReadsTheUsualFormats) {
    QImage image(7, 5, QImage::Format_ARGB32);
    image.fill(Qt::red);
    for (const char* format : {"BMP", "PNG", "JPEG", "ICO"}) {
        TIPicture p;
        int changes = 0;
        p.OnChange = [&] { ++changes; };
        load(p, encoded(image, format));
        EXPECT_FALSE(p.Empty()) << format;
        EXPECT_EQ(p.DisplayWidth(), 7) << format;
        EXPECT_EQ(p.DisplayHeight(), 5) << format;
        EXPECT_EQ(changes, 1) << format;
    }
}

TEST(PictureObject, UndecodableStreamRaisesInvalidFormat) {
    EXPECT_EQ(loadError(QByteArray("this is no picture at all")),
              "Could not load image. Invalid format");
    EXPECT_EQ(loadError(QByteArray()), "Could not load image. Invalid format");
    // A GIF whose frames are all cut away leaves nothing to decode.
    TIPicture p;
    load(p, threeFrameGif());
    EXPECT_THROW(p.setFrame(9), std::runtime_error);
    TIPicture none;
    none.LoadImageStream(nullptr);  // nothing happens
    EXPECT_TRUE(none.Empty());
}

TEST(PictureObject, LoadImageFileIsSilentAndLeavesFailuresEmpty) {
    QTemporaryDir dir;
    TIPicture p;
    int changes = 0;
    p.OnChange = [&] { ++changes; };
    p.LoadImageFile(dir.filePath("missing.bmp"));
    EXPECT_TRUE(p.Empty());
    EXPECT_EQ(p.DisplayWidth(), 0);

    QFile junk(dir.filePath("junk.bmp"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("BM not really");
    junk.close();
    p.LoadImageFile(junk.fileName());
    EXPECT_TRUE(p.Empty());
    p.LoadImageFile(dir.path());  // a folder
    EXPECT_TRUE(p.Empty());
    EXPECT_EQ(changes, 0);

    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::green);
    ASSERT_TRUE(image.save(dir.filePath("ok.bmp"), "BMP"));
    p.LoadImageFile(dir.filePath("ok.bmp"));
    EXPECT_FALSE(p.Empty());
    EXPECT_EQ(p.DisplayWidth(), 3);
    EXPECT_EQ(changes, 1);
}

TEST(PictureObject, AssignCopiesBytesAndNullEmpties) {
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::blue);
    TIPicture a, b;
    load(a, encoded(image, "PNG"));
    int changes = 0;
    b.OnChange = [&] { ++changes; };
    b.AssignPicture(&a);
    EXPECT_FALSE(b.Empty());
    EXPECT_EQ(b.ImageData(), a.ImageData());
    EXPECT_EQ(b.DisplayWidth(), 4);
    b.AssignPicture(nullptr);
    EXPECT_TRUE(b.Empty());
    EXPECT_TRUE(b.ImageData().isEmpty());
    EXPECT_EQ(b.DisplayWidth(), 0);
    EXPECT_EQ(changes, 2);

    QByteArray saved;
    QBuffer out(&saved);
    out.open(QIODevice::WriteOnly);
    a.SaveImageStream(&out);
    EXPECT_EQ(saved, a.ImageData());
}

TEST(PictureObject, PaintToStretchesAndShiftsByTheFramePosition) {
    TIPicture p;
    load(p, threeFrameGif());
    p.setFrame(2);  // 4 x 3 green frame at 2,1
    QImage canvas(20, 20, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        p.PaintTo(painter, QRect(0, 0, 8, 6));
    }
    EXPECT_EQ(QColor(canvas.pixel(1, 0)), QColor(Qt::white));  // left of the shifted rect
    EXPECT_EQ(QColor(canvas.pixel(2, 1)), QColor(Qt::green));
    EXPECT_EQ(QColor(canvas.pixel(9, 6)), QColor(Qt::green));  // stretched to 8 x 6
    EXPECT_EQ(QColor(canvas.pixel(10, 7)), QColor(Qt::white));

    TIPicture empty;
    QPainter painter(&canvas);
    empty.PaintTo(painter, QRect(0, 0, 5, 5));  // draws nothing, does not crash
}

}  // namespace
}  // namespace pellimar
