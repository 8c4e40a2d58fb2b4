#include "dialogs/about_dialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "support/scripted_desktop.h"

using namespace pellimar;
using pellimar::test::ScriptedDesktop;

TEST(About, ShowsNameVersionAndContact) {
    ScriptedDesktop desktop;
    AboutDialog form(desktop);
    EXPECT_EQ(form.windowTitle(), "About");
    EXPECT_EQ(form.titleLabel->text(), "Pellimar");
    // The build's version, the one --version prints.
    EXPECT_EQ(form.versionLabel->text(),
              QString("Version number:     %1   ").arg(PELLIMAR_TEST_VERSION));
    EXPECT_EQ(form.contactHeading->text(), "Contact us:");
    EXPECT_EQ(form.webLink->toolTip(), "Go To Pellimar's !");
    EXPECT_EQ(form.webLink->text(), AboutDialog::kWebAddress);
}

TEST(About, LabelsCarryTheirFontsAndTheLinkLooksLikeOne) {
    ScriptedDesktop desktop;
    AboutDialog form(desktop);
    struct Expected {
        const char* name;
        QWidget* widget;
        int pixels;
        bool bold;
    } fonts[] = {{"titleLabel", form.titleLabel, 20, false},
                 {"versionLabel", form.versionLabel, 13, true},
                 {"contactHeading", form.contactHeading, 16, true},
                 {"mailLabel", form.mailLabel, 13, true},
                 {"publisherLabel", form.publisherLabel, 19, true},
                 {"webLink", form.webLink, 8, true},
                 {"okButton", form.okButton, 13, true}};
    for (const Expected& e : fonts) {
        EXPECT_EQ(e.widget->font().pixelSize(), e.pixels) << e.name;
        EXPECT_EQ(e.widget->font().bold(), e.bold) << e.name;
    }
    EXPECT_TRUE(form.webLink->font().underline());
    EXPECT_EQ(form.webLink->cursor().shape(), Qt::PointingHandCursor);
    // The title takes the window's text colour; the link the palette's link colour.
    EXPECT_EQ(form.titleLabel->palette().color(QPalette::WindowText),
              form.palette().color(QPalette::WindowText));
    EXPECT_EQ(form.webLink->palette().color(QPalette::WindowText),
              form.palette().color(QPalette::Link));
}

TEST(About, LinkOpensTheWebPageAndLeavesTheBoxOpen) {
    ScriptedDesktop desktop;
    AboutDialog form(desktop);
    form.show();
    QTest::mouseClick(form.webLink, Qt::LeftButton);
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.opened[0].string(), AboutDialog::kWebAddress);
    EXPECT_TRUE(form.isVisible());
}

TEST(About, OkAndEscapeClose) {
    ScriptedDesktop desktop;
    AboutDialog form(desktop);
    form.show();
    form.okButton->click();
    EXPECT_FALSE(form.isVisible());
    form.show();
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
}
