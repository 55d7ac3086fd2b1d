#include "isochrones/duration_raster.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>
#include <thread>

#include "geometry/point_ops.h"
#include "geometry/sun_position.h"

namespace vorn {

namespace {

// Raster coordinates are kept within this reach so that the exact integer arithmetic of the
// scan conversion cannot overflow; only absurdly long slivers far off the raster are bent.
constexpr double kRasterReach = 268435456.0;  // 2^28

std::int64_t RoundToPixel(double v) {
  if (std::isnan(v)) return 0;
  return RoundOff(std::clamp(v, -kRasterReach, kRasterReach));
}

// floor(a / b) for b > 0.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  if (a % b != 0 && a < 0) --q;
  return q;
}
std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return -FloorDiv(-a, b); }

std::int64_t Cross(const RasterPoint& o, const RasterPoint& a, const RasterPoint& b) {
  return (a.c - o.c) * (b.r - o.r) - (a.r - o.r) * (b.c - o.c);
}

bool Finite(const TAcadPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

struct PlanExtent {
  double xmin, ymin, xmax, ymax;
  void Add(const TAcadPoint& p) {
    xmin = std::min(xmin, p.x);
    ymin = std::min(ymin, p.y);
    xmax = std::max(xmax, p.x);
    ymax = std::max(ymax, p.y);
  }
};

// The pixels of one edge in row r: the part of the edge within half a pixel of the row's
// centre line, its x-range widened to the pixels whose centres lie within half a pixel.
// Worked out in doubled coordinates, where every bound is a whole number.
void DrawEdgeReference(BitRaster& raster, RasterPoint a, RasterPoint b) {
  if (a.r > b.r) std::swap(a, b);
  const int n = raster.Size();
  const std::int64_t first = std::max<std::int64_t>(a.r, 0);
  const std::int64_t last = std::min<std::int64_t>(b.r, n - 1);
  for (std::int64_t r = first; r <= last; ++r) {
    std::int64_t left, right;
    if (a.r == b.r) {
      left = std::min(a.c, b.c);
      right = std::max(a.c, b.c);
    } else {
      const std::int64_t dr = b.r - a.r, dc = b.c - a.c;
      const std::int64_t yLow = std::max(2 * r - 1, 2 * a.r) - 2 * a.r;
      const std::int64_t yHigh = std::min(2 * r + 1, 2 * b.r) - 2 * a.r;
      // x - 1/2 and x + 1/2 at the two heights, over the common denominator 2 dr.
      const auto lower = [&](std::int64_t y) {
        return CeilDiv((2 * a.c - 1) * dr + y * dc, 2 * dr);
      };
      const auto upper = [&](std::int64_t y) {
        return FloorDiv((2 * a.c + 1) * dr + y * dc, 2 * dr);
      };
      left = std::min(lower(yLow), lower(yHigh));
      right = std::max(upper(yLow), upper(yHigh));
    }
    for (std::int64_t c = std::max<std::int64_t>(left, 0);
         c <= std::min<std::int64_t>(right, n - 1); ++c) {
      raster.SetBlack(static_cast<int>(c), static_cast<int>(r));
    }
  }
}

// floor(num / den) along num, num + step, num + 2 step, ... without dividing each time.
class FloorStepper {
 public:
  FloorStepper(std::int64_t num, std::int64_t den, std::int64_t step) : den_(den) {
    q_ = FloorDiv(num, den);
    rem_ = num - q_ * den;
    dq_ = FloorDiv(step, den);
    drem_ = step - dq_ * den;
  }
  std::int64_t Value() const { return q_; }
  void Next() {
    q_ += dq_;
    rem_ += drem_;
    if (rem_ >= den_) {
      rem_ -= den_;
      ++q_;
    }
  }

 private:
  std::int64_t den_, q_, rem_, dq_, drem_;
};

// The pixels AccumulateRaster looks at for these bounds: the rows from rowTop to rowBottom,
// and the whole bytes from the one holding colMin up to the first that starts beyond colMax.
// The painted pixels normally lie well inside; the fast form keeps to the same window so that
// it counts exactly the same pixels whatever the bounds say.
struct CountedWindow {
  int rowFirst, rowLast, colFirst, colLast;
  CountedWindow(const PaintBounds& b, int n) {
    const int lastByteOfRow = n / 8 - 1;
    const int firstByte = std::max(b.colMin, 0) / 8;
    const int lastByte =
        std::min(b.colMax < 0 ? firstByte : std::max(firstByte, b.colMax / 8 + 1), lastByteOfRow);
    rowFirst = std::max(b.rowTop, 0);
    rowLast = std::min(b.rowBottom, n - 1);
    colFirst = 8 * firstByte;
    colLast = 8 * lastByte + 7;
  }
};

// The fast form of one share of the instants: each polygon's covered columns per row (the
// same rule as FillPolygonReference, as one run per row since the polygon is convex) are set
// in a row bitset, whose runs of set bits are then added as +1 / -1 into a difference array.
// The counters wrap modulo 2^16 like the sums they stand for, so the prefix sums come out
// exact.
class SpanAccumulator {
 public:
  explicit SpanAccumulator(int n, std::size_t maxPolygons)
      : n_(n),
        words_((n + 63) / 64),
        bits_(static_cast<std::size_t>(n) * words_, 0),
        firstWord_(n, words_),
        lastWord_(n, -1),
        lo_(n),
        hi_(n),
        diff_(static_cast<std::size_t>(n) * n, 0) {
    polygons_.reserve(maxPolygons);
  }

  void AddInstant(const InstantPolygons& polygonsAt, double t) {
    polygons_.clear();
    const std::optional<PaintBounds> bounds = polygonsAt(t, polygons_);
    if (!bounds) return;
    const CountedWindow window(*bounds, n_);
    int top = n_, bottom = -1;
    for (const PixelPolygon& p : polygons_) AddPolygon(p, window, top, bottom);
    for (int r = top; r <= bottom; ++r) AddRuns(r);
  }

  // Prefix sums of the differences added into the counters.
  void AddInto(std::vector<std::uint16_t>& grid) const {
    for (int r = 0; r < n_; ++r) {
      std::uint16_t running = 0;
      const std::uint16_t* d = diff_.data() + static_cast<std::size_t>(r) * n_;
      std::uint16_t* g = grid.data() + static_cast<std::size_t>(r) * kDurationGridSide;
      for (int c = 0; c < n_; ++c) {
        running = static_cast<std::uint16_t>(running + d[c]);
        g[c] = static_cast<std::uint16_t>(g[c] + running);
      }
    }
  }

 private:
  // The edge's pixels in each of its rows within [r0, r1]: a row takes the edge's crossings
  // of the half-rows above and below it, or the end point lying on the row.
  void AddEdge(RasterPoint a, RasterPoint b, std::int64_t r0, std::int64_t r1) {
    if (a.r > b.r) std::swap(a, b);
    const std::int64_t first = std::max(a.r, r0), last = std::min(b.r, r1);
    if (first > last) return;
    if (a.r == b.r) {
      lo_[first] = std::min<std::int32_t>(lo_[first], std::min(a.c, b.c));
      hi_[first] = std::max<std::int32_t>(hi_[first], std::max(a.c, b.c));
      return;
    }
    // The crossing of level j + 1/2 lies t = 2 (j - a.r) + 1 half-rows below a; its pixels run
    // from ceil(x - 1/2) to floor(x + 1/2), both stepped along without dividing.
    const std::int64_t dr = b.r - a.r, dc = b.c - a.c;
    std::int64_t j = first > a.r ? first - 1 : first;
    const std::int64_t t = 2 * (j - a.r) + 1;
    FloorStepper lower(-(t * dc - dr), 2 * dr, -2 * dc);  // -ceil((t dc - dr) / 2 dr)
    FloorStepper upper(t * dc + dr, 2 * dr, 2 * dc);
    std::int64_t prevLo = a.c, prevHi = a.c;
    if (first > a.r) {
      prevLo = a.c - lower.Value();
      prevHi = a.c + upper.Value();
      lower.Next();
      upper.Next();
    }
    for (std::int64_t r = first; r <= last; ++r) {
      std::int64_t curLo = b.c, curHi = b.c;
      if (r < b.r) {
        curLo = a.c - lower.Value();
        curHi = a.c + upper.Value();
        lower.Next();
        upper.Next();
      }
      lo_[r] = static_cast<std::int32_t>(std::min<std::int64_t>(lo_[r], std::min(prevLo, curLo)));
      hi_[r] = static_cast<std::int32_t>(std::max<std::int64_t>(hi_[r], std::max(prevHi, curHi)));
      prevLo = curLo;
      prevHi = curHi;
    }
  }

  void AddPolygon(const PixelPolygon& p, const CountedWindow& window, int& top, int& bottom) {
    std::int64_t rMin = p.v[0].r, rMax = p.v[0].r;
    for (int i = 1; i < p.count; ++i) {
      rMin = std::min(rMin, p.v[i].r);
      rMax = std::max(rMax, p.v[i].r);
    }
    const std::int64_t r0 = std::max<std::int64_t>(rMin, window.rowFirst);
    const std::int64_t r1 = std::min<std::int64_t>(rMax, window.rowLast);
    if (r0 > r1) return;
    std::fill(lo_.begin() + r0, lo_.begin() + r1 + 1, std::numeric_limits<std::int32_t>::max());
    std::fill(hi_.begin() + r0, hi_.begin() + r1 + 1, std::numeric_limits<std::int32_t>::min());
    if (p.count == 1) {
      lo_[r0] = hi_[r0] = static_cast<std::int32_t>(p.v[0].c);
    } else {
      for (int i = 0; i < p.count; ++i) AddEdge(p.v[i], p.v[(i + 1) % p.count], r0, r1);
    }
    for (std::int64_t r = r0; r <= r1; ++r) {
      const std::int32_t first = std::max<std::int32_t>(lo_[r], window.colFirst);
      const std::int32_t last = std::min<std::int32_t>(hi_[r], window.colLast);
      if (first <= last) SetRun(static_cast<int>(r), first, last);
    }
    top = std::min(top, static_cast<int>(r0));
    bottom = std::max(bottom, static_cast<int>(r1));
  }

  void SetRun(int r, int first, int last) {
    std::uint64_t* row = bits_.data() + static_cast<std::size_t>(r) * words_;
    const int w0 = first >> 6, w1 = last >> 6;
    const std::uint64_t head = ~std::uint64_t{0} << (first & 63);
    const std::uint64_t tail = ~std::uint64_t{0} >> (63 - (last & 63));
    if (w0 == w1) {
      row[w0] |= head & tail;
    } else {
      row[w0] |= head;
      for (int w = w0 + 1; w < w1; ++w) row[w] = ~std::uint64_t{0};
      row[w1] |= tail;
    }
    firstWord_[r] = std::min(firstWord_[r], w0);
    lastWord_[r] = std::max(lastWord_[r], w1);
  }

  // Every run of set bits of the row becomes +1 at its start and -1 after its end; the row is
  // left clear for the next instant.
  void AddRuns(int r) {
    const int w0 = firstWord_[r], w1 = lastWord_[r];
    if (w0 > w1) return;
    firstWord_[r] = words_;
    lastWord_[r] = -1;
    std::uint64_t* row = bits_.data() + static_cast<std::size_t>(r) * words_;
    std::uint16_t* d = diff_.data() + static_cast<std::size_t>(r) * n_;
    bool open = false;
    for (int w = w0; w <= w1; ++w) {
      const std::uint64_t bits = row[w];
      row[w] = 0;
      int pos = 0;
      while (pos < 64) {
        const std::uint64_t rest = (open ? ~bits : bits) >> pos;
        if (rest == 0) break;
        pos += std::countr_zero(rest);
        const int column = w * 64 + pos;
        if (open) {
          if (column < n_) --d[column];
        } else {
          ++d[column];
        }
        open = !open;
      }
    }
    if (open && (w1 + 1) * 64 < n_) --d[(w1 + 1) * 64];
  }

  int n_;
  int words_;
  std::vector<std::uint64_t> bits_;
  std::vector<int> firstWord_, lastWord_;
  std::vector<std::int32_t> lo_, hi_;
  std::vector<std::uint16_t> diff_;
  std::vector<PixelPolygon> polygons_;
};

int WorkerCount() {
  const unsigned hardware = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(hardware, 1u, 2u));
}

