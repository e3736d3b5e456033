#include "mainwindow/UMeasureFrames.h"

#include "Qor3DDrawWidget.h"
#include "mainwindow/FMain.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

namespace {

constexpr int PollMs = 50;
// The window manager may need a few rounds to give the chart its size; then it is measured at
// the size it has.
constexpr int SizeRounds = 20;
// The first picture of a big grid takes its time under a software renderer.
constexpr int FirstPictureRounds = 600;

QSize WantedSize() {
    return {MeasureViewWidth, MeasureViewHeight};
}

// The window grows or shrinks by what the chart lacks or has too much.
bool SizeChartView(TFormMain& Window) {
    const QSize have = Window.ChartWidget().size();
    if (have == WantedSize())
        return true;
    Window.resize(Window.size() + WantedSize() - have);
    return false;
}

void Report(TFormMain& Window, int Frames) {
    TQor3DChart& chart = Window.Chart();
    const TTurningFigures figures = MeasureTurningFrames(chart, Frames);
    const QSize size = Window.ChartWidget().size();
    std::printf("%.1f frames per second (%d frames, chart %d x %d, fast drawing %s); full picture "
                "%.0f ms\n",
                figures.FramesPerSecond, Frames, size.width(), size.height(),
                chart.FastTurning() ? "on" : "off", figures.FullPictureMs);
    std::fflush(stdout);
    QApplication::exit(0);
}

} // namespace

TTurningFigures MeasureTurningFrames(TQor3DChart& Chart, int Frames) {
    Chart.Render();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < Frames; ++i) {
        Chart.BeginTurning();
        Chart.SetViewRotY(Chart.ViewRotY() + 1);
        Chart.Render();
    }
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    Chart.EndTurning();
    clock.restart();
    Chart.Render();
    return {.FramesPerSecond = seconds > 0 ? Frames / seconds : 0,
            .FullPictureMs = double(clock.nsecsElapsed()) / 1e6};
}

void MeasureFramesWhenShown(TFormMain& Window, int Frames, const QString& File) {
    QTimer::singleShot(0, &Window, [&Window, Frames, File] {
        Window.OpenFileByPath(File, false);
        if (Window.LoadedFile().isEmpty()) {
            std::fprintf(stderr, "Cannot read %s.\n",
                         QDir::toNativeSeparators(File).toLocal8Bit().constData());
            QApplication::exit(1);
            return;
        }
        auto* poll = new QTimer(&Window);
        QObject::connect(poll, &QTimer::timeout, &Window,
                         [&Window, Frames, poll, round = 0]() mutable {
                             ++round;
                             if (!SizeChartView(Window) && round < SizeRounds)
                                 return;
                             if (Window.Chart().RenderCount() == 0 && round < FirstPictureRounds)
                                 return;
                             poll->stop();
                             poll->deleteLater();
                             Report(Window, Frames);
                         });
        poll->start(PollMs);
    });
}
