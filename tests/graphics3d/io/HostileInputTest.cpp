// Files a careless or hostile user may hand the chart reader and writer: each class of input
// must end in a clean result, never a crash, a hang, a flood of output or a file that does not
// read back. (The command-line cases are in tests/app/cli/PlotyraCliTest.cpp, the axis cases
// in tests/graphics3d/render/Qor3DAxisPainterHostileTest.cpp.)
#include "io/Qor3DChartFile.h"

#include "HostileInputSupport.h"
#include "Qor3DChartTestSupport.h"
#include "Qor3DPaintTestSupport.h"
#include "Qor3DPictureSupport.h"
#include "QorColSc.h"
#include "QorDataText.h"
#include "QorPropText.h"
#include "TestSupport.h"
#include "chart/Qor3DChart.h"
#include "io/Qor3DChartFileLegend.h"
#include "render/Qor3DChartPaint.h"
#include "render/Qor3DChartScene.h"
#include "render/Qor3DSurfacePainter.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace QorPaint;

namespace {

std::string Grid3D(int n) {
    std::string text = "<3D>\r\n" + std::to_string(n) + "\t" + std::to_string(n) + "\r\n";
    for (int line = 0; line <= 2 * n; ++line) {
        const int count = line == 0 ? n : line <= n ? 1 : n;
        for (int i = 0; i < count; ++i)
            text += std::to_string((line * 7 + i * 3) % 11) + (i + 1 < count ? "\t" : "\r\n");
    }
    return text;
}

// A file that shrinks or changes while it is read gives -1 (it used to fault the process
// through its memory map) and says so; the chart is usable afterwards.
TEST_F(HostileInput, FileThatShrinksOrChangesUnderTheReaderFails) {
    const std::string text = Grid3D(300);
    const std::string file = Write("shrinks.p3d", text);
    for (const uint64_t piece : {uint64_t(1) << 20, uint64_t(4096)}) {
        ASSERT_EQ(truncate(file.c_str(), off_t(text.size())), 0);
        Write("shrinks.p3d", text);
        TQorTextSource source;
        ASSERT_TRUE(source.Open(file));
        ASSERT_EQ(truncate(file.c_str(), off_t(text.size() / 3)), 0);
        TQor3DChart chart;
        TQorLoadReport report;
        EXPECT_EQ(LoadChartText(chart, source, true, {piece, 2}, &report), -1);
        EXPECT_EQ(report.Error, "the file changed while it was read");
        EXPECT_EQ(report.Line, 0);
        chart.UpdateRanges();
    }
    const std::string changes = Write("changes.p3d", text);
    TQorTextSource source;
    ASSERT_TRUE(source.Open(changes));
    std::this_thread::sleep_for(std::chrono::milliseconds(20)); // a later time stamp
    std::string other = text;
    other[text.size() - 3] = '9';
    std::ofstream(changes, std::ios::binary | std::ios::in | std::ios::out) << other;
    TQor3DChart chart;
    EXPECT_EQ(LoadChartText(chart, source, true), -1) << "same size, other bytes";
}

// Shrinking while a loop loads the file again and again, as the viewer's playback does.
TEST_F(HostileInput, RepeatedLoadsSurviveAFileShrinkingMeanwhile) {
    const std::string text = Grid3D(400);
    const std::string file = Write("playback.p3d", text);
    std::atomic<bool> done{false};
    std::thread shrinker([&] {
        for (int i = 0; !done; ++i) {
            truncate(file.c_str(), off_t(text.size() / size_t(2 + i % 5)));
            Write("playback.p3d", text);
        }
    });
    int failures = 0;
    for (int i = 0; i < 40; ++i) {
        TQor3DChart chart;
        failures += LoadChartFile(chart, nullptr, file, true) != 0;
    }
    done = true;
    shrinker.join();
    SUCCEED() << failures << " of 40 loads saw a changing file";
}

// An existing target that is not a regular file is written in place, never replaced; a
// folder is refused.
TEST_F(HostileInput, SavingOntoAFifoWritesIntoItAndKeepsIt) {
    const std::string fifo = Fifo("out.fifo");
    std::string received;
    std::thread reader([&] { received = ReadFileText(fifo); });
    TQor3DChart chart;
    ASSERT_TRUE(chart.SetSize3D(1, 1));
    EXPECT_EQ(chart.SaveToFile(fifo, false, false), 0);
    reader.join();
    struct stat st {};
    ASSERT_EQ(stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(received, "<3D Hi>\r\n1\t1\r\n0\r\n0\r\n0\r\n");
    EXPECT_EQ(chart.SaveToFile(dir.Path().string(), false, false), -1);
}

// A grid of no points is the empty chart: counts 0 x 2147483647 once loaded and then wrote
// billions of empty lines.
TEST_F(HostileInput, ZeroByHugeGridsAreEmptyChartsThatWriteOnlyTheirHeader) {
    for (const char* text :
         {"<4D Hi>\r\n0 0 2147483647\r\n", "<4D Hi>\r\n2147483647 5 0\r\n",
          "<4D surface Hi>\r\n0 0 2147483647\r\n", "<4D surface Hi>\r\n2147483647 0 0\r\n",
          "<Nx4D>\r\n2\r\n0 2147483647\r\n2147483647 0\r\n"}) {
        SCOPED_TRACE(text);
        for (const bool low : {false, true}) {
            TQor3DChart chart;
            chart.SetUseLowMemory(low);
            ASSERT_EQ(chart.LoadFromText(text, false), 0);
            EXPECT_EQ(chart.NX() + chart.NY() + chart.NZ(), 0);
            EXPECT_TRUE(chart.Data().empty());
            ASSERT_EQ(chart.SaveToFile(dir.File("out.txt"), false, false), 0);
            EXPECT_LT(std::filesystem::file_size(dir.File("out.txt")), 64u);
        }
    }
    TQor3DChart layers;
    ASSERT_EQ(layers.LoadFromText("<Nx4D>\r\n2\r\n0 99999\r\n1 1\r\n1 2 3 4\r\n", false), 0);
    EXPECT_EQ(layers.Layers(), (TArrXZInteger{{0, 0}, {1, 1}})) << "layer numbers stay";
}

// Values beyond the float range and NaN make the writer put INF, -INF and NAN (a logarithmic
// axis over non-positive data writes the values read); the reader takes those words, so the
// file loads again, and in any letter case, as other programs write them (NaN is a hole).
TEST_F(HostileInput, EveryFileTheProgramWritesLoadsAgain) {
    TQor3DChart chart;
    ASSERT_EQ(chart.LoadFromText(
                  "<3D>\r\n4 2\r\n1 2 3 4\r\n-1\r\n10\r\n1e39 -1e39 -5 NAN\r\n0 0 0 0\r\n", false),
              0);
    chart.AxisZ().SetLogarithmic(true); // log10(-1) is NaN
    chart.Changed();
    const std::string file = dir.File("nonfinite.p3d");
    ASSERT_EQ(chart.SaveToFile(file, true, true), 0);
    const std::string text = ReadFileText(file);
    EXPECT_EQ(
        text.rfind("<3D>\r\n4\t2\r\n1\t2\t3\t4\r\n-1\r\n10\r\nINF\t-INF\t-5\tNAN\r\n0\t0\t0\t0\r\n",
                   0),
        0u)
        << text.substr(0, 60);
    TQor3DChart back;
    ASSERT_EQ(back.LoadFromFile(file, true), 0);
    ASSERT_EQ(back.SaveToFile(dir.File("again.p3d"), true, true), 0);
    EXPECT_EQ(ReadFileText(dir.File("again.p3d")), text);
    TQor3DChart fresh;
    const std::string head = "<3D>\r\n3 1\r\n0 1 2\r\n0\r\n5 ";
    const float inf = std::numeric_limits<float>::infinity();
    const std::pair<const char*, float> words[] = {{"inf", inf},   {"Inf", inf}, {"-inf", -inf},
                                                   {"-iNF", -inf}, {"nan", NAN}, {"NaN", NAN},
                                                   {"nAn", NAN}};
    for (const auto& [word, expected] : words) {
        SCOPED_TRACE(word);
        ASSERT_EQ(fresh.LoadFromText(head + word + " 7", false), 0);
        const float v = fresh.LowMemoryLayout() ? fresh.Data()[1] : fresh.Data()[4];
        EXPECT_TRUE(std::isnan(expected) ? std::isnan(v) : v == expected) << v;
        EXPECT_DOUBLE_EQ(fresh.AxisY().Minimum(), 5) << "ranges take finite values only";
        EXPECT_DOUBLE_EQ(fresh.AxisY().Maximum(), 7);
    }
    for (const char* other : {"+INF", "-NAN", "INFINITY", "NA", "infinity"}) {
        TQorLoadReport report;
        EXPECT_EQ(LoadChartText(fresh, TQorTextSource(head + other), false, {}, &report), -1);
        EXPECT_EQ(report.Error, "'" + std::string(other) + "' is not a number");
    }
}

// A logarithmic axis stores float logarithms, which lose the sign of non-positive values
// (written back as NAN) and drift the others (7 came back as 6.99999965558827). A save writes
// back the values read, in every form and layout, as does switching the axes back to linear;
// a value that is no longer known is refused, never written as NAN.
TEST_F(HostileInput, LogarithmicAxesSaveTheValuesRead) {
    const auto save = [&](const TQor3DChart& Chart) {
        EXPECT_EQ(Chart.SaveToFile(dir.File("out.txt"), false, false), 0);
        return ReadFileText(dir.File("out.txt"));
    };
    for (const char* text :
         {"<3D>\r\n3 2\r\n7 0 -3\r\n0.1\r\n-2\r\n7 0.3 -1\r\n1e-30 NAN 1e39\r\n",
          "<3D Hi>\r\n2 2\r\n7 -3\r\n0 0.1\r\n-1 7\r\n0.5 -1e39\r\n5 0\r\n-2 3\r\n",
          "<4D>\r\n2 2 1\r\n7 -3\r\n0 0.1\r\n-5\r\n\r\n1 2\r\n3 4\r\n",
          "<4D Hi>\r\n2 1 1\r\n7 -3\r\n\r\n0 0.1\r\n\r\n-5 7\r\n\r\n1 2\r\n",
          "<Nx4D>\r\n1\r\n2 1\r\n7 0 -3 1 0.1 -2 NAN 2\r\n"}) {
        for (const bool low : {false, true}) {
            SCOPED_TRACE(std::string(text) + (low ? " low memory" : ""));
            TQor3DChart linear;
            linear.SetUseLowMemory(low);
            ASSERT_EQ(linear.LoadFromText(text, false), 0);
            const std::string expected = save(linear);
            TQor3DChart chart;
            chart.SetUseLowMemory(low);
            for (TQorChartAxis3D* a : {&chart.AxisX(), &chart.AxisY(), &chart.AxisZ()})
                a->SetLogarithmic(true);
            ASSERT_EQ(chart.LoadFromText(text, false), 0);
            EXPECT_EQ(save(chart), expected);
            EXPECT_EQ(ChartSaveProblem(chart), "");
            EXPECT_EQ(chart.SaveToFile(dir.File("props.txt"), false, true), 0);
            EXPECT_EQ(ReadFileText(dir.File("props.txt")).rfind(expected, 0), 0u)
                << "with properties too";
            for (TQorChartAxis3D* a : {&chart.AxisX(), &chart.AxisY(), &chart.AxisZ()})
                a->SetLogarithmic(false);
            EXPECT_EQ(save(chart), expected) << "back to linear";
        }
    }
    // Logarithms stored without the values they came from: NAN would be a value the data
    // never held, so the save fails and leaves the target alone.
    TQor3DChart chart;
    chart.AxisY().SetLogarithmic(true);
    ASSERT_TRUE(chart.SetSize3D(2, 1));
    const float lost[] = {1, std::log10(7.0f), 1, 2, NAN, 1};
    std::copy(std::begin(lost), std::end(lost), chart.Data().begin());
    EXPECT_EQ(chart.SaveToFile(dir.File("lost.p3d"), false, true), -1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("lost.p3d")));
    EXPECT_NE(ChartSaveProblem(chart).find("logarithmic Y axis"), std::string::npos);
    chart.Data()[4] = 0;
    EXPECT_EQ(chart.SaveToFile(dir.File("lost.p3d"), false, true), 0);
}

// Filter weights that add up to zero made every new point 0/0, the whole grid NaN. Stored
// settings can hold any pair: the density operations refuse it and leave the grid as it is.
TEST_F(HostileInput, DensityWeightsThatAddUpToZeroLeaveTheGridAlone) {
    for (const bool low : {false, true}) {
        TQor3DChart chart;
        chart.SetUseLowMemory(low);
        Fill3D(chart, 6, 5, Identity, Identity, [](double x, double z) { return x * x - z; });
        const TArrGLfloat before = chart.Data();
        for (const auto& [nearWeight, farWeight] :
             {std::pair{1, -1}, std::pair{-1000000, 1000000}, std::pair{0, 0}}) {
            EXPECT_FALSE(TQor3DChart::DensityWeightsUsable(nearWeight, farWeight));
            EXPECT_FALSE(chart.IncreaseDensity(nearWeight, farWeight));
            EXPECT_FALSE(chart.IncreaseDensityX(nearWeight, farWeight));
            EXPECT_EQ(chart.NX(), 6);
            EXPECT_EQ(chart.NZ(), 5);
            EXPECT_EQ(chart.Data(), before);
        }
        ASSERT_TRUE(chart.IncreaseDensity(1, -2)) << "a sum of -1 is usable";
        EXPECT_EQ(chart.NX(), 11);
        for (const float v : chart.Data())
            EXPECT_TRUE(std::isfinite(v));
    }
}

// One non-finite value no longer makes the ranges infinite (nor the legend 0 ... 1): ranges
// and normals take the finite values only.
TEST_F(HostileInput, NonFiniteValuesLeaveRangesAndNormalsFinite) {
    TQor3DChart surface;
    ASSERT_EQ(
        surface.LoadFromText("<3D>\r\n3 2\r\n0 1 2\r\n0\r\n1\r\nNAN 1 2\r\n3 INF 5\r\n", false), 0);
    EXPECT_DOUBLE_EQ(surface.AxisY().Minimum(), 1);
    EXPECT_DOUBLE_EQ(surface.AxisY().Maximum(), 5);
    ASSERT_EQ(surface.Normals().size(), 18u);
    for (const int16_t n : surface.Normals())
        EXPECT_LE(std::abs(int(n)), 32000);
    EXPECT_GT(surface.Normals()[3 * 2 + 1], 0) << "point (2, 0) has finite neighbours";
    TQor3DChart volume;
    ASSERT_EQ(volume.LoadFromText("<4D>\r\n2 1 1\r\n0 1\r\n0\r\n0\r\n\r\n-INF 7\r\n", false), 0);
    EXPECT_FLOAT_EQ(volume.ValueMin(), 7);
    EXPECT_FLOAT_EQ(volume.ValueMax(), 8);
    TQor3DChart none;
    ASSERT_EQ(none.LoadFromText("<4D>\r\n1 1 1\r\n0\r\n0\r\n0\r\n\r\nNAN\r\n", false), 0);
    EXPECT_FLOAT_EQ(none.ValueMax(), 100) << "no finite value keeps the range";
}

// A property block of a million junk lines after the data: memory in proportion to the file
// and one lookup per key, not a pass over the block per key.
TEST_F(HostileInput, HugePropertyBlocksOfJunkLinesStillLoad) {
    std::string text = "<3D>\r\n1 1\r\n0\r\n0\r\n5\r\n";
    for (int i = 0; i < 500000; ++i)
        text += i % 2 == 0 ? "[\r\n" : "[x]\r\n";
    text += "[AxisY_AutoMax]\r\nFALSE\r\n[AxisY_Maximum]\r\n42\r\n";
    TQor3DChart chart;
    ASSERT_EQ(chart.LoadFromText(text, true), 0);
    EXPECT_DOUBLE_EQ(chart.AxisY().Maximum(), 42);
}

// Data, property and picture files must be regular files: a FIFO blocked for ever and
// /dev/zero ate all memory. A picture that cannot be used says why.
TEST_F(HostileInput, OnlyRegularFilesAreRead) {
    const std::string fifo = Fifo("in.fifo");
    for (const std::string& file : {fifo, std::string("/dev/zero"), dir.Path().string()}) {
        SCOPED_TRACE(file);
        TQor3DChart chart;
        TQorLoadReport report;
        ASSERT_TRUE(EndsWithoutBlocking(fifo, [&] {
            EXPECT_EQ(LoadChartFile(chart, nullptr, file, true, &report), -1);
            EXPECT_FALSE(ChartFileProblem(file).empty());
            EXPECT_EQ(report.Error, ChartFileProblem(file));
            TQorFileView view;
            EXPECT_FALSE(view.Open(file));
            std::string properties;
            EXPECT_FALSE(ReadChartPropertyText(file, properties));
            chart.SetColorBitmapName(file);
        }));
        EXPECT_TRUE(chart.ColorBitmap().isNull());
        EXPECT_EQ(chart.ColorBitmapProblem(),
                  file == dir.Path().string() ? "a folder" : "not a regular file");
    }
    TQor3DChart chart;
    chart.SetColorBitmapName(Write("no.png", "not a picture"));
    EXPECT_FALSE(chart.ColorBitmapProblem().empty());
    chart.SetColorBitmapName(dir.File("missing.png"));
    EXPECT_EQ(chart.ColorBitmapProblem(), "No such file or directory");
    EXPECT_EQ(ChartFileProblem(Write("ok.p3d", "1 1 0 0 1")), "");
    std::string properties;
    ASSERT_TRUE(
        ReadChartPropertyText(Write("p.p3d", "1 1 0 0 1\r\n[Wired]\r\nTRUE\r\n"), properties));
    EXPECT_EQ(properties, "[Wired]\r\nTRUE\r\n");
}

// Painting hostile data, through the recording back-end and the off-screen renderer.
class HostilePaint : public TRecordedPaint {
protected:
    using TCell = std::pair<int, int>;
    // The cells (lowest column, lowest row) the quadrilateral strips cover and the line
    // segments drawn, on a grid with x = column and z = row; every vertex drawn is finite.
    void Drawn(std::set<TCell>& Cells, std::set<std::pair<TCell, TCell>>& Segments) const {
        std::vector<std::array<double, 3>> strip;
        double mode = 0;
        const auto at = [&](size_t v) {
            return TCell{int(std::lround(strip[v][0])), int(std::lround(strip[v][2]))};
        };
        for (const auto& v : Stream()) {
            if (v[0] == -1) {
                strip.clear();
                mode = v[1];
            } else if (v[0] == -2) {
                for (size_t j = 0; mode == GL_QUAD_STRIP && j + 3 < strip.size(); j += 2)
                    Cells.insert(std::min({at(j), at(j + 1), at(j + 2), at(j + 3)}));
                for (size_t j = 0; mode == GL_LINE_STRIP && j + 1 < strip.size(); ++j)
                    Segments.insert(std::minmax(at(j), at(j + 1)));
            } else {
                EXPECT_TRUE(std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]));
                strip.push_back(v);
            }
        }
    }
    TQorSceneFrame frame;
};

