// The wireframe preview: the projection against a rotation written out in the test, the
// picture, the PNG file read back by Python's zlib, and the preview controls of the form over
// the drawing host.
#include "acquisition/wireframe_preview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <variant>

#include "acquisition/png_file.h"
#include "app/form_fixture.h"
#include "geometry/point_ops.h"
#include "python_checks.h"

namespace vorn {
namespace {

using testing::FormTest;

TLineEnt Line(TAcadPoint a, TAcadPoint b) {
  TLineEnt s;
  s.st = a;
  s.ed = b;
  return s;
}

LineList Square(double x0, double y0, double side, double z) {
  return {
      Line({x0, y0, z}, {x0 + side, y0, z}), Line({x0 + side, y0, z}, {x0 + side, y0 + side, z}),
      Line({x0 + side, y0 + side, z}, {x0, y0 + side, z}), Line({x0, y0 + side, z}, {x0, y0, z})};
}

TEST(ProjectPreview, TurnsAboutTheVerticalThenTilts) {
  const TAcadPoint points[] = {
      {1000, 2000, 0}, {-3000, 500, 7000}, {-2000, -2500, 100}, {0, 4000, 3000}, {4000, -1000, 0}};
  for (const int h : {315, 0, 90, 200}) {
    for (const int v : {60, 0, 90, 35}) {
      const double turn = h * kPi / 180, tilt = v * kPi / 180;
      for (const TAcadPoint& p : points) {
        const auto projected = ProjectPreview({Line(p, p)}, h, v);
        // Turned by h counter-clockwise about the vertical, then seen tilted by v.
        const double x = p.x * std::cos(turn) - p.y * std::sin(turn);
        const double y = p.x * std::sin(turn) + p.y * std::cos(turn);
        EXPECT_NEAR(projected[0].st.x, x, 1e-3) << h << " " << v;
        EXPECT_NEAR(projected[0].st.y, y * std::cos(tilt) + p.z * std::sin(tilt), 1e-3)
            << h << " " << v;
      }
    }
  }
}

TEST(PreviewEdges, FootprintAndPlumbLinesOnlyForRaisedEnds) {
  const LineList flat = Square(0, 0, 1000, 0);
  const auto flatEdges = PreviewEdges(flat, true);
  ASSERT_EQ(flatEdges.size(), 8u);  // the edges and their silver copies, no plumb lines
  for (std::size_t i = 4; i < 8; ++i) EXPECT_EQ(flatEdges[i].id, kPreviewFootprint);
  LineList raised = Square(0, 0, 1000, 3000);
  raised.push_back(Line({0, 0, 0}, {0, 0, 3000}));
  const auto edges = PreviewEdges(raised, true);
  int plumb = 0;
  for (const TLineEnt& e : edges) plumb += e.id == kPreviewPlumb ? 1 : 0;
  EXPECT_EQ(plumb, 8 + 1);
  EXPECT_EQ(edges.size(), 5u + 5u + 9u);
  EXPECT_EQ(PreviewEdges(raised, false).size(), 5u);
}

// The box around the pixels of a colour: x0, y0, x1, y1 (x1 < x0 when there are none).
std::array<int, 4> PixelsBox(const RgbPicture& picture, uint32_t colour) {
  std::array<int, 4> box{picture.width, picture.height, -1, -1};
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      if (picture.pixels[y * picture.width + x] != colour) continue;
      box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x), std::max(box[3], y)};
    }
  }
  return box;
}

TEST(PaintPreview, SquareSeenFromTheResetViewIsCentredAndFitted) {
  const auto projected = ProjectPreview(PreviewEdges(Square(0, 0, 10000, 0), false), 315, 60);
  RgbPicture picture{148, 148, {}};
  double scale = 0.0;
  PaintPreview(projected, ProjectedBounds(projected), scale, picture);
  // Turned by 315 degrees the square stands on a corner: its width is the diagonal.
  EXPECT_NEAR(scale, 1.2 * 10000 * std::sqrt(2.0) / 148, 1e-6);
  const auto box = PixelsBox(picture, 0xFF0000);
  EXPECT_NEAR((box[0] + box[2]) / 2.0, 74, 1.0);
  EXPECT_NEAR((box[1] + box[3]) / 2.0, 74, 1.0);
  EXPECT_NEAR(box[2] - box[0], 148 / 1.2, 2.0);
  EXPECT_NEAR(box[3] - box[1], 148 / 1.2 * std::cos(kPi / 3), 2.0);
  // A quadrilateral: the middle pixel is background.
  EXPECT_EQ(picture.pixels[74 * 148 + 74], kPreviewBackground);
}

