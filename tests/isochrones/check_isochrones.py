"""Independent check of an isochrone diagram written by vorn-batch.

usage: check_isochrones.py RESULT.dxf SITE.dxf NORTH_DEG PLANE_MM LEVELS MESH_TEXT

Reads the result with ezdxf: no audit errors; on the layer VORN_TOUJI every polyline is closed,
lies at the plane height, has the colour of its level and is followed by its label at the
vertex furthest toward true north; every ticked level has a line; the mesh-size note is there
with the cell size the tool printed; the site's own entities are all still there. Prints "ok"
or the problems found, one per line.
"""
import math
import sys

import ezdxf

ALL_LEVELS = [f"{1.5 + 0.5 * i:.1f}Hr" for i in range(14)]


def main():
    result, site_path = sys.argv[1:3]
    north, plane = float(sys.argv[3]), float(sys.argv[4])
    levels = [f"{float(v):.1f}Hr" for v in sys.argv[5].split(",")]
    mesh_text = sys.argv[6]
    problems = []
    doc = ezdxf.readfile(result)
    auditor = doc.audit()
    if auditor.errors:
        problems.append(f"audit: {len(auditor.errors)} errors")

    turn = math.pi / 2 - math.radians(north)
    seen, mesh_notes = {}, []
    pending = None
    for e in doc.modelspace():
        if e.dxf.layer != "VORN_TOUJI":
            continue
        if e.dxftype() == "POLYLINE":
            if pending is not None:
                problems.append("a polyline without its label")
            pending = e
            continue
        if e.dxftype() != "TEXT":
            problems.append(f"unexpected {e.dxftype()} on VORN_TOUJI")
            continue
        if e.dxf.text.endswith(" mm/mesh"):
            mesh_notes.append(e)
            continue
        text = e.dxf.text
        if pending is None:
            problems.append(f"{text}: a label without a polyline")
            continue
        poly, pending = pending, None
        if text not in levels:
            problems.append(f"{text}: not a ticked level")
            continue
        seen[text] = seen.get(text, 0) + 1
        colour = ALL_LEVELS.index(text) % 5 + 2
        if poly.dxf.color != colour or e.dxf.color != colour:
            problems.append(f"{text}: colours {poly.dxf.color}, {e.dxf.color}, not {colour}")
        if not poly.is_closed:
            problems.append(f"{text}: polyline not closed")
        if abs(poly.dxf.elevation[2] - plane) > 1e-9:
            problems.append(f"{text}: polyline at {poly.dxf.elevation[2]}, not {plane}")
        pts = [(v.dxf.location[0], v.dxf.location[1]) for v in poly.vertices]
        if len(pts) < 2:
            problems.append(f"{text}: {len(pts)} vertices")
            continue
        rotated = [x * math.sin(turn) + y * math.cos(turn) for x, y in pts]
        best = max(rotated)
        northmost = [p for p, r in zip(pts, rotated) if r >= best - 1e-6]
        ins = e.dxf.insert
        if not any(abs(ins[0] - x) < 1e-6 and abs(ins[1] - y) < 1e-6 for x, y in northmost):
            problems.append(f"{text}: label at {ins[0]}, {ins[1]} is not the northmost vertex")
    if pending is not None:
        problems.append("the last polyline has no label")
    for level in levels:
        if level not in seen:
            problems.append(f"{level}: no line")
    if len(mesh_notes) != 1:
        problems.append(f"{len(mesh_notes)} mesh-size notes")
    elif mesh_notes[0].dxf.text != mesh_text + " mm/mesh":
        problems.append(f"mesh-size note {mesh_notes[0].dxf.text!r}, printed {mesh_text!r}")

    site = ezdxf.readfile(site_path)
    before = sorted(e.dxftype() for e in site.modelspace())
    after = sorted(e.dxftype() for e in doc.modelspace() if e.dxf.layer != "VORN_TOUJI")
    kept = {k: after.count(k) for k in set(before)}
    for kind in set(before):
        if kind in ("LWPOLYLINE",):  # the host writes R12: LWPOLYLINE becomes POLYLINE
            continue
        if kept[kind] < before.count(kind):
            problems.append(f"{kind}: {before.count(kind)} in the site, {kept[kind]} kept")
    print("\n".join(problems) if problems else "ok")


main()
