"""The viewer one call away, and the example script of the documentation."""
import os
import subprocess
import sys
import time
from urllib.parse import quote

import plotyra
import pytest
from conftest import SOURCE, cli, example, read


def wait_for(condition, seconds):
    end = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > end:
            return False
        time.sleep(0.1)
    return True


def test_show_starts_the_viewer_on_the_saved_chart_without_waiting(wave, tmp_path, monkeypatch):
    y, x, z = wave
    seen = tmp_path / "seen.p3d"
    viewer = tmp_path / "viewer"
    viewer.write_text(f'#!/bin/sh\nsleep 1\ncp "$1" "{seen}"\n')
    viewer.chmod(0o755)
    monkeypatch.setenv("PLOTYRA_VIEWER", str(viewer))
    process = plotyra.show(y, x, z, properties=example("style.cpr"))
    assert process.poll() is None
    assert process.args[0] == str(viewer)
    chart = process.args[1]
    assert process.wait(timeout=30) == 0
    expected = tmp_path / "expected.p3d"
    plotyra.save(expected, y, x, z, properties=example("style.cpr"))
    assert read(seen) == read(expected)
    # The temporary file goes with the viewer.
    assert wait_for(lambda: not os.path.exists(os.path.dirname(chart)), 10)


@pytest.mark.display
def test_the_viewer_opens_what_show_hands_it(wave):
    process = plotyra.show(*wave)
    try:
        # The viewer lists a file it has loaded among the recently used ones.
        recent = os.path.join(os.environ["XDG_DATA_HOME"], "recently-used.xbel")
        uri = "file://" + quote(process.args[1])
        assert wait_for(lambda: os.path.exists(recent) and uri in read(recent).decode(), 60)
        assert process.poll() is None
    finally:
        process.terminate()
        process.wait(timeout=30)


def test_the_example_draws_the_large_surface_as_plotyra_cli_does(tmp_path):
    mine, theirs = tmp_path / "example.png", tmp_path / "cli.png"
    script = os.path.join(SOURCE, "examples", "python", "surface.py")
    r = subprocess.run([sys.executable, script, str(mine)], capture_output=True, text=True)
    assert r.returncode == 0, r.stderr
    assert "ChartData(surface 200 x 200)" in r.stdout
    assert cli("render", example("large/surface-200.p3d"), "-o", theirs)[0] == 0
    assert read(mine) == read(theirs)
