#include "PyScene.h"

#include "QorParallel.h"
#include "QorUpdateBracket.h"
#include "chart/UQor3DChartColorScale.h"
#include "gl/Qor3DOSMesa.h"
#include "gl/Qor3DSharedContext.h"
#include "io/Qor3DChartFile.h"
#include "io/Qor3DChartFileLegend.h"
#include "io/Qor3DChartPropertyText.h"
#include "render/Qor3DPictureOutput.h"

#include <QGuiApplication>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>

namespace {

double SecondsSince(std::chrono::steady_clock::time_point Start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

// Grids of at least this many points are filled on all cores.
constexpr size_t FillPiecePoints = size_t(1) << 18;

// Colours, fonts and pictures need the GUI classes, never a display. The application object
// lives as long as the process: Python may still hold pictures when it ends.
void StartGuiApplication() {
    if (QCoreApplication::instance() != nullptr)
        return;
    static char name[] = "plotyra";
    static char option[] = "-platform";
    static char platform[] = "offscreen";
    static char* argv[] = {name, option, platform, nullptr};
    static int argc = 3;
    new QGuiApplication(argc, argv);
}

// One off-screen context for every scene of the process, lent to one drawing at a time (the
// render lock): the renderer keeps what it prepared (compiled shaders, buffers) from call to
// call. It lives as long as the process.
TGLPlatform& SharedPlatform() {
    static TSharedContextPlatform* const platform = new TSharedContextPlatform(OSMesaPlatform());
    return *platform;
}

void MarkDataReal(TQor3DChart& Chart) {
    for (TQorChartAxis3D* axis : {&Chart.AxisX(), &Chart.AxisY(), &Chart.AxisZ()})
        axis->SetLogState(false, axis->Logarithmic());
}

// The values of a grid one after another, whatever pieces they come in.
void CopyValues(const TPyGrid& Grid, float* Out) {
    for (const std::span<const float> piece : Grid.Pieces) {
        std::memcpy(Out, piece.data(), piece.size_bytes());
        Out += piece.size();
    }
}

// Rows First ... Last - 1 of a surface in the full layout: x, height, z per point.
void FillSurfaceRows(const TPyGrid& G, const float* Heights, float* Data, size_t First,
                     size_t Last) {
    const size_t nx = size_t(G.NX);
    for (size_t k = First; k < Last; ++k) {
        const float z = G.Z[k];
        const float* h = Heights + nx * k;
        float* p = Data + 3 * nx * k;
        for (size_t i = 0; i < nx; ++i, p += 3) {
            p[0] = G.X[i];
            p[1] = h[i];
            p[2] = z;
        }
    }
}

// The place of point Col, Row of a box's Face, as the chart's reader puts it.
std::array<float, 3> FacePoint(const TPyGrid& G, int Face, size_t Col, size_t Row) {
    const size_t lx = G.X.size() - 1, ly = G.Y.size() - 1, lz = G.Z.size() - 1;
    switch (Face) {
    case 1:
        return {G.X[Col], G.Y[Row], G.Z[0]};
    case 2:
        return {G.X[Col], G.Y[Row], G.Z[lz]};
    case 3:
        return {G.X[0], G.Y[Row], G.Z[Col]};
    case 4:
        return {G.X[lx], G.Y[Row], G.Z[Col]};
    case 5:
        return {G.X[Col], G.Y[0], G.Z[Row]};
    default:
        return {G.X[Col], G.Y[ly], G.Z[Row]};
    }
}

// A volume or a box in the full layout: x, y, z, v per point.
void Fill4DPoints(const TPyGrid& G, const float* Values, float* Data) {
    const size_t nx = size_t(G.NX), ny = size_t(G.NY), nz = size_t(G.NZ);
    if (G.Kind == dk4D) {
        for (size_t k = 0, t = 0; k < nz; ++k)
            for (size_t j = 0; j < ny; ++j)
                for (size_t i = 0; i < nx; ++i, ++t) {
                    float* p = Data + 4 * t;
                    p[0] = G.X[i];
                    p[1] = G.Y[j];
                    p[2] = G.Z[k];
                    p[3] = Values[t];
                }
        return;
    }
    size_t t = 0;
    for (int face = 1; face <= 6; ++face) {
        const size_t rows = face <= 4 ? ny : nz;
        const size_t cols = face == 3 || face == 4 ? nz : nx;
        for (size_t r = 0; r < rows; ++r)
            for (size_t c = 0; c < cols; ++c, ++t) {
                const std::array<float, 3> xyz = FacePoint(G, face, c, r);
                float* p = Data + 4 * t;
                std::copy(xyz.begin(), xyz.end(), p);
                p[3] = Values[t];
            }
    }
}

} // namespace

std::mutex& PyRenderLock() {
    static std::mutex lock;
    return lock;
}

TPyScene::TGuiStart::TGuiStart() {
    StartGuiApplication();
}

TPyScene::TPyScene() {
    FChart.SetBitmapPlatform(SharedPlatform());
}

bool TPyScene::FillGrid(const TPyGrid& G, bool LowMemory) {
    const auto start = std::chrono::steady_clock::now();
    const bool filled = Fill(G, LowMemory);
    Timings.Fill = SecondsSince(start);
    return filled;
}

bool TPyScene::Fill(const TPyGrid& G, bool LowMemory) {
    const TQorUpdateScope scope(FChart);
    FChart.ClearData();
    FChart.SetUseLowMemory(LowMemory);
    const bool sized = G.Kind == dk3D   ? FChart.SetSize3D(G.NX, G.NZ, false)
                       : G.Kind == dk4D ? FChart.SetSize4D(G.NX, G.NY, G.NZ, false)
                                        : FChart.SetSize4DSurface(G.NX, G.NY, G.NZ, false);
    if (!sized || FChart.Data().empty()) {
        FChart.ClearData();
        MarkDataReal(FChart);
        return false;
    }
    if (FChart.LowMemoryLayout()) {
        std::copy(G.X.begin(), G.X.end(), FChart.XValues().begin());
        std::copy(G.Z.begin(), G.Z.end(), FChart.ZValues().begin());
        if (G.Kind != dk3D)
            std::copy(G.Y.begin(), G.Y.end(), FChart.YValues().begin());
        CopyValues(G, FChart.Data().data());
    } else {
        // A single piece is read where it lies; pieces are joined first.
        std::vector<float> joined;
        const float* values = G.Pieces.size() == 1 ? G.Pieces.front().data() : nullptr;
        if (values == nullptr) {
            size_t n = 0;
            for (const std::span<const float> piece : G.Pieces)
                n += piece.size();
            joined.resize(n);
            CopyValues(G, joined.data());
            values = joined.data();
        }
        float* d = FChart.Data().data();
        if (G.Kind == dk3D) {
            const size_t nz = size_t(G.NZ);
            const size_t pieces = size_t(G.NX) * nz >= FillPiecePoints
                                      ? std::min<size_t>(QorParallel::Threads() * 4, nz)
                                      : 1;
            QorParallel::For(pieces, [&](size_t p) {
                FillSurfaceRows(G, values, d, nz * p / pieces, nz * (p + 1) / pieces);
            });
        } else {
            Fill4DPoints(G, values, d);
        }
    }
    FChart.UpdateRanges();
    if (G.Kind == dk3D)
        FChart.UpdateNormals();
    MarkDataReal(FChart);
    FChart.Changed();
    return true;
}

TQorOpenOutcome TPyScene::Open(const std::string& FileName, const TQorImportOptions& Options) {
    FChart.SetUseLowMemory(true);
    return OpenChartData(FChart, nullptr, FileName, false, Options);
}

void TPyScene::ApplyProperties(const std::string& Text) {
    TQorColorScaleFileLegend legend(FLegend);
    ApplyChartPropertyText(FChart, &legend, Text);
}

void TPyScene::ApplyView(const TPyView& View) {
    const TQorUpdateScope scope(FChart);
    if (View.RotX)
        FChart.SetViewRotX(*View.RotX);
    if (View.RotY)
        FChart.SetViewRotY(*View.RotY);
    if (View.ShiftX)
        FChart.SetViewMoveX(*View.ShiftX);
    if (View.ShiftY)
        FChart.SetViewMoveY(*View.ShiftY);
    if (View.ShiftZ)
        FChart.SetViewMoveZ(*View.ShiftZ);
    if (View.Zoom)
        FChart.SetViewScale(*View.Zoom);
}

TPyView TPyScene::View() const {
    return {FChart.ViewRotX(),  FChart.ViewRotY(),  FChart.ViewMoveX(),
            FChart.ViewMoveY(), FChart.ViewMoveZ(), FChart.ViewScale()};
}

QImage TPyScene::Draw(int Width, int Height, bool Legend, std::string& Error) {
    const auto start = std::chrono::steady_clock::now();
    ChartToColorScale(FChart, FLegend);
    QImage picture =
        QorPaint::RenderPicture(FChart, Legend ? &FLegend : nullptr, Width, Height, "", Error);
    Timings.Draw = SecondsSince(start);
    return picture;
}

std::string TPyScene::Save(const std::string& FileName, bool WithProperties) {
    TQorColorScaleFileLegend legend(FLegend);
    if (SaveChartFile(FChart, WithProperties ? &legend : nullptr, FileName, WithProperties, true) ==
        0)
        return {};
    const std::string why = ChartSaveProblem(FChart);
    return "cannot save " + FileName + (why.empty() ? "" : ": " + why);
}

std::string PyPictureSizeProblem(int Width, int Height) {
    if (Width >= 1 && Height >= 1 && Width <= QorPaint::MaxPictureSide &&
        Height <= QorPaint::MaxPictureSide)
        return {};
    return "bad size " + std::to_string(Width) + "x" + std::to_string(Height) +
           " (WxH, 1 ... 16384 each)";
}

void CopyPictureRgb(const QImage& Picture, uint8_t* Out) {
    // Rows of 0xffRRGGBB words.
    const int w = Picture.width();
    for (int y = 0; y < Picture.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(Picture.constScanLine(y));
        for (int x = 0; x < w; ++x, Out += 3) {
            Out[0] = uint8_t(qRed(line[x]));
            Out[1] = uint8_t(qGreen(line[x]));
            Out[2] = uint8_t(qBlue(line[x]));
        }
    }
}
