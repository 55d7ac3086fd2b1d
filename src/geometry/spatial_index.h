// Spatial indexes for the geometry steps that would otherwise compare every pair: integer
// cells of the plane hashed to the items filed in them, the same-point lookup built on them,
// and a uniform grid over a bounding box with the cells near a segment.
//
// They only narrow down candidates: callers apply their exact predicate to what comes back, so
// every lookup is built to return a superset of the items the predicate could accept.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "geometry/records.h"

namespace vorn {

// Integer cells mapped to the items filed in them, built once. The items of one cell come back
// in the order they were given.
class CellHash {
 public:
  struct Entry {
    int64_t cx;
    int64_t cy;
    uint32_t item;
  };

  CellHash() = default;
  explicit CellHash(const std::vector<Entry>& entries);

  std::span<const uint32_t> Items(int64_t cx, int64_t cy) const;

 private:
  struct Cell {
    int64_t cx;
    int64_t cy;
    uint32_t begin;
    uint32_t end;
  };
  std::size_t Slot(int64_t cx, int64_t cy) const;

  std::vector<uint32_t> items_;
  std::vector<Cell> cells_;
  std::vector<int32_t> table_;  // index into cells_, -1 for an empty slot
  std::size_t mask_ = 0;
};

// Points filed by position so that every point within `tol` of a query in x and in y is found
// (the same-point test: tol > |dx| and tol > |dy|). Each point carries an item number.
class NearPointIndex {
 public:
  struct Point {
    TAcadPoint pt;
    uint32_t item;
  };

  NearPointIndex(const std::vector<Point>& points, double tol);

  // Calls f(item) for every filed point that may be within tol of p (and some that are not).
  template <typename F>
  void ForEachNear(const TAcadPoint& p, F&& f) const {
    const int64_t x0 = CellOf(p.x - tol_);
    const int64_t x1 = CellOf(p.x + tol_);
    const int64_t y0 = CellOf(p.y - tol_);
    const int64_t y1 = CellOf(p.y + tol_);
    for (int64_t cx = x0; cx <= x1; ++cx) {
      for (int64_t cy = y0; cy <= y1; ++cy) {
        for (uint32_t item : cells_.Items(cx, cy)) f(item);
      }
    }
  }

 private:
  // Rounding is monotone, so a point within tol of a query lies between the cells of
  // query - tol and query + tol as computed here. Far-away and non-numbers share edge cells.
  int64_t CellOf(double v) const {
    const double c = v * inverse_;
    constexpr double kLimit = 4.0e18;
    if (!(c > -kLimit)) return static_cast<int64_t>(-kLimit);
    if (c > kLimit) return static_cast<int64_t>(kLimit);
    const auto t = static_cast<int64_t>(c);
    return static_cast<double>(t) > c ? t - 1 : t;
  }

  double tol_;
  double inverse_ = 1.0;
  CellHash cells_;
};

// A uniform grid of square cells over a bounding box; coordinates outside the box fall into
// its border cells.
class UniformGrid {
 public:
  // cellSize is a wish: the grid never has more than maxCells cells.
  UniformGrid(double minX, double minY, double maxX, double maxY, double cellSize,
              std::size_t maxCells);

  std::size_t CellCount() const { return nx_ * ny_; }
  std::size_t CellOf(const TAcadPoint& p) const { return Row(p.y) * nx_ + Column(p.x); }

  // Calls f(cell) for every cell that holds a point within r, in x and in y, of the segment
  // a-b (and maybe a few more); each cell once.
  template <typename F>
  void ForEachCellNear(const TAcadPoint& a, const TAcadPoint& b, double r, F&& f) const {
    r += slop_;
    const double xlo = std::min(a.x, b.x) - r;
    const double xhi = std::max(a.x, b.x) + r;
    const std::size_t c0 = Column(xlo);
    const std::size_t c1 = Column(xhi);
    const double dx = b.x - a.x;
    for (std::size_t c = c0; c <= c1; ++c) {
      // The part of the segment whose x comes within r of this column.
      double ylo = std::min(a.y, b.y);
      double yhi = std::max(a.y, b.y);
      if (dx != 0.0 && c0 != c1) {
        const double left = (c == c0 ? xlo : minX_ + static_cast<double>(c) * size_) - r;
        const double right = (c == c1 ? xhi : minX_ + static_cast<double>(c + 1) * size_) + r;
        const double t1 = std::clamp((left - a.x) / dx, 0.0, 1.0);
        const double t2 = std::clamp((right - a.x) / dx, 0.0, 1.0);
        const double y1 = a.y + t1 * (b.y - a.y);
        const double y2 = a.y + t2 * (b.y - a.y);
        ylo = std::min(y1, y2);
        yhi = std::max(y1, y2);
      }
      const std::size_t r0 = Row(ylo - r);
      const std::size_t r1 = Row(yhi + r);
      for (std::size_t row = r0; row <= r1; ++row) f(row * nx_ + c);
    }
  }

 private:
  std::size_t Column(double x) const { return Clamped((x - minX_) * inverse_, nx_); }
  std::size_t Row(double y) const { return Clamped((y - minY_) * inverse_, ny_); }
  static std::size_t Clamped(double v, std::size_t n) {
    if (!(v > 0.0)) return 0;
    if (v >= static_cast<double>(n - 1)) return n - 1;
    return static_cast<std::size_t>(v);
  }

  double minX_;
  double minY_;
  double size_;
  double inverse_;
  double slop_;  // covers the round-off of the cell arithmetic
  std::size_t nx_ = 1;
  std::size_t ny_ = 1;
};

}  // namespace vorn
