// The software view transform against the matrices GL builds from the same drawing control
// (read back in an off-screen paint), and a drawn point against the pixel Project predicts.
#include "draw/Qor3DDraw.h"
#include "draw/Qor3DViewMatrix.h"

#include <gtest/gtest.h>
#include <ostream>

namespace {

struct TView {
    double RotX, RotY, RotZ, ViewRotX, ViewRotY;
    bool Perspective;
    double ViewScale, MoveX, MoveY;
};

// The view in the test's name; the raw bytes gtest would print hold padding.
void PrintTo(const TView& v, std::ostream* Out) {
    *Out << "rot " << v.RotX << " " << v.RotY << " " << v.RotZ << ", view " << v.ViewRotX << " "
         << v.ViewRotY << (v.Perspective ? ", perspective" : ", parallel") << ", scale "
         << v.ViewScale << ", move " << v.MoveX << " " << v.MoveY;
}

void Apply(TQor3DDraw& d, const TView& v) {
    d.SetRotX(v.RotX);
    d.SetRotY(v.RotY);
    d.SetRotZ(v.RotZ);
    d.SetViewRotX(v.ViewRotX);
    d.SetViewRotY(v.ViewRotY);
    d.SetPerspectiveON(v.Perspective);
    d.SetViewScale(v.ViewScale);
    d.SetViewMoveX(v.MoveX);
    d.SetViewMoveY(v.MoveY);
    d.SetScaleX(1.25);
    d.SetTranslZ(-0.1);
}

class Qor3DViewMatrixPicture : public ::testing::TestWithParam<TView> {};

TEST_P(Qor3DViewMatrixPicture, MatchesGLAndItsPixels) {
    constexpr int w = 160;
    constexpr int h = 110;
    TQor3DDraw d;
    Apply(d, GetParam());
    const TQorPoint3d point{0.3, -0.2, 0.25};
    TQorMatrix4 projection{};
    TQorMatrix4 modelView{};
    d.OnPaintGL = [&](TObject*, const TRect&) {
        const TGLFunctions& gl = GL();
        gl.GetDoublev(GL_PROJECTION_MATRIX, projection.data());
        gl.GetDoublev(GL_MODELVIEW_MATRIX, modelView.data());
        gl.Disable(GL_LIGHTING);
        gl.Disable(GL_DEPTH_TEST);
        gl.Color3ub(255, 0, 0);
        gl.Begin(GL_POINTS);
        gl.Vertex3d(point[0], point[1], point[2]);
        gl.End();
    };
    d.RenderToBitmap(w, h);
    ASSERT_EQ(d.LastPaintError(), "");

    const TQor3DViewMatrix view = TQor3DViewMatrix::OfDraw(d, w, h);
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(view.Projection()[i], projection[i], 1e-5) << i;
        EXPECT_NEAR(view.ModelView()[i], modelView[i], 1e-5) << i;
    }

    const TQorScreenPoint s = view.Project(point);
    ASSERT_TRUE(s.Visible);
    const QImage& image = d.ExportBitmap();
    const int px = int(s.X);
    const int py = int(s.Y);
    ASSERT_TRUE(image.rect().contains(px, py));
    EXPECT_EQ(image.pixel(px, py), qRgb(255, 0, 0)) << s.X << ", " << s.Y;

    // The pixel's ray passes through the point; unprojecting at its depth gives it back.
    TQorPoint3d back;
    ASSERT_TRUE(view.Unproject(s.X, s.Y, s.Depth, back));
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(back[k], point[k], 1e-9);
    TQorRay ray;
    ASSERT_TRUE(view.RayThrough(s.X, s.Y, ray));
    const TQorPoint3d o = ray.Origin;
    const TQorPoint3d dir = ray.Direction;
    const TQorPoint3d op{point[0] - o[0], point[1] - o[1], point[2] - o[2]};
    const TQorPoint3d cross{op[1] * dir[2] - op[2] * dir[1], op[2] * dir[0] - op[0] * dir[2],
                            op[0] * dir[1] - op[1] * dir[0]};
    const double len = std::sqrt(dir[0] * dir[0] + dir[1] * dir[1] + dir[2] * dir[2]);
    EXPECT_NEAR(std::hypot(cross[0], cross[1], cross[2]) / len, 0, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Views, Qor3DViewMatrixPicture,
                         ::testing::Values(TView{0, 0, 0, 0, 0, true, 1, 0, 0},
                                           TView{20, -100, 0, 30, 0, true, 1.4, 0.1, -0.05},
                                           TView{-35, 250, 15, -20, 40, false, 0.8, -0.15, 0.1},
                                           TView{170, 95, -60, 80, -130, true, 2.5, 0.05, 0.05},
                                           TView{10, -100, 0, 0, 250, false, 1, 0, 0}));

} // namespace
