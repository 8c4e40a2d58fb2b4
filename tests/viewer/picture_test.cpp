#include "viewer/picture.h"

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

void load(Picture& p, QByteArray bytes) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    p.loadStream(&buffer);
}

std::string loadError(QByteArray bytes) {
    Picture p;
    try {
        load(p, bytes);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "no error";
}

TEST(GifFrames, CountsFrameStartsAndRecognisesOnlyGifData) {
    EXPECT_EQ(countGifFrames(threeFrameGif()), 3);
    EXPECT_FALSE(isGif(QByteArray("GIF8")));  // shorter than 5 bytes
    EXPECT_TRUE(isGif(QByteArray("GIF89")));
    EXPECT_EQ(countGifFrames(QByteArray("GIF8")), -1);
    EXPECT_EQ(countGifFrames(encoded(QImage(4, 4, QImage::Format_RGB32), "PNG")), -1);
}

TEST(GifFrames, SecondFrameKeepsHeaderAndFramesTwoAndThree) {
    std::vector<qsizetype> starts;
    const QByteArray gif = threeFrameGif(&starts);
    const GifCut cut = cutGifFrame(gif, 2);
    EXPECT_EQ(cut.data, gif.left(starts[0]) + gif.mid(starts[1]));
    EXPECT_EQ(cut.frameLeft, 2);
    EXPECT_EQ(cut.frameTop, 1);
    EXPECT_EQ(cut.screenWidth, 10);
    EXPECT_EQ(cut.screenHeight, 8);
    // Frames 0 and 1 hand over everything.
    EXPECT_EQ(cutGifFrame(gif, 0).data, gif);
    EXPECT_EQ(cutGifFrame(gif, 1).data, gif);
    EXPECT_EQ(cutGifFrame(gif, 3).data, gif.left(starts[0]) + gif.mid(starts[2]));
}

TEST(GifFrames, FrameStartAtTheVeryEndReadsNothingBeyondTheData) {
    // A frame start whose descriptor fields would run past the end of the data.
    QByteArray d("GIF89a");
    d.append(QByteArray("\x21\xF9\x04\x00\x00\x00\x00\x00\x2C\x07", 10));
    EXPECT_EQ(countGifFrames(d), 1);
    const GifCut cut = cutGifFrame(d, 1);
    EXPECT_EQ(cut.frameLeft, 0);  // the bytes at p+9, p+10 are not both there
    EXPECT_EQ(cut.frameTop, 0);
    EXPECT_EQ(cutGifFrame(QByteArray("GIF89a\x01", 7), 1).screenHeight, 0);  // offset 8 missing
}

TEST(PictureObject, GifFrameTwoIsDecodedWithItsPositionAndTheScreenSize) {
    Picture p;
    load(p, threeFrameGif());
    EXPECT_EQ(p.frame(), 1);
    EXPECT_EQ(p.displayWidth(), 10);
    EXPECT_EQ(p.displayHeight(), 8);
    EXPECT_EQ(QColor(p.decoded().pixel(0, 0)), QColor(Qt::red));

    int frameChanges = 0;
    p.onFrameChange = [&] { ++frameChanges; };
    p.setFrame(2);
    EXPECT_EQ(frameChanges, 1);
    EXPECT_EQ(p.frameLeft(), 2);
    EXPECT_EQ(p.frameTop(), 1);
    EXPECT_EQ(p.displayWidth(), 10);  // the logical screen, not the frame
    EXPECT_EQ(p.displayHeight(), 8);
    EXPECT_EQ(p.pixelWidth(), 4);
    EXPECT_EQ(p.pixelHeight(), 3);
    EXPECT_EQ(QColor(p.decoded().pixel(0, 0)), QColor(Qt::green));

    p.setFrame(3);
    EXPECT_EQ(QColor(p.decoded().pixel(0, 0)), QColor(Qt::blue));
    EXPECT_EQ(p.frameLeft(), 5);
    EXPECT_EQ(p.frameTop(), 6);
}

TEST(PictureObject, GifWithoutControlExtensionIsDecodedWhole) {
    Picture p;
    load(p, buildGif(6, 5, {{0, 0, 6, 5, 3, false}}));
    EXPECT_EQ(countGifFrames(p.imageData()), 0);
    EXPECT_EQ(p.screenWidth(), 0);
    EXPECT_EQ(p.displayWidth(), 6);
    EXPECT_EQ(p.displayHeight(), 5);
    EXPECT_EQ(QColor(p.decoded().pixel(3, 3)), QColor(Qt::blue));
}

TEST(PictureObject, ReadsTheUsualFormats) {
    QImage image(7, 5, QImage::Format_ARGB32);
    image.fill(Qt::red);
    for (const char* format : {"BMP", "PNG", "JPEG", "ICO"}) {
        Picture p;
        int changes = 0;
        p.onChange = [&] { ++changes; };
        load(p, encoded(image, format));
        EXPECT_FALSE(p.isEmpty()) << format;
        EXPECT_EQ(p.displayWidth(), 7) << format;
        EXPECT_EQ(p.displayHeight(), 5) << format;
        EXPECT_EQ(changes, 1) << format;
    }
}

TEST(PictureObject, UndecodableStreamRaisesInvalidFormat) {
    EXPECT_EQ(loadError(QByteArray("this is no picture at all")),
              "Could not load image. Invalid format");
    EXPECT_EQ(loadError(QByteArray()), "Could not load image. Invalid format");
    // A GIF whose frames are all cut away leaves nothing to decode.
    Picture p;
    load(p, threeFrameGif());
    EXPECT_THROW(p.setFrame(9), std::runtime_error);
    Picture none;
    none.loadStream(nullptr);  // nothing happens
    EXPECT_TRUE(none.isEmpty());
}

TEST(PictureObject, LoadImageFileIsSilentAndLeavesFailuresEmpty) {
    QTemporaryDir dir;
    Picture p;
    int changes = 0;
    p.onChange = [&] { ++changes; };
    p.loadFile(dir.filePath("missing.bmp"));
    EXPECT_TRUE(p.isEmpty());
    EXPECT_EQ(p.displayWidth(), 0);

    QFile junk(dir.filePath("junk.bmp"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("BM not really");
    junk.close();
    p.loadFile(junk.fileName());
    EXPECT_TRUE(p.isEmpty());
    p.loadFile(dir.path());  // a folder
    EXPECT_TRUE(p.isEmpty());
    EXPECT_EQ(changes, 0);

    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::green);
    ASSERT_TRUE(image.save(dir.filePath("ok.bmp"), "BMP"));
    p.loadFile(dir.filePath("ok.bmp"));
    EXPECT_FALSE(p.isEmpty());
    EXPECT_EQ(p.displayWidth(), 3);
    EXPECT_EQ(changes, 1);
}

TEST(PictureObject, AssignCopiesBytesAndNullEmpties) {
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::blue);
    Picture a, b;
    load(a, encoded(image, "PNG"));
    int changes = 0;
    b.onChange = [&] { ++changes; };
    b.assign(&a);
    EXPECT_FALSE(b.isEmpty());
    EXPECT_EQ(b.imageData(), a.imageData());
    EXPECT_EQ(b.displayWidth(), 4);
    b.assign(nullptr);
    EXPECT_TRUE(b.isEmpty());
    EXPECT_TRUE(b.imageData().isEmpty());
    EXPECT_EQ(b.displayWidth(), 0);
    EXPECT_EQ(changes, 2);

    QByteArray saved;
    QBuffer out(&saved);
    out.open(QIODevice::WriteOnly);
    a.saveStream(&out);
    EXPECT_EQ(saved, a.imageData());
}

TEST(PictureObject, SharingHoldsOnePictureUntilOneOfThemChanges) {
    Picture a;
    load(a, threeFrameGif());
    a.setFrame(2);
    Picture b;
    int changes = 0;
    b.onChange = [&] { ++changes; };
    b.share(a);
    EXPECT_EQ(b.imageData().constData(), a.imageData().constData());
    EXPECT_EQ(b.decoded().constBits(), a.decoded().constBits());  // not decoded again
    EXPECT_EQ(b.frame(), 2);
    EXPECT_EQ(b.frameLeft(), 2);
    EXPECT_EQ(b.displayWidth(), 10);
    EXPECT_EQ(changes, 0);
    // Each goes on as a picture of its own.
    b.setFrame(3);
    EXPECT_EQ(a.pixelWidth(), 4);
    EXPECT_EQ(b.pixelWidth(), 5);
    Picture empty;
    b.share(empty);
    EXPECT_TRUE(b.isEmpty());
    EXPECT_FALSE(a.isEmpty());
}

TEST(PictureObject, PaintToStretchesAndShiftsByTheFramePosition) {
    Picture p;
    load(p, threeFrameGif());
    p.setFrame(2);  // 4 x 3 green frame at 2,1
    QImage canvas(20, 20, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        p.paintTo(painter, QRect(0, 0, 8, 6));
    }
    EXPECT_EQ(QColor(canvas.pixel(1, 0)), QColor(Qt::white));  // left of the shifted rect
    EXPECT_EQ(QColor(canvas.pixel(2, 1)), QColor(Qt::green));
    EXPECT_EQ(QColor(canvas.pixel(9, 6)), QColor(Qt::green));  // stretched to 8 x 6
    EXPECT_EQ(QColor(canvas.pixel(10, 7)), QColor(Qt::white));

    Picture empty;
    QPainter painter(&canvas);
    empty.paintTo(painter, QRect(0, 0, 5, 5));  // draws nothing, does not crash
}

}  // namespace
}  // namespace pellimar
