// Command-line tool for scripts and tests.
#include "CliFiles.h"
#include "RenderCommand.h"
#include "chart/Qor3DChart.h"
#include "io/Qor3DChartFile.h"

#include <QGuiApplication>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

int Usage(std::FILE* To = stderr) {
    std::fprintf(To,
                 "usage: plotyra-cli about\n"
                 "       plotyra-cli info FILE [--no-properties] [--low-memory]\n"
                 "       plotyra-cli convert IN OUT [--with-properties] "
                 "[--force-grid-form] [--low-memory]\n"
                 "       %s",
                 RenderUsage);
    return To == stderr ? 1 : 0;
}

int About() {
    std::printf("Plotyra, a viewer for numeric data on regular grids.\n"
                "This build reads, writes and converts chart data files.\n");
    return 0;
}

// The shortest text that reads back to the same double; JSON has no infinities or NaN, so
// those are written as null.
std::string JsonNumber(double v) {
    if (!std::isfinite(v))
        return "null";
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    return ec == std::errc() ? std::string(buffer, end) : "null";
}

std::string JsonRange(double Min, double Max) {
    return "[" + JsonNumber(Min) + "," + JsonNumber(Max) + "]";
}

const char* KindName(TQorDataKind Kind) {
    switch (Kind) {
    case dk3D:
        return "dk3D";
    case dkNx4D:
        return "dkNx4D";
    case dk4D:
        return "dk4D";
    case dk4DSurface:
        return "dk4DSurface";
    }
    return "dk3D";
}

std::string InfoJson(const TQor3DChart& Chart, int Result) {
    std::string layers = "[";
    if (Chart.DataKind() == dkNx4D)
        for (size_t i = 0; i < Chart.Layers().size(); ++i) {
            const TXZInteger& l = Chart.Layers()[i];
            layers += (i > 0 ? ",[" : "[") + std::to_string(l.X) + "," + std::to_string(l.Z) + "]";
        }
    layers += "]";
    return "{\"result\":" + std::to_string(Result) + ",\"kind\":\"" + KindName(Chart.DataKind()) +
           "\",\"nx\":" + std::to_string(Chart.NX()) + ",\"ny\":" + std::to_string(Chart.NY()) +
           ",\"nz\":" + std::to_string(Chart.NZ()) +
           ",\"lowMemory\":" + (Chart.LowMemoryLayout() ? "true" : "false") +
           ",\"layers\":" + layers +
           ",\"x\":" + JsonRange(Chart.AxisX().Minimum(), Chart.AxisX().Maximum()) +
           ",\"y\":" + JsonRange(Chart.AxisY().Minimum(), Chart.AxisY().Maximum()) +
           ",\"z\":" + JsonRange(Chart.AxisZ().Minimum(), Chart.AxisZ().Maximum()) +
           ",\"value\":" + JsonRange(Chart.ValueMin(), Chart.ValueMax()) + "}";
}

struct TOptions {
    std::vector<std::string> Files;
    bool NoProperties = false;
    bool WithProperties = false;
    bool ForceGridForm = false;
    bool LowMemory = false;
    bool Valid = true;
};

TOptions ParseOptions(int argc, char** argv, int First, bool Convert) {
    TOptions o;
    for (int i = First; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--low-memory")
            o.LowMemory = true;
        else if (!Convert && a == "--no-properties")
            o.NoProperties = true;
        else if (Convert && a == "--with-properties")
            o.WithProperties = true;
        else if (Convert && a == "--force-grid-form")
            o.ForceGridForm = true;
        else if (a.starts_with("--"))
            o.Valid = false;
        else
            o.Files.push_back(a);
    }
    return o;
}

int Fail(const std::string& Message) {
    std::fprintf(stderr, "plotyra-cli: %s\n", Message.c_str());
    return 1;
}

int Info(const TOptions& o) {
    if (!o.Valid || o.Files.size() != 1)
        return Usage();
    TQor3DChart chart;
    chart.SetUseLowMemory(o.LowMemory);
    std::string error;
    const int result = LoadCliChart(chart, nullptr, o.Files[0], !o.NoProperties, error);
    if (!error.empty())
        std::fprintf(stderr, "plotyra-cli: %s: %s\n", o.Files[0].c_str(), error.c_str());
    std::printf("%s\n", InfoJson(chart, result).c_str());
    return 0;
}

int Convert(const TOptions& o) {
    if (!o.Valid || o.Files.size() != 2)
        return Usage();
    TQor3DChart chart;
    chart.SetUseLowMemory(o.LowMemory);
    if (const std::string error = LoadCliChartData(chart, nullptr, o.Files[0], o.WithProperties);
        !error.empty())
        return Fail(error);
    if (SaveChartFile(chart, nullptr, o.Files[1], o.WithProperties, o.ForceGridForm) != 0) {
        const std::string why = ChartSaveProblem(chart);
        return Fail("cannot save " + o.Files[1] + (why.empty() ? "" : ": " + why));
    }
    return 0;
}

int Run(int argc, char** argv) {
    const std::string command = argv[1];
    if (command == "--help" || command == "-h")
        return Usage(stdout);
    if (command == "about")
        return About();
    if (command != "info" && command != "convert" && command != "render")
        return Usage();
    // Colours, fonts and pictures need the GUI classes, but never a display.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    if (command == "render")
        return RenderCommand(std::vector<std::string>(argv + 2, argv + argc));
    const bool convert = command == "convert";
    const TOptions options = ParseOptions(argc, argv, 2, convert);
    return convert ? Convert(options) : Info(options);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Usage();
    // Whatever goes wrong (memory, a library's exception) ends in a message, never an abort.
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        return Fail("out of memory");
    } catch (const std::exception& e) {
        return Fail(e.what());
    } catch (...) {
        return Fail("unexpected error");
    }
}
