// The program's own pictures come in two densities: each has an "@2x" version of
// twice its pixels, which Qt's icons take on high-density screens.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include "core/resources.h"

TEST(Pictures, EveryPictureHasADoubleDensityVersion) {
    pellimar::initResources();
    for (const char* name :
         {"toolbar/0", "toolbar/1", "toolbar/2", "toolbar/3", "toolbar/4", "toolbar/5", "toolbar/6",
          "viewer/0", "viewer/1", "pellimar", "pellimar-64", "tips"}) {
        const QImage one(QString(":/pellimar/%1.png").arg(name));
        const QImage two(QString(":/pellimar/%1@2x.png").arg(name));
        ASSERT_FALSE(one.isNull()) << name;
        ASSERT_FALSE(two.isNull()) << name;
        EXPECT_EQ(two.size(), one.size() * 2) << name;
        // Drawn again at the larger size, not the small one with its pixels doubled.
        const QImage blown = one.scaled(one.size() * 2);
        EXPECT_NE(blown.convertToFormat(QImage::Format_ARGB32),
                  two.convertToFormat(QImage::Format_ARGB32))
            << name;
    }
}
