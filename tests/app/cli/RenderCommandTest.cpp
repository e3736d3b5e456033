// plotyra-cli render as scripts call it: pictures of the requested size and the exit codes.
#include "RenderCommand.h"
#include "CliSupport.h"
#include "TestSupport.h"
#include "graphics3d/Qor3DPictureSupport.h"
#include "graphics3d/Qor3DSceneSamples.h"

#include "QorColSc.h"
#include "chart/Qor3DChart.h"
#include "render/Qor3DChartScene.h"
#include "render/Qor3DViewFit.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// A failing run's messages go to the test log, where a sanitizer's report would otherwise be lost.
int RunRender(const std::string& Args) {
    const RunResult r = RunCli("render " + Args, "2>&1");
    if (r.ExitCode != 0)
        std::fprintf(stderr, "plotyra-cli render %s: exit %d\n%s", Args.c_str(), r.ExitCode,
                     r.Out.c_str());
    return r.ExitCode;
}

std::string Example(const std::string& Name) {
    return std::string(PLOTYRA_EXAMPLES) + "/" + Name;
}

class RenderCommand : public ::testing::Test {
protected:
    QImage Picture(const std::string& File) { return QImage(QString::fromStdString(File)); }
    TempDir dir;
    const std::string surface = Example("surface.p3d");
};

TEST_F(RenderCommand, DefaultSizeAndEachKind) {
    for (const char* name : {"volume.p4d", "box.p4d", "layers.p4d"}) {
        const std::string out = dir.File(std::string(name) + ".png");
        EXPECT_EQ(RunRender(Example(name) + " -o " + out), 0) << name;
        EXPECT_EQ(Picture(out).size(), QSize(800, 600)) << name;
    }
}

// The requested size, the legend bar at the right edge and a properties file, each changing
// the picture of the same chart.
TEST_F(RenderCommand, SizeLegendAndPropertiesShapeThePicture) {
    const std::string with = dir.File("with.png");
    const std::string without = dir.File("without.png");
    const std::string styled = dir.File("styled.png");
    ASSERT_EQ(RunRender(surface + " -o " + with + " --size 400x300"), 0);
    ASSERT_EQ(RunRender(surface + " -o " + without + " --size 400x300 --no-legend"), 0);
    ASSERT_EQ(RunRender(surface + " -o " + styled + " --size 400x300" + " --properties " +
                        Example("style.cpr")),
              0);
    const QImage a = Picture(with);
    const QImage b = Picture(without);
    ASSERT_EQ(a.size(), QSize(400, 300));
    ASSERT_EQ(b.size(), QSize(400, 300));
    EXPECT_NE(b.pixel(200, 150), b.pixel(0, 0)) << "the chart fills the middle";
    // The bar runs over most of the height at the right edge; without a legend that edge is
    // background.
    EXPECT_GT(ColouredPixels(a, 396), 200);
    EXPECT_EQ(ColouredPixels(b, 396), 0);
    // The bar's top is the top of the palette, its bottom the bottom.
    EXPECT_NE(a.pixelColor(396, 20), a.pixelColor(396, 270));
    EXPECT_NE(a, Picture(styled));
}

// A chart whose painting fails (a hook that raises) gives no picture: exit 1 with the failure,
// although the painting itself swallowed it.
TEST_F(RenderCommand, APaintFailureExitsWithItsMessage) {
    TQor3DChart chart;
    TQorColorScale legend;
    ASSERT_TRUE(chart.SetSize3D(2, 2));
    chart.UpdateRanges();
    chart.UpdateNormals();
    chart.OnBeforePaintGL = [](TObject*, const TRect&) {
        throw std::runtime_error("the hook failed");
    };
    TRenderOptions options;
    options.Width = 64;
    options.Height = 48;
    const std::string output = dir.File("failed.png");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(RenderLoadedChart(chart, legend, options, output), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "plotyra-cli: cannot render: the hook failed\n");
    EXPECT_FALSE(std::filesystem::exists(output));

    chart.OnBeforePaintGL = nullptr;
    EXPECT_EQ(RenderLoadedChart(chart, legend, options, output), 0);
    EXPECT_EQ(chart.LastPaintError(), "");
    EXPECT_TRUE(std::filesystem::exists(output));
}

