// The value readout: the data point under the cursor in the status bar, and a small marker on
// it. The pick runs in software on hover only (at most once per mouse move, never while a
// button turns or moves the chart); the marker is a little window of its own above the chart,
// so moving it repaints no chart and no exported or copied picture shows it.
#include "FMain.h"

#include "Qor3DDrawWidget.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QRegion>
#include <QStatusBar>

namespace {

// The marker: a cross of dark bars edged in white, readable on any colour.
class TReadoutMarker : public QWidget {
public:
    static constexpr int Size = 15;

    explicit TReadoutMarker(QWidget* Parent) : QWidget(Parent) {
        setObjectName("ReadoutMarker");
        // Its own native window, so that it shows above the chart's OpenGL window.
        setAttribute(Qt::WA_NativeWindow);
        setAttribute(Qt::WA_DontCreateNativeAncestors);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFixedSize(Size, Size);
        constexpr int half = Size / 2;
        setMask(QRegion(half - 2, 0, 5, Size) + QRegion(0, half - 2, Size, 5));
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        constexpr int half = Size / 2;
        p.fillRect(half - 1, 1, 3, Size - 2, Qt::black);
        p.fillRect(1, half - 1, Size - 2, 3, Qt::black);
    }
};

bool ButtonHeld(TShiftState Shift) {
    return Shift.Contains(ssLeft) || Shift.Contains(ssRight) || Shift.Contains(ssMiddle);
}

} // namespace

void TFormMain::BuildReadout() {
    FPicker = std::make_unique<TQorChartPicker>();
    FStatusReadout = new QLabel(this);
    FStatusReadout->setObjectName("StatusReadout");
    statusBar()->addWidget(FStatusReadout, 1);
    FReadoutMarker = new TReadoutMarker(FChartWidget);
    FChartWidget->installEventFilter(this);
}

void TFormMain::ChartMouseMove(TShiftState Shift, int X, int Y) {
    if (ButtonHeld(Shift) || Qor3DChart.Turning()) {
        ClearReadout();
        return;
    }
    const TPoint size = FChartWidget->ClientSize();
    // The middle of the pixel under the cursor.
    const TQorProbeResult r = FPicker->AtPixel(Qor3DChart, size.X, size.Y, X + 0.5, Y + 0.5);
    if (!r.Found) {
        ClearReadout();
        return;
    }
    FStatusReadout->setText(QString::fromStdString(QorProbe::ReadoutText(Qor3DChart, r)));
    const TQorScreenPoint at = QorProbe::ChartView(Qor3DChart, size.X, size.Y).Project(r.Drawn);
    FReadoutMarker->move(int(at.X) - TReadoutMarker::Size / 2,
                         int(at.Y) - TReadoutMarker::Size / 2);
    FReadoutMarker->show();
    FReadoutMarker->raise();
}

void TFormMain::ClearReadout() {
    if (FStatusReadout != nullptr)
        FStatusReadout->clear();
    if (FReadoutMarker != nullptr)
        FReadoutMarker->hide();
}

bool TFormMain::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == FChartWidget && Event->type() == QEvent::Leave)
        ClearReadout();
    return QMainWindow::eventFilter(Watched, Event);
}
