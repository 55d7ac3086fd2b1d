// The building pick (Button2 and its right-click menu) and the hourly shadow diagram
// (Button3, Button17).
#include <exception>
#include <filesystem>

#include "acquisition/building_pick.h"
#include "app/form_run_monitor.h"
#include "app/main_form.h"
#include "app/number_box.h"
#include "app/undo_marked_document.h"
#include "cad/cad_operations.h"
#include "cad/diagram_insertion.h"
#include "dxf/dxf_document.h"
#include "shadows/hourly_diagram.h"

namespace vorn {

namespace {

inline constexpr const char* kAnimationUnsupported = "[アニメ]には対応していません．";

}  // namespace

void TForm1::Button2Click() {
  Label22.Caption.clear();
  Label2.Caption.clear();
  GB_hyoukaidx = -1;
  GB_toujiidx = -1;
  SetKernelProgress(false);
  if (!cad::IsCadActive(cad_.connector, TargetProgID)) return;
  const cad::CadLink link = MakeCadLink();
  cad::CadDocumentPtr document;
  std::shared_ptr<cad::CadSelectionSet> selection;
  try {
    const cad::CadApplicationPtr application = cad_.connector.GetActiveObject(TargetProgID);
    cad::ActivateCad(*application, link);
    document = application->ActiveDocument();
    selection = cad::GetOrCreateSelectionSet(*document, cad::kVornSelectionSet);
  } catch (const cad::CadError&) {
    return;  // the CAD went away between the test and the pick
  }
  try {
    const PickResult pick = PickBuilding(*document, *selection, workspace, link, MainWindow());
    if (pick.accepted) {
      gbzmax = pick.copy.gbzmax;
      // The preview fits itself anew to the new building.
      GB_cvsc = 0.0;
      UpDown4.SetPosition(60);
      UpDown3.SetPosition(315);
      GB_Draw3dVdeg = 60;
      GB_Draw3dHdeg = 315;
      DrawWaku3D(false);
      if (pick.copy.negativeCoordinate) ShowMessage(kNegativeCoordinates);
    }
  } catch (const std::exception&) {
    // A CAD that fails while the entities are read leaves the previous building.
  }
  shell_.RestoreMainWindow();
  for (TButton* b :
       {&Button3, &Button8, &Button9, &Button11, &Button4, &Button5, &Button6, &Button21, &Button22,
        &Button12, &Button16, &Button20, &Button18, &Button24, &SpeedButton8, &SpeedButton1}) {
    b->Enabled = true;
  }
  try {
    selection->Delete();
  } catch (const cad::CadError&) {
  }
}

bool TForm1::Button2MouseDown(bool rightButton) {
  if (!rightButton) return false;
  N4.Enabled = !workspace.BuildingEdges.empty();
  N8.Enabled = std::filesystem::exists(folders_.ReadPath("dxfnow.dxf"));
  N6.Enabled = std::filesystem::exists(folders_.ReadPath("dxfpre.dxf"));
  return true;
}

void TForm1::N6Click() {
  Label22.Caption.clear();
  Label2.Caption.clear();
  GB_hyoukaidx = -1;
  GB_toujiidx = -1;
  SetKernelProgress(false);
  for (TButton* b :
       {&Button3, &Button17, &Button8, &Button9, &Button11, &Button4, &Button5, &Button6}) {
    b->Enabled = true;
  }
}

void TForm1::Button3Click() {
  SetKernelProgress(false);
  if (cad::IsCadActive(cad_.connector, TargetProgID) && !workspace.BuildingEdges.empty()) {
    DrawVornLine(false);
  }
}

void TForm1::Button17Click() { ShowMessage(kAnimationUnsupported); }

void TForm1::DrawVornLine(bool /*animate*/) {
  if (workspace.BuildingEdges.empty() || !cad::IsCadActive(cad_.connector, TargetProgID)) return;

  // The parameters are read and checked before the CAD is touched, so that a box that is not
  // a number or a time without a sun ends the command with nothing drawn and no undo mark or
  // button state left behind.
  HourlyDiagramParameters params;
  const bool readable = RunCommand([&] {
    ReadShadowParameters();
    params.stepHours = BoxToDouble(Edit11);
  });
  if (!readable) return;
  params.firstHour = GB_kaisi;
  params.lastHour = GB_owari;
  params.planeHeight = GB_takasa;
  params.northDegrees = GB_kita;
  params.layer = Edit27.Text;
  params.textHeight = Edit38.Text;
  params.timeOnly = CheckBox11.Checked;
  if (const auto problem = CheckHourlyTimes(params.firstHour, params.lastHour, params.stepHours)) {
    ShowMessage(*problem);
    return;
  }
  const cad::CadLink link = MakeCadLink();
  UndoMarkedDocument session;
  try {
    session.Open(cad_.connector, TargetProgID, link);
    cad::LoadHiddenLinetype(*session.application, link);
    cad::EnsureLayer(*session.application, params.layer);
    BeginHourlyRun();

    DxfDocument dxf;
    AddFrameOpening(dxf, true);
    ProgressBar1.Max = HourlyTimeCount(params.firstHour, params.lastHour, params.stepHours);
    ProgressBar1.Position = 0;
    FormRunMonitor monitor(*this);
    AppendHourlyOutlines(workspace, params, monitor, dxf);
    ProgressBar1.Position = ProgressBar1.Max;
    // The insertion (and on "PCAD" targets the removal of the block definition it leaves)
    // happens inside the undo mark, so that one undo takes the whole diagram away.
    if (RunningFlag) {
      AddFrameClosing(dxf);
      cad::SaveAndInsertDiagram(*session.application, *session.document, dxf,
                                folders_.OutputFolder(), cad::InsertionRequest{}, link);
    }
    session.Close();
    ProgressBar1.Position = 0;
  } catch (const cad::CadIdleTimeout&) {
    // The user has been told that the CAD stays busy.
  } catch (const cad::CadError&) {
    ShowMessage(kShadowFailed);
  }
  session.CloseLeftOpen();
  EndHourlyRun();
}

}  // namespace vorn
