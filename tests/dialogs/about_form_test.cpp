#include "dialogs/about_form.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "support/scripted_desktop.h"

using namespace pellimar;
using pellimar::test::ScriptedDesktop;

TEST(About, ShowsNameVersionAndContact) {
    ScriptedDesktop desktop;
    TForm2 form(desktop);
    EXPECT_EQ(form.windowTitle(), "About");
    EXPECT_EQ(form.Label1->text(), "Pellimar");
    EXPECT_EQ(form.Label2->text(), "Version number:     1.04   ");
    EXPECT_EQ(form.Label6->text(), "Contact us:");
    EXPECT_EQ(form.Label3->toolTip(), "Go To Pellimar's !");
    EXPECT_EQ(form.Label3->text(), TForm2::kWebAddress);
    EXPECT_EQ(form.size(), QSize(292, 257));
}

TEST(About, LinkOpensTheWebPageAndLeavesTheBoxOpen) {
    ScriptedDesktop desktop;
    TForm2 form(desktop);
    form.show();
    QTest::mouseClick(form.Label3, Qt::LeftButton);
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.opened[0].string(), TForm2::kWebAddress);
    EXPECT_TRUE(form.isVisible());
}

TEST(About, OkAndEscapeClose) {
    ScriptedDesktop desktop;
    TForm2 form(desktop);
    form.show();
    form.Button1->click();
    EXPECT_FALSE(form.isVisible());
    form.show();
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
}
