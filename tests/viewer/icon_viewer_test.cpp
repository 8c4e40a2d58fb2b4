#include "viewer/icon_viewer.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <QKeyEvent>
#include <QTimer>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "core/paths.h"
#include "platform/ico_file.h"
#include "platform/icon_png.h"
#include "platform/png_codec.h"
#include "support/fixtures.h"
#include "support/scripted_desktop.h"
#include "support/turkish_locale.h"
#include "viewer/thumbnail_list.h"

namespace pellimar {
namespace {

namespace fs = std::filesystem;
using namespace fixtures;
using test::ScriptedDesktop;

QString q(const fs::path& p) {
    return QFile::decodeName(QByteArray::fromStdString(p.native()));
}

TEST(ViewerRoutines, LabelsAndDepthNames) {
    EXPECT_EQ(imageLabel(32, 32, 4), "32*32 16colors");
    EXPECT_EQ(imageLabel(48, 48, 8), "48*48 256colors");
    EXPECT_EQ(imageLabel(48, 48, 32), "48*48 XPcolors");
    EXPECT_EQ(imageLabel(0, 0, 0x5244), "0*0 XPcolors");
    EXPECT_EQ(colorDepthName(0), "1");
    EXPECT_EQ(colorDepthName(5), "32");
    EXPECT_EQ(colorDepthName(24), "XP");
    EXPECT_EQ(colorDepthName(-1), "XP");
}

TEST(ViewerRoutines, SaveTargetNamesInATurkishLocale) {
    test::TurkishLocale turkish;
    if (!turkish.available()) GTEST_SKIP() << "no Turkish locale installed";
    EXPECT_EQ(saveTargetName("/x/a.ico", ".ICO"), fs::path("/x/a.ico"));
    EXPECT_EQ(saveTargetName("/x/a.bmp", ".BMP"), fs::path("/x/a.bmp"));
    EXPECT_EQ(saveTargetName("/x/a.jpg", ".JPG"), fs::path("/x/a.jpg"));
}

TEST(ViewerRoutines, SaveTargetNames) {
    EXPECT_EQ(saveTargetName("/x/a.png", ".ICO"), fs::path("/x/a.ICO"));
    EXPECT_EQ(saveTargetName("/x/a", ".ICO"), fs::path("/x/a.ICO"));
    EXPECT_EQ(saveTargetName("/x/a.ico", ".ICO"), fs::path("/x/a.ico"));
    EXPECT_EQ(saveTargetName("/x/a.b.Jpg", ".JPG"), fs::path("/x/a.b.Jpg"));
    EXPECT_EQ(saveTargetName("/x.d/a", ".BMP"), fs::path("/x.d/a.BMP"));
    // The extension runs from the name's last dot, even when that is its first character.
    EXPECT_EQ(saveTargetName("/x/.ico", ".ICO"), fs::path("/x/.ico"));
    EXPECT_EQ(saveTargetName("/x/.png", ".ICO"), fs::path("/x/.ICO"));
    EXPECT_EQ(saveTargetName("/x/a.", ".JPG"), fs::path("/x/a.JPG"));
}

TEST(ViewerRoutines, SourcePathIsCutPastFiftyCharacters) {
    const QString fifty(50, 'p'), fiftyOne(51, 'p');
    EXPECT_EQ(shortenedSourcePath(fifty), fifty);
    EXPECT_EQ(shortenedSourcePath(fiftyOne), QString(25, 'p') + "...");
}

struct ViewerFixture : ::testing::Test {
    TempDir dir;
    fs::path privateDir;
    ScriptedDesktop desk;
    Bytes ico;
    fs::path icoPath;

    void SetUp() override {
        privateDir = dir.path() / "private";
        fs::create_directory(privateDir);
        ::chmod(privateDir.c_str(), 0700);
        setPrivateTempDir(privateDir);
        ico = makeIco({dibImage(patternIcon(16, 16, 16), 4), dibImage(patternIcon(32, 32, 200), 8),
                       dibImage(alphaPatternIcon(48, 48), 32)});
        icoPath = dir.write("three.ico", ico);
    }
    void TearDown() override { setPrivateTempDir({}); }

