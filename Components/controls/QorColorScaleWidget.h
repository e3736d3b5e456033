// The Qt widget that shows a TQorColorScale: it paints the legend through a QPainter canvas,
// keeps the legend's bounds in step with its own and follows the width the legend asks for.
#pragma once

#include "QorColSc.h"

#include <QWidget>
#include <memory>

class TQorColorScaleWidget : public QWidget, private TQorColorScaleHost {
    Q_OBJECT
public:
    explicit TQorColorScaleWidget(QWidget* Parent = nullptr);
    ~TQorColorScaleWidget() override;

    TQorColorScale& ColorScale() { return *FColorScale; }
    const TQorColorScale& ColorScale() const { return *FColorScale; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    void Invalidate() override;
    void BoundsChanged() override;

    std::unique_ptr<TQorColorScale> FColorScale;
    bool FApplyingBounds = false;
};
