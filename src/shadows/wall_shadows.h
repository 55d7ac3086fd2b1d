// Wall shadows (壁面): the building's shadow on the vertical plane of a neighbour's wall, drawn
// in the wall's elevation (u along the wall from WallLine.st toward WallLine.ed, v the height
// above the ground) with the wall's frame and one outline per time step.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "dxf/dxf_document.h"
#include "geometry/records.h"
#include "geometry/run_monitor.h"
#include "geometry/workspace.h"

namespace vorn {

inline constexpr const char* kPromptSelectWall = "壁面の線分を選択して下さい : ";
inline constexpr const char* kPromptWallPickFailed = "線分取得失敗\r\n";
inline constexpr const char* kPromptWallPicked = "線分が選択されました.\r\n";
inline constexpr const char* kExplodePurgeFailed = " の分解、パージに失敗しました．";
// The height of a wall whose ends are both at 0 when the building gives none either, mm.
inline constexpr double kDefaultWallHeight = 20000.0;
inline constexpr int kWallFrameColour = 251;

// The picked line turned so that WallLine.st is the end on the right of someone standing on
// the wall and facing the building (its first edge's start). Nothing when the perpendicular
// from that point does not meet the wall's line.
std::optional<TLineEnt> OrientWall(const TLineEnt& picked, const TAcadPoint& buildingPoint);

// Each end's z: 0 becomes the building's highest point, and a thickness above the end's z
// raises it to the thickness.
TLineEnt WallWithHeights(TLineEnt wall, double gbzmax, double thickness);

// m: the wall's plan length. H: its height, kDefaultWallHeight when neither end is above 0.
double WallLength(const TLineEnt& wall);
double WallHeight(const TLineEnt& wall);

// The elevation coordinates (u, v, 0) of a point of the wall's vertical plane.
TAcadPoint ToWallElevation(const TLineEnt& wall, const TAcadPoint& p);

// The wall shadow quadrilaterals of every building edge at time t (3D points on the wall
// plane), appended to AryLine. With the reach test, nothing is appended unless some edge's
// ground shadow reaches the wall's line prolonged a hundred times its length each way. Nothing
// either when the sun has no position at t.
void BuildWallQuads(Workspace& ws, double t, bool reachTest);

// NorthAngle from true north in degrees, with angles below 1e-5 taken as 0.
double WallNorthAngle(double northDegrees);

// The outline of the shadow on the wall at t, in elevation coordinates, left in AryLine (with
// ArySeg prepared for the further regions). ws.sun must hold the latitude and declination.
bool MakeKabeLine(Workspace& ws, double northDegrees, double t, bool reachTest);

struct ElevationBox {
  double xmin = 0.0, ymin = 0.0, xmax = 0.0, ymax = 0.0;
};

// Widens the box by every wall shadow quadrilateral at the whole hours from firstHour while
// not after lastHour (with the reach test). ws.sun must be set, NorthAngle included.
void GetKabeHani(Workspace& ws, double firstHour, double lastHour, ElevationBox& box);

// The segments trimmed to the wall face 0 <= u <= m, 0 <= v <= H (no top when H <= 0), in
// order; segments of no length or wholly outside are dropped.
LineList ClipToWallRect(const LineList& segments, double m, double H);

// The kept segments as chains: a new chain wherever a segment does not start at the previous
// one's end. A chain's points are its first start and every end.
std::vector<std::vector<TAcadPoint>> WallChains(const LineList& kept);

struct WallDiagramParameters {
  double firstHour = 8.0;
  double lastHour = 16.0;
  double stepHours = 1.0;
  double northDegrees = 90.0;
  std::string layer = "VORN_HEKIMEN";     // shadow lines and labels
  std::string frameLayer = "VORN_HWAKU";  // the elevation's frame
  std::string textHeight = "300.0";       // written as the user typed it
  double textHeightValue = 300.0;
  bool onWallLine = true;  // the result lies on the wall line: no frame line at the ground
};

// The frame: height lines every metre (dashed at odd metres), length lines every 5 m and the
// end line.
void AppendWallFrame(DxfDocument& doc, double m, double H, const WallDiagramParameters& params);

// One outline's chains on the wall with a time label each.
void AppendWallOutline(DxfDocument& doc, const LineList& outline, double t, double m, double H,
                       const WallDiagramParameters& params);

// The frame and every time's outlines on the wall ws.WallLine (ws.sun holding the latitude
// and declination). False when there is no building.
bool DrawKabeLine(Workspace& ws, const WallDiagramParameters& params, RunMonitor& monitor,
                  DxfDocument& doc);

}  // namespace vorn
