#include "render/Qor3DClipPlanes.h"

#include "Qor3DPaintTestSupport.h"

#include <gtest/gtest.h>

namespace {

using ClipPlanes = TRecordedPaint;

// Far from the origin the clip planes are placed in double precision, in box units around the
// frame's centre: a plane a hair beyond a data value still keeps it and drops the next hair.
TEST_F(ClipPlanes, BoxRelativeClipPlanesKeepTheirPlaceFarFromTheOrigin) {
    TQorSceneFrame far;
    far.BoxRelative = true;
    far.RX = 2, far.RY = 4, far.RZ = 0.5;
    far.Centre = {1e7, -3e6, 5};
    const auto value = [&](const std::array<double, 4>& e, std::array<double, 3> x) {
        double v = e[3];
        const std::array<double, 3> r{far.RX, far.RY, far.RZ};
        for (size_t i = 0; i < 3; ++i)
            v += e[i] * (x[i] - far.Centre[i]) / r[i];
        return v;
    };
    // x <= 1e7 + 0.25 (the clip box's upper X plane), y >= -3e6 - 1 (its lower Y plane).
    TQorClipPlanes upperX(GL(), far);
    upperX.Translated(1e7 + 0.25, 0, 0);
    upperX.Rotated(90, 0, 1, 0);
    const std::array<double, 4> ex = upperX.BoxEquation();
    EXPECT_NEAR(value(ex, {1e7 + 0.25, 0, 0}), 0, 1e-9);
    EXPECT_GT(value(ex, {1e7 + 0.2499, 7, 3}), 0);
    EXPECT_LT(value(ex, {1e7 + 0.2501, 7, 3}), 0);
    TQorClipPlanes lowerY(GL(), far);
    lowerY.Translated(0, -3e6 - 1, 0);
    lowerY.Rotated(90, 1, 0, 0);
    const std::array<double, 4> ey = lowerY.BoxEquation();
    EXPECT_GT(value(ey, {1, -3e6 - 0.9999, 2}), 0);
    EXPECT_LT(value(ey, {1, -3e6 - 1.0001, 2}), 0);
    // A chain: lifted, laid flat, then tilted by 45 degrees about its own x axis.
    TQorClipPlanes tilted(GL(), far);
    tilted.Translated(1e7, -3e6, 5);
    tilted.Rotated(90, -1, 0, 0);
    tilted.Rotated(45, 1, 0, 0);
    const std::array<double, 4> et = tilted.BoxEquation();
    // Its local z axis is (0, 1, 1) / sqrt 2 in data coordinates: kept below y + z = const.
    EXPECT_GT(value(et, {1e7 + 9, -3e6 + 0.0999, 5 - 0.1}), 0);
    EXPECT_LT(value(et, {1e7 + 9, -3e6 + 0.1001, 5 - 0.1}), 0);
    // Nothing was pushed or drawn for box-relative planes until Set.
    EXPECT_TRUE(rec.Log().empty());
    tilted.Set(2);
    EXPECT_EQ(rec.Log().at(0).Name, "glClipPlane");
    EXPECT_EQ(rec.Log().at(1).Text(), "glEnable(GL_CLIP_PLANE2)");
}

} // namespace
