"""Plotyra from Python: NumPy arrays in, pictures and chart files out, the viewer one call away.

    import numpy as np, plotyra
    x = np.linspace(-3, 3, 200); z = np.linspace(-2, 2, 150)
    picture = plotyra.render(np.sin(x)[None, :] * np.cos(z)[:, None], x, z)   # (600, 800, 3)

A surface is a 2-D array of heights ``y[k, i]`` over ``x[i]`` and ``z[k]`` (rows run along Z).
A volume is a 3-D array ``v[k, j, i]`` over ``x[i]``, ``y[j]``, ``z[k]``. A coordinate left as
None counts 0, 1, ..., n - 1. Values that are NaN are missing points.

Arrays of float32 in C order are read where they lie; any other array of real numbers (or a
list) is converted once. Pictures are drawn off-screen, without a display, exactly as
``plotyra-cli render`` draws them; the GIL is released while drawing and calls from several
threads take turns at the renderer.

Errors carry the reasons plotyra-cli prints: ValueError for arrays of the wrong shape and for
refused settings, TypeError for arrays that hold no real numbers, OSError for files that cannot
be read or written, MemoryError for grids and pictures larger than the memory.
"""

import math
import os
import shutil
import subprocess
import tempfile
import threading

import numpy as _np

from . import _plotyra

__all__ = ["render", "render4d", "frames", "frames4d", "load", "save", "save4d", "show",
           "show4d", "Chart", "ChartData"]

_VIEW_KEYS = ("rot_x", "rot_y", "shift_x", "shift_y", "shift_z", "zoom")
_KINDS_4D = ("volume", "faces")


def _size(size):
    try:
        width, height = (int(v) for v in size)
    except (TypeError, ValueError):
        raise ValueError(f"size must be (width, height), not {size!r}") from None
    if not (1 <= width <= 16384 and 1 <= height <= 16384):
        raise ValueError(f"bad size {width}x{height} (WxH, 1 ... 16384 each)")
    return width, height


def _property_text(properties):
    """A property file's text from a path, or the text itself (it holds a line or a '[')."""
    if properties is None:
        return None
    if isinstance(properties, os.PathLike):
        return _plotyra.read_properties(os.fspath(properties))
    if isinstance(properties, str):
        if "\n" in properties or properties.lstrip().startswith("["):
            return properties
        return _plotyra.read_properties(properties)
    raise TypeError("properties must be a property file's path or its text, "
                    f"not {type(properties).__name__}")


def _view(view):
    if view is None:
        return {}
    if not hasattr(view, "items"):
        raise TypeError(f"view must be a mapping of {', '.join(_VIEW_KEYS)}")
    unknown = [k for k in view if k not in _VIEW_KEYS]
    if unknown:
        raise ValueError(f"unknown view setting {unknown[0]!r} ({', '.join(_VIEW_KEYS)})")
    return {k: float(v) for k, v in view.items()}


def _kind(kind):
    if kind not in _KINDS_4D:
        raise ValueError(f"kind must be 'volume' or 'faces', not {kind!r}")
    return kind


def _fill(scene, kind, arrays, low_memory=False):
    if kind == "surface":
        scene.set_surface(*arrays, low_memory=low_memory)
    elif kind == "volume":
        scene.set_volume(*arrays, low_memory=low_memory)
    else:
        scene.set_faces(*arrays, low_memory=low_memory)


class _Drawing:
    """The options of a picture, checked before anything is drawn."""

    def __init__(self, size, legend, properties, view):
        self.width, self.height = _size(size)
        self.legend = bool(legend)
        self.properties = _property_text(properties)
        self.view = _view(view)

    def prepare(self, scene):
        # The data first, then the properties and the view, as plotyra-cli renders a file.
        if self.properties is not None:
            scene.apply_properties(self.properties)
        if self.view:
            scene.set_view(**self.view)

    def picture(self, scene, path=None):
        if path is not None:
            scene.save_png(os.fspath(path), self.width, self.height, self.legend)
            return None
        return scene.picture(self.width, self.height, self.legend)


def _render(kind, arrays, size, legend, properties, view, path):
    drawing = _Drawing(size, legend, properties, view)
    scene = _plotyra.Scene()
    _fill(scene, kind, arrays)
    drawing.prepare(scene)
    return drawing.picture(scene, path)


