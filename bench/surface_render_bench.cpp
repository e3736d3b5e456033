// Surfaces of 500 x 500 and 1000 x 1000 points at 800 x 600 through OSMesa, solid, shiny and
// wired. In one persistent context: the plain submission of the chart's geometry by vertex
// arrays and by immediate mode (the limit on this renderer), the chart's steady-state frame
// (repeated paints turning by a degree, as the window paints while the user turns it) from
// either layout, and the chart's data alone at full and at reduced density. Then the chart's
// export, which makes its own context each time. The time per iteration is the time per frame.
#include "chart/Qor3DChart.h"
#include "gl/Qor3DOSMesa.h"
#include "render/Qor3DChartPaint.h"
#include "render/Qor3DChartScene.h"
#include "render/Qor3DSurfacePainter.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <map>
#include <memory>
#include <vector>

using namespace QorPaint;

namespace {

constexpr int ViewWidth = 800;
constexpr int ViewHeight = 600;

enum TStyle { Solid, Shiny, Wired };

bool FillWaves(TQor3DChart& Chart, int n, bool LowMemory) {
    Chart.SetUseLowMemory(LowMemory);
    if (!Chart.SetSize3D(n, n))
        return false;
    for (int k = 0; k < n; ++k)
        for (int i = 0; i < n; ++i) {
            const float h = float(std::sin(i * 15.0 / n) * std::cos(k * 10.0 / n));
            const size_t p = size_t(i) + size_t(n) * size_t(k);
            if (LowMemory) {
                Chart.Data()[p] = h;
            } else {
                Chart.Data()[3 * p] = float(i);
                Chart.Data()[3 * p + 1] = h;
                Chart.Data()[3 * p + 2] = float(k);
            }
        }
    if (LowMemory)
        for (int i = 0; i < n; ++i)
            Chart.XValues()[size_t(i)] = Chart.ZValues()[size_t(i)] = float(i);
    Chart.UpdateRanges();
    Chart.UpdateNormals();
    return true;
}

// One chart per grid size and layout, kept for the whole run.
TQor3DChart* Chart(int n, bool LowMemory) {
    static std::map<std::pair<int, bool>, std::unique_ptr<TQor3DChart>> charts;
    std::unique_ptr<TQor3DChart>& c = charts[{n, LowMemory}];
    if (!c) {
        c = std::make_unique<TQor3DChart>();
        if (!FillWaves(*c, n, LowMemory))
            c.reset();
    }
    return c.get();
}

// The persistent context, made current again by every benchmark (an export in between makes
// and releases its own).
class TContext {
public:
    TContext() : FImage(ViewWidth, ViewHeight, QImage::Format_RGB32) {
        FSurface = OSMesaPlatform().CreateBitmapSurface(FImage);
        FRC = CreateRenderingContext(FSurface.get(), {TContextOption::GdiSupport},
                                     {.ColorBits = 32, .DepthBits = 24});
    }
    void Activate() { ActivateRenderingContext(FSurface.get(), FRC); }

private:
    QImage FImage;
    std::unique_ptr<TGLSurface> FSurface;
    HGLRC FRC = nullptr;
};

TContext& Context() {
    static TContext context;
    return context;
}

// What the drawing control does before the chart paints: projection, lights, cleared buffers
// and the view transform, turned by Angle about the vertical.
void BeginFrame(double Angle) {
    const TGLFunctions& gl = GL();
    gl.Viewport(0, 0, ViewWidth, ViewHeight);
    gl.MatrixMode(GL_PROJECTION);
    gl.LoadIdentity();
    gl.Frustum(-0.4, 0.4, -0.3, 0.3, 1, 100);
    gl.MatrixMode(GL_MODELVIEW);
    gl.LoadIdentity();
    gl.LightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    static constexpr GLfloat position[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    gl.Lightfv(GL_LIGHT0, GL_POSITION, position);
    gl.Enable(GL_LIGHTING);
    gl.Enable(GL_LIGHT0);
    gl.ColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    gl.Enable(GL_COLOR_MATERIAL);
    gl.Enable(GL_NORMALIZE);
    // The chart's data lighting, so that every submission lights the same way.
    SetDataLighting(true);
    gl.ClearColor(1, 1, 1, 0);
    gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl.DepthFunc(GL_LESS);
    gl.Enable(GL_DEPTH_TEST);
    gl.Translated(0, 0, -3);
    gl.Rotated(20, 1, 0, 0);
    gl.Rotated(30 + Angle, 0, 1, 0);
}

void EndFrame() {
    GL().Flush();
    GL().Finish();
}

void SetArgs(benchmark::internal::Benchmark* B, bool Layouts) {
    if (Layouts)
        B->ArgNames({"n", "style", "lowmem"})
            ->ArgsProduct({{500, 1000}, {Solid, Shiny, Wired}, {0, 1}});
    else
        B->ArgNames({"n", "style"})->ArgsProduct({{500, 1000}, {Solid, Shiny, Wired}});
    // OSMesa renders on threads of its own: the wall time is the frame time.
    B->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
}

// ---- Plain submission ----

// The chart's geometry as arrays a plain program would hand GL: positions, the stored normals
// and palette coordinates, in the scene frame of the chart.
struct TPlainGeometry {
    int N = 0;
    std::vector<float> Positions;
    std::vector<int16_t> Normals;
    std::vector<float> Tex;
    std::vector<GLuint> Indices;
    TQorSceneFrame Frame;
    std::array<double, 3> Centre{};
    std::array<uint8_t, 1024> Palette{};

    explicit TPlainGeometry(TQor3DChart& Chart) : N(Chart.NX()) {
        Positions.assign(Chart.Data().begin(), Chart.Data().end());
        Normals.assign(Chart.Normals().begin(), Chart.Normals().end());
        SetDisplayedRanges(Chart);
        Frame = ComputeSceneFrame(Chart);
        for (int a = 0; a < 3; ++a) {
            const TQorChartAxis3D& axis = a == 0   ? Chart.AxisX()
                                          : a == 1 ? Chart.AxisY()
                                                   : Chart.AxisZ();
            Centre[size_t(a)] = (axis.Layout.DisplayMin + axis.Layout.DisplayMax) / 2;
        }
        const TQorPaletteMap map =
            PaletteMap(Chart.AxisY().Layout.DisplayMin, Chart.AxisY().Layout.DisplayMax);
        Tex.resize(Positions.size() / 3);
        for (size_t p = 0; p < Tex.size(); ++p)
            Tex[p] = float(map.Coord(Positions[3 * p + 1]));
        for (size_t i = 0; i < Palette.size(); ++i)
            Palette[i] = uint8_t(i);
        Indices.resize(2 * size_t(N));
    }

    // Within a scope of its own matrix.
    void Begin(bool Textured) const {
        const TGLFunctions& gl = GL();
        gl.Scaled(1 / Frame.RX, 1 / Frame.RY, 1 / Frame.RZ);
        gl.Translated(-Centre[0], -Centre[1], -Centre[2]);
        gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        gl.Color4ub(255, 255, 255, 255);
        if (!Textured)
            return;
        gl.Enable(GL_TEXTURE_1D);
        gl.TexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        gl.TexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        gl.TexImage1D(GL_TEXTURE_1D, 0, GL_RGB, 256, 0, GL_RGBA, GL_UNSIGNED_BYTE, Palette.data());
    }
    static void End() { GL().Disable(GL_TEXTURE_1D); }
    void Arrays(bool Wired, bool Textured) {
        const TGLFunctions& gl = GL();
        gl.EnableClientState(GL_VERTEX_ARRAY);
        gl.EnableClientState(GL_NORMAL_ARRAY);
        gl.VertexPointer(3, GL_FLOAT, 0, Positions.data());
        gl.NormalPointer(GL_SHORT, 0, Normals.data());
        if (Textured) {
            gl.EnableClientState(GL_TEXTURE_COORD_ARRAY);
            gl.TexCoordPointer(1, GL_FLOAT, 0, Tex.data());
        }
        const GLuint n = GLuint(N);
        if (Wired) {
            for (GLuint r = 0; r < n; ++r) {
                for (GLuint c = 0; c < n; ++c)
                    Indices[c] = c + n * r;
                gl.DrawElements(GL_LINE_STRIP, GLsizei(n), GL_UNSIGNED_INT, Indices.data());
            }
            for (GLuint c = 0; c < n; ++c) {
                for (GLuint r = 0; r < n; ++r)
                    Indices[r] = c + n * r;
                gl.DrawElements(GL_LINE_STRIP, GLsizei(n), GL_UNSIGNED_INT, Indices.data());
            }
        } else {
            for (GLuint r = 0; r + 1 < n; ++r) {
                for (GLuint c = 0; c < n; ++c) {
                    Indices[2 * c] = c + n * r;
                    Indices[2 * c + 1] = c + n * (r + 1);
                }
                gl.DrawElements(GL_QUAD_STRIP, GLsizei(2 * n), GL_UNSIGNED_INT, Indices.data());
            }
        }
        gl.DisableClientState(GL_VERTEX_ARRAY);
        gl.DisableClientState(GL_NORMAL_ARRAY);
        if (Textured)
            gl.DisableClientState(GL_TEXTURE_COORD_ARRAY);
    }

    void Immediate(bool Wired, bool Textured) const {
        const TGLFunctions& gl = GL();
        const size_t n = size_t(N);
        const auto vertex = [&](size_t p) {
            if (Textured)
                gl.TexCoord1f(Tex[p]);
            gl.Normal3sv(&Normals[3 * p]);
            gl.Vertex3fv(&Positions[3 * p]);
        };
        if (Wired) {
            for (size_t r = 0; r < n; ++r) {
                const TGLPrimitive strip(gl, GL_LINE_STRIP);
                for (size_t c = 0; c < n; ++c)
                    vertex(c + n * r);
            }
            for (size_t c = 0; c < n; ++c) {
                const TGLPrimitive strip(gl, GL_LINE_STRIP);
                for (size_t r = 0; r < n; ++r)
                    vertex(c + n * r);
            }
        } else {
            for (size_t r = 0; r + 1 < n; ++r) {
                const TGLPrimitive strip(gl, GL_QUAD_STRIP);
                for (size_t c = 0; c < n; ++c) {
                    vertex(c + n * r);
                    vertex(c + n * (r + 1));
                }
            }
        }
    }
};

// One plain frame: the coloured pass, and the highlight pass when shiny.
void PlainFrame(TPlainGeometry& Geometry, TStyle Style, bool UseArrays, double Angle) {
    const auto pass = [&](bool Textured) {
        if (UseArrays)
            Geometry.Arrays(Style == Wired, Textured);
        else
            Geometry.Immediate(Style == Wired, Textured);
    };
    BeginFrame(Angle);
    {
        const TGLMatrixScope scene(GL());
        Geometry.Begin(true);
        pass(true);
        if (Style == Shiny) {
            GL().Disable(GL_TEXTURE_1D);
            const TGLHighlight highlight(GL());
            pass(false);
        }
        TPlainGeometry::End();
    }
    EndFrame();
}

template <bool UseArrays> void BM_Plain(benchmark::State& state) {
    TQor3DChart* chart = Chart(int(state.range(0)), false);
    if (chart == nullptr)
        return state.SkipWithError("the grid does not fit");
    TPlainGeometry geometry(*chart);
    Context().Activate();
    double angle = 0;
    // The renderer compiles its code for a state on first use: one frame ahead.
    PlainFrame(geometry, TStyle(state.range(1)), UseArrays, angle);
    for (auto _ : state)
        PlainFrame(geometry, TStyle(state.range(1)), UseArrays, angle += 1);
    DeactivateRenderingContext();
}

BENCHMARK_TEMPLATE(BM_Plain, true)->Name("PlainArrays")->Apply([](auto* b) { SetArgs(b, false); });
BENCHMARK_TEMPLATE(BM_Plain, false)->Name("PlainImmediate")->Apply([](auto* b) {
    SetArgs(b, false);
});

// ---- The chart in the persistent context ----

TQor3DChart* StyledChart(benchmark::State& state) {
    TQor3DChart* chart = Chart(int(state.range(0)), state.range(2) != 0);
    if (chart == nullptr) {
        state.SkipWithError("the grid does not fit");
        return nullptr;
    }
    chart->SetShiny(TStyle(state.range(1)) == Shiny);
    chart->SetWired(TStyle(state.range(1)) == Wired);
    return chart;
}

// The steady-state frame: the whole scene (axes, grid planes, labels, data) turning by a degree
// per frame.
void ChartFrame(TQor3DChart& Chart, double Angle) {
    BeginFrame(Angle);
    PaintScene(Chart, {0, 0, ViewWidth, ViewHeight}, {true, false});
    EndFrame();
}

void BM_ChartFrame(benchmark::State& state) {
    TQor3DChart* chart = StyledChart(state);
    if (chart == nullptr)
        return;
    Context().Activate();
    double angle = 0;
    ChartFrame(*chart, angle);
    for (auto _ : state)
        ChartFrame(*chart, angle += 1);
    DeactivateRenderingContext();
    if (!chart->LastPaintError().empty())
        state.SkipWithError(chart->LastPaintError().c_str());
}
BENCHMARK(BM_ChartFrame)->Name("ChartFrame")->Apply([](auto* b) { SetArgs(b, true); });

// The steady-state frame against the plain array submission of the same geometry, frame by
// frame in turn, so that the load of a busy machine falls on both alike: "ratio" is the
// chart's time over the plain one (the goal: at most 1.1).
void BM_FrameRatio(benchmark::State& state) {
    TQor3DChart* chart = StyledChart(state);
    TQor3DChart* full = Chart(int(state.range(0)), false);
    if (chart == nullptr || full == nullptr)
        return;
    TPlainGeometry geometry(*full);
    const auto style = TStyle(state.range(1));
    Context().Activate();
    double angle = 0;
    PlainFrame(geometry, style, true, angle);
    ChartFrame(*chart, angle);
    double plain = 0;
    double frame = 0;
    using TClock = std::chrono::steady_clock;
    for (auto _ : state) {
        angle += 1;
        const TClock::time_point t0 = TClock::now();
        PlainFrame(geometry, style, true, angle);
        const TClock::time_point t1 = TClock::now();
        ChartFrame(*chart, angle);
        const TClock::time_point t2 = TClock::now();
        plain += std::chrono::duration<double, std::milli>(t1 - t0).count();
        frame += std::chrono::duration<double, std::milli>(t2 - t1).count();
    }
    DeactivateRenderingContext();
    const double n = double(state.iterations());
    state.counters["plain_ms"] = plain / n;
    state.counters["chart_ms"] = frame / n;
    state.counters["ratio"] = plain > 0 ? frame / plain : 0;
}
BENCHMARK(BM_FrameRatio)->Name("FrameRatio")->Apply([](auto* b) { SetArgs(b, true); });

// The chart's data alone in its scene frame, at full density or at the density of a turning
// 800 x 600 view.
template <bool Turning> void BM_ChartData(benchmark::State& state) {
    TQor3DChart* chart = StyledChart(state);
    if (chart == nullptr)
        return;
    Context().Activate();
    SetDisplayedRanges(*chart);
    TQorSceneFrame frame = ComputeSceneFrame(*chart);
    if (Turning)
        frame.TurningView = {ViewWidth, ViewHeight};
    const auto centre = [](const TQorChartAxis3D& a) {
        return (a.Layout.DisplayMin + a.Layout.DisplayMax) / 2;
    };
    double angle = 0;
    const auto draw = [&] {
        BeginFrame(angle += 1);
        const TGLFunctions& gl = GL();
        {
            const TGLMatrixScope scene(gl);
            gl.Scaled(1 / frame.RX, 1 / frame.RY, 1 / frame.RZ);
            gl.Translated(-centre(chart->AxisX()), -centre(chart->AxisY()),
                          -centre(chart->AxisZ()));
            gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
            SetupChartColorSource(*chart, frame);
            DrawChartSurface(*chart, frame);
        }
        EndFrame();
    };
    // The renderer compiles its code for a state on first use: one frame ahead.
    draw();
    for (auto _ : state)
        draw();
    DeactivateRenderingContext();
}
BENCHMARK_TEMPLATE(BM_ChartData, false)->Name("ChartDataFull")->Apply([](auto* b) {
    SetArgs(b, true);
});
BENCHMARK_TEMPLATE(BM_ChartData, true)->Name("ChartDataTurning")->Apply([](auto* b) {
    SetArgs(b, true);
});

// ---- Export ----

void BM_ChartExport(benchmark::State& state) {
    TQor3DChart* chart = StyledChart(state);
    if (chart == nullptr)
        return;
    for (auto _ : state) {
        const QImage image = RenderChartImage(*chart, ViewWidth, ViewHeight);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_ChartExport)->Name("ChartExport")->Apply([](auto* b) { SetArgs(b, true); });

} // namespace

int main(int argc, char** argv) {
    // Axis labels need fonts, and so a GUI application, also without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