    std::unique_ptr<IconViewer> shown(const fs::path& file) {
        auto form = std::make_unique<IconViewer>(desk);
        form->setViewedPath(q(file));
        form->loadViewedFile();
        return form;
    }
    int thumbnailFilesLeft() const {
        int n = 0;
        for (auto& e : fs::directory_iterator(privateDir))
            n += e.path().filename().string().starts_with("mynameisnothing-");
        return n;
    }
};

TEST_F(ViewerFixture, ShowingListsEveryImageAndMakesThumbnails) {
    auto form = shown(icoPath);
    ASSERT_EQ(form->imageChoice->count(), 3);
    EXPECT_EQ(form->imageChoice->itemText(0), "16*16 16colors");
    EXPECT_EQ(form->imageChoice->itemText(1), "32*32 256colors");
    EXPECT_EQ(form->imageChoice->itemText(2), "48*48 XPcolors");
    EXPECT_EQ(form->imageChoice->currentIndex(), 0);
    EXPECT_EQ(form->statusText(0), "  Bmp count:  3");
    EXPECT_EQ(form->previewIcon().width, 16);
    EXPECT_EQ(form->width(), 143 + 242);
    EXPECT_TRUE(desk.messages.empty());

    ThumbnailCollection& t = form->thumbnailList->thumbnails();
    ASSERT_EQ(t.count(), 3);
    EXPECT_EQ(form->thumbnailList->count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(t.at(i)->caption(), form->imageChoice->itemText(i));
        EXPECT_EQ(t.at(i)->source(), ThumbnailSource::File);
        EXPECT_EQ(t.at(i)->fileName(),
                  q(privateDir / ("mynameisnothing-" + std::to_string(i) + ".ico")));
    }
    // Despite the name, a thumbnail file is a bitmap of the image's colour plane.
    QImage second(t.at(1)->fileName(), "BMP");
    ASSERT_EQ(second.size(), QSize(32, 32));
    EXPECT_EQ(second.pixel(5, 0) | 0xFF000000u, patternColor(5 % 200) | 0xFF000000u);
    EXPECT_EQ(thumbnailFilesLeft(), 3);

    form->reject();
    EXPECT_EQ(thumbnailFilesLeft(), 0);
}

// Esc pressed while the viewer is still being opened closes it once it is open:
// the key waits for the viewer's own event loop and cannot strand a hidden modal
// window whose loop never ends.
TEST_F(ViewerFixture, EscTypedAheadClosesTheOpenedViewer) {
    IconViewer form(desk);
    form.setViewedPath(q(icoPath));
    QCoreApplication::postEvent(&form,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    bool stranded = false;
    QTimer rescue;
    rescue.setSingleShot(true);
    QObject::connect(&rescue, &QTimer::timeout, [&] {
        stranded = true;
        QCoreApplication::exit(1);  // ends every loop, the stranded one included
    });
    rescue.start(3000);
    form.exec();
    rescue.stop();
    EXPECT_FALSE(stranded);
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(form.imageChoice->count(), 3);  // the file was loaded whole first
}

// An icon file whose `entries` entries name `distinct` copies of one 1024 x 1024
// PNG image in turn (entry k names copy k % distinct).
Bytes sharedImageIco(std::uint16_t entries, std::uint16_t distinct) {
    static const Bytes png = pngImage(alphaPatternIcon(1024, 1024)).data;
    const std::size_t first = 6 + std::size_t(entries) * 16;
    Bytes file(first + png.size() * distinct, 0);
    put16(file, 2, 1);
    put16(file, 4, entries);
    for (std::size_t e = 0; e < entries; ++e) {
        const std::size_t at = 6 + e * 16;
        put16(file, at + 4, 1);
        put16(file, at + 6, 32);
        put32(file, at + 8, std::uint32_t(png.size()));
        put32(file, at + 12, std::uint32_t(first + (e % distinct) * png.size()));
    }
    for (std::size_t k = 0; k < distinct; ++k)
        std::copy(png.begin(), png.end(), file.begin() + std::ptrdiff_t(first + k * png.size()));
    return file;
}

// The viewed file is kept by the bytes of its name: a Latin-1 "café.ico" is read,
// though its name is not UTF-8 and cannot be rebuilt from any displayed text.
TEST_F(ViewerFixture, NameThatIsNotUtf8IsViewed) {
    const fs::path latin1 = dir.write("caf\xe9.ico", ico);
    IconViewer form(desk);
    form.setViewedFile(latin1);
    form.loadViewedFile();
    EXPECT_EQ(form.imageChoice->count(), 3);
    EXPECT_EQ(form.statusText(0), "  Bmp count:  3");
    EXPECT_TRUE(desk.messages.empty());
}

TEST_F(ViewerFixture, EntriesNamingTheSameBytesShareOneThumbnailFile) {
    auto form = shown(dir.write("shared.ico", sharedImageIco(0xFFFF, 1)));
    EXPECT_EQ(form->statusText(0), "  Bmp count:  65535");  // as the header says
    EXPECT_EQ(form->imageChoice->count(), kMaxImagesPerIcon);
    ThumbnailCollection& t = form->thumbnailList->thumbnails();
    ASSERT_EQ(t.count(), kMaxImagesPerIcon);
    EXPECT_EQ(thumbnailFilesLeft(), 1);
    for (int i = 0; i < t.count(); ++i) EXPECT_EQ(t.at(i)->fileName(), t.at(0)->fileName()) << i;
    EXPECT_EQ(QImage(t.at(255)->fileName(), "BMP").size(), QSize(1024, 1024));
    EXPECT_TRUE(desk.messages.empty());
    form->reject();
    EXPECT_EQ(thumbnailFilesLeft(), 0);
}

TEST_F(ViewerFixture, ThumbnailFilesStopAtTheStatedTotal) {
    // 3 MB a thumbnail: ten fit in 32 MB; the others are empty cells, except
    // those that share a written file.
    auto form = shown(dir.write("many.ico", sharedImageIco(14, 12)));
    ThumbnailCollection& t = form->thumbnailList->thumbnails();
    ASSERT_EQ(t.count(), 14);
    EXPECT_EQ(thumbnailFilesLeft(), 10);
    std::uint64_t bytes = 0;
    for (auto& e : fs::directory_iterator(privateDir)) bytes += fs::file_size(e.path());
    EXPECT_LE(bytes, kMaxThumbnailBytes);
    for (int i : {10, 11}) {
        EXPECT_TRUE(t.at(i)->fileName().isEmpty()) << i;
        EXPECT_EQ(t.at(i)->caption(), "0*0 XPcolors") << i;  // sizes as stored
    }
    EXPECT_EQ(t.at(12)->fileName(), t.at(0)->fileName());
    EXPECT_EQ(t.at(13)->fileName(), t.at(1)->fileName());
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text,
              "Thumbnails stop at 256 files or 32 MB: the other images are shown as empty "
              "cells.");
    form->reject();
    EXPECT_EQ(thumbnailFilesLeft(), 0);
}

TEST_F(ViewerFixture, ShownCentredOnTheScreenAtItsFinalWidth) {
    QWidget owner;
    owner.setGeometry(0, 0, 200, 100);
    owner.show();
    IconViewer form(desk, &owner);
    form.setViewedPath(q(icoPath));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_EQ(form.width(), 385);
    const QRect screen = form.screen()->geometry();
    // The frame is centred, the title bar included.
    const QRect frame = form.frameGeometry();
    EXPECT_EQ(frame.x(), screen.x() + (screen.width() - frame.width()) / 2);
    EXPECT_EQ(frame.y(), screen.y() + (screen.height() - frame.height()) / 2);
}

TEST_F(ViewerFixture, ChoosingAnEntryOrAThumbnailShowsThatImage) {
    auto form = shown(icoPath);
    form->imageChoice->setCurrentIndex(2);
    form->showChosenImage();
    EXPECT_EQ(form->previewIcon().width, 48);
    EXPECT_EQ(form->statusText(1), "3|48|48");

    form->thumbnailList->setCurrentRow(1);  // the list reports the click
    EXPECT_EQ(form->imageChoice->currentIndex(), 1);
    EXPECT_EQ(form->previewIcon().width, 32);
    EXPECT_EQ(form->statusText(1), "3|32|32");
}

TEST_F(ViewerFixture, ClickOnTheThumbnailAlreadySelectedShowsItAgain) {
    auto form = shown(icoPath);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->thumbnailList->doItemsLayout();
    QWidget* cells = form->thumbnailList->viewport();
    const QPoint second =
        form->thumbnailList->visualItemRect(form->thumbnailList->item(1)).center();
    QTest::mouseClick(cells, Qt::LeftButton, {}, second);
    EXPECT_EQ(form->imageChoice->currentIndex(), 1);
    // The drop-down list moves on; the thumbnail stays selected.
    form->imageChoice->setCurrentIndex(2);
    form->showChosenImage();
    ASSERT_EQ(form->previewIcon().width, 48);
    // Long enough after the first click not to make a double-click of it.
    QTest::mouseClick(cells, Qt::LeftButton, {}, second, 1000);
    EXPECT_EQ(form->imageChoice->currentIndex(), 1);
    EXPECT_EQ(form->previewIcon().width, 32);
    EXPECT_EQ(form->statusText(1), "3|32|32");

    // A right-click on it does the same before its menu opens.
    form->imageChoice->setCurrentIndex(2);
    form->showChosenImage();
    QTest::mousePress(cells, Qt::RightButton, {}, second);
    QTest::mouseRelease(cells, Qt::RightButton, {}, second);
    EXPECT_EQ(form->imageChoice->currentIndex(), 1);
    EXPECT_EQ(form->previewIcon().width, 32);
}

TEST_F(ViewerFixture, PreviewLooksAsTheIconDrawnOnItsBlackPanel) {
    Icon picture = patternIcon(16, 16, 16);
    const std::size_t inverting = 5 * 16 + 5;  // mask set over a colour: inverts what is below
    picture.mask[inverting] = 1;
    ASSERT_NE(picture.color[inverting] & 0xFFFFFF, 0u);
    auto form = shown(dir.write("inv.ico", makeIco({dibImage(picture, 4)})));
    const QPixmap pixmap = form->preview->pixmap();
    ASSERT_EQ(pixmap.size(), QSize(16, 16));
    QImage seen(16, 16, QImage::Format_RGB32);
    seen.fill(Qt::black);
    QPainter(&seen).drawPixmap(0, 0, pixmap);
    EXPECT_EQ(seen.pixel(0, 3), 0xFF000000u);  // transparent: the panel shows
    EXPECT_EQ(seen.pixel(1, 0), patternColor(1));
    EXPECT_EQ(seen.pixel(5, 5), picture.color[inverting]);  // black inverted by the colour
}

TEST_F(ViewerFixture, ImageThatCannotBeReadLeavesThePreviewAndSaysSo) {
    auto form = shown(icoPath);
    put32(ico, 6 + 16 * 2 + 12, 1u << 30);  // third image far beyond the end
    dir.write("three.ico", ico);
    form->imageChoice->setCurrentIndex(2);
    form->showChosenImage();
    EXPECT_EQ(form->statusText(0), "Error infomation in h2");
    EXPECT_EQ(form->previewIcon().width, 16);
    EXPECT_EQ(form->statusText(1), "");
}

TEST_F(ViewerFixture, RightClickSelectsTheThumbnailUnderThePointer) {
    auto form = shown(icoPath);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->thumbnailList->doItemsLayout();
    const QRect cell = form->thumbnailList->visualItemRect(form->thumbnailList->item(1));
    ASSERT_FALSE(cell.isEmpty());
    form->thumbnailPressed(Qt::RightButton, cell.center());
    EXPECT_EQ(form->imageChoice->currentIndex(), 1);
    EXPECT_EQ(form->previewIcon().width, 32);
    form->thumbnailPressed(
        Qt::LeftButton, form->thumbnailList->visualItemRect(form->thumbnailList->item(2)).center());
    EXPECT_EQ(form->imageChoice->currentIndex(),
              1);  // only the right button is turned into a click
}

TEST_F(ViewerFixture, WideAndPngImagesAreLabelledAsStored) {
    const fs::path big = dir.write("big.ico", makeIco({pngImage(patternIcon(256, 256))}));
    auto form = shown(big);
    ASSERT_EQ(form->imageChoice->count(), 1);
    EXPECT_EQ(form->imageChoice->itemText(0), "0*0 XPcolors");
    EXPECT_EQ(form->previewIcon().width, 256);
}

TEST_F(ViewerFixture, FileThatIsNoIconShowsFileOpenFalse) {
    auto form = shown(dir.write("not.ico", Bytes{'M', 'Z', 0, 0, 0, 0, 0, 0}));
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, "file open false");
    EXPECT_EQ(desk.messages[0].caption, "notice");
    EXPECT_EQ(form->imageChoice->count(), 0);
    EXPECT_EQ(form->thumbnailList->thumbnails().count(), 0);

