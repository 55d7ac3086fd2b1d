#!/usr/bin/python3
"""Writes sample_site.dxf: a small site in millimetres for trying every Vorn command.

Run with the Debian python3 that has ezdxf:  /usr/bin/python3 examples/make_sample_site.py
The drawing is R2000 with $DWGCODEPAGE ANSI_932, so the Japanese layer names and texts are
stored in CP932 as a Japanese CAD would store them.
"""

import pathlib
import sys

import ezdxf

OUTPUT = pathlib.Path(__file__).resolve().parent / "sample_site.dxf"

# Layer name -> ACI colour.
LAYERS = {
    "建物": 7,
    "特定点": 1,
    "測定点": 3,
    "敷地": 5,
    "隣地壁面": 6,
    "注記": 8,
}

# Everything below is in millimetres with the site's lower-left corner at (10 m, 10 m).
SITE = [(10000, 10000), (90000, 10000), (90000, 80000), (10000, 80000)]

# L-shaped mid-rise block, 30 m x 20 m overall with 10 m deep wings, 15 m high.
L_BLOCK = [(25000, 20000), (55000, 20000), (55000, 30000),
           (35000, 30000), (35000, 40000), (25000, 40000)]
L_BLOCK_HEIGHT = 15000

# Tower, 12 m x 12 m, 40 m high.
TOWER = [(60000, 20000), (72000, 20000), (72000, 32000), (60000, 32000)]
TOWER_HEIGHT = 40000

# Free-standing wall east of the tower, 3 m high.
WALL = ((76000, 18000), (76000, 34000))
WALL_HEIGHT = 3000

# Round stair tower reaching into the west wing, 20 m high: a closed polyline of two half-circle
# arcs (bulge 1), since only polylines and lines carry their thickness into the building.
STAIR_CENTRE = (23000, 30000)
STAIR_RADIUS = 3000
STAIR_HEIGHT = 20000

# Neighbour's wall facing the site across the north boundary.
NEIGHBOUR_WALL = ((25000, 86000), (75000, 86000))

# Specific points for the shadow time, north of the buildings.
SPECIFIC_POINTS = [(30000, 55000), (50000, 55000), (70000, 55000), (40000, 70000),
                   (65000, 70000)]

# Sky-factor measurement points on the road side to the south of the site.
MEASUREMENT_POINTS = [(20000, 5000), (40000, 5000), (60000, 5000), (80000, 5000)]

POINT_RADIUS = 500
LABEL_HEIGHT = 1000


def add_layers(doc):
    for name, colour in LAYERS.items():
        doc.layers.add(name, color=colour)


def add_buildings(msp):
    attribs = {"layer": "建物"}
    msp.add_lwpolyline(L_BLOCK, close=True,
                       dxfattribs={**attribs, "elevation": 0, "thickness": L_BLOCK_HEIGHT})
    msp.add_lwpolyline(TOWER, close=True,
                       dxfattribs={**attribs, "elevation": 0, "thickness": TOWER_HEIGHT})
    msp.add_line(*((x, y, 0) for x, y in WALL),
                 dxfattribs={**attribs, "thickness": WALL_HEIGHT})
    cx, cy = STAIR_CENTRE
    msp.add_lwpolyline([(cx - STAIR_RADIUS, cy, 0, 0, 1.0), (cx + STAIR_RADIUS, cy, 0, 0, 1.0)],
                       format="xyseb", close=True,
                       dxfattribs={**attribs, "elevation": 0, "thickness": STAIR_HEIGHT})


def add_marked_points(msp, points, layer, prefix):
    for number, (x, y) in enumerate(points, start=1):
        msp.add_circle((x, y), POINT_RADIUS, dxfattribs={"layer": layer})
        msp.add_text(f"{prefix}{number}", dxfattribs={
            "layer": layer, "height": LABEL_HEIGHT,
            "insert": (x + POINT_RADIUS + 300, y + POINT_RADIUS)})


def add_site_and_neighbour(msp):
    msp.add_lwpolyline(SITE, close=True, dxfattribs={"layer": "敷地"})
    msp.add_line(*NEIGHBOUR_WALL, dxfattribs={"layer": "隣地壁面"})


def add_annotation(msp):
    msp.add_text("サンプル敷地", dxfattribs={
        "layer": "注記", "height": 2500, "insert": (10000, 100000)})
    # North arrow: true north straight up the drawing.
    base, tip = (100000, 90000), (100000, 100000)
    msp.add_line(base, tip, dxfattribs={"layer": "注記"})
    msp.add_line(tip, (98500, 97000), dxfattribs={"layer": "注記"})
    msp.add_line(tip, (101500, 97000), dxfattribs={"layer": "注記"})
    msp.add_text("N", dxfattribs={"layer": "注記", "height": 1500,
                                  "insert": (99500, 101000)})


def main():
    doc = ezdxf.new("R2000", setup=False)
    # ezdxf writes $DWGCODEPAGE from the document encoding when it saves.
    doc.encoding = "cp932"
    doc.header["$INSUNITS"] = 4  # millimetres
    doc.header["$MEASUREMENT"] = 1
    add_layers(doc)
    msp = doc.modelspace()
    add_site_and_neighbour(msp)
    add_buildings(msp)
    add_marked_points(msp, SPECIFIC_POINTS, "特定点", "")
    add_marked_points(msp, MEASUREMENT_POINTS, "測定点", "A")
    add_annotation(msp)

    auditor = doc.audit()
    if auditor.has_errors:
        auditor.print_error_report()
        return 1
    doc.saveas(OUTPUT)
    print(f"wrote {OUTPUT}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
