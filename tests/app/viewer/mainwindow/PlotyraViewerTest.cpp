// The viewer as a user meets it: started on a sample file on a real (Xvfb) display, the window
// it grabs shows the chart in the middle and the legend's colour bar at the right.
#include "TestSupport.h"
#include "graphics3d/Qor3DPictureSupport.h"

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// A column near the right edge that is coloured over much of the height, with other colours at
// its top than at its bottom: the legend's bar.
bool LegendBarAtTheRight(const QImage& Image) {
    const int h = Image.height();
    for (int x = Image.width() * 4 / 5; x < Image.width(); ++x) {
        int first = -1;
        int last = -1;
        for (int y = 0; y < h; ++y)
            if (ColouredPixels(Image, QRect(x, y, 1, 1), 80) > 0) {
                if (first < 0)
                    first = y;
                last = y;
            }
        if (first >= 0 && ColouredPixels(Image, x) > h / 3 &&
            Image.pixelColor(x, first + 2) != Image.pixelColor(x, last - 2))
            return true;
    }
    return false;
}

// Runs the viewer with Arguments and settings of its own below Dir; true when it quit in time.
bool RunViewer(QProcess& Viewer, const TempDir& Dir, const QStringList& Arguments) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(Dir.File("config")));
    env.insert("XDG_DATA_HOME", QString::fromStdString(Dir.File("data")));
    Viewer.setProcessEnvironment(env);
    Viewer.start(PLOTYRA_VIEWER, Arguments);
    return Viewer.waitForFinished(60000);
}

TEST(PlotyraViewerXvfb, GrabbedWindowShowsTheChartAndItsLegend) {
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "needs a display";
    TempDir dir;
    const QString picture = QString::fromStdString(dir.File("viewer.png"));
    QProcess viewer;
    ASSERT_TRUE(
        RunViewer(viewer, dir, {"--grab", picture, QString(PLOTYRA_EXAMPLES) + "/surface.p3d"}))
        << "the viewer did not quit after the grab";
    EXPECT_EQ(viewer.exitCode(), 0) << viewer.readAllStandardError().toStdString();

    const QImage image(picture);
    ASSERT_FALSE(image.isNull()) << "no picture grabbed";
    ASSERT_GT(image.width(), 300);
    ASSERT_GT(image.height(), 200);
    // The surface fills part of the middle with palette colours.
    const QRect middle(image.width() * 3 / 10, image.height() / 5, image.width() * 2 / 5,
                       image.height() * 3 / 5);
    EXPECT_GT(ColouredPixels(image, middle, 80), middle.width() * middle.height() / 20)
        << "no chart in the middle of the window";
    EXPECT_TRUE(LegendBarAtTheRight(image)) << "no legend bar at the right edge";
}

// The window-mode frame-rate figure: a few frames of a small chart, a number on stdout; a file
// that cannot be read ends the run with a message instead.
TEST(PlotyraViewerXvfb, MeasureFramesPrintsTheFramesPerSecond) {
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "needs a display";
    TempDir dir;
    QProcess viewer;
    ASSERT_TRUE(RunViewer(viewer, dir,
                          {"--measure-frames", "5", QString(PLOTYRA_EXAMPLES) + "/surface.p3d"}));
    const QString out = QString::fromLocal8Bit(viewer.readAllStandardOutput());
    EXPECT_EQ(viewer.exitCode(), 0) << viewer.readAllStandardError().toStdString();
    const QRegularExpressionMatch figure =
        QRegularExpression(R"(^(\d+\.\d) frames per second \(5 frames, chart 800 x 600, )")
            .match(out);
    ASSERT_TRUE(figure.hasMatch()) << out.toStdString();
    EXPECT_GT(figure.captured(1).toDouble(), 0);

    QProcess missing;
    ASSERT_TRUE(RunViewer(missing, dir,
                          {"--measure-frames", "5", QString::fromStdString(dir.File("none.p3d"))}));
    EXPECT_EQ(missing.exitCode(), 1);
    EXPECT_TRUE(missing.readAllStandardError().contains("Cannot read"));
    EXPECT_TRUE(missing.readAllStandardOutput().isEmpty());
}

} // namespace
