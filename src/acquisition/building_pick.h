// Reading the picked drawing entities into the working lists and turning them into the
// building's straight 3D edges (BuildingEdges): curves are cut into chords, thickness becomes
// top and vertical edges.
#pragma once

#include "cad/cad_interface.h"
#include "cad/cad_operations.h"
#include "cad/cad_services.h"
#include "geometry/workspace.h"

namespace vorn {

// Empties the entity lists and fills them from the selection's items in order. Returns the
// number of lines, circles and light-weight polylines read.
int ReadPickedEntities(cad::CadSelectionSet& selection, Workspace& ws);

// The converters, always run in this order with a step of 10 degrees (ConvertPickedEntities).
void ExtrudeLines(Workspace& ws);
void PolylinesToLines(Workspace& ws);
void ArcsToLines(Workspace& ws, double stepDegrees);
void CirclesToLines(Workspace& ws, double stepDegrees);
void EllipsesToLines(Workspace& ws, double stepDegrees);

inline constexpr double kCurveStepDegrees = 10.0;
// The five converters in their order, then ClearAryEnt.
void ConvertPickedEntities(Workspace& ws);

struct BuildingCopy {
  double gbzmax = 0.0;              // the highest end, 0 when none is above 0
  bool negativeCoordinate = false;  // some x, y or z below 0
};
// Copies AryLine into BuildingEdges.
BuildingCopy CopyToBuildingEdges(Workspace& ws);

inline constexpr const char* kPromptSelectBuilding = "建物図形を選択して下さい.\r\n";
inline constexpr const char* kPromptNothingSelected = "何も選択されませんでした.\r\n";
inline constexpr const char* kPromptSelected = "図形が選択されました.\r\n";
inline constexpr const char* kSelectionFailed = "選択処理失敗";
inline constexpr const char* kNegativeCoordinates =
    "マイナスの座標が含まれています．\n日影図、天空図が正しく作成されない可能性があります．";

struct PickResult {
  bool accepted = false;  // something was selected and BuildingEdges replaced
  BuildingCopy copy;
};

// The user's selection in the CAD, read and converted into BuildingEdges: the prompts, the
// minimised main window, the message on a failed selection. An empty selection leaves the
// previous building. CAD errors while reading pass to the caller.
PickResult PickBuilding(cad::CadDocument& document, cad::CadSelectionSet& selection, Workspace& ws,
                        const cad::CadLink& link, cad::MainWindowState& mainWindow);

}  // namespace vorn
