#!/usr/bin/python3
"""Writes the importer samples in examples/import/ and the importer fuzz seeds.

One small file per format the importers read: a volcano-like height matrix as CSV (header row
of X, first column of Z) and as TSV (empty top-left cell, decimal comma), the same surface as
a list of points (x, z, height; shuffled, one point missing), a volume as a list x y z v, the
heights as a float32 .npy and a .npz holding two arrays (heights and a mask); the volcano as
an ESRI ASCII grid and as a GeoTIFF (written through libtiff and libgeotiff), as an HDF5 file
with dimension scales, and a netCDF-4 file of a temperature over time, latitude and longitude
with a pressure field beside it (both written through the NetCDF library by its ncgen).
Usage: /usr/bin/python3 scripts/make-import-samples.py
(needs python3-numpy, netcdf-bin, libtiff6 and libgeotiff5)
"""
import ctypes
import ctypes.util
import io
import os
import random
import subprocess
import tempfile
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


def esri_text(x, z, h):
    """The volcano as a map: rows from north (largest z) to south, one cell without data."""
    cell = float(x[1] - x[0])
    rows = h[::-1].astype(np.float64).copy()
    rows[3, 5] = -9999
    lines = ["ncols %d" % len(x), "nrows %d" % len(z),
             "xllcorner %s" % g(x[0] - cell / 2), "yllcorner %s" % g(z[0] - cell / 2),
             "cellsize %s" % g(cell), "NODATA_value -9999"]
    lines += [" ".join(g(v) for v in row) for row in rows]
    return "\n".join(lines) + "\n"


def cdl_numbers(a):
    return ", ".join(g(v) for v in np.asarray(a).ravel())


def ncgen(path, cdl):
    """Writes a netCDF-4 (HDF5) file from CDL text through the NetCDF library."""
    with tempfile.TemporaryDirectory() as tmp:
        source = os.path.join(tmp, "sample.cdl")
        with open(source, "w") as f:
            f.write(cdl)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        subprocess.run(["ncgen", "-k", "nc4", "-o", path, source], check=True)


def weather_cdl():
    lat = np.linspace(-60.0, 60.0, 25)
    lon = np.linspace(0.0, 350.0, 36)
    time = np.arange(6) * 6.0
    t = (np.cos(np.radians(lat))[np.newaxis, :, np.newaxis] * 30.0
         + 10.0 * np.sin(np.radians(lon)[np.newaxis, np.newaxis, :]
                         + time[:, np.newaxis, np.newaxis] / 6.0))
    packed = np.round(t / 0.01).astype(np.int16)
    packed[2, 10, 10] = -32767
    p = 1013.0 - 20.0 * np.sin(np.radians(lat))[:, np.newaxis] * np.cos(np.radians(lon))
    return """netcdf weather {
dimensions:
	time = UNLIMITED ;
	lat = %d ;
	lon = %d ;
variables:
	double time(time) ;
		time:units = "hours since 2024-01-01 00:00" ;
	float lat(lat) ;
		lat:units = "degrees_north" ;
	float lon(lon) ;
		lon:units = "degrees_east" ;
	short temp(time, lat, lon) ;
		temp:units = "degC" ;
		temp:long_name = "Air temperature" ;
		temp:scale_factor = 0.01 ;
		temp:add_offset = 0. ;
		temp:_FillValue = -32767s ;
	float pressure(lat, lon) ;
		pressure:units = "hPa" ;
		pressure:long_name = "Sea-level pressure" ;
data:
 time = %s ;
 lat = %s ;
 lon = %s ;
 temp = %s ;
 pressure = %s ;
}
""" % (len(lat), len(lon), cdl_numbers(time), cdl_numbers(lat), cdl_numbers(lon),
       cdl_numbers(packed), cdl_numbers(p.astype(np.float32)))


