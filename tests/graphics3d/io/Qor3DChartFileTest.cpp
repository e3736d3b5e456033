#include "io/Qor3DChartFile.h"

#include "Qor3DChartTestSupport.h"
#include "QorChangeCount.h"
#include "QorDataText.h"
#include "QorPropText.h"
#include "TestSupport.h"
#include "chart/Qor3DChart.h"

#include <cmath>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find("\r\n"));
}

// Distinct, exactly representable numbers for every stored float.
void FillDistinct(TQor3DChart& chart) {
    float v = 0.25f;
    for (float& f : chart.Data())
        f = (v += 0.5f);
    for (TArrGLfloat* vec : {&chart.XValues(), &chart.YValues(), &chart.ZValues()}) {
        float c = -1.0f;
        for (float& f : *vec)
            f = (c += 1.5f);
    }
    chart.UpdateRanges();
}

class FakeLegend : public IQorChartFileLegend {
public:
    int Updates = 0;
    int Reads = 0;
    std::string Font = "Arial";
    void BeginUpdate() override { ++Updates; }
    void EndUpdate() override { --Updates; }
    void ReadFromFileText(std::string_view text) override {
        ++Reads;
        const size_t at = text.find("[QorColorScale_FontName]\r\n");
        if (at != std::string_view::npos) {
            const size_t start = at + 26;
            Font = std::string(text.substr(start, text.find("\r\n", start) - start));
        }
    }
    void AppendText(std::string& text) override {
        text += "[QorColorScale_FileVer]\r\nTQorColorScaleV7.2\r\n[QorColorScale_FontName]\r\n" +
                Font + "\r\n";
    }
};

class ChartFileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string File(const std::string& name = "chart.txt") const { return dir.File(name); }
    int Load(TQor3DChart& chart, const std::string& text, bool withProperties = true) {
        WriteFileText(File("in.txt"), text);
        return chart.LoadFromFile(File("in.txt"), withProperties);
    }
    std::string Save(const TQor3DChart& chart, bool force = false, bool props = false) {
        EXPECT_EQ(chart.SaveToFile(File("out.txt"), force, props), 0);
        return ReadFileText(File("out.txt"));
    }
};

// ---- Every form written and read back -----------------------------------------------------------

struct FormCase {
    const char* Name;
    TQorDataKind Kind;
    bool LowMemory;
    bool Force;
    const char* Tag;
};

class ChartFormTest : public ChartFileTest, public ::testing::WithParamInterface<FormCase> {};

void SizeFor(TQor3DChart& chart, TQorDataKind kind) {
    switch (kind) {
    case dk3D:
        ASSERT_TRUE(chart.SetSize3D(4, 3));
        break;
    case dk4D:
        ASSERT_TRUE(chart.SetSize4D(3, 2, 4));
        break;
    case dk4DSurface:
        ASSERT_TRUE(chart.SetSize4DSurface(3, 2, 4));
        break;
    case dkNx4D:
        ASSERT_TRUE(chart.SetSizeNx4D({{3, 2}, {1, 4}}));
        break;
    }
}

