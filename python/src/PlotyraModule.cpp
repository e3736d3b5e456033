// The compiled half of the Python package plotyra: one scene type (a chart and its legend, drawn
// off-screen) and the PNG encoder; plotyra/__init__.py builds the API on it.
// Every call that draws, loads or saves lets go of the GIL and holds the render lock instead.
#include "PyArrays.h"
#include "PyScene.h"

#include "io/Qor3DChartFile.h"
#include "render/Qor3DPictureOutput.h"

#include <pybind11/stl.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <stdexcept>

namespace {

// Raised as the Python exception of its kind by the translator below.
struct EPyOSError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct EPyMemoryError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Deletes a scene under the render lock: its chart gives its context back to the GL library.
struct TLockedDelete {
    void operator()(TPyScene* Scene) const {
        const std::lock_guard lock(PyRenderLock());
        delete Scene;
    }
};
using TSceneHolder = std::unique_ptr<TPyScene, TLockedDelete>;

// Runs Task without the GIL, under the render lock.
template <typename TTask> auto Locked(TTask&& Task) {
    const py::gil_scoped_release release;
    const std::lock_guard lock(PyRenderLock());
    return Task();
}

void Fill(TPyScene& Scene, TPyGridArrays&& Arrays, bool LowMemory) {
    const bool ok = Locked([&] { return Scene.FillGrid(Arrays.Grid, LowMemory); });
    if (!ok)
        throw EPyMemoryError("the grid is too large for this chart");
}

void CheckSize(int Width, int Height) {
    if (std::string problem = PyPictureSizeProblem(Width, Height); !problem.empty())
        throw py::value_error(problem);
    if (std::string problem = QorPaint::PictureMemoryProblem(Width, Height); !problem.empty())
        throw EPyMemoryError("cannot render: " + problem);
}

QImage Draw(TPyScene& Scene, int Width, int Height, bool Legend) {
    std::string error;
    QImage picture = Scene.Draw(Width, Height, Legend, error);
    if (picture.isNull())
        throw std::runtime_error(error);
    return picture;
}

py::array_t<uint8_t> Picture(TPyScene& Scene, int Width, int Height, bool Legend) {
    CheckSize(Width, Height);
    py::array_t<uint8_t> out({py::ssize_t(Height), py::ssize_t(Width), py::ssize_t(3)});
    uint8_t* pixels = out.mutable_data();
    std::string error;
    const bool drawn = Locked([&] {
        const QImage picture = Scene.Draw(Width, Height, Legend, error);
        const auto start = std::chrono::steady_clock::now();
        if (!picture.isNull())
            CopyPictureRgb(picture, pixels);
        Scene.Timings.HandBack =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return !picture.isNull();
    });
    if (!drawn)
        throw std::runtime_error(error);
    return out;
}

// Encoded without the GIL, under the render lock.
py::bytes Png(const std::function<QImage()>& Picture) {
    QByteArray png;
    std::string error;
    if (!Locked([&] { return QorPaint::EncodePng(Picture(), png, error); }))
        throw std::runtime_error("cannot encode the picture: " + error);
    return py::bytes(png.constData(), size_t(png.size()));
}

py::dict Open(TPyScene& Scene, const std::string& FileName, const py::dict& Options) {
    TQorImportOptions import;
    for (const auto& [key, value] : Options) {
        const std::string name = py::str(key);
        if (!TQorImportOptions::Known(name))
            throw py::type_error("load() got an unknown option '" + name +
                                 "' (spacing, origin, header, layout, transpose, nodata, array)");
        if (std::string error = import.Set(name, std::string(py::str(value))); !error.empty())
            throw py::value_error(error);
    }
    std::string properties;
    bool hasProperties = false;
    const TQorOpenOutcome o = Locked([&] {
        TQorOpenOutcome outcome = Scene.Open(FileName, import);
        if (outcome.Ok && outcome.Native)
            hasProperties = ReadChartPropertyText(FileName, properties) && !properties.empty();
        return outcome;
    });
    if (!o.Ok)
        throw EPyOSError("cannot load " + FileName + (o.Error.empty() ? "" : ": " + o.Error));
    if (Scene.Chart().Data().empty())
        throw EPyOSError(FileName + " holds no chart data");
    py::dict d = ChartArrays(Scene.Chart());
    d["format"] = o.Format;
    d["warnings"] = o.Warnings;
    d["properties"] = hasProperties ? py::object(py::str(properties)) : py::object(py::none());
    return d;
}

std::string ReadProperties(const std::string& FileName) {
    std::string text, error;
    if (!Locked([&] { return ReadChartPropertyText(FileName, text, &error); }))
        throw EPyOSError("cannot load properties " + FileName + ": " + error);
    return text;
}

} // namespace

