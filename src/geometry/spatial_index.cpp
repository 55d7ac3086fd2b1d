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

CellHash::CellHash(const std::vector<Entry>& entries) {
  std::size_t size = 16;
  while (size < 2 * entries.size()) size *= 2;
  mask_ = size - 1;
  table_.assign(size, -1);
  // Count the items of each distinct cell, then place them in entry order.
  std::vector<uint32_t> cellOf(entries.size());
  for (std::size_t e = 0; e < entries.size(); ++e) {
    std::size_t slot = Slot(entries[e].cx, entries[e].cy);
    while (true) {
      const int32_t c = table_[slot];
      if (c < 0) {
        table_[slot] = static_cast<int32_t>(cells_.size());
        cells_.push_back({entries[e].cx, entries[e].cy, 0, 0});
        break;
      }
      const Cell& cell = cells_[static_cast<std::size_t>(c)];
      if (cell.cx == entries[e].cx && cell.cy == entries[e].cy) break;
      slot = (slot + 1) & mask_;
    }
    const auto c = static_cast<uint32_t>(table_[slot]);
    cellOf[e] = c;
    ++cells_[c].end;
  }
  uint32_t at = 0;
  for (Cell& cell : cells_) {
    cell.begin = at;
    at += cell.end;
    cell.end = cell.begin;
  }
  items_.resize(entries.size());
  for (std::size_t e = 0; e < entries.size(); ++e)
    items_[cells_[cellOf[e]].end++] = entries[e].item;
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
  // Cells a thousand tolerances wide, so a query mostly looks into one cell and never into more
  // than two in each direction; wide enough that the cell numbers of huge coordinates stay far
  // inside int64.
  double largest = 0.0;
  for (const Point& p : points) {
    largest = std::fmax(largest, std::fmax(std::fabs(p.pt.x), std::fabs(p.pt.y)));
  }
  inverse_ = 1.0 / std::fmax(1000 * tol, std::ldexp(largest, -50));
  std::vector<CellHash::Entry> entries;
  entries.reserve(points.size());
  for (const Point& p : points) entries.push_back({CellOf(p.pt.x), CellOf(p.pt.y), p.item});
  cells_ = CellHash(entries);
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
  inverse_ = 1.0 / size;
  nx_ = static_cast<std::size_t>(std::fmax(count(width), 1.0));
  ny_ = static_cast<std::size_t>(std::fmax(count(height), 1.0));
  const double largest = std::fmax(std::fmax(std::fabs(minX), std::fabs(maxX)),
                                   std::fmax(std::fabs(minY), std::fabs(maxY)));
  slop_ = 1e-9 * (size_ + largest);
}

}  // namespace vorn
