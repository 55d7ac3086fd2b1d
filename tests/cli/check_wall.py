"""Independent check of a wall elevation with its hourly wall shadows written by vorn-batch.

usage: check_wall.py RESULT.dxf SITE.dxf BUILDING_LAYER WALL_LAYER LAT_DEG DECL_RAD NORTH_DEG
                     FIRST LAST STEP SHADOW_LAYER FRAME_LAYER PLACEMENT

PLACEMENT is "wall" (laid on the wall line) or "X,Y" (placed there unturned). Reads the
building and the wall from the site drawing with ezdxf, projects every vertical face of the
building onto the wall's plane along the textbook sun's rays, unites the projections with
shapely and compares each time's chains with the union's boundary trimmed to the wall face.
Also counts the frame lines and checks that the wall isochrones lie on the face in their
levels' colours. Prints "ok" or the problems found, one per line.
"""
import math
import os
import sys

import ezdxf
from shapely.geometry import LineString, MultiLineString, Polygon, box
from shapely.ops import unary_union

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from check_hourly import building_edges  # noqa: E402


def sun_ray(lat, decl, t, north):
    """The horizontal unit direction of the sun's rays in the drawing and their drop per unit."""
    phi, hour = math.radians(lat), math.radians((t - 12) * 15)
    alt = math.asin(math.sin(phi) * math.sin(decl) +
                    math.cos(phi) * math.cos(decl) * math.cos(hour))
    az = math.atan2(math.sin(hour) * math.cos(decl),
                    math.sin(phi) * math.cos(decl) * math.cos(hour) -
                    math.cos(phi) * math.sin(decl))
    east, northward = math.sin(az), math.cos(az)
    turn = math.radians(north - 90)
    return ((east * math.cos(turn) - northward * math.sin(turn),
             east * math.sin(turn) + northward * math.cos(turn)), math.tan(alt))


def wall_model(site, wall_layer, edges):
    line = next(e for e in site.modelspace().query(f'LINE[layer=="{wall_layer}"]'))
    a, b = tuple(line.dxf.start), tuple(line.dxf.end)
    cx = sum(p[0] for e in edges for p in e) / (2 * len(edges))
    cy = sum(p[1] for e in edges for p in e) / (2 * len(edges))
    mid = ((a[0] + b[0]) / 2, (a[1] + b[1]) / 2)
    facing = (cx - mid[0], cy - mid[1])
    right = (facing[1], -facing[0])
    # st is the end on the right of someone on the wall facing the building.
    st, ed = (a, b) if (a[0] - mid[0]) * right[0] + (a[1] - mid[1]) * right[1] > 0 else (b, a)
    length = math.dist(st[:2], ed[:2])
    direction = ((ed[0] - st[0]) / length, (ed[1] - st[1]) / length)
    top = max(a[2], b[2], line.dxf.thickness)
    height = top if top > 0 else max(p[2] for e in edges for p in e) or 20000.0
    return st, direction, length, height


