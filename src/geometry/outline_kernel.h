// The outline of a union of shadow quadrilaterals: merge collinear overlaps, split every
// segment at its crossings, drop repeats, then walk around the outside of the resulting planar
// graph taking the tightest turn. All steps work on the lists of a Workspace, which each use
// overwrites; only x and y take part.
//
// The steps that compare all pairs or search the whole list find their partners through a
// spatial index instead; they give exactly the lists, bit for bit and in the same order, that
// the straightforward forms in namespace `reference` give, which stay as their measure.
#pragma once

#include <cstddef>
#include <functional>

#include "geometry/records.h"
#include "geometry/sun_position.h"
#include "geometry/workspace.h"

namespace vorn {

// The single steps, in the order of the standard sequence (the fast forms).
void MergeCollinear(Workspace& ws);
void GetBuildingSpan(Workspace& ws);
void SplitSegments(Workspace& ws);
void SortPointsByDist(std::vector<TTempPoint>& points, const TAcadPoint& from);
void RemoveDuplicates(Workspace& ws);
void GetMinCorner(Workspace& ws);
TAcadPoint FindTraceStart(const Workspace& ws);
double TurnAngle(const TAcadPoint& prev, const TAcadPoint& vertex, const TAcadPoint& candidate);
bool TraceOutline(Workspace& ws);
bool PointInOutline(const TAcadPoint& p, double reach, const LineList& segments);
void RemoveEnclosed(Workspace& ws);
void PruneDangling(Workspace& ws);
void RemoveReversePairs(Workspace& ws);

// AryLine's input segments to the planar set ArySeg: merge, span (x 1000), split, de-duplicate.
// Returns false, with both lists emptied, when an input coordinate is not a finite number.
bool PrepareSegments(Workspace& ws);

// Traces the outline of the region at the lowest point of the left edge of ArySeg's bounding
// box into AryLine.
bool TraceNextOutline(Workspace& ws);

// Removes the region just traced from ArySeg with everything it encloses, then the dangling
// segments that leaves behind.
void DropTracedRegion(Workspace& ws);

struct RegionTrace {
  int outlines = 0;
  bool traceFailed = false;      // a trace failed before the regions were exhausted
  std::size_t segmentsLeft = 0;  // ArySeg's length when the loop ended
  bool stopped = false;          // keepGoing answered false
};

// Traces every separate region of ArySeg (prepared by PrepareSegments), handing each outline
// to onOutline while it is in AryLine. keepGoing is asked before each trace.
RegionTrace TraceAllRegions(Workspace& ws, const std::function<bool()>& keepGoing,
                            const std::function<void(const LineList& outline)>& onOutline);

// The footprint of every building edge on the ground.
void AppendFootprints(const LineList& edges, LineList& out);
// The shadow edge of one building edge and the two sides joining it to the footprint.
void AppendEdgeShadow(const TLineEnt& edge, double h, double direction, double ratio,
                      LineList& out);

enum class OutlineResult {
  Traced,
  TraceFailed,
  NoBuilding,
  InvalidTime,  // no sun position for this time: nothing was computed
  NotFinite,    // a building coordinate is not a finite number
};

// The shadow of BuildingEdges at time t over a plane at height h (mm): AryLine holds the
// outline of the region at the lower-left of the shadow when the result is Traced.
OutlineResult MakeShadowOutline(Workspace& ws, double t, double h);

// The straightforward forms: every pair compared, every vertex searched through the whole list.
// Quadratic; what the fast forms are checked and measured against.
namespace reference {

void MergeCollinear(Workspace& ws);
void GetBuildingSpan(Workspace& ws);
void SplitSegments(Workspace& ws);
void SortPointsByDist(std::vector<TTempPoint>& points, const TAcadPoint& from);
void RemoveDuplicates(Workspace& ws);
bool TraceOutline(Workspace& ws);
bool PointInOutline(const TAcadPoint& p, double reach, const LineList& segments);
void RemoveEnclosed(Workspace& ws);
void PruneDangling(Workspace& ws);
void RemoveReversePairs(Workspace& ws);

bool PrepareSegments(Workspace& ws);
bool TraceNextOutline(Workspace& ws);
void DropTracedRegion(Workspace& ws);
RegionTrace TraceAllRegions(Workspace& ws, const std::function<bool()>& keepGoing,
                            const std::function<void(const LineList& outline)>& onOutline);
OutlineResult MakeShadowOutline(Workspace& ws, double t, double h);

}  // namespace reference

}  // namespace vorn