    auto cursor = shown(dir.write("c.cur", makeIco({dibImage(patternIcon(16, 16, 16), 4)}, 2)));
    EXPECT_EQ(desk.messages.size(), 2u);
    EXPECT_EQ(cursor->imageChoice->count(), 0);
}

TEST_F(ViewerFixture, PipeNamedLikeAnIconFileIsNoIconAndDoesNotHang) {
    const fs::path pipe = dir.path() / "pipe.ico";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    // Should the viewer wait for a writer, one comes after two seconds.
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 40 && !done; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK); fd >= 0) ::close(fd);
    });
    QElapsedTimer clock;
    clock.start();
    auto form = shown(pipe);
    const qint64 took = clock.elapsed();
    done = true;
    writer.join();
    EXPECT_LT(took, 1000);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, "file open false");
}

TEST_F(ViewerFixture, HeaderWithoutImagesShowsNothingAndSaysNothing) {
    auto form = shown(dir.write("none.ico", Bytes{0, 0, 1, 0, 0, 0}));
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_EQ(form->imageChoice->count(), 0);
    EXPECT_EQ(form->thumbnailList->thumbnails().count(), 0);
}

TEST_F(ViewerFixture, BrokenImageStopsTheThumbnailsThere) {
    put32(ico, 6 + 16 * 1 + 12, 1u << 30);  // the second image lies beyond the end
    dir.write("three.ico", ico);
    auto form = shown(icoPath);
    ASSERT_EQ(desk.messages.size(), 2u);
    EXPECT_EQ(desk.messages[0].text, "file open false");  // listing stopped at image 2
    EXPECT_EQ(desk.messages[1].text, "views load file Error");
    EXPECT_EQ(desk.messages[1].caption, "notice");
    EXPECT_EQ(form->imageChoice->count(), 1);
    EXPECT_EQ(form->thumbnailList->thumbnails().count(), 1);
}

