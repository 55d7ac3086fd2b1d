// The deemed boundary lines (Button20 on the second settings page) and its neighbour Button19.
#include <exception>

#include "acquisition/building_pick.h"
#include "app/main_form.h"
#include "app/undo_marked_document.h"
#include "cad/cad_operations.h"
#include "cad/diagram_insertion.h"
#include "dxf/dxf_document.h"
#include "shadows/deemed_boundary.h"

namespace vorn {

namespace {

// The site's entities into AryLine as plan segments. The texts of the selection stay in
// AryText. Returns whether anything was read.
bool ReadSite(cad::CadDocument& document, Workspace& ws) {
  bool read = false;
  std::shared_ptr<cad::CadSelectionSet> selection;
  try {
    selection = cad::GetTempSelectionSet(document);
    document.Utility()->Prompt(kPromptSelectSite);
    selection->SelectOnScreen();
    read = ReadPickedEntities(*selection, ws) > 0 || !ws.AryArc.empty() || !ws.AryEllipse.empty();
  } catch (const std::exception&) {
    // A cancelled or failed selection reads nothing.
  }
  if (selection) {
    try {
      selection->Delete();
    } catch (const cad::CadError&) {
    }
  }
  if (read) {
    ExtrudeLines(ws);
    PolylinesToLines(ws);
    ArcsToLines(ws, kCurveStepDegrees);
    CirclesToLines(ws, kCurveStepDegrees);
    EllipsesToLines(ws, kCurveStepDegrees);
  }
  return read;
}

}  // namespace

void TForm1::Button19Click() {}  // "線分化" has no action

void TForm1::Button20Click() {
  if (!cad::IsCadActive(cad_.connector, TargetProgID)) return;
  const cad::CadLink link = MakeCadLink();
  UndoMarkedDocument session;
  try {
    session.Open(cad_.connector, TargetProgID, link);
    shell_.MinimizeMainWindow();
    const bool read = ReadSite(*session.document, workspace);
    shell_.RestoreMainWindow();
    if (read) {
      DxfDocument dxf;
      AddFrameOpening(dxf, false);
      switch (MakeKyoukaisen(workspace, dxf)) {
        case BoundaryResult::kTooFewSegments:
          break;
        case BoundaryResult::kTraceFailed:
          session.document->Utility()->Prompt(kPromptBoundaryFailed);
          break;
        case BoundaryResult::kDrawn:
          AddFrameClosing(dxf);
          // Inside the undo mark, so that one undo takes both lines away.
          cad::SaveAndInsertDiagram(
              *session.application, *session.document, dxf, folders_.OutputFolder(),
              cad::Insertion(cad::InsertionForm::kExplodedAtOriginSplit), link);
          break;
      }
    }
    session.Close();
  } catch (const cad::CadError&) {
    // The CAD went away or refused a call: nothing more can be drawn.
  }
  shell_.RestoreMainWindow();
  session.CloseLeftOpen();
}

}  // namespace vorn
