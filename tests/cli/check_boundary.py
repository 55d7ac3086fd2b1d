"""Independent check of the deemed boundary lines written by vorn-batch.

usage: check_boundary.py SITE.dxf RESULT.dxf SITE_LAYER [RESULT.dxf SITE_LAYER ...]

Reads the site's lines from the site drawing with ezdxf, forms the site's outer outline with
shapely, and compares every closed polyline that the result has on layer "0" with the round-
joined buffer of that outline by 5 m and 10 m: within 1 mm (Hausdorff, arcs sampled from the
bulges), with a sharp vertex at every inward corner. Prints "ok" or the problems found.
"""
import math
import sys

import ezdxf
from ezdxf import path as dxfpath
from shapely.geometry import LineString, MultiLineString, Polygon
from shapely.ops import polygonize, unary_union


def sampled(vertices, closed):
    """The points of a polyline with every bulge arc sampled at 0.1 degree steps (exactly on
    the circle, unlike a curve approximation)."""
    spans = list(zip(vertices, vertices[1:] + (vertices[:1] if closed else [])))
    points = []
    for (p, bulge), (q, _) in spans:
        points.append(p)
        if bulge == 0:
            continue
        sweep = 4 * math.atan(bulge)
        chord = math.dist(p, q)
        radius = chord / 2 / math.sin(sweep / 2)
        heading = math.atan2(q[1] - p[1], q[0] - p[0]) + math.pi / 2 - sweep / 2
        centre = (p[0] + radius * math.cos(heading), p[1] + radius * math.sin(heading))
        start = math.atan2(p[1] - centre[1], p[0] - centre[0])
        steps = max(2, int(abs(math.degrees(sweep)) * 10))
        r = abs(radius)
        for k in range(1, steps):
            a = start + sweep * k / steps
            points.append((centre[0] + r * math.cos(a), centre[1] + r * math.sin(a)))
    points.append(points[0] if closed else vertices[-1][0])
    return points


def site_outline(site, layer):
    lines = []
    for e in site.modelspace().query(f'*[layer=="{layer}"]'):
        if e.dxftype() in ("LINE", "LWPOLYLINE"):
            pts = [tuple(v)[:2] for v in dxfpath.make_path(e).flattening(0.01)]
            lines += [LineString([p, q]) for p, q in zip(pts, pts[1:]) if p != q]
    faces = list(polygonize(unary_union(MultiLineString(lines))))
    union = unary_union(faces)
    return Polygon(max(getattr(union, "geoms", [union]), key=lambda g: g.area).exterior)


def sharp_corners(outline, d):
    """The offset corner points of the inward corners of a counter-clockwise outline."""
    pts = list(outline.exterior.coords)[:-1]
    if not outline.exterior.is_ccw:
        pts.reverse()
    corners = []
    n = len(pts)
    for i in range(n):
        a, v, b = pts[i - 1], pts[i], pts[(i + 1) % n]
        cross = (v[0] - a[0]) * (b[1] - v[1]) - (v[1] - a[1]) * (b[0] - v[0])
        if cross < -1e-6:  # a right turn on a counter-clockwise outline turns inward
            def shifted(p, q):
                length = math.dist(p, q)
                nx, ny = (q[1] - p[1]) / length, -(q[0] - p[0]) / length
                return (p[0] + d * nx, p[1] + d * ny), (q[0] + d * nx, q[1] + d * ny)
            (p1, p2), (p3, p4) = shifted(a, v), shifted(v, b)
            den = (p2[0] - p1[0]) * (p4[1] - p3[1]) - (p2[1] - p1[1]) * (p4[0] - p3[0])
            u = ((p3[0] - p1[0]) * (p4[1] - p3[1]) - (p3[1] - p1[1]) * (p4[0] - p3[0])) / den
            corners.append((p1[0] + u * (p2[0] - p1[0]), p1[1] + u * (p2[1] - p1[1])))
    return corners


def check(site, result_path, layer):
    problems = []
    result = ezdxf.readfile(result_path)
    auditor = result.audit()
    if auditor.has_errors:
        problems.append(f"audit: {len(auditor.errors)} errors")
    outline = site_outline(site, layer)
    lines = [e for e in result.modelspace().query('POLYLINE[layer=="0"]')]
    if len(lines) != 2:
        problems.append(f"{len(lines)} polylines on layer 0, not 2")
    found = {}
    for e in lines:
        if not e.is_closed:
            problems.append(f"polyline {e.dxf.handle} is open")
        pts = sampled([(tuple(v.dxf.location)[:2], v.dxf.bulge) for v in e.vertices], True)
        shape = LineString(pts)
        d = 5000 if Polygon(pts).area < outline.buffer(7500).area else 10000
        if d in found:
            problems.append(f"two lines at {d} mm")
        found[d] = True
        # As a plain line: this shapely measures a ring to a line wrongly.
        expected = LineString(outline.buffer(d, resolution=512).exterior.coords)
        gap = shape.hausdorff_distance(expected)
        if gap > 1.0:
            problems.append(f"line at {d} mm is {gap:.4f} mm from the buffer")
        bulges = [v.dxf.bulge for v in e.vertices]
        if any(abs(b) > 1.0 + 1e-9 for b in bulges):
            problems.append(f"line at {d} mm has an arc of more than a half turn")
        vertices = [tuple(v.dxf.location)[:2] for v in e.vertices]
        for c in sharp_corners(outline, d):
            hits = [i for i, v in enumerate(vertices) if math.dist(v, c) < 1e-3]
            if not hits:
                problems.append(f"no sharp vertex at {c} on the line at {d} mm")
            elif bulges[hits[0]] != 0 or bulges[hits[0] - 1] != 0:
                problems.append(f"the corner at {c} is not sharp")
    return [f"{layer}: {p}" for p in problems]


def main():
    site = ezdxf.readfile(sys.argv[1])
    cases = sys.argv[2:]
    problems = []
    for result_path, layer in zip(cases[0::2], cases[1::2]):
        problems += check(site, result_path, layer)
    print("\n".join(problems) if problems else "ok")


main()