bool LetThrough(const InstantHook& hook, int k, double t) { return !hook || hook(k, t); }

// Fills the instant's polygons pixel by pixel, as a platform's polygon fill would.
std::optional<PaintBounds> PaintInstant(const InstantPolygons& polygonsAt, double t,
                                        BitRaster& raster, std::vector<PixelPolygon>& polygons) {
  polygons.clear();
  const std::optional<PaintBounds> bounds = polygonsAt(t, polygons);
  if (!bounds) return std::nullopt;
  for (const PixelPolygon& p : polygons) FillPolygonReference(raster, p);
  return bounds;
}

InstantPolygons GroundPolygons(const Workspace& ws, const Sampling& s) {
  return [&ws, &s](double t, std::vector<PixelPolygon>& polygons) {
    return ShadowPolygons(ws, t, s.planeHeight, s.map, polygons);
  };
}

bool SampleReference(Workspace& ws, const Sampling& s, const InstantPolygons& polygonsAt,
                     const InstantHook& hook) {
  BitRaster raster(s.map.n);
  std::vector<PixelPolygon> polygons;
  const int count = s.Count();
  for (int k = 1; k < count; ++k) {
    const double t = s.Instant(k);
    if (!LetThrough(hook, k, t)) return false;
    raster.FillWhite();
    if (const auto bounds = PaintInstant(polygonsAt, t, raster, polygons)) {
      AccumulateRaster(raster, *bounds, ws.DurationGrid);
    }
  }
  return true;
}