// One file turned in frames: picture 0 is the plain render, a quarter turn changes it, a full
// turn gives it back (the shared context keeps no state from one picture into the next). A
// batch of several files draws each, and one that fails to load or to be written costs only its
// own picture; pictures are written while the next is drawn, yet failures come in their order.
TEST_F(RenderCommand, BatchTurnsTheViewPerPicture) {
    const std::string plain = dir.File("plain.png");
    ASSERT_EQ(RunRender(surface + " -o " + plain + " --size 200x150"), 0);
    const RunResult turned = RunCli("render " + surface + " --frames 5 --turn 90 " +
                                        "--size 200x150 -o " + dir.File("f%02d.png"),
                                    "2>&1");
    ASSERT_EQ(turned.ExitCode, 0) << turned.Out;
    EXPECT_EQ(turned.Out, "") << "no progress when stderr is no terminal";
    const QImage first = Picture(dir.File("f00.png"));
    EXPECT_TRUE(PicturesAlike("frame0", Picture(plain), first, {}));
    EXPECT_TRUE(PicturesAlike("frame4", first, Picture(dir.File("f04.png")), {}));
    for (const char* name : {"f01.png", "f02.png"})
        EXPECT_GT(ComparePictures(first, Picture(dir.File(name)), 12).Fraction(), 0.05) << name;
    EXPECT_FALSE(std::filesystem::exists(dir.File("f05.png")));

    std::filesystem::create_directory(dir.File("m1.png"));
    const RunResult batch =
        RunCli("render " + surface + " " + surface + " " + dir.File("missing.p3d") + " " +
                   Example("volume.p4d") + " --turn 90 --size 200x150 -o " + dir.File("m%d.png"),
               "2>&1");
    EXPECT_EQ(batch.ExitCode, 1);
    const size_t unsaved = batch.Out.find("cannot save " + dir.File("m1.png"));
    const size_t unloaded = batch.Out.find("cannot load " + dir.File("missing.p3d"));
    EXPECT_LT(unsaved, unloaded) << batch.Out;
    EXPECT_NE(unloaded, std::string::npos) << batch.Out;
    EXPECT_NE(batch.Out.find("2 of 4 pictures failed"), std::string::npos) << batch.Out;
    EXPECT_TRUE(PicturesAlike("batch0", first, Picture(dir.File("m0.png")), {}));
    EXPECT_FALSE(std::filesystem::exists(dir.File("m2.png")));
    EXPECT_EQ(Picture(dir.File("m3.png")).size(), QSize(200, 150));
}

// A chart file whose Y caption would run past the right edge is rendered with the caption whole
// (the scene's fit, which copies and the viewer share): nothing but background on the border.
TEST_F(RenderCommand, ACutCaptionIsDrawnWhole) {
    TQor3DChart chart;
    MakeCutCaptionChart(chart);
    QorPaint::SetDisplayedRanges(chart);
    ASSERT_FALSE(
        QorPaint::FitChartView(chart, QorPaint::ComputeSceneFrame(chart), 400, 300).Identity());
    const std::string file = dir.File("cut.p3d");
    ASSERT_EQ(chart.SaveToFile(file, false, true), 0);
    const std::string out = dir.File("cut.png");
    ASSERT_EQ(RunRender(file + " -o " + out + " --size 400x300 --no-legend"), 0);
    EXPECT_EQ(BorderPixels(Picture(out)), 0);
}

// render takes the import options as info and convert do: a matrix drawn with --transpose is
// the picture of the transposed matrix, and the help lists the options.
TEST_F(RenderCommand, ImportOptionsReadTheTableAsInfoAndConvertDo) {
    WriteFileText(dir.File("m.csv"), "1;2;9\n4;0;6\n");
    WriteFileText(dir.File("t.csv"), "1;4\n2;0\n9;6\n");
    const std::string size = " --size 200x150 --no-legend -o ";
    ASSERT_EQ(RunRender(dir.File("m.csv") + size + dir.File("m.png")), 0);
    ASSERT_EQ(RunRender(dir.File("m.csv") + " --transpose --nodata 0" + size + dir.File("mt.png")),
              0);
    ASSERT_EQ(RunRender(dir.File("t.csv") + " --nodata=0" + size + dir.File("t.png")), 0);
    EXPECT_TRUE(
        PicturesAlike("transposed", Picture(dir.File("t.png")), Picture(dir.File("mt.png")), {}));
    EXPECT_GT(
        ComparePictures(Picture(dir.File("m.png")), Picture(dir.File("t.png")), 12).Fraction(),
        0.01);
    const RunResult help = RunCli("render --help");
    for (const char* option : {"--spacing <DX[,DZ[,DY]]>", "--origin", "--header <MODE>",
                               "--layout", "--transpose", "--nodata <V>", "--array <NAME>"})
        EXPECT_NE(help.Out.find(option), std::string::npos) << option << " in " << help.Out;
}

