// The viewer on an icon group in memory (a row of the result list): every image
// of the group, its source in the status bar, saved as stored, and no file
// written to show it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <iterator>

#include "core/paths.h"
#include "core/row_icons.h"
#include "support/fixtures.h"
#include "support/scripted_desktop.h"
#include "viewer/icon_viewer.h"
#include "viewer/row_preview.h"

namespace pellimar {
namespace {

namespace fs = std::filesystem;
using namespace fixtures;
using test::ScriptedDesktop;

// Ten images: five sizes, each at 256 colours and with alpha.
std::vector<IconImage> tenImages() {
    std::vector<IconImage> images;
    for (int side : {16, 24, 32, 48, 64}) {
        images.push_back(dibImage(patternIcon(side, side, 200), 8));
        images.push_back(dibImage(alphaPatternIcon(side, side), 32));
    }
    return images;
}

IconImage damaged(std::uint8_t side) {
    // A sound header and palette, then only part of the pixels.
    IconImage image = dibImage(patternIcon(side, side, 200), 8);
    image.data.resize(40 + 256 * 4 + 10);
    return image;
}

struct ViewerGroup : ::testing::Test {
    TempDir dir;
    fs::path privateDir;
    ScriptedDesktop desk;
    std::vector<IconImage> images = tenImages();
    fs::path dll;

    void SetUp() override {
        privateDir = dir.path() / "private";
        fs::create_directory(privateDir);
        ::chmod(privateDir.c_str(), 0700);
        setPrivateTempDir(privateDir);
        dll = dir.write("app.dll", makePe({{{dibImage(patternIcon(32, 32, 16), 4)}}, {images}}));
    }
    void TearDown() override { setPrivateTempDir({}); }

    int privateFiles() const {
        return int(std::distance(fs::directory_iterator(privateDir), fs::directory_iterator()));
    }
    std::unique_ptr<IconViewer> shown(IconGroup group, const QString& source = "app.dll, icon 2") {
        auto form = std::make_unique<IconViewer>(desk);
        form->setViewedGroup(std::move(group), source);
        form->loadViewedFile();
        return form;
    }
};

TEST_F(ViewerGroup, EveryImageOfTheGroupIsListedAndNoFileIsWritten) {
    Result<IconGroup> group = readRowGroup(dll, 1);
    ASSERT_TRUE(group) << group.failure().message();
    fs::remove(dll);  // the group is in memory: the file is not read again
    desk.modalScripts.push_back([&](QDialog& d) {
        auto& form = dynamic_cast<IconViewer&>(d);
        form.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
        EXPECT_EQ(form.windowTitle(), "ICON VIEWS");
        EXPECT_EQ(form.statusText(2), "app.dll, icon 2");
        EXPECT_EQ(form.statusText(0), "  Bmp count:  10");
        EXPECT_EQ(form.imageChoice->count(), 10);
        EXPECT_EQ(form.imageChoice->itemText(0), "16*16 256colors");
        EXPECT_EQ(form.imageChoice->itemText(9), "64*64 XPcolors");
        const QListWidget& t = *form.thumbnailList;
        EXPECT_EQ(t.count(), 10);
        for (int i = 0; i < t.count(); ++i)
            EXPECT_FALSE(t.item(i)->data(Qt::DecorationRole).isNull()) << i;
        form.imageChoice->setCurrentIndex(9);
        form.showChosenImage();
        EXPECT_EQ(form.previewIcon().width, 64);
        EXPECT_EQ(form.statusText(1), "10|64|64");
        EXPECT_TRUE(form.state().viewedFile.empty());
        EXPECT_EQ(privateFiles(), 0);
        return 0;
    });
    showIconViewer(desk, nullptr, std::move(*group), "app.dll, icon 2");
    EXPECT_EQ(desk.modalForms.size(), 1u);
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_EQ(privateFiles(), 0);
}

TEST_F(ViewerGroup, SaveAsIconWritesTheChosenImageAloneAsStored) {
    Result<IconGroup> group = readRowGroup(dll, 1);
    ASSERT_TRUE(group);
    auto form = shown(std::move(*group));
    form->imageChoice->setCurrentIndex(7);  // 48 x 48 with alpha
    form->showChosenImage();
    desk.saveAnswers.push_back(dir.path() / "one");
    form->saveAsIcon();
    const Bytes out = readWholeFile(dir.path() / "one.ICO");
    ASSERT_EQ(out.size(), 22u + images[7].data.size());
    EXPECT_EQ(get16(out, 2), 1);  // an icon file
    EXPECT_EQ(get16(out, 4), 1);  // of one image
    EXPECT_EQ(out[6], 48);
    EXPECT_EQ(out[7], 48);
    EXPECT_EQ(get16(out, 12), 32);  // bit count
    EXPECT_EQ(get32(out, 14), images[7].data.size());
    EXPECT_EQ(get32(out, 18), 22u);
    EXPECT_TRUE(std::equal(out.begin() + 22, out.end(), images[7].data.begin()));
    EXPECT_TRUE(desk.messages.empty());

    // A file of that name is asked about first, and OK replaces it.
    desk.saveAnswers.push_back(dir.path() / "one.ICO");
    desk.answers.push_back(Answer::Ok);
    form->imageChoice->setCurrentIndex(0);
    form->saveAsIcon();
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(desk.messages[0].text, "one.ICO already exists. Replace it?");
    EXPECT_EQ(readWholeFile(dir.path() / "one.ICO").size(), 22u + images[0].data.size());
}

TEST_F(ViewerGroup, ACountClaimingMoreThanTheGroupHoldsIsToldAsSuch) {
    Result<IconGroup> group = readRowGroup(dll, 1);
    ASSERT_TRUE(group);
    group->statedCount = 60000;  // as a group directory that claims more than it holds
    auto form = shown(std::move(*group));
    EXPECT_EQ(form->statusText(0), "  Bmp count:  10 (the header claims 60000)");
    // The panel is wide enough for it.
    bool found = false;
    for (QLabel* panel : form->findChildren<QLabel*>()) {
        if (panel->text() != form->statusText(0)) continue;
        found = true;
        EXPECT_GE(panel->contentsRect().width(),
                  panel->fontMetrics().horizontalAdvance(panel->text()));
    }
    EXPECT_TRUE(found);
}

TEST_F(ViewerGroup, ADamagedImageIsNamedWithWhy) {
    std::vector<IconImage> withDamage = {images[0], images[1], damaged(32), images[3]};
    const fs::path bad = dir.write("bad.dll", makePe({{withDamage}}));
    Result<IconGroup> group = readRowGroup(bad, 0);
    ASSERT_TRUE(group);
    auto form = shown(std::move(*group), "bad.dll, icon 1");
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.starts_with(
        "1 of the images of bad.dll, icon 1 cannot be shown:\nimage 3: "))
        << desk.messages[0].text;
    EXPECT_EQ(desk.messages[0].caption, "notice");
    EXPECT_EQ(form->imageChoice->count(), 4);
    EXPECT_EQ(form->previewIcon().width, 16);

