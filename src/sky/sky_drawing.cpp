#include "sky/sky_drawing.h"

#include <cmath>
#include <utility>

#include "dxf/number_format.h"
#include "geometry/outline_kernel.h"
#include "geometry/point_ops.h"

namespace vorn {

namespace {

const TAcadPoint kO{};

std::string G(double v) { return FormatGeneral(v); }
std::string F4(double v) { return FormatFixed(v, 4); }
std::string F3(double v) { return FormatFixed(v, 3); }

void Circle(DxfDocument& doc, const std::string& layer, const TAcadPoint& c, double radius,
            bool hidden = false) {
  doc.Add("  0\r\nCIRCLE\r\n  8\r\n" + layer);
  if (hidden) doc.Add("  6\r\nHIDDEN2");
  doc.Add(" 10\r\n" + G(c.x));
  doc.Add(" 20\r\n" + G(c.y));
  doc.Add(" 30\r\n0.0");
  doc.Add(" 40\r\n" + G(radius));
}

// A LINE with fixed four decimals and no z groups, as the tables and triangles are ruled.
void Rule(DxfDocument& doc, const std::string& layer, const std::string& x1, const std::string& y1,
          const std::string& x2, const std::string& y2) {
  doc.Add("  0\r\nLINE\r\n  8\r\n" + layer);
  doc.Add(" 10\r\n" + x1);
  doc.Add(" 20\r\n" + y1);
  doc.Add(" 11\r\n" + x2);
  doc.Add(" 21\r\n" + y2);
}

// A table text: insertion and alignment point the same, middle-aligned vertically.
struct TableTextStyle {
  std::string layer;
  double height = 0.0;
};

void TableText(DxfDocument& doc, const TableTextStyle& style, double x, const std::string& y,
               const std::string& text, int justification, double x11, const char* width = "0.8") {
  doc.Add("  0\r\nTEXT\r\n  8\r\n" + style.layer);
  doc.Add(" 10\r\n" + G(x));
  doc.Add(" 20\r\n" + y);
  doc.Add(" 30\r\n0.0");
  doc.Add(" 11\r\n" + G(x11));
  doc.Add(" 21\r\n" + y);
  doc.Add(" 31\r\n0.0");
  doc.Add(" 40\r\n" + G(style.height));
  doc.Add("  1\r\n" + text);
  doc.Add(std::string(" 41\r\n") + width);
  doc.Add(" 72\r\n" + std::to_string(justification));
  doc.Add(" 73\r\n2");
}

void AreaText(DxfDocument& doc, const TableTextStyle& style, double x, double y,
              const std::string& text, int justification) {
  TableText(doc, style, x, G(y), text, justification, x);
}

void OpenPolyline(DxfDocument& doc, const std::string& layer, double elevation,
                  const std::vector<TAcadPoint>& points) {
  doc.Add("  0\r\nPOLYLINE\r\n  8\r\n" + layer);
  doc.Add(" 66\r\n     1\r\n 10\r\n0.0");
  doc.Add(" 20\r\n0.0\r\n 30\r\n" + G(elevation));
  doc.Add(" 70\r\n     0");
  for (const TAcadPoint& p : points) {
    doc.Add("  0\r\nVERTEX\r\n  8\r\n" + layer);
    doc.Add(" 10\r\n" + F4(p.x));
    doc.Add(" 20\r\n" + F4(p.y));
  }
  doc.Add("  0\r\nSEQEND");
}

class DiagramWriter final : public SkyProjectionObserver {
 public:
  DiagramWriter(Workspace& ws, const SkyDiagramStyle& style, DxfDocument& dxf)
      : ws_(ws), style_(style), dxf_(dxf) {}
  void EdgeSamples(const std::vector<TAcadPoint>& turned) override {
    OpenPolyline(dxf_, style_.frameLayer, style_.planeElevation, turned);
  }
  void Corner(const TTateiti& record) override { ws_.AryTateiti.push_back(record); }
  void HorizonArc(const std::vector<TAcadPoint>& turned) override {
    OpenPolyline(dxf_, style_.frameLayer, style_.planeElevation, turned);
  }

