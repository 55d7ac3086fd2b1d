"""Independent check of the annotation texts that vorn-batch's annotate leaves in a drawing.

usage: check_annotation.py RESULT.dxf REPORT.tsv X Y HEIGHT CLOSING_TEXT

The report's rows (the grid as its copy command gives it) say what each line must read; the
texts must stand on the drawing's current layer as plain TEXT entities, left-aligned on their
baseline at x = X, the closing line at y = Y and row r at Y - 2 * HEIGHT * r, with the text
height HEIGHT and width factor 0.8, and no block definition may be left behind. Prints "ok" or
the problems found, one per line.
"""
import sys

import ezdxf


def expected_line(cells):
    name, total, times = cells[3], cells[4], cells[5:11]
    times += [""] * (6 - len(times))
    line = f"{name} {total} [{times[0]}-{times[1]}] "
    for entry, exit_ in ((times[2], times[3]), (times[4], times[5])):
        if entry:
            line += f" [{entry}-{exit_}] "
    return line


def main():
    result, report = sys.argv[1], sys.argv[2]
    x, y, height = map(float, sys.argv[3:6])
    closing = sys.argv[6]
    doc = ezdxf.readfile(result)
    problems = []
    if doc.audit().errors:
        problems.append("audit errors")
    layer = doc.header.get("$CLAYER", "0")
    with open(report, "rb") as f:
        rows = [line.split("\t") for line in f.read().decode("utf-8").split("\r\n")[1:-1]]
    wanted = [(expected_line(cells), y - 2 * height * r) for r, cells in enumerate(rows, 1)]
    wanted.append((closing, y))
    texts = {}
    for e in doc.modelspace().query("TEXT"):
        texts.setdefault(e.dxf.text, []).append(e)
    for text, at in wanted:
        found = texts.get(text, [])
        if len(found) != 1:
            problems.append(f"{len(found)} texts read {text!r}")
            continue
        e = found[0]
        if e.dxf.layer != layer:
            problems.append(f"{text!r} on layer {e.dxf.layer}, the current layer is {layer}")
        if abs(e.dxf.insert[0] - x) > 1e-9 or abs(e.dxf.insert[1] - at) > 1e-9:
            problems.append(f"{text!r} at {tuple(e.dxf.insert)}, not ({x}, {at})")
        if e.dxf.height != height or abs(e.dxf.width - 0.8) > 1e-12:
            problems.append(f"{text!r} height {e.dxf.height} width {e.dxf.width}")
        if e.dxf.get("halign", 0) != 0 or e.dxf.get("valign", 0) != 0:
            problems.append(f"{text!r} is not left-aligned on its baseline")
    if any(b.name.upper().startswith("VORN_") for b in doc.blocks):
        problems.append("a VORN_ block definition is left")
    print("\n".join(problems) if problems else "ok")


if __name__ == "__main__":
    main()