// Grid forms give every point coordinates from the three vectors; a full layout must hold them
// consistently to be written in a grid form.
void FillGridConsistent(TQor3DChart& chart) {
    const auto x = [](int i) {
        return float(0.5 + i);
    };
    const auto y = [](int j) {
        return float(-2 + 0.25 * j);
    };
    const auto z = [](int k) {
        return float(10 + 2 * k);
    };
    TArrGLfloat& d = chart.Data();
    const int nx = chart.NX(), ny = chart.NY(), nz = chart.NZ();
    if (chart.LowMemoryLayout()) {
        FillDistinct(chart);
        for (int i = 0; i < nx; ++i)
            chart.XValues()[size_t(i)] = x(i);
        for (int j = 0; j < ny; ++j)
            chart.YValues()[size_t(j)] = y(j);
        for (int k = 0; k < nz; ++k)
            chart.ZValues()[size_t(k)] = z(k);
        return;
    }
    float v = 1.5f;
    if (chart.DataKind() == dk3D) {
        for (int k = 0; k < nz; ++k)
            for (int i = 0; i < nx; ++i) {
                const size_t p = size_t(3 * (i + nx * k));
                d[p] = x(i);
                d[p + 1] = (v += 0.75f);
                d[p + 2] = z(k);
            }
        return;
    }
    if (chart.DataKind() == dk4D) {
        size_t p = 0;
        for (int k = 0; k < nz; ++k)
            for (int j = 0; j < ny; ++j)
                for (int i = 0; i < nx; ++i, p += 4) {
                    d[p] = x(i), d[p + 1] = y(j), d[p + 2] = z(k), d[p + 3] = (v += 0.75f);
                }
        return;
    }
    // dk4DSurface: face by face, as the faces lie on the box.
    size_t p = 0;
    const auto put = [&](float px, float py, float pz) {
        d[p] = px, d[p + 1] = py, d[p + 2] = pz, d[p + 3] = (v += 0.75f);
        p += 4;
    };
    for (int face = 1; face <= 6; ++face) {
        const int rows = face <= 4 ? ny : nz;
        const int cols = face == 3 || face == 4 ? nz : nx;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) {
                if (face <= 2)
                    put(x(c), y(r), z(face == 1 ? 0 : nz - 1));
                else if (face <= 4)
                    put(x(face == 3 ? 0 : nx - 1), y(r), z(c));
                else
                    put(x(c), y(face == 5 ? 0 : ny - 1), z(r));
            }
    }
}

