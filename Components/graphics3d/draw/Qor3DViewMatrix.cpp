#include "draw/Qor3DViewMatrix.h"

#include "draw/Qor3DDraw.h"

#include <cmath>
#include <numbers>

namespace {

// Element (Row, Col) of a column-ordered matrix.
constexpr int At(int Row, int Col) {
    return Col * 4 + Row;
}

// The frustum's half extents at the near plane, as SetupProjection computes them: the ratio
// XMin / YMin is kept, the window's aspect widens the one or the other.
std::array<double, 2> HalfExtents(const TQor3DDraw& Draw, int Width, int Height) {
    double r0 = Draw.YMin() > 0 ? Draw.XMin() / Draw.YMin() : 1;
    double aspect = Height > 0 ? double(Width) / Height : 1;
    if (aspect <= 0)
        aspect = 1;
    if (r0 <= 0)
        r0 = 1;
    if (aspect >= r0)
        return {Draw.XMin() * aspect / r0, Draw.YMin()};
    return {Draw.XMin(), Draw.YMin() * r0 / aspect};
}

// The steps of TQor3DDraw::ApplyViewTransform, in its order.
TQorMatrix4 ViewTransform(const TQor3DDraw& Draw) {
    using namespace QorMatrix;
    const double a = Draw.ViewRotY() * std::numbers::pi / 180;
    TQorMatrix4 m = Translation(Draw.ViewMoveX(), Draw.ViewMoveY(), Draw.ViewMoveZ());
    m = Multiply(m, Scaling(Draw.ViewScale(), Draw.ViewScale(), Draw.ViewScale()));
    m = Multiply(m, Rotation(Draw.ViewRotY(), 0, 1, 0));
    m = Multiply(m, Rotation(Draw.ViewRotX(), std::cos(a), 0, std::sin(a)));
    m = Multiply(m, Rotation(Draw.RotZ(), 0, 0, 1));
    m = Multiply(m, Rotation(Draw.RotY(), 0, 1, 0));
    m = Multiply(m, Rotation(Draw.RotX(), 1, 0, 0));
    m = Multiply(m, Scaling(Draw.ScaleX(), Draw.ScaleY(), Draw.ScaleZ()));
    return Multiply(m, Translation(Draw.TranslX(), Draw.TranslY(), Draw.TranslZ()));
}

} // namespace

TQorMatrix4 QorMatrix::Identity() {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

TQorMatrix4 QorMatrix::Multiply(const TQorMatrix4& A, const TQorMatrix4& B) {
    TQorMatrix4 r{};
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) {
            double s = 0;
            for (int k = 0; k < 4; ++k)
                s += A[At(row, k)] * B[At(k, col)];
            r[At(row, col)] = s;
        }
    return r;
}

TQorMatrix4 QorMatrix::Translation(double X, double Y, double Z) {
    TQorMatrix4 m = Identity();
    m[At(0, 3)] = X;
    m[At(1, 3)] = Y;
    m[At(2, 3)] = Z;
    return m;
}

TQorMatrix4 QorMatrix::Scaling(double X, double Y, double Z) {
    TQorMatrix4 m = Identity();
    m[At(0, 0)] = X;
    m[At(1, 1)] = Y;
    m[At(2, 2)] = Z;
    return m;
}

TQorMatrix4 QorMatrix::Rotation(double Angle, double X, double Y, double Z) {
    const double length = std::sqrt(X * X + Y * Y + Z * Z);
    // GL leaves the matrix alone for an axis of no length.
    if (!(length > 0))
        return Identity();
    X /= length;
    Y /= length;
    Z /= length;
    const double rad = Angle * std::numbers::pi / 180;
    const double c = std::cos(rad);
    const double s = std::sin(rad);
    const double t = 1 - c;
    TQorMatrix4 m = Identity();
    m[At(0, 0)] = X * X * t + c;
    m[At(0, 1)] = X * Y * t - Z * s;
    m[At(0, 2)] = X * Z * t + Y * s;
    m[At(1, 0)] = Y * X * t + Z * s;
    m[At(1, 1)] = Y * Y * t + c;
    m[At(1, 2)] = Y * Z * t - X * s;
    m[At(2, 0)] = X * Z * t - Y * s;
    m[At(2, 1)] = Y * Z * t + X * s;
    m[At(2, 2)] = Z * Z * t + c;
    return m;
}

TQorMatrix4 QorMatrix::Frustum(double Left, double Right, double Bottom, double Top, double Near,
                               double Far) {
    TQorMatrix4 m{};
    m[At(0, 0)] = 2 * Near / (Right - Left);
    m[At(1, 1)] = 2 * Near / (Top - Bottom);
    m[At(0, 2)] = (Right + Left) / (Right - Left);
    m[At(1, 2)] = (Top + Bottom) / (Top - Bottom);
    m[At(2, 2)] = -(Far + Near) / (Far - Near);
    m[At(3, 2)] = -1;
    m[At(2, 3)] = -2 * Far * Near / (Far - Near);
    return m;
}