 private:
  Workspace& ws_;
  const SkyDiagramStyle& style_;
  DxfDocument& dxf_;
};

void WriteFrame(DxfDocument& dxf, double r, const SkyDiagramStyle& style) {
  const std::string& layer = style.frameLayer;
  const double t = style.textHeight;
  Circle(dxf, layer, kO, r);
  AddDxfLine(dxf, layer, {0, r, 0}, {0, r + 0.8 * t, 0});
  AddDxfLine(dxf, layer, {-r, 0, 0}, {-r - 0.8 * t, 0, 0});
  AddDxfLine(dxf, layer, {r, 0, 0}, {r + 0.8 * t, 0, 0});
  AddDxfLine(dxf, layer, {0, -r, 0}, {0, -r - 0.8 * t, 0});
  const struct {
    const char* letter;
    TAcadPoint at;
    std::optional<double> rotation;
  } letters[] = {{"N", {0, r + t, 0}, std::nullopt},
                 {"W", {-r - t, 0, 0}, 90.0},
                 {"E", {r + t, 0, 0}, 270.0},
                 {"S", {0, -r - t, 0}, 180.0}};
  for (const auto& l : letters) {
    DxfText text;
    text.layer = layer;
    text.position = l.at;
    text.height = 0.8 * t;
    text.text = l.letter;
    text.rotationDegrees = l.rotation;
    text.alignment = DxfText::Alignment{1, 1, l.at};
    AddDxfText(dxf, text);
  }
}

void WriteScale(DxfDocument& dxf, double r, const SkyDiagramStyle& style) {
  const double step = style.scaleInterval;
  if (!(step > 0)) return;
  const int lines = static_cast<int>(std::trunc(359.0 / step));
  for (int k = 0; k <= lines; ++k) {
    DxfLineStyle lineStyle;
    lineStyle.hidden2 = k % 3 != 0;
    AddDxfLine(dxf, style.scaleLayer, kO, PolarPoint(kO, step * k * kPi / 180.0, r), lineStyle);
  }
  const int circles = static_cast<int>(std::trunc(89.0 / step)) - 1;
  for (int k = 1; k <= circles; ++k) {
    Circle(dxf, style.scaleLayer, kO, r * std::cos(kPi / 2 - step * k * kPi / 180.0), k % 3 != 0);
  }
}

TAcadPoint Turned(const TAcadPoint& p, double rho) {
  if (rho == 0.0) return p;
  return RotatePoint(p, -rho * kPi / 180.0);
}

void WriteHatch(DxfDocument& dxf, const LineList& outline, const OutlineDrawingParameters& p) {
  if (!(p.hatchInterval > 0)) return;
  const double r = p.radius;
  const double tau = r * 5e-6;
  const int rays = static_cast<int>(std::trunc(359.0 / p.hatchInterval));
  for (int k = 0; k <= rays; ++k) {
    const double phi = p.hatchInterval * k * kPi / 180.0;
    const TAcadPoint end = PolarPoint(kO, phi, r - 1);
    for (const TLineEnt& s : outline) {
      TAcadPoint x;
      if (!CrossPoint(kO, end, s.st, s.ed, true, x) || !(PointDist(kO, x) < r - tau)) continue;
      AddDxfLine(dxf, p.hatchLayer, Turned(x, p.rotationDegrees),
                 Turned(PolarPoint(kO, phi, r), p.rotationDegrees));
      break;
    }
  }
}

void NumberPositions(std::vector<TTateiti>& records, const std::vector<TAcadPoint>& corners,
                     double r, double northDegrees) {
  std::vector<int> taken(corners.size(), 0);
  for (TTateiti& m : records) m.no = 0;
  for (TTateiti& m : records) {
    double best = r;
    for (std::size_t i = 0; i < corners.size(); ++i) {
      if (taken[i] != 0) continue;
      double a = PointAngle(kO, corners[i]) + northDegrees * kPi / 180.0 - kPi / 2;
      while (a > 2 * kPi) a -= 2 * kPi;
      while (a < 0) a += 2 * kPi;
      const double d = PointDist(kO, corners[i]);
      if (std::fabs(m.houido - a * 180.0 / kPi) < 1e-5 && best > d) {
        m.no = static_cast<int32_t>(i + 1);
        taken[i] = 1;
        best = d;
      }
    }
  }
  for (std::size_t m = 0; m < records.size(); ++m) {
    for (std::size_t k = m + 1; k < records.size(); ++k) {
      const TTateiti& a = records[m];
      TTateiti& b = records[k];
      if (a.no > 0 && b.no > 0 && std::fabs(a.kyori - b.kyori) < 0.001 &&
          std::fabs(a.takasa - b.takasa) < 0.001 && std::fabs(a.houido - b.houido) < 0.001 &&
          std::fabs(a.miagedo - b.miagedo) < 0.001) {
        b.no = 0;
      }
    }
  }
}

void WriteMarks(DxfDocument& dxf, const std::vector<TTateiti>& records,
                const std::vector<TAcadPoint>& corners, const OutlineDrawingParameters& p) {
  const double r = p.radius;
  for (const TTateiti& m : records) {
    if (m.no <= 0 || static_cast<std::size_t>(m.no) > corners.size()) continue;
    const TAcadPoint c = Turned(corners[static_cast<std::size_t>(m.no - 1)], p.rotationDegrees);
    Circle(dxf, p.markLayer, c, 0.01 * r);
    dxf.Add("  0\r\nTEXT\r\n  8\r\n" + p.markLayer);
    dxf.Add(" 10\r\n" + G(c.x + 0.02 * r));
    dxf.Add(" 20\r\n" + G(c.y));
    dxf.Add(" 30\r\n0.0");
    dxf.Add(" 40\r\n" + G(0.03 * r));
    dxf.Add("  1\r\n[" + std::to_string(m.no) + "]");
    dxf.Add(" 41\r\n0.8");
    dxf.Add(" 50\r\n0");
    dxf.Add(" 72\r\n0");
    dxf.Add(" 73\r\n0");
  }
}

void WriteTriangles(DxfDocument& dxf, const std::vector<FanTriangle>& triangles,
                    const OutlineDrawingParameters& p) {
  const double r = p.radius;
  const double rho = p.rotationDegrees;
  for (const FanTriangle& t : triangles) {
    const TAcadPoint mh{(t.Q.x + t.F.x) * 0.5, (t.Q.y + t.F.y) * 0.5, 0.0};
    const TAcadPoint label = Turned(PolarPoint(mh, PointAngle(mh, kO), t.record.takasa), rho);
    Circle(dxf, p.triangleLayer, label, 0.02 * r);
    dxf.Add("  0\r\nTEXT\r\n  8\r\n" + p.triangleLayer);
    dxf.Add(" 10\r\n" + G(label.x));
    dxf.Add(" 20\r\n" + G(label.y));
    dxf.Add(" 30\r\n0.0");
    dxf.Add(" 40\r\n" + G(0.02 * r));
    dxf.Add("  1\r\n" + std::to_string(t.record.no));
    dxf.Add(" 41\r\n0.8");
    dxf.Add(" 72\r\n1");
    dxf.Add(" 73\r\n2");
    dxf.Add(" 11\r\n" + G(label.x));
    dxf.Add(" 21\r\n" + G(label.y));
    dxf.Add(" 31\r\n0.0");
    const TAcadPoint P = Turned(t.P, rho), Q = Turned(t.Q, rho), F = Turned(t.F, rho);
    const TAcadPoint o = Turned(kO, rho);
    for (const auto& [a, b] :
         {std::pair{Q, F}, std::pair{Q, P}, std::pair{o, P}, std::pair{o, Q}}) {
      Rule(dxf, p.triangleLayer, F4(a.x), F4(a.y), F4(b.x), F4(b.y));
    }
  }
}

void WriteTextBlock(DxfDocument& dxf, const SkyFactorResult& r, const OutlineDrawingParameters& p) {
  const double rh = 2 * p.textHeight;
  const TableTextStyle style{p.frameLayer, p.textHeight};
  const SkyTextBlock& t = p.text;
  const struct {
    double k;
    std::string text;
  } lines[] = {
      {0.5, "目盛間隔 " + t.scaleInterval + "%%d"},
      {1.25,
       "緯度 = " + t.latitudeDegrees + "%%d" + t.latitudeMinutes + "'" + t.latitudeSeconds + "\""},
      {2, "正射影 測定面高さ = " + F3(t.planeHeightMetres) + " m"},
      {4.25, "測定点 " + t.pointName},
      {2.75, "水平円射影面積 " + F3(r.S) + " , " + F3(r.Ap)},
      {3.5, "天空率 = " + F3(r.factor) + "%"},
  };
  for (const auto& line : lines) {
    AreaText(dxf, style, 0.0, -1.25 * p.radius - line.k * rh, line.text, 1);
  }
}

}  // namespace

SkyProjectionResult WriteSkyDiagram(Workspace& ws, const SkyProjectionParameters& p,
                                    const SkyDiagramStyle& style, DxfDocument& dxf) {
  ws.AryTateiti.clear();
  ws.AryTateiti.reserve(1000);
  AddFrameOpening(dxf, true);
  WriteFrame(dxf, p.radius, style);
  WriteScale(dxf, p.radius, style);
  DiagramWriter writer(ws, style, dxf);
  const SkyProjectionResult result = ProjectSkyLines(ws, p, &writer);
  ws.AryTateiti.shrink_to_fit();
  AddFrameClosing(dxf);
  return result;
}

double OutlineScaleUp(int typ, double radiusA, double radiusB) {
  if (typ == 0 && radiusA < radiusB) return radiusB / radiusA;
  if (typ == 1 && radiusA > radiusB) return radiusA / radiusB;
  return 1.0;
}

bool TraceDiagramOutline(Workspace& ws, double g) {
  const auto scale = [&](double k) {
    for (TLineEnt& s : ws.AryLine) {
      s.st = MulPoint(s.st, {k, k, 1});
      s.ed = MulPoint(s.ed, {k, k, 1});
    }
  };
  if (g > 1) scale(g);
  const bool traced = TraceSkyOutline(ws);
  RemoveReversePairs(ws);
  if (g > 1) scale(1 / g);
  return traced;
}

OutlineDrawing DrawSkyOutline(Workspace& ws, const OutlineDrawingParameters& p) {
  OutlineDrawing out;
  AddFrameOpening(out.dxf, true);
  const LineList outline = ws.AryLine;
  ws.AryLine.clear();
  if (outline.size() <= 2) return out;
  out.result = ComputeSkyFactor(outline, {p.radius, p.scale}, p.variant, true);
  if (!out.result) return out;
  WriteHatch(out.dxf, outline, p);
  if (p.marks) {
    NumberPositions(ws.AryTateiti, out.result->corners, p.radius, p.northDegrees);
    WriteMarks(out.dxf, ws.AryTateiti, out.result->corners, p);
  }
  if (p.triangles) WriteTriangles(out.dxf, out.result->triangles, p);
  if (!out.result->triangles.empty()) WriteTextBlock(out.dxf, *out.result, p);
  AddFrameClosing(out.dxf);
  return out;
}

DxfDocument AreaTableText(const SkyFactorResult& r, const AreaTableParameters& p) {
  DxfDocument dxf;
  AddFrameOpening(dxf, true);
  const double rh = 2 * p.textHeight;
  const auto n = static_cast<int>(r.triangles.size());
  const std::string& layer = p.layer;
  for (int k = 0; k <= n + 2; ++k) Rule(dxf, layer, "0.0", F4(-k * rh), F4(16 * rh), F4(-k * rh));
  for (int k = 0; k <= 4; ++k) {
    const double x = 4 * rh * k;
    const double y = (k == 1 || k == 2) ? -(n + 1) * rh : -(n + 2) * rh;
    Rule(dxf, layer, G(x), "0.0", G(x), F4(y));
  }
  const TableTextStyle style{layer, p.textHeight};
  AreaText(dxf, style, rh, 3.5 * rh, "目盛間隔 " + p.scaleInterval + "%%d", 0);
  AreaText(dxf, style, rh, 2.5 * rh, "正射影　測定面高さ = " + F3(p.planeHeightMetres) + " m", 0);
  AreaText(dxf, style, rh, 1.5 * rh, "天空図半径(R) = " + F3(p.radius / p.scale) + "(図寸mm)", 0);
  AreaText(dxf, style, rh, 0.5 * rh, "三斜計算　最大分割角 = 10%%d", 0);
  AreaText(dxf, style, 2 * rh, -0.5 * rh, "三角形No.", 1);
  AreaText(dxf, style, 7 * rh, -0.5 * rh, "底辺(mm)", 2);
  AreaText(dxf, style, 11 * rh, -0.5 * rh, "高さ(mm)", 2);
  AreaText(dxf, style, 15.5 * rh, -0.5 * rh, "面積(mm2)", 2);
  for (int j = 0; j < n; ++j) {
    const TSansya& t = r.triangles[static_cast<std::size_t>(j)].record;
    const double y = -(j + 1.5) * rh;
    AreaText(dxf, style, 2 * rh, y, std::to_string(t.no), 1);
    AreaText(dxf, style, 7.5 * rh, y, FormatFixed(t.teihen / p.scale, 5), 2);
    AreaText(dxf, style, 11.5 * rh, y, FormatFixed(t.takasa / p.scale, 5), 2);
    AreaText(dxf, style, 15.5 * rh, y, F3(t.menseki), 2);
  }
  const struct {
    double k;
    double x;
    std::string label;
    std::optional<double> value;
  } closing[] = {
      {1.5, rh, "三斜面積合計", r.sigma},
      {2.5, 0.5 * rh, "扇形面積 (扇形中心角 = " + F3(r.theta) + "%%d)", r.Z},
      {3.5, 0.5 * rh, "扇形面積 - 三斜面積合計 = 水平円射影面積", r.Ap},
      {4.5, 0.5 * rh, "天空図円面積", r.S},
      {5.5, 0.5 * rh, "三斜計算　　天空率", std::nullopt},
      {6.5, 0.5 * rh,
       "(" + F3(r.S) + " - " + F3(r.Ap) + " ) / " + F3(r.S) + " * 100 = " + F3(r.factor) + "%",
       std::nullopt},
  };
  for (const auto& c : closing) {
    const double y = -(n + c.k) * rh;
    AreaText(dxf, style, c.x, y, c.label, 0);
    if (c.value) AreaText(dxf, style, 15.5 * rh, y, F3(*c.value), 2);
  }
  AddFrameClosing(dxf);
  return dxf;
}

double PositionAzimuth(double houido, double northDegrees) {
  double a = houido - northDegrees + 90;
  while (a > 360) a -= 360;
  while (a < 0) a += 360;
  if (a > 270) a -= 360;
  return a;
}

std::optional<DxfDocument> PositionTableText(const std::vector<TTateiti>& records,
                                             const PositionTableParameters& p) {
  std::vector<TTateiti> listed;
  for (const TTateiti& r : records) {
    if (r.no > 0) listed.push_back(r);
  }
  if (listed.empty()) return std::nullopt;
  for (std::size_t i = 0; i < listed.size(); ++i) {
    for (std::size_t j = i + 1; j < listed.size(); ++j) {
      if (listed[j].no < listed[i].no) std::swap(listed[i], listed[j]);
    }
  }
  const double h = 2 * p.textHeight * p.scale;
  const auto n = static_cast<int>(listed.size());
  const std::string& layer = p.layer;
  DxfDocument dxf;
  AddFrameOpening(dxf, true);
  for (int i = 0; i <= n + 3; ++i) {
    if (i == 2) continue;
    Rule(dxf, layer, i == 1 ? F4(3 * h) : "0.0", F4(-i * h), F4(18 * h), F4(-i * h));
  }
  for (int i = 0; i <= 6; ++i) {
    const bool short_ = i == 2 || i == 4 || i == 5;
    Rule(dxf, layer, F4(3 * h * i), short_ ? F4(-h) : "0.0", F4(3 * h * i), F4(-h * (n + 3)));
  }
  const TableTextStyle style{layer, h / 2};
  const auto text = [&](double x, double x11, double y, const std::string& s, int j,
                        const char* width = "0.8") {
    TableText(dxf, style, x, F4(y), s, j, x11, width);
  };
  text(4 * h, h, 3.5 * h, "目盛間隔 " + p.scaleInterval + "%%d", 0);
  text(4 * h, h, 2.5 * h, "正射影　測定面高さ = " + F3(p.planeHeightMetres) + " m", 0);
  text(4 * h, h, 1.5 * h, "天空図半径(R) = " + F3(p.radius / p.scale) + " (図寸mm)", 0);
  text(4 * h, h, 0.5 * h, "建物位置確認表", 0);
  const struct {
    const char* s;
    double x;
    double y;
    const char* width;
  } headers[] = {{"位置", 1.5, -1, "0.8"},         {"No.", 1.5, -2, "0.8"},
                 {"配置図", 6, -0.5, "0.8"},       {"距離", 4.5, -1.5, "0.8"},
                 {"高さ", 7.5, -1.5, "0.8"},       {"(実寸m)", 4.5, -2.5, "0.8"},
                 {"(実寸m)", 7.5, -2.5, "0.8"},    {"天空図", 13.5, -0.5, "0.8"},
                 {"方位角", 10.5, -1.5, "0.8"},    {"仰角:h", 13.5, -1.5, "0.8"},
                 {"R*cos(h)", 16.5, -1.5, "0.75"}, {"(%%d)", 10.5, -2.5, "0.8"},
                 {"(%%d)", 13.5, -2.5, "0.8"},     {"(図寸mm)", 16.5, -2.5, "0.8"}};
  for (const auto& hd : headers) text(hd.x * h, hd.x * h, hd.y * h, hd.s, 1, hd.width);
  for (int j = 1; j <= n; ++j) {
    const TTateiti& r = listed[static_cast<std::size_t>(j - 1)];
    const double y = -h * (j + 2.5);
    text(1.5 * h, 1.5 * h, y, "[" + std::to_string(r.no) + "]", 1);
    text(5.75 * h, 5.75 * h, y, F3(r.kyori / 1000), 2);
    text(8.75 * h, 8.75 * h, y, F3(r.takasa / 1000), 2);
    text(11.75 * h, 11.75 * h, y, F3(PositionAzimuth(r.houido, p.northDegrees)), 2, "0.75");
    text(14.75 * h, 14.75 * h, y, F3(r.miagedo), 2);
    text(17.75 * h, 17.75 * h, y, F3(r.rcosh / p.scale), 2);
  }
  AddFrameClosing(dxf);
  return dxf;
}

}  // namespace vorn
