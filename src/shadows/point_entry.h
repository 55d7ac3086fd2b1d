// Entering points from the drawing for the point analyses (shadow time at specific points, sky
// factor at measurement points): one by one as the user picks them, or all at once from the
// circle-and-label marks already drawn; then their order and labels for the result grid.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cad/cad_interface.h"
#include "cad/cad_operations.h"
#include "geometry/records.h"

namespace vorn {

inline constexpr const char* kPromptSpecificPoint = "特定点を指示 <Enter=終了> : ";
inline constexpr const char* kPromptMeasurementPoint = "測定点を指示 <Enter=終了> : ";
inline constexpr const char* kPromptPointGiven = "座標が指示されました.\r\n";
inline constexpr const char* kPromptSelectMarks = "測定点の円と文字を一緒に選択して下さい.\r\n";
inline constexpr const char* kPointEntryError = "エラーです．";

// Labels are looked for this far from a point, in x and in y (drawing units).
inline constexpr double kLabelReach = 1000.0;

// The text of the first TEXT entity that a crossing window of ±kLabelReach around p touches;
// empty when there is none. Empties `selection` first.
std::string LabelNearPoint(cad::CadSelectionSet& selection, const TAcadPoint& p);

// The continuous pick through the CAD's own point command: "ID" leaves each picked point in
// LASTPOINT, which stays at the origin when the user ends the command. An error in one pass
// is ignored and the next pass starts. Appends to `points`, labels as LabelNearPoint finds
// them, otherwise the running number.
void PickPointsByIdCommand(cad::CadApplication& application, cad::CadDocument& document,
                           cad::CadSelectionSet& selection, const cad::CadLink& link,
                           std::vector<TTempPoint>& points);

// The continuous pick through Utility.GetPoint, until the user presses Enter or cancels (or
// any other error in a pass).
void PickPointsByInput(cad::CadApplication& application, cad::CadDocument& document,
                       cad::CadSelectionSet& selection, const cad::CadLink& link,
                       const std::string& prompt, std::vector<TTempPoint>& points);

// The batch acquisition after the user's selection: one point per selected circle (its centre,
// its elevation as height), labelled by the first selected text whose insertion point lies
// within ±kLabelReach in x and y (bounds included), else left unlabelled. Replaces `points`;
// nothing happens when no circle was selected. Returns whether points were found.
bool PointsFromMarks(cad::CadSelectionSet& selection, std::vector<TTempPoint>& points);

// The points in grid order: of points at the same plan position only the last survives;
// sorted ascending along the wider side of the bounding box of all points.
struct ArrangedPoints {
  std::vector<TTempPoint> kept;
  double diagonal = 0.0;  // of the bounding box of all points, repeated ones included
};
ArrangedPoints ArrangeTempPoints(std::vector<TTempPoint> points);

// For each kept point in order, the string of the text nearest to it in the plan and closer
// than `reach`, which is then used up (its string emptied; it still competes, so a later point
// may receive an empty label from it). Nothing for a point without such a text.
std::vector<std::optional<std::string>> NearestTextLabels(const std::vector<TTempPoint>& points,
                                                          std::vector<TTextEnt> texts,
                                                          double reach);

}  // namespace vorn
