#!/usr/bin/python3
"""Reads a drawing with the sky diagrams of all rows of a report drawn in a row (一括) and checks,
with ezdxf, that it reads without audit errors and that the diagram of report row j (from 0)
stands with its horizon circle of the given radius centred at (X + j * PITCH, Y) on the frame
layer, its text block names the row's point and prints the row's sky factor of the given column
(5 planned, 6 conforming), and that there is no other diagram.

usage: check_sky_rows.py DRAWING.dxf REPORT.tsv FRAME_LAYER COLUMN X Y PITCH RADIUS
       -> prints "ok" or the problems
"""

import sys

import ezdxf


def main():
    drawing, report, layer = sys.argv[1:4]
    column = int(sys.argv[4])
    x0, y0, pitch, radius = map(float, sys.argv[5:9])
    doc = ezdxf.readfile(drawing)
    problems = []
    if doc.audit().has_errors:
        problems.append("audit errors")
    msp = doc.modelspace()
    circles = [e.dxf.center for e in msp.query("CIRCLE")
               if e.dxf.layer == layer and abs(e.dxf.radius - radius) < 1e-6]
    texts = [(e.dxf.text, e.dxf.insert.x) for e in msp.query("TEXT") if e.dxf.layer == layer]
    with open(report, encoding="utf-8", newline="") as f:
        rows = [line.split("\t") for line in f.read().split("\r\n") if line][1:]
    if len(circles) != len(rows):
        problems.append(f"{len(circles)} horizon circles for {len(rows)} rows")
    for j, cells in enumerate(rows):
        cx = x0 + j * pitch
        if not any(abs(c.x - cx) < 1e-6 and abs(c.y - y0) < 1e-6 for c in circles):
            problems.append(f"row {j + 1}: no horizon circle at ({cx}, {y0})")
        here = [t for t, x in texts if abs(x - cx) < 1e-6]
        if f"測定点 {cells[3]}" not in here:
            problems.append(f"row {j + 1}: no point name {cells[3]} under the diagram")
        if f"天空率 = {cells[column]}%" not in here:
            sky = [t for t in here if t.startswith("天空率")]
            problems.append(f"row {j + 1}: {sky} differs from the report's {cells[column]}")
    print("\n".join(problems) if problems else "ok")


if __name__ == "__main__":
    main()
