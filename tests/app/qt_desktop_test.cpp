#include "app/qt_desktop.h"

#include <gtest/gtest.h>

using namespace pellimar;

TEST(QtNameFilters, TranslateTheProgramsFilterNotation) {
    EXPECT_EQ(qtNameFilters("Executables|*.exe;*.dll|All files|*.*"),
              (QStringList{"Executables (*.exe *.dll)", "All files (*)"}));
    // A description naming its own patterns is not given them twice.
    EXPECT_EQ(qtNameFilters("Icon files (*.ico)|*.ico"), (QStringList{"Icon files (*.ico)"}));
    EXPECT_EQ(qtNameFilters("Pictures (*.bmp;*.jpg)|*.bmp;*.jpg"),
              (QStringList{"Pictures (*.bmp *.jpg)"}));
    EXPECT_EQ(qtNameFilters("|*.ico"), (QStringList{"*.ico (*.ico)"}));
    EXPECT_EQ(qtNameFilters("Odd|"), (QStringList{"Odd (*)"}));
    EXPECT_TRUE(qtNameFilters("").isEmpty());
    EXPECT_TRUE(qtNameFilters("only a description").isEmpty());
}
