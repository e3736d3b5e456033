// The normal of a point of a grid surface (rows and columns of points): one rule for the
// normals a 3D chart stores and for those the painters compute while drawing (low-memory
// surfaces, 4D layers, the layer list), so both light a surface alike.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

template <class T> struct TQorVec3 {
    T X = 0;
    T Y = 0;
    T Z = 0;
};

template <class T> TQorVec3<T> Negated(const TQorVec3<T>& V) {
    return {-V.X, -V.Y, -V.Z};
}

// The unit vector from P towards Q, in the points' own precision; a length below 1e-20 counts
// as 1, so Q = P gives the zero vector. A neighbour that is not finite (or too far to subtract)
// counts as missing: zero as well.
template <class T> TQorVec3<T> UnitTowards(const TQorVec3<T>& P, const TQorVec3<T>& Q) {
    const T dx = Q.X - P.X;
    const T dy = Q.Y - P.Y;
    const T dz = Q.Z - P.Z;
    if (!std::isfinite(dx) || !std::isfinite(dy) || !std::isfinite(dz))
        return {};
    T len = T(std::sqrt(double(dx) * dx + double(dy) * dy + double(dz) * dz));
    if (len < T(1e-20))
        len = 1;
    return {dx / len, dy / len, dz / len};
}

// The normal from the unit vectors towards the neighbours in the previous row (A), the previous
// column (B), the next row (C) and the next column (D), each zero where there is none:
// A x B + B x C + C x D + D x A, which is (A - C) x (B - D), in double precision.
template <class T>
TQorVec3<double> GridNormal(const TQorVec3<T>& A, const TQorVec3<T>& B, const TQorVec3<T>& C,
                            const TQorVec3<T>& D) {
    const double ux = double(A.X) - C.X, uy = double(A.Y) - C.Y, uz = double(A.Z) - C.Z;
    const double vx = double(B.X) - D.X, vy = double(B.Y) - D.Y, vz = double(B.Z) - D.Z;
    return {uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx};
}

// The normal of point (Col, Row) of a Cols x Rows grid; Point(c, r) gives a point as TQorVec3.
template <class F>
TQorVec3<double> GridPointNormal(F&& Point, int Col, int Row, int Cols, int Rows) {
    const auto p = Point(Col, Row);
    return GridNormal(UnitTowards(p, Row > 0 ? Point(Col, Row - 1) : p),
                      UnitTowards(p, Col > 0 ? Point(Col - 1, Row) : p),
                      UnitTowards(p, Row + 1 < Rows ? Point(Col, Row + 1) : p),
                      UnitTowards(p, Col + 1 < Cols ? Point(Col + 1, Row) : p));
}

// The points Col0 ... Col1 x Row0 ... Row1 of a grid of Cols x Rows points.
struct TQorGridRect {
    int Col0 = 0;
    int Col1 = 0;
    int Row0 = 0;
    int Row1 = 0;
    int Cols = 0;
    int Rows = 0;
};

// The same normals for the points of a rectangle of a grid, row by row, with each point and
// each edge's unit vector computed once: the vector from Q towards P is the negated one from P
// towards Q, up to the sign of a zero, which changes no direction. Emit(c, r, normal) is called
// in row order, columns inner.
template <class T> class TQorGridRectNormals {
public:
    template <class F, class E> void Compute(F&& Point, const TQorGridRect& Rect, E&& Emit) {
        const auto [Col0, Col1, Row0, Row1, Cols, Rows] = Rect;
        const int first = Col0 > 0 ? Col0 - 1 : Col0;
        const int last = Col1 + 1 < Cols ? Col1 + 1 : Col1;
        const size_t width = size_t(last - first + 1);
        const auto fill = [&](int r, std::vector<TVec>& Out) {
            Out.resize(width);
            for (size_t i = 0; i < width; ++i)
                Out[i] = Point(first + int(i), r);
        };
        fill(Row0, FRow);
        FUp.assign(width, TVec{});
        if (Row0 > 0) {
            fill(Row0 - 1, FNext);
            for (size_t i = 0; i < width; ++i)
                FUp[i] = UnitTowards(FRow[i], FNext[i]);
        }
        FRight.resize(width);
        for (int r = Row0; r <= Row1; ++r) {
            for (size_t i = 0; i + 1 < width; ++i)
                FRight[i] = UnitTowards(FRow[i], FRow[i + 1]);
            FDown.assign(width, TVec{});
            if (r + 1 < Rows) {
                fill(r + 1, FNext);
                for (size_t i = 0; i < width; ++i)
                    FDown[i] = UnitTowards(FRow[i], FNext[i]);
            }
            for (int c = Col0; c <= Col1; ++c) {
                const size_t i = size_t(c - first);
                const TVec left = c > 0 ? Negated(FRight[i - 1]) : TVec{};
                const TVec right = c + 1 < Cols ? FRight[i] : TVec{};
                Emit(c, r, GridNormal(FUp[i], left, FDown[i], right));
            }
            for (size_t i = 0; i < width; ++i)
                FUp[i] = Negated(FDown[i]);
            std::swap(FRow, FNext);
        }
    }

private:
    using TVec = TQorVec3<T>;
    std::vector<TVec> FRow, FNext, FRight, FUp, FDown;
};

using TQorNormal16 = std::array<int16_t, 3>;

// Where the neighbours give no direction (a lone point, a degenerate cell, a sum too long to
// measure).
inline bool NoDirection(const TQorVec3<double>& N, double& Length) {
    Length = std::sqrt(N.X * N.X + N.Y * N.Y + N.Z * N.Z);
    return !(Length >= 1e-20) || !std::isfinite(Length);
}

// The stored form: 16-bit components scaled to length 32000, just below the largest a short
// holds (32767), so each component keeps about 15 bits; (1, 1, 1) where there is no direction.
inline TQorNormal16 NormalToInt16(const TQorVec3<double>& N) {
    double len = 0;
    if (NoDirection(N, len))
        return {1, 1, 1};
    const double f = 32000.0 / len;
    return {int16_t(std::trunc(N.X * f)), int16_t(std::trunc(N.Y * f)),
            int16_t(std::trunc(N.Z * f))};
}

// Scaled to length 1; (1, 1, 1) where there is no direction.
inline std::array<double, 3> NormalToUnit(const TQorVec3<double>& N) {
    double len = 0;
    if (NoDirection(N, len))
        return {1, 1, 1};
    return {N.X / len, N.Y / len, N.Z / len};
}