// A point with a non-finite value is a hole: the cells and segments touching it are left out,
// everything else is drawn (it used to spoil the whole strip, or the whole chart).
TEST_F(HostilePaint, NonFinitePointsAreHolesInSurfacesAndLayers) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const TCell hole{1, 1};
    // 4 x 3 points: 6 cells, 17 segments; the hole touches 4 of each.
    const std::set<TCell> solid{{2, 0}, {2, 1}};
    const auto check = [&](const std::string& what, const std::set<TCell>& Cells, size_t Segments) {
        SCOPED_TRACE(what);
        std::set<TCell> cells;
        std::set<std::pair<TCell, TCell>> segments;
        Drawn(cells, segments);
        EXPECT_EQ(cells, Cells);
        for (const auto& [a, b] : segments)
            EXPECT_TRUE(a != hole && b != hole);
        EXPECT_EQ(segments.size(), Segments);
        rec.ClearLog();
    };
    for (const bool low : {false, true}) {
        TQor3DChart surface;
        surface.SetUseLowMemory(low);
        Fill3D(surface, 4, 3, Identity, Identity, [](double x, double z) { return x * z; });
        surface.Data()[low ? 5 : 3 * 5 + 1] = nan;
        surface.UpdateRanges();
        surface.UpdateNormals();
        surface.SetTransparency(5);
        rec.ClearLog();
        DrawChartSurface(surface, frame);
        check(low ? "low-memory surface" : "surface", solid, 0);
        surface.SetWired(true);
        DrawChartSurface(surface, frame);
        check(low ? "low-memory wire" : "wire", {}, 17u - 4u);
    }
    TQor3DChart list;
    ASSERT_TRUE(list.SetSizeNx4D({{4, 3}}));
    for (int p = 0; p < 12; ++p) {
        float* q = list.Data().data() + 4 * p;
        q[0] = float(p % 4), q[1] = 0, q[2] = float(p / 4), q[3] = p == 5 ? nan : float(p);
    }
    list.UpdateRanges();
    rec.ClearLog();
    DrawLayerList(list, frame);
    check("layer list", solid, 0);
}

