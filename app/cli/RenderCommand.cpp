#include "RenderCommand.h"

#include "CliFiles.h"
#include "QorColSc.h"
#include "QorFileOutput.h"
#include "QorPropText.h"
#include "chart/Qor3DChart.h"
#include "chart/UQor3DChartColorScale.h"
#include "io/Qor3DChartFile.h"
#include "io/Qor3DChartFileLegend.h"
#include "render/Qor3DChartLegendPicture.h"

#include <QBuffer>
#include <QImage>
#include <QString>
#include <charconv>
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

bool LoadPropertyFile(TQor3DChart& Chart, const std::string& FileName, std::string& Error) {
    std::string text;
    if (!ReadCliText(FileName, text, Error))
        return false;
    TQorPropTextReader reader = TQorPropTextReader::Owning(std::move(text));
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
        } else if ((a.starts_with("-") && a != "-") || !Options.File.empty()) {
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

int RenderCommand(const std::vector<std::string>& Args) {
    TRenderOptions o;
    std::string error;
    if (!ParseRenderOptions(Args, o, error)) {
        std::fprintf(stderr, "usage: plotyra-cli render FILE -o OUT.png [--size WxH] "
                             "[--properties P.cpr] [--no-legend]\n");
        return Fail(error);
    }
    // The picture would replace the data it was drawn from.
    if (SameFile(o.File, o.Output) || SameFile(o.Properties, o.Output))
        return Fail(o.Output + " is an input of this render; choose another output");
    TQor3DChart chart;
    TQorColorScale legend;
    TQorColorScaleFileLegend fileLegend(legend);
    if (LoadCliChart(chart, &fileLegend, o.File, true, error) != 0)
        return Fail("cannot load " + o.File + (error.empty() ? "" : ": " + error));
    if (HoldsNoChartData(chart))
        return Fail(o.File + " holds no chart data");
    if (!o.Properties.empty() && !LoadPropertyFile(chart, o.Properties, error))
        return Fail("cannot load properties " + o.Properties + ": " + error);
    ChartToColorScale(chart, legend);
    return RenderLoadedChart(chart, legend, o);
}

int RenderLoadedChart(TQor3DChart& chart, TQorColorScale& legend, const TRenderOptions& o) {
    QImage picture;
    try {
        const TQorChartPicture rendered =
            RenderChartPicture(chart, o.NoLegend ? nullptr : &legend, o.Width, o.Height);
        if (rendered.Complete())
            picture = ChartPictureImage(rendered);
    } catch (const std::exception& e) {
        return Fail(std::string("cannot render: ") + e.what());
    }
    // Painting swallows its failures; the chart keeps the first one of the render.
    if (!chart.LastPaintError().empty())
        return Fail("cannot render: " + chart.LastPaintError());
    if (picture.isNull())
        return Fail("cannot render " + o.File);
    // Encoded first and written atomically, so a full disk never leaves half a picture in
    // place of the old one.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.convertToFormat(QImage::Format_RGB888).save(&buffer, "PNG") ||
        !WriteFileAtomically(o.Output, std::string_view(png.constData(), size_t(png.size()))))
        return Fail("cannot save " + o.Output);
    return 0;
}
