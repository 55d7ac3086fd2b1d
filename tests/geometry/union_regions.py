"""Regions of a union of polygons, computed by shapely (GEOS), for the outline tests.

Input (stdin): one case per line, "case <n>", followed by n lines of "x y x y ..." rings.
Output (stdout): per case one line: the outer-ring areas of the union's regions, largest first.
"""
import sys

from shapely.geometry import Polygon
from shapely.ops import unary_union


def main():
    lines = sys.stdin.read().splitlines()
    i = 0
    while i < len(lines):
        count = int(lines[i].split()[1])
        rings = []
        for line in lines[i + 1:i + 1 + count]:
            v = [float(t) for t in line.split()]
            rings.append(Polygon(list(zip(v[0::2], v[1::2]))).buffer(0))
        i += 1 + count
        union = unary_union(rings)
        parts = getattr(union, "geoms", [union])
        areas = sorted((Polygon(p.exterior).area for p in parts if not p.is_empty), reverse=True)
        print(" ".join(repr(a) for a in areas))


main()