def main():
    (result, site_path, layer, wall_layer, lat, decl, north, first, last, step, shadow_layer,
     frame_layer, placement) = sys.argv[1:14]
    lat, decl, north = float(lat), float(decl), float(north)
    first, last, step = float(first), float(last), float(step)
    problems = []
    doc = ezdxf.readfile(result)
    auditor = doc.audit()
    if auditor.errors:
        problems.append(f"audit: {len(auditor.errors)} errors")
    site = ezdxf.readfile(site_path)
    edges, _ = building_edges(site, layer)
    st, direction, m, H = wall_model(site, wall_layer, edges)
    normal = (-direction[1], direction[0])  # away from the building

    if placement == "wall":
        base, axes = st, (direction, normal)
    else:
        x, y = map(float, placement.split(","))
        base, axes = (x, y), ((1.0, 0.0), (0.0, 1.0))

    def elevation(p):
        d = (p[0] - base[0], p[1] - base[1])
        return (d[0] * axes[0][0] + d[1] * axes[0][1], d[0] * axes[1][0] + d[1] * axes[1][1])

    entities = []
    for e in doc.modelspace():
        if e.dxftype() == "INSERT" and e.dxf.name.upper().startswith("VORN_"):
            entities += list(e.virtual_entities())
        else:
            entities.append(e)

    frame = [e for e in entities if e.dxftype() == "LINE" and e.dxf.layer == frame_layer]
    want_frame = (int(H // 1000) + (0 if placement == "wall" else 1) + int(m // 5000) + 2)
    if len(frame) != want_frame:
        problems.append(f"{len(frame)} frame lines, not {want_frame}")

    by_time = {}
    isochrones = 0
    colours = {"8.0Hr": 5, "7.0Hr": 3, "6.0Hr": 6, "5.0Hr": 4, "4.0Hr": 2, "3.0Hr": 5,
               "2.0Hr": 3, "1.0Hr": 6}
    chain = None
    for e in entities:
        if e.dxf.layer != shadow_layer:
            continue
        if e.dxftype() == "POLYLINE":
            chain = ([elevation(v.dxf.location) for v in e.vertices], e.dxf.get("color", 256))
        elif e.dxftype() == "TEXT" and chain is not None:
            points, colour = chain
            if e.dxf.text in colours:
                # A wall isochrone: in its level's colour, on the wall face.
                isochrones += 1
                if colour != colours[e.dxf.text] or e.dxf.get("color", 256) != colour:
                    problems.append(f"{e.dxf.text} in colour {colour}")
                if any(not (-1e-6 <= u <= m + 1e-6 and -1e-6 <= v <= H + 1e-6)
                       for u, v in points):
                    problems.append(f"{e.dxf.text} leaves the wall face")
            else:
                by_time.setdefault(e.dxf.text, []).append(points)
            chain = None
    if isochrones == 0:
        problems.append("no wall isochrones")

    face = box(0, 0, m, H)
    compared = 0
    t = first
    while t <= last + 1e-9:
        label = f"{int(t):02d}:{int(round((t - int(t)) * 60, 6)):02d}"
        (dx, dy), drop = sun_ray(lat, decl, t, north)
        toward = dx * normal[0] + dy * normal[1]
        quads = []
        behind = False
        for s, e in edges:
            pts = []
            for p in (s, e, (e[0], e[1], 0.0), (s[0], s[1], 0.0)):
                reach = -((p[0] - st[0]) * normal[0] + (p[1] - st[1]) * normal[1]) / (toward or 1e-300)
                behind |= reach < 0
                q = (p[0] + dx * reach, p[1] + dy * reach)
                u = (q[0] - st[0]) * direction[0] + (q[1] - st[1]) * direction[1]
                pts.append((u, p[2] - reach * drop))
            quad = Polygon(pts).buffer(0)
            if quad.area > 1.0:
                quads.append(quad)
        t += step
        if toward <= 0 or behind:
            continue  # the sun does not face the wall, or a part stands behind it
        union = unary_union(quads)
        filled = unary_union([Polygon(p.exterior) for p in getattr(union, "geoms", [union])])
        rings = [LineString(p.exterior.coords) for p in getattr(filled, "geoms", [filled])]
        expected = unary_union(rings).intersection(face)
        chains = by_time.pop(label, [])
        compared += 1
        if expected.is_empty or expected.length < 1e-6:
            if chains:
                problems.append(f"{label}: {len(chains)} chains where no shadow reaches the wall")
            continue
        if not chains:
            problems.append(f"{label}: no chains, the shadow reaches the wall")
            continue
        got = MultiLineString(chains)
        gap = max(got.hausdorff_distance(expected), expected.hausdorff_distance(got))
        if gap > 1e-3:
            problems.append(f"{label}: chains {gap:.6f} mm from the projection's boundary")
        if abs(got.length - expected.length) > 1e-6 * expected.length:
            problems.append(f"{label}: chains {got.length} long, boundary {expected.length}")
    if by_time:
        problems.append(f"chains of unexpected times {sorted(by_time)}")
    if compared == 0:
        problems.append("no time compared")
    print("\n".join(problems) if problems else "ok")


if __name__ == "__main__":
    main()
