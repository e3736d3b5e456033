// Live data on a real display (run under xvfb-run; skipped offscreen): another program rewrites
// the shown file, and the user sees the new data within a second, in the same view; a file caught
// half-written is never shown.
#include "Qor3DDrawWidget.h"
#include "TestSupport.h"
#include "app/viewer/FMainTestSupport.h"
#include "app/viewer/mainwindow/WatchTestSupport.h"

#include <QStatusBar>
#include <fstream>

using FormMainWatchXvfb = TFormMainFixture;

namespace {

// The chart's part of a grabbed picture.
QImage ChartPicture(TFormMain& Window) {
    return ScreenShot(Window).copy(AreaOf(Window, Window.ChartWidget()));
}

// Grabs the chart until its picture is no longer Old; the milliseconds that took, or -1 after
// TimeoutMs.
qint64 MsUntilPictureChanges(TFormMain& Window, const QImage& Old, int TimeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < TimeoutMs) {
        QCoreApplication::processEvents();
        if (Window.screen()
                ->grabWindow(Window.winId())
                .toImage()
                .copy(AreaOf(Window, Window.ChartWidget())) != Old)
            return clock.elapsed();
        QTest::qWait(20);
    }
    return -1;
}

} // namespace

// The view the user turned to and a property set in the session stay when the file is read again.
TEST_F(FormMainWatchXvfb, ARewrittenFileIsShownWithinASecondInTheSameView) {
    if (!OnDisplay())
        GTEST_SKIP() << "needs a display";
    TempDir dir;
    const std::string file = dir.File("run.p3d");
    WriteFileText(file, SurfaceText(20, [](int i, int) { return i; }));
    ASSERT_TRUE(StartOnScreen({QString::fromStdString(file)}));
    TFormMain& w = *Window;
    ASSERT_TRUE(WaitFor([&] { return !w.LoadedFile().isEmpty(); }));
    w.Chart().SetViewRotY(200);
    w.Chart().SetBackgroundColor(clAqua);
    const int renders = w.Chart().RenderCount();
    ASSERT_TRUE(WaitFor([&] { return w.Chart().RenderCount() > renders; }));
    const QImage before = ChartPicture(w);

    WriteFileText(file, SurfaceText(20, [](int, int k) { return k; }));
    const qint64 ms = MsUntilPictureChanges(w, before, 1000);
    EXPECT_GE(ms, 0) << "the picture did not change within a second";
    EXPECT_TRUE(WaitFor([&] { return HeightAt(w.Chart(), 2, 3) == 3.0f; }));
    EXPECT_DOUBLE_EQ(w.Chart().ViewRotY(), 200);
    EXPECT_EQ(w.Chart().BackgroundColor(), clAqua);
    EXPECT_EQ(w.LoadedFile(), QString::fromStdString(file));
    EXPECT_TRUE(w.statusBar()->currentMessage().contains("read again"));

    // A file replaced by renaming another over it (as many programs save) is followed too.
    const QImage second = ChartPicture(w);
    WriteFileText(dir.File("next.tmp"), SurfaceText(20, [](int i, int k) { return i * k; }));
    ASSERT_EQ(std::rename(dir.File("next.tmp").c_str(), file.c_str()), 0);
    EXPECT_GE(MsUntilPictureChanges(w, second, 1000), 0);
    EXPECT_TRUE(WaitFor([&] { return HeightAt(w.Chart(), 2, 3) == 6.0f; }));
}

// The writer stops half-way for a while: the chart keeps the old data the whole time and the
// status bar says why; once the file is whole, it is shown.
TEST_F(FormMainWatchXvfb, AFileWrittenInTwoStepsNeverShowsTheHalfFile) {
    if (!OnDisplay())
        GTEST_SKIP() << "needs a display";
    TempDir dir;
    const std::string file = dir.File("run.p3d");
    WriteFileText(file, SurfaceText(20, [](int i, int) { return i; }));
    ASSERT_TRUE(StartOnScreen({QString::fromStdString(file)}));
    TFormMain& w = *Window;
    ASSERT_TRUE(WaitFor([&] { return !w.LoadedFile().isEmpty(); }));
    QTest::qWait(300);
    const QImage before = ChartPicture(w);
    const TArrGLfloat oldData = w.Chart().Data();

    const std::string whole = SurfaceText(20, [](int, int k) { return k; });
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << whole.substr(0, whole.size() / 2) << std::flush;
    QElapsedTimer clock;
    clock.start();
    bool sameData = true;
    while (clock.elapsed() < 1500) {
        QTest::qWait(50);
        sameData = sameData && w.Chart().Data() == oldData;
    }
    EXPECT_TRUE(sameData);
    EXPECT_EQ(ChartPicture(w), before);
    EXPECT_TRUE(w.statusBar()->currentMessage().contains("last complete data"))
        << w.statusBar()->currentMessage().toStdString();

    out << whole.substr(whole.size() / 2) << std::flush;
    out.close();
    EXPECT_GE(MsUntilPictureChanges(w, before, 1000), 0);
    EXPECT_TRUE(WaitFor([&] { return HeightAt(w.Chart(), 2, 3) == 3.0f; }));
}
