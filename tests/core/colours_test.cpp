#include "core/colours.h"

#include <gtest/gtest.h>

using namespace pellimar;

TEST(Colours, TheContrastMeasure) {
    EXPECT_NEAR(contrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(contrastRatio(Qt::white, Qt::black), 21.0, 1e-9);
    EXPECT_NEAR(contrastRatio(Qt::white, Qt::white), 1.0, 1e-9);
    // The grey that just passes on white, and the fixed title red of old on a dark
    // window.
    EXPECT_NEAR(contrastRatio(QColor(118, 118, 118), Qt::white), 4.54, 0.01);
    EXPECT_NEAR(contrastRatio(QColor(164, 39, 17), QColor(53, 53, 53)), 1.68, 0.01);
}

TEST(Colours, FallsBackOnlyWhenTheWantedColourDoesNotRead) {
    EXPECT_EQ(readableOn(Qt::blue, Qt::white, Qt::black), QColor(Qt::blue));
    EXPECT_EQ(readableOn(Qt::blue, QColor(53, 53, 53), Qt::white), QColor(Qt::white));
    EXPECT_EQ(readableOn(QColor(118, 118, 118), Qt::white, Qt::black), QColor(118, 118, 118));
    EXPECT_EQ(readableOn(QColor(119, 119, 119), Qt::white, Qt::black), QColor(Qt::black));
}