def render(y, x=None, z=None, *, size=(800, 600), legend=True, properties=None, view=None,
           path=None):
    """Draws the surface of heights ``y[k, i]`` over ``x[i]``, ``z[k]`` off-screen.

    x and z default to 0 ... n - 1. ``size`` is (width, height) in pixels, 1 ... 16384 each.
    ``legend`` puts the colour scale at the right. ``properties`` is a property file's path
    (.cpr, or a chart file whose properties are used) or such a text. ``view`` is a mapping of
    ``rot_x``, ``rot_y`` (degrees), ``shift_x``, ``shift_y``, ``shift_z`` and ``zoom``, the
    viewer's own view settings; what it leaves out stays as the properties (or the defaults)
    have it.

    Returns the picture as a (height, width, 3) uint8 array, or with ``path`` writes it there as
    a PNG (as plotyra-cli render writes it) and returns None.
    """
    return _render("surface", (y, x, z), size, legend, properties, view, path)


def render4d(v, x=None, y=None, z=None, *, kind="volume", size=(800, 600), legend=True,
             properties=None, view=None, path=None):
    """Draws values ``v[k, j, i]`` over ``x[i]``, ``y[j]``, ``z[k]`` off-screen.

    ``kind="volume"`` draws the volume's layers; ``kind="faces"`` the six faces of its box,
    given either as the volume (its border is drawn) or as a list or tuple of the six face
    arrays (NumPy arrays) in the chart file's order: z first and last as ``[j, i]``, x first and last as ``[j, k]``,
    y first and last as ``[k, i]``. Coordinates default to 0 ... n - 1. The other arguments
    are those of :func:`render`.
    """
    return _render(_kind(kind), (v, x, y, z), size, legend, properties, view, path)


def _sequence(data, frame_ndim):
    """The frames of an animation, or None when data is one chart's array."""
    if isinstance(data, _np.ndarray):
        return iter(data) if data.ndim == frame_ndim + 1 else None
    if isinstance(data, (list, tuple)):
        if data and _np.ndim(data[0]) == frame_ndim:
            return iter(data)
        return None
    if hasattr(data, "__next__"):
        return data
    return None


def _frames(kind, data, coordinates, frame_ndim, count, turn, drawing):
    sequence = _sequence(data, frame_ndim)
    turn = float(turn)
    if count is None:
        count = None if sequence is not None else (
            1 if turn == 0 else math.ceil(360 / abs(turn)))
    elif int(count) < 0:
        raise ValueError(f"count must not be negative, not {count}")
    scene = _plotyra.Scene()
    if sequence is None:
        _fill(scene, kind, (data,) + coordinates)
        sequence = (None for _ in range(int(count)))
    elif count is not None:
        sequence = (a for _, a in zip(range(int(count)), sequence))

    def pictures():
        base = None
        for n, array in enumerate(sequence):
            if array is not None:
                _fill(scene, kind, (array,) + coordinates)
            if base is None:
                drawing.prepare(scene)
                base = scene.view()["rot_y"]
            scene.set_view(rot_y=base + math.fmod(n * turn, 360.0))
            yield drawing.picture(scene)

    return pictures()


def frames(y, x=None, z=None, *, count=None, turn=0.0, size=(800, 600), legend=True,
           properties=None, view=None):
    """Pictures of a surface, one after another, all drawn through one off-screen context.

    ``y`` is one 2-D array of heights (as for :func:`render`) whose view turns by ``turn``
    degrees about the vertical from picture to picture (``count`` pictures; without it a whole
    turn, or one picture when ``turn`` is 0), or the frames of an animation: a 3-D array (frames
    along its first axis), a list or tuple of 2-D arrays, or any iterator of them, all over the
    same ``x`` and ``z`` (picture n may still turn by n x ``turn``; ``count`` stops early).

    Returns an iterator of (height, width, 3) uint8 arrays; the arrays of an iterator are read
    only as the pictures are asked for.
    """
    drawing = _Drawing(size, legend, properties, view)
    return _frames("surface", y, (x, z), 2, count, turn, drawing)


def frames4d(v, x=None, y=None, z=None, *, kind="volume", count=None, turn=0.0,
             size=(800, 600), legend=True, properties=None, view=None):
    """:func:`frames` for values ``v[k, j, i]`` drawn as in :func:`render4d`; the frames of an
    animation are a 4-D array, a list or tuple of 3-D arrays, or an iterator of them."""
    drawing = _Drawing(size, legend, properties, view)
    return _frames(_kind(kind), v, (x, y, z), 3, count, turn, drawing)


