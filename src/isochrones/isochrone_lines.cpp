#include "isochrones/isochrone_lines.h"

#include <algorithm>
#include <cmath>

#include "dxf/number_format.h"
#include "geometry/outline_kernel.h"
#include "geometry/point_ops.h"
#include "shadows/hourly_diagram.h"

namespace vorn {

namespace {

struct Cell {
  int c = 0;
  int r = 0;
  bool operator==(const Cell&) const = default;
};

// Directions counter-clockwise on the plan from west; rows grow southward.
constexpr int kDc[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
constexpr int kDr[8] = {0, 1, 1, 1, 0, -1, -1, -1};

class LevelGrid {
 public:
  LevelGrid(std::vector<std::uint16_t>& grid, int n, double threshold)
      : grid_(grid),
        n_(n),
        t_(threshold),
        lowered_(static_cast<std::uint16_t>(std::max(0.0, std::floor(threshold) - 1))) {}

  // Outside the raster counts as 0.
  bool Inside(int c, int r) const {
    if (c < 0 || r < 0 || c >= n_ || r >= n_) return false;
    return GridCell(grid_, r, c) >= t_;
  }
  bool Reaches(int c, int r) const { return GridCell(grid_, r, c) >= t_ - 1e-5; }
  void Lower(int c, int r) {
    if (c < 0 || r < 0 || c >= n_ || r >= n_) return;
    std::uint16_t& v = GridCell(grid_, r, c);
    if (v >= t_) v = lowered_;
  }
  int N() const { return n_; }

 private:
  std::vector<std::uint16_t>& grid_;
  int n_;
  double t_;
  std::uint16_t lowered_;
};

// Scan order from `from`: rows 0 ... N - 2, columns 0 ... N - 2. Cells before the previous
// find were below the level then and counters only go down, so a search may resume there.
// Lets the window process messages before each row; nullopt when nothing reaches the level or
// the run was stopped (`stopped` tells which).
std::optional<Cell> FindStart(const LevelGrid& g, Cell from, RunMonitor& monitor, bool& stopped) {
  for (int r = from.r; r <= g.N() - 2; ++r) {
    monitor.ProcessMessages();
    if (!monitor.Running()) {
      stopped = true;
      return std::nullopt;
    }
    for (int c = (r == from.r ? from.c : 0); c <= g.N() - 2; ++c) {
      if (g.Reaches(c, r)) return Cell{c, r};
    }
  }
  return std::nullopt;
}

// A one-pixel line between two cells.
void DrawLine(BitRaster& raster, Cell a, Cell b) {
  const int dc = std::abs(b.c - a.c), dr = -std::abs(b.r - a.r);
  const int sc = a.c < b.c ? 1 : -1, sr = a.r < b.r ? 1 : -1;
  int err = dc + dr;
  for (;;) {
    raster.SetBlack(a.c, a.r);
    if (a == b) return;
    const int e2 = 2 * err;
    if (e2 >= dr) err += dr, a.c += sc;
    if (e2 <= dc) err += dc, a.r += sr;
  }
}

struct RowBox {
  int top, bottom, left, right;
};

RowBox BoxOf(const std::vector<Cell>& cells, int n) {
  RowBox b{n, -1, n, -1};
  for (const Cell& p : cells) {
    b.top = std::min(b.top, p.r);
    b.bottom = std::max(b.bottom, p.r);
    b.left = std::min(b.left, p.c);
    b.right = std::max(b.right, p.c);
  }
  b.top = std::max(b.top, 0);
  b.left = std::max(b.left, 0);
  b.bottom = std::min(b.bottom, n - 1);
  b.right = std::min(b.right, n - 1);
  return b;
}

// The polygon through the cells' centres, outline and interior (even-odd).
void FillCellPolygon(BitRaster& raster, const std::vector<Cell>& cells, const RowBox& box,
                     std::vector<double>& crossings) {
  const std::size_t m = cells.size();
  for (std::size_t i = 0; i < m; ++i) DrawLine(raster, cells[i], cells[(i + 1) % m]);
  for (int r = box.top; r <= box.bottom; ++r) {
    crossings.clear();
    for (std::size_t i = 0; i < m; ++i) {
      const Cell& a = cells[i];
      const Cell& b = cells[(i + 1) % m];
      if ((a.r <= r && r < b.r) || (b.r <= r && r < a.r)) {
        crossings.push_back(a.c + double(r - a.r) * (b.c - a.c) / double(b.r - a.r));
      }
    }
    std::sort(crossings.begin(), crossings.end());
    for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
      raster.FillSpanBlack(r, static_cast<int>(std::ceil(crossings[i])),
                           static_cast<int>(std::floor(crossings[i + 1])));
    }
  }
}

// The two clearing passes: around the traced boundary, then under the filled region.
void ClearRegion(LevelGrid& g, BitRaster& raster, const std::vector<Cell>& cells,
                 std::vector<double>& crossings) {
  const int n = g.N();
  for (std::size_t i = 0; i + 1 < cells.size(); ++i) DrawLine(raster, cells[i], cells[i + 1]);
  if (cells.size() == 1) raster.SetBlack(cells[0].c, cells[0].r);
  const RowBox box = BoxOf(cells, n);
  for (int r = std::max(box.top, 1); r <= std::min(box.bottom, n - 2); ++r) {
    for (int c = box.left; c <= box.right; ++c) {
      if (!raster.IsBlack(c, r)) continue;
      for (int d = 0; d < 8; ++d) {
        const int cc = c + kDc[d];
        if (cc >= 0 && cc < n) g.Lower(cc, r + kDr[d]);
      }
    }
  }
  FillCellPolygon(raster, cells, box, crossings);
  for (int r = box.top; r <= box.bottom; ++r) {
    for (int c = box.left; c <= box.right; ++c) {
      if (raster.IsBlack(c, r)) g.Lower(c, r);
    }
  }
}

enum class TraceEnd { kClosed, kNoArea, kBorder, kStopped };

}  // namespace

std::string LevelText(int item) { return FormatFixed(1.5 + 0.5 * item, 1) + "Hr"; }

double LevelDuration(const std::string& itemText) {
  const auto value = std::strtod(itemText.substr(0, 3).c_str(), nullptr);
  return value;
}

int LevelColour(int item) { return item % 5 + 2; }

double LevelThreshold(double hours, double stepMinutes, double periodHours) {
  const double t = hours * 60.0 / stepMinutes;
  return hours >= periodHours ? t - 1.0 : t;
}

double ToujiRange::CellFor(int n) const { return std::max(txmax - txmin, tymax - tymin) / n; }

std::optional<ToujiRange> GetToujiHani(Workspace& ws, const ToujiHaniParameters& p,
                                       const InstantHook& hook, AccumulationMethod method) {
  ClearDurationGrid(ws);
  const int n = kRangeRasterSize;
  const auto box = GetVornHani(ws, p.firstHour, p.lastHour, p.planeHeight);
  if (!box) return std::nullopt;
  const double x0 = box->xmin - (box->xmax - box->xmin) * 0.025;
  const double y0 = box->ymin - (box->ymax - box->ymin) * 0.025;
  const double x1 = box->xmax + (box->xmax - x0) * 0.0244;
  const double y1 = box->ymax + (box->ymax - y0) * 0.0244;
  const double cell = (x1 - x0) > (y1 - y0) ? (x1 - x0) / n : (y1 - y0) / n;
  Sampling s;
  s.firstHour = p.firstHour;
  s.lastHour = p.lastHour;
  s.stepMinutes = kRangeStepMinutes;
  s.planeHeight = p.planeHeight;
  s.map = RasterMapping{x0, y0, cell, n};
  SampleDurations(ws, s, method, hook);
  const double threshold = p.level * 60.0 / kRangeStepMinutes;
  int cMin = n - 1, rMin = n - 1, cMax = 0, rMax = 0;
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      if (GridCell(ws.DurationGrid, r, c) >= threshold - 1e-5) {
        cMin = std::min(cMin, c);
        cMax = std::max(cMax, c);
        rMin = std::min(rMin, r);
        rMax = std::max(rMax, r);
      }
    }
  }
  ToujiRange range;
  range.txmin = x0 + cell * (cMin - 10);
  range.txmax = x0 + cell * (cMax + 10);
  range.tymin = y0 + cell * (n - rMax - 11);
  range.tymax = y0 + cell * (n - rMin + 9);
  return range;
}

