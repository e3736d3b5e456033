#include "QorColorScaleWidget.h"

#include "TCanvas.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

TQorColorScaleWidget::TQorColorScaleWidget(QWidget* Parent)
    : QWidget(Parent), FColorScale(std::make_unique<TQorColorScale>()) {
    // The legend paints its own background when it is not transparent; otherwise the parent
    // shows through.
    setAutoFillBackground(false);
    setAttribute(Qt::WA_NoSystemBackground, true);
    FColorScale->SetBounds(0, 0, width(), height());
    FColorScale->SetHost(this);
    BoundsChanged();
}

TQorColorScaleWidget::~TQorColorScaleWidget() {
    FColorScale->SetHost(nullptr);
}

QSize TQorColorScaleWidget::sizeHint() const {
    return QSize(FColorScale->Width(), FColorScale->Height());
}

void TQorColorScaleWidget::paintEvent(QPaintEvent* /*Event*/) {
    QPainter painter(this);
    TQPainterCanvas canvas(painter);
    // Painting never lets an exception escape into the event loop.
    try {
        FColorScale->Paint(canvas);
    } catch (...) {
    }
}

void TQorColorScaleWidget::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    if (FApplyingBounds)
        return;
    FColorScale->SetBounds(FColorScale->Left(), FColorScale->Top(), width(), height());
}

void TQorColorScaleWidget::Invalidate() {
    update();
}

void TQorColorScaleWidget::BoundsChanged() {
    FApplyingBounds = true;
    const int w = FColorScale->Width();
    if (FColorScale->AutoSize())
        setFixedWidth(w); // layouts keep the width the legend chose
    else {
        setMinimumWidth(0);
        setMaximumWidth(QWIDGETSIZE_MAX);
        resize(w, height());
    }
    FApplyingBounds = false;
    updateGeometry();
}