TEST(PaintPreview, ZeroExtentLeavesTheImageBlackAndNoEdgesLeaveItAlone) {
  RgbPicture picture{148, 148, std::vector<uint32_t>(148 * 148, 0x123456)};
  double scale = 0.0;
  PaintPreview({}, {}, scale, picture);
  EXPECT_EQ(picture.pixels[0], 0x123456u);
  const TAcadPoint p{5, 5, 0};
  const auto dot = ProjectPreview({Line(p, p)}, 315, 60);
  PaintPreview(dot, ProjectedBounds(dot), scale, picture);
  EXPECT_EQ(PixelsBox(picture, 0xFF0000)[2], -1);
  EXPECT_EQ(picture.pixels[0], kPreviewBackground);
}

TEST(PngFile, PixelsComeBackThroughAnIndependentDecoder) {
  RgbPicture picture{5, 3, {}};
  for (int i = 0; i < 15; ++i) picture.pixels.push_back(0x010203u * static_cast<uint32_t>(i * 17));
  testing::TempFolder temp;
  const auto path = temp.path() / "p.png";
  SavePng(picture, path);
  VORN_SKIP_WITHOUT_PYTHON();
  const std::string script = (temp.path() / "read.py").string();
  testing::WriteFile(
      script,
      "import struct, sys, zlib\n"
      "data = open(sys.argv[1], 'rb').read()\n"
      "assert data[:8] == b'\\x89PNG\\r\\n\\x1a\\n'\n"
      "pos, idat = 8, b''\n"
      "while pos < len(data):\n"
      "    n, kind = struct.unpack('>I4s', data[pos:pos + 8])\n"
      "    body = data[pos + 8:pos + 8 + n]\n"
      "    crc, = struct.unpack('>I', data[pos + 8 + n:pos + 12 + n])\n"
      "    assert crc == zlib.crc32(kind + body), kind\n"
      "    if kind == b'IHDR': w, h, depth, ctype = struct.unpack('>IIBB', body[:10])\n"
      "    if kind == b'IDAT': idat += body\n"
      "    pos += 12 + n\n"
      "raw = zlib.decompress(idat)\n"
      "rows = [raw[r * (1 + 3 * w) + 1:(r + 1) * (1 + 3 * w)] for r in range(h)]\n"
      "print(w, h, depth, ctype, ' '.join(row.hex() for row in rows))\n");
  const std::string out = (temp.path() / "out.txt").string();
  ASSERT_EQ(std::system((std::string(VORN_PYTHON) + " " + script + " " + path.string() + " > " +
                         out + " 2>&1")
                            .c_str()),
            0)
      << testing::ReadFile(out);
  std::string expected = "5 3 8 2";
  for (int r = 0; r < 3; ++r) {
    expected += r == 0 ? " " : " ";
    char hex[8];
    for (int c = 0; c < 5; ++c) {
      std::snprintf(hex, sizeof hex, "%06x", picture.pixels[r * 5 + c]);
      expected += hex;
    }
  }
  EXPECT_EQ(testing::ReadFile(out), expected + "\n");
}

class PreviewControls : public FormTest {
 protected:
  void SetUp() override {
    cad.host.Open(std::string(VORN_SOURCE_DIR) + "/tests/acquisition/fixtures/pick_cases.dxf");
    form = StartForm();
  }

  void PickBox() {
    cad.user.SelectLayer("box");
    form->Button2Click();
    ASSERT_EQ(form->workspace.BuildingEdges.size(), 16u);
  }

  int Lit(uint32_t colour) const {
    int n = 0;
    for (uint32_t p : form->Image2.Pixels) n += p == colour ? 1 : 0;
    return n;
  }

  std::unique_ptr<TForm1> form;
};

