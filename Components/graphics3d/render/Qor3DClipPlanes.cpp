#include "render/Qor3DClipPlanes.h"

#include <cmath>

TQorClipPlanes::TQorClipPlanes(const TGLFunctions& gl, const TQorSceneFrame& Frame)
    : Fgl(gl), FFrame(Frame), FMatrix(gl, !Frame.BoxRelative) {}

void TQorClipPlanes::Translated(double X, double Y, double Z) {
    if (!FFrame.BoxRelative)
        return Fgl.Translated(X, Y, Z);
    const std::array<double, 3> v{X, Y, Z};
    for (size_t a = 0; a < 3; ++a)
        for (size_t i = 0; i < 3; ++i)
            FOrigin[i] += FAxes[a][i] * v[a];
}

void TQorClipPlanes::Rotated(double Angle, double X, double Y, double Z) {
    if (!FFrame.BoxRelative)
        return Fgl.Rotated(Angle, X, Y, Z);
    const double len = std::sqrt(X * X + Y * Y + Z * Z);
    if (!(len > 0))
        return;
    const std::array<double, 3> u{X / len, Y / len, Z / len};
    const double rad = Angle * (3.14159265358979323846 / 180);
    const double c = std::cos(rad);
    const double s = std::sin(rad);
    // The rotation's columns (Rodrigues), then the local axes turned by it.
    std::array<std::array<double, 3>, 3> r{};
    for (size_t j = 0; j < 3; ++j)
        for (size_t i = 0; i < 3; ++i)
            r[j][i] = (1 - c) * u[i] * u[j] + (i == j ? c : 0);
    r[1][0] -= s * u[2], r[2][0] += s * u[1];
    r[0][1] += s * u[2], r[2][1] -= s * u[0];
    r[0][2] -= s * u[1], r[1][2] += s * u[0];
    std::array<std::array<double, 3>, 3> axes{};
    for (size_t j = 0; j < 3; ++j)
        for (size_t i = 0; i < 3; ++i)
            for (size_t k = 0; k < 3; ++k)
                axes[j][i] += FAxes[k][i] * r[j][k];
    FAxes = axes;
}

std::array<double, 4> TQorClipPlanes::BoxEquation() const {
    // Kept: local z <= 0, that is g . (x - origin) <= 0 with g the local z axis; x lies at
    // centre + R * u in box units u.
    const std::array<double, 3>& g = FAxes[2];
    const std::array<double, 3> r{FFrame.RX, FFrame.RY, FFrame.RZ};
    std::array<double, 4> e{};
    for (size_t i = 0; i < 3; ++i) {
        e[i] = -g[i] * r[i];
        e[3] -= g[i] * (FFrame.Centre[i] - FOrigin[i]);
    }
    return e;
}

void TQorClipPlanes::Set(int Index) const {
    static constexpr GLdouble keepBelow[4] = {0, 0, -1, 0};
    const GLenum plane = GLenum(GL_CLIP_PLANE0 + Index);
    if (FFrame.BoxRelative) {
        const std::array<double, 4> e = BoxEquation();
        Fgl.ClipPlane(plane, e.data());
    } else {
        Fgl.ClipPlane(plane, keepBelow);
    }
    Fgl.Enable(plane);
}