TAcadPoint CellPoint(int row, int column, int n, double x0, double y0, double cell) {
  return TAcadPoint{x0 + (column + 0.5) * cell, y0 + (n - row) * cell, 0.0};
}

LevelTraceResult TraceLevelContours(std::vector<std::uint16_t>& grid, BitRaster& raster,
                                    const LevelTraceParameters& p, RunMonitor& monitor,
                                    const MessageSink& message, const ContourSink& output) {
  LevelTraceResult result;
  const int n = std::min({p.n, raster.Size(), kDurationGridSide});
  if (n < 3) return result;
  LevelGrid g(grid, n, p.threshold);
  std::vector<Cell> cells;
  std::vector<TTempPoint> contour;
  std::vector<double> crossings;
  cells.reserve(1000);
  contour.reserve(1000);
  Cell previousStart{0, 0};
  Cell searchFrom{0, 0};
  int regions = 0;
  for (;;) {
    cells.clear();
    contour.clear();
    bool stopped = false;
    const std::optional<Cell> start = FindStart(g, searchFrom, monitor, stopped);
    if (stopped) {
      result.stopped = true;
      break;
    }
    if (!start || *start == previousStart) break;
    if (regions == kMaxRegionsPerLevel) {
      // Saying so beats leaving the remaining regions out without a word.
      result.regionLimit = true;
      message("等時間：" + p.levelText + kRegionLimitTail);
      break;
    }
    previousStart = *start;
    searchFrom = *start;
    raster.FillWhite();

    // The boundary walk, counter-clockwise on the plan with the region on the left.
    const Cell s = *start;
    Cell cur = s;
    int d = 0;
    TraceEnd end = TraceEnd::kStopped;
    while (monitor.Running()) {
      monitor.ProcessMessages();
      if (!monitor.Running()) break;
      cells.push_back(cur);
      contour.push_back(TTempPoint{0, CellPoint(cur.r, cur.c, n, p.x0, p.y0, p.cell), {}});
      std::size_t k = cells.size();
      int next = -1;
      for (int i = 1; i <= 8; ++i) {
        const int dir = (d + i) % 8;
        if (g.Inside(cur.c + kDc[dir], cur.r + kDr[dir])) {
          next = dir;
          break;
        }
      }
      if (next < 0) {
        end = TraceEnd::kNoArea;
        break;
      }
      if (next == d && k >= 2) {
        // A spur's tip leaves the contour; its base is appended again on the way back.
        g.Lower(cur.c, cur.r);
        cells.resize(k - 2);
        contour.resize(k - 2);
        k -= 2;
      }
      cur = Cell{cur.c + kDc[next], cur.r + kDr[next]};
      d = (next + 4) % 8;
      if (!(cur.r > 0 && cur.r < n - 2 && cur.c > 0 && cur.c < n - 2)) {
        end = TraceEnd::kBorder;
        break;
      }
      if (cur == s) {
        if (k >= 1) contour.resize(k - 1);
        end = contour.empty() ? TraceEnd::kNoArea : TraceEnd::kClosed;
        break;
      }
    }
    if (end == TraceEnd::kStopped) {
      result.stopped = true;
      break;
    }
    if (end == TraceEnd::kBorder) {
      result.borderReached = true;
      if (p.borderMessage) message("等時間：" + p.levelText + kBorderMessageTail);
      break;
    }
    if (end == TraceEnd::kNoArea) {
      // A stray cell or a line of cells: cleared, so that the regions after it still get
      // their lines.
      for (const Cell& c : cells) g.Lower(c.c, c.r);
      g.Lower(cur.c, cur.r);
      g.Lower(s.c, s.r);
      ++result.strayRegions;
      continue;
    }
    ++regions;
    ClearRegion(g, raster, cells, crossings);
    cells.clear();
    if (p.smoothing) SmoothContour(contour, *p.smoothing);
    if (monitor.Running() && contour.size() >= 2) {
      output(contour);
      ++result.contours;
    }
  }
  return result;
}

