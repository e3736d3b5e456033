#include "Qor3DDrawWidget.h"
#include "Qor3DRecording.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

void Send(QWidget& w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
          Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(pos), QPointF(w.mapToGlobal(pos)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &e);
}

bool Wheel(QWidget& w, QPoint pos, int delta) {
    QWheelEvent e(QPointF(pos), QPointF(w.mapToGlobal(pos)), QPoint(), QPoint(0, delta),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    e.setAccepted(false);
    QCoreApplication::sendEvent(&w, &e);
    return e.isAccepted();
}

class Qor3DDrawWidgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        draw.SetBitmapPlatform(bitmaps);
        widget = std::make_unique<TQor3DDrawWidget>(draw);
        widget->resize(200, 150);
        widget->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override { widget.reset(); }

    TGLRecordingPlatform bitmaps;
    TQor3DDraw draw;
    std::unique_ptr<TQor3DDrawWidget> widget;
};

TEST_F(Qor3DDrawWidgetTest, LeftDragOfTenPixelsRightTurnsTheViewByTen) {
    ASSERT_TRUE(widget->HasWindow());
    Send(*widget, QEvent::MouseButtonPress, {50, 60}, Qt::LeftButton, Qt::LeftButton);
    Send(*widget, QEvent::MouseMove, {60, 60}, Qt::NoButton, Qt::LeftButton);
    Send(*widget, QEvent::MouseButtonRelease, {60, 60}, Qt::LeftButton, Qt::NoButton);
    EXPECT_DOUBLE_EQ(draw.ViewRotY(), 40);
    EXPECT_DOUBLE_EQ(draw.ViewRotX(), 20);
    Send(*widget, QEvent::MouseMove, {90, 60}, Qt::NoButton, Qt::NoButton);
    EXPECT_DOUBLE_EQ(draw.ViewRotY(), 40);
}

TEST_F(Qor3DDrawWidgetTest, AWheelNotchOutsideTheControlChangesNothing) {
    int events = 0;
    draw.OnMouseWheel = [&](TObject*, TShiftState, int, TPoint, bool&) {
        ++events;
    };
    QCursor::setPos(widget->mapToGlobal(QPoint(350, 40)));
    EXPECT_FALSE(Wheel(*widget, {150, 40}, 120));
    EXPECT_DOUBLE_EQ(draw.XMin(), 0.3);
    EXPECT_DOUBLE_EQ(draw.YMin(), 0.3);
    EXPECT_EQ(events, 0);

    QCursor::setPos(widget->mapToGlobal(QPoint(100, 75)));
    EXPECT_TRUE(Wheel(*widget, {100, 75}, 120));
    EXPECT_NEAR(draw.XMin(), 0.3 * 1.157625, 1e-12);
}

TEST_F(Qor3DDrawWidgetTest, ADragPaintsReducedUntilTheTimerBringsTheFullPicture) {
    std::vector<TPoint> views;
    draw.OnPaintGL = [&](TObject*, const TRect&) {
        views.push_back(draw.TurningView());
    };
    Send(*widget, QEvent::MouseButtonPress, {50, 60}, Qt::LeftButton, Qt::LeftButton);
    Send(*widget, QEvent::MouseMove, {60, 60}, Qt::NoButton, Qt::LeftButton);
    EXPECT_TRUE(draw.Turning());
    widget->repaint();
    Send(*widget, QEvent::MouseMove, {65, 62}, Qt::NoButton, Qt::LeftButton);
    Send(*widget, QEvent::MouseButtonRelease, {65, 62}, Qt::LeftButton, Qt::NoButton);
    // The timer ends turning and asks for the full-density picture (a generous bound for a
    // loaded machine; the timer itself waits TurningSettleMs).
    for (int i = 0; i < 100 && (draw.Turning() || draw.LastPaintTurning()); ++i)
        QTest::qWait(20);
    EXPECT_FALSE(draw.Turning());
    ASSERT_GE(views.size(), 2u);
    EXPECT_EQ(views.front(), (TPoint{200, 150}));
    EXPECT_EQ(views.back(), (TPoint{0, 0}));
}

