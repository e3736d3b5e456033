// plotyra-cli render as scripts call it: pictures of the requested size and the exit codes.
#include "RenderCommand.h"
#include "TestSupport.h"
#include "graphics3d/Qor3DPictureSupport.h"

#include "QorColSc.h"
#include "chart/Qor3DChart.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

namespace {

std::string RenderCliPath() {
    return PLOTYRA_CLI;
}

int RunRender(const std::string& Args) {
    const int status = std::system((RenderCliPath() + " render " + Args + " 2>/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Example(const std::string& Name) {
    return std::string(PLOTYRA_EXAMPLES) + "/" + Name;
}

class RenderCommand : public ::testing::Test {
protected:
    QImage Picture(const std::string& File) { return QImage(QString::fromStdString(File)); }
    TempDir dir;
};

TEST_F(RenderCommand, WritesAPictureOfTheRequestedSize) {
    const std::string out = dir.File("s.png");
    ASSERT_EQ(RunRender(Example("surface.p3d") + " -o " + out + " --size 320x200 --no-legend"), 0);
    const QImage image = Picture(out);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 320);
    EXPECT_EQ(image.height(), 200);
    EXPECT_NE(image.pixel(160, 100), image.pixel(0, 0)) << "the chart fills the middle";
}

TEST_F(RenderCommand, DefaultSizeAndEachKind) {
    for (const char* name : {"volume.p4d", "box.p4d", "layers.p4d"}) {
        const std::string out = dir.File(std::string(name) + ".png");
        EXPECT_EQ(RunRender(Example(name) + " -o " + out), 0) << name;
        EXPECT_EQ(Picture(out).size(), QSize(800, 600)) << name;
    }
}

TEST_F(RenderCommand, PropertiesFileChangesThePicture) {
    const std::string plain = dir.File("plain.png");
    const std::string styled = dir.File("styled.png");
    ASSERT_EQ(RunRender(Example("surface.p3d") + " -o " + plain + " --size 200x150"), 0);
    ASSERT_EQ(RunRender(Example("surface.p3d") + " -o " + styled + " --size 200x150" +
                        " --properties " + Example("style.cpr")),
              0);
    EXPECT_NE(Picture(plain), Picture(styled));
}

TEST_F(RenderCommand, FailuresExitWithOne) {
    const std::string out = dir.File("x.png");
    EXPECT_EQ(RunRender(dir.File("missing.p3d") + " -o " + out), 1);
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(RunRender(Example("surface.p3d") + " -o " + out + " --properties " +
                        dir.File("missing.cpr")),
              1);
    EXPECT_EQ(RunRender(Example("surface.p3d") + " -o " + out + " --size 0x10"), 1);
    EXPECT_EQ(RunRender(Example("surface.p3d") + " -o " + out + " --size 10"), 1);
    EXPECT_EQ(RunRender(Example("surface.p3d")), 1) << "no output named";
    EXPECT_EQ(RunRender(Example("surface.p3d") + " -o " + dir.File("no/such/dir.png")), 1);
}

} // namespace

TEST_F(RenderCommand, LegendBarStandsAtTheRightEdge) {
    const std::string with = dir.File("with.png");
    const std::string without = dir.File("without.png");
    ASSERT_EQ(RunRender(Example("surface.p3d") + " -o " + with + " --size 400x300"), 0);
    ASSERT_EQ(RunRender(Example("surface.p3d") + " -o " + without + " --size 400x300 --no-legend"),
              0);
    const QImage a = Picture(with);
    const QImage b = Picture(without);
    ASSERT_EQ(a.size(), QSize(400, 300));
    // The bar runs over most of the height at the right edge; without a legend that edge is
    // background.
    EXPECT_GT(ColouredPixels(a, 396), 200);
    EXPECT_EQ(ColouredPixels(b, 396), 0);
    // The bar's top is the top of the palette, its bottom the bottom.
    EXPECT_NE(a.pixelColor(396, 20), a.pixelColor(396, 270));
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
