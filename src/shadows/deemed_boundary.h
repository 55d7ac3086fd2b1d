// The deemed boundary lines (みなし境界線): two closed lines 5 m and 10 m outside a site's
// outline, sharp where the outline turns inward and rounded about the outline's vertices where
// it turns outward.
#pragma once

#include <vector>

#include "dxf/dxf_document.h"
#include "geometry/records.h"
#include "geometry/workspace.h"

namespace vorn {

inline constexpr const char* kPromptSelectSite = "敷地の線分、ポリラインを選択 : \r\n";
inline constexpr const char* kPromptBoundaryFailed = "\r\nみなし境界線の作成に失敗しました.\r\n";
inline constexpr const char* kBoundaryLayer = "0";
// The distances of the two lines outside the site, mm.
inline constexpr double kBoundaryStep = 5000.0;

// The closed line `d` outside a counter-clockwise outline: its vertices from the end of the
// first offset segment, a bulge on each vertex that starts a corner arc. The arcs are appended
// to `arcs` (centre = outline vertex, radius d, angles in degrees), the offset segments (with a
// copy of the first at the end, id 0 for a clipped corner, else the arc's number in `arcs`)
// are left in `offsets`. A corner whose turn is within the kernel's angle tolerance is straight.
std::vector<DxfVertex> OffsetOutline(const LineList& outline, double d, std::vector<TArcEnt>& arcs,
                                     LineList& offsets);

enum class BoundaryResult {
  kTooFewSegments,  // nothing to do, no message
  kTraceFailed,     // the site outline could not be traced
  kDrawn,
};

// Traces the outline of the segments in AryLine and appends both lines (layer "0", closed) to
// `doc`, whose frame the caller writes. Empties AryArc, AryKeep and AryLine afterwards.
BoundaryResult MakeKyoukaisen(Workspace& ws, DxfDocument& doc);

}  // namespace vorn