// On a terminal (script gives the command one) the batch shows its progress.
TEST_F(RenderCommand, BatchShowsProgressOnATerminal) {
    const int pty = posix_openpt(O_RDWR | O_NOCTTY);
    if (pty < 0)
        GTEST_SKIP() << "no pseudo-terminals here";
    close(pty);
    const std::string command = "script -qec '" + CliPath() + " render " + surface +
                                " --frames 2 --size 64x48 -o " + dir.File("t%d.png") +
                                "' /dev/null";
    const RunResult r = RunShell(command);
    EXPECT_EQ(r.ExitCode, 0);
    EXPECT_NE(r.Out.find("rendering 2 of 2: " + dir.File("t1.png")), std::string::npos) << r.Out;
}

// Whatever is refused or fails writes nothing, with a message saying why.
TEST_F(RenderCommand, BatchRefusals) {
    const std::string input = dir.File("p0.p3d");
    std::filesystem::copy_file(surface, input);
    const std::vector<std::pair<std::string, std::string>> refused = {
        {surface + " " + surface + " -o " + dir.File("a.png"), "need a number field"},
        {surface + " --frames 2 -o " + dir.File("a.png"), "need a number field"},
        {surface + " " + surface + " --frames 2 -o " + dir.File("a%d.png"), "--frames takes one"},
        {surface + " --frames 2 -o " + dir.File("a%s.png"), "bad number field"},
        {surface + " --frames 2 -o " + dir.File("a%d%d.png"), "more than one number field"},
        {"- - -o " + dir.File("a%d.png"), "only once"},
        {surface + " --frames 0 -o " + dir.File("a%d.png"), "bad frame count"},
        {surface + " --turn nan -o " + dir.File("a%d.png"), "bad turn"},
        {surface + " --turn 5x -o " + dir.File("a%d.png"), "bad turn"},
        {input + " --frames 2 -o " + dir.File("p%d.p3d"), "is an input of this render"},
        {dir.File("missing.p3d") + " -o " + dir.File("x.png"),
         "cannot load " + dir.File("missing.p3d")},
        {surface + " -o " + dir.File("x.png") + " --properties " + dir.File("missing.cpr"),
         "cannot load properties"},
        {surface + " -o " + dir.File("x.png") + " --size 0x10", "bad size"},
        {surface + " -o " + dir.File("x.png") + " --size 10", "bad size"},
        {surface + " -o " + dir.File("x.png") + " --header rows",
         "--header: 'rows' is none of auto, none, row, row+column"},
        {surface, "render needs FILE and -o"},
        {surface + " -o " + dir.File("no/such/dir.png"), "cannot save"},
    };
    for (const auto& [args, message] : refused) {
        const RunResult r = RunCli("render " + args, "2>&1");
        EXPECT_EQ(r.ExitCode, 1) << args;
        EXPECT_NE(r.Out.find(message), std::string::npos) << args << ": " << r.Out;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1)
        << "nothing written";
    EXPECT_EQ(std::filesystem::file_size(input), std::filesystem::file_size(surface));
    // One picture keeps its name as given, a percent sign included.
    EXPECT_EQ(RunRender(surface + " --size 32x24 -o " + dir.File("100%.png")), 0);
    EXPECT_TRUE(std::filesystem::exists(dir.File("100%.png")));
    EXPECT_EQ(RunRender(surface + " --turn -30 --size 32x24 -o " + dir.File("%03d.png")), 0);
    EXPECT_TRUE(std::filesystem::exists(dir.File("000.png")));
}

} // namespace
