"""Pictures from arrays: what they show, that they are plotyra-cli's pictures of the same data,
the options, the frames and the threads."""
import os
import threading

import numpy as np
import plotyra
import pytest
from conftest import cli, example, read


def red(p):
    return (p[..., 0] > 180) & (p[..., 1] < 90) & (p[..., 2] < 90)


def magenta(p):
    return (p[..., 0] > 150) & (p[..., 1] < 90) & (p[..., 2] > 150)


def test_surface_shows_the_palette_and_the_legend_bar_at_the_right(wave):
    y, x, z = wave
    picture = plotyra.render(y, x, z)
    assert picture.shape == (600, 800, 3) and picture.dtype == np.uint8
    chart = picture[:, :680]
    # The hill in the palette's top colour, the valley in its bottom one.
    assert red(chart).sum() > 50 and magenta(chart).sum() > 50
    # The legend's bar: a column at the right edge running from red at the top to magenta at
    # the bottom; without the legend the chart's white reaches the edge.
    bars = [c for c in range(780, 800)
            if red(picture[5:40, c]).any() and magenta(picture[530:580, c]).any()]
    assert bars
    bare = plotyra.render(y, x, z, legend=False)
    assert (bare[:, 790:] == 255).all()
    assert red(bare).sum() > 50


def test_pictures_are_those_of_plotyra_cli(wave, tmp_path):
    y, x, z = wave
    data, mine, theirs = tmp_path / "w.p3d", tmp_path / "py.png", tmp_path / "cli.png"
    plotyra.save(data, y, x, z)
    style = example("style.cpr")
    plotyra.render(y, x, z, path=mine, properties=style, size=(500, 300))
    assert cli("render", data, "-o", theirs, "--properties", style, "--size", "500x300")[0] == 0
    assert read(mine) == read(theirs)
    # The property text itself draws the same as its file.
    with open(style) as f:
        text = f.read()
    assert np.array_equal(plotyra.render(y, x, z, properties=text, size=(500, 300)),
                          plotyra.render(y, x, z, properties=style, size=(500, 300)))


@pytest.mark.parametrize("name", ["volume.p4d", "box.p4d"])
def test_4d_pictures_are_those_of_plotyra_cli(name, tmp_path):
    d = plotyra.load(example(name))
    mine, theirs = tmp_path / "py.png", tmp_path / "cli.png"
    if d.kind == "volume":
        plotyra.render4d(d.v, d.x, d.y, d.z, path=mine)
    else:
        plotyra.render4d(d.faces, d.x, d.y, d.z, kind="faces", path=mine)
    assert cli("render", example(name), "-o", theirs)[0] == 0
    assert read(mine) == read(theirs)


def test_a_box_is_drawn_alike_from_its_volume_and_from_its_faces():
    v = np.random.default_rng(1).random((4, 5, 6))
    faces = [v[0], v[-1], v[:, :, 0].T, v[:, :, -1].T, v[:, 0, :], v[:, -1, :]]
    assert np.array_equal(plotyra.render4d(v, kind="faces", size=(300, 200)),
                          plotyra.render4d(faces, kind="faces", size=(300, 200)))


def test_any_array_of_numbers_is_taken_and_float32_in_c_order_as_it_is(wave):
    y, x, z = wave
    y32 = y.astype(np.float32)
    assert plotyra._plotyra.as_float_array(y32) is y32
    for other in (y, np.asfortranarray(y32), y[:, ::-1][:, ::-1]):
        taken = plotyra._plotyra.as_float_array(other)
        assert taken is not other and taken.dtype == np.float32 and taken.flags.c_contiguous
    expected = plotyra.render(y32, x, z, size=(240, 180))
    for same in (y, np.asfortranarray(y32), y32.tolist()):
        assert np.array_equal(plotyra.render(same, x, z, size=(240, 180)), expected)
    whole = (y * 100).astype(np.int16)
    assert np.array_equal(plotyra.render(whole, x, z, size=(240, 180)),
                          plotyra.render(whole.astype(np.float32), x, z, size=(240, 180)))
    # None for a coordinate counts 0 ... n - 1.
    n = np.arange(41), np.arange(31)
    assert np.array_equal(plotyra.render(y, size=(240, 180)),
                          plotyra.render(y, *n, size=(240, 180)))


def test_size_and_view_are_the_viewers(wave):
    y, x, z = wave
    small = plotyra.render(y, x, z, size=(320, 200), view=dict(rot_y=0, zoom=0.5))
    assert small.shape == (200, 320, 3)
    assert not np.array_equal(small, plotyra.render(y, x, z, size=(320, 200)))


