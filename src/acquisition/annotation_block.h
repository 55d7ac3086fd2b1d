// The annotation block of the shadow times at specific points: one text line per point (name,
// total, up to three shadow intervals) below a closing line with the plane height and the
// evaluation step, built into a block for the user to place.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "cad/cad_interface.h"
#include "geometry/records.h"

namespace vorn {

// Width factor of every annotation text.
inline constexpr double kAnnotationScaleFactor = 0.8;

// One grid row's cells: name, total, and entry/exit 1-3 (grid columns 3-10).
struct AnnotationRow {
  std::string name;
  std::string total;
  std::array<std::string, 6> times;
};

// name + " " + total + " [" + entry 1 + "-" + exit 1 + "] ", then " [entry-exit] " for the
// second and third interval when their entry is given.
std::string AnnotationLineText(const AnnotationRow& row);

// "測定面の高さ= <plane> メートル /評価時間= " and the step of the radio item (nothing for an
// item without one).
std::string AnnotationClosingText(const std::string& planeHeightText, int stepItemIndex);

struct AnnotationText {
  std::string text;
  TAcadPoint at;
};

// The closing line at the origin, then row r (1, 2, ...) at y = -2 * height * r.
std::vector<AnnotationText> AnnotationLayout(const std::vector<AnnotationRow>& rows,
                                             const std::string& planeHeightText, int stepItemIndex,
                                             double height);

// Adds the texts to the block with the given height and the annotation width factor.
void AddAnnotationTexts(cad::CadBlock& block, const std::vector<AnnotationText>& texts,
                        double height);

}  // namespace vorn