// A 9000 x 1 picture (106 bytes of PNG) became a 16384 x 16384 texture, 1.9 GB, made again for
// every file of a batch. Each side is now rounded up to a power of two on its own, and charts
// naming the same unchanged picture file share its pixels and its texture.
TEST_F(HostilePaint, PictureTexturesHoldNoMoreThanThePicturesPixels) {
    TempDir dir;
    const std::string file = dir.File("strip.png");
    QImage strip(9000, 1, QImage::Format_RGB32);
    strip.fill(Qt::red);
    ASSERT_TRUE(strip.save(QString::fromStdString(file)));
    rec.Integers[GL_MAX_TEXTURE_SIZE] = {16384};
    std::shared_ptr<const TQorPictureTexture> first;
    for (int batch = 0; batch < 2; ++batch) {
        TQor3DChart chart;
        Fill3D(chart, 3, 3, Identity, Identity, [](double, double) { return 1; });
        chart.SetColorBitmapName(file);
        chart.SetColorBitmapApply(true);
        rec.ClearLog();
        SetupChartColorSource(chart, frame);
        ASSERT_TRUE(chart.PictureTexture());
        EXPECT_EQ(rec.Calls("glTexImage2D").at(0).Text(),
                  "glTexImage2D(GL_TEXTURE_2D, 0, 6407, 16384, 1, 0, GL_BGR, GL_UNSIGNED_BYTE)");
        EXPECT_EQ(chart.PictureTexture()->Pixels.size(), 16384u * 3);
        if (batch == 0)
            first = chart.PictureTexture();
        else
            EXPECT_EQ(chart.PictureTexture(), first) << "one texture for the batch";
    }
    // Another picture under the same name is read again.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    strip.fill(Qt::blue);
    ASSERT_TRUE(strip.save(QString::fromStdString(file)));
    TQor3DChart chart;
    chart.SetColorBitmapName(file);
    EXPECT_EQ(QColor(chart.ColorBitmap().pixel(0, 0)), QColor(Qt::blue));
    EXPECT_EQ(QorPaint::PictureTextureSize(16384, 6000, 4000),
              (QorPaint::TTextureSize{8192, 4096}));
    EXPECT_EQ(QorPaint::PictureTextureSize(16384, 4096, 1), (QorPaint::TTextureSize{4096, 1}));
    EXPECT_EQ(QorPaint::PictureTextureSize(2048, 9000, 3), (QorPaint::TTextureSize{2048, 4}));
}

