// The gradient progress bar: empty at and beyond its bounds, red-to-blue bands over the filled share
// and the background after it, the range resetting the position.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "controls/GradientProgressCtrl.h"

namespace {

QImage Render(const CGradientProgressCtrl& bar, int width = 255, int height = 20) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    bar.Paint(painter, QRect(0, 0, width, height));
    return image;
}

bool AllPixels(const QImage& image, const QColor& color) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) != color) {
                return false;
            }
        }
    }
    return true;
}

TEST(GradientProgress, BoundsShowAnEmptyBar) {
    CGradientProgressCtrl bar;
    const QColor face = bar.palette().color(QPalette::Button);
    bar.SetRange(0, 100);
    EXPECT_EQ(bar.GetPos(), 0);
    EXPECT_TRUE(AllPixels(Render(bar), face));
    bar.SetPos(100);
    EXPECT_TRUE(AllPixels(Render(bar), face));
    bar.SetPos(150);
    EXPECT_TRUE(AllPixels(Render(bar), face));
    bar.SetPos(-5);
    EXPECT_TRUE(AllPixels(Render(bar), face));
    // SetRange moves the position to the lower bound.
    bar.SetPos(40);
    bar.SetRange(10, 60);
    EXPECT_EQ(bar.GetPos(), 10);
    EXPECT_TRUE(AllPixels(Render(bar), face));
}

TEST(GradientProgress, HalfwayFillsRedToPurpleBandsThenBackground) {
    CGradientProgressCtrl bar;
    bar.SetBkColor(QColor(10, 20, 30));
    bar.SetRange(0, 100);
    bar.SetPos(50);
    // 255 bands over 255 pixels: one pixel per band, band i = (255 - i, 0, i).
    const QImage image = Render(bar);
    EXPECT_EQ(image.pixelColor(0, 5), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(60, 5), QColor(195, 0, 60));
    // The filled width is 127; the band that passes it is still painted whole.
    EXPECT_EQ(image.pixelColor(127, 5), QColor(128, 0, 127));
    EXPECT_EQ(image.pixelColor(128, 5), QColor(10, 20, 30));
    EXPECT_EQ(image.pixelColor(254, 19), QColor(10, 20, 30));
    // Every pixel is painted: nothing of the black under it remains.
    for (int x = 0; x < image.width(); ++x) {
        EXPECT_NE(image.pixelColor(x, 0), QColor(Qt::black)) << x;
    }
}

TEST(GradientProgress, NonZeroLowerBoundFillsItsShareOfTheRange) {
    CGradientProgressCtrl bar;
    bar.SetBkColor(QColor(1, 2, 3));
    bar.SetRange(100, 200);
    bar.SetPos(150);
    const QImage image = Render(bar);
    EXPECT_NE(image.pixelColor(120, 5), QColor(1, 2, 3));
    EXPECT_EQ(image.pixelColor(140, 5), QColor(1, 2, 3));
    // Equal colours: a solid fill, no division by zero.
    bar.SetEndColor(bar.GetStartColor());
    const QImage solid = Render(bar);
    EXPECT_EQ(solid.pixelColor(0, 5), bar.GetStartColor());
    EXPECT_EQ(solid.pixelColor(200, 5), QColor(1, 2, 3));
}

}  // namespace
