#!/usr/bin/python3
"""Writes the importer samples in examples/import/ and the importer fuzz seeds.

One small file per format the importers read: a volcano-like height matrix as CSV (header row
of X, first column of Z) and as TSV (empty top-left cell, decimal comma), the same surface as
a list of points (x, z, height; shuffled, one point missing), a volume as a list x y z v, the
heights as a float32 .npy and a .npz holding two arrays (heights and a mask).
Usage: /usr/bin/python3 scripts/make-import-samples.py   (needs python3-numpy)
"""
import io
import os
import random
import zipfile

import numpy as np

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "examples", "import")
SEEDS = os.path.join(ROOT, "fuzz", "corpus")


def volcano(nx=41, nz=31):
    x = np.linspace(-2.0, 2.0, nx)
    z = np.linspace(-1.5, 1.5, nz)
    r = np.hypot(x[np.newaxis, :], z[:, np.newaxis])
    # A cone with a crater: h[k, i] is the height at x[i], z[k].
    h = np.where(r < 0.45, 1400.0 + 900.0 * r, 2000.0 - 600.0 * r)
    return x, z, np.round(h, 1).astype(np.float32)


def g(v):
    return format(float(v), "g")


def matrix_text(x, z, h, sep, top_left, decimal_comma=False):
    def cell(v):
        s = g(v)
        return s.replace(".", ",") if decimal_comma else s

    lines = ["# volcano: heights in m, rows run along z, columns along x",
             sep.join([top_left] + [cell(v) for v in x])]
    for k in range(len(z)):
        lines.append(sep.join([cell(z[k])] + [cell(v) for v in h[k]]))
    return "\n".join(lines) + "\n"


def points_text(x, z, h):
    rows = [(x[i], z[k], h[k, i]) for k in range(len(z)) for i in range(len(x))
            if (i, k) != (20, 15)]  # the crater's centre left out: a hole
    random.Random(7).shuffle(rows)
    return "x [km],z [km],height [m]\n" + "".join(
        "%s,%s,%s\n" % (g(a), g(b), g(c)) for a, b, c in rows)


def volume_text(n=(6, 5, 4)):
    nx, ny, nz = n
    lines = ["x\ty\tz\tv"]
    for k in range(nz):
        for j in range(ny):
            for i in range(nx):
                v = round(20.0 + 3.0 * i - 2.0 * j + 0.5 * k * k, 2)
                lines.append("\t".join(g(c) for c in (i * 0.5, j * 1.0, k * 2.0, v)))
    return "\n".join(lines) + "\n"


def npy_bytes(a):
    b = io.BytesIO()
    np.save(b, a)
    return b.getvalue()


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    mode = "wb" if isinstance(data, bytes) else "w"
    with open(path, mode, **({} if mode == "wb" else {"newline": ""})) as f:
        f.write(data)


def main():
    x, z, h = volcano()
    write(os.path.join(OUT, "volcano.csv"), matrix_text(x, z, h, ",", "z\\x"))
    write(os.path.join(OUT, "volcano.tsv"), matrix_text(x, z, h, "\t", "", decimal_comma=True))
    write(os.path.join(OUT, "volcano-points.csv"), points_text(x, z, h))
    write(os.path.join(OUT, "volume-points.tsv"), volume_text())
    write(os.path.join(OUT, "volcano.npy"), npy_bytes(h))
    mask = (h > 1500).astype(np.uint8)
    with zipfile.ZipFile(os.path.join(OUT, "volcano.npz"), "w", zipfile.ZIP_DEFLATED) as zf:
        zf.writestr("heights.npy", npy_bytes(h))
        zf.writestr("mask.npy", npy_bytes(mask))

    # Fuzz seeds: small files of each kind.
    sx, sz, sh = volcano(5, 4)
    text = os.path.join(SEEDS, "import_text_fuzz")
    write(os.path.join(text, "matrix.csv"), matrix_text(sx, sz, sh, ",", "z\\x"))
    write(os.path.join(text, "decimal-comma.tsv"), matrix_text(sx, sz, sh, ";", "", True))
    write(os.path.join(text, "plain.txt"), "1 2 3\n4 NaN 6\n7 8 -inf\n")
    write(os.path.join(text, "points.csv"), points_text(*volcano(5, 4))[:400])
    write(os.path.join(text, "volume.tsv"), volume_text((2, 3, 3)))
    npy = os.path.join(SEEDS, "import_npy_fuzz")
    write(os.path.join(npy, "f4.npy"), npy_bytes(sh))
    write(os.path.join(npy, "i2-big.npy"), npy_bytes(sh.astype(">i2")))
    write(os.path.join(npy, "u1-fortran.npy"), npy_bytes(np.asfortranarray(sh.astype(np.uint8))))
    write(os.path.join(npy, "f8-volume.npy"), npy_bytes(np.arange(24.0).reshape(2, 3, 4)))
    with zipfile.ZipFile(os.path.join(npy, "two.npz"), "w", zipfile.ZIP_DEFLATED) as zf:
        zf.writestr("a.npy", npy_bytes(sh))
        zf.writestr("b.npy", npy_bytes(sh.astype(np.int32)))


if __name__ == "__main__":
    main()
