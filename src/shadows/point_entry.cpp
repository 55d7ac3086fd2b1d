#include "shadows/point_entry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "geometry/point_ops.h"

namespace vorn {

namespace {

const cad::SelectionFilter& TextFilter() {
  static const cad::SelectionFilter kFilter{{0}, {"TEXT"}};
  return kFilter;
}

void AppendNumbered(std::vector<TTempPoint>& points, const TAcadPoint& p) {
  TTempPoint point;
  point.pt = p;
  point.Name = std::to_string(points.size() + 1);
  points.push_back(std::move(point));
}

// The label search of one pass; a point keeps its running number when no text is near.
void LabelLastPoint(cad::CadSelectionSet& selection, std::vector<TTempPoint>& points) {
  std::string label = LabelNearPoint(selection, points.back().pt);
  if (!label.empty()) points.back().Name = std::move(label);
}

bool WithinReach(const TAcadPoint& a, const TAcadPoint& b) {
  return std::fabs(a.x - b.x) <= kLabelReach && std::fabs(a.y - b.y) <= kLabelReach;
}

}  // namespace

std::string LabelNearPoint(cad::CadSelectionSet& selection, const TAcadPoint& p) {
  selection.Clear();
  selection.Select(cad::kSelectCrossing, {p.x - kLabelReach, p.y + kLabelReach, p.z},
                   {p.x + kLabelReach, p.y - kLabelReach, p.z}, TextFilter());
  const int count = selection.Count();
  for (int i = 0; i < count; ++i) {
    const cad::CadEntityPtr item = selection.Item(i);
    if (item->EntityName() == cad::kAcDbText) return item->TextString();
  }
  return {};
}

void PickPointsByIdCommand(cad::CadApplication& application, cad::CadDocument& document,
                           cad::CadSelectionSet& selection, const cad::CadLink& link,
                           std::vector<TTempPoint>& points) {
  const TAcadPoint origin{};
  // Each pass ends either with a point or with LASTPOINT left at the origin; a pass that
  // fails is tried again, so the count only guards against a CAD that fails every time.
  constexpr int kMaxFailedPasses = 1000;
  int failedPasses = 0;
  while (failedPasses < kMaxFailedPasses) {
    try {
      document.SetVariable("LASTPOINT", origin);
      document.SendCommand("ID\r");
      cad::WaitCadIdle(application, 200, link);
      const TAcadPoint p = cad::CadValueToPoint(document.GetVariable("LASTPOINT"));
      if (p == origin) break;
      document.Utility()->Prompt(kPromptPointGiven);
      failedPasses = 0;
      AppendNumbered(points, p);
      LabelLastPoint(selection, points);
    } catch (const cad::CadIdleTimeout&) {
      throw;  // the user has been told that the CAD stays busy
    } catch (const cad::CadError&) {
      ++failedPasses;
    }
  }
}

void PickPointsByInput(cad::CadApplication& application, cad::CadDocument& document,
                       cad::CadSelectionSet& selection, const cad::CadLink& link,
                       const std::string& prompt, std::vector<TTempPoint>& points) {
  const auto utility = document.Utility();
  while (true) {
    try {
      link.windows.SetForegroundWindow(application.Hwnd());
      const TAcadPoint p = utility->GetPoint(std::nullopt, prompt);
      utility->Prompt(kPromptPointGiven);
      AppendNumbered(points, p);
      LabelLastPoint(selection, points);
    } catch (const cad::CadError&) {
      return;  // Enter, a cancel or any other failure ends the input
    }
  }
}

bool PointsFromMarks(cad::CadSelectionSet& selection, std::vector<TTempPoint>& points) {
  std::vector<cad::CadEntityPtr> items;
  const int count = selection.Count();
  items.reserve(static_cast<std::size_t>(std::max(count, 0)));
  for (int i = 0; i < count; ++i) items.push_back(selection.Item(i));
  if (items.empty()) return false;
  points.clear();
  std::vector<std::string> kinds;
  kinds.reserve(items.size());
  for (const cad::CadEntityPtr& item : items) {
    kinds.push_back(item->EntityName());
    if (kinds.back() != cad::kAcDbCircle) continue;
    TTempPoint point;
    point.id = static_cast<int32_t>(points.size() + 1);
    point.pt = item->center();
    point.Name = std::to_string(point.id);
    points.push_back(std::move(point));
  }
  if (points.empty()) return false;
  for (TTempPoint& point : points) {
    point.Name.clear();
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (kinds[i] != cad::kAcDbText) continue;
      if (WithinReach(items[i]->InsertionPoint(), point.pt)) {
        point.Name = items[i]->TextString();
        break;
      }
    }
  }
  return true;
}

ArrangedPoints ArrangeTempPoints(std::vector<TTempPoint> points) {
  ArrangedPoints result;
  if (points.empty()) return result;
  for (std::size_t i = 0; i < points.size(); ++i) {
    points[i].id = 0;
    for (std::size_t j = i + 1; j < points.size(); ++j) {
      if (SamePoint2D(points[i].pt, points[j].pt, kSamePointTol)) {
        points[i].id = -1;
        break;
      }
    }
  }
  double xmin = points[0].pt.x, xmax = xmin, ymin = points[0].pt.y, ymax = ymin;
  for (const TTempPoint& p : points) {
    xmin = std::min(xmin, p.pt.x);
    xmax = std::max(xmax, p.pt.x);
    ymin = std::min(ymin, p.pt.y);
    ymax = std::max(ymax, p.pt.y);
  }
  const bool byX = xmax - xmin > ymax - ymin;
  const auto key = [byX](const TTempPoint& p) { return byX ? p.pt.x : p.pt.y; };
  // Each later record with a smaller key is swapped into place, as the grid has always been
  // ordered; points with equal keys keep the order this gives them.
  for (std::size_t i = 0; i < points.size(); ++i) {
    for (std::size_t j = i + 1; j < points.size(); ++j) {
      if (key(points[j]) < key(points[i])) std::swap(points[i], points[j]);
    }
  }
  result.diagonal = std::hypot(xmax - xmin, ymax - ymin);
  for (TTempPoint& p : points) {
    if (p.id >= 0) result.kept.push_back(std::move(p));
  }
  return result;
}

std::vector<std::optional<std::string>> NearestTextLabels(const std::vector<TTempPoint>& points,
                                                          std::vector<TTextEnt> texts,
                                                          double reach) {
  std::vector<std::optional<std::string>> labels(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    double best = std::numeric_limits<double>::infinity();
    TTextEnt* nearest = nullptr;
    for (TTextEnt& text : texts) {
      const double d = PointDist(points[i].pt, text.pt10);
      if (d < reach && d < best) {
        best = d;
        nearest = &text;
      }
    }
    if (nearest != nullptr) labels[i] = std::exchange(nearest->str, std::string());
  }
  return labels;
}

}  // namespace vorn