TEST_F(ViewerFixture, SaveAsIconWritesTheChosenImageAlone) {
    auto form = shown(icoPath);
    form->imageChoice->setCurrentIndex(2);
    form->showChosenImage();
    desk.saveAnswers.push_back(dir.path() / "pic.png");
    form->saveAsIcon();
    EXPECT_EQ(desk.saveRequests.back().filter, "ICON file|*.ico");
    const Bytes out = readWholeFile(dir.path() / "pic.ICO");
    ASSERT_GE(out.size(), 22u);
    EXPECT_EQ(get16(out, 4), 1);
    EXPECT_EQ(get32(out, 6 + 12), 22u);
    const std::size_t src = 6 + 16 * 2;
    EXPECT_TRUE(std::equal(out.begin() + 6, out.begin() + 18, ico.begin() + src));
    const std::uint32_t size = get32(ico, src + 8), offset = get32(ico, src + 12);
    EXPECT_EQ(out.size(), 22u + size);
    EXPECT_TRUE(std::equal(out.begin() + 22, out.end(), ico.begin() + offset));
    EXPECT_TRUE(desk.messages.empty());
}

TEST_F(ViewerFixture, SaveAsIconNeverWritesOverTheViewedFile) {
    auto form = shown(icoPath);
    form->imageChoice->setCurrentIndex(1);
    desk.saveAnswers.push_back(icoPath);
    desk.answers.push_back(Answer::Ok);
    form->saveAsIcon();
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, "This file is exists,Are you sure?");
    EXPECT_EQ(desk.messages[0].buttons, Buttons::OkCancel);
    EXPECT_EQ(readWholeFile(icoPath), ico);

    // Nor through another spelling of its name.
    desk.saveAnswers.push_back(dir.path() / "." / "three.ico");
    desk.answers.push_back(Answer::Ok);
    form->saveAsIcon();
    EXPECT_EQ(readWholeFile(icoPath), ico);
}