TEST_P(ChartFormTest, WritesItsTagAndReadsBackInBothLayouts) {
    const FormCase& fc = GetParam();
    TQor3DChart chart;
    chart.SetUseLowMemory(fc.LowMemory);
    SizeFor(chart, fc.Kind);
    if (fc.Kind == dkNx4D)
        FillDistinct(chart);
    else
        FillGridConsistent(chart);
    chart.UpdateRanges();
    const std::string text = Save(chart, fc.Force);
    EXPECT_EQ(FirstLine(text), fc.Tag);
    EXPECT_EQ(text.find("\t\r\n"), std::string::npos) << "no TAB at a line end";
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);

    for (const bool loadLow : {false, true}) {
        SCOPED_TRACE(loadLow ? "loaded with UseLowMemory" : "loaded without UseLowMemory");
        TQor3DChart back;
        back.SetUseLowMemory(loadLow);
        ASSERT_EQ(back.LoadFromFile(File("out.txt"), true), 0);
        EXPECT_EQ(back.DataKind(), fc.Kind);
        EXPECT_EQ(back.NX(), chart.NX());
        EXPECT_EQ(back.NY(), chart.NY());
        EXPECT_EQ(back.NZ(), chart.NZ());
        EXPECT_EQ(back.Layers(), chart.Layers());
        const bool gridForm =
            std::string(fc.Tag).find("Hi") == std::string::npos && fc.Kind != dkNx4D;
        EXPECT_EQ(back.LowMemoryLayout(), gridForm && loadLow);
        // Written again in the same form, the text is the same: every number survived, and a
        // grid read into the full layout got its coordinates from the vectors.
        EXPECT_EQ(Save(back, fc.Force || gridForm), text);
        EXPECT_DOUBLE_EQ(back.AxisX().Minimum(), chart.AxisX().Minimum());
        EXPECT_DOUBLE_EQ(back.AxisY().Maximum(), chart.AxisY().Maximum());
        EXPECT_FLOAT_EQ(back.ValueMax(), chart.ValueMax());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ChartFormTest,
    ::testing::Values(FormCase{"Grid3DLow", dk3D, true, false, "<3D>"},
                      FormCase{"Hi3D", dk3D, false, false, "<3D Hi>"},
                      FormCase{"Grid3DForced", dk3D, false, true, "<3D>"},
                      FormCase{"Nx4D", dkNx4D, false, false, "<Nx4D>"},
                      FormCase{"Grid4DLow", dk4D, true, false, "<4D>"},
                      FormCase{"Hi4D", dk4D, false, false, "<4D Hi>"},
                      FormCase{"Grid4DForced", dk4D, false, true, "<4D>"},
                      FormCase{"Surface4DLow", dk4DSurface, true, false, "<4D surface>"},
                      FormCase{"SurfaceHi4D", dk4DSurface, false, false, "<4D surface Hi>"},
                      FormCase{"Surface4DForced", dk4DSurface, false, true, "<4D surface>"}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---- Reading: the forms' own rules --------------------------------------------------------------

// Loads that leave an empty chart: an empty file (a 3D one), a tag that is not on the first
// line (an error), an unknown tag (no error) and a missing file (an error).
TEST_F(ChartFileTest, LoadsThatLeaveAnEmptyChart) {
    struct TCase {
        const char* Text;
        int Result;
    };
    for (const TCase& c :
         {TCase{"", 0}, TCase{"\r\n<3D>\r\n2 2\r\n0 1\r\n0\r\n1\r\n5 6\r\n7 8\r\n", -1},
          TCase{"<5D>\r\n2 2\r\n", 0}, TCase{nullptr, -1}}) {
        SCOPED_TRACE(c.Text != nullptr ? c.Text : "missing file");
        TQor3DChart chart;
        ASSERT_TRUE(chart.SetSize4D(2, 2, 2));
        EXPECT_EQ(c.Text != nullptr ? Load(chart, c.Text)
                                    : chart.LoadFromFile(File("none.txt"), true),
                  c.Result);
        EXPECT_EQ(chart.NX(), 0);
        EXPECT_TRUE(chart.Data().empty());
        if (c.Text != nullptr && *c.Text == 0) {
            EXPECT_EQ(chart.DataKind(), dk3D);
        }
    }
}

TEST_F(ChartFileTest, HeaderlessAndTaggedGridsReadTheSameWhateverTheWhitespace) {
    for (const char* text : {"2 2\n0 1\n0\n1\n5 6\n7 8\n", "  2\t2 0 1\r\n\r\n0 1 5\n6 7 8",
                             "<3d> \t\r\n2 2\r\n0\t1\r\n0\r\n1\r\n5\t6\r\n7\t8\r\n"}) {
        SCOPED_TRACE(text);
        for (const bool low : {false, true}) {
            TQor3DChart chart;
            chart.SetUseLowMemory(low);
            ASSERT_EQ(Load(chart, text), 0);
            ASSERT_EQ(chart.NX(), 2);
            ASSERT_EQ(chart.NZ(), 2);
            EXPECT_EQ(Height(chart, 0, 0), 5);
            EXPECT_EQ(Height(chart, 1, 0), 6);
            EXPECT_EQ(Height(chart, 0, 1), 7);
            EXPECT_EQ(Height(chart, 1, 1), 8);
            EXPECT_DOUBLE_EQ(chart.AxisZ().Maximum(), 1);
            EXPECT_EQ(chart.Normals().size(), low ? 0u : 12u);
        }
    }
}

TEST_F(ChartFileTest, MissingNumbersAtTheEndReadAsZero) {
    TQor3DChart chart;
    ASSERT_EQ(Load(chart, "<3D>\r\n3 2\r\n0 1 2\r\n5\r\n6\r\n1 2"), 0);
    EXPECT_EQ(Height(chart, 1, 0), 2);
    EXPECT_EQ(Height(chart, 2, 0), 0);
    EXPECT_EQ(Height(chart, 2, 1), 0);
}

TEST_F(ChartFileTest, TokensOtherThanPlainNumbersFail) {
    for (const char* bad : {"1,5", "infinity", "NA", "1e", "0x10", "1.5.2", "--1", "1'000"}) {
        SCOPED_TRACE(bad);
        TQor3DChart chart;
        EXPECT_EQ(Load(chart, std::string("<3D>\r\n2 1\r\n0 1\r\n0\r\n") + bad + " 2\r\n"), -1);
    }
    TQor3DChart chart;
    EXPECT_EQ(Load(chart, "<3D>\r\n2 1\r\n.5 +1.\r\n-0e+3\r\n1E-2 -.25\r\n"), 0);
    EXPECT_FLOAT_EQ(Height(chart, 1, 0), -0.25f);
}

// A failed load says why and where: the line (the tag line is line 1) and the number's place on
// it, with the token, or with the refused counts and their limit at the counts' place; on one
// thread and in pieces alike. A text that ends early loads with a warning counting the values,
// an unknown tag with one naming it.
TEST_F(ChartFileTest, FailuresSayWhyAndWhere) {
    struct TCase {
        std::string Text, Error;
        int64_t Line, Field;
    };
    const std::string bulk = "<3D>\r\n3 3\r\n0 1 2\r\n0\r\n1\r\n2\r\n1 2 3\r\n4 5 6\r\n";
    const TCase cases[] = {
        {bulk + "7 abc 9\r\n", "'abc' is not a number", 9, 2},
        {"2 1\r\n0 1\r\n0\r\n5\t1,5\r\n", "'1,5' is not a number", 4, 2},
        {"<3D>\r\n2 1\r\n0 " + std::string(65, '1') + "\r\n",
         "'" + std::string(40, '1') + "...' is longer than 64 characters", 3, 2},
        {"<4D>\r\n2 1.5 1\r\n", "'1.5' is not a whole number", 2, 2},
        {"<3D>\r\n\xff\x7f 1\r\n", "'?\?' is not a whole number", 2, 1},
        {"<3D>\r\n 99999999999 1\r\n", "'99999999999' is too large for a count", 2, 1},
        {"<3D>\r\n100000 100000\r\n",
         "the counts ask for 10000200000 numbers, more than a file of 21 bytes can hold (at most "
         "4194315)",
         2, 1},
        {"<Nx4D>\r\n\r\n 2\r\n1 1\r\n-3 2\r\n", "the count -3 is negative", 3, 1},
        {"<4D>\r\n2147483647 2147483647 2147483647\r\n",
         "the counts ask for 2147483647 × 2147483647 × 2147483647 numbers, more than can be "
         "counted",
         2, 1},
        {"<3D Hi>\r\n100 100\r\n", "the data of these counts do not fit into the memory", 2, 1},
    };
    for (const TCase& c : cases)
        for (const TQorLoadTuning tuning : {TQorLoadTuning{uint64_t(1) << 30, 1}, {4, 3}}) {
            SCOPED_TRACE(c.Text + " in pieces of " + std::to_string(tuning.MinPieceBytes));
            TLimitedChart chart;
            chart.Limit = 100000;
            TQorLoadReport report;
            ASSERT_EQ(LoadChartText(chart, TQorTextSource(c.Text), false, tuning, &report), -1);
            EXPECT_EQ(report.Error, c.Error);
            EXPECT_EQ(report.Line, c.Line);
            EXPECT_EQ(report.Field, c.Field);
            EXPECT_TRUE(report.Warnings.empty());
        }
    const std::pair<std::string, std::vector<std::string>> loads[] = {
        {bulk + "7 8 9\r\n", {}},
        {bulk + "7", {"file ends after 15 of 17 values; the rest read as 0"}},
        {"<3D>\r\n3", {"file ends after 1 of 2 values; the rest read as 0"}},
        {"<5d>\r\n1 1\r\n", {"'<5d>' names no form of chart data; the chart is left empty"}}};
    for (const auto& [text, warnings] : loads)
        for (const TQorLoadTuning tuning : {TQorLoadTuning{uint64_t(1) << 30, 1}, {4, 3}}) {
            SCOPED_TRACE(text);
            TQor3DChart chart;
            TQorLoadReport report;
            ASSERT_EQ(LoadChartText(chart, TQorTextSource(text), false, tuning, &report), 0);
            EXPECT_EQ(report.Warnings, warnings);
            EXPECT_EQ(report.Error, "");
        }
}

TEST_F(ChartFileTest, ColorFormsBecomeOneNx4DLayer) {
    const std::string body = "2 1\r\n0 1\r\n3\r\n10 1 20 2\r\n";
    TQor3DChart plain, swapped;
    ASSERT_EQ(Load(plain, "<3D COLOR>\r\n" + body), 0);
    ASSERT_EQ(Load(swapped, "<3d color swapped>\r\n" + body), 0);
    for (const TQor3DChart* c : {&plain, &swapped}) {
        EXPECT_EQ(c->DataKind(), dkNx4D);
        EXPECT_EQ(c->Layers(), (TArrXZInteger{{2, 1}}));
        EXPECT_FALSE(c->LowMemoryLayout());
    }
    EXPECT_EQ(plain.Data(), (TArrGLfloat{0, 10, 3, 1, 1, 20, 3, 2}));
    EXPECT_EQ(swapped.Data(), (TArrGLfloat{0, 1, 3, 10, 1, 2, 3, 20}));
    EXPECT_FLOAT_EQ(swapped.ValueMin(), 10);
    EXPECT_FLOAT_EQ(swapped.ValueMax(), 20);
}

TEST_F(ChartFileTest, HiFilesAndUseLowMemory) {
    TQor3DChart chart;
    chart.SetUseLowMemory(true);
    ASSERT_EQ(Load(chart, "<3D Hi>\r\n1 1\r\n0\r\n0\r\n4\r\n"), 0);
    EXPECT_FALSE(chart.LowMemoryLayout());
    EXPECT_TRUE(chart.UseLowMemory()) << "a 3D Hi file restores UseLowMemory";
    ASSERT_EQ(Load(chart, "<4D Hi>\r\n1 1 1\r\n0\r\n\r\n0\r\n\r\n0\r\n\r\n7\r\n"), 0);
    EXPECT_FALSE(chart.UseLowMemory()) << "a 4D Hi file leaves UseLowMemory off";
    chart.SetUseLowMemory(true);
    ASSERT_EQ(Load(chart, "<4D surface Hi>\r\n1 1 1\r\n"), 0);
    EXPECT_FALSE(chart.UseLowMemory());
}

// ---- Bad counts -------------------------------------------------------------------------------

TEST_F(ChartFileTest, HugeOrNegativeCountsFailAtOnce) {
    for (const char* text :
         {"<3D>\r\n100000 100000\r\n", "<3D>\r\n-2 2\r\n", "2147483647 2147483647\r\n",
          "<3D Hi>\r\n65536 65536\r\n", "<Nx4D>\r\n2147483647\r\n", "<Nx4D>\r\n-1\r\n",
          "<Nx4D>\r\n2\r\n1 1\r\n-3 2\r\n", "<Nx4D>\r\n2\r\n65536 65536\r\n65536 65536\r\n",
          "<3D COLOR>\r\n50000 50000\r\n", "<4D>\r\n2000 2000 2000\r\n", "<4D Hi>\r\n1 -1 1\r\n",
          "<4D surface>\r\n2147483647 2147483647 2147483647\r\n",
          "<4D surface Hi>\r\n1000000 1000000 1\r\n", "<3D>\r\n99999999999 1\r\n"}) {
        SCOPED_TRACE(text);
        TQor3DChart chart;
        EXPECT_EQ(Load(chart, text), -1);
        EXPECT_LT(chart.Data().size(), 1000u);
    }
}

TEST_F(ChartFileTest, CountsBeyondTheMemoryLimitFail) {
    TLimitedChart chart;
    chart.Limit = 1000;
    std::string text = "<3D Hi>\r\n100 100\r\n";
    EXPECT_EQ(Load(chart, text), -1);
    chart.Limit = 0;
    EXPECT_EQ(Load(chart, text), 0) << "a short file may still ask for a moderate grid";
    EXPECT_EQ(chart.Data().size(), 30000u);
}

// ---- Writing ----------------------------------------------------------------------------------

TEST_F(ChartFileTest, NumbersAreWrittenAsWidenedFloatsInTheGeneralFormat) {
    TQor3DChart chart;
    chart.SetUseLowMemory(true);
    ASSERT_TRUE(chart.SetSize3D(6, 1));
    chart.Data() = {
        std::ldexp(1.0f, -12), std::ldexp(1.0f, -14), std::ldexp(1.0f, 50), 0.5f, 0.0f, 0.1f};
    EXPECT_EQ(Save(chart), "<3D>\r\n6\t1\r\n0\t0\t0\t0\t0\t0\r\n0\r\n"
                           "0.000244140625\t6.103515625E-005\t1.12589990684262E015\t0.5\t0\t"
                           "0.100000001490116\r\n");
}

TEST_F(ChartFileTest, LowMemory3DWritesOneZPerLine) {
    TQor3DChart chart;
    chart.SetUseLowMemory(true);
    Fill3D(chart, 2, 3, Identity, Identity, [](double x, double z) { return x + 10 * z; });
    EXPECT_EQ(Save(chart), "<3D>\r\n2\t3\r\n0\t1\r\n0\r\n1\r\n2\r\n0\t1\r\n10\t11\r\n20\t21\r\n");
}

TEST_F(ChartFileTest, FailedSaveLeavesTheOldFileAndReturnsMinusOne) {
    TQor3DChart chart;
    Fill3D(chart, 200, 200, Identity, Identity, [](double x, double z) { return x * z; });
    WriteFileText(File(), "old contents");
    // Writes beyond a small file-size limit fail as on a full disk.
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int result = chart.SaveToFile(File(), false, true);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(ReadFileText(File()), "old contents");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1)
        << "no temporary file is left behind";

    EXPECT_EQ(chart.SaveToFile(dir.File("missing/chart.txt"), false, false), -1);
    EXPECT_EQ(chart.SaveToFile(dir.Path().string(), false, false), -1);
}

// ---- Logarithmic axes: files hold real values
// ----------------------------------------------------

TEST_F(ChartFileTest, FilesHoldRealValuesAlongLogarithmicAxes) {
    for (const bool low : {false, true}) {
        TQor3DChart chart;
        chart.SetUseLowMemory(low);
        chart.AxisY().SetLogarithmic(true);
        chart.AxisX().SetLogarithmic(true);
        ASSERT_EQ(Load(chart, "<3D>\r\n2 1\r\n1 1000\r\n5\r\n10 100\r\n"), 0);
        EXPECT_FLOAT_EQ(Height(chart, 0, 0), 1);
        EXPECT_FLOAT_EQ(Height(chart, 1, 0), 2);
        EXPECT_NEAR(chart.AxisY().Maximum(), 100, 1e-4);
        EXPECT_NEAR(chart.AxisX().Maximum(), 1000, 1e-3);
        const std::string text = Save(chart, true);
        EXPECT_NE(text.find("\r\n10\t100\r\n"), std::string::npos) << text;
        EXPECT_NE(text.find("\r\n1\t1000\r\n"), std::string::npos) << text;
        EXPECT_NE(text.find("\r\n5\r\n"), std::string::npos) << "Z is not logarithmic";
    }
}

TEST_F(ChartFileTest, PropertyTextThatSwitchesAnAxisConvertsTheDataOnce) {
    TQor3DChart source;
    source.AxisY().SetLogarithmic(true);
    TQor3DChart chart;
    Fill3D(chart, 1, 1, Identity, Identity, [](double, double) { return 1000; });
    source.SetUseLowMemory(true);
    ASSERT_TRUE(source.SetSize3D(1, 1));
    source.Data()[0] = 3; // log10 of 1000
    ASSERT_EQ(source.SaveToFile(File(), false, true), 0);
    EXPECT_NE(ReadFileText(File()).find("\r\n1000\r\n"), std::string::npos);
    ASSERT_EQ(chart.LoadFromFile(File(), true), 0);
    EXPECT_TRUE(chart.AxisY().Logarithmic());
    EXPECT_FALSE(chart.AxisY().LogChangePending());
    EXPECT_FLOAT_EQ(Height(chart, 0, 0), 3);
}

TEST_F(ChartFileTest, PendingLogarithmicChangeWritesTheDataAsTheyStand) {
    TQor3DChart chart;
    chart.SetUseLowMemory(true);
    ASSERT_TRUE(chart.SetSize3D(1, 1));
    chart.Data()[0] = 50;
    chart.BeginUpdate();
    chart.AxisY().SetLogarithmic(true); // not converted yet: the data are still real
    EXPECT_NE(Save(chart).find("\r\n50\r\n"), std::string::npos);
    chart.EndUpdate();
    EXPECT_NEAR(Height(chart, 0, 0), std::log10(50.0), 1e-6);
}

// ---- Properties in data files and the legend ---------------------------------------------------

TEST_F(ChartFileTest, PropertiesTravelWithTheDataAndCanBeIgnored) {
    TQor3DChart source;
    source.SetUseLowMemory(true);
    Fill3D(source, 3, 2, Identity, Identity, [](double x, double z) { return x - z; });
    source.SetTransparency(4);
    source.AxisX().SetCaption("Time");
    FakeLegend legend;
    legend.Font = "Courier";
    ASSERT_EQ(SaveChartFile(source, &legend, File(), true, false), 0);
    const std::string text = ReadFileText(File());
    EXPECT_LT(text.find("[FileVer]"), text.find("[QorColorScale_FileVer]"));

    TQor3DChart chart;
    FakeLegend target;
    ASSERT_EQ(LoadChartFile(chart, &target, File(), false), 0);
    EXPECT_EQ(chart.Transparency(), 0);
    EXPECT_EQ(chart.AxisX().Caption(), "X");
    EXPECT_EQ(target.Reads, 0);
    EXPECT_FALSE(chart.LowMemoryLayout());

    ASSERT_EQ(LoadChartFile(chart, &target, File(), true), 0);
    EXPECT_EQ(chart.Transparency(), 4);
    EXPECT_EQ(chart.AxisX().Caption(), "Time");
    EXPECT_TRUE(chart.LowMemoryLayout()) << "UseLowMemory from the file's own properties";
    EXPECT_EQ(target.Font, "Courier");
    EXPECT_EQ(target.Updates, 0);
    EXPECT_EQ(chart.UpdateCount(), 0);
}

TEST_F(ChartFileTest, HeaderlessDataReadNoChartPropertiesButTheLegendReadsItsOwn) {
    TQor3DChart chart;
    FakeLegend legend;
    WriteFileText(File(),
                  "1 1\r\n0\r\n0\r\n5\r\n[Transparency]\r\n7\r\n[QorColorScale_FontName]\r\n"
                  "Times\r\n");
    ASSERT_EQ(LoadChartFile(chart, &legend, File(), true), 0);
    EXPECT_EQ(chart.Transparency(), 0);
    EXPECT_EQ(legend.Font, "Times");
    EXPECT_EQ(Height(chart, 0, 0), 5);
}

TEST_F(ChartFileTest, ChangeNotificationOncePerLoad) {
    TQor3DChart chart;
    int changes = 0;
    chart.OnChange = CountInto(changes);
    ASSERT_EQ(Load(chart, "<4D>\r\n2 1 1\r\n0 1\r\n0\r\n0\r\n\r\n3 4\r\n"), 0);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(Load(chart, "<4D>\r\n2 1 1\r\nx\r\n"), -1);
    EXPECT_EQ(changes, 2);
}

TEST_F(ChartFileTest, FindPropertyBlockSkipsDataLines) {
    EXPECT_EQ(FindPropertyBlock("1 2\r\n[A]\r\nx\r\n"), 5u);
    EXPECT_EQ(FindPropertyBlock("[A]"), 0u);
    EXPECT_EQ(FindPropertyBlock("1 [2\r\n 3\r\n"), std::string_view::npos);
}

TEST(ChartFileExamples, EverySampleLoadsAsItsExtensionSays) {
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(PLOTYRA_EXAMPLES)) {
        const std::string ext = entry.path().extension().string();
        if ((ext != ".p3d" && ext != ".p4d" && ext != ".txt") ||
            entry.path().filename() == "CMakeLists.txt")
            continue;
        SCOPED_TRACE(entry.path().string());
        ++files;
        TQor3DChart chart;
        ASSERT_EQ(LoadChartFile(chart, nullptr, entry.path().string(), true), 0);
        EXPECT_FALSE(chart.Data().empty());
        EXPECT_EQ(chart.DataKind() == dk3D, ext != ".p4d");
    }
    EXPECT_GE(files, 15);
}

