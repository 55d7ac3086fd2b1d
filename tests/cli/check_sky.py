#!/usr/bin/python3
"""Reads a drawing with a sky diagram and its area table and checks, independently of Vorn, that
ezdxf reads it without audit errors and that every printed number of the area table adds up:
the rows' areas sum to the printed total, sector minus total is the printed projected area, each
row's area is base x height / 2 of its printed values (to the last printed digit), and the
formula line and the text block reproduce the printed sky factor to 3 decimals.

usage: check_sky.py DRAWING.dxf TRIANGLE_LAYER FRAME_LAYER [POSITION_LAYER]  -> prints "ok" or the problems
"""

import re
import sys

import ezdxf


def main():
    path, triangle_layer, frame_layer = sys.argv[1:4]
    position_layer = sys.argv[4] if len(sys.argv) > 4 else None
    doc = ezdxf.readfile(path)
    problems = []
    auditor = doc.audit()
    if auditor.has_errors:
        problems.append(f"audit errors: {len(auditor.errors)}")
    msp = doc.modelspace()
    texts = [(e.dxf.text, e.dxf.insert.x, e.dxf.insert.y)
             for e in msp.query("TEXT") if e.dxf.layer == triangle_layer]
    by_row = {}
    for text, x, y in texts:
        by_row.setdefault(round(y, 3), []).append((x, text))
    number = re.compile(r"^-?\d+\.\d+$")
    rows = []
    for y, cells in by_row.items():
        values = [t for _, t in sorted(cells)]
        if len(values) == 4 and values[0].isdigit() and all(number.match(v) for v in values[1:]):
            rows.append((int(values[0]), *map(float, values[1:])))
    if not rows:
        problems.append("no triangle rows in the area table")

    def value_after(label):
        for text, x, y in texts:
            if text.startswith(label):
                for other, ox, oy in texts:
                    if abs(oy - y) < 1e-6 and number.match(other):
                        return float(other)
        problems.append(f"no value for {label}")
        return float("nan")

    total = value_after("三斜面積合計")
    sector = value_after("扇形面積 (")
    projected = value_after("扇形面積 - 三斜面積合計")
    circle = value_after("天空図円面積")
    for no, base, height, area in rows:
        if abs(base * height / 2 - area) > 0.0015 + 1e-9:
            problems.append(f"row {no}: {base} x {height} / 2 != {area}")
    if abs(sum(r[3] for r in rows) - total) > 1e-6:
        problems.append(f"rows sum to {sum(r[3] for r in rows):.3f}, printed {total}")
    if abs(round(sector - total, 3) - projected) > 1e-6:
        problems.append(f"{sector} - {total} != {projected}")
    formula = [t for t, _, _ in texts if t.startswith("(") and t.endswith("%")]
    if len(formula) != 1:
        problems.append("no formula line")
    else:
        m = re.match(r"^\(([\d.]+) - ([\d.]+) \) / ([\d.]+) \* 100 = ([\d.]+)%$", formula[0])
        s, ap, s2, factor = map(float, m.groups())
        if s != circle or s2 != circle or ap != projected:
            problems.append(f"formula {formula[0]} does not use the printed values")
        if f"{(s - ap) / s * 100:.3f}" != m.group(4):
            problems.append(f"formula gives {(s - ap) / s * 100:.3f}, printed {m.group(4)}")
        block = [e.dxf.text for e in msp.query("TEXT") if e.dxf.layer == frame_layer
                 and e.dxf.text.startswith("天空率 = ")]
        if block != [f"天空率 = {m.group(4)}%"]:
            problems.append(f"text block {block} differs from the table's {m.group(4)}")
    if position_layer is not None:
        titles = [e for e in msp.query("TEXT") if e.dxf.layer == position_layer
                  and e.dxf.text == "建物位置確認表"]
        marks = [e.dxf.text for e in msp.query("TEXT") if e.dxf.layer == position_layer
                 and re.match(r"^\[\d+\]$", e.dxf.text)]
        if len(titles) != 1:
            problems.append("no position table")
        # Every numbered corner mark on the diagram has its row in the table.
        if not marks or any(marks.count(m) != 2 for m in marks):
            problems.append(f"marks and table rows differ: {marks}")
    print("\n".join(problems) if problems else "ok")


if __name__ == "__main__":
    main()
