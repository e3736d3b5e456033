// The drawing side of the Python module, free of Python: a chart with its legend filled from
// arrays or opened from a file, drawn off-screen and saved as the viewer saves it. The callers
// hold the render lock around everything but FillGrid.
#pragma once

#include "QorColSc.h"
#include "QorImportOpen.h"
#include "chart/Qor3DChart.h"

#include <QImage>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

// A rectangular grid as arrays: the coordinate vectors and the values in the chart's order
// (surface: height [k][i]; volume: v [k][j][i]; faces: the six faces one after another), given
// in pieces that follow one another (a box's faces may come as six arrays).
struct TPyGrid {
    TQorDataKind Kind = dk3D;
    int NX = 0;
    int NY = 0;
    int NZ = 0;
    std::vector<float> X, Y, Z;
    std::vector<std::span<const float>> Pieces;
};

// The view as the viewer stores it; unset parts keep the chart's.
struct TPyView {
    std::optional<double> RotX, RotY, ShiftX, ShiftY, ShiftZ, Zoom;
};

// Seconds the last steps of a scene took (bench/python_render.py tells the drawing from the
// hand-over of the arrays and of the picture by them).
struct TPyTimings {
    double Fill = 0;
    double Draw = 0;
    double HandBack = 0;
};

// Held by every caller while Qt or the off-screen renderer is at work: fonts, pictures and the
// GL library's state are shared by the whole process.
std::mutex& PyRenderLock();

class TPyScene {
public:
    // Starts the GUI classes (off-screen) on first use and draws through the one off-screen
    // context of the process; call with the render lock held.
    TPyScene();
    TPyScene(const TPyScene&) = delete;
    TPyScene& operator=(const TPyScene&) = delete;

    // The grid in the low-memory layout (the saved form is then the grid form) or the full one
    // (as the viewer holds a loaded grid by default). False when the chart cannot hold it (the
    // chart is then empty). Touches neither Qt nor GL: needs no lock.
    bool FillGrid(const TPyGrid& Grid, bool LowMemory);
    // Opens any data file the viewer opens, without its properties; the low-memory layout
    // wherever the file's form allows it.
    TQorOpenOutcome Open(const std::string& FileName, const TQorImportOptions& Options);
    void ApplyProperties(const std::string& Text);
    void ApplyView(const TPyView& View);
    TPyView View() const;
    // The picture (RGB32) or a null image with the reason in Error.
    QImage Draw(int Width, int Height, bool Legend, std::string& Error);
    // As the viewer saves a chart (with properties: the chart's and the legend's blocks), in
    // the grid form. "" or why not.
    std::string Save(const std::string& FileName, bool WithProperties);

    TQor3DChart& Chart() { return FChart; }
    TPyTimings Timings;

private:
    bool Fill(const TPyGrid& Grid, bool LowMemory);

    // Declared first: the GUI classes are started before the chart and the legend need fonts.
    struct TGuiStart {
        TGuiStart();
    } FGuiStart;
    TQor3DChart FChart;
    TQorColorScale FLegend;
};

// Why a Width x Height picture is refused, as plotyra-cli says it, or "".
std::string PyPictureSizeProblem(int Width, int Height);

// Picture's pixels as rows of red, green, blue bytes into Out (Width * Height * 3 bytes).
void CopyPictureRgb(const QImage& Picture, uint8_t* Out);