TEST(ChartFileExamples, PropertyFileStylesAChart) {
    const std::string text = ReadFileText(std::string(PLOTYRA_EXAMPLES) + "/style.cpr");
    ASSERT_FALSE(text.empty());
    TQor3DChart chart;
    chart.SetColorCount(3);
    TQorPropTextReader reader(text);
    chart.ReadFromText(reader, "");
    EXPECT_EQ(chart.ColorCount(), 6);
    EXPECT_EQ(reader.Position(), reader.LineCount() - 22) << "the legend's font block follows";
}

} // namespace

// ---- Reading in pieces on several threads -------------------------------------------------------

// Read in pieces of a few bytes on three threads, every form gives what the single-threaded
// read gives: the same numbers in the same places, ranges, normals, results, errors with their
// places and warnings, also for a text cut short and for one with a bad token in the middle.
TEST_F(ChartFileTest, PiecesReadInParallelJoinInOrder) {
    const auto same = [](const TQor3DChart& a, const TQor3DChart& b) {
        EXPECT_EQ(a.DataKind(), b.DataKind());
        EXPECT_EQ(a.Data(), b.Data());
        EXPECT_EQ(a.XValues(), b.XValues());
        EXPECT_EQ(a.ZValues(), b.ZValues());
        EXPECT_EQ(a.Normals(), b.Normals());
        EXPECT_EQ(a.AxisX().Minimum(), b.AxisX().Minimum());
        EXPECT_EQ(a.AxisY().Maximum(), b.AxisY().Maximum());
        EXPECT_EQ(a.AxisZ().Maximum(), b.AxisZ().Maximum());
        EXPECT_EQ(a.ValueMin(), b.ValueMin());
        EXPECT_EQ(a.ValueMax(), b.ValueMax());
    };
    for (const TQorDataKind kind : {dk3D, dkNx4D, dk4D, dk4DSurface})
        for (const bool low : {false, true}) {
            TQor3DChart chart;
            chart.SetUseLowMemory(low);
            SizeFor(chart, kind);
            FillGridConsistent(chart);
            if (kind == dkNx4D)
                FillDistinct(chart);
            const std::string text = Save(chart, false, true);
            std::string bad = text, badVector = text;
            bad[text.find('\n', text.size() / 2) + 1] = 'x';
            badVector[text.find('\n', text.find('\n') + 1) + 1] = 'x';
            for (const std::string& t : {text, text.substr(0, text.size() * 3 / 5), bad, badVector})
                for (const bool loadLow : {false, true}) {
                    SCOPED_TRACE(std::to_string(kind) + (low ? " low" : " full") +
                                 (loadLow ? " read low" : "") + ": " + t.substr(0, 20));
                    TQor3DChart one, many;
                    one.SetUseLowMemory(loadLow);
                    many.SetUseLowMemory(loadLow);
                    const TQorTextSource source(t);
                    TQorLoadReport r1, r2;
                    const int result =
                        LoadChartText(one, source, false, {uint64_t(1) << 30, 1}, &r1);
                    EXPECT_EQ(LoadChartText(many, source, false, {8, 3}, &r2), result);
                    same(one, many);
                    EXPECT_EQ(r2.Error, r1.Error);
                    EXPECT_EQ(r2.Line, r1.Line);
                    EXPECT_EQ(r2.Field, r1.Field);
                    EXPECT_EQ(r2.Warnings, r1.Warnings);
                }
        }
}

// A long stretch of numbers is formatted in pieces on all cores and written in rounds while the
// next round is formatted; the text is exactly the one written number by number.
TEST_F(ChartFileTest, LongStretchesAreWrittenInOrder) {
    TQor3DChart chart;
    chart.SetUseLowMemory(true);
    ASSERT_TRUE(chart.SetSize3D(700, 500));
    FillDistinct(chart);
    for (size_t p = 0; p < chart.Data().size(); p += 7)
        chart.Data()[p] = float(std::ldexp(1.0 + double(p), -int(p % 60)));
    TQorDataTextWriter expected;
    expected.WriteText("<3D>");
    expected.EndLine();
    expected.WriteCount(700);
    expected.WriteCount(500);
    expected.EndLine();
    for (const float x : chart.XValues())
        expected.WriteValue(x);
    expected.EndLine();
    for (const float z : chart.ZValues()) {
        expected.WriteValue(z);
        expected.EndLine();
    }
    for (size_t p = 0; p < chart.Data().size(); ++p) {
        expected.WriteValue(chart.Data()[p]);
        if ((p + 1) % 700 == 0)
            expected.EndLine();
    }
    EXPECT_TRUE(Save(chart) == expected.Text());
}