// A 30 x 30 wave whose x and z start at X0 with spacing DX, its heights Y0 + YS * wave.
struct TCase {
    const char* Name;
    double X0, DX, Y0, YS;
};

constexpr TCase NearZero{"near zero", 0, 1, 0, 1};
// Far from the origin for their span, or of tiny or huge scale.
constexpr std::array<TCase, 4> FarCases{{{"heights about 1e7", 0, 1, 1e7, 10},
                                         {"heights of 1e12", 0, 1, 0, 1e12},
                                         {"spacing 1e-10", 0, 1e-10, 0, 1},
                                         {"x and z about 1e6", 1e6, 1, 0, 1}}};

void FillOffsetWave(TQor3DChart& chart, const TCase& c) {
    Fill3D(
        chart, 30, 30, [&](int i) { return c.X0 + c.DX * i; },
        [&](int k) { return c.X0 + c.DX * k; },
        [&](double x, double z) {
            return c.Y0 +
                   c.YS * std::sin((x - c.X0) / c.DX * 0.2) * std::cos((z - c.X0) / c.DX * 0.15);
        });
}

// Data far from the origin for their span, or of tiny or huge scale, draw as the same data
// near zero do (they were partly or wholly clipped away, or lost their shading).
TEST_F(HostileInput, DataAtAnyOffsetAndScaleDrawAsNearZero) {
    const auto coloured = [](const TCase& c, bool low) {
        TQor3DChart chart;
        chart.SetUseLowMemory(low);
        FillOffsetWave(chart, c);
        chart.UpdateRanges();
        chart.UpdateNormals();
        const QImage image = RenderChartImage(chart, 200, 150);
        return ColouredPixels(image, image.rect(), 60);
    };
    for (const bool low : {false, true}) {
        const int expected = coloured(NearZero, low);
        ASSERT_GT(expected, 1000);
        for (const TCase& c : FarCases) {
            const int got = coloured(c, low);
            EXPECT_NEAR(got, expected, expected / 50) << c.Name << (low ? ", low memory" : "");
        }
    }
}

