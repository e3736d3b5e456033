// plotyra-guide-pictures OUTDIR EXAMPLES: the user guide's pictures of the viewer's windows.
// It starts the real main window with the settings the environment points at (run it with
// scratch XDG folders, on a display: scripts/guide-pictures.sh), opens the samples and the
// dialogs as a user does, and saves what the screen shows, one PNG a window or dialog page.
// Each picture's name is printed as it is written; the exit code is 1 when any is missing.
#include "mainwindow/FMain.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <functional>

namespace {

// Lets the window process its events, and a software renderer draw, for Ms milliseconds.
void Settle(int Ms) {
    QEventLoop loop;
    QTimer::singleShot(Ms, &loop, &QEventLoop::quit);
    loop.exec();
}

class TGuidePictures {
public:
    TGuidePictures(const QString& OutDir, const QString& Examples)
        : FOut(OutDir), FExamples(Examples), FWindow(QStringList()) {}

    int Run() {
        FWindow.resize(1000, 680);
        FWindow.show();
        FWindow.activateWindow();
        Open("surface.p3d");
        Shot(FWindow, "main-window");
        Dialog("MenuItemCopy", "copy-image", 1500);
        Dialog("PropertiesMenuItem", "program-properties");
        Dialog("MenuItemFilterSetting", "filter-setting");
        Dialog("AboutMenuItem", "about");
        ChartPropertyPages("surface",
                           {"view", "chart", "ranges", "grid", "settings", "x", "colors"});
        WithDialog([this] { FWindow.OpenFileByPath(Sample("import/volcano.npz")); },
                   [this](QWidget& Modal) { Shot(Modal, "import"); });
        Open("volume.p4d");
        ChartPropertyPages("volume", {"4d"});
        FWindow.close();
        return FMissing ? 1 : 0;
    }

private:
    QString Sample(const QString& Name) const { return QDir(FExamples).filePath(Name); }

    void Open(const QString& Name) {
        const int drawn = FWindow.Chart().RenderCount();
        FWindow.OpenFileByPath(Sample(Name), false);
        for (int waited = 0; waited < 15000 && FWindow.Chart().RenderCount() == drawn; waited += 50)
            Settle(50);
        Settle(500);
    }

    void Shot(QWidget& Window, const QString& Name) {
        Settle(300);
        const QString file = FOut.filePath(Name + ".png");
        if (Window.screen()->grabWindow(Window.winId()).save(file, "PNG")) {
            std::printf("%s\n", qPrintable(Name + ".png"));
        } else {
            std::fprintf(stderr, "plotyra-guide-pictures: cannot write %s\n", qPrintable(file));
            FMissing = true;
        }
    }

    // Runs Open and hands the modal dialog it opens to Take, which returns when it is done;
    // the dialog is then closed.
    void WithDialog(const std::function<void()>& Open, const std::function<void(QWidget&)>& Take) {
        QTimer poll;
        bool taken = false;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || taken)
                return;
            taken = true;
            poll.stop();
            modal->activateWindow();
            Take(*modal);
            modal->close();
        });
        poll.start(50);
        Open();
        if (!taken)
            FMissing = true;
        FWindow.activateWindow();
        Settle(200);
    }

    // The modal dialog the window's action Name opens.
    void WithActionDialog(const char* Action, const std::function<void(QWidget&)>& Take) {
        auto* action = FWindow.findChild<QAction*>(Action);
        if (action == nullptr) {
            std::fprintf(stderr, "plotyra-guide-pictures: no action %s\n", Action);
            FMissing = true;
            return;
        }
        WithDialog([action] { action->trigger(); }, Take);
    }

    void Dialog(const char* Action, const QString& Name, int DrawMs = 300) {
        WithActionDialog(Action, [&](QWidget& Modal) {
            Settle(DrawMs);
            Shot(Modal, Name);
        });
    }

    // The pages of the chart properties dialog, all or those Only names, each picture named
    // after its page's object name ("TabSheet4D": "4d").
    void ChartPropertyPages(const QString& Sample, const QStringList& Only) {
        WithActionDialog("MenuItemProperties", [&](QWidget& Modal) {
            auto* pages = Modal.findChild<QTabWidget*>("PageControl1");
            if (pages == nullptr) {
                FMissing = true;
                return;
            }
            for (int i = 0; i < pages->count(); ++i) {
                const QString page = pages->widget(i)->objectName().mid(8).toLower();
                if (!Only.isEmpty() && !Only.contains(page))
                    continue;
                pages->setCurrentIndex(i);
                Settle(400);
                Shot(Modal, "chart-properties-" + Sample + "-" + page);
            }
        });
    }

    QDir FOut;
    QString FExamples;
    TFormMain FWindow;
    bool FMissing = false;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Plotyra");
    const QStringList args = QApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: plotyra-guide-pictures OUTDIR EXAMPLES\n");
        return 2;
    }
    if (!QDir().mkpath(args[1])) {
        std::fprintf(stderr, "plotyra-guide-pictures: cannot create %s\n", qPrintable(args[1]));
        return 1;
    }
    TGuidePictures pictures(args[1], args[2]);
    return pictures.Run();
}