def terrain_cdl(x, z, h):
    return """netcdf terrain {
dimensions:
	northing = %d ;
	easting = %d ;
variables:
	double northing(northing) ;
		northing:units = "km" ;
	double easting(easting) ;
		easting:units = "km" ;
	float height(northing, easting) ;
		height:units = "m" ;
data:
 northing = %s ;
 easting = %s ;
 height = %s ;
}
""" % (len(z), len(x), cdl_numbers(z), cdl_numbers(x), cdl_numbers(h))


class TIFFFieldInfo(ctypes.Structure):
    _fields_ = [("field_tag", ctypes.c_uint32), ("field_readcount", ctypes.c_short),
                ("field_writecount", ctypes.c_short), ("field_type", ctypes.c_int),
                ("field_bit", ctypes.c_ushort),
                ("field_oktochange", ctypes.c_ubyte), ("field_passcount", ctypes.c_ubyte),
                ("field_name", ctypes.c_char_p)]


def write_geotiff(path, x, z, h):
    """The volcano as a float32 GeoTIFF through libtiff and libgeotiff: north-up rows, pixel
    scale and tie point of the cells' corners, GDAL_NODATA -9999 at one pixel."""
    tiff = ctypes.CDLL(ctypes.util.find_library("tiff") or "libtiff.so.6")
    geotiff = ctypes.CDLL(ctypes.util.find_library("geotiff") or "libgeotiff.so.5")
    geotiff.XTIFFInitialize()
    tiff.TIFFOpen.restype = ctypes.c_void_p
    tiff.TIFFOpen.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
    geotiff.GTIFNew.restype = ctypes.c_void_p
    geotiff.GTIFNew.argtypes = [ctypes.c_void_p]
    os.makedirs(os.path.dirname(path), exist_ok=True)
    t = ctypes.c_void_p(tiff.TIFFOpen(path.encode(), b"w"))
    nodata = TIFFFieldInfo(42113, -1, -1, 2, 65, 1, 0, b"GDALNoDataValue")
    tiff.TIFFMergeFieldInfo(t, ctypes.byref(nodata), 1)
    rows = h[::-1].astype(np.float32).copy()
    rows[3, 5] = -9999
    cell = float(x[1] - x[0])
    u = ctypes.c_uint
    for tag, value in [(256, len(x)), (257, len(z)), (258, 32), (277, 1), (339, 3), (262, 1),
                       (284, 1), (259, 8), (278, 8)]:
        tiff.TIFFSetField(t, u(tag), u(value))
    scale = (ctypes.c_double * 3)(cell, cell, 0.0)
    tie = (ctypes.c_double * 6)(0, 0, 0, float(x[0]) - cell / 2, float(z[-1]) + cell / 2, 0)
    tiff.TIFFSetField(t, u(33550), u(3), scale)
    tiff.TIFFSetField(t, u(33922), u(6), tie)
    tiff.TIFFSetField(t, u(42113), ctypes.c_char_p(b"-9999"))
    gt = ctypes.c_void_p(geotiff.GTIFNew(t))
    # GTRasterTypeGeoKey (1025) = RasterPixelIsArea (1), a SHORT (TYPE_SHORT = 3).
    geotiff.GTIFKeySet(gt, 1025, 3, 1, u(1))
    geotiff.GTIFWriteKeys(gt)
    geotiff.GTIFFree(gt)
    for r in range(rows.shape[0]):
        line = np.ascontiguousarray(rows[r])
        tiff.TIFFWriteScanline(t, line.ctypes.data_as(ctypes.c_void_p), u(r), u(0))
    tiff.TIFFClose(t)


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
    write(os.path.join(OUT, "volcano.asc"), esri_text(x, z, h))
    write_geotiff(os.path.join(OUT, "volcano.tif"), x, z, h)
    ncgen(os.path.join(OUT, "volcano.h5"), terrain_cdl(x, z, h))
    ncgen(os.path.join(OUT, "weather.nc"), weather_cdl())

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