PYBIND11_MODULE(_plotyra, m) {
    m.doc() = "The compiled part of plotyra; use the functions of the plotyra package.";
    py::register_exception_translator([](std::exception_ptr p) {
        try {
            if (p)
                std::rethrow_exception(p);
        } catch (const EPyOSError& e) {
            PyErr_SetString(PyExc_OSError, e.what());
        } catch (const EPyMemoryError& e) {
            PyErr_SetString(PyExc_MemoryError, e.what());
        }
    });

    py::class_<TPyScene, TSceneHolder>(m, "Scene")
        .def(py::init([] { return TSceneHolder(Locked([] { return new TPyScene(); })); }))
        .def(
            "set_surface",
            [](TPyScene& s, py::handle y, py::handle x, py::handle z, bool lowMemory) {
                Fill(s, SurfaceArrays(y, x, z), lowMemory);
            },
            py::arg("y"), py::arg("x"), py::arg("z"), py::arg("low_memory") = false)
        .def(
            "set_volume",
            [](TPyScene& s, py::handle v, py::handle x, py::handle y, py::handle z,
               bool lowMemory) { Fill(s, VolumeArrays(v, x, y, z), lowMemory); },
            py::arg("v"), py::arg("x"), py::arg("y"), py::arg("z"), py::arg("low_memory") = false)
        .def(
            "set_faces",
            [](TPyScene& s, py::handle v, py::handle x, py::handle y, py::handle z,
               bool lowMemory) { Fill(s, FaceArrays(v, x, y, z), lowMemory); },
            py::arg("v"), py::arg("x"), py::arg("y"), py::arg("z"), py::arg("low_memory") = false)
        .def("open", &Open, py::arg("path"), py::arg("options"))
        .def("apply_properties",
             [](TPyScene& s, const std::string& text) { Locked([&] { s.ApplyProperties(text); }); })
        .def(
            "set_view",
            [](TPyScene& s, std::optional<double> rotX, std::optional<double> rotY,
               std::optional<double> shiftX, std::optional<double> shiftY,
               std::optional<double> shiftZ, std::optional<double> zoom) {
                Locked([&] { s.ApplyView({rotX, rotY, shiftX, shiftY, shiftZ, zoom}); });
            },
            py::kw_only(), py::arg("rot_x") = py::none(), py::arg("rot_y") = py::none(),
            py::arg("shift_x") = py::none(), py::arg("shift_y") = py::none(),
            py::arg("shift_z") = py::none(), py::arg("zoom") = py::none())
        .def("view",
             [](TPyScene& s) {
                 const TPyView v = s.View();
                 py::dict d;
                 d["rot_x"] = *v.RotX;
                 d["rot_y"] = *v.RotY;
                 d["shift_x"] = *v.ShiftX;
                 d["shift_y"] = *v.ShiftY;
                 d["shift_z"] = *v.ShiftZ;
                 d["zoom"] = *v.Zoom;
                 return d;
             })
        .def("picture", &Picture, py::arg("width"), py::arg("height"), py::arg("legend"))
        .def(
            "png",
            [](TPyScene& s, int width, int height, bool legend) {
                CheckSize(width, height);
                return Png([&] { return Draw(s, width, height, legend); });
            },
            py::arg("width"), py::arg("height"), py::arg("legend"))
        .def(
            "save_png",
            [](TPyScene& s, const std::string& path, int width, int height, bool legend) {
                CheckSize(width, height);
                const std::string error = Locked(
                    [&] { return QorPaint::SavePicturePng(Draw(s, width, height, legend), path); });
                if (!error.empty())
                    throw EPyOSError(error);
            },
            py::arg("path"), py::arg("width"), py::arg("height"), py::arg("legend"))
        .def(
            "save",
            [](TPyScene& s, const std::string& path, bool withProperties) {
                const std::string error = Locked([&] { return s.Save(path, withProperties); });
                if (!error.empty())
                    throw EPyOSError(error);
            },
            py::arg("path"), py::arg("with_properties"))
        .def("timings", [](const TPyScene& s) {
            py::dict d;
            d["fill"] = s.Timings.Fill;
            d["draw"] = s.Timings.Draw;
            d["hand_back"] = s.Timings.HandBack;
            return d;
        });

    m.def("read_properties", &ReadProperties, py::arg("path"));
    m.def(
        "encode_png",
        [](py::handle picture) {
            const py::array_t<uint8_t, py::array::c_style | py::array::forcecast> a =
                py::array_t<uint8_t, py::array::c_style | py::array::forcecast>::ensure(picture);
            if (!a || a.ndim() != 3 || a.shape(2) != 3 || a.shape(0) < 1 || a.shape(1) < 1)
                throw py::value_error("a picture is a (height, width, 3) array of bytes");
            return Png([&] {
                return QImage(a.data(), int(a.shape(1)), int(a.shape(0)), qsizetype(a.shape(1) * 3),
                              QImage::Format_RGB888);
            });
        },
        py::arg("picture"));
    m.def(
        "as_float_array", [](py::handle a) { return FloatArray(a, "array"); }, py::arg("array"),
        "The array as the module reads it: the same object for float32 in C order, a converted "
        "copy otherwise.");
}
