#include "acquisition/building_pick.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "geometry/point_ops.h"

namespace vorn {

namespace {

constexpr double kRadToDeg = 57.29577951308232;
constexpr double kDegToRad = kPi / 180.0;
const TAcadPoint kUp{0.0, 0.0, 1.0};

TLineEnt Edge(const TAcadPoint& st, const TAcadPoint& ed, const TAcadPoint& code210 = kUp) {
  TLineEnt e;
  e.st = st;
  e.ed = ed;
  e.code210 = code210;
  return e;
}

TAcadPoint Raised(const TAcadPoint& p, double t) { return {p.x, p.y, p.z + t}; }

void ReadLine(cad::CadEntity& e, Workspace& ws) {
  TLineEnt line = Edge(e.StartPoint(), e.EndPoint(), e.Normal());
  line.atumi = e.Thickness();
  ws.AryLine.push_back(line);
}

void ReadCircle(cad::CadEntity& e, Workspace& ws) {
  TCircleEnt c;
  c.center = e.center();
  c.hankei = e.Radius();
  c.atumi = e.Thickness();
  c.code210 = e.Normal();
  ws.AryCircle.push_back(c);
}

void ReadArc(cad::CadEntity& e, Workspace& ws) {
  TArcEnt a;
  a.center = e.center();
  a.hankei = e.Radius();
  a.atumi = e.Thickness();
  a.stdeg = e.StartAngle() * kRadToDeg;
  a.eddeg = e.EndAngle() * kRadToDeg;
  a.code210 = e.Normal();
  ws.AryArc.push_back(a);
}

// The ellipse is kept with its major axis and its start and end parameters in radians,
// which is what EllipsesToLines walks.
void ReadEllipse(cad::CadEntity& e, Workspace& ws) {
  TEllipseEnt el;
  el.center = e.center();
  el.henpei = e.RadiusRatio();
  el.endpoint = e.MajorAxis();
  el.kaisi = e.StartParameter();
  el.owari = e.EndParameter();
  el.code210 = e.Normal();
  ws.AryEllipse.push_back(el);
}

enum class PolylineKind { kLight, k2d, k3d };

void ReadPolyline(cad::CadEntity& e, PolylineKind kind, Workspace& ws) {
  TLwpEnt header;
  header.hand = e.Handle();
  header.code70 = e.Closed() ? 1 : 0;
  if (kind != PolylineKind::k3d) {
    header.code38 = e.Elevation();
    header.code39 = e.Thickness();
    header.atumi = header.code39;
    header.code210 = e.Normal();
  }
  ws.AryLwp.push_back(header);
  const std::size_t perVertex = kind == PolylineKind::kLight ? 2 : 3;
  const std::size_t count = e.Coordinates().size() / perVertex;
  for (std::size_t j = 0; j < count; ++j) {
    const TAcadPoint p = e.Coordinate(static_cast<int>(j));
    TLwpEle vertex;
    vertex.hand = header.hand;
    vertex.code10 = {p.x, p.y, kind == PolylineKind::k3d ? p.z : header.code38};
    vertex.code42 = kind == PolylineKind::k3d ? 0.0 : e.GetBulge(static_cast<int>(j));
    ws.AryLwpEle.push_back(vertex);
  }
}

}  // namespace

int ReadPickedEntities(cad::CadSelectionSet& selection, Workspace& ws) {
  ws.AryLine.clear();
  ws.AryCircle.clear();
  ws.AryEllipse.clear();
  ws.AryArc.clear();
  ws.AryLwp.clear();
  ws.AryLwpEle.clear();
  ws.AryFace.clear();
  ws.AryInsert.clear();
  ws.AryPointEnt.clear();
  ws.AryText.clear();
  const int count = selection.Count();
  for (int i = 0; i < count; ++i) {
    const cad::CadEntityPtr entity = selection.Item(i);
    const std::string kind = entity->EntityName();
    if (kind == cad::kAcDbLine) {
      ReadLine(*entity, ws);
    } else if (kind == cad::kAcDbCircle) {
      ReadCircle(*entity, ws);
    } else if (kind == cad::kAcDbArc) {
      ReadArc(*entity, ws);
    } else if (kind == cad::kAcDbEllipse) {
      ReadEllipse(*entity, ws);
    } else if (kind == cad::kAcDbPolyline) {
      ReadPolyline(*entity, PolylineKind::kLight, ws);
    } else if (kind == cad::kAcDb2dPolyline) {
      ReadPolyline(*entity, PolylineKind::k2d, ws);
    } else if (kind == cad::kAcDb3dPolyline) {
      ReadPolyline(*entity, PolylineKind::k3d, ws);
    }
  }
  return static_cast<int>(ws.AryLine.size() + ws.AryCircle.size() + ws.AryLwp.size());
}

void ExtrudeLines(Workspace& ws) {
  // Only the lines present now: the edges appended here have no thickness.
  const std::size_t count = ws.AryLine.size();
  for (std::size_t i = 0; i < count; ++i) {
    if (ws.AryLine[i].atumi == 0.0) continue;
    const double t = ws.AryLine[i].atumi;
    const TAcadPoint n = ws.AryLine[i].code210;
    const TAcadPoint lift = ScalePoint(n, t);
    const TLineEnt top = Edge(AddPoint(ws.AryLine[i].st, lift), AddPoint(ws.AryLine[i].ed, lift));
    ws.AryLine.push_back(top);
    TLineEnt& source = ws.AryLine[i];  // re-read: the list may have grown
    source.atumi = 0.0;
    source.code210 = kUp;
    const TAcadPoint st = source.st;
    const TAcadPoint ed = source.ed;
    ws.AryLine.push_back(Edge(st, top.st));
    ws.AryLine.push_back(Edge(ed, top.ed));
  }
}

void PolylinesToLines(Workspace& ws) {
  for (const TLwpEnt& p : ws.AryLwp) {
    std::vector<TLwpEle> vertices;
    for (const TLwpEle& v : ws.AryLwpEle) {
      if (v.hand == p.hand) vertices.push_back(v);
    }
    if (vertices.empty()) continue;
    if (p.code70 & 1) vertices.push_back(vertices.front());
    const std::size_t firstLine = ws.AryLine.size();
    for (std::size_t k = 0; k + 1 < vertices.size(); ++k) {
      if (vertices[k].code42 == 0.0) {
        ws.AryLine.push_back(Edge(vertices[k].code10, vertices[k + 1].code10, p.code210));
        continue;
      }
      const BulgeArcResult arc =
          BulgeArc(vertices[k].code10, vertices[k + 1].code10, vertices[k].code42);
      TArcEnt a;
      a.center = arc.centre;
      a.hankei = arc.radius;
      a.stdeg = arc.startAngle * kRadToDeg;
      a.eddeg = arc.endAngle * kRadToDeg;
      a.atumi = p.atumi;
      a.code210 = p.code210;
      ws.AryArc.push_back(a);
    }
    const std::size_t lastLine = ws.AryLine.size();
    const double t = p.atumi;
    if (lastLine == firstLine || t == 0.0) continue;
    // Polyline thickness always lifts along +z.
    for (std::size_t q = firstLine; q < lastLine; ++q) {
      const TLineEnt line = ws.AryLine[q];
      ws.AryLine.push_back(Edge(Raised(line.st, t), Raised(line.ed, t), line.code210));
      ws.AryLine.push_back(Edge(line.st, Raised(line.st, t), line.code210));
      ws.AryLine.push_back(Edge(Raised(line.ed, t), line.ed, line.code210));
    }
  }
}

void ArcsToLines(Workspace& ws, double stepDegrees) {
  const double step = stepDegrees * kDegToRad;
  for (const TArcEnt& arc : ws.AryArc) {
    const double a0 = arc.stdeg * kDegToRad;
    const double a1 = arc.eddeg * kDegToRad;
    double sweep = a1 - a0;
    if (a0 > a1) sweep += 2 * kPi;
    // Angles that are not numbers (or absurdly far apart) from a misbehaving CAD are skipped
    // rather than cut into an unbounded number of chords.
    if (!std::isfinite(sweep) || sweep > 4 * kPi) continue;
    const int n = static_cast<int>(std::trunc(sweep / step));
    std::vector<TAcadPoint> points;
    for (int k = 0; k <= n; ++k)
      points.push_back(PolarPoint(arc.center, a0 + k * step, arc.hankei));
    points.push_back(PolarPoint(arc.center, a1, arc.hankei));
    const std::size_t firstChord = ws.AryLine.size();
    for (std::size_t k = 0; k + 1 < points.size(); ++k) {
      ws.AryLine.push_back(Edge(points[k], points[k + 1], arc.code210));
    }
    const std::size_t lastChord = ws.AryLine.size();
    const double t = arc.atumi;
    if (t == 0.0) continue;
    for (std::size_t q = firstChord; q < lastChord; ++q) {
      const TLineEnt chord = ws.AryLine[q];
      ws.AryLine.push_back(Edge(Raised(chord.st, t), Raised(chord.ed, t), chord.code210));
    }
    for (std::size_t q = firstChord; q < lastChord; ++q) {
      const TLineEnt chord = ws.AryLine[q];
      ws.AryLine.push_back(Edge(chord.st, Raised(chord.st, t), chord.code210));
      if (q + 1 == lastChord)
        ws.AryLine.push_back(Edge(chord.ed, Raised(chord.ed, t), chord.code210));
    }
  }
}

void CirclesToLines(Workspace& ws, double stepDegrees) {
  // Every vertex, the one at angle 0 included: leaving it out would cut a chord across the
  // circle and lose a sliver of the building.
  const int n = static_cast<int>(std::trunc(360.0 / stepDegrees - 0.5)) + 1;
  for (const TCircleEnt& c : ws.AryCircle) {
    std::vector<TAcadPoint> vertices;
    for (int k = 0; k < n; ++k) {
      const double a = k * stepDegrees * kDegToRad;
      const TAcadPoint inPlane{c.hankei * std::cos(a), c.hankei * std::sin(a), 0.0};
      vertices.push_back(AddPoint(OcsToWcs(inPlane, c.code210), c.center));
    }
    for (int k = 0; k < n; ++k) ws.AryLine.push_back(Edge(vertices[k], vertices[(k + 1) % n]));
  }
}

void EllipsesToLines(Workspace& ws, double stepDegrees) {
  const double step = stepDegrees * kDegToRad;
  for (const TEllipseEnt& el : ws.AryEllipse) {
    const double length = std::sqrt(el.endpoint.x * el.endpoint.x + el.endpoint.y * el.endpoint.y +
                                    el.endpoint.z * el.endpoint.z);
    if (!(length > 0.0) || !(step > 0.0)) continue;
    const TAcadPoint u = ScalePoint(el.endpoint, 1.0 / length);
    const TAcadPoint w = CrossProduct(u, el.code210);
    const auto at = [&](double s) {
      return AddPoint(AddPoint(el.center, ScalePoint(u, length * std::cos(s))),
                      ScalePoint(w, -length * el.henpei * std::sin(s)));
    };
    if (!std::isfinite(el.kaisi) || !std::isfinite(el.owari)) continue;
    // An elliptical arc through parameter 0 ends at a smaller parameter than it starts; no
    // ellipse runs more than once round.
    const double end =
        std::min(el.owari > el.kaisi ? el.owari : el.owari + 2 * kPi, el.kaisi + 2 * kPi);
    double s = el.kaisi;
    TAcadPoint previous = at(s);
    while (s < end) {
      s = std::min(s + step, end);
      const TAcadPoint next = at(s);
      if (!SamePoint3D(previous, next, kSamePointTol)) ws.AryLine.push_back(Edge(previous, next));
      previous = next;
    }
  }
}

void ConvertPickedEntities(Workspace& ws) {
  ExtrudeLines(ws);
  PolylinesToLines(ws);
  ArcsToLines(ws, kCurveStepDegrees);
  CirclesToLines(ws, kCurveStepDegrees);
  EllipsesToLines(ws, kCurveStepDegrees);
  ws.ClearAryEnt();
}

BuildingCopy CopyToBuildingEdges(Workspace& ws) {
  BuildingCopy copy;
  ws.BuildingEdges = ws.AryLine;
  for (const TLineEnt& e : ws.BuildingEdges) {
    for (const TAcadPoint* p : {&e.st, &e.ed}) {
      if (p->x < 0 || p->y < 0 || p->z < 0) copy.negativeCoordinate = true;
      if (p->z > copy.gbzmax) copy.gbzmax = p->z;
    }
  }
  return copy;
}

PickResult PickBuilding(cad::CadDocument& document, cad::CadSelectionSet& selection, Workspace& ws,
                        const cad::CadLink& link, cad::MainWindowState& mainWindow) {
  PickResult result;
  mainWindow.Minimize();
  const auto utility = document.Utility();
  utility->Prompt(kPromptSelectBuilding);
  try {
    selection.SelectOnScreen();
  } catch (const cad::CadError&) {
    link.messages.ShowMessage(kSelectionFailed);
  }
  link.clock.Sleep(200);
  mainWindow.Restore();
  if (selection.Count() == 0) {
    utility->Prompt(kPromptNothingSelected);
    return result;
  }
  utility->Prompt(kPromptSelected);
  link.clock.Sleep(200);
  ReadPickedEntities(selection, ws);
  ConvertPickedEntities(ws);
  result.copy = CopyToBuildingEdges(ws);
  result.accepted = true;
  return result;
}

}  // namespace vorn