@pytest.mark.parametrize("call, error, message", [
    (lambda y: plotyra.render(y[0]), ValueError, "y must be a 2-D array of heights y[k, i]"),
    (lambda y: plotyra.render(y, x=np.arange(5)), ValueError,
     "x has 5 values but y has 41 columns"),
    (lambda y: plotyra.render(y, z=[0, 1]), ValueError, "z has 2 values but y has 31 rows"),
    (lambda y: plotyra.render(y[:0]), ValueError, "y holds no points"),
    (lambda y: plotyra.render(y, x=np.full(41, np.nan)), ValueError, "x[0] is not a finite"),
    (lambda y: plotyra.render(y.astype(complex)), TypeError, "y must hold real numbers"),
    (lambda y: plotyra.render([["a", "b"]]), TypeError, "y must hold real numbers"),
    (lambda y: plotyra.render4d(y), ValueError, "v must be a 3-D array"),
    (lambda y: plotyra.render4d([y] * 6, kind="faces"), ValueError,
     "faces[4] has shape (31, 41); a box of 41 x 31 x 41 points needs (41, 41)"),
    (lambda y: plotyra.render4d(y, kind="slices"), ValueError, "kind must be"),
    (lambda y: plotyra.render(y, size=(0, 600)), ValueError,
     "bad size 0x600 (WxH, 1 ... 16384 each)"),
    (lambda y: plotyra.render(y, view=dict(spin=3)), ValueError, "unknown view setting 'spin'"),
    (lambda y: plotyra.render(y, properties="/no/such.cpr"), OSError,
     "cannot load properties /no/such.cpr: No such file or directory"),
    (lambda y: plotyra.render(y, path="/no/such/folder/a.png"), OSError,
     "cannot save /no/such/folder/a.png: the folder /no/such/folder does not exist"),
])
def test_wrong_input_is_refused_with_its_reason(wave, call, error, message):
    with pytest.raises(error) as e:
        call(wave[0])
    assert message in str(e.value)


def test_the_size_refusal_is_plotyra_clis(tmp_path):
    assert "plotyra-cli: bad size 0x600 (WxH, 1 ... 16384 each)" in \
        cli("render", example("surface.p3d"), "-o", tmp_path / "a.png", "--size", "0x600")[1]


def test_frames_turn_the_view_or_follow_the_arrays_through_one_context(wave):
    y, x, z = wave
    size = dict(size=(240, 180))
    base = plotyra._plotyra.Scene()
    base.set_surface(y, x, z)
    rot = base.view()["rot_y"]
    turned = list(plotyra.frames(y, x, z, turn=120, **size))
    assert len(turned) == 3
    for n, picture in enumerate(turned):
        assert np.array_equal(picture, plotyra.render(y, x, z, view=dict(rot_y=rot + 120 * n),
                                                      **size))
    stack = np.stack([y * s for s in (1, -1, 0.5)])
    one_by_one = [plotyra.render(a, x, z, **size) for a in stack]
    for frames in (plotyra.frames(stack, x, z, **size), plotyra.frames(list(stack), x, z, **size),
                   plotyra.frames((a for a in stack), x, z, **size)):
        assert all(np.array_equal(a, b) for a, b in zip(frames, one_by_one, strict=True))
    assert len(list(plotyra.frames(stack, x, z, count=2, **size))) == 2
    volumes = np.random.default_rng(2).random((2, 3, 4, 5))
    assert all(np.array_equal(a, plotyra.render4d(v, **size))
               for a, v in zip(plotyra.frames4d(volumes, **size), volumes, strict=True))


def test_threads_draw_at_once_as_one_after_another(wave):
    y, x, z = wave
    charts = [y * (n + 1) for n in range(4)]
    expected = [plotyra.render(c, x, z, size=(200, 150)) for c in charts]
    got = [None] * len(charts)

    def draw(n):
        got[n] = plotyra.render(charts[n], x, z, size=(200, 150))

    threads = [threading.Thread(target=draw, args=(n,)) for n in range(len(charts))]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert all(np.array_equal(a, b) for a, b in zip(got, expected))


def test_a_chart_value_shows_its_picture_in_a_notebook(wave):
    y, x, z = wave
    chart = plotyra.Chart(y, x, z, size=(300, 200))
    png = chart._repr_png_()
    assert png.startswith(b"\x89PNG\r\n\x1a\n")
    assert png == plotyra._plotyra.encode_png(plotyra.render(y, x, z, size=(300, 200)))
    assert chart.picture() is chart.picture() and not chart.picture().flags.writeable
    box = plotyra.Chart.of4d(np.ones((3, 3, 3)), kind="faces", size=(300, 200))
    assert np.array_equal(box.picture(),
                          plotyra.render4d(np.ones((3, 3, 3)), kind="faces", size=(300, 200)))
    assert repr(chart) == "Chart(surface, 300 x 200)"
