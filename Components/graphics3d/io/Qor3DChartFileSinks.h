// The sinks of the chart-file reader (internal to io/): where each number of a form's bulk goes,
// in the layout the chart keeps, with the ranges and the normals gathered on the way.
#pragma once

#include "io/Qor3DChartFileDetail.h"

#include "chart/Qor3DChart.h"
#include "chart/Qor3DChartNormals.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace QorChartFileDetail {

inline float At(const std::vector<float>& v, int64_t i) {
    return i >= 0 && Index(i) < v.size() ? v[Index(i)] : 0.0f;
}

// The coordinates of the point at (column, row) of a face of a dk4DSurface grid, from the three
// coordinate vectors.
inline std::array<float, 3> FacePoint(int Face, int64_t Col, int64_t Row,
                                      const std::vector<float>& xs, const std::vector<float>& ys,
                                      const std::vector<float>& zs) {
    const auto last = [](const std::vector<float>& v) {
        return int64_t(v.size()) - 1;
    };
    switch (Face) {
    case 1:
        return {At(xs, Col), At(ys, Row), At(zs, 0)};
    case 2:
        return {At(xs, Col), At(ys, Row), At(zs, last(zs))};
    case 3:
        return {At(xs, 0), At(ys, Row), At(zs, Col)};
    case 4:
        return {At(xs, last(xs)), At(ys, Row), At(zs, Col)};
    case 5:
        return {At(xs, Col), At(ys, 0), At(zs, Row)};
    default:
        return {At(xs, Col), At(ys, last(ys)), At(zs, Row)};
    }
}

// ---- Sinks --------------------------------------------------------------------------------------
// A sink stores the numbers of a form's bulk from a given number on: Put stores the next one,
// PutZero clears its places (a failed read leaves zeros, as the sizing would have), Extremes and
// NormalRows report what was gathered.

class TSinkBase {
public:
    const TQorDataExtremes& Extremes() const { return FExtremes; }
    TRowSpan NormalRows() const { return {}; }

protected:
    TQorDataExtremes FExtremes;
};

// Number t into Data[t]; its component is Component, or cycles x, y, z, v with t (Cycle4).
class TPlainSink : public TSinkBase {
public:
    TPlainSink(float* Data, int64_t First, size_t Component, bool Cycle4)
        : FAt(Data + First), FComponent(Cycle4 ? size_t(First % 4) : Component), FCycle(Cycle4) {}
    void Put(float v) {
        *FAt++ = v;
        FExtremes.Add(FComponent, v);
        if (FCycle)
            FComponent = (FComponent + 1) & 3;
    }
    void PutZero() { *FAt++ = 0; }

private:
    float* FAt;
    size_t FComponent;
    bool FCycle;
};

// Blocks of one component over all Points points (the "Hi" forms): block b holds component
// Order[b] of points 0 ... Points - 1, Stride floats per point.
class TBlockSink : public TSinkBase {
public:
    TBlockSink(float* Data, int64_t Points, size_t Stride, std::array<size_t, 4> Order,
               int64_t First)
        : FData(Data), FPoints(Points), FStride(Stride), FOrder(Order),
          FBlock(Points > 0 ? size_t(First / Points) : 0), FPoint(Points > 0 ? First % Points : 0) {
    }
    void Put(float v) { Store(v, true); }
    void PutZero() { Store(0, false); }

private:
    void Store(float v, bool Gather) {
        const size_t c = FOrder[FBlock];
        FData[Index(FPoint) * FStride + c] = v;
        if (Gather)
            FExtremes.Add(c, v);
        if (++FPoint == FPoints) {
            FPoint = 0;
            ++FBlock;
        }
    }
    float* FData;
    int64_t FPoints;
    size_t FStride;
    std::array<size_t, 4> FOrder;
    size_t FBlock;
    int64_t FPoint;
};

