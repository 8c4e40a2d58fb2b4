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
#include <QContextMenuEvent>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "core/paths.h"
#include "platform/atomic_file.h"
#include "platform/ico_file.h"
#include "platform/icon_png.h"
#include "platform/png_codec.h"
#include "support/fixtures.h"
#include "support/scripted_desktop.h"
#include "support/turkish_locale.h"
#include "viewer/thumbnails.h"

namespace pellimar {
namespace {

namespace fs = std::filesystem;
using namespace fixtures;
using test::ScriptedDesktop;

QString q(const fs::path& p) {
    return QFile::decodeName(QByteArray::fromStdString(p.native()));
}

// The picture of thumbnail `row`; null when its cell shows none.
QImage thumbnailOf(const QListWidget& list, int row) {
    return qvariant_cast<QImage>(list.item(row)->data(Qt::DecorationRole));
}

TEST(ViewerRoutines, LabelsAndDepthNames) {
    EXPECT_EQ(imageLabel(32, 32, 4), "32*32 16colors");
    EXPECT_EQ(imageLabel(48, 48, 8), "48*48 256colors");
    EXPECT_EQ(imageLabel(48, 48, 32), "48*48 XPcolors");
    EXPECT_EQ(imageLabel(0, 0, 0x5244), "256*256 XPcolors");  // a directory's 0 is 256
    EXPECT_EQ(imageLabel(0, 16, 8), "256*16 256colors");
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
        form->setViewedFile(file);
        form->loadViewedFile();
        return form;
    }
    // What the program's private temporary folder holds: the viewer puts nothing there.
    int privateFiles() const {
        return int(std::distance(fs::directory_iterator(privateDir), fs::directory_iterator()));
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
    EXPECT_TRUE(desk.messages.empty());

    ASSERT_EQ(form->thumbnailList->count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(form->thumbnailList->item(i)->text(), form->imageChoice->itemText(i));
    // A thumbnail is a picture of the image in memory, at its own size when it fits.
    const QImage second = thumbnailOf(*form->thumbnailList, 1);
    ASSERT_EQ(second.size(), QSize(32, 32));
    EXPECT_EQ(second.pixel(5, 0), patternColor(5 % 200) | 0xFF000000u);
    EXPECT_EQ(privateFiles(), 0);
}

// Esc pressed while the viewer is still being opened closes it once it is open:
// the key waits for the viewer's own event loop and cannot strand a hidden modal
// window whose loop never ends.
TEST_F(ViewerFixture, EscTypedAheadClosesTheOpenedViewer) {
    IconViewer form(desk);
    form.setViewedFile(icoPath);
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

// Whether two thumbnails show one picture held once: the same pixels in memory.
bool shareOnePicture(const QListWidget& list, int a, int b) {
    const QImage one = thumbnailOf(list, a), other = thumbnailOf(list, b);
    return !one.isNull() && one.constBits() == other.constBits();
}

TEST_F(ViewerFixture, EntriesNamingTheSameBytesShareOneThumbnailPicture) {
    auto form = shown(dir.write("shared.ico", sharedImageIco(0xFFFF, 1)));
    // All 65535 are in the file; the first 256 are listed.
    EXPECT_EQ(form->statusText(0), "  Bmp count:  65535 (the first 256 listed)");
    EXPECT_EQ(form->imageChoice->count(), kMaxImagesPerIcon);
    const QListWidget& t = *form->thumbnailList;
    ASSERT_EQ(t.count(), kMaxImagesPerIcon);
    // One picture, made from one decoding, not 256 of them.
    for (int i = 1; i < t.count(); ++i) ASSERT_TRUE(shareOnePicture(t, i, 0)) << i;
    // It is made for its cell: the 1024 px image is not held at its own size.
    EXPECT_LT(thumbnailOf(t, 255).height(), kThumbnailCellHeight);
    EXPECT_TRUE(desk.messages.empty());
}

TEST_F(ViewerFixture, ThumbnailPicturesStopAtTheStatedTotal) {
    // 4 MB decoded a thumbnail: eight fit in 32 MB; the others are empty cells,
    // except those that share a picture already made.
    auto form = shown(dir.write("many.ico", sharedImageIco(14, 12)));
    const QListWidget& t = *form->thumbnailList;
    ASSERT_EQ(t.count(), 14);
    for (int i = 0; i < 8; ++i) EXPECT_FALSE(thumbnailOf(t, i).isNull()) << i;
    for (int i : {8, 9, 10, 11}) {
        EXPECT_TRUE(thumbnailOf(t, i).isNull()) << i;
        EXPECT_EQ(t.item(i)->text(), "256*256 XPcolors") << i;  // sizes as stored
    }
    EXPECT_TRUE(shareOnePicture(t, 12, 0));
    EXPECT_TRUE(shareOnePicture(t, 13, 1));
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text,
              "Thumbnails stop at 256 pictures or 32 MB: the other images are shown as empty "
              "cells.");
}

TEST_F(ViewerFixture, ThumbnailPicturesStopAtTheirCount) {
    // A group in memory is not held to the images a directory is read for: 300
    // distinct images of 4 x 4.
    auto set = IconSet::open(dir.write("one.ico", makeIco({dibImage(patternIcon(4, 4, 2), 1)})));
    ASSERT_TRUE(set);
    IconGroup group = set->load(ResourceKind::Icon, 0);
    const StoredImage one = group.images.at(0);
    ASSERT_TRUE(one.loaded());
    group.images.clear();
    for (int k = 0; k < 300; ++k) {
        group.images.push_back(one);
        group.images.back().offset = one.offset + std::uint64_t(k);  // told apart by place
    }
    group.statedCount = 300;
    IconViewer form(desk);
    form.setViewedGroup(group);
    form.loadViewedFile();
    const QListWidget& t = *form.thumbnailList;
    ASSERT_EQ(t.count(), 300);
    EXPECT_FALSE(thumbnailOf(t, kMaxThumbnailPictures - 1).isNull());
    EXPECT_TRUE(thumbnailOf(t, kMaxThumbnailPictures).isNull());
    EXPECT_TRUE(thumbnailOf(t, 299).isNull());
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.starts_with("Thumbnails stop at 256 pictures"));
}

TEST_F(ViewerFixture, ShownCentredOnTheScreenAtItsFinalWidth) {
    QWidget owner;
    owner.setGeometry(0, 0, 200, 100);
    owner.show();
    IconViewer form(desk, &owner);
    form.setViewedFile(icoPath);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
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

TEST_F(ViewerFixture, TheListDrawsEachThumbnailInItsCell) {
    auto form = shown(icoPath);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->thumbnailList->doItemsLayout();
    const QImage seen = form->thumbnailList->viewport()->grab().toImage();
    // Cells as wide as the list, one under another.
    const QRect cell = form->thumbnailList->visualItemRect(form->thumbnailList->item(1));
    EXPECT_EQ(cell, QRect(0, kThumbnailCellHeight, form->thumbnailList->viewport()->width(),
                          kThumbnailCellHeight));
    const QRect area =
        thumbnailPictureArea(cell, QFontMetrics(form->thumbnailList->font()).height());
    const QPoint corner(area.left() + (area.width() - 32) / 2,
                        area.top() + (area.height() - 32) / 2);
    EXPECT_EQ(seen.pixel(corner + QPoint(5, 0)), patternColor(5 % 200) | 0xFF000000u);
    EXPECT_EQ(seen.pixel(corner + QPoint(31, 31)), patternColor((31 + 3 * 31) % 200) | 0xFF000000u);
    EXPECT_EQ(seen.pixel(corner + QPoint(32, 31)), 0xFF000000u);
}

TEST_F(ViewerFixture, ManyThumbnailsScrollUpAndDownOnly) {
    std::vector<IconImage> images;
    for (int i = 0; i < 12; ++i) images.push_back(dibImage(patternIcon(16, 16, 16), 4));
    auto form = shown(dir.write("twelve.ico", makeIco(images)));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QListWidget& list = *form->thumbnailList;
    // The list lays its cells out when it gets to it, and again as its scroll bar shows.
    QCoreApplication::processEvents();
    ASSERT_TRUE(list.verticalScrollBar()->isVisible());
    EXPECT_FALSE(list.horizontalScrollBar()->isVisible());
    EXPECT_EQ(list.visualItemRect(list.item(11)).width(), list.viewport()->width());
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

// An image cut off in its pixels, as an icon file stores it.
IconImage damaged(std::uint8_t side) {
    // A sound header and palette, then only part of the pixels.
    IconImage image = dibImage(patternIcon(side, side, 200), 8);
    image.data.resize(40 + 256 * 4 + 10);
    return image;
}

TEST_F(ViewerFixture, TheFileIsReadOnceWhenShown) {
    auto form = shown(icoPath);
    fs::remove(icoPath);
    form->imageChoice->setCurrentIndex(2);
    form->showChosenImage();
    EXPECT_EQ(form->previewIcon().width, 48);
    EXPECT_EQ(form->statusText(1), "3|48|48");
}

// An image that cannot be drawn takes the preview's place with which one it is and
// why: the image shown before is gone, and no save writes it for this one.
TEST_F(ViewerFixture, ImageThatCannotBeDecodedIsNamedInThePreviewInPlaceOfThePreviousOne) {
    auto form =
        shown(dir.write("bad.ico", makeIco({dibImage(patternIcon(16, 16, 16), 4),
                                            dibImage(patternIcon(32, 32, 200), 8), damaged(48)})));
    ASSERT_EQ(form->imageChoice->count(), 3);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.starts_with(
        "1 of the images of bad.ico cannot be shown:\nimage 3: damaged image data"))
        << desk.messages[0].text;
    EXPECT_TRUE(form->thumbnailList->item(2)->toolTip().startsWith(
        "Image 3 cannot be drawn: damaged image data"));
    form->imageChoice->setCurrentIndex(2);
    form->showChosenImage();
    EXPECT_TRUE(form->preview->pixmap().isNull());
    EXPECT_TRUE(form->preview->text().startsWith(
        "Image 3 (48*48 256colors) cannot be drawn:\ndamaged image data"))
        << form->preview->text().toStdString();
    EXPECT_TRUE(form->preview->accessibleDescription().startsWith("Image 3 cannot be drawn: "));
    EXPECT_TRUE(form->previewIcon().empty());
    EXPECT_EQ(form->statusText(0), "Cannot show image 3");
    EXPECT_EQ(form->statusText(1), "");
    // Nothing to save: the image before is not written in its place.
    desk.saveAnswers.push_back(dir.path() / "shown.bmp");
    form->saveAsBitmap();
    EXPECT_FALSE(fs::exists(dir.path() / "shown.bmp"));
    ASSERT_EQ(desk.messages.size(), 2u);
    EXPECT_EQ(desk.messages[1].text, "Cannot save shown.bmp: no image is shown.");
    // A sound image again: its picture, and the count comes back.
    form->imageChoice->setCurrentIndex(1);
    form->showChosenImage();
    EXPECT_FALSE(form->preview->pixmap().isNull());
    EXPECT_TRUE(form->preview->text().isEmpty());
    EXPECT_TRUE(form->preview->accessibleDescription().isEmpty());
    EXPECT_EQ(form->previewIcon().width, 32);
    EXPECT_EQ(form->statusText(0), "  Bmp count:  3");
    EXPECT_EQ(form->statusText(1), "3|32|32");
}

// Each entry is labelled by what its own header states where that can be read;
// a header that is damaged leaves the label to the directory entry.
TEST_F(ViewerFixture, EachEntryIsLabelledFromItsOwnHeaderWhereItCanBeRead) {
    IconImage sixteen = dibImage(patternIcon(32, 32, 16), 4);
    std::fill(sixteen.data.begin(), sixteen.data.begin() + 16, std::uint8_t(0xFF));
    IconImage unstated = dibImage(patternIcon(32, 32, 16), 4);
    unstated.bitCount = 0;  // the entry leaves the depth to the colour count
    std::fill(unstated.data.begin(), unstated.data.begin() + 16, std::uint8_t(0xFF));
    IconImage ownHeader = dibImage(patternIcon(16, 16, 200), 8);
    ownHeader.bitCount = 0;
    ownHeader.colorCount = 0;
    auto form = shown(dir.write("labels.ico", makeIco({ownHeader, sixteen, unstated,
                                                       dibImage(alphaPatternIcon(48, 48), 32)})));
    ASSERT_EQ(form->imageChoice->count(), 4);
    EXPECT_EQ(form->imageChoice->itemText(0), "16*16 256colors");
    EXPECT_EQ(form->imageChoice->itemText(1), "32*32 16colors");
    EXPECT_EQ(form->imageChoice->itemText(2), "32*32 16colors");
    EXPECT_EQ(form->imageChoice->itemText(3), "48*48 XPcolors");
    EXPECT_EQ(form->thumbnailList->item(1)->text(), "32*32 16colors");
}

// The status of an image that cannot be drawn and the path beside it never share
// room, however long the path.
TEST_F(ViewerFixture, TheStatusAndThePathStandApart) {
    const fs::path file = dir.write("a-rather-long-name-of-an-icon-file-with-a-damaged-image.ico",
                                    makeIco({dibImage(patternIcon(16, 16, 16), 4), damaged(48)}));
    IconViewer form(desk);
    form.setStatusText(2, shortenedSourcePath(q(file)));
    form.setViewedFile(file);
    ASSERT_TRUE(form.loadViewedFile());
    form.show();
    form.imageChoice->setCurrentIndex(1);
    form.showChosenImage();
    QList<QLabel*> panels;
    for (QLabel* label : form.findChildren<QLabel*>())
        if (label->parentWidget() != form.previewFrame && label->frameShape() == QFrame::Panel)
            panels << label;
    ASSERT_EQ(panels.size(), 3);
    auto expectApart = [&] {
        QApplication::processEvents();
        for (QLabel* panel : panels) {
            EXPECT_GE(panel->contentsRect().width(),
                      panel->fontMetrics().horizontalAdvance(panel->text()))
                << panel->text().toStdString();
            for (QLabel* other : panels) {
                if (other != panel) {
                    EXPECT_FALSE(panel->geometry().intersects(other->geometry()));
                }
            }
        }
    };
    expectApart();
    // A status as long as a translation may make it: the window widens for it.
    form.setStatusText(0,
                       "Das Bild 2 kann nicht angezeigt werden, denn seine Daten sind beschädigt");
    expectApart();
}

TEST_F(ViewerFixture, RightClickChoosesTheThumbnailUnderThePointerForItsMenu) {
    auto form = shown(icoPath);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->thumbnailList->doItemsLayout();
    QWidget* cells = form->thumbnailList->viewport();
    const QRect cell = form->thumbnailList->visualItemRect(form->thumbnailList->item(1));
    ASSERT_FALSE(cell.isEmpty());
    QTest::mousePress(cells, Qt::RightButton, {}, cell.center());
    EXPECT_EQ(form->imageChoice->currentIndex(), 1);
    EXPECT_EQ(form->previewIcon().width, 32);
    // The menu that follows the press opens on it and works on that image.
    QContextMenuEvent menu(QContextMenuEvent::Mouse, cell.center(),
                           cells->mapToGlobal(cell.center()));
    QCoreApplication::sendEvent(cells, &menu);
    EXPECT_TRUE(form->thumbnailMenu->isVisible());
    form->thumbnailMenu->close();
    QTest::mouseRelease(cells, Qt::RightButton, {}, cell.center());
    EXPECT_EQ(form->imageChoice->currentIndex(), 1);
}

TEST_F(ViewerFixture, WideAndPngImagesAreLabelledAsStored) {
    const fs::path big = dir.write("big.ico", makeIco({pngImage(patternIcon(256, 256))}));
    auto form = shown(big);
    ASSERT_EQ(form->imageChoice->count(), 1);
    EXPECT_EQ(form->imageChoice->itemText(0), "256*256 XPcolors");
    form->showChosenImage();
    EXPECT_EQ(form->statusText(1), "1|256|256");
    EXPECT_EQ(form->previewIcon().width, 256);
}

TEST_F(ViewerFixture, FileThatIsNoIconSaysWhyAndOpensNoViewer) {
    auto form = shown(dir.write("not.ico", Bytes{'M', 'Z', 0, 0, 0, 0, 0, 0}));
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text,
              "Cannot show not.ico: not a Windows program, library, icon or cursor file.");
    EXPECT_EQ(desk.messages[0].caption, "notice");
    EXPECT_EQ(form->imageChoice->count(), 0);
    EXPECT_EQ(form->thumbnailList->count(), 0);

    // A program is no icon file; a cursor file is shown as one.
    auto cursor = shown(dir.write("c.cur", makeIco({dibImage(patternIcon(16, 16, 16), 4)}, 2)));
    const Bytes dll = makePe({{{dibImage(patternIcon(16, 16, 16), 4)}}});
    auto program = shown(dir.write("app.ico", dll));
    ASSERT_EQ(desk.messages.size(), 2u);
    EXPECT_EQ(cursor->imageChoice->count(), 1);
    EXPECT_EQ(program->imageChoice->count(), 0);
    EXPECT_EQ(desk.messages[1].text, "Cannot show app.ico: it is not an icon file.");
    shown(dir.path() / "missing.ico");
    ASSERT_EQ(desk.messages.size(), 3u);
    EXPECT_EQ(desk.messages[2].text,
              "Cannot show missing.ico: cannot open: No such file or directory.");

    // Opened as Import from a File opens it: the message, and no empty viewer.
    const fs::path cut = dir.write("cut.ico", Bytes{0, 0, 1, 0, 0x60, 0xEA, 0, 0, 0, 0});
    showIconViewer(desk, nullptr, cut);
    ASSERT_EQ(desk.messages.size(), 4u);
    EXPECT_TRUE(desk.messages[3].text.starts_with("Cannot show cut.ico: icon directory cut off"))
        << desk.messages[3].text;
    EXPECT_TRUE(desk.modalForms.empty());
}

// A pipe is opened without waiting for a writer and refused as no file. Nothing
// writes to this one: should the viewer wait for a writer, the thread below sees
// its thread waiting in the kernel for the pipe's other end, notes it and lets it
// go by opening that end. (Where the kernel does not say where a thread waits,
// such a viewer would hang here until ctest's time limit fails the test.)
TEST_F(ViewerFixture, PipeNamedLikeAnIconFileIsNoIconAndDoesNotHang) {
    const fs::path pipe = dir.path() / "pipe.ico";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string waitingIn = "/proc/self/task/" + std::to_string(::gettid()) + "/wchan";
    std::atomic<bool> done{false}, waited{false};
    std::thread watcher([&] {
        while (!done) {
            std::string where;
            std::ifstream(waitingIn) >> where;
            if (where == "wait_for_partner") {
                waited = true;
                if (int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK); fd >= 0) ::close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    auto form = shown(pipe);
    done = true;
    watcher.join();
    EXPECT_FALSE(waited) << "the viewer waited for a writer";
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, "Cannot show pipe.ico: not a regular file.");
}

TEST_F(ViewerFixture, HeaderWithoutImagesShowsNothingAndSaysSo) {
    auto form = shown(dir.write("none.ico", Bytes{0, 0, 1, 0, 0, 0}));
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, "Cannot show none.ico: it holds no images.");
    EXPECT_EQ(form->imageChoice->count(), 0);
    EXPECT_EQ(form->thumbnailList->count(), 0);
}

TEST_F(ViewerFixture, AnImageMissingFromTheFileIsNamedWithWhy) {
    put32(ico, 6 + 16 * 1 + 12, 1u << 30);  // the second image lies beyond the end
    dir.write("three.ico", ico);
    auto form = shown(icoPath);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.starts_with(
        "1 of the images of three.ico cannot be shown:\nimage 2: "))
        << desk.messages[0].text;
    EXPECT_EQ(desk.messages[0].caption, "notice");
    // Every entry is listed as the directory states it; the first is shown.
    EXPECT_EQ(form->imageChoice->count(), 3);
    EXPECT_EQ(form->previewIcon().width, 16);
    ASSERT_EQ(form->thumbnailList->count(), 3);
    EXPECT_FALSE(thumbnailOf(*form->thumbnailList, 0).isNull());
    EXPECT_TRUE(thumbnailOf(*form->thumbnailList, 1).isNull());
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
    ASSERT_EQ(desk.messages.size(), 2u);
    EXPECT_EQ(desk.messages[0].text, "three.ico already exists. Replace it?");
    EXPECT_EQ(desk.messages[0].buttons, Buttons::OkCancel);
    EXPECT_EQ(desk.messages[1].text, "Cannot save three.ico: it is the file being viewed.");
    EXPECT_EQ(readWholeFile(icoPath), ico);

    // Nor through another spelling of its name.
    desk.saveAnswers.push_back(dir.path() / "." / "three.ico");
    desk.answers.push_back(Answer::Ok);
    form->saveAsIcon();
    EXPECT_EQ(desk.messages.size(), 4u);
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
    ASSERT_EQ(desk.messages.size(), 3u);
    EXPECT_EQ(desk.messages[1].text, "a.bmp already exists. Replace it?");

    // OK replaces it.
    const fs::path target = dir.path() / "a.bmp";
    desk.saveAnswers.push_back(target);
    desk.answers.push_back(Answer::Ok);
    form->saveAsBitmap();
    EXPECT_EQ(QImage(q(target)).size(), QSize(16, 16));
}

fs::path g_lateFile;

// "Replace?" is asked only for a name that is there when it is chosen; a file that
// comes to the name after that, before the new one takes it, is kept as it is and
// the person is told so, in every format.
TEST_F(ViewerFixture, AFileThatComesMeanwhileIsKeptAndTold) {
    auto form = shown(icoPath);
    const std::pair<const char*, void (IconViewer::*)()> saves[] = {
        {"m.ico", &IconViewer::saveAsIcon},
        {"m.bmp", &IconViewer::saveAsBitmap},
        {"m.jpg", &IconViewer::saveAsJpeg},
        {"m.png", &IconViewer::saveAsPng}};
    for (const auto& [name, save] : saves) {
        SCOPED_TRACE(name);
        g_lateFile = dir.path() / name;
        desk.saveAnswers.push_back(g_lateFile);
        // The first step that changes the disk: the new file is not under its name yet.
        setWriteStepHook([](std::uint64_t step) {
            if (step == 1) std::ofstream(g_lateFile) << "theirs";
        });
        ((*form).*save)();
        setWriteStepHook(nullptr);
        EXPECT_EQ(readWholeFile(g_lateFile), (Bytes{'t', 'h', 'e', 'i', 'r', 's'}));
        ASSERT_FALSE(desk.messages.empty());
        EXPECT_EQ(desk.messages.back().text,
                  std::string(name) +
                      " was not saved: a file of that name came meanwhile and was kept as it was.");
    }
    EXPECT_EQ(desk.messages.size(), 4u);  // no question: none of the names was there
    EXPECT_TRUE(desk.answers.empty());
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
    EXPECT_EQ(desk.messages[0].text, "Cannot save a.ico: Not a directory.");
    EXPECT_EQ(desk.messages[0].caption, "Sorry");
    EXPECT_EQ(desk.messages[1].text, "Cannot save a.bmp: Not a directory.");
    EXPECT_EQ(desk.messages[2].text, "Cannot save a.jpg: Not a directory.");
}

// Each of the viewer's saves, with another user's link at a folder of the name
// chosen or at the name itself, in a sticky folder of root's and in an open
// folder of that user: nothing is written where the link points, and the
// message says why.
TEST_F(ViewerFixture, NoSaveWritesWhereAnotherUsersLinkPoints) {
    if (!canActAsOthers()) GTEST_SKIP() << "planting another user's link takes root";
    auto form = shown(icoPath);
    const std::vector<std::pair<std::string, void (IconViewer::*)()>> saves = {
        {"v.ICO", &IconViewer::saveAsIcon},
        {"v.BMP", &IconViewer::saveAsBitmap},
        {"v.JPG", &IconViewer::saveAsJpeg},
        {"v.PNG", &IconViewer::saveAsPng},
    };
    int n = 0;
    for (const int kernelRule : {0, 1}) {
        const ProtectedSymlinks setting(kernelRule);
        if (!setting.set() && kernelRule == 1) continue;  // not the test's to set here
        for (const auto& [name, save] : saves)
            for (const LinkPlacement& where : sharedLinkPlacements()) {
                SCOPED_TRACE(name + ", " + where.describe() + ", protected_symlinks " +
                             std::to_string(kernelRule));
                const fs::path base = dir.path() / ("case-" + std::to_string(n++));
                fs::create_directory(base);
                const LinkScene scene = plantLinkScene(base, where, name);
                const auto before = treeOf(scene.victim);
                desk.saveAnswers.push_back(scene.out / name);
                // The link's name exists: replace it.
                if (!where.onTheWay) desk.answers.push_back(Answer::Ok);
                const std::size_t told = desk.messages.size();
                ((*form).*save)();
                ASSERT_GT(desk.messages.size(), told);
                EXPECT_NE(desk.messages.back().text.find("is a symbolic link"), std::string::npos)
                    << desk.messages.back().text;
                EXPECT_EQ(treeOf(scene.victim), before);
                EXPECT_TRUE(fs::is_symlink(scene.link));
            }
    }
    EXPECT_TRUE(desk.answers.empty());
}

TEST_F(ViewerFixture, SavingWithoutAPictureWritesNothingAndSaysWhy) {
    IconViewer form(desk);  // never shown: no picture
    desk.saveAnswers.push_back(dir.path() / "x.jpg");
    form.saveAsJpeg();
    EXPECT_FALSE(fs::exists(dir.path() / "x.jpg"));
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, "Cannot save x.jpg: no image is shown.");
    desk.saveAnswers.push_back(std::nullopt);  // cancelled dialog: nothing at all
    form.saveAsIcon();
    EXPECT_EQ(desk.messages.size(), 1u);
}

TEST_F(ViewerFixture, OpenerSetsCaptionAndPath) {
    fs::create_directory(dir.path() / std::string(50, 's'));
    const fs::path deep = dir.write(std::string(50, 's') + "/three.ico", ico);
    const QString path = q(deep);
    ASSERT_GT(path.size(), 50);
    desk.modalScripts.push_back([&](QDialog& d) {
        auto& form = dynamic_cast<IconViewer&>(d);
        EXPECT_EQ(form.windowTitle(), "ICON VIEWS");
        EXPECT_EQ(form.statusText(2), path.left(25) + "...");
        EXPECT_EQ(form.state().viewedFile, deep);
        form.loadViewedFile();
        EXPECT_EQ(form.imageChoice->count(), 3);
        return 0;
    });
    showIconViewer(desk, nullptr, deep);
    EXPECT_EQ(desk.modalForms.size(), 1u);
    EXPECT_EQ(privateFiles(), 0);
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
    EXPECT_EQ(desk.messages[0].text, "out.PNG already exists. Replace it?");
    desk.saveAnswers.push_back(one / "x.png");
    form->saveAsPng();
    ASSERT_EQ(desk.messages.size(), 2u);
    EXPECT_EQ(desk.messages[1].text, "Cannot save x.png: Not a directory.");
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

// With no image shown there is nothing to copy, and the viewer says why; the
// clipboard keeps what it held.
TEST_F(ViewerFixture, CopyWithNoImageShownSaysWhy) {
    auto form = shown(dir.write("bad.ico", makeIco({damaged(48)})));
    ASSERT_TRUE(form->previewIcon().empty());
    desk.messages.clear();
    QApplication::clipboard()->setText("before");
    form->previewCopyItem->trigger();
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.starts_with("The image cannot be copied: "))
        << desk.messages[0].text;
    EXPECT_EQ(QApplication::clipboard()->text(), "before");
}

}  // namespace
TEST_F(ViewerFixture, CursorFileIsShownWithItsHotspotMarkedAndSavedWithIt) {
    const IconImage image = dibImage(solidIcon(32, 32, 0xFF0000FF), 24);
    const fs::path cur = dir.write("hand.cur", makeCur({{image, 4, 20}}));
    auto form = shown(cur);
    EXPECT_TRUE(desk.messages.empty());
    ASSERT_EQ(form->imageChoice->count(), 1);
    const QImage seen = form->preview->pixmap().toImage();
    ASSERT_EQ(seen.size(), QSize(32, 32));
    EXPECT_EQ(QColor(seen.pixel(4, 20)), QColor(Qt::red));    // the cross's centre
    EXPECT_EQ(seen.pixel(28, 4) | 0xFF000000u, 0xFF0000FFu);  // away from it, the image

    // Saved as an icon, the image stays a cursor: its bytes and its hotspot.
    desk.saveAnswers.push_back(dir.path() / "saved.ico");
    form->saveAsIcon();
    EXPECT_EQ(desk.saveRequests.back().filter, "CURSOR file|*.cur");
    const Bytes out = readWholeFile(dir.path() / "saved.CUR");
    ASSERT_EQ(out.size(), 22u + image.data.size());
    EXPECT_EQ(get16(out, 2), 2);
    EXPECT_EQ(get16(out, 6 + 4), 4);
    EXPECT_EQ(get16(out, 6 + 6), 20);
    EXPECT_TRUE(std::equal(image.data.begin(), image.data.end(), out.begin() + 22));
    EXPECT_TRUE(desk.messages.empty());
}

}  // namespace pellimar
