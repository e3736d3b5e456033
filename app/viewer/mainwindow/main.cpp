// The viewer: plotyra [FILE | /S]. See UCommandLine.h for the command line; --grab PICTURE
// (not listed by --help) saves the window as the screen shows it, once the chart has been
// drawn, and quits; --measure-frames N FILE measures turning (UMeasureFrames.h) and quits.
#include "QorFileOutput.h"
#include "UDesktopFiles.h"
#include "desktop/UQorWaitCursor.h"
#include "desktop/USignalClose.h"
#include "dialogs/FAbout.h"
#include "mainwindow/FMain.h"
#include "mainwindow/UCommandLine.h"
#include "mainwindow/UMeasureFrames.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QIcon>
#include <QScreen>
#include <QTimer>
#include <cstdio>

namespace {

// The chart's first picture takes its time under a software renderer; the grab waits for
// it, but not for ever.
constexpr int GrabSettleMs = 1500;
constexpr int GrabGiveUpMs = 15000;

void GrabWhenDrawn(TFormMain& Window, const QString& File) {
    auto* poll = new QTimer(&Window);
    auto* clock = new QElapsedTimer;
    clock->start();
    QObject::connect(poll, &QTimer::timeout, &Window, [&Window, File, poll, clock] {
        const qint64 elapsed = clock->elapsed();
        if (elapsed < GrabSettleMs || (Window.Chart().RenderCount() == 0 && elapsed < GrabGiveUpMs))
            return;
        poll->stop();
        delete clock;
        const QPixmap shot = Window.screen()->grabWindow(Window.winId());
        QByteArray png;
        QBuffer buffer(&png);
        const bool encoded = buffer.open(QIODevice::WriteOnly) && shot.save(&buffer, "PNG");
        std::string error;
        const bool saved =
            encoded &&
            WriteFileAtomically(QFile::encodeName(File).toStdString(),
                                std::string_view(png.constData(), size_t(png.size())), &error);
        if (!saved)
            std::fprintf(stderr, "plotyra: cannot save %s: %s\n",
                         QFile::encodeName(File).constData(),
                         encoded ? error.c_str() : "the picture cannot be encoded");
        QApplication::exit(saved ? 0 : 1);
    });
    poll->start(100);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Plotyra");
    QApplication::setApplicationVersion(TFormAbout::Version());
    // The desktop matches the window with the program's entry and icon.
    const QString id = QLatin1String(ProgramDesktopId);
    QGuiApplication::setDesktopFileName(id);
    QApplication::setWindowIcon(QIcon::fromTheme(id, QIcon(":/desktop/icons/apps/" + id + ".svg")));

    const TCommandLine command = ParseCommandLine(argc, argv);
    if (command.Exit) {
        std::fputs(command.Message.toLocal8Bit().constData(),
                   command.ExitCode == 0 ? stdout : stderr);
        return command.ExitCode;
    }

    // A measurement opens its file itself, so it knows when the chart is there.
    const bool measure = command.MeasureFrames > 0;
    TFormMain window(measure ? QStringList() : command.Params);
    TQorSignalClose closeOnSignal;
    window.show();
    if (!command.GrabFile.isEmpty())
        GrabWhenDrawn(window, command.GrabFile);
    if (measure)
        MeasureFramesWhenShown(window, command.MeasureFrames, command.Params.first());
    const int result = QApplication::exec();
    ResetWaitCursor();
    return result;
}
