// Shows the drawing control's sample scene in a window; drag with the left button to turn it,
// with the middle button to move it, and use the wheel to zoom.
//   plotyra-designscene [--bitmap] [--grab FILE.png]
// --bitmap renders through the memory bitmap; --grab saves one rendering of the window's size
// and quits.
#include "Qor3DDrawWidget.h"
#include "draw/Qor3DDraw.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qsizetype grab = args.indexOf("--grab");

    TQor3DDraw draw;
    draw.OnPaintGL = [&](TObject*, const TRect&) {
        draw.DrawDesignScene();
    };
    draw.SetUseSafeBitmapMode(args.contains("--bitmap"));

    TQor3DDrawWidget widget(draw);
    widget.setWindowTitle("Plotyra design scene");
    widget.resize(640, 480);
    widget.show();

    if (grab > 0 && grab + 1 < args.size()) {
        QTimer::singleShot(500, [&] {
            std::printf("mode: %s\n", widget.InWindowMode() ? "window" : "bitmap");
            draw.RenderToBitmap(widget.width(), widget.height());
            const bool saved = draw.ExportBitmap().save(args[grab + 1]);
            app.exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
