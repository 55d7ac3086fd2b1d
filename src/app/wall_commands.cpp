// The wall shadows and wall isochrones (Button5 on the isochrone page): the wall pick, the
// elevation with the hourly shadows, and its insertion on the wall line or where the user
// places it.
#include <exception>

#include "app/form_run_monitor.h"
#include "app/main_form.h"
#include "app/number_box.h"
#include "app/undo_marked_document.h"
#include "cad/cad_operations.h"
#include "cad/diagram_insertion.h"
#include "dxf/ascii_case.h"
#include "dxf/dxf_document.h"
#include "dxf/number_format.h"
#include "geometry/point_ops.h"
#include "isochrones/wall_isochrones.h"
#include "shadows/hourly_diagram.h"
#include "shadows/wall_shadows.h"

namespace vorn {

namespace {

constexpr double kRadToDeg = 57.29577951308232;

// The picked entity and whether SNAPMODE has to be switched back on.
struct WallPick {
  cad::CadEntityPtr entity;
  bool picked = false;
};

WallPick PickWallLine(cad::CadDocument& document) {
  WallPick pick;
  const cad::CadValue snap = document.GetVariable("SNAPMODE");
  const bool snapWasOn = std::holds_alternative<int32_t>(snap) && std::get<int32_t>(snap) == 1;
  document.SetVariable("SNAPMODE", int32_t{0});
  const auto utility = document.Utility();
  try {
    pick.entity = utility->GetEntity(kPromptSelectWall).entity;
    pick.picked = true;
  } catch (const cad::CadError&) {
    utility->Prompt(kPromptWallPickFailed);
  }
  // Also after a cancelled pick: the user's snap setting is not ours to keep switched off.
  if (snapWasOn) document.SetVariable("SNAPMODE", int32_t{1});
  return pick;
}

// The user places the elevation as a block; unless it is to stay a block, it is dissolved into
// plain entities and its definition removed.
void InsertByUser(TForm1& form, cad::CadApplication& application, cad::CadDocument& document,
                  const cad::SavedDiagram& saved, bool asBlock, const cad::CadLink& link) {
  form.shell().MinimizeMainWindow();
  const int64_t last = cad::GetLastObjectID(document);
  cad::InsertSavedDiagram(application, document, saved,
                          cad::Insertion(cad::InsertionForm::kBlockByUser, "0", "0", "0.0"), link);
  cad::WaitCadIdle(application, 200, link);
  document.Regen(0);
  const int64_t now = cad::GetLastObjectID(document);
  if (now != last && !asBlock) {
    bool done = false;
    try {
      const cad::CadEntityPtr placed = document.ObjectIDToObject(now);
      if (placed->EntityName() == cad::kAcDbBlockReference) {
        if (UpperAscii(placed->Name()) == UpperAscii(saved.blockName)) {
          placed->Explode();
          placed->Delete();
          cad::DeleteBlockDef(document, saved.blockName);
          done = true;
        }
      } else {
        done = true;  // something else came last: nothing of ours to dissolve
      }
    } catch (const cad::CadError&) {
    }
    if (!done) form.ShowMessage(saved.blockName + kExplodePurgeFailed);
  }
  form.shell().RestoreMainWindow();
}

// Label24, Label26 and the progress bar as the wall isochrones report to them.
WallIsochroneView WallIsochroneLabels(TForm1& form) {
  return WallIsochroneView{[&form](const std::string& text) { form.Label24.Caption = text; },
                           [&form](const std::string& text) { form.Label26.Caption = text; },
                           [&form](int maximum, int position) {
                             form.ProgressBar1.Max = maximum;
                             form.ProgressBar1.Position = position;
                           }};
}

}  // namespace

void TForm1::Button5Click() {
  SetKernelProgress(false);
  // The boxes are read and checked before the CAD is touched.
  WallDiagramParameters params;
  const bool readable = RunCommand([&] {
    ReadShadowParameters();
    params.stepHours = BoxToDouble(Edit11);
    params.textHeightValue = BoxToDouble(Edit38);
  });
  if (!readable) return;
  params.firstHour = GB_kaisi;
  params.lastHour = GB_owari;
  params.northDegrees = GB_kita;
  params.layer = Edit29.Text;
  params.frameLayer = Edit30.Text;
  params.textHeight = Edit38.Text;
  params.onWallLine = CheckBox4.Checked;
  WallIsochroneParameters isochrones;
  isochrones.firstHour = GB_kaisi;
  isochrones.lastHour = GB_owari;
  isochrones.stepItem = RadioGroup6.ItemIndex;
  isochrones.smoothing = UpDown5.Position;
  isochrones.drawing = params;
  if (const auto problem = CheckHourlyTimes(params.firstHour, params.lastHour, params.stepHours)) {
    ShowMessage(*problem);
    return;
  }
  DxfDocument dxf;
  AddFrameOpening(dxf, true);
  if (!cad::IsCadActive(cad_.connector, TargetProgID)) return;

  const cad::CadLink link = MakeCadLink();
  UndoMarkedDocument session;
  cad::CadEntityPtr picked;
  bool runStarted = false;
  try {
    session.Open(cad_.connector, TargetProgID, link);
    cad::CadApplication& application = *session.application;
    cad::CadDocument& document = *session.document;
    shell_.MinimizeMainWindow();
    const WallPick pick = PickWallLine(document);
    if (pick.picked) {
      picked = pick.entity;
      shell_.RestoreMainWindow();
      if (picked->EntityName() == cad::kAcDbLine) {
        document.Utility()->Prompt(kPromptWallPicked);
        TLineEnt line;
        line.st = picked->StartPoint();
        line.ed = picked->EndPoint();
        line.atumi = picked->Thickness();
        workspace.AryLine.assign(1, line);
        workspace.ClearAryEnt();
        const std::optional<TLineEnt> wall =
            workspace.BuildingEdges.empty() ? std::nullopt
                                            : OrientWall(line, workspace.BuildingEdges.front().st);
        if (wall) {
          workspace.WallLine = WallWithHeights(*wall, gbzmax, line.atumi);
          cad::LoadHiddenLinetype(application, link);
          cad::EnsureLayer(application, params.frameLayer);
          cad::EnsureLayer(application, params.layer);
          BeginIsochroneRun();
          runStarted = true;
          FormRunMonitor monitor(*this);
          bool drawn = DrawKabeLine(workspace, params, monitor, dxf);
          if (drawn) {
            // Nothing is inserted, not even the frame, unless a wall isochrone was drawn.
            const WallIsochroneEnd end =
                DrawKabeTouji(workspace, isochrones, monitor, WallIsochroneLabels(*this), dxf);
            if (end == WallIsochroneEnd::kNoRange) {
              shell_.ShowMessage(kWallIsochronesCaption, kWallIsochronesImpossible);
            }
            if (end == WallIsochroneEnd::kStopped) RunEsc();
            drawn = end == WallIsochroneEnd::kDrawn;
          }
          EndIsochroneRun();
          runStarted = false;
          if (drawn) {
            AddFrameClosing(dxf);
            const auto saved = cad::SaveDiagramFile(document, dxf, folders_.OutputFolder(), link);
            if (saved && CheckBox4.Checked) {
              const TLineEnt& w = workspace.WallLine;
              const auto form = CheckBox12.Checked ? cad::InsertionForm::kBlockRotated
                                                   : cad::InsertionForm::kExplodedRotated;
              cad::InsertSavedDiagram(
                  application, document, *saved,
                  cad::Insertion(form, FormatGeneral(w.st.x), FormatGeneral(w.st.y),
                                 FormatGeneral(PointAngle(w.st, w.ed) * kRadToDeg)),
                  link);
            } else if (saved) {
              InsertByUser(*this, application, document, *saved, CheckBox12.Checked, link);
            }
          }
        }
      }
      picked->Highlight(false);
    }
  } catch (const cad::CadIdleTimeout&) {
    // The user has been told that the CAD stays busy.
  } catch (const cad::CadError&) {
    // A CAD call failed: the steps end here and the window and undo mark are put right.
  }
  if (runStarted) EndIsochroneRun();
  shell_.RestoreMainWindow();
  session.CloseLeftOpen(true);
}

}  // namespace vorn
