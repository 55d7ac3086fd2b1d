#include "geometry/spatial_index.h"

#include <algorithm>
#include <limits>

namespace vorn {

namespace {

uint64_t Mix(uint64_t v) {
  v ^= v >> 33;
  v *= 0xff51afd7ed558ccdULL;
  v ^= v >> 33;
  v *= 0xc4ceb9fe1a85ec53ULL;
  v ^= v >> 33;
  return v;
}

}  // namespace

CellHash::CellHash(std::vector<Entry> entries) {
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    if (a.cx != b.cx) return a.cx < b.cx;
    if (a.cy != b.cy) return a.cy < b.cy;
    return a.item < b.item;
  });
  items_.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i == 0 || entries[i].cx != entries[i - 1].cx || entries[i].cy != entries[i - 1].cy) {
      const auto at = static_cast<uint32_t>(items_.size());
      cells_.push_back({entries[i].cx, entries[i].cy, at, at});
    }
    items_.push_back(entries[i].item);
    cells_.back().end = static_cast<uint32_t>(items_.size());
  }
  std::size_t size = 16;
  while (size < 2 * cells_.size()) size *= 2;
  mask_ = size - 1;
  table_.assign(size, -1);
  for (std::size_t c = 0; c < cells_.size(); ++c) {
    std::size_t slot = Slot(cells_[c].cx, cells_[c].cy);
    while (table_[slot] >= 0) slot = (slot + 1) & mask_;
    table_[slot] = static_cast<int32_t>(c);
  }
}

std::size_t CellHash::Slot(int64_t cx, int64_t cy) const {
  const uint64_t h =
      Mix(static_cast<uint64_t>(cx) * 0x9e3779b97f4a7c15ULL ^ static_cast<uint64_t>(cy));
  return static_cast<std::size_t>(h) & mask_;
}

std::span<const uint32_t> CellHash::Items(int64_t cx, int64_t cy) const {
  if (table_.empty()) return {};
  for (std::size_t slot = Slot(cx, cy);; slot = (slot + 1) & mask_) {
    const int32_t c = table_[slot];
    if (c < 0) return {};
    const Cell& cell = cells_[static_cast<std::size_t>(c)];
    if (cell.cx == cx && cell.cy == cy) {
      return {items_.data() + cell.begin, static_cast<std::size_t>(cell.end - cell.begin)};
    }
  }
}

NearPointIndex::NearPointIndex(const std::vector<Point>& points, double tol) : tol_(tol) {
  // Cells at least four tolerances wide, so a query spans two or three cells in each
  // direction; wide enough that the cell numbers of huge coordinates stay far inside int64.
  double largest = 0.0;
  for (const Point& p : points) {
    largest = std::fmax(largest, std::fmax(std::fabs(p.pt.x), std::fabs(p.pt.y)));
  }
  size_ = std::fmax(4 * tol, std::ldexp(largest, -50));
  std::vector<CellHash::Entry> entries;
  entries.reserve(points.size());
  for (const Point& p : points) entries.push_back({CellOf(p.pt.x), CellOf(p.pt.y), p.item});
  cells_ = CellHash(std::move(entries));
}

int64_t NearPointIndex::CellOf(double v) const {
  // Rounding is monotone, so a point within tol of a query lies between the cells of
  // query - tol and query + tol as computed here. Far-away and non-numbers share edge cells.
  const double c = std::floor(v / size_);
  constexpr double kLimit = 4.0e18;
  if (!(c > -kLimit)) return static_cast<int64_t>(-kLimit);
  if (c > kLimit) return static_cast<int64_t>(kLimit);
  return static_cast<int64_t>(c);
}

UniformGrid::UniformGrid(double minX, double minY, double maxX, double maxY, double cellSize,
                         std::size_t maxCells)
    : minX_(minX), minY_(minY) {
  const double width = std::fmax(maxX - minX, 0.0);
  const double height = std::fmax(maxY - minY, 0.0);
  const double cap = static_cast<double>(std::max<std::size_t>(maxCells, 1));
  double size = cellSize;
  if (!(size > 0.0) || !std::isfinite(size)) size = std::fmax(width, height);
  if (!(size > 0.0)) size = 1.0;
  const auto count = [&](double extent) { return std::fmin(std::ceil(extent / size), 1e9); };
  while (std::fmax(count(width), 1.0) * std::fmax(count(height), 1.0) > cap) size *= 1.5;
  size_ = size;
  nx_ = static_cast<std::size_t>(std::fmax(count(width), 1.0));
  ny_ = static_cast<std::size_t>(std::fmax(count(height), 1.0));
  const double largest = std::fmax(std::fmax(std::fabs(minX), std::fabs(maxX)),
                                   std::fmax(std::fabs(minY), std::fabs(maxY)));
  slop_ = 1e-9 * (size_ + largest);
}

}  // namespace vorn
