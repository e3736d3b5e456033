#include "render/Qor3DGridArrays.h"

#include "Qor3DPaintTestSupport.h"
#include "render/Qor3DSurfacePainter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <set>

namespace {

using namespace QorPaint;
using ::testing::ElementsAre;

TEST(GridDensity, EveryStepThLineAndTheLast) {
    EXPECT_THAT(GridLine(10, 4), ElementsAre(0, 4, 8, 9));
    EXPECT_THAT(GridLine(9, 4), ElementsAre(0, 4, 8));
    EXPECT_THAT(GridLine(3, 1), ElementsAre(0, 1, 2));
    EXPECT_THAT(GridLine(1, 8), ElementsAre(0));
    EXPECT_TRUE(GridLine(0, 2).empty());

    // Full density when still, and for grids that already fit the view's groups of pixels.
    EXPECT_EQ(TurningStep(4000, 4000, {0, 0}), 1);
    EXPECT_EQ(TurningStep(201, 150, {800, 600}), 1);
    EXPECT_EQ(TurningStep(500, 500, {800, 600}), 4);
    // Otherwise the least power of two that leaves no more cells along a side than the longer
    // side of the view has groups of pixels.
    for (const auto& [cols, rows] :
         {std::pair{1000, 1000}, {5000, 200}, {30, 2000000}, {600, 800}}) {
        const int step = TurningStep(cols, rows, {800, 600});
        const int cells = 800 / QorPixelsPerTurningCell;
        EXPECT_EQ(step & (step - 1), 0) << step;
        EXPECT_LE(std::max(cols - 1, rows - 1) / step, cells);
        EXPECT_GT(std::max(cols - 1, rows - 1) / (step / 2), cells);
    }
}

class GridArrays : public TRecordedPaint {
protected:
    // x = column, z = row and a height that tells the point too.
    void MakeGrid(TQor3DChart& Chart, int nx, int nz, bool LowMemory) {
        Chart.SetUseLowMemory(LowMemory);
        Fill3D(Chart, nx, nz, Identity, Identity,
               [](double x, double z) { return std::sin(x * 0.7) + 0.01 * z; });
        Chart.UpdateRanges();
        Chart.UpdateNormals();
        rec.ClearLog();
    }
    // The vertices, normals, texture coordinates and primitives drawn, in order.
    std::vector<std::pair<std::string, std::vector<double>>> Geometry() const {
        std::vector<std::pair<std::string, std::vector<double>>> out;
        for (const TGLCall& c : rec.Log())
            if (IsGeometry(c.Name) || c.Name == "glBegin" || c.Name == "glEnd")
                out.emplace_back(c.Name, c.Args);
        return out;
    }
    TQorSceneFrame frame;
};

// The low-memory layout computes its arrays in blocks of rows (or columns for the wire along
// the columns); the blocks join into exactly the strips the full layout draws from its stored
// arrays, in every pattern.
TEST_F(GridArrays, BlocksJoinIntoTheStripsOfTheWholeGrid) {
    TQor3DChart full, low;
    MakeGrid(full, 34, 1000, false);
    MakeGrid(low, 34, 1000, true);
    ASSERT_GT(size_t(34 * 1000), QorGridBlockPoints);
    for (TQor3DChart* c : {&full, &low}) {
        c->SetShiny(false);
        c->SetTransparency(5);
    }
    for (const bool wired : {false, true}) {
        SCOPED_TRACE(wired);
        full.SetWired(wired);
        low.SetWired(wired);
        DrawChartSurface(full, frame);
        const auto expected = Geometry();
        rec.ClearLog();
        DrawChartSurface(low, frame);
        EXPECT_GT(Count("glVertexPointer"), 2u);
        EXPECT_TRUE(Geometry() == expected);
        rec.ClearLog();
    }
}

// Box-unit normals computed a block at a time, sharing each block's points and edges and with
// the next block computed ahead, are the point rule's, beside holes and at the borders too.
TEST_F(GridArrays, BlockNormalsInBoxUnitsFollowThePointRule) {
    TQor3DChart low;
    low.SetUseLowMemory(true);
    Fill3D(low, 34, 1000, Identity, Identity, [](double x, double z) {
        return (int(x) * 7 + int(z) * 3) % 97 == 0 ? std::nan("") : std::sin(x) * std::cos(z / 9);
    });
    low.SetShiny(false);
    frame.RawVertices = false;
    frame.RY = 3;
    for (const bool wired : {false, true}) {
        low.SetWired(wired);
        rec.ClearLog();
        DrawChartSurface(low, frame);
        std::vector<double> normal;
        size_t vertices = 0, wrong = 0;
        for (const TGLCall& c : rec.Log()) {
            if (c.Name == "glNormal3fv")
                normal = c.Args;
            if (c.Name != "glVertex3fv")
                continue;
            ++vertices;
            const TNormalD n = VertexNormal(low, frame, int(c.Args[0]), int(c.Args[2]));
            const std::array<float, 3> expected{float(n[0]), float(n[1]), float(n[2])};
            wrong += !std::equal(expected.begin(), expected.end(), normal.begin(), normal.end());
        }
        EXPECT_GT(vertices, 2 * 34 * 900u) << wired;
        EXPECT_EQ(wrong, 0u) << wired;
    }
}

// While the view turns, every k-th row and column is drawn, and the last ones, in every
// painter's pattern; a still view draws everything.
TEST_F(GridArrays, TurningViewDrawsEveryKthLineAndTheLast) {
    TQor3DChart chart;
    MakeGrid(chart, 37, 21, false);
    chart.SetShiny(false);
    frame.TurningView = {10, 10};
    const int step = TurningStep(37, 21, frame.TurningView);
    ASSERT_GT(step, 1);
    const std::vector<int> cols = GridLine(37, step);
    const std::vector<int> rows = GridLine(21, step);
    for (const bool wired : {false, true}) {
        chart.SetWired(wired);
        rec.ClearLog();
        DrawChartSurface(chart, frame);
        std::set<int> xs, zs;
        size_t vertices = 0;
        for (const auto& v : Stream())
            if (v[0] >= 0) {
                xs.insert(int(v[0]));
                zs.insert(int(v[2]));
                ++vertices;
            }
        EXPECT_EQ(std::vector<int>(xs.begin(), xs.end()), cols) << wired;
        EXPECT_EQ(std::vector<int>(zs.begin(), zs.end()), rows) << wired;
        const size_t points = cols.size() * rows.size();
        EXPECT_EQ(vertices, wired ? 2 * points : 2 * cols.size() * (rows.size() - 1)) << wired;
    }
    frame.TurningView = {0, 0};
    rec.ClearLog();
    DrawChartSurface(chart, frame);
    EXPECT_EQ(Count("glVertex3fv"), 2 * 37u * 21u);
}

} // namespace