class ChartData:
    """What :func:`load` read: the kind and the arrays, as :func:`render` and :func:`save` take
    them.

    kind        "surface", "volume", "faces" or "layers"
    x, y, z     surface: ``y`` the heights ``y[k, i]``, ``x`` and ``z`` the grid's vectors;
                volume and faces: the three coordinate vectors
    v           volume: the values ``v[k, j, i]``
    faces       faces: the six face arrays in the chart file's order
    points      where every point carries its own place (the "Hi" forms, layer lists): the
                points as (..., 3) for a surface (x, height, z) or (..., 4) (x, y, z, v); the
                vectors above are then those of the first row, column and layer
    layers      layer lists: one (rows, columns, 4) array of points per layer
    properties  the property text of a chart file that has one, else None
    format      the reader that took the file ("Chart files", "NumPy arrays", "Text matrices")
    warnings    what was read but deserves a word
    """

    def __init__(self, raw):
        self.kind = raw["kind"]
        self.format = raw["format"]
        self.warnings = list(raw["warnings"])
        self.properties = raw["properties"]
        self.x = self.y = self.z = self.v = self.faces = self.points = self.layers = None
        nx, ny, nz = raw["nx"], raw["ny"], raw["nz"]
        data = raw["data"]
        if self.kind == "layers":
            self.layers, start = [], 0
            for rows, cols in raw["layers"]:
                self.layers.append(data[start:start + 4 * rows * cols].reshape(rows, cols, 4))
                start += 4 * rows * cols
            self.points = self.layers
        elif self.kind == "surface":
            if raw["low"]:
                self.x, self.z, self.y = raw["xv"], raw["zv"], data.reshape(nz, nx)
            else:
                self.points = data.reshape(nz, nx, 3)
                self.x = self.points[0, :, 0].copy()
                self.y = _np.ascontiguousarray(self.points[:, :, 1])
                self.z = self.points[:, 0, 2].copy()
        elif self.kind == "volume":
            if raw["low"]:
                self.x, self.y, self.z = raw["xv"], raw["yv"], raw["zv"]
                self.v = data.reshape(nz, ny, nx)
            else:
                self.points = data.reshape(nz, ny, nx, 4)
                self.x = self.points[0, 0, :, 0].copy()
                self.y = self.points[0, :, 0, 1].copy()
                self.z = self.points[:, 0, 0, 2].copy()
                self.v = _np.ascontiguousarray(self.points[..., 3])
        else:
            shapes = [(ny, nx), (ny, nx), (ny, nz), (ny, nz), (nz, nx), (nz, nx)]
            width = 1 if raw["low"] else 4
            faces, start = [], 0
            for rows, cols in shapes:
                n = rows * cols * width
                faces.append(data[start:start + n].reshape(rows, cols, width))
                start += n
            if raw["low"]:
                self.x, self.y, self.z = raw["xv"], raw["yv"], raw["zv"]
                self.faces = [f[..., 0] for f in faces]
            else:
                self.points = faces
                self.x = faces[0][0, :, 0].copy()
                self.y = faces[0][:, 0, 1].copy()
                self.z = faces[2][0, :, 2].copy()
                self.faces = [_np.ascontiguousarray(f[..., 3]) for f in faces]

    def __repr__(self):
        shape = {"surface": self.y, "volume": self.v}.get(self.kind)
        if shape is not None:
            return f"ChartData({self.kind} {' x '.join(map(str, shape.shape))})"
        return f"ChartData({self.kind})"


def load(path, **options):
    """Reads any data file the viewer opens: chart files (.p3d, .p4d, .txt in the chart forms),
    NumPy arrays (.npy, .npz) and text tables (.csv, .tsv, .txt). Returns a :class:`ChartData`.

    The options are the importers' (plotyra-cli's flags without their dashes): ``spacing`` and
    ``origin`` (a number or a tuple: x, z and for volumes y), ``header`` ("auto", "none",
    "row", "row+column"), ``layout`` ("auto", "matrix", "columns"), ``transpose`` (True),
    ``nodata`` (a number) and ``array`` (the array of an .npz archive).
    """
    texts = {}
    for name, value in options.items():
        if name == "transpose":
            if value:
                texts[name] = ""
            continue
        if isinstance(value, (tuple, list)):
            value = ",".join(repr(float(v)) for v in value)
        elif isinstance(value, (int, float)) and not isinstance(value, bool):
            value = repr(float(value))
        texts[name] = str(value)
    return ChartData(_plotyra.Scene().open(os.fspath(path), texts))


def _save(path, kind, arrays, properties):
    text = _property_text(properties)
    scene = _plotyra.Scene()
    _fill(scene, kind, arrays, low_memory=True)
    if text is not None:
        scene.apply_properties(text)
    scene.save(os.fspath(path), text is not None)


def save(path, y, x=None, z=None, properties=None):
    """Writes the surface ``y[k, i]`` over ``x[i]``, ``z[k]`` as a chart file in the grid form
    ``<3D>``, byte for byte as the viewer writes it; with ``properties`` (a path or a text, as
    for :func:`render`) the chart's and the legend's property blocks follow the numbers.
    x and z default to 0 ... n - 1."""
    _save(path, "surface", (y, x, z), properties)


