"""Independent shadow times at points, for the tests.

usage: point_times_oracle.py CASE.json
       point_times_oracle.py --site SITE.dxf BUILDING_LAYER LAT_DEG DECL_RAD NORTH_DEG PLANE_MM
                             FIRST LAST STEP_MINUTES REPORT.tsv

The shadow at each sample is the union (shapely) of every building edge's shadow quadrilateral
and footprint, cast from the textbook sun; a point is in shadow when it lies in that union or
within 1e-5 mm of it. From the in/out states the total and the entry and exit times of up to
three periods follow. The first form reads a list of cases (edges, parameters and points) from a
JSON file and prints one line per point of each case in turn: total and the six times, tab-separated. The second reads the
building from a site drawing and the points from a report written by vorn-batch (tab-separated
grid, CRLF) and prints "ok" or the differences.
"""
import json
import math
import os
import sys

from shapely.geometry import LineString, Point, Polygon
from shapely.ops import unary_union

TOLERANCE = 1e-5


def shadow_offset(lat_deg, decl, north_deg, t):
    """The shadow of a unit height at time t as a plan vector, or None without a sun."""
    phi, hour = math.radians(lat_deg), math.radians((t - 12) * 15)
    sin_alt = (math.sin(phi) * math.sin(decl) +
               math.cos(phi) * math.cos(decl) * math.cos(hour))
    if sin_alt <= 0:
        return None
    alt = math.asin(sin_alt)
    # Azimuth from due south, positive toward the west; the shadow points the other way.
    az = math.atan2(math.sin(hour) * math.cos(decl),
                    math.sin(phi) * math.cos(decl) * math.cos(hour) -
                    math.cos(phi) * math.sin(decl))
    east, northward = math.sin(az), math.cos(az)
    turn = math.radians(north_deg - 90)
    dx = east * math.cos(turn) - northward * math.sin(turn)
    dy = east * math.sin(turn) + northward * math.cos(turn)
    length = 1 / math.tan(alt)
    return dx * length, dy * length


def shadow_union(edges, plane, offset, points):
    """The union of the pieces that can hold a point: a piece whose box, widened by the
    tolerance, holds none of the points cannot change any point's answer."""
    def near(corners):
        xs, ys = [c[0] for c in corners], [c[1] for c in corners]
        return any(min(xs) - 1 <= x <= max(xs) + 1 and min(ys) - 1 <= y <= max(ys) + 1
                   for x, y in points)

    pieces = []
    for x1, y1, z1, x2, y2, z2 in edges:
        def cast(x, y, z):
            if z <= plane:
                return (x, y)
            return (x + offset[0] * (z - plane), y + offset[1] * (z - plane))
        corners = [(x1, y1), (x2, y2), cast(x2, y2, z2), cast(x1, y1, z1)]
        if not near(corners):
            continue
        quad = Polygon(corners)
        if quad.is_valid and quad.area > 0:
            pieces.append(quad)
        else:
            pieces.append(LineString(corners + corners[:1]))
        if (x1, y1) != (x2, y2):
            pieces.append(LineString([(x1, y1), (x2, y2)]))
    return unary_union(pieces) if pieces else None


def hms(t):
    hours = int(t)
    minutes = int((t - hours) * 60.0)
    seconds = int((t - hours - minutes / 60.0) * 3600.0)
    if seconds % 5 != 0:
        seconds = seconds // 5 * 5 + 5
    if seconds == 60:
        seconds, minutes = 0, minutes + 1
    if minutes == 60:
        minutes, hours = 0, hours + 1
    return f"{hours:02d}:{minutes:02d}'{seconds:02d}\""


def shadow_times(edges, points, lat, decl, north, plane, first, last, step):
    """Per point: [total, entry 1, exit 1, entry 2, exit 2, entry 3, exit 3]."""
    n = int((last - first) * 60.0 / step)
    states = [[] for _ in points]
    times = [first + step * i / 60.0 for i in range(n)]
    for t in times:
        offset = shadow_offset(lat, decl, north, t)
        union = shadow_union(edges, plane, offset, points) if offset else None
        for k, (x, y) in enumerate(points):
            states[k].append(union is not None and union.distance(Point(x, y)) <= TOLERANCE)
    results = []
    for row in states:
        periods = []
        inside = False
        for t, state in zip(times, row):
            if state and not inside:
                periods.append([t, None])
            elif not state and inside:
                periods[-1][1] = t
            inside = state
        if n == 0:
            results.append([""] * 7)
            continue
        if inside:
            periods[-1][1] = times[-1] + step / 60.0
        cells = [hms(step * sum(row) / 60.0)]
        for entry, exit_ in periods[:3]:
            cells += [hms(entry), hms(exit_)]
        cells += [""] * (7 - len(cells))
        results.append(cells)
    return results


def from_json(path):
    with open(path, encoding="utf-8") as f:
        cases = json.load(f)
    for case in cases:
        for cells in shadow_times(case["edges"], case["points"], case["lat"], case["decl"],
                                  case["north"], case["plane"], case["first"], case["last"],
                                  case["step"]):
            print("\t".join(cells))


def from_site(args):
    sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "cli"))
    import ezdxf
    from check_hourly import building_edges

    site, layer = args[0], args[1]
    lat, decl, north, plane, first, last, step = map(float, args[2:9])
    report = args[9]
    edges = [(*s, *e) for s, e in building_edges(ezdxf.readfile(site), layer)[0]]
    with open(report, "rb") as f:
        text = f.read().decode("utf-8")
    problems = []
    if not text.endswith("\r\n") or "\n" in text.replace("\r\n", ""):
        problems.append("rows are not ended by CRLF")
    rows = [line.split("\t") for line in text.split("\r\n")[:-1]]
    data = [r for r in rows[1:] if len(r) > 2 and r[1] and r[2]]
    points = [(float(r[1]), float(r[2])) for r in data]
    expected = shadow_times(edges, points, lat, decl, north, plane, first, last, step)
    if not data:
        problems.append("no point rows")
    for r, cells in zip(data, expected):
        if r[4:11] != cells:
            problems.append(f"row {r[0]}: {r[4:11]} but the oracle gives {cells}")
    print("\n".join(problems) if problems else "ok")


if __name__ == "__main__":
    if sys.argv[1] == "--site":
        from_site(sys.argv[2:])
    else:
        from_json(sys.argv[1])