// The heights of a 3D grid form in the full layout: point (i, k) gets (x_i, height, z_k). The
// normals of a row are computed as soon as the rows around it are stored by this sink.
class TGrid3DSink : public TSinkBase {
public:
    TGrid3DSink(float* Data, const std::vector<float>& Xs, const std::vector<float>& Zs,
                int16_t* Normals, int64_t First)
        : FData(Data), FXs(Xs), FZs(Zs), FNX(int64_t(Xs.size())), FNZ(int64_t(Zs.size())),
          FPoint(First), FI(FNX > 0 ? First % FNX : 0), FK(FNX > 0 ? First / FNX : 0),
          FFullFrom(FI == 0 ? FK : FK + 1), FNormals(Data, size_t(FNX), size_t(FNZ), Normals),
          FHasNormals(Normals != nullptr) {}

    void Put(float v) {
        float* p = FData + 3 * FPoint;
        p[0] = FXs[Index(FI)];
        p[1] = v;
        p[2] = FZs[Index(FK)];
        // Every x and z of the vectors is stored, so their ranges are the vectors'.
        FExtremes.Add(1, v);
        Advance();
    }
    void PutZero() {
        float* p = FData + 3 * FPoint;
        p[0] = p[1] = p[2] = 0;
        ++FPoint;
    }
    TRowSpan NormalRows() const { return FRows; }

private:
    void Advance() {
        ++FPoint;
        if (++FI < FNX)
            return;
        FI = 0;
        RowStored(FK++);
    }
    // Row K is stored whole: the row before it has both neighbours now, and the last row has
    // no row after it.
    void RowStored(int64_t K) {
        if (!FHasNormals || K < FFullFrom)
            return;
        const auto ready = [&](int64_t Row) {
            return Row >= FFullFrom && (Row == 0 || Row - 1 >= FFullFrom);
        };
        if (K >= 1 && ready(K - 1))
            Computed(K - 1);
        if (K == FNZ - 1 && ready(K))
            Computed(K);
    }
    void Computed(int64_t Row) {
        FNormals.Compute(size_t(Row), size_t(Row + 1));
        if (FRows.First == FRows.Last)
            FRows = {Row, Row + 1};
        else
            FRows.Last = Row + 1;
    }

    float* FData;
    const std::vector<float>& FXs;
    const std::vector<float>& FZs;
    int64_t FNX;
    int64_t FNZ;
    int64_t FPoint;
    int64_t FI;
    int64_t FK;
    int64_t FFullFrom; // the first row this sink stores whole
    TQorNormalRows FNormals;
    bool FHasNormals;
    TRowSpan FRows;
};

// The pairs of the two COLOR forms: number t is the first or second of point t / 2, which also
// gets x_i and z_k.
class TColorSink : public TSinkBase {
public:
    TColorSink(float* Data, const std::vector<float>& Xs, const std::vector<float>& Zs,
               bool Swapped, int64_t First)
        : FData(Data), FXs(Xs), FNX(int64_t(Xs.size())), FZs(Zs), FSwapped(Swapped),
          FPoint(First / 2), FSecond(First % 2 != 0) {}
    void Put(float v) {
        float* p = FData + 4 * FPoint;
        const size_t c = FSecond != FSwapped ? 3 : 1;
        if (!FSecond) {
            p[0] = FXs[Index(FPoint % FNX)];
            p[2] = FZs[Index(FPoint / FNX)];
            FExtremes.Add(0, p[0]);
            FExtremes.Add(2, p[2]);
        }
        p[c] = v;
        FExtremes.Add(c, v);
        Advance();
    }
    void PutZero() {
        float* p = FData + 4 * FPoint;
        if (!FSecond)
            p[0] = p[2] = 0;
        p[FSecond != FSwapped ? 3 : 1] = 0;
        Advance();
    }

private:
    void Advance() {
        FPoint += FSecond ? 1 : 0;
        FSecond = !FSecond;
    }
    float* FData;
    const std::vector<float>& FXs;
    int64_t FNX;
    const std::vector<float>& FZs;
    bool FSwapped;
    int64_t FPoint;
    bool FSecond;
};

