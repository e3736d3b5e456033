// A plain chart window: the chart of one data file with its legend, turned, moved and zoomed
// with the mouse.
//   plotyra [--grab PICTURE.png] [FILE]
// --grab saves the window as the screen shows it, once it has been painted, and quits.
#include "Qor3DDrawWidget.h"
#include "QorColorScaleWidget.h"
#include "chart/Qor3DChart.h"
#include "chart/UQor3DChartColorScale.h"
#include "io/Qor3DChartFile.h"
#include "io/Qor3DChartFileLegend.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Plotyra");

    TQor3DChart chart;
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* chartWidget = new TQor3DDrawWidget(chart, &window);
    auto* legendWidget = new TQorColorScaleWidget(&window);
    layout->addWidget(chartWidget, 1);
    layout->addWidget(legendWidget);
    TQorColorScale& legend = legendWidget->ColorScale();
    legend.SetTransparent(false);
    chart.OnChange = [&](TObject*) {
        ChartToColorScale(chart, legend);
    };

    QStringList args = QApplication::arguments();
    args.removeFirst();
    QString grabFile;
    if (const qsizetype g = args.indexOf("--grab"); g >= 0 && g + 1 < args.size()) {
        grabFile = args[g + 1];
        args.remove(g, 2);
    }
    QString title = "Plotyra";
    if (!args.isEmpty()) {
        const QString file = args.first();
        TQorColorScaleFileLegend fileLegend(legend);
        if (LoadChartFile(chart, &fileLegend, file.toStdString(), true) != 0)
            QMessageBox::warning(&window, title, QString("Cannot load %1.").arg(file));
        title = QFileInfo(file).fileName() + " - Plotyra";
    }
    ChartToColorScale(chart, legend);
    window.setWindowTitle(title);
    window.resize(900, 650);
    window.show();
    if (!grabFile.isEmpty())
        QTimer::singleShot(1500, [&] {
            const QPixmap shot = window.screen()->grabWindow(window.winId());
            QApplication::exit(shot.save(grabFile) ? 0 : 1);
        });
    return app.exec();
}
