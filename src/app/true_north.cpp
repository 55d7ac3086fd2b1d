// The true-north pick: the user shows a direction with two points in the drawing.
#include <optional>

#include "app/main_form.h"
#include "dxf/number_format.h"

namespace vorn {

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;

// The document of the running target CAD, brought to the front; nothing when it went away.
cad::CadDocumentPtr ActiveDocumentOf(TForm1& form) {
  try {
    auto application = form.cad().connector.GetActiveObject(form.TargetProgID);
    cad::ActivateCad(*application, form.MakeCadLink());
    auto document = application->ActiveDocument();
    document->SetVariable("BLIPMODE", int32_t{1});
    return document;
  } catch (const cad::CadError&) {
    return nullptr;
  }
}

}  // namespace

void TForm1::SpeedButton1Click() {
  if (!cad::IsCadActive(cad_.connector, TargetProgID)) return;
  const cad::CadDocumentPtr document = ActiveDocumentOf(*this);
  if (!document) return;
  workspace.AryPoint.clear();
  shell_.MinimizeMainWindow();
  try {
    auto utility = document->Utility();
    const double radians = utility->GetAngle(std::nullopt, "真北の方向（角度）を指示 : ");
    const std::string degrees = FormatFixed(radians * kDegreesPerRadian, 4);
    Edit12.Text = degrees;
    utility->Prompt("指示された角度 : " + degrees + "\r\n");
  } catch (const cad::CadError&) {
    // A cancelled pick ends the command quietly; Edit12 keeps its value.
  }
  try {
    document->SetVariable("BLIPMODE", int32_t{0});
  } catch (const cad::CadError&) {
  }
  workspace.AryPoint.clear();
  shell_.RestoreMainWindow();
}

}  // namespace vorn