// The axes and grid planes of data far from the origin for their span, or of tiny or huge
// scale, lie where those of the same data near zero do (they were drawn off place, or jittered,
// from raw coordinates in float). Only the axes and grid planes are pictured: the surface is
// fully transparent, and the tick labels, whose texts differ, are hidden; enough decimals let
// the tiny spacing keep the ticks of the unit one.
TEST_F(HostileInput, AxesAndGridsAtAnyOffsetAndScaleDrawAsNearZero) {
    const auto picture = [](const TCase& c) {
        TQor3DChart chart;
        FillOffsetWave(chart, c);
        chart.SetTransparency(10);
        chart.SetShiny(false);
        for (TQorChartAxis3D* a : {&chart.AxisX(), &chart.AxisY(), &chart.AxisZ()}) {
            a->SetAxis1Position(apMinimum);
            a->SetAxis2Position(apMinimum);
            a->SetVisibleStepText(false);
            a->SetDecPlacesMax(16);
            a->SetCaption("V");
        }
        chart.gridMajor().SetGridXZmin(true);
        chart.gridMinor().SetGridXYmin(true);
        chart.UpdateRanges();
        chart.UpdateNormals();
        return RenderChartImage(chart, 300, 220);
    };
    const QImage expected = picture(NearZero);
    ASSERT_GT(NonBackgroundPixels(expected), 2000);
    for (const TCase& c : FarCases)
        EXPECT_TRUE(PicturesAlike(std::string("axes ") + c.Name, expected, picture(c),
                                  {.Channel = 64, .Outliers = 0.002}));
}

