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

TEST(About, LabelsCarryTheirFontsAndTheLinkItsFixedSize) {
    ScriptedDesktop desktop;
    TForm2 form(desktop);
    struct Expected {
        const char* name;
        QWidget* widget;
        int pixels;
        bool bold;
    } fonts[] = {{"Label1", form.Label1, 20, false}, {"Label2", form.Label2, 13, true},
                 {"Label6", form.Label6, 16, true},  {"Label7", form.Label7, 13, true},
                 {"Label8", form.Label8, 19, true},  {"Label3", form.Label3, 8, true},
                 {"Button1", form.Button1, 13, true}};
    for (const Expected& e : fonts) {
        EXPECT_EQ(e.widget->font().pixelSize(), e.pixels) << e.name;
        EXPECT_EQ(e.widget->font().bold(), e.bold) << e.name;
    }
    EXPECT_TRUE(form.Label3->font().underline());
    EXPECT_EQ(form.Label3->size(), QSize(225, 19));
    EXPECT_EQ(form.Label3->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(form.Label1->palette().color(QPalette::WindowText), QColor(164, 39, 17));
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
