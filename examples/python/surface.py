#!/usr/bin/env python3
"""The large sample surface, loaded through plotyra.load and drawn to a PNG.

    PYTHONPATH=build/default/python /usr/bin/python3 examples/python/surface.py [OUT.png]

In a notebook the same lines work cell by cell; the last one shows the picture in place.
"""
import os
import sys

import plotyra

here = os.path.dirname(os.path.abspath(__file__))
out = sys.argv[1] if len(sys.argv) > 1 else "surface.png"

# Any file the viewer opens: a chart file, a NumPy array, a text matrix.
data = plotyra.load(os.path.join(here, os.pardir, "large", "surface-200.p3d"))
print(data, "over x", data.x[0], "...", data.x[-1], "and z", data.z[0], "...", data.z[-1])
print("heights from", data.y.min(), "to", data.y.max())

# The picture plotyra-cli render draws of that file, written as a PNG.
plotyra.render(data.y, data.x, data.z, properties=data.properties, path=out)
print("wrote", out)

# Notebook: a Chart value shows itself.
chart = plotyra.Chart(data.y, data.x, data.z, size=(640, 480))
chart