// A list of 200,000 layers: each layer's start is found in one step (the sum over the layers
// before it was taken again for every layer), and the last layer is drawn from its own points.
TEST_F(HostilePaint, LayerListOfManyLayersFindsEveryStartDirectly) {
    constexpr int count = 200000;
    TArrXZInteger sizes(count, TXZInteger{1, 1});
    sizes[2] = {0, 5};
    sizes.back() = {2, 2};
    TQor3DChart list;
    ASSERT_TRUE(list.SetSizeNx4D(sizes));
    int64_t start = 0;
    for (int l = 0; l < count; ++l) {
        ASSERT_EQ(list.LayerStart(l), start) << l;
        start += int64_t(list.GetLayerSize(l).X) * list.GetLayerSize(l).Z;
    }
    EXPECT_EQ(list.LayerStart(count + 5), start);
    EXPECT_EQ(list.LayerStart(-1), 0);
    ASSERT_EQ(int64_t(list.Data().size()), 4 * start);
    for (int64_t p = 0; p < start; ++p) {
        float* q = list.Data().data() + 4 * p;
        q[0] = float(p % 2), q[1] = float(p), q[2] = float(((p - start) & 3) / 2), q[3] = 1;
    }
    list.UpdateRanges();
    list.SetShiny(false);
    rec.ClearLog();
    DrawLayerList(list, frame);
    const auto v = rec.Calls("glVertex3fv");
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[0].Args, (std::vector<double>{0, double(start - 4), 0}));
    EXPECT_EQ(v[3].Args, (std::vector<double>{1, double(start - 1), 1}));
}

