// The working lists and scalars that the computations share. The application owns one
// Workspace (held by the main form) and passes it by reference; each use overwrites it.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/progress.h"
#include "geometry/records.h"

namespace vorn {

// Sun values set by each run before it asks for sun positions.
struct SunState {
  double SunDeclination = 0.0;
  double NorthAngle = 0.0;
  double SinLat = 0.0;
  double CosLat = 1.0;
  double SinDecl = 0.0;
  double CosDecl = 1.0;
};

struct Workspace {
  LineList BuildingEdges;
  LineList AryLine;
  LineList ArySeg;
  std::vector<TTempPoint> AryPoint;
  std::vector<TArcEnt> AryArc;
  std::vector<TTextEnt> AryText;
  std::vector<TCircleEnt> AryCircle;
  std::vector<TEllipseEnt> AryEllipse;
  std::vector<TLwpEnt> AryLwp;
  std::vector<TLwpEle> AryLwpEle;
  std::vector<TFaceEnt> AryFace;
  std::vector<TInsertEnt> AryInsert;
  std::vector<TPointEnt> AryPointEnt;
  LineList AryMerge;
  LineList AryKeep;
  std::vector<TTateiti> AryTateiti;

  // The isochrone runs' shadow counters: 2000 x 2000, row-major, sized once by the first run
  // that needs them (src/isochrones/duration_raster.h) and overwritten by every run.
  std::vector<std::uint16_t> DurationGrid;

  SunState sun;

  // The wall last picked for the wall shadows: plan ends, z the height of its top at each end.
  TLineEnt WallLine;

  double BuildingSpan = 0.0;
  TAcadPoint MinCorner;
  TAcadPoint TraceFrom;
  TAcadPoint TraceStart;

  // Set by the runs whose kernel steps drive the progress bar themselves (the sky-factor
  // runs); null while the shadow runs keep the bar. Not owned.
  ProgressSink* KernelProgress = nullptr;

  // Empties the entity lists once acquisition has turned them into lines.
  void ClearAryEnt() {
    AryArc.clear();
    AryCircle.clear();
    AryEllipse.clear();
    AryLwp.clear();
    AryMerge.clear();
    AryInsert.clear();
    AryText.clear();
  }
};

}  // namespace vorn
