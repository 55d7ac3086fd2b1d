// The specific points and measurement points: their entry from the drawing (Button21, Button12,
// Button22, Button16, and Button4 through AutoCAD's command line), the shadow time at the
// specific points (Button23 "再計算" / "中止") and the annotation of the results (Button15 "作成").
#include <cmath>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/annotation_block.h"
#include "app/form_run_monitor.h"
#include "app/main_form.h"
#include "app/number_box.h"
#include "app/result_grids.h"
#include "app/undo_marked_document.h"
#include "cad/cad_operations.h"
#include "dxf/number_format.h"
#include "shadows/hourly_diagram.h"
#include "shadows/point_entry.h"
#include "shadows/shadow_time.h"

namespace vorn {

namespace {

inline constexpr const char* kNoBuildingData = "建物データがありません．";
inline constexpr const char* kNoPointData = "測定点データがありません．";

// The grid columns of the shadow times: the total, then entry and exit 1-3.
constexpr int kFirstResultColumn = 4;
constexpr int kLastResultColumn = 10;

bool HasPointRow(const TStringGrid& grid) {
  for (int r = grid.RowCount() - 1; r >= 1; --r) {
    if (RowHasXY(grid, r)) return true;
  }
  return false;
}

// What the shadow times and their annotation both need: a building and a point with
// coordinates in the grid of the specific points; otherwise the message that says what is missing.
bool CheckPointsAndBuilding(TForm1& f) {
  if (f.workspace.BuildingEdges.empty()) {
    f.ShowMessage(kNoBuildingData);
    return false;
  }
  if (!HasPointRow(f.StringGrid2)) {
    f.ShowMessage(kNoPointData);
    return false;
  }
  return true;
}

void DeleteQuietly(cad::CadSelectionSet* selection) {
  if (selection == nullptr) return;
  try {
    selection->Delete();
  } catch (const cad::CadError&) {
  }
}

bool AllFinite(const LineList& edges) {
  for (const TLineEnt& e : edges) {
    for (const TAcadPoint* p : {&e.st, &e.ed}) {
      if (!std::isfinite(p->x) || !std::isfinite(p->y) || !std::isfinite(p->z)) return false;
    }
  }
  return true;
}

}  // namespace

void TForm1::Button21Click() { Button21Click(Button21); }
void TForm1::Button12Click() { Button21Click(Button12); }
void TForm1::Button22Click() { Button22Click(Button22); }
void TForm1::Button16Click() { Button22Click(Button16); }

void TForm1::Button21Click(const TButton& Sender) {
  const int mode = &Sender == &Button21 ? 1 : 0;
  const std::string prompt = mode == 1 ? kPromptSpecificPoint : kPromptMeasurementPoint;
  if (!cad::IsCadActive(cad_.connector, TargetProgID)) {
    shell_.RestoreMainWindow();
    return;
  }
  const cad::CadLink link = MakeCadLink();
  cad::CadApplicationPtr application;
  cad::CadDocumentPtr document;
  try {
    application = cad_.connector.GetActiveObject(TargetProgID);
    cad::ActivateCad(*application, link);
    document = application->ActiveDocument();
    document->SetVariable("BLIPMODE", int32_t{1});
  } catch (const cad::CadError&) {
    shell_.RestoreMainWindow();
    return;  // the CAD went away between the test and the pick
  }
  workspace.AryPoint.clear();
  shell_.MinimizeMainWindow();
  std::shared_ptr<cad::CadSelectionSet> selection;
  try {
    selection = cad::GetTempSelectionSet(*document);
    if (TargetProgID.find("Auto") != std::string::npos) {
      PickPointsByIdCommand(*application, *document, *selection, link, workspace.AryPoint);
    } else {
      PickPointsByInput(*application, *document, *selection, link, prompt, workspace.AryPoint);
    }
  } catch (const cad::CadIdleTimeout&) {
    // The user has been told that the CAD stays busy.
  } catch (const cad::CadError&) {
    ShowMessage(kPointEntryError);
  }
  DeleteQuietly(selection.get());
  // The points picked before a failure are kept: the user would otherwise pick them again.
  if (!workspace.AryPoint.empty()) TempPointsToSG(mode);
  try {
    document->SetVariable("BLIPMODE", int32_t{0});
  } catch (const cad::CadError&) {
  }
  workspace.AryPoint.clear();
  shell_.RestoreMainWindow();
  if (mode == 1) {
    GetTokuteiJikan();
  } else {
    Button9Click();
  }
}

void TForm1::Button22Click(const TButton& Sender) {
  SetKernelProgress(false);
  const int mode = &Sender == &Button22 ? 1 : 0;
  if (!cad::IsCadActive(cad_.connector, TargetProgID)) return;
  const cad::CadLink link = MakeCadLink();
  std::shared_ptr<cad::CadSelectionSet> selection;
  bool entered = false;
  try {
    const cad::CadApplicationPtr application = cad_.connector.GetActiveObject(TargetProgID);
    cad::ActivateCad(*application, link);
    const cad::CadDocumentPtr document = application->ActiveDocument();
    selection = cad::GetTempSelectionSet(*document);
    shell_.MinimizeMainWindow();
    document->Utility()->Prompt(kPromptSelectMarks);
    selection->SelectOnScreen(cad::SelectionFilter{{0}, {"CIRCLE,TEXT"}});
    shell_.RestoreMainWindow();
    link.clock.Sleep(200);
    entered = PointsFromMarks(*selection, workspace.AryPoint);
  } catch (const std::exception&) {
    // The batch acquisition ends silently; a cancelled selection changes nothing.
  }
  shell_.RestoreMainWindow();
  DeleteQuietly(selection.get());
  if (!entered) return;
  TempPointsToSG(mode);
  if (mode == 1) {
    GetTokuteiJikan();
  } else {
    Button9Click();
  }
}

void TForm1::Button4Click() {
  SetKernelProgress(false);
  if (workspace.BuildingEdges.empty()) return;
  if (cad_.commandLineWindows == nullptr) {
    ShowMessage(cad::kCommandLineUnavailable);
    return;
  }
  cad::CommandLineControl autocad(*cad_.commandLineWindows, cad_.clock,
                                  [this] { shell_.ProcessMessages(); });
  if (!autocad.ActivateCadWindow()) return;
  shell_.MinimizeMainWindow();
  cad_.clock.Sleep(100);
  autocad.SendCadText("\003\003BLIPMODE 1 ");
  workspace.AryPoint.clear();
  TAcadPoint picked;
  while (autocad.PickPointByCommandLine(picked) == cad::kCommandEnded) {
    TTempPoint point;
    point.pt = picked;
    workspace.AryPoint.push_back(point);
  }
  autocad.SendCadText("\003\003BLIPMODE 0 ");
  shell_.RestoreMainWindow();
  if (workspace.AryPoint.empty()) return;
  TempPointsToSG(1);
  GetTokuteiJikan();
  if (HasPointRow(StringGrid2)) DrawNiniText();
}

void TForm1::TempPointsToSG(int sgno) {
  TStringGrid& grid = sgno != 0 ? StringGrid2 : StringGrid1;
  sg = &grid;
  const ArrangedPoints arranged = ArrangeTempPoints(workspace.AryPoint);
  grid.SetRowCount(static_cast<int>(workspace.AryPoint.size()) + 1);
  int r = 0;
  for (const TTempPoint& p : arranged.kept) {
    ++r;
    const std::string number = std::to_string(r);
    grid.SetCell(0, r, number);
    grid.SetCell(1, r, FormatGeneral(p.pt.x));
    grid.SetCell(2, r, FormatGeneral(p.pt.y));
    grid.SetCell(4, r, FormatGeneral(p.pt.z / 1000.0));
    grid.SetCell(3, r, p.Name.empty() ? number : p.Name);
    for (int c = 5; c <= 7; ++c) grid.SetCell(c, r, {});
    if (grid.ColCount() > 10) {
      for (int c = 8; c <= 10; ++c) grid.SetCell(c, r, {});
    }
  }
  grid.SetRowCount(r + 1);
  if (!workspace.AryText.empty()) {
    const auto labels = NearestTextLabels(arranged.kept, workspace.AryText, arranged.diagonal);
    for (std::size_t i = 0; i < labels.size(); ++i) {
      if (labels[i]) grid.SetCell(3, static_cast<int>(i) + 1, *labels[i]);
    }
  }
  workspace.AryPoint.clear();
  workspace.AryText.clear();
}

void TForm1::GetTokuteiJikan() {
  if (workspace.BuildingEdges.empty()) return;
  TStringGrid& grid = StringGrid2;
  PointTimeParameters params;
  std::vector<PointTimeRow> rows(static_cast<std::size_t>(std::max(grid.RowCount() - 1, 0)));
  // Every box and coordinate is read before the run starts, so a text that is not a number
  // ends the command with the grid and the buttons as they were.
  const bool readable = RunCommand([&] {
    GB_kita = BoxToDouble(Edit12);
    GB_idodo = BoxToDouble(Edit3);
    GB_idohun = BoxToDouble(Edit5);
    GB_idobyou = BoxToDouble(Edit23);
    GB_takasa = BoxToDouble(Edit6) * 1000.0;
    GB_kisetu = RadioGroup1.ItemIndex;
    GB_kaisi = BoxToDouble(Edit2);
    GB_owari = BoxToDouble(Edit7);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const int r = static_cast<int>(i) + 1;
      if (!RowHasXY(grid, r)) continue;
      rows[i].hasPoint = true;
      rows[i].p = {TextToDouble(grid.Cells(1, r)), TextToDouble(grid.Cells(2, r)), 0.0};
    }
  });
  if (!readable) return;
  // Without a sun position there is no shadow to sample.
  if (!IsSunTime(GB_kaisi) || !IsSunTime(GB_owari)) {
    ShowMessage(kHourRangeMessage);
    return;
  }
  if (!AllFinite(workspace.BuildingEdges)) {
    ShowMessage(kShadowFailed);
    return;
  }
  SetSunState(workspace.sun, workspace.sun.SunDeclination,
              LatitudeRadians(GB_idodo, GB_idohun, GB_idobyou), GB_kita);
  params.firstHour = GB_kaisi;
  params.lastHour = GB_owari;
  params.planeHeight = GB_takasa;
  params.stepMinutes = EvaluationStepMinutes(RadioGroup3.ItemIndex, CheckBox2.Checked);

