#include "render/Qor3DChartLegendPicture.h"

#include "QorColSc.h"
#include "TCanvas.h"
#include "chart/Qor3DChart.h"
#include "render/Qor3DChartScene.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

using namespace QorPaint;

TChartLegendLayout QorPaint::LayoutChartAndLegend(const QRect& R, const QSize& LegendSize,
                                                  bool LegendLeft) {
    int width = 0;
    if (LegendSize.height() > 0)
        width = int(std::nearbyint(double(R.height()) / LegendSize.height() * LegendSize.width()));
    width = std::clamp(width, 0, std::max(R.width(), 0));
    TChartLegendLayout l;
    if (LegendLeft) {
        l.Legend = QRect(R.left(), R.top(), width, R.height());
        l.Chart = QRect(R.left() + width, R.top(), R.width() - width, R.height());
    } else {
        l.Chart = QRect(R.left(), R.top(), R.width() - width, R.height());
        l.Legend = QRect(R.left() + R.width() - width, R.top(), width, R.height());
    }
    l.Chart &= R;
    l.Legend &= R;
    return l;
}

TQorLegendPicture QorPaint::DrawLegendPicture(const TQorColorScale& Legend, int Width, int Height) {
    TQorColorScale t;
    t.Assign(&Legend);
    t.SetAutoSize(true);
    t.SetBounds(0, 0, Width, Height);
    {
        // Only the width matters here; a picture records the drawing without pixels.
        QPicture sizing;
        QPainter painter(&sizing);
        TQPainterCanvas canvas(painter);
        t.Paint(canvas);
    }
    int width = t.Width();
    if (width >= Width)
        width = Width / 2;
    TQorLegendPicture picture;
    picture.Size = QSize(width, Height);
    picture.Left = Legend.Align() == alLeft;
    t.SetBounds(0, 0, width, Height);
    QPainter painter(&picture.Picture);
    painter.setClipRect(QRect(QPoint(0, 0), picture.Size));
    TQPainterCanvas canvas(painter);
    t.Paint(canvas);
    return picture;
}

bool TQorChartPicture::Complete() const {
    const int legend = ScaleImage ? ScaleImage->Size.width() : 0;
    return PaintError.empty() && !Chart.isNull() &&
           Chart.size() == QSize(Size.width() - legend, Size.height());
}

TQorChartPicture QorPaint::RenderChartPicture(TQor3DChart& Chart, const TQorColorScale* Legend,
                                              int Width, int Height) {
    TQorChartPicture p;
    p.Size = QSize(Width, Height);
    int chartWidth = Width;
    if (Legend != nullptr) {
        p.ScaleImage = DrawLegendPicture(*Legend, Width, Height);
        chartWidth -= p.ScaleImage->Size.width();
    }
    p.Chart = RenderChartImage(Chart, chartWidth, Height);
    p.PaintError = Chart.LastPaintError();
    return p;
}

void QorPaint::DrawChartPicture(QPainter& Painter, const QRect& R,
                                const TQorChartPicture& Picture) {
    QRect chart = R;
    if (const auto& legend = Picture.ScaleImage; legend && !legend->Size.isEmpty()) {
        const TChartLegendLayout l = LayoutChartAndLegend(R, legend->Size, legend->Left);
        chart = l.Chart;
        if (!l.Legend.isEmpty()) {
            Painter.save();
            Painter.setClipRect(l.Legend, Qt::IntersectClip);
            Painter.translate(l.Legend.topLeft());
            Painter.scale(double(l.Legend.width()) / legend->Size.width(),
                          double(l.Legend.height()) / legend->Size.height());
            Painter.drawPicture(0, 0, legend->Picture);
            Painter.restore();
        }
    }
    if (!chart.isEmpty() && !Picture.Chart.isNull())
        Painter.drawImage(chart, Picture.Chart);
}

QImage QorPaint::ChartPictureImage(const TQorChartPicture& Picture) {
    QImage image(Picture.Size, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(Qt::white);
    QPainter painter(&image);
    DrawChartPicture(painter, image.rect(), Picture);
    return image;
}
