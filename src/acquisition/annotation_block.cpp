#include "acquisition/annotation_block.h"

namespace vorn {

namespace {

std::string Interval(const std::string& entry, const std::string& exit) {
  return " [" + entry + "-" + exit + "] ";
}

}  // namespace

std::string AnnotationLineText(const AnnotationRow& row) {
  std::string line = row.name + " " + row.total + Interval(row.times[0], row.times[1]);
  if (!row.times[2].empty()) line += Interval(row.times[2], row.times[3]);
  if (!row.times[4].empty()) line += Interval(row.times[4], row.times[5]);
  return line;
}

std::string AnnotationClosingText(const std::string& planeHeightText, int stepItemIndex) {
  static const char* const kSteps[] = {"10 秒", "30 秒", "60 秒"};
  std::string line = "測定面の高さ= " + planeHeightText + " メートル /評価時間= ";
  if (stepItemIndex >= 0 && stepItemIndex < 3) line += kSteps[stepItemIndex];
  return line;
}

std::vector<AnnotationText> AnnotationLayout(const std::vector<AnnotationRow>& rows,
                                             const std::string& planeHeightText, int stepItemIndex,
                                             double height) {
  std::vector<AnnotationText> texts;
  texts.reserve(rows.size() + 1);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const double r = static_cast<double>(i + 1);
    texts.push_back({AnnotationLineText(rows[i]), {0.0, -2.0 * height * r, 0.0}});
  }
  texts.push_back({AnnotationClosingText(planeHeightText, stepItemIndex), {0.0, 0.0, 0.0}});
  return texts;
}

void AddAnnotationTexts(cad::CadBlock& block, const std::vector<AnnotationText>& texts,
                        double height) {
  for (const AnnotationText& t : texts) {
    const cad::CadEntityPtr text = block.AddText(t.text, t.at, height);
    text->SetScaleFactor(kAnnotationScaleFactor);
  }
}

}  // namespace vorn