void SmoothContour(std::vector<TTempPoint>& contour, int s) {
  const int n = static_cast<int>(contour.size());
  if (s < 1 || n <= s + 2) return;
  std::vector<TTempPoint> ext(contour);
  ext.insert(ext.end(), contour.begin(), contour.begin() + s);
  TAcadPoint q = ext.back().pt;
  std::vector<TTempPoint> kept;
  for (int i = 0;;) {
    kept.push_back(ext[i]);
    int best = 1;
    double least = 2 * kPi;
    for (int j = 1; j <= s; ++j) {
      const double a = TurnAngle(q, ext[i].pt, ext[i + j].pt);
      if (a >= kPi / 2 && a < least) {
        least = a;
        best = j;
      }
    }
    q = ext[i].pt;
    if (i + best + s >= (n + s) - 1) break;
    i += best;
  }
  contour.clear();
  for (std::size_t i = 0; i < kept.size(); ++i) {
    if (i == 0 || i + 1 == kept.size() ||
        !IsOnLine(kept[i - 1].pt, kept[i].pt, kept[i + 1].pt, kept[i + 1].pt)) {
      contour.push_back(kept[i]);
    }
  }
}

TAcadPoint NorthmostContourPoint(const std::vector<TTempPoint>& contour, double northDegrees) {
  // Turning every point about the origin by pi/2 - north brings true north to +y; written as
  // a rotation so that with north at 90 degrees the comparison is of y itself.
  const double turn = kPi / 2 - northDegrees * kPi / 180.0;
  const double sinTurn = std::sin(turn), cosTurn = std::cos(turn);
  TAcadPoint best;
  double bestY = 0.0;
  bool found = false;
  for (const TTempPoint& p : contour) {
    const double y = p.pt.x * sinTurn + p.pt.y * cosTurn;
    if (!found || y >= bestY) {
      best = p.pt;
      bestY = y;
      found = true;
    }
  }
  return best;
}

