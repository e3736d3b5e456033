#include "QorColorScaleWidget.h"

#include "ControlTestSupport.h"

#include <QApplication>
#include <QImage>
#include <gtest/gtest.h>

namespace {

// The widget rendered on green, which shows where it leaves the background.
QImage OnGreen(TQorColorScaleWidget& w) {
    QImage img(w.size(), QImage::Format_RGB32);
    img.fill(Qt::green);
    w.render(&img);
    return img;
}

} // namespace

TEST(QorColorScaleWidget, PaintsTheLegendAndFollowsAutoSize) {
    ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
    TQorColorScaleWidget w;
    ShowOffScreen(w);
    w.ColorScale().SetTransparent(false);
    w.ColorScale().SetColor(clWhite);
    w.resize(120, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.ColorScale().Height(), 300);

    QImage first = OnGreen(w);
    EXPECT_EQ(first.pixel(1, 1) & 0xFFFFFF, 0xFFFFFFu); // Color fills the background
    // The first paint chose the content width; the widget follows it.
    const int content = w.ColorScale().Width();
    EXPECT_LT(content, 120);
    EXPECT_EQ(w.width(), content);

    QImage second = OnGreen(w);
    ASSERT_EQ(second.width(), content);
    // The bar sits at the right edge: the bottom of the gradient is the first stop (blue).
    bool blue = false;
    for (int y = 0; y < second.height() && !blue; ++y)
        blue = (second.pixel(content - 2, y) & 0xFFFFFF) == 0x0000FFu;
    EXPECT_TRUE(blue);
}

TEST(QorColorScaleWidget, TransparentLeavesTheBackground) {
    TQorColorScaleWidget w;
    ShowOffScreen(w);
    w.resize(60, 200);
    const QImage img = OnGreen(w);
    EXPECT_EQ(img.pixel(1, 1) & 0xFFFFFF, 0x00FF00u);
}

TEST(QorColorScaleWidget, ChangesRepaintAndFixedWidthWithoutAutoSize) {
    TQorColorScaleWidget w;
    ShowOffScreen(w);
    w.ColorScale().SetAutoSize(false);
    w.ColorScale().SetWidth(90);
    EXPECT_EQ(w.width(), 90);
    w.resize(70, 200);
    EXPECT_EQ(w.ColorScale().Width(), 70);
    OnGreen(w);
    EXPECT_EQ(w.width(), 70); // no auto size: the width stays
    EXPECT_EQ(w.sizeHint(), QSize(70, 200));
}
