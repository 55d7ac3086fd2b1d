"""Independent check of a wireframe preview drawn and saved by vorn-batch.

usage: check_preview.py RESULT.dxf SITE.dxf BUILDING_LAYER H V X,Y PICTURE.png

Reads the building from the site drawing with ezdxf and turns its edges by H degrees about the
vertical and tilts them by V: the red lines of the result must be those edges, moved so that
their lower-left bound lies at X,Y. The PNG file is decoded with zlib: 148 x 148 RGB, only the
preview's colours, the building's red lines showing. Prints "ok" or the problems found.
"""
import math
import os
import struct
import sys
import zlib

import ezdxf

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from check_hourly import building_edges  # noqa: E402


def read_png(path):
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG file"
    pos, idat, size = 8, b"", None
    while pos < len(data):
        n, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + n]
        if kind == b"IHDR":
            size = struct.unpack(">IIBB", body[:10])
        elif kind == b"IDAT":
            idat += body
        pos += 12 + n
    w, h, depth, ctype = size
    assert (depth, ctype) == (8, 2), "not 8-bit RGB"
    raw = zlib.decompress(idat)
    stride = 1 + 3 * w
    pixels = [raw[r * stride + 1 + 3 * c:r * stride + 4 + 3 * c].hex()
              for r in range(h) for c in range(w)]
    return w, h, pixels


def main():
    result, site_path, layer, hdeg, vdeg, at, picture = sys.argv[1:8]
    turn, tilt = math.radians(float(hdeg)), math.radians(float(vdeg))
    ax, ay = map(float, at.split(","))
    problems = []
    doc = ezdxf.readfile(result)
    if doc.audit().has_errors:
        problems.append("audit errors")
    edges, _ = building_edges(ezdxf.readfile(site_path), layer)

    def project(p):
        x = p[0] * math.cos(turn) - p[1] * math.sin(turn)
        y = p[0] * math.sin(turn) + p[1] * math.cos(turn)
        return (x, y * math.cos(tilt) + p[2] * math.sin(tilt))

    projected = [(project(s), project(e)) for s, e in edges]
    lowx = min(min(s[0], e[0]) for s, e in projected)
    lowy = min(min(s[1], e[1]) for s, e in projected)

    # The program forms its angles in single precision: a few thousandths of a millimetre.
    want = [((s[0] - lowx + ax, s[1] - lowy + ay), (e[0] - lowx + ax, e[1] - lowy + ay))
            for s, e in projected]
    red = [e for e in doc.modelspace().query("LINE") if e.dxf.get("color", 256) == 1]
    got = [(tuple(e.dxf.start)[:2], tuple(e.dxf.end)[:2]) for e in red]

    def same(s, t):
        (p, q), (a, b) = s, t
        return min(max(math.dist(p, a), math.dist(q, b)), max(math.dist(p, b), math.dist(q, a))) < 0.05

    # Repeated edges (a vertical where two arcs of a polyline meet) may come once or twice.
    missing = sum(1 for w in want if not any(same(w, g) for g in got))
    extra = sum(1 for g in got if not any(same(w, g) for w in want))
    if missing or extra or not got:
        problems.append(f"{missing} turned edges without a red line, {extra} red lines too many")
    others = [e for e in doc.modelspace().query("LINE") if e.dxf.get("color", 256) in (8, 9)]
    if others:
        problems.append(f"{len(others)} footprint or plumb lines with the footprint off")

    w, h, pixels = read_png(picture)
    if (w, h) != (148, 148):
        problems.append(f"picture is {w} x {h}")
    colours = set(pixels)
    if not colours <= {"000000", "ff0000", "c0c0c0", "808080"}:
        problems.append(f"unexpected colours {sorted(colours)}")
    lit = [i for i, p in enumerate(pixels) if p == "ff0000"]
    if len(lit) < 300:
        problems.append(f"only {len(lit)} red pixels")
    else:
        xs, ys = [i % w for i in lit], [i // w for i in lit]
        # Fitted with a margin: the building spans about 1/1.2 of the picture, centred.
        span = max(max(xs) - min(xs), max(ys) - min(ys))
        if abs(span - w / 1.2) > 3:
            problems.append(f"the building spans {span} pixels")
        if abs((max(xs) + min(xs)) / 2 - w / 2) > 2 or abs((max(ys) + min(ys)) / 2 - h / 2) > 2:
            problems.append("the building is not centred")
    print("\n".join(problems) if problems else "ok")


if __name__ == "__main__":
    main()