TQorMatrix4 QorMatrix::Ortho(double Left, double Right, double Bottom, double Top, double Near,
                             double Far) {
    TQorMatrix4 m = Identity();
    m[At(0, 0)] = 2 / (Right - Left);
    m[At(1, 1)] = 2 / (Top - Bottom);
    m[At(2, 2)] = -2 / (Far - Near);
    m[At(0, 3)] = -(Right + Left) / (Right - Left);
    m[At(1, 3)] = -(Top + Bottom) / (Top - Bottom);
    m[At(2, 3)] = -(Far + Near) / (Far - Near);
    return m;
}

// Cofactors, then the determinant from the first column.
bool QorMatrix::Inverse(const TQorMatrix4& m, TQorMatrix4& Result) {
    TQorMatrix4 inv;
    inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] +
             m[9] * m[7] * m[14] + m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] -
             m[8] * m[7] * m[14] - m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] +
             m[8] * m[7] * m[13] + m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] -
              m[8] * m[6] * m[13] - m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] -
             m[9] * m[3] * m[14] - m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] +
             m[8] * m[3] * m[14] + m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] -
             m[8] * m[3] * m[13] - m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] +
              m[8] * m[2] * m[13] + m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
             m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] -
             m[4] * m[3] * m[14] - m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] +
              m[4] * m[3] * m[13] + m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] -
              m[4] * m[2] * m[13] - m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] -
             m[5] * m[3] * m[10] - m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
             m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
              m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] +
              m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
    const double det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
    if (!(std::fabs(det) > 0) || !std::isfinite(det))
        return false;
    for (double& v : inv)
        v /= det;
    Result = inv;
    return true;
}

TQorPoint3d QorMatrix::Transform(const TQorMatrix4& M, const TQorPoint3d& P, double* W) {
    std::array<double, 4> r{};
    for (int row = 0; row < 4; ++row)
        r[row] = M[At(row, 0)] * P[0] + M[At(row, 1)] * P[1] + M[At(row, 2)] * P[2] + M[At(row, 3)];
    if (W != nullptr)
        *W = r[3];
    const double w = r[3] != 0 ? r[3] : 1;
    return {r[0] / w, r[1] / w, r[2] / w};
}

TQor3DViewMatrix::TQor3DViewMatrix(const TQorMatrix4& Projection, const TQorMatrix4& ModelView,
                                   int Width, int Height)
    : FProjection(Projection), FModelView(ModelView), FWidth(Width), FHeight(Height) {}

TQor3DViewMatrix TQor3DViewMatrix::OfDraw(const TQor3DDraw& Draw, int Width, int Height) {
    const auto [xr, yr] = HalfExtents(Draw, Width, Height);
    const TQorMatrix4 projection =
        Draw.PerspectiveON() ? QorMatrix::Frustum(-xr, xr, -yr, yr, Draw.ZNear(), Draw.ZFar())
                             : QorMatrix::Ortho(-xr, xr, -yr, yr, Draw.ZNear(), Draw.ZFar());
    return {projection, ViewTransform(Draw), Width, Height};
}

TQor3DViewMatrix TQor3DViewMatrix::Then(const TQorMatrix4& Model) const {
    return {FProjection, QorMatrix::Multiply(FModelView, Model), FWidth, FHeight};
}

TQorScreenPoint TQor3DViewMatrix::Project(const TQorPoint3d& P) const {
    double w = 0;
    const TQorPoint3d ndc =
        QorMatrix::Transform(QorMatrix::Multiply(FProjection, FModelView), P, &w);
    TQorScreenPoint s;
    s.X = (ndc[0] + 1) / 2 * FWidth;
    s.Y = (1 - ndc[1]) / 2 * FHeight;
    s.Depth = (ndc[2] + 1) / 2;
    s.Visible = w > 0 && ndc[2] >= -1 && ndc[2] <= 1;
    return s;
}

bool TQor3DViewMatrix::Unproject(double X, double Y, double Depth, TQorPoint3d& P) const {
    TQorMatrix4 inverse;
    if (FWidth <= 0 || FHeight <= 0 ||
        !QorMatrix::Inverse(QorMatrix::Multiply(FProjection, FModelView), inverse))
        return false;
    const TQorPoint3d ndc{2 * X / FWidth - 1, 1 - 2 * Y / FHeight, 2 * Depth - 1};
    double w = 0;
    P = QorMatrix::Transform(inverse, ndc, &w);
    return w != 0 && std::isfinite(P[0]) && std::isfinite(P[1]) && std::isfinite(P[2]);
}

bool TQor3DViewMatrix::RayThrough(double X, double Y, TQorRay& Ray) const {
    TQorPoint3d nearPoint;
    TQorPoint3d farPoint;
    if (!Unproject(X, Y, 0, nearPoint) || !Unproject(X, Y, 1, farPoint))
        return false;
    Ray.Origin = nearPoint;
    Ray.Direction = {farPoint[0] - nearPoint[0], farPoint[1] - nearPoint[1],
                     farPoint[2] - nearPoint[2]};
    return true;
}
