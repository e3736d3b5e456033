#include "PyArrays.h"

#include <array>
#include <climits>
#include <cmath>

namespace {

using TFloats = py::array_t<float, py::array::c_style | py::array::forcecast>;

std::string ShapeText(const py::array& A) {
    std::string s = "(";
    for (py::ssize_t d = 0; d < A.ndim(); ++d)
        s += (d > 0 ? ", " : "") + std::to_string(A.shape(d));
    return s + (A.ndim() == 1 ? ",)" : ")");
}

int Count(py::ssize_t n, const std::string& What) {
    if (n > INT_MAX)
        throw py::value_error(What + " has " + std::to_string(n) +
                              " points along one axis; the chart takes at most " +
                              std::to_string(INT_MAX));
    return int(n);
}

// A coordinate vector of N values: None gives 0 ... N - 1.
// Against says what N counts: "y has 5 columns (...)".
std::vector<float> Coordinates(py::handle Object, const std::string& Name, int N,
                               const std::string& Against) {
    std::vector<float> v(static_cast<size_t>(N));
    if (Object.is_none()) {
        for (int i = 0; i < N; ++i)
            v[size_t(i)] = float(i);
        return v;
    }
    const py::array_t<float> a = FloatArray(Object, Name);
    if (a.ndim() != 1)
        throw py::value_error(Name + " must be a 1-D array of coordinates; got shape " +
                              ShapeText(a));
    if (a.shape(0) != N)
        throw py::value_error(Name + " has " + std::to_string(a.shape(0)) + " values but " +
                              Against);
    const float* p = a.data();
    for (int i = 0; i < N; ++i) {
        if (!std::isfinite(p[i]))
            throw py::value_error(Name + "[" + std::to_string(i) +
                                  "] is not a finite number; coordinates must be");
        v[size_t(i)] = p[i];
    }
    return v;
}

void TakeValues(TPyGridArrays& G, const py::array_t<float>& A) {
    G.Grid.Pieces.emplace_back(A.data(), size_t(A.size()));
    G.Keep.push_back(A);
}

py::array Flat(const float* Data, size_t Count) {
    return py::array_t<float>(py::ssize_t(Count), Data);
}

} // namespace

py::array_t<float> FloatArray(py::handle Object, const std::string& Name) {
    if (Object.is_none())
        throw py::type_error(Name + " must be an array of numbers, not None");
    const py::array a = py::module_::import("numpy").attr("asarray")(Object);
    const char kind = a.dtype().kind();
    if (kind != 'b' && kind != 'i' && kind != 'u' && kind != 'f')
        throw py::type_error(Name + " must hold real numbers, not " +
                             std::string(py::str(a.dtype())));
    TFloats f = TFloats::ensure(a);
    if (!f)
        throw py::error_already_set();
    return f;
}

TPyGridArrays SurfaceArrays(py::handle Y, py::handle X, py::handle Z) {
    const py::array_t<float> y = FloatArray(Y, "y");
    if (y.ndim() != 2)
        throw py::value_error("y must be a 2-D array of heights y[k, i] (rows along z, columns "
                              "along x); got shape " +
                              ShapeText(y));
    if (y.size() == 0)
        throw py::value_error("y holds no points: shape " + ShapeText(y));
    TPyGridArrays g;
    g.Grid.Kind = dk3D;
    g.Grid.NX = Count(y.shape(1), "y");
    g.Grid.NZ = Count(y.shape(0), "y");
    const std::string at = " (y[k, i] is the height at x[i], z[k])";
    g.Grid.X =
        Coordinates(X, "x", g.Grid.NX, "y has " + std::to_string(g.Grid.NX) + " columns" + at);
    g.Grid.Z = Coordinates(Z, "z", g.Grid.NZ, "y has " + std::to_string(g.Grid.NZ) + " rows" + at);
    TakeValues(g, y);
    return g;
}

TPyGridArrays VolumeArrays(py::handle V, py::handle X, py::handle Y, py::handle Z) {
    const py::array_t<float> v = FloatArray(V, "v");
    if (v.ndim() != 3)
        throw py::value_error("v must be a 3-D array of values v[k, j, i] over x[i], y[j], "
                              "z[k]; got shape " +
                              ShapeText(v));
    if (v.size() == 0)
        throw py::value_error("v holds no points: shape " + ShapeText(v));
    TPyGridArrays g;
    g.Grid.Kind = dk4D;
    g.Grid.NX = Count(v.shape(2), "v");
    g.Grid.NY = Count(v.shape(1), "v");
    g.Grid.NZ = Count(v.shape(0), "v");
    const auto along = [&](int N, const char* Axis) {
        return "v has " + std::to_string(N) + " along " + Axis +
               " (v[k, j, i] is the value at x[i], y[j], z[k])";
    };
    g.Grid.X = Coordinates(X, "x", g.Grid.NX, along(g.Grid.NX, "its last axis"));
    g.Grid.Y = Coordinates(Y, "y", g.Grid.NY, along(g.Grid.NY, "its middle axis"));
    g.Grid.Z = Coordinates(Z, "z", g.Grid.NZ, along(g.Grid.NZ, "its first axis"));
    TakeValues(g, v);
    return g;
}