  BeginPointTimeRun();
  ProgressBar1.Max = PointTimeSampleCount(params.firstHour, params.lastHour, params.stepMinutes);
  ProgressBar1.Position = 0;
  for (int r = 1; r < grid.RowCount(); ++r) {
    for (int c = kFirstResultColumn; c <= kLastResultColumn; ++c) grid.SetCell(c, r, {});
  }
  FormRunMonitor monitor(*this);
  RunPointTimes(workspace, params, monitor, rows);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!rows[i].hasPoint) continue;
    const int r = static_cast<int>(i) + 1;
    for (int c = kFirstResultColumn; c <= kLastResultColumn; ++c) {
      grid.SetCell(c, r, rows[i].record.cells[static_cast<std::size_t>(c - kFirstResultColumn)]);
    }
  }
  EndPointTimeRun();
}

void TForm1::RecalculatePointTimes() {
  if (!CheckPointsAndBuilding(*this)) return;
  GetTokuteiJikan();
  Button15.Enabled = true;
}

void TForm1::Button15Click() {
  if (!CheckPointsAndBuilding(*this)) return;
  if (cad::IsCadActive(cad_.connector, TargetProgID)) DrawNiniText();
}

void TForm1::DrawNiniText() {
  if (!cad::IsCadActive(cad_.connector, TargetProgID)) return;
  // The text height is read before the CAD is touched, so that a height that is not a number
  // leaves no empty block and no open undo group behind.
  double height = 0.0;
  if (!RunCommand([&] { height = BoxToDouble(Edit38); })) return;
  TStringGrid& grid = StringGrid2;
  const cad::CadLink link = MakeCadLink();
  UndoMarkedDocument session;
  try {
    session.Open(cad_.connector, TargetProgID, link);
    const std::shared_ptr<cad::CadBlock> block =
        cad::CreateNumberedBlock(*session.document, cad::kBlockPrefix);
    std::vector<AnnotationRow> rows;
    for (int r = 1; r < grid.RowCount(); ++r) {
      if (grid.Cells(3, r).empty()) grid.SetCell(3, r, std::to_string(r));
      AnnotationRow row;
      row.name = grid.Cells(3, r);
      row.total = grid.Cells(4, r);
      for (int i = 0; i < 6; ++i) row.times[static_cast<std::size_t>(i)] = grid.Cells(5 + i, r);
      rows.push_back(std::move(row));
    }
    AddAnnotationTexts(*block, AnnotationLayout(rows, Edit6.Text, RadioGroup3.ItemIndex, height),
                       height);
    cad::InsertBlockByUser(*session.application, *session.document, *block, link, MainWindow());
    session.Close();
  } catch (const cad::CadIdleTimeout&) {
    // The user has been told that the CAD stays busy.
  } catch (const cad::CadError&) {
    ShowMessage(kPointEntryError);
  }
  session.CloseLeftOpen();
  shell_.RestoreMainWindow();
}

}  // namespace vorn