// The largest doubles were written rounded up past the double range (1.79769313486232E308),
// and the reload fell back to the default: every value the writer puts reads back.
TEST_F(HostileInput, LargestDoublesSurviveSaveAndLoad) {
    const double max = std::numeric_limits<double>::max();
    TQor3DChart chart;
    ASSERT_EQ(chart.LoadFromText("<3D>\r\n1 1\r\n0\r\n0\r\n5\r\n[XMin]\r\n"
                                 "1.7976931348623157e308\r\n[YMin]\r\n-1.7976931348623157e308\r\n",
                                 true),
              0);
    ASSERT_EQ(chart.XMin(), max);
    ASSERT_EQ(chart.YMin(), -max);
    const std::string file = dir.File("largest.p3d");
    ASSERT_EQ(chart.SaveToFile(file, false, true), 0);
    TQor3DChart back;
    ASSERT_EQ(back.LoadFromFile(file, true), 0);
    // Written cut to 15 digits, as every number is rounded to them.
    EXPECT_EQ(back.XMin(), 1.79769313486231e308);
    EXPECT_EQ(back.YMin(), -1.79769313486231e308);
    ASSERT_EQ(back.SaveToFile(dir.File("again.p3d"), false, true), 0);
    EXPECT_EQ(ReadFileText(dir.File("again.p3d")), ReadFileText(file));
}

