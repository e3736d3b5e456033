#include "RenderCommand.h"

#include "QorColSc.h"
#include "QorPropText.h"
#include "TCanvas.h"
#include "chart/Qor3DChart.h"
#include "chart/UQor3DChartColorScale.h"
#include "io/Qor3DChartFile.h"
#include "io/Qor3DChartFileLegend.h"
#include "render/Qor3DChartScene.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <exception>

namespace {

// The largest viewport side of the off-screen renderer.
constexpr int QorMaxRenderSide = 16384;

bool ParseSize(const std::string& Text, int& Width, int& Height) {
    const size_t x = Text.find_first_of("xX");
    if (x == std::string::npos)
        return false;
    const char* begin = Text.data();
    const char* mid = begin + x;
    const char* end = begin + Text.size();
    int w = 0;
    int h = 0;
    const auto rw = std::from_chars(begin, mid, w);
    const auto rh = std::from_chars(mid + 1, end, h);
    if (rw.ec != std::errc() || rw.ptr != mid || rh.ec != std::errc() || rh.ptr != end)
        return false;
    if (w < 1 || h < 1 || w > QorMaxRenderSide || h > QorMaxRenderSide)
        return false;
    Width = w;
    Height = h;
    return true;
}

int Fail(const std::string& Message) {
    std::fprintf(stderr, "plotyra-cli: %s\n", Message.c_str());
    return 1;
}

bool LoadPropertyFile(TQor3DChart& Chart, const std::string& FileName) {
    QFile file(QString::fromStdString(FileName));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    TQorPropTextReader reader(std::string_view(text.constData(), size_t(text.size())));
    Chart.BeginUpdate();
    Chart.ReadFromText(reader, "");
    Chart.UpdateRanges();
    Chart.EndUpdate();
    return true;
}

} // namespace

bool ParseRenderOptions(const std::vector<std::string>& Args, TRenderOptions& Options,
                        std::string& Error) {
    Options = {};
    for (size_t i = 0; i < Args.size(); ++i) {
        const std::string& a = Args[i];
        const bool hasValue = i + 1 < Args.size();
        if (a == "-o" && hasValue) {
            Options.Output = Args[++i];
        } else if (a == "--size" && hasValue) {
            if (!ParseSize(Args[++i], Options.Width, Options.Height)) {
                Error = "bad size " + Args[i] + " (WxH, 1 ... 16384 each)";
                return false;
            }
        } else if (a == "--properties" && hasValue) {
            Options.Properties = Args[++i];
        } else if (a == "--no-legend") {
            Options.NoLegend = true;
        } else if (a.starts_with("-") || !Options.File.empty()) {
            Error = "unexpected argument " + a;
            return false;
        } else {
            Options.File = a;
        }
    }
    if (Options.File.empty() || Options.Output.empty()) {
        Error = "render needs FILE and -o OUT.png";
        return false;
    }
    return true;
}

namespace {

QImage DrawLegendImage(TQorColorScale& Legend, int Height) {
    // A first drawing lets AutoSize find the width the labels need.
    Legend.SetHeight(Height);
    QImage scratch(std::max(1, Legend.Width()), Height, QImage::Format_RGB32);
    {
        QPainter painter(&scratch);
        TQPainterCanvas canvas(painter);
        Legend.Paint(canvas);
    }
    QImage image(std::max(1, Legend.Width()), Height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    TQPainterCanvas canvas(painter);
    Legend.Paint(canvas);
    return image;
}

QImage RenderChartWithLegend(TQor3DChart& Chart, TQorColorScale& Legend, int Width, int Height) {
    const QImage legendImage = DrawLegendImage(Legend, Height);
    const TChartLegendLayout layout =
        LayoutChartAndLegend(QRect(0, 0, Width, Height), legendImage.size(), false);
    if (layout.Chart.width() < 1)
        return RenderChartImage(Chart, Width, Height);
    const QImage chartImage = RenderChartImage(Chart, layout.Chart.width(), Height);
    if (chartImage.isNull())
        return chartImage;
    QImage picture(Width, Height, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.drawImage(layout.Chart.topLeft(), chartImage);
    painter.drawImage(layout.Legend, legendImage);
    return picture;
}

} // namespace

TChartLegendLayout LayoutChartAndLegend(const QRect& R, const QSize& LegendImage, bool LegendLeft) {
    int width = 0;
    if (LegendImage.height() > 0)
        width =
            int(std::nearbyint(double(R.height()) / LegendImage.height() * LegendImage.width()));
    width = std::clamp(width, 0, R.width());
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

int RenderCommand(const std::vector<std::string>& Args) {
    TRenderOptions o;
    std::string error;
    if (!ParseRenderOptions(Args, o, error)) {
        std::fprintf(stderr, "usage: plotyra-cli render FILE -o OUT.png [--size WxH] "
                             "[--properties P.cpr] [--no-legend]\n");
        return Fail(error);
    }
    TQor3DChart chart;
    TQorColorScale legend;
    TQorColorScaleFileLegend fileLegend(legend);
    if (LoadChartFile(chart, &fileLegend, o.File, true) != 0)
        return Fail("cannot load " + o.File);
    if (!o.Properties.empty() && !LoadPropertyFile(chart, o.Properties))
        return Fail("cannot load properties " + o.Properties);
    ChartToColorScale(chart, legend);
    return RenderLoadedChart(chart, legend, o);
}

int RenderLoadedChart(TQor3DChart& chart, TQorColorScale& legend, const TRenderOptions& o) {
    QImage picture;
    try {
        picture = o.NoLegend ? RenderChartImage(chart, o.Width, o.Height)
                             : RenderChartWithLegend(chart, legend, o.Width, o.Height);
    } catch (const std::exception& e) {
        return Fail(std::string("cannot render: ") + e.what());
    }
    // Painting swallows its failures; the chart keeps the first one of the render.
    if (!chart.LastPaintError().empty())
        return Fail("cannot render: " + chart.LastPaintError());
    if (picture.isNull())
        return Fail("cannot render " + o.File);
    if (!picture.convertToFormat(QImage::Format_RGB888)
             .save(QString::fromStdString(o.Output), "PNG"))
        return Fail("cannot save " + o.Output);
    return 0;
}
