#include "QorImportWrite.h"

#include "QorFileOutput.h"
#include "chart/Qor3DChart.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// The grid of a chart in the importers' order: coordinate vectors and the values, i fastest.
struct TGrid {
    bool Volume = false;
    std::vector<float> X, Y, Z;
    std::vector<float> Values;
};

// A full-layout grid carries its coordinates per point: the vectors are taken along the first
// row, column and layer, where a grid read from a vector form has them.
bool GridOf(const TQor3DChart& C, TGrid& G, std::string& Error) {
    const size_t nx = size_t(C.NX()), ny = size_t(std::max(C.NY(), 1)), nz = size_t(C.NZ());
    if (C.DataKind() != dk3D && C.DataKind() != dk4D) {
        Error = "only a 3D grid or a 4D volume can be written in this form";
        return false;
    }
    if (nx == 0 || nz == 0 || C.Data().empty()) {
        Error = "the chart holds no data";
        return false;
    }
    G.Volume = C.DataKind() == dk4D;
    const size_t points = nx * (G.Volume ? ny : 1) * nz;
    const float* d = C.Data().data();
    if (C.LowMemoryLayout()) {
        G.X.assign(C.XValues().begin(), C.XValues().end());
        G.Y.assign(C.YValues().begin(), C.YValues().end());
        G.Z.assign(C.ZValues().begin(), C.ZValues().end());
        G.Values.assign(d, d + points);
        return true;
    }
    const size_t stride = G.Volume ? 4 : 3;
    const size_t zAt = G.Volume ? 2 : 2;
    const size_t vAt = G.Volume ? 3 : 1;
    const size_t layer = G.Volume ? nx * ny : nx;
    for (size_t i = 0; i < nx; ++i)
        G.X.push_back(d[stride * i]);
    if (G.Volume)
        for (size_t j = 0; j < ny; ++j)
            G.Y.push_back(d[stride * nx * j + 1]);
    for (size_t k = 0; k < nz; ++k)
        G.Z.push_back(d[stride * layer * k + zAt]);
    G.Values.resize(points);
    for (size_t p = 0; p < points; ++p)
        G.Values[p] = d[stride * p + vAt];
    return true;
}

void Number(std::string& Out, float v) {
    if (!std::isfinite(v)) {
        Out += "NaN";
        return;
    }
    char b[32];
    // The shortest text that reads back as the same float.
    const auto r = std::to_chars(b, b + sizeof b, v);
    Out.append(b, r.ptr);
}

bool Commit(TQorFileOutput& Out, std::string& Error) {
    if (Out.Ok() && Out.Commit())
        return true;
    Error = Out.Error().empty() ? "the file cannot be written" : Out.Error();
    return false;
}

} // namespace

bool WriteChartNpy(const TQor3DChart& Chart, const std::string& FileName, std::string& Error) {
    TGrid g;
    if (!GridOf(Chart, g, Error))
        return false;
    std::string shape = "(" + std::to_string(g.Z.size()) + ", " +
                        (g.Volume ? std::to_string(g.Y.size()) + ", " : std::string()) +
                        std::to_string(g.X.size()) + ")";
    std::string dict = "{'descr': '<f4', 'fortran_order': False, 'shape': " + shape + ", }";
    // Version 1, the data aligned to 64 bytes as NumPy writes it.
    const size_t unpadded = 10 + dict.size() + 1;
    dict.append((64 - unpadded % 64) % 64, ' ');
    dict += '\n';
    std::string head("\x93NUMPY\x01\x00", 8);
    head += char(dict.size() & 0xFF);
    head += char(dict.size() >> 8);
    head += dict;
    TQorFileOutput out(FileName);
    out.Write(head);
    if constexpr (std::endian::native == std::endian::little) {
        out.Write(reinterpret_cast<const char*>(g.Values.data()), g.Values.size() * sizeof(float));
    } else {
        std::vector<char> b(g.Values.size() * 4);
        for (size_t t = 0; t < g.Values.size(); ++t) {
            const uint32_t u = std::bit_cast<uint32_t>(g.Values[t]);
            const uint32_t r = u >> 24 | (u >> 8 & 0xFF00u) | (u << 8 & 0xFF0000u) | u << 24;
            std::memcpy(&b[4 * t], &r, 4);
        }
        out.Write(b.data(), b.size());
    }
    return Commit(out, Error);
}

bool WriteChartCsv(const TQor3DChart& Chart, const std::string& FileName, std::string& Error) {
    TGrid g;
    if (!GridOf(Chart, g, Error))
        return false;
    TQorFileOutput out(FileName);
    std::string text;
    const auto flush = [&](bool Always) {
        if (Always || text.size() > (size_t(1) << 20)) {
            out.Write(text);
            text.clear();
        }
    };
    const size_t nx = g.X.size(), nz = g.Z.size();
    if (!g.Volume) {
        text += "z\\x";
        for (const float x : g.X) {
            text += ',';
            Number(text, x);
        }
        text += '\n';
        for (size_t k = 0; k < nz; ++k) {
            Number(text, g.Z[k]);
            for (size_t i = 0; i < nx; ++i) {
                text += ',';
                Number(text, g.Values[i + nx * k]);
            }
            text += '\n';
            flush(false);
        }
    } else {
        const size_t ny = g.Y.size();
        text += "x,y,z,v\n";
        for (size_t k = 0; k < nz; ++k)
            for (size_t j = 0; j < ny; ++j)
                for (size_t i = 0; i < nx; ++i) {
                    Number(text, g.X[i]);
                    text += ',';
                    Number(text, g.Y[j]);
                    text += ',';
                    Number(text, g.Z[k]);
                    text += ',';
                    Number(text, g.Values[i + nx * (j + ny * k)]);
                    text += '\n';
                    flush(false);
                }
    }
    flush(true);
    return Commit(out, Error);
}