// Values were indexed as keys: an axis caption "[QorColorScale_FontName]" took over the
// legend's font name once its reader rewound. Keys stand only where a key belongs.
TEST_F(HostileInput, AValueThatReadsLikeAKeyStaysAValue) {
    TQor3DChart chart;
    ASSERT_TRUE(chart.SetSize3D(1, 1));
    chart.AxisX().SetCaption("[QorColorScale_FontName]");
    const std::string file = dir.File("captions.p3d");
    ASSERT_EQ(chart.SaveToFile(file, false, true), 0); // no legend block
    TQor3DChart back;
    TQorColorScale legend;
    legend.Font().SetName("Kept");
    TQorColorScaleFileLegend fileLegend(legend);
    ASSERT_EQ(LoadChartFile(back, &fileLegend, file, true), 0);
    EXPECT_EQ(back.AxisX().Caption(), "[QorColorScale_FontName]");
    EXPECT_EQ(legend.Font().Name(), "Kept");

    // A rewound search, a key missing and blank lines between the pairs.
    TQorPropTextReader reader("[A]\r\n[B]\r\n\r\n[B]\r\n2\r\n[C]\r\n[A]\r\n");
    EXPECT_EQ(reader.ReadString("A", ""), "[B]");
    EXPECT_EQ(reader.ReadString("Missing", ""), "");
    EXPECT_EQ(reader.ReadString("B", ""), "2");
    EXPECT_EQ(reader.ReadString("C", ""), "[A]");
}

} // namespace