void AppendIsochroneContour(DxfDocument& doc, const std::vector<TTempPoint>& contour, int item,
                            const IsochroneOutput& out) {
  std::vector<DxfVertex> vertices;
  vertices.reserve(contour.size());
  for (const TTempPoint& p : contour) vertices.push_back({p.pt.x, p.pt.y, std::nullopt});
  DxfLineStyle style;
  style.colour = LevelColour(item);
  AddDxfPolyline(doc, out.layer, vertices, true, style, out.planeHeight);
  const TAcadPoint label = NorthmostContourPoint(contour, out.northDegrees);
  doc.Add("  0\r\nTEXT\r\n  8\r\n" + out.layer);
  doc.Add(" 62\r\n" + std::to_string(LevelColour(item)));
  doc.Add(DxfGroup(10, label.x));
  doc.Add(DxfGroup(20, label.y));
  doc.Add(" 40\r\n" + out.textHeight);
  doc.Add("  1\r\n" + LevelText(item));
  doc.Add(" 41\r\n0.8");
}

void AppendMeshSizeText(DxfDocument& doc, const ToujiRange& range, double cell,
                        const IsochroneOutput& out) {
  doc.Add("  0\r\nTEXT\r\n  8\r\n" + out.layer);
  doc.Add(DxfGroup(10, range.txmin));
  doc.Add(DxfGroup(20, range.tymin));
  doc.Add(" 40\r\n" + out.textHeight);
  doc.Add("  1\r\n" + FormatFixed(cell, 1) + " mm/mesh");
  doc.Add(" 41\r\n0.8");
}

}  // namespace vorn
