#!/usr/bin/python3
"""Writes the drawings the host's round-trip tests open: one per DXF version ezdxf writes,
each holding every entity kind that version can hold, with nested blocks, attributes,
extended data, paper-space layouts and Japanese names. ezdxf is the independent writer.

usage: make_drawings.py FOLDER     writes FOLDER/R12.dxf, FOLDER/R2000.dxf, ...
Each also holds a box building on the layer "建物棟" and a wall line on "隣地壁面" for the
commands.
"""
import math
import pathlib
import sys

import ezdxf
import ezdxf.math
import ezdxf.render.mleader

VERSIONS = ["R12", "R2000", "R2004", "R2007", "R2010", "R2013", "R2018"]
APP = "VORN_TEST"


def add_tables(doc):
    doc.appids.new(APP)
    doc.linetypes.new("破線", dxfattribs={"description": "破線 __ __", "pattern": [0.75, 0.5, -0.25]})
    doc.layers.new("建物", dxfattribs={"color": 3, "linetype": "破線"})
    doc.layers.new("注記", dxfattribs={"color": -5})
    doc.styles.new("明朝", dxfattribs={"font": "romans.shx"})


def add_blocks(doc):
    inner = doc.blocks.new("内側", base_point=(0, 0, 0))
    inner.add_circle((0, 0, 0), 1.5, dxfattribs={"layer": "建物"})
    outer = doc.blocks.new("窓", base_point=(1, 2, 0))
    outer.add_line((0, 0, 0), (4, 0, 0), dxfattribs={"layer": "建物"})
    outer.add_blockref("内側", (2, 2, 0))
    outer.add_attdef("番号", (0, -1, 0), dxfattribs={"height": 0.5, "prompt": "番号?"})


def with_xdata(entity):
    entity.set_xdata(APP, [(1000, "付加データ"), (1040, 2.5), (1070, 7)])
    return entity


def add_r12_kinds(doc, space):
    with_xdata(space.add_line((0, 0, 0), (10, 0, 0), dxfattribs={
        "layer": "建物", "thickness": 5, "color": 1, "linetype": "破線"}))
    space.add_circle((5, 5, 1), 2.5, dxfattribs={"thickness": 3, "layer": "注記"})
    space.add_arc((1, 2, 0), 4, 30, 120)
    space.add_point((7, 8, 9))
    space.add_text("日本語の文字", dxfattribs={
        "height": 350, "rotation": 30, "insert": (100, 200, 0), "style": "明朝",
        "halign": 1, "valign": 2, "align_point": (150, 250, 0), "layer": "注記"})
    space.add_solid([(0, 0), (1, 0), (0, 1), (1, 1)], dxfattribs={"color": 4})
    space.add_trace([(2, 0), (3, 0), (2, 1), (3, 1)])
    space.add_3dface([(0, 0, 0), (1, 0, 1), (1, 1, 2), (0, 1, 3)])
    space.add_polyline2d([(0, 0), (10, 0), (10, 10)], close=True,
                         dxfattribs={"layer": "建物", "elevation": (0, 0, 3000)})
    space.add_polyline3d([(0, 0, 0), (5, 0, 1000), (5, 5, 2000)])
    space.add_polyface().append_face([(0, 0, 0), (1, 0, 0), (1, 1, 0)])
    ref = space.add_blockref("窓", (1000, 2000, 0), dxfattribs={
        "xscale": 2, "yscale": 2, "zscale": 2, "rotation": 45})
    ref.add_attrib("番号", "一", (1000, 1990, 0))
    space.add_linear_dim(base=(0, 20), p1=(0, 0), p2=(30, 0)).render()


def add_later_kinds(doc, space):
    space.add_lwpolyline([(0, 0, 0.25), (20, 0, 0), (20, 10, 0)], format="xyb", close=True,
                         dxfattribs={"elevation": 1200, "thickness": 3000, "layer": "建物"})
    space.add_ellipse((0, 0, 0), major_axis=(10, 0, 0), ratio=0.5)
    space.add_ellipse((5, 5, 0), major_axis=(0, 4, 0), ratio=0.25, start_param=0,
                      end_param=math.pi / 2)
    with_xdata(space.add_mtext("複数行の\\P文字", dxfattribs={"insert": (0, 0, 0),
                                                            "char_height": 2.5}))
    hatch = space.add_hatch(color=2)
    hatch.paths.add_polyline_path([(0, 0), (100, 0), (100, 100), (0, 100)], is_closed=True,
                                  flags=1)
    hatch.paths.add_polyline_path([(25, 25), (75, 25), (75, 75), (25, 75)], is_closed=True,
                                  flags=16)
    space.add_spline([(0, 0), (10, 5), (20, 0), (30, 5)])
    space.add_ray((0, 0, 0), (1, 1, 0))
    space.add_xline((0, 0, 0), (1, -1, 0))
    space.add_leader([(0, 0), (10, 10), (20, 10)])
    builder = space.add_multileader_mtext("Standard")
    builder.set_content("引出線", char_height=2.0)
    builder.add_leader_line(ezdxf.render.mleader.ConnectionSide.left, [ezdxf.math.Vec2(-20, -20)])
    builder.build(insert=ezdxf.math.Vec2(0, -10))
    image_def = doc.add_image_def("site.png", size_in_pixel=(640, 480))
    space.add_image(image_def, insert=(0, 0), size_in_units=(6.4, 4.8))
    space.add_wipeout([(0, 0), (5, 0), (5, 5)])


def add_paper_space(doc, later):
    layout = doc.layouts.new("配置2") if later else doc.layout()
    layout.add_line((0, 0), (100, 100), dxfattribs={"layer": "注記"})
    layout.add_text("図面枠", dxfattribs={"height": 5, "insert": (10, 10)})
    if later:
        doc.layout("Layout1").add_circle((50, 50), 20)


# A box the hourly diagram can be drawn for: 10 m by 8 m, 12 m high.
def add_building(doc, msp):
    doc.layers.new("建物棟", dxfattribs={"color": 1})
    outline = [(0, 0), (10000, 0), (10000, 8000), (0, 8000)]
    attribs = {"layer": "建物棟", "thickness": 12000}
    if doc.dxfversion == "AC1009":
        msp.add_polyline2d(outline, close=True, dxfattribs=attribs)
    else:
        msp.add_lwpolyline(outline, close=True, dxfattribs=attribs)
    # The neighbour's wall north of it, for the wall elevation.
    doc.layers.new("隣地壁面", dxfattribs={"color": 5})
    msp.add_line((-5000, 12000), (15000, 12000), dxfattribs={"layer": "隣地壁面"})


def make(version, folder):
    doc = ezdxf.new(version)
    # Japanese drawings before R2007 store their text in CP932.
    doc.encoding = "cp932"
    add_tables(doc)
    add_blocks(doc)
    msp = doc.modelspace()
    add_r12_kinds(doc, msp)
    later = version != "R12"
    if later:
        add_later_kinds(doc, msp)
    add_paper_space(doc, later)
    add_building(doc, msp)
    doc.saveas(folder / f"{version}.dxf")


def main():
    folder = pathlib.Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    for version in VERSIONS:
        make(version, folder)


if __name__ == "__main__":
    main()
