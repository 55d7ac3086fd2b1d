#!/usr/bin/python3
"""Checks with ezdxf that a drawing reads without audit errors and holds one position table
(titled "建物位置確認表") on the layer, placed at the given point: its title stands just above and
right of the table's top-left corner (within 20 m of it), its header and rows below.

usage: check_position_table.py DRAWING.dxf LAYER X Y  -> prints "ok" or the problems
"""

import sys

import ezdxf


def main():
    drawing, layer = sys.argv[1:3]
    x, y = map(float, sys.argv[3:5])
    doc = ezdxf.readfile(drawing)
    problems = []
    if doc.audit().has_errors:
        problems.append("audit errors")
    msp = doc.modelspace()
    titles = [e.dxf.insert for e in msp.query("TEXT")
              if e.dxf.layer == layer and e.dxf.text == "建物位置確認表"]
    if len(titles) != 1:
        problems.append(f"{len(titles)} position tables")
    elif not (x < titles[0].x < x + 20000 and y < titles[0].y < y + 20000):
        problems.append(f"the title stands at {titles[0]}, not beside ({x}, {y})")
    rows = [e for e in msp.query("TEXT") if e.dxf.layer == layer and e.dxf.text.startswith("[")
            and e.dxf.insert.y < y]
    if not rows:
        problems.append("no numbered rows in the table")
    print("\n".join(problems) if problems else "ok")


if __name__ == "__main__":
    main()
