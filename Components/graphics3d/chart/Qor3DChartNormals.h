// Surface normals of a full-layout 3D grid (three floats x, height, z per point), row by row.
// A row's normals need the rows before and after it, so a reader can compute each row as soon
// as the row after it is stored, while the numbers are still in the cache.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TQorNormalRows {
public:
    // Rows of nx points, nz of them, in Data; three 16-bit normals per point go to Out.
    TQorNormalRows(const float* Data, size_t nx, size_t nz, int16_t* Out);

    // Normals of rows First ... Last - 1. A call that starts where the previous one ended reuses
    // the edges it computed. Rows First - 1 and Last (where they exist) must be stored.
    void Compute(size_t First, size_t Last);

    // Unit vectors of the edges of a row, one array per component.
    struct TEdges {
        std::vector<float> X, Y, Z;
    };

private:
    const float* Point(size_t i, size_t k) const { return FData + 3 * (i + FNX * k); }
    void Normals(size_t k);

    const float* FData;
    size_t FNX;
    size_t FNZ;
    int16_t* FOut;
    TEdges FUp, FDown, FRight;
    size_t FNext = SIZE_MAX;
};

// Normals of rows First ... Last - 1 spread over the cores for a large grid.
void ComputeNormalRows(const float* Data, size_t nx, size_t nz, size_t First, size_t Last,
                       int16_t* Out);