// Points of four floats x, y, z, v whose coordinates come from the three vectors.
class TCoordinateSink : public TSinkBase {
public:
    void PutZero() {
        std::fill(FAt, FAt + 4, 0.0f);
        FAt += 4;
    }

protected:
    TCoordinateSink(float* Data, const std::vector<float>& Xs, const std::vector<float>& Ys,
                    const std::vector<float>& Zs, int64_t First)
        : FXs(Xs), FYs(Ys), FZs(Zs), FAt(Data + 4 * First) {}
    void Store(float x, float y, float z, float v) {
        FAt[0] = x;
        FAt[1] = y;
        FAt[2] = z;
        FAt[3] = v;
        for (size_t c = 0; c < 4; ++c)
            FExtremes.Add(c, FAt[c]);
        FAt += 4;
    }

    const std::vector<float>& FXs;
    const std::vector<float>& FYs;
    const std::vector<float>& FZs;

private:
    float* FAt;
};

// The values of a 4D grid form in the full layout: point (i, j, k) gets (x_i, y_j, z_k, v).
class TGrid4DSink : public TCoordinateSink {
public:
    TGrid4DSink(float* Data, const std::vector<float>& Xs, const std::vector<float>& Ys,
                const std::vector<float>& Zs, int64_t First)
        : TCoordinateSink(Data, Xs, Ys, Zs, First) {
        const int64_t nx = int64_t(Xs.size()), ny = int64_t(Ys.size());
        if (nx > 0 && ny > 0) {
            FI = First % nx;
            FJ = First / nx % ny;
            FK = First / nx / ny;
        }
    }
    void Put(float v) {
        Store(FXs[Index(FI)], FYs[Index(FJ)], FZs[Index(FK)], v);
        if (++FI < int64_t(FXs.size()))
            return;
        FI = 0;
        if (++FJ < int64_t(FYs.size()))
            return;
        FJ = 0;
        ++FK;
    }

private:
    int64_t FI = 0, FJ = 0, FK = 0;
};

// The face values of a 4D-surface grid form in the full layout, each point with the
// coordinates of its place on the box.
class TSurfaceSink : public TCoordinateSink {
public:
    TSurfaceSink(float* Data, const std::vector<float>& Xs, const std::vector<float>& Ys,
                 const std::vector<float>& Zs, int64_t First)
        : TCoordinateSink(Data, Xs, Ys, Zs, First) {
        const int nx = int(Xs.size()), ny = int(Ys.size()), nz = int(Zs.size());
        while (FFace < 6 && TQor3DChart::FaceStart(FFace + 1, nx, ny, nz) <= First)
            ++FFace;
        const int64_t offset = First - TQor3DChart::FaceStart(FFace, nx, ny, nz);
        FShape = FaceShape(FFace, nx, ny, nz);
        FRow = FShape.Cols > 0 ? offset / FShape.Cols : 0;
        FCol = FShape.Cols > 0 ? offset % FShape.Cols : 0;
    }
    void Put(float v) {
        const std::array<float, 3> xyz = FacePoint(FFace, FCol, FRow, FXs, FYs, FZs);
        Store(xyz[0], xyz[1], xyz[2], v);
        if (++FCol < FShape.Cols)
            return;
        FCol = 0;
        if (++FRow < FShape.Rows)
            return;
        FRow = 0;
        // The next face with points.
        do
            FShape = FaceShape(++FFace, int(FXs.size()), int(FYs.size()), int(FZs.size()));
        while (FFace < 6 && FShape.Rows * FShape.Cols == 0);
    }

private:
    int FFace = 1;
    TFaceShape FShape{};
    int64_t FRow = 0;
    int64_t FCol = 0;
};

} // namespace QorChartFileDetail
