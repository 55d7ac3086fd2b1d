#!/usr/bin/python3
"""Checks a sky-factor report of vorn-batch against the exact sky factor, computed here from first
principles and independently of Vorn: the buildings are read with ezdxf from the drawing (every
LINE and LWPOLYLINE with a thickness on the building layer is a vertical wall from its elevation
up to elevation + thickness; bulges are flattened to 5 mm), and at each measurement point the
sky hidden by them is the cosine-weighted projected solid angle: for every azimuth the highest
elevation angle h at which the ray still meets a wall, covered = sum of sin^2(h)/2 dphi over the
circle, sky factor = (1 - covered / pi) * 100.

Every listed row must be filled, and planned <= exact <= conforming, each within 0.5 points.

usage: check_sky_report.py DRAWING.dxf BUILDING_LAYER REPORT.tsv ROWS
       -> prints "ok" or the problems
"""

import math
import sys

import ezdxf
import ezdxf.path
import numpy as np

AZIMUTHS = 1 << 16
# The program sees the round stair tower as chords of its arcs; the oracle sees it nearly round.
# The difference is far below this.
SLACK = 0.01


def walls(doc, layer):
    """(x1, y1, x2, y2, bottom, top) of every wall segment on the layer."""
    out = []
    for e in doc.modelspace():
        if e.dxf.layer != layer or e.dxftype() not in ("LINE", "LWPOLYLINE"):
            continue
        thickness = e.dxf.get("thickness", 0.0)
        if e.dxftype() == "LINE":
            s, t = e.dxf.start, e.dxf.end
            bottom = min(s.z, t.z)
            out.append((s.x, s.y, t.x, t.y, bottom, bottom + thickness))
            continue
        elevation = e.dxf.get("elevation", 0.0)
        points = list(ezdxf.path.make_path(e).flattening(5.0))
        for a, b in zip(points, points[1:]):
            out.append((a.x, a.y, b.x, b.y, elevation, elevation + thickness))
    return np.array(out)


def azimuths_between(a1, a2):
    """Indices of the azimuth samples within the smaller arc between the two directions, with one
    sample to spare at each end (the hit test below decides)."""
    step = 2 * math.pi / AZIMUTHS
    lo, hi = sorted((a1 % (2 * math.pi), a2 % (2 * math.pi)))
    if hi - lo <= math.pi:
        return np.arange(int(lo / step) - 1, int(hi / step) + 2) % AZIMUTHS
    return np.arange(int(hi / step) - 1, int((lo + 2 * math.pi) / step) + 2) % AZIMUTHS


def exact_sky_factor(segs, px, py, plane):
    phi = (np.arange(AZIMUTHS) + 0.5) * 2 * math.pi / AZIMUTHS
    cos, sin = np.cos(phi), np.sin(phi)
    best = np.zeros(AZIMUTHS)
    for x1, y1, x2, y2, bottom, top in segs:
        rise = top - plane
        if rise <= 0:
            continue
        # Walls standing on or below the plane only; a wall floating above it is not in the sample.
        assert bottom <= plane + 1e-9
        ax, ay, ex, ey = x1 - px, y1 - py, x2 - x1, y2 - y1
        k = azimuths_between(math.atan2(ay, ax), math.atan2(y2 - py, x2 - px))
        dx, dy = cos[k], sin[k]
        denom = dx * ey - dy * ex
        ok = np.abs(denom) > 1e-12
        safe = np.where(ok, denom, 1.0)
        t = (ax * ey - ay * ex) / safe  # along the ray
        u = (ax * dy - ay * dx) / safe  # along the wall
        hit = ok & (t > 0) & (u >= 0) & (u <= 1)
        elevation = np.where(hit, np.arctan2(rise, np.where(hit, t, 1.0)), 0.0)
        best[k] = np.maximum(best[k], elevation)
    covered = (0.5 * np.sin(best) ** 2).sum() * 2 * math.pi / AZIMUTHS
    return (1.0 - covered / math.pi) * 100.0


def main():
    drawing, layer, report, rows = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
    segs = walls(ezdxf.readfile(drawing), layer)
    with open(report, encoding="utf-8", newline="") as f:
        lines = [line.split("\t") for line in f.read().split("\r\n") if line]
    problems = []
    header, body = lines[0], lines[1:]
    if [c.strip() for c in header[5:8]] != ["計画", "適合", "AREA"]:
        problems.append(f"header {header}")
    if len(body) != rows:
        problems.append(f"{len(body)} rows, expected {rows}")
    for cells in body:
        try:
            x, y, plane = float(cells[1]), float(cells[2]), float(cells[4]) * 1000.0
            planned, conforming = float(cells[5]), float(cells[6])
        except (ValueError, IndexError):
            problems.append(f"row not filled: {cells}")
            continue
        exact = exact_sky_factor(segs, x, y, plane)
        name = f"row {cells[0]} ({cells[3]})"
        if not planned <= exact + SLACK:
            problems.append(f"{name}: planned {planned} above the exact {exact:.4f}")
        if not exact <= conforming + SLACK:
            problems.append(f"{name}: conforming {conforming} below the exact {exact:.4f}")
        if exact - planned >= 0.5 or conforming - exact >= 0.5:
            problems.append(f"{name}: {planned} / {exact:.4f} / {conforming} too far apart")
    print("\n".join(problems) if problems else "ok")


if __name__ == "__main__":
    main()