    // A group whose first image is damaged shows the next one, and says why not the first.
    const fs::path first = dir.write("first.dll", makePe({{{damaged(16), images[2]}}}));
    Result<IconGroup> second = readRowGroup(first, 0);
    ASSERT_TRUE(second);
    auto other = shown(std::move(*second), "first.dll, icon 1");
    ASSERT_EQ(desk.messages.size(), 2u);
    EXPECT_TRUE(desk.messages[1].text.starts_with(
        "1 of the images of first.dll, icon 1 cannot be shown:\nimage 1: "))
        << desk.messages[1].text;
    EXPECT_EQ(other->imageChoice->currentIndex(), 1);
    EXPECT_EQ(other->previewIcon().width, 24);

    // With none that can be read there is nothing to show: no viewer opens.
    const fs::path none = dir.write("none.dll", makePe({{{damaged(16), damaged(32)}}}));
    Result<IconGroup> third = readRowGroup(none, 0);
    ASSERT_TRUE(third);
    showIconViewer(desk, nullptr, std::move(*third), "none.dll, icon 1");
    ASSERT_EQ(desk.messages.size(), 3u);
    EXPECT_TRUE(desk.messages[2].text.starts_with(
        "Cannot show none.dll, icon 1: none of its images can be read (image 1: "))
        << desk.messages[2].text;
    EXPECT_TRUE(desk.modalForms.empty());
}

TEST_F(ViewerGroup, PreviewOfARowShowsItsGroupOrItsOneImage) {
    const fs::path ico = dir.write("three.ico", makeIco({images[0], images[5], images[9]}));
    std::vector<std::pair<QString, int>> seen;
    auto record = [&](QDialog& d) {
        auto& form = dynamic_cast<IconViewer&>(d);
        form.loadViewedFile();
        seen.emplace_back(form.statusText(2), form.imageChoice->count());
        EXPECT_EQ(privateFiles(), 0);
        return 0;
    };
    desk.modalScripts.push_back(record);
    desk.modalScripts.push_back(record);
    EXPECT_TRUE(previewRow(desk, nullptr, {dll, 1}));
    EXPECT_TRUE(previewRow(desk, nullptr, {ico, 2}));
    EXPECT_EQ(seen, (std::vector<std::pair<QString, int>>{{"app.dll, icon 2", 10},
                                                          {"three.ico, image 3", 1}}));

    // A row that cannot be read opens no viewer and says why.
    EXPECT_EQ(previewRow(desk, nullptr, {dll, 2}).failure().fault, Fault::NoSuchIcon);
    EXPECT_EQ(previewRow(desk, nullptr, {dir.path() / "gone.dll", 0}).failure().fault,
              Fault::CannotOpen);
    EXPECT_EQ(desk.modalForms.size(), 2u);
    EXPECT_TRUE(desk.messages.empty());
}

}  // namespace
}  // namespace pellimar
