"""Independent check of an hourly shadow diagram written by vorn-batch.

usage: check_hourly.py RESULT.dxf SITE.dxf BUILDING_LAYER LAT_DEG DECL_RAD NORTH_DEG PLANE_MM
           [RESULT.dxf SITE.dxf ... (seven arguments per further result)]

Reads the building from the site drawing with ezdxf, casts its shadows from the textbook sun,
unites them with shapely and compares each time's outlines in the result with that union,
region by region. Several results are checked in one run (Python starts once); problems of
a result name its file when there are several. Prints "ok" or the problems found, one per line.
"""
import math
import sys

import ezdxf
from shapely.geometry import Point, Polygon
from shapely.ops import unary_union


def bulge_chords(p, q, bulge, z):
    """The chords of a bulge arc as acquisition cuts it: 10 degree steps from the start angle."""
    c = 2 * math.atan(bulge)
    chord = math.dist(p, q)
    signed = chord / 2 / math.sin(c)
    direction = math.pi / 2 - c + math.atan2(q[1] - p[1], q[0] - p[0])
    centre = (p[0] + signed * math.cos(direction), p[1] + signed * math.sin(direction))
    start, end = (q, p) if bulge < 0 else (p, q)
    a0 = math.atan2(start[1] - centre[1], start[0] - centre[0]) % (2 * math.pi)
    a1 = math.atan2(end[1] - centre[1], end[0] - centre[0]) % (2 * math.pi)
    sweep = a1 - a0 + (2 * math.pi if a0 > a1 else 0)
    step = math.radians(10)
    r = abs(signed)
    pts = [(centre[0] + r * math.cos(a0 + k * step), centre[1] + r * math.sin(a0 + k * step), z)
           for k in range(int(sweep / step) + 1)]
    pts.append((centre[0] + r * math.cos(a1), centre[1] + r * math.sin(a1), z))
    return list(zip(pts, pts[1:]))


def building_edges(site, layer):
    """3D edges as the program's acquisition makes them (curves in 10 degree steps), and the
    footprints of the closed outlines."""
    edges, footprints = [], []
    for e in site.modelspace().query(f'*[layer=="{layer}"]'):
        kind = e.dxftype()
        if kind == "LINE":
            s, t, h = tuple(e.dxf.start), tuple(e.dxf.end), e.dxf.thickness
            edges.append((s, t))
            if h:
                edges += [((s[0], s[1], s[2] + h), (t[0], t[1], t[2] + h)),
                          (s, (s[0], s[1], s[2] + h)), (t, (t[0], t[1], t[2] + h))]
        elif kind == "LWPOLYLINE":
            z, h = e.dxf.elevation, e.dxf.thickness
            pts = [(x, y, z, b) for x, y, b in e.get_points("xyb")]
            if e.closed:
                pts.append(pts[0])
            lines, chords = [], []
            for s, t in zip(pts, pts[1:]):
                if s[3] == 0:
                    lines.append((s[:3], t[:3]))
                else:
                    chords += bulge_chords(s[:2], t[:2], s[3], z)
            edges += lines
            if h:
                for s, t in lines:
                    edges += [((s[0], s[1], z + h), (t[0], t[1], z + h)),
                              (s, (s[0], s[1], z + h)), ((t[0], t[1], z + h), t)]
            edges += chords
            if h and chords:
                edges += [((s[0], s[1], z + h), (t[0], t[1], z + h)) for s, t in chords]
                edges += [(s, (s[0], s[1], z + h)) for s, _ in chords]
                edges.append((chords[-1][1], (chords[-1][1][0], chords[-1][1][1], z + h)))
            if e.closed:
                footprints.append(Polygon([(s[0], s[1]) for s, _ in lines + chords]).buffer(0))
        elif kind == "CIRCLE":
            c, r = e.dxf.center, e.dxf.radius
            pts = [(c[0] + r * math.cos(math.radians(10 * k)),
                    c[1] + r * math.sin(math.radians(10 * k)), c[2]) for k in range(36)]
            edges += list(zip(pts, pts[1:] + pts[:1]))
            footprints.append(Polygon([(x, y) for x, y, _ in pts]))
    return edges, footprints


