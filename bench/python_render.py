#!/usr/bin/env python3
"""How fast the Python module draws, against its goals:

  1. plotyra.render of a 1000 x 1000 surface at 800 x 600 from a NumPy array, in-process, at
     least 20 times faster than matplotlib's plot_surface (rstride = cstride = 1, a colormap,
     saved to PNG at the same size). Without matplotlib this comparison is skipped with a note
     (it is not a dependency of the project; install python3-matplotlib for the run only).
  2. The in-process overhead beyond the drawing itself (handing the array over, the picture
     back) at most 5 % of the call at 1000 x 1000.
  3. 100 renders of a 100 x 100 surface in one process: at least 20 per second.

Run it against an optimised build (the default preset), on an idle machine:

    PYTHONPATH=build/default/python /usr/bin/python3 bench/python_render.py
"""
import os
import statistics
import sys
import tempfile
import time

import numpy as np
import plotyra

WIDTH, HEIGHT = 800, 600


def surface(n):
    x = np.linspace(-6, 6, n, dtype=np.float32)
    z = np.linspace(-6, 6, n, dtype=np.float32)
    r = np.hypot(x[None, :], z[:, None])
    return (np.sin(r) / (1 + 0.2 * r)).astype(np.float32), x, z


def seconds(call, repeat):
    times = []
    for _ in range(repeat):
        start = time.perf_counter()
        call()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def matplotlib_seconds(y, x, z, png):
    try:
        import matplotlib
    except ImportError:
        return None
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    start = time.perf_counter()
    fig = plt.figure(figsize=(WIDTH / 100, HEIGHT / 100), dpi=100)
    ax = fig.add_subplot(projection="3d")
    X, Z = np.meshgrid(x, z)
    ax.plot_surface(X, Z, y, rstride=1, cstride=1, cmap="viridis")
    fig.savefig(png, dpi=100)
    plt.close(fig)
    return time.perf_counter() - start


def main():
    repeat = int(os.environ.get("REPEAT", "3"))
    y, x, z = surface(1000)
    size = dict(size=(WIDTH, HEIGHT))
    plotyra.render(y, x, z, **size)  # the renderer's first start (OSMesa, shaders) is not timed

    array = seconds(lambda: plotyra.render(y, x, z, **size), repeat)
    with tempfile.TemporaryDirectory() as folder:
        png = os.path.join(folder, "plotyra.png")
        to_png = seconds(lambda: plotyra.render(y, x, z, path=png, **size), repeat)
        mpl = matplotlib_seconds(y, x, z, os.path.join(folder, "matplotlib.png"))
    print(f"plotyra.render 1000 x 1000 at {WIDTH} x {HEIGHT}: {array:.3f} s to an array, "
          f"{to_png:.3f} s to a PNG (median of {repeat})")
    if mpl is None:
        print("matplotlib plot_surface: skipped, matplotlib is not installed "
              "(apt-get install python3-matplotlib for this run only)")
    else:
        factor = mpl / to_png
        print(f"matplotlib plot_surface (rstride = cstride = 1, viridis, PNG): {mpl:.1f} s, "
              f"{factor:.0f} x slower (goal >= 20): {'met' if factor >= 20 else 'NOT met'}")

    # The call against the drawing inside it: a scene as render makes one, timed by its steps.
    calls, draws, fills, backs = [], [], [], []
    for _ in range(repeat):
        start = time.perf_counter()
        scene = plotyra._plotyra.Scene()
        scene.set_surface(y, x, z)
        scene.picture(WIDTH, HEIGHT, True)
        calls.append(time.perf_counter() - start)
        t = scene.timings()
        draws.append(t["draw"])
        fills.append(t["fill"])
        backs.append(t["hand_back"])
    call, draw = statistics.median(calls), statistics.median(draws)
    fill, back = statistics.median(fills), statistics.median(backs)
    share = (call - draw) / call
    print(f"one call {call:.3f} s: drawing {draw:.3f} s, array into the chart {fill * 1e3:.1f} ms "
          f"(ranges and normals included), picture back {back * 1e3:.1f} ms, "
          f"everything beyond the drawing {100 * share:.1f} % (goal <= 5 %): "
          f"{'met' if share <= 0.05 else 'NOT met'}")

    small, sx, sz = surface(100)
    start = time.perf_counter()
    for _ in range(100):
        plotyra.render(small, sx, sz, **size)
    rate = 100 / (time.perf_counter() - start)
    print(f"100 renders of 100 x 100 at {WIDTH} x {HEIGHT}: {rate:.1f} per second (goal >= 20): "
          f"{'met' if rate >= 20 else 'NOT met'}")
    print(f"({os.cpu_count()} cores, load average {os.getloadavg()[0]:.1f})", file=sys.stderr)


if __name__ == "__main__":
    main()