TPyGridArrays FaceArrays(py::handle V, py::handle X, py::handle Y, py::handle Z) {
    TPyGridArrays g;
    g.Grid.Kind = dk4DSurface;
    // Six faces come as a list or tuple of six NumPy arrays; anything else (a nested list too)
    // is read as a volume.
    bool volume = !(py::isinstance<py::list>(V) || py::isinstance<py::tuple>(V)) || py::len(V) != 6;
    for (size_t n = 0; !volume && n < 6; ++n)
        volume = !py::isinstance<py::array>(V[py::int_(n)]);
    if (volume) {
        // The border of a volume, gathered face by face in the chart's order.
        const py::array_t<float> v = FloatArray(V, "v");
        if (v.ndim() != 3)
            throw py::value_error("v must be a 3-D array v[k, j, i] (its six faces are drawn) "
                                  "or a sequence of the six face arrays; got shape " +
                                  ShapeText(v));
        if (v.size() == 0)
            throw py::value_error("v holds no points: shape " + ShapeText(v));
        const size_t nx = size_t(v.shape(2)), ny = size_t(v.shape(1)), nz = size_t(v.shape(0));
        g.Grid.NX = Count(v.shape(2), "v");
        g.Grid.NY = Count(v.shape(1), "v");
        g.Grid.NZ = Count(v.shape(0), "v");
        const float* p = v.data();
        const auto at = [&](size_t i, size_t j, size_t k) {
            return p[i + nx * (j + ny * k)];
        };
        std::vector<float>& f = g.Gathered;
        f.reserve(2 * (ny * (nx + nz) + nx * nz));
        for (const size_t k : {size_t(0), nz - 1})
            for (size_t j = 0; j < ny; ++j)
                for (size_t i = 0; i < nx; ++i)
                    f.push_back(at(i, j, k));
        for (const size_t i : {size_t(0), nx - 1})
            for (size_t j = 0; j < ny; ++j)
                for (size_t k = 0; k < nz; ++k)
                    f.push_back(at(i, j, k));
        for (const size_t j : {size_t(0), ny - 1})
            for (size_t k = 0; k < nz; ++k)
                for (size_t i = 0; i < nx; ++i)
                    f.push_back(at(i, j, k));
        g.Grid.Pieces.emplace_back(f.data(), f.size());
    } else {
        std::vector<py::array_t<float>> faces;
        for (size_t n = 0; n < 6; ++n) {
            const std::string name = "faces[" + std::to_string(n) + "]";
            faces.push_back(FloatArray(V[py::int_(n)], name));
            if (faces.back().ndim() != 2)
                throw py::value_error(name + " must be a 2-D array; got shape " +
                                      ShapeText(faces.back()));
        }
        g.Grid.NX = Count(faces[0].shape(1), "faces[0]");
        g.Grid.NY = Count(faces[0].shape(0), "faces[0]");
        g.Grid.NZ = Count(faces[2].shape(1), "faces[2]");
        const py::ssize_t nx = g.Grid.NX, ny = g.Grid.NY, nz = g.Grid.NZ;
        const std::array<std::array<py::ssize_t, 2>, 6> shapes = {
            {{ny, nx}, {ny, nx}, {ny, nz}, {ny, nz}, {nz, nx}, {nz, nx}}};
        const char* const planes[6] = {"z = first z, [j, i]", "z = last z, [j, i]",
                                       "x = first x, [j, k]", "x = last x, [j, k]",
                                       "y = first y, [k, i]", "y = last y, [k, i]"};
        for (size_t n = 0; n < 6; ++n) {
            const py::array_t<float>& a = faces[n];
            if (a.shape(0) != shapes[n][0] || a.shape(1) != shapes[n][1] || a.size() == 0)
                throw py::value_error("faces[" + std::to_string(n) + "] has shape " + ShapeText(a) +
                                      "; a box of " + std::to_string(nx) + " x " +
                                      std::to_string(ny) + " x " + std::to_string(nz) +
                                      " points needs (" + std::to_string(shapes[n][0]) + ", " +
                                      std::to_string(shapes[n][1]) + ") there (" + planes[n] + ")");
            TakeValues(g, a);
        }
    }
    const auto along = [](int N, const char* Axis) {
        return "the box has " + std::to_string(N) + " points along " + Axis;
    };
    g.Grid.X = Coordinates(X, "x", g.Grid.NX, along(g.Grid.NX, "x"));
    g.Grid.Y = Coordinates(Y, "y", g.Grid.NY, along(g.Grid.NY, "y"));
    g.Grid.Z = Coordinates(Z, "z", g.Grid.NZ, along(g.Grid.NZ, "z"));
    return g;
}

py::dict ChartArrays(const TQor3DChart& Chart) {
    static const char* const kinds[] = {"surface", "layers", "volume", "faces"};
    py::dict d;
    const bool low = Chart.LowMemoryLayout() && Chart.DataKind() != dkNx4D;
    d["kind"] = kinds[Chart.DataKind()];
    d["low"] = low;
    d["nx"] = Chart.NX();
    d["ny"] = Chart.NY();
    d["nz"] = Chart.NZ();
    d["data"] = Flat(Chart.Data().data(), Chart.Data().size());
    if (low) {
        d["xv"] = Flat(Chart.XValues().data(), Chart.XValues().size());
        d["yv"] = Flat(Chart.YValues().data(), Chart.YValues().size());
        d["zv"] = Flat(Chart.ZValues().data(), Chart.ZValues().size());
    }
    py::list layers;
    if (Chart.DataKind() == dkNx4D)
        for (const TXZInteger& l : Chart.Layers())
            layers.append(py::make_tuple(l.Z, l.X));
    d["layers"] = layers;
    return d;
}