TEST_F(PreviewControls, PickResetsTheViewAndDrawsTheBuilding) {
  form->GB_Draw3dHdeg = 100;
  form->GB_cvsc = 5;
  PickBox();
  EXPECT_EQ(form->GB_Draw3dHdeg, 315);
  EXPECT_EQ(form->GB_Draw3dVdeg, 60);
  EXPECT_GT(form->GB_cvsc, 0.0);
  EXPECT_EQ(form->Image2.Width, 148);
  EXPECT_GT(Lit(0xFF0000), 100);
  EXPECT_GT(Lit(0xC0C0C0) + Lit(0x808080), 0);  // "直下" is ticked at first
}

TEST_F(PreviewControls, TurnControlsWrapAtTheirLimits) {
  PickBox();
  struct Step {
    bool up;
    int expected;
  };
  for (auto turn : {&TForm1::UpDown3Click, &TForm1::UpDown4Click}) {
    int& degrees = turn == &TForm1::UpDown3Click ? form->GB_Draw3dHdeg : form->GB_Draw3dVdeg;
    degrees = 355;
    for (const Step s : {Step{true, 360}, Step{true, 0}, Step{true, 5}, Step{false, 0},
                         Step{false, 360}, Step{false, 355}}) {
      ((*form).*turn)(s.up);
      EXPECT_EQ(degrees, s.expected);
    }
  }
}

TEST_F(PreviewControls, FootprintBoxRefitsAndRedraws) {
  PickBox();
  form->CheckBox1.Checked = false;
  form->GB_cvsc = 1.0;
  form->CheckBox1Click();
  EXPECT_GT(form->GB_cvsc, 1.0);
  EXPECT_EQ(Lit(0xC0C0C0) + Lit(0x808080), 0);
  form->CheckBox1.Checked = true;
  form->CheckBox1.Enabled = false;  // a disabled box adds nothing either
  form->CheckBox1Click();
  EXPECT_EQ(Lit(0xC0C0C0) + Lit(0x808080), 0);
}

TEST_F(PreviewControls, EmptyBuildingLeavesTheImageAndTheCadAlone) {
  const auto before = form->Image2.Pixels;
  const std::size_t blocks = cad.host.Document().blocks.size();
  const std::size_t entities = cad.host.Document().modelSpace.size();
  form->UpDown3Click(true);
  form->CheckBox1Click();
  form->SpeedButton2Click();
  EXPECT_EQ(form->Image2.Pixels, before);
  EXPECT_EQ(form->GB_Draw3dHdeg, 320);
  EXPECT_EQ(cad.host.Document().blocks.size(), blocks);
  EXPECT_EQ(cad.host.Document().modelSpace.size(), entities);
}

TEST_F(PreviewControls, DrawButtonPlacesTheViewAsColouredLines) {
  PickBox();
  const std::size_t before = cad.host.Document().modelSpace.size();
  cad.user.InsertionPoint({50000, 0, 0});
  form->SpeedButton2Click();
  const auto& ms = cad.host.Document().modelSpace;
  // 16 building edges, 16 footprint copies and a plumb line from each raised end.
  int raisedEnds = 0;
  for (const TLineEnt& e : form->workspace.BuildingEdges) raisedEnds += (e.st.z > 0) + (e.ed.z > 0);
  ASSERT_EQ(ms.size(), before + 32 + raisedEnds);
  int red = 0, silver = 0, grey = 0;
  double lowX = 1e300, lowY = 1e300;
  for (std::size_t i = before; i < ms.size(); ++i) {
    ASSERT_EQ(cad::host::DxfTypeOf(ms[i].entity), "LINE");
    const auto& line = std::get<dxf::Line>(ms[i].entity.data);
    lowX = std::min({lowX, line.start.x, line.end.x});
    lowY = std::min({lowY, line.start.y, line.end.y});
    const int c = ms[i].entity.common.colour.value_or(256);
    red += c == 1;
    silver += c == 9;
    grey += c == 8;
  }
  EXPECT_EQ(red, 16);
  EXPECT_EQ(silver, 16);
  EXPECT_EQ(grey, raisedEnds);
  // The picture's lower-left bound is the block's base point, placed where the user clicked.
  EXPECT_NEAR(lowX, 50000, 1e-6);
  EXPECT_NEAR(lowY, 0, 1e-6);
  EXPECT_EQ(cad::host::FindBlock(cad.host.Document(), "VORN_1"), nullptr);
  EXPECT_TRUE(cad.host.Undo());
  EXPECT_EQ(cad.host.Document().modelSpace.size(), before);
}

}  // namespace
}  // namespace vorn
