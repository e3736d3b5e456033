"""Chart files in and out: every form the viewer opens, written back byte for byte as the viewer
writes them, and the reasons of plotyra-cli when a file cannot be read."""
import numpy as np
import plotyra
import pytest
from conftest import cli, example, read


@pytest.mark.parametrize("name", ["surface.p3d", "volume.p4d", "box.p4d", "large/surface-200.p3d"])
def test_grid_files_come_back_byte_for_byte(name, tmp_path):
    d = plotyra.load(example(name))
    assert d.format == "Chart files" and d.points is None and d.properties is None
    out = tmp_path / "again"
    if d.kind == "surface":
        assert d.y.shape == (len(d.z), len(d.x))
        plotyra.save(out, d.y, d.x, d.z)
    elif d.kind == "volume":
        assert d.v.shape == (len(d.z), len(d.y), len(d.x))
        plotyra.save4d(out, d.v, d.x, d.y, d.z)
    else:
        plotyra.save4d(out, d.faces, d.x, d.y, d.z, kind="faces")
    assert read(out) == read(example(name))


def test_saved_arrays_are_what_plotyra_cli_writes_and_reads(wave, tmp_path):
    y, x, z = wave
    mine, theirs = tmp_path / "py.p3d", tmp_path / "cli.p3d"
    plotyra.save(mine, y, x, z)
    assert cli("convert", mine, theirs, "--low-memory")[0] == 0
    assert read(mine) == read(theirs)
    back = plotyra.load(mine)
    assert np.array_equal(back.y, y.astype(np.float32))
    assert np.array_equal(back.x, x.astype(np.float32))


def test_properties_are_saved_as_the_viewer_saves_them(wave, tmp_path):
    y, x, z = wave
    first, second = tmp_path / "first.p3d", tmp_path / "second.p3d"
    plotyra.save(first, y, x, z, properties=example("style.cpr"))
    d = plotyra.load(first)
    # The chart's block, then the legend's font block.
    assert d.properties.startswith("[FileVer]") and "[QorColorScale_FontName]" in d.properties
    plotyra.save(second, d.y, d.x, d.z, properties=d.properties)
    assert read(second) == read(first)
    # The chart's block is the one plotyra-cli writes for these data and properties.
    styled = tmp_path / "styled.p3d"
    assert cli("convert", first, styled, "--with-properties", "--low-memory")[0] == 0
    assert read(first).startswith(read(styled))


def test_every_form_the_viewer_opens_is_read():
    hi = plotyra.load(example("surface-hi.p3d"))
    assert hi.kind == "surface" and hi.points.shape == (3, 4, 3)
    assert np.array_equal(hi.y, hi.points[..., 1])
    layers = plotyra.load(example("layers.p4d"))
    assert layers.kind == "layers" and [a.shape for a in layers.layers] == [(2, 3, 4), (2, 2, 4)]
    box = plotyra.load(example("box-hi.p4d"))
    assert box.kind == "faces" and [f.shape for f in box.faces][:3] == [(2, 3), (2, 3), (2, 2)]
    volume = plotyra.load(example("volume-hi.p4d"))
    assert volume.v.shape == (2, 2, 3) and volume.points.shape == (2, 2, 3, 4)
    # Text matrices and NumPy arrays through their importers, with the importers' options.
    csv = plotyra.load(example("import/volcano.csv"))
    npy = plotyra.load(example("import/volcano.npy"))
    assert (csv.format, npy.format) == ("Text matrices", "NumPy arrays")
    assert np.array_equal(csv.y, npy.y)
    spaced = plotyra.load(example("import/volcano.npz"), array="heights", spacing=(0.5, 2))
    assert np.allclose(spaced.x[:3], [0, 0.5, 1]) and np.allclose(spaced.z[:3], [0, 2, 4])
    turned = plotyra.load(example("import/volcano.npy"), transpose=True)
    assert np.array_equal(turned.y, npy.y.T)


def test_files_that_cannot_be_read_give_plotyra_clis_reasons(tmp_path):
    for name in ["/no/such.p3d", example("import/volcano.npz")]:
        status, said = cli("info", name)
        with pytest.raises(OSError) as e:
            plotyra.load(name)
        assert str(e.value).split(": ", 1)[1] in said
    with pytest.raises(TypeError, match="unknown option 'spin'"):
        plotyra.load(example("import/volcano.npy"), spin=1)
    with pytest.raises(ValueError, match="'a' is not a number"):
        plotyra.load(example("import/volcano.npy"), spacing="a")
    with pytest.raises(OSError, match="^cannot save /no/such/folder/a.p3d$"):
        plotyra.save("/no/such/folder/a.p3d", np.zeros((2, 2)))
