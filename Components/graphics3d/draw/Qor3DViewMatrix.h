// TQor3DViewMatrix: the drawing control's projection and view transform computed in software,
// the same steps SetupProjection and ApplyViewTransform give GL, so a pixel can be turned into a
// ray (picking) and a point into a pixel (labels, markers) without asking GL for its matrices.
// Matrices are 4 × 4 doubles in the column order glMultMatrixd takes; pixels count from the
// top-left corner of the view, y downwards, as the widgets' mouse positions do.
#pragma once

#include <array>

class TQor3DDraw;

using TQorMatrix4 = std::array<double, 16>;
using TQorPoint3d = std::array<double, 3>;

namespace QorMatrix {
TQorMatrix4 Identity();
// A × B: B is applied first, as glMultMatrixd(B) after A.
TQorMatrix4 Multiply(const TQorMatrix4& A, const TQorMatrix4& B);
TQorMatrix4 Translation(double X, double Y, double Z);
TQorMatrix4 Scaling(double X, double Y, double Z);
// As glRotated: Angle in degrees about the axis (X, Y, Z), which need not be of unit length.
TQorMatrix4 Rotation(double Angle, double X, double Y, double Z);
TQorMatrix4 Frustum(double Left, double Right, double Bottom, double Top, double Near, double Far);
TQorMatrix4 Ortho(double Left, double Right, double Bottom, double Top, double Near, double Far);
// False (and Result untouched) for a singular matrix.
bool Inverse(const TQorMatrix4& M, TQorMatrix4& Result);
// M × (P, 1), divided by w; w itself goes to W when asked.
TQorPoint3d Transform(const TQorMatrix4& M, const TQorPoint3d& P, double* W = nullptr);
} // namespace QorMatrix

// A line through the scene: Origin on the near plane, Direction towards the far plane (not of
// unit length; Origin + Direction lies on the far plane).
struct TQorRay {
    TQorPoint3d Origin{0, 0, 0};
    TQorPoint3d Direction{0, 0, 1};
};

// Where a projected point lies: X, Y in pixels (top-left origin), Depth as the depth buffer
// holds it (0 near, 1 far); Visible is false behind the eye or outside near and far.
struct TQorScreenPoint {
    double X = 0;
    double Y = 0;
    double Depth = 0;
    bool Visible = false;
};

class TQor3DViewMatrix {
public:
    TQor3DViewMatrix() = default;
    TQor3DViewMatrix(const TQorMatrix4& Projection, const TQorMatrix4& ModelView, int Width,
                     int Height);
    // The transforms a paint of Draw at Width × Height pixels sets up before OnPaintGL.
    static TQor3DViewMatrix OfDraw(const TQor3DDraw& Draw, int Width, int Height);

    const TQorMatrix4& Projection() const { return FProjection; }
    const TQorMatrix4& ModelView() const { return FModelView; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }

    // The same view with Model applied to the vertices first (glMultMatrixd(Model) after it).
    TQor3DViewMatrix Then(const TQorMatrix4& Model) const;

    TQorScreenPoint Project(const TQorPoint3d& P) const;
    // The model point at pixel (X, Y) and buffer depth Depth; false when the view is singular.
    bool Unproject(double X, double Y, double Depth, TQorPoint3d& P) const;
    // The ray through pixel position (X, Y) (a pixel's centre is at +0.5), in model coordinates.
    bool RayThrough(double X, double Y, TQorRay& Ray) const;

private:
    TQorMatrix4 FProjection = QorMatrix::Identity();
    TQorMatrix4 FModelView = QorMatrix::Identity();
    int FWidth = 1;
    int FHeight = 1;
};