bool SampleFast(Workspace& ws, const Sampling& s, const InstantPolygons& polygonsAt,
                const InstantHook& hook) {
  const int workers = WorkerCount();
  std::vector<SpanAccumulator> shares;
  shares.reserve(workers);
  for (int w = 0; w < workers; ++w) shares.emplace_back(s.map.n, ws.BuildingEdges.size());
  const int count = s.Count();
  // The hook sees every instant of a block before the workers share the block out.
  constexpr int kBlock = 128;
  for (int k0 = 1; k0 < count; k0 += kBlock) {
    const int k1 = std::min(count, k0 + kBlock);
    for (int k = k0; k < k1; ++k) {
      if (!LetThrough(hook, k, s.Instant(k))) return false;
    }
    const auto work = [&](int w) {
      for (int k = k0 + w; k < k1; k += workers) shares[w].AddInstant(polygonsAt, s.Instant(k));
    };
    std::vector<std::thread> threads;
    for (int w = 1; w < workers; ++w) {
      try {
        threads.emplace_back(work, w);
      } catch (const std::system_error&) {
        work(w);  // no thread to be had: the same share on this one
      }
    }
    work(0);
    for (std::thread& t : threads) t.join();
  }
  for (const SpanAccumulator& share : shares) share.AddInto(ws.DurationGrid);
  return true;
}

}  // namespace