TEST_F(Qor3DDrawWidgetTest, ShowsTheFourWaySizingCursor) {
    EXPECT_EQ(widget->cursor().shape(), Qt::SizeAllCursor);
    draw.SetCursor(crCross);
    EXPECT_EQ(widget->cursor().shape(), Qt::CrossCursor);
}

TEST_F(Qor3DDrawWidgetTest, BitmapModePaintsTheSafeBitmap) {
    draw.SetUseSafeBitmapMode(true);
    draw.SetBackgroundColor(RGBColor(10, 200, 30));
    const QImage shot = widget->grab().toImage();
    EXPECT_TRUE(draw.IsBitmapMode());
    EXPECT_FALSE(widget->InWindowMode());
    ASSERT_EQ(shot.size(), QSize(200, 150));
    EXPECT_EQ(QColor(shot.pixel(100, 75)), QColor(10, 200, 30));
    EXPECT_EQ(bitmaps.LiveContexts(), 0);
}

TEST_F(Qor3DDrawWidgetTest, ClickTakesTheFocus) {
    widget->activateWindow();
    QCoreApplication::processEvents();
    Send(*widget, QEvent::MouseButtonPress, {20, 20}, Qt::LeftButton, Qt::LeftButton);
    Send(*widget, QEvent::MouseButtonRelease, {20, 20}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(QApplication::focusWidget(), widget.get());
}

// ---- Window mode on a real display (run under xvfb-run; skipped offscreen) ----

TEST(Qor3DDrawWidgetXvfb, WindowModeDrawsTheSceneWithQtsContext) {
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "needs a display";
    TQor3DDraw draw;
    QImage readBack;
    bool doubleBuffered = false;
    draw.OnPaintGL = [&](TObject*, const TRect& r) {
        const QOpenGLContext* context = QOpenGLContext::currentContext();
        doubleBuffered =
            context != nullptr && context->format().swapBehavior() == QSurfaceFormat::DoubleBuffer;
        draw.DrawDesignScene();
        QImage image(r.Width(), r.Height(), QImage::Format_RGBA8888);
        GL().ReadPixels(0, 0, r.Width(), r.Height(), GL_RGBA, GL_UNSIGNED_BYTE, image.bits());
        readBack = image.mirrored();
    };
    TQor3DDrawWidget widget(draw);
    widget.resize(200, 150);
    widget.show();
    for (int i = 0; i < 20 && readBack.isNull(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    draw.Render();
    EXPECT_TRUE(widget.InWindowMode());
    EXPECT_TRUE(doubleBuffered) << "the window's own double-buffered context draws";
    EXPECT_EQ(draw.LastPaintError(), "");
    ASSERT_EQ(readBack.size(), QSize(200, 150));
    EXPECT_EQ(QColor(readBack.pixel(2, 2)), QColor(255, 255, 255));
    int sphere = 0;
    for (int y = 0; y < readBack.height(); ++y)
        for (int x = 0; x < readBack.width(); ++x) {
            const QColor c(readBack.pixel(x, y));
            if (c.red() > 180 && c.red() - c.green() > 40 && c.green() > 60)
                ++sphere;
        }
    EXPECT_GT(sphere, 500);

    // An export through OSMesa between two window renders leaves both working.
    readBack = QImage();
    draw.RenderToBitmap(100, 80);
    EXPECT_EQ(QColor(draw.ExportBitmap().pixel(1, 1)), QColor(255, 255, 255));
    EXPECT_NE(QColor(draw.ExportBitmap().pixel(68, 24)), QColor(255, 255, 255));
    EXPECT_TRUE(widget.InWindowMode());
    EXPECT_EQ(readBack.size(), QSize(200, 150));
    EXPECT_EQ(ActivationCount(), 0);
}

} // namespace
