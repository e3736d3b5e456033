// Files a careless or hostile user may hand the chart reader and writer: each class of input
// must end in a clean result, never a crash, a hang, a flood of output or a file that does not
// read back. (The command-line cases are in tests/app/cli/PlotyraCliTest.cpp, the axis cases
// in tests/graphics3d/render/Qor3DAxisPainterHostileTest.cpp.)
#include "io/Qor3DChartFile.h"

#include "HostileInputSupport.h"
#include "Qor3DChartTestSupport.h"
#include "QorDataText.h"
#include "TestSupport.h"
#include "chart/Qor3DChart.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

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
// through its memory map); the chart is usable afterwards.
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
        EXPECT_EQ(LoadChartText(chart, source, true, {piece, 2}), -1);
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
    std::thread reader([&] { received = Read(fifo); });
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

// Values beyond the float range and logarithmic axes over non-positive data make the writer
// put INF, -INF and NAN; the reader takes exactly those words, so the file loads again.
TEST_F(HostileInput, EveryFileTheProgramWritesLoadsAgain) {
    TQor3DChart chart;
    ASSERT_EQ(chart.LoadFromText("<3D>\r\n3 1\r\n1 2 3\r\n-1\r\n1e39 -1e39 -5\r\n", false), 0);
    chart.AxisZ().SetLogarithmic(true); // log10(-1) is NaN
    chart.Changed();
    const std::string file = dir.File("nonfinite.p3d");
    ASSERT_EQ(chart.SaveToFile(file, true, true), 0);
    const std::string text = Read(file);
    EXPECT_EQ(text.rfind("<3D>\r\n3\t1\r\n1\t2\t3\r\nNAN\r\nINF\t-INF\t-5\r\n", 0), 0u)
        << text.substr(0, 60);
    TQor3DChart back;
    ASSERT_EQ(back.LoadFromFile(file, true), 0);
    ASSERT_EQ(back.SaveToFile(dir.File("again.p3d"), true, true), 0);
    EXPECT_EQ(Read(dir.File("again.p3d")), text);
    for (const char* other : {"inf", "+INF", "nan", "-NAN", "INFINITY", "Inf"})
        EXPECT_EQ(back.LoadFromText(std::string("<3D>\r\n1 1\r\n0\r\n0\r\n") + other, false), -1)
            << other;
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
// /dev/zero ate all memory.
TEST_F(HostileInput, OnlyRegularFilesAreRead) {
    const std::string fifo = Fifo("in.fifo");
    for (const std::string& file : {fifo, std::string("/dev/zero"), dir.Path().string()}) {
        SCOPED_TRACE(file);
        TQor3DChart chart;
        EXPECT_EQ(LoadChartFile(chart, nullptr, file, true), -1);
        EXPECT_FALSE(ChartFileProblem(file).empty());
        TQorFileView view;
        EXPECT_FALSE(view.Open(file));
        std::string properties;
        EXPECT_FALSE(ReadChartPropertyText(file, properties));
        chart.SetColorBitmapName(file);
        EXPECT_TRUE(chart.ColorBitmap().isNull());
    }
    EXPECT_EQ(ChartFileProblem(Write("ok.p3d", "1 1 0 0 1")), "");
    std::string properties;
    ASSERT_TRUE(
        ReadChartPropertyText(Write("p.p3d", "1 1 0 0 1\r\n[Wired]\r\nTRUE\r\n"), properties));
    EXPECT_EQ(properties, "[Wired]\r\nTRUE\r\n");
}

} // namespace