int MeshSizeFor(int itemIndex) {
  return itemIndex >= 0 && itemIndex < 3 ? MeshSizeTable[itemIndex] : MeshSizeTable[3];
}

int EvalSecondsFor(int itemIndex) {
  return itemIndex >= 0 && itemIndex < 3 ? EvalSecondsTable[itemIndex] : EvalSecondsTable[3];
}

void ClearDurationGrid(Workspace& ws) {
  constexpr std::size_t kCells = std::size_t(kDurationGridSide) * kDurationGridSide;
  if (ws.DurationGrid.size() != kCells) {
    ws.DurationGrid.assign(kCells, 0);
  } else {
    std::fill(ws.DurationGrid.begin(), ws.DurationGrid.end(), std::uint16_t{0});
  }
}

BitRaster::BitRaster(int n) : n_(std::max(8, n / 8 * 8)), bits_(std::size_t(n_) * (n_ / 8), 0xFF) {}

void BitRaster::FillWhite() { std::memset(bits_.data(), 0xFF, bits_.size()); }

bool BitRaster::IsBlack(int column, int row) const {
  if (column < 0 || row < 0 || column >= n_ || row >= n_) return false;
  return (Row(row)[column >> 3] & (0x80 >> (column & 7))) == 0;
}

void BitRaster::SetBlack(int column, int row) {
  if (column < 0 || row < 0 || column >= n_ || row >= n_) return;
  bits_[std::size_t(row) * Stride() + (column >> 3)] &=
      static_cast<std::uint8_t>(~(0x80 >> (column & 7)));
}

void BitRaster::FillSpanBlack(int row, int firstColumn, int lastColumn) {
  if (row < 0 || row >= n_) return;
  firstColumn = std::max(firstColumn, 0);
  lastColumn = std::min(lastColumn, n_ - 1);
  if (firstColumn > lastColumn) return;
  std::uint8_t* bytes = bits_.data() + std::size_t(row) * Stride();
  int c = firstColumn;
  for (; c <= lastColumn && (c & 7) != 0; ++c)
    bytes[c >> 3] &= static_cast<std::uint8_t>(~(0x80 >> (c & 7)));
  for (; c + 7 <= lastColumn; c += 8) bytes[c >> 3] = 0;
  for (; c <= lastColumn; ++c) bytes[c >> 3] &= static_cast<std::uint8_t>(~(0x80 >> (c & 7)));
}