def save4d(path, v, x=None, y=None, z=None, *, kind="volume", properties=None):
    """Writes values ``v[k, j, i]`` as ``<4D>`` (``kind="volume"``) or the box's six faces as
    ``<4D surface>`` (``kind="faces"``, v as for :func:`render4d`), as the viewer writes them."""
    _save(path, _kind(kind), (v, x, y, z), properties)


def _viewer():
    """The viewer program: $PLOTYRA_VIEWER, the one installed with this module, the one of the
    build this module was built in, or plotyra on PATH."""
    here = os.path.dirname(os.path.abspath(__file__))
    candidates = [os.environ.get("PLOTYRA_VIEWER"),
                  # site-packages/plotyra lies four folders below the prefix
                  os.path.join(here, os.pardir, os.pardir, os.pardir, os.pardir, "bin",
                               "plotyra")]
    try:
        from . import _build
        candidates.append(_build.VIEWER)
    except ImportError:
        pass
    candidates.append(shutil.which("plotyra"))
    for c in candidates:
        if c and os.path.isfile(c) and os.access(c, os.X_OK):
            return os.path.normpath(c)
    raise FileNotFoundError("the viewer plotyra was not found; set PLOTYRA_VIEWER to its path")


def _start_viewer(writer, name):
    viewer = _viewer()
    folder = tempfile.mkdtemp(prefix="plotyra-")
    path = os.path.join(folder, name)
    try:
        writer(path)
        process = subprocess.Popen([viewer, path], stdin=subprocess.DEVNULL,
                                   start_new_session=True)
    except BaseException:
        shutil.rmtree(folder, ignore_errors=True)
        raise

    def remove_when_closed():
        process.wait()
        shutil.rmtree(folder, ignore_errors=True)

    threading.Thread(target=remove_when_closed, daemon=True).start()
    return process


def show(y, x=None, z=None, *, properties=None):
    """Opens the surface in the viewer without waiting for it: the arrays go to a temporary
    chart file (as :func:`save` writes it, removed when the viewer closes) and the viewer starts
    on it. Returns the viewer's :class:`subprocess.Popen`."""
    return _start_viewer(lambda p: save(p, y, x, z, properties=properties), "chart.p3d")


def show4d(v, x=None, y=None, z=None, *, kind="volume", properties=None):
    """:func:`show` for values ``v[k, j, i]`` as :func:`save4d` writes them."""
    return _start_viewer(lambda p: save4d(p, v, x, y, z, kind=kind, properties=properties),
                         "chart.p4d")


class Chart:
    """A chart as a value: its arrays and drawing options. A notebook shows its picture
    (``_repr_png_``); :meth:`picture` gives it as an array, :meth:`show` opens the viewer.

        plotyra.Chart(heights, x, z, size=(640, 480))
        plotyra.Chart.of4d(values, x, y, z, kind="faces")
    """

    __slots__ = ("_kind", "_arrays", "_drawing", "_picture")

    def __init__(self, y, x=None, z=None, *, size=(800, 600), legend=True, properties=None,
                 view=None):
        self._kind, self._arrays = "surface", (y, x, z)
        self._drawing = _Drawing(size, legend, properties, view)
        self._picture = None

    @classmethod
    def of4d(cls, v, x=None, y=None, z=None, *, kind="volume", size=(800, 600), legend=True,
             properties=None, view=None):
        chart = cls.__new__(cls)
        chart._kind, chart._arrays = _kind(kind), (v, x, y, z)
        chart._drawing = _Drawing(size, legend, properties, view)
        chart._picture = None
        return chart

    def picture(self):
        """The picture as a (height, width, 3) uint8 array (drawn once)."""
        if self._picture is None:
            scene = _plotyra.Scene()
            _fill(scene, self._kind, self._arrays)
            self._drawing.prepare(scene)
            self._picture = self._drawing.picture(scene)
            self._picture.flags.writeable = False
        return self._picture

    def png(self):
        """The picture as PNG bytes."""
        return _plotyra.encode_png(self.picture())

    def _repr_png_(self):
        return self.png()

    def show(self):
        """Opens the chart in the viewer (see :func:`show`)."""
        d = self._drawing
        if self._kind == "surface":
            return show(*self._arrays, properties=d.properties)
        return show4d(*self._arrays, kind=self._kind, properties=d.properties)

    def __repr__(self):
        d = self._drawing
        return f"Chart({self._kind}, {d.width} x {d.height})"