def shadow(p, plane, lat, decl, t, north):
    if p[2] <= plane:
        return (p[0], p[1])
    phi, hour = math.radians(lat), math.radians((t - 12) * 15)
    alt = math.asin(math.sin(phi) * math.sin(decl) +
                    math.cos(phi) * math.cos(decl) * math.cos(hour))
    az = math.atan2(math.sin(hour) * math.cos(decl),
                    math.sin(phi) * math.cos(decl) * math.cos(hour) -
                    math.cos(phi) * math.sin(decl))
    east, northward = math.sin(az), math.cos(az)
    turn = math.radians(north - 90)
    dx = east * math.cos(turn) - northward * math.sin(turn)
    dy = east * math.sin(turn) + northward * math.cos(turn)
    length = (p[2] - plane) / math.tan(alt)
    return (p[0] + dx * length, p[1] + dy * length)


def expected_union(edges, footprints, plane, lat, decl, t, north):
    pieces = list(footprints)
    for s, e in edges:
        quad = Polygon([(s[0], s[1]), (e[0], e[1]), shadow(e, plane, lat, decl, t, north),
                        shadow(s, plane, lat, decl, t, north)])
        if quad.area > 1.0:
            pieces.append(quad.buffer(0))
    union = unary_union(pieces)
    parts = list(getattr(union, "geoms", [union]))
    return [Polygon(p.exterior) for p in parts]


def check(result, site_path, layer, lat, decl, north, plane):
    problems = []
    doc = ezdxf.readfile(result)
    auditor = doc.audit()
    if auditor.errors:
        problems.append(f"audit: {len(auditor.errors)} errors")
    site = ezdxf.readfile(site_path)
    edges, footprints = building_edges(site, layer)

    by_time = {}
    outline = None
    for e in doc.modelspace():
        if e.dxf.layer != "VORN_JIKOKU":
            continue
        if e.dxftype() == "POLYLINE":
            outline = e
        elif e.dxftype() == "TEXT" and outline is not None:
            by_time.setdefault(e.dxf.text, []).append((outline, e))
            outline = None
    if not by_time:
        problems.append("no outlines on VORN_JIKOKU")

    for label, pairs in sorted(by_time.items()):
        hours, minutes = map(int, label.split(":"))
        t = hours + minutes / 60
        expected = expected_union(edges, footprints, plane, lat, decl, t, north)
        traced = []
        for poly, text in pairs:
            pts = [(v.dxf.location[0], v.dxf.location[1]) for v in poly.vertices]
            shape = Polygon(pts)
            traced.append(shape)
            if not poly.is_closed:
                problems.append(f"{label}: outline not closed")
            dashed = poly.dxf.get("linetype", "BYLAYER") == "HIDDEN2"
            if dashed != (minutes != 0):
                problems.append(f"{label}: line type {poly.dxf.get('linetype', 'BYLAYER')}")
            top = max(p[1] for p in pts)
            if abs(text.dxf.insert[1] - top) > 1e-6 or not any(
                    abs(text.dxf.insert[0] - x) < 1e-6 and abs(y - top) < 1e-6 for x, y in pts):
                problems.append(f"{label}: label not at the northmost vertex")
            boundary = unary_union([p.exterior for p in expected])
            far = max(boundary.distance(Point(p)) for p in pts)
            if far > 1e-6:
                problems.append(f"{label}: a vertex lies {far} off the union's boundary")
        got = sorted((p.area for p in traced), reverse=True)
        want = sorted((p.area for p in expected), reverse=True)
        if len(got) != len(want):
            problems.append(f"{label}: {len(got)} regions, the union has {len(want)}")
            continue
        for a, b in zip(got, want):
            if abs(a - b) > 1e-9 * b:
                problems.append(f"{label}: region area {a!r}, union {b!r}")
    return problems


def main():
    args = sys.argv[1:]
    if not args or len(args) % 7:
        sys.exit(__doc__)
    problems = []
    for i in range(0, len(args), 7):
        result, site_path, layer = args[i:i + 3]
        found = check(result, site_path, layer, *map(float, args[i + 3:i + 7]))
        problems += [f"{result}: {p}" if len(args) > 7 else p for p in found]
    print("\n".join(problems) if problems else "ok")


if __name__ == "__main__":
    main()