std::int64_t RasterMapping::Column(double x) const { return RoundToPixel((x - x0) / cell); }
std::int64_t RasterMapping::RowOf(double y) const { return n - RoundToPixel((y - y0) / cell); }
RasterPoint RasterMapping::Map(double x, double y) const { return {Column(x), RowOf(y)}; }

PixelPolygon HullOfCorners(const std::array<RasterPoint, 4>& corners) {
  std::array<RasterPoint, 4> pts = corners;
  std::sort(pts.begin(), pts.end(), [](const RasterPoint& a, const RasterPoint& b) {
    return a.c != b.c ? a.c < b.c : a.r < b.r;
  });
  // Andrew's monotone chain; collinear and repeated corners drop out.
  std::array<RasterPoint, 8> hull{};
  int k = 0;
  for (int i = 0; i < 4; ++i) {
    while (k >= 2 && Cross(hull[k - 2], hull[k - 1], pts[i]) <= 0) --k;
    hull[k++] = pts[i];
  }
  for (int i = 2, lower = k + 1; i >= 0; --i) {
    while (k >= lower && Cross(hull[k - 2], hull[k - 1], pts[i]) <= 0) --k;
    hull[k++] = pts[i];
  }
  PixelPolygon p;
  p.count = std::max(1, k - 1);
  for (int i = 0; i < p.count; ++i) p.v[i] = hull[i];
  return p;
}

void FillPolygonReference(BitRaster& raster, const PixelPolygon& p) {
  const int n = raster.Size();
  if (p.count == 1) {
    if (p.v[0].c >= 0 && p.v[0].c < n && p.v[0].r >= 0 && p.v[0].r < n) {
      raster.SetBlack(static_cast<int>(p.v[0].c), static_cast<int>(p.v[0].r));
    }
    return;
  }
  for (int i = 0; i < p.count; ++i) DrawEdgeReference(raster, p.v[i], p.v[(i + 1) % p.count]);
  std::int64_t rMin = p.v[0].r, rMax = p.v[0].r;
  for (int i = 1; i < p.count; ++i) {
    rMin = std::min(rMin, p.v[i].r);
    rMax = std::max(rMax, p.v[i].r);
  }
  for (std::int64_t r = std::max<std::int64_t>(rMin, 0); r <= std::min<std::int64_t>(rMax, n - 1);
       ++r) {
    // The centres on the row inside the polygon: from the least crossing up to the greatest.
    std::int64_t first = std::numeric_limits<std::int64_t>::max();
    std::int64_t last = std::numeric_limits<std::int64_t>::min();
    for (int i = 0; i < p.count; ++i) {
      const RasterPoint& a = p.v[i];
      const RasterPoint& b = p.v[(i + 1) % p.count];
      if (r < std::min(a.r, b.r) || r > std::max(a.r, b.r)) continue;
      if (a.r == b.r) {
        first = std::min({first, a.c, b.c});
        last = std::max({last, a.c, b.c});
        continue;
      }
      // x = a.c + (r - a.r) (b.c - a.c) / (b.r - a.r)
      std::int64_t num = a.c * (b.r - a.r) + (r - a.r) * (b.c - a.c);
      std::int64_t den = b.r - a.r;
      if (den < 0) num = -num, den = -den;
      first = std::min(first, CeilDiv(num, den));
      last = std::max(last, FloorDiv(num, den));
    }
    if (first > last) continue;
    raster.FillSpanBlack(static_cast<int>(r),
                         static_cast<int>(std::clamp<std::int64_t>(first, -1, n)),
                         static_cast<int>(std::clamp<std::int64_t>(last, -1, n)));
  }
}

