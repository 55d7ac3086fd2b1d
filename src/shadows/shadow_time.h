// The shadow time at specific points: the day sampled at a fixed evaluation step, each point
// tested at every sample against the building's shadow, and per point the total time in shadow
// with the entry and exit times of up to three shadow periods.
//
// A point is in shadow at an instant when it lies inside or on the edge of the shadow
// quadrilateral of some building edge (footprint, shadow edge and the two sides joining them;
// a quadrilateral that degenerates to a segment still holds the points on it). That is the
// building's shadow whichever separate region the point belongs to, while a lit courtyard that
// the shadow encloses stays lit.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "geometry/records.h"
#include "geometry/run_monitor.h"
#include "geometry/sun_position.h"
#include "geometry/workspace.h"

namespace vorn {

// The evaluation steps of the radio group's items, in seconds.
inline constexpr std::array<int, 4> kEvaluationSeconds = {10, 30, 60, 120};

// The step W in minutes for an item of the step radio group, divided by 10 with the 1/10
// option; an item without a step gives 0, which becomes one second (1/60 minute).
double EvaluationStepMinutes(int itemIndex, bool tenth);

// trunc((last - first) * 60 / W): samples run from `first` up to but not including `last`.
int PointTimeSampleCount(double firstHour, double lastHour, double stepMinutes);
// The time of sample i in hours.
double PointTimeSample(double firstHour, double stepMinutes, int i);

// One building edge's shadow on the plane: footprint start, footprint end, shadow of the end,
// shadow of the start (a trapezoid, possibly degenerate), with its plan bounding box.
struct ShadowQuad {
  std::array<TAcadPoint, 4> c;
  double xmin = 0.0, ymin = 0.0, xmax = 0.0, ymax = 0.0;
};

ShadowQuad MakeShadowQuad(const TLineEnt& edge, double h, double direction, double ratio);

// Inside or within kSamePointTol of the quadrilateral's boundary.
bool PointInShadowQuad(const TAcadPoint& p, const ShadowQuad& q);

// The in/out state of every point at every given time: states[s * points.size() + k] is 1 when
// point k is in shadow at times[s]. A time without a sun position casts no shadow.
//
// The reference form takes each sample and point on its own: sun position, every edge's
// quadrilateral, the test. The fast form computes the sun and the quadrilaterals once per
// sample, skips quadrilaterals whose box cannot hold the point, and splits the samples over
// `threads` workers; its states are identical to the reference's.
void ShadowStatesReference(const LineList& edges, const SunState& sun, double h,
                           const std::vector<double>& times, const std::vector<TAcadPoint>& points,
                           std::vector<uint8_t>& states);
void ShadowStatesFast(const LineList& edges, const SunState& sun, double h,
                      const std::vector<double>& times, const std::vector<TAcadPoint>& points,
                      std::vector<uint8_t>& states, int threads);

// The workers the fast form uses on this machine.
int ShadowStateThreads();

// The result cells of one point row: total (grid column 4) and entry/exit 1-3 (columns 5-10),
// and the samples counted in shadow.
struct PointShadowRecord {
  std::array<std::string, 7> cells;
  int samplesInShadow = 0;

  std::string& total() { return cells[0]; }
  const std::string& total() const { return cells[0]; }
  // Column 5 + i.
  std::string& time(int i) { return cells[static_cast<std::size_t>(i + 1)]; }
  const std::string& time(int i) const { return cells[static_cast<std::size_t>(i + 1)]; }
};

// One sample's state at time text s: an entry opens the next free period, an exit closes the
// open one; a fourth period is counted but not listed.
void RecordShadowSample(PointShadowRecord& r, bool inside, const std::string& s);
// After the last sample: the total, and the open period closed at the end of the last step.
void CloseShadowRecord(PointShadowRecord& r, double stepMinutes, double lastSampleHour);

struct PointTimeRow {
  bool hasPoint = false;  // rows without both coordinates take no part
  TAcadPoint p;
  PointShadowRecord record;
};

struct PointTimeParameters {
  double firstHour = 8.0;
  double lastHour = 16.0;
  double stepMinutes = 0.5;
  double planeHeight = 0.0;  // mm
  bool referenceForm = false;
};

enum class PointTimeRunEnd { kCompleted, kStopped };

// Samples the day for every row with a point (the sun values in ws.sun already set). The
// monitor is asked once per sample whether to go on and lets pending events through; its
// progress advances by one per sample after the first. A stop leaves the records filled so far
// and no totals.
PointTimeRunEnd RunPointTimes(const Workspace& ws, const PointTimeParameters& params,
                              RunMonitor& monitor, std::vector<PointTimeRow>& rows);

}  // namespace vorn
