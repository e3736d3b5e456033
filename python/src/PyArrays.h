// NumPy arrays in and out: the checks of what a caller hands over, with the reasons said as
// plotyra-cli says them, and a chart's data as plain arrays.
#pragma once

#include "PyScene.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <string>
#include <vector>

namespace py = pybind11;

// Numbers as float32 in C order: an array that already is one is taken as it is, anything else
// (other types, other orders, lists) converted once. TypeError for what holds no real numbers.
py::array_t<float> FloatArray(py::handle Object, const std::string& Name);

// A grid with the arrays it points into (kept alive while it is filled in, GIL released).
struct TPyGridArrays {
    TPyGrid Grid;
    std::vector<py::object> Keep;
    // Values gathered from a volume's border for a box (no array of their own).
    std::vector<float> Gathered;
};

// Heights y[k, i] over x[i], z[k]; None for a coordinate is 0 ... n - 1. ValueError for shapes
// that do not fit.
TPyGridArrays SurfaceArrays(py::handle Y, py::handle X, py::handle Z);
// Values v[k, j, i] over x[i], y[j], z[k].
TPyGridArrays VolumeArrays(py::handle V, py::handle X, py::handle Y, py::handle Z);
// A box: the six faces of a volume v[k, j, i], or a list or tuple of the six face arrays (NumPy
// arrays) in the chart's order (z first and last as [j, i], x first and last as [j, k], y first and
// last as [k, i]).
TPyGridArrays FaceArrays(py::handle V, py::handle X, py::handle Y, py::handle Z);

// The chart's data as copies: "kind" (surface, volume, faces, layers), "low" (the low-memory
// layout), "nx", "ny", "nz", "data" (flat), the vectors "xv", "yv", "zv" (low-memory layout) and
// "layers" (rows and columns of each layer).
py::dict ChartArrays(const TQor3DChart& Chart);
