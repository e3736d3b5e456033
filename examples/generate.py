#!/usr/bin/env python3
"""Writes the sample chart files of this folder.

The numbers are produced here in plain text and then passed through
`plotyra-cli convert`, so every sample is written exactly as the program writes it.
Usage: examples/generate.py PATH/TO/plotyra-cli
"""
import math
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def num(v):
    return repr(float(v))


def lines(rows):
    return "".join("\t".join(num(v) if not isinstance(v, int) else str(v) for v in row) + "\r\n"
                   for row in rows)


def surface(nx, nz, f, x0=-3.0, x1=3.0, z0=-3.0, z1=3.0):
    xs = [x0 + (x1 - x0) * i / (nx - 1) for i in range(nx)]
    zs = [z0 + (z1 - z0) * k / (nz - 1) for k in range(nz)]
    return xs, zs, [[f(x, z) for x in xs] for z in zs]


def grid3d(nx, nz, f, tag="<3D>\r\n", **kw):
    xs, zs, h = surface(nx, nz, f, **kw)
    return tag + f"{nx}\t{nz}\r\n" + lines([xs]) + lines([[z] for z in zs]) + lines(h)


def hi3d(nx, nz, f):
    # A grid bent along x: every point carries its own coordinates.
    xs, zs, h = surface(nx, nz, f)
    px = [[x + 0.1 * z for x in xs] for z in zs]
    pz = [[z + 0.05 * x * x for x in xs] for z in zs]
    return "<3D Hi>\r\n" + f"{nx}\t{nz}\r\n" + lines(px) + lines(pz) + lines(h)


def color3d(nx, nz, swapped):
    xs, zs, h = surface(nx, nz, lambda x, z: math.sin(x) * math.cos(z))
    tag = "<3D COLOR SWAPPED>" if swapped else "<3D COLOR>"
    rows = []
    for k, z in enumerate(zs):
        row = []
        for i, x in enumerate(xs):
            height, value = h[k][i], x * z
            row += [value, height] if swapped else [height, value]
        rows.append(row)
    return tag + "\r\n" + f"{nx}\t{nz}\r\n" + lines([xs]) + lines([zs]) + lines(rows)


def nx4d(layers):
    text = "<Nx4D>\r\n" + f"{len(layers)}\r\n" + "".join(f"{x}\t{z}\r\n" for x, z, _ in layers)
    for x, z, f in layers:
        for r in range(z):
            row = []
            for i in range(x):
                row += f(i / max(x - 1, 1), r / max(z - 1, 1))
            text += lines([row])
        text += "\r\n"
    return text


def volume(nx, ny, nz, f):
    xs = [i / (nx - 1) for i in range(nx)]
    ys = [j / (ny - 1) for j in range(ny)]
    zs = [k / (nz - 1) for k in range(nz)]
    text = "<4D>\r\n" + f"{nx}\t{ny}\t{nz}\r\n" + lines([xs]) + lines([ys]) + lines([zs]) + "\r\n"
    for z in zs:
        text += lines([[f(x, y, z) for x in xs] for y in ys]) + "\r\n"
    return text


def box(nx, ny, nz, f):
    xs = [i / (nx - 1) for i in range(nx)]
    ys = [j / (ny - 1) for j in range(ny)]
    zs = [k / (nz - 1) for k in range(nz)]
    text = "<4D surface>\r\n" + f"{nx}\t{ny}\t{nz}\r\n"
    text += lines([xs]) + lines([ys]) + lines([zs]) + "\r\n"
    faces = [
        [[f(x, y, zs[0]) for x in xs] for y in ys],
        [[f(x, y, zs[-1]) for x in xs] for y in ys],
        [[f(xs[0], y, z) for z in zs] for y in ys],
        [[f(xs[-1], y, z) for z in zs] for y in ys],
        [[f(x, ys[0], z) for x in xs] for z in zs],
        [[f(x, ys[-1], z) for x in xs] for z in zs],
    ]
    for face in faces:
        text += lines(face) + "\r\n"
    return text


def wave(x, z):
    return math.sin(x) + math.cos(z) + 2


def ripple(x, z):
    r = math.hypot(x, z)
    return math.sin(3 * r) / (1 + r)


def blob(x, y, z):
    return math.exp(-8 * ((x - 0.5) ** 2 + (y - 0.5) ** 2 + (z - 0.5) ** 2))


def layer_a(u, v):
    return [u, 0.2 * math.sin(6 * u), v, u * v]


def layer_b(u, v):
    return [u, 1 + 0.2 * math.cos(6 * v), v, 1 - u * v]


# name, text, convert options (None: written as given)
SAMPLES = [
    ("headerless.txt", grid3d(5, 4, wave, tag=""), None),
    ("surface.p3d", grid3d(6, 5, wave), ["--low-memory"]),
    ("surface-hi.p3d", hi3d(4, 3, wave), []),
    ("color.p4d", color3d(4, 3, False), None),
    ("color-swapped.p4d", color3d(4, 3, True), None),
    ("layers.p4d", nx4d([(3, 2, layer_a), (2, 2, layer_b)]), []),
    ("volume.p4d", volume(3, 3, 3, blob), ["--low-memory"]),
    ("volume-hi.p4d", volume(3, 2, 2, blob), []),
    ("box.p4d", box(3, 3, 3, blob), ["--low-memory"]),
    ("box-hi.p4d", box(3, 2, 2, blob), []),
    ("surface-props.p3d", grid3d(6, 5, ripple), ["--low-memory", "--with-properties"]),
    ("large/surface-200.p3d", grid3d(200, 200, ripple, x0=-6, x1=6, z0=-6, z1=6),
     ["--low-memory"]),
    ("large/layers-200.p4d", nx4d([(200, 200, layer_a), (200, 200, layer_b)]), []),
    ("large/volume-200.p4d", volume(200, 200, 5, blob), ["--low-memory"]),
    ("large/box-200.p4d", box(200, 200, 200, blob), ["--low-memory"]),
]


def main():
    cli = sys.argv[1]
    os.makedirs(os.path.join(HERE, "large"), exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        for name, text, options in SAMPLES:
            target = os.path.join(HERE, name)
            if options is None:
                with open(target, "w", newline="") as f:
                    f.write(text)
                continue
            source = os.path.join(tmp, "in.txt")
            with open(source, "w", newline="") as f:
                f.write(text)
            subprocess.run([cli, "convert", source, target] + options, check=True)
    write_cpr(os.path.join(HERE, "surface-props.p3d"), os.path.join(HERE, "style.cpr"))


LEGEND_FONT = [("Charset", "1"), ("Color", "-16777208"), ("Height", "-16"), ("Name", "Arial"),
               ("Pitch", "0"), ("Size", "12"), ("StylefsBold", "FALSE"),
               ("StylefsItalic", "FALSE"), ("StylefsUnderline", "FALSE"),
               ("StylefsStrikeOut", "FALSE")]


def write_cpr(data_file, target):
    """A property file: the chart block of a data file and the legend's font block."""
    with open(data_file, newline="") as f:
        text = f.read()
    block = text[text.index("[FileVer]"):]
    block += "[QorColorScale_FileVer]\r\nTQorColorScaleV7.2\r\n"
    block += "".join(f"[QorColorScale_Font{k}]\r\n{v}\r\n" for k, v in LEGEND_FONT)
    with open(target, "w", newline="") as f:
        f.write(block)


if __name__ == "__main__":
    main()