std::optional<PaintBounds> ShadowPolygons(const Workspace& ws, double t, double h,
                                          const RasterMapping& map,
                                          std::vector<PixelPolygon>& polygons) {
  if (ws.BuildingEdges.empty() || !(map.cell > 0.0) || map.n <= 0) return std::nullopt;
  const SunPos sun = GetSunPos(ws.sun, t, ws.sun.SunDeclination);
  // Without a sun (outside 8-16 h, or below the horizon) a shadow of any length would be wrong.
  if (!sun.ok) return std::nullopt;
  const double d = ShadowDirection(ws.sun, sun);
  const TAcadPoint first = ws.BuildingEdges.front().st;
  PlanExtent box{first.x, first.y, first.x, first.y};
  for (const TLineEnt& e : ws.BuildingEdges) {
    if (!(e.st.z > h && e.ed.z > h)) continue;
    const TAcadPoint p1 = PolarPoint(e.st, d, (e.st.z - h) * sun.ratio);
    const TAcadPoint p2 = PolarPoint(e.ed, d, (e.ed.z - h) * sun.ratio);
    if (!Finite(e.st) || !Finite(e.ed) || !Finite(p1) || !Finite(p2)) continue;
    polygons.push_back(HullOfCorners({map.Map(e.st.x, e.st.y), map.Map(e.ed.x, e.ed.y),
                                      map.Map(p2.x, p2.y), map.Map(p1.x, p1.y)}));
    for (const TAcadPoint* p : {&e.st, &e.ed, &p1, &p2}) box.Add(*p);
  }
  const auto clampTo = [&](std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, -1, map.n));
  };
  PaintBounds b;
  b.colMin = std::max(clampTo(map.Column(box.xmin)), 0);
  b.colMax = std::min(clampTo(map.Column(box.xmax)), map.n - 1);
  b.rowTop = std::max(clampTo(map.RowOf(box.ymax)), 0);
  b.rowBottom = std::min(clampTo(map.RowOf(box.ymin)), map.n - 1);
  return b;
}

std::optional<PaintBounds> PaintGroundShadows(const Workspace& ws, double t, double h, double x0,
                                              double y0, double cell, BitRaster& raster) {
  std::vector<PixelPolygon> polygons;
  return PaintGroundShadows(ws, t, h, x0, y0, cell, raster, polygons);
}

std::optional<PaintBounds> PaintGroundShadows(const Workspace& ws, double t, double h, double x0,
                                              double y0, double cell, BitRaster& raster,
                                              std::vector<PixelPolygon>& polygons) {
  const RasterMapping map{x0, y0, cell, raster.Size()};
  return PaintInstant(
      [&](double instant, std::vector<PixelPolygon>& out) {
        return ShadowPolygons(ws, instant, h, map, out);
      },
      t, raster, polygons);
}

void AccumulateRaster(const BitRaster& raster, const PaintBounds& b,
                      std::vector<std::uint16_t>& grid) {
  const int stride = raster.Stride();
  for (int r = std::max(b.rowTop, 0); r <= b.rowBottom && r < raster.Size(); ++r) {
    const std::uint8_t* bytes = raster.Row(r);
    std::uint16_t* counters = grid.data() + static_cast<std::size_t>(r) * kDurationGridSide;
    for (int byte = std::max(b.colMin, 0) / 8; byte < stride; ++byte) {
      const std::uint8_t value = bytes[byte];
      if (value == 0) {
        for (int l = 0; l < 8; ++l) ++counters[8 * byte + l];
      } else if (value != 0xFF) {
        for (int l = 0; l < 8; ++l) {
          if ((value & (0x80 >> l)) == 0) ++counters[8 * byte + l];
        }
      }
      if (8 * byte > b.colMax) break;
    }
  }
}

int Sampling::Count() const {
  const double count = std::trunc((lastHour - firstHour) * 60.0 / stepMinutes);
  if (!(count > 0)) return 0;
  return static_cast<int>(std::min(count, 1e7));
}

bool SampleShadowDurations(Workspace& ws, const Sampling& sampling,
                           const InstantPolygons& polygonsAt, AccumulationMethod method,
                           const InstantHook& hook) {
  // The counters have room for rasters up to their own size, in whole bytes of pixels.
  const int n = sampling.map.n;
  if (n <= 0 || n > kDurationGridSide || n % 8 != 0) return false;
  if (ws.DurationGrid.size() != std::size_t(kDurationGridSide) * kDurationGridSide) {
    ClearDurationGrid(ws);
  }
  return method == AccumulationMethod::kReference ? SampleReference(ws, sampling, polygonsAt, hook)
                                                  : SampleFast(ws, sampling, polygonsAt, hook);
}

bool SampleDurations(Workspace& ws, const Sampling& sampling, AccumulationMethod method,
                     const InstantHook& hook) {
  return SampleShadowDurations(ws, sampling, GroundPolygons(ws, sampling), method, hook);
}

}  // namespace vorn
