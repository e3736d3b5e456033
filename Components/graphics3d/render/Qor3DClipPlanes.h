// Clip planes placed by a chain of translations and rotations from the current frame, each
// keeping what lies below its local z = 0 plane. In the scene frame GL's own matrices place
// them; where the frame is BoxRelative they are placed in double precision and given in box
// units around the frame's centre, under the view transform, as the data are.
#pragma once

#include "gl/Qor3DLib.h"
#include "render/Qor3DChartPaint.h"

#include <array>

class TQorClipPlanes {
public:
    // In the scene frame: pushes the matrix, popped again at the end of the placement's scope.
    TQorClipPlanes(const TGLFunctions& gl, const TQorSceneFrame& Frame);
    void Translated(double X, double Y, double Z);
    void Rotated(double Angle, double X, double Y, double Z);
    // Sets and enables GL_CLIP_PLANE0 + Index at the place reached.
    void Set(int Index) const;

    // The plane equation of Set in box units: the local z axis and origin in data coordinates.
    std::array<double, 4> BoxEquation() const;

private:
    const TGLFunctions& Fgl;
    const TQorSceneFrame& FFrame;
    TGLMatrixScope FMatrix;
    // Data coordinates of the local frame: origin and the columns of the rotation.
    std::array<double, 3> FOrigin{0, 0, 0};
    std::array<std::array<double, 3>, 3> FAxes{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
};