TEST_F(ViewerFixture, CancelInTheOverwriteQuestionKeepsTheFileInEveryFormat) {
    auto form = shown(icoPath);
    const Bytes old{'o', 'l', 'd'};
    struct Step {
        const char* name;
        void (IconViewer::*save)();
    } steps[] = {{"a.ico", &IconViewer::saveAsIcon},
                 {"a.bmp", &IconViewer::saveAsBitmap},
                 {"a.jpg", &IconViewer::saveAsJpeg}};
    for (const Step& s : steps) {
        const fs::path target = dir.write(s.name, old);
        desk.saveAnswers.push_back(target);
        desk.answers.push_back(Answer::Cancel);
        (form.get()->*s.save)();
        EXPECT_EQ(readWholeFile(target), old) << s.name;
    }
    EXPECT_EQ(desk.messages.size(), 3u);

    // OK replaces it.
    const fs::path target = dir.path() / "a.bmp";
    desk.saveAnswers.push_back(target);
    desk.answers.push_back(Answer::Ok);
    form->saveAsBitmap();
    EXPECT_EQ(QImage(q(target)).size(), QSize(16, 16));
}

TEST_F(ViewerFixture, BitmapAndJpegAreDrawnOnWhite) {
    const fs::path one = dir.write("one.ico", makeIco({dibImage(patternIcon(32, 32, 16), 4)}));
    auto form = shown(one);
    desk.saveAnswers.push_back(dir.path() / "out");
    form->saveAsBitmap();
    EXPECT_EQ(desk.saveRequests.back().filter, "bmp file|*.bmp");
    const QImage bmp(q(dir.path() / "out.BMP"), "BMP");
    ASSERT_EQ(bmp.size(), QSize(32, 32));
    EXPECT_EQ(bmp.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);  // transparent column: white
    EXPECT_EQ(bmp.pixel(0, 31) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(bmp.pixel(1, 0) & 0xFFFFFF, patternColor(1) & 0xFFFFFF);

    desk.saveAnswers.push_back(dir.path() / "out.jpeg");
    form->saveAsJpeg();
    EXPECT_EQ(desk.saveRequests.back().filter, "jpeg file|*.jpg");
    const QImage jpg(q(dir.path() / "out.JPG"), "JPEG");
    EXPECT_EQ(jpg.size(), QSize(32, 32));
    EXPECT_TRUE(desk.messages.empty());
}

TEST_F(ViewerFixture, SaveFailuresAreReported) {
    auto form = shown(icoPath);
    const fs::path blocker = dir.write("file.txt", Bytes{'x'});
    desk.saveAnswers.push_back(blocker / "a.ico");
    form->saveAsIcon();
    desk.saveAnswers.push_back(blocker / "a.bmp");
    form->saveAsBitmap();
    desk.saveAnswers.push_back(blocker / "a.jpg");
    form->saveAsJpeg();
    ASSERT_EQ(desk.messages.size(), 3u);
    // Each with the system's reason.
    EXPECT_EQ(desk.messages[0].text, "save false\nNot a directory");
    EXPECT_EQ(desk.messages[0].caption, "Sorry");
    EXPECT_EQ(desk.messages[1].text, "save falsed\nNot a directory");
    EXPECT_EQ(desk.messages[1].caption, "notice");
    EXPECT_EQ(desk.messages[2].text, "save falsed\nNot a directory");
}

TEST_F(ViewerFixture, JpegWithoutAPictureWritesAndSaysNothing) {
    IconViewer form(desk);  // never shown: no picture
    desk.saveAnswers.push_back(dir.path() / "x.jpg");
    form.saveAsJpeg();
    EXPECT_FALSE(fs::exists(dir.path() / "x.jpg"));
    EXPECT_TRUE(desk.messages.empty());
    desk.saveAnswers.push_back(std::nullopt);  // cancelled dialog: nothing at all
    form.saveAsIcon();
    EXPECT_TRUE(desk.messages.empty());
}

TEST_F(ViewerFixture, OpenerSetsCaptionPathAndHintAndCleansUp) {
    const std::string longSource = "/" + std::string(50, 's');  // 51 characters
    desk.modalScripts.push_back([&](QDialog& d) {
        auto& form = dynamic_cast<IconViewer&>(d);
        EXPECT_EQ(form.windowTitle(), "ICON VIEWS");
        EXPECT_EQ(form.statusText(2), QString::fromStdString(longSource.substr(0, 25)) + "...");
        EXPECT_EQ(form.viewedPath(), q(icoPath));
        form.loadViewedFile();
        EXPECT_EQ(thumbnailFilesLeft(), 3);
        return 0;
    });
    showIconViewer(desk, nullptr, icoPath, longSource);
    EXPECT_EQ(desk.modalForms.size(), 1u);
    EXPECT_EQ(thumbnailFilesLeft(), 0);
}

TEST_F(ViewerFixture, OldThumbnailFileOrLinkIsReplacedNotFollowed) {
    const fs::path victim = dir.write("victim.txt", Bytes{'k', 'e', 'e', 'p'});
    fs::create_symlink(victim, privateDir / "mynameisnothing-0.ico");
    auto form = shown(icoPath);
    EXPECT_EQ(readWholeFile(victim), (Bytes{'k', 'e', 'e', 'p'}));
    EXPECT_FALSE(fs::is_symlink(privateDir / "mynameisnothing-0.ico"));
}

TEST_F(ViewerFixture, PngKeepsTheImagesTransparencyAtItsOwnSize) {
    const fs::path one = dir.write("alpha.ico", makeIco({dibImage(alphaPatternIcon(48, 48), 32)}));
    auto form = shown(one);
    EXPECT_EQ(form->previewSavePngItem->text(), "save as PNG");
    EXPECT_EQ(form->thumbnailSavePngItem->text(), "save as PNG");
    desk.saveAnswers.push_back(dir.path() / "out");
    form->saveAsPng();
    EXPECT_EQ(desk.saveRequests.back().filter, "png file|*.png");
    const QImage png(q(dir.path() / "out.PNG"), "PNG");
    ASSERT_EQ(png.size(), QSize(48, 48));
    EXPECT_EQ(qAlpha(png.pixel(0, 5)), 0);  // the transparent first column
    EXPECT_EQ(qAlpha(png.pixel(1, 5)), 255 - 8);
    EXPECT_TRUE(desk.messages.empty());

    // An existing file is asked about; a failed write is reported.
    desk.saveAnswers.push_back(dir.path() / "out.PNG");
    desk.answers.push_back(Answer::Cancel);
    form->saveAsPng();
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, "This file is exists,Are you sure?");
    desk.saveAnswers.push_back(one / "x.png");
    form->saveAsPng();
    ASSERT_EQ(desk.messages.size(), 2u);
    EXPECT_EQ(desk.messages[1].text, "save falsed");
}

}  // namespace
}  // namespace pellimar

namespace pellimar {
namespace {

TEST_F(ViewerFixture, CopyPutsTheChosenImageOnTheClipboardWithItsAlpha) {
    auto form = shown(icoPath);
    form->imageChoice->setCurrentIndex(2);
    form->showChosenImage();
    QApplication::clipboard()->clear();
    form->previewCopyItem->trigger();
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(copied);
    const QByteArray png = copied->data("image/png");
    const auto image = decodePng(
        std::span(reinterpret_cast<const std::uint8_t*>(png.constData()), std::size_t(png.size())));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 48);
    EXPECT_EQ(image->rgba, iconToRgba(alphaPatternIcon(48, 48)).rgba);
    EXPECT_EQ(form->previewCopyItem->shortcut(), QKeySequence::Copy);

    // The thumbnails' menu copies the same chosen image.
    form->imageChoice->setCurrentIndex(0);
    form->showChosenImage();
    form->thumbnailCopyItem->trigger();
    EXPECT_EQ(qvariant_cast<QImage>(QApplication::clipboard()->mimeData()->imageData()).size(),
              QSize(16, 16));
}

}  // namespace
}  // namespace pellimar
