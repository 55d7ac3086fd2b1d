// The sky pages: recalculating the sky factors of the listed measurement points, drawing sky
// diagrams (picked point, selected row, all rows in a row) and the drawing scale from the CAD.
#include "app/sky_commands.h"

#include <cmath>
#include <exception>
#include <optional>
#include <string>

#include "app/main_form.h"
#include "app/number_box.h"
#include "app/result_grids.h"
#include "app/undo_marked_document.h"
#include "cad/cad_operations.h"
#include "cad/diagram_insertion.h"
#include "dxf/number_format.h"
#include "sky/sky_drawing.h"
#include "sky/sky_factor.h"
#include "sky/sky_projection.h"

namespace vorn {

namespace {

inline constexpr const char* kNoBuilding = "建物データがありません．";
inline constexpr const char* kNoPointData = "測定点データがありません．";
inline constexpr const char* kAreaRefusedA =
    "[AREA]には対応していません．\n[計画建物]または[適合建物]にチェックを付けて下さい．";
inline constexpr const char* kAreaRefusedB =
    "[AREA]には対応していません．\n[計画]または[適合]にチェックを付けて下さい．";
inline constexpr const char* kNoRowSelected = "測定点データが選択されていません．";
inline constexpr const char* kPointPickFailed = "座標指示失敗．";
inline constexpr const char* kSkyFailed = "天空率の計算に失敗しました. ";

// The point's name in messages: its name cell, or its row number.
std::string RowName(const TStringGrid& grid, int row) {
  const std::string name = grid.Cells(3, row);
  return name.find_first_not_of(' ') == std::string::npos ? std::to_string(row) : name;
}

void SetResultTitles(TStringGrid& grid) {
  grid.SetColCount(8);
  grid.SetCell(5, 0, " 計画");
  grid.SetCell(6, 0, " 適合");
  grid.SetCell(7, 0, " AREA");
  grid.ColWidths[7] = grid.ColWidths[6];
}

}  // namespace

void SetSkyPointFromRow(TForm1& f, int row) {
  f.IDPOINT1 = {TextToDouble(f.StringGrid1.Cells(1, row)),
                TextToDouble(f.StringGrid1.Cells(2, row)), 0.0};
  const std::string height = f.StringGrid1.Cells(4, row);
  if (!height.empty()) f.MENTAKA = height;
}

SkyProjectionParameters ReadSkyProjection(TForm1& f, int typ) {
  const double north = BoxToDouble(f.Edit12);
  const double scale = BoxToDouble(f.Edit19);
  const double radius = BoxToDouble(typ == 0 ? f.Edit15 : f.Edit21);
  BoxToDouble(typ == 0 ? f.Edit20 : f.Edit22);  // read as the run reads them: must be numbers
  BoxToDouble(f.Edit17);
  SkyProjectionParameters p;
  p.measurementPoint = f.IDPOINT1;
  p.planeHeight = ParseDouble(f.MENTAKA).value_or(0.0) * 1000.0;
  p.northDegrees = north;
  p.radius = radius * scale;
  return p;
}

void TForm1::Button9Click() {
  double ra = 0, rb = 0;
  if (!RunCommand([&] {
        ra = BoxToDouble(Edit15);
        rb = BoxToDouble(Edit21);
      })) {
    return;
  }
  const int typ = ra > rb ? 0 : 1;
  SetKernelProgress(true);
  Button9.Enabled = false;
  if (workspace.BuildingEdges.empty()) {
    ShowMessage(kNoBuilding);
  } else {
    SetResultTitles(StringGrid1);
    bool stoppedAtEmptyRow = false;
    RunCommand([&] {
      for (int r = 1; r < StringGrid1.RowCount(); ++r) {
        StringGrid1.SetCell(5, r, "");
        StringGrid1.SetCell(6, r, "");
        if (StringGrid1.Cells(4, r).find(':') != std::string::npos) StringGrid1.SetCell(4, r, "0");
        if (!RowHasXY(StringGrid1, r)) {
          stoppedAtEmptyRow = true;
          break;
        }
        SetSkyPointFromRow(*this, r);
        const SkyProjectionParameters p = ReadSkyProjection(*this, typ);
        const SkyLineResult line = GetTenkuLine(workspace, p);
        double naisetu = 0, gaisetu = 0;
        if (line == SkyLineResult::kSurrounded) {
          ShowMessage(SurroundedMessage(RowName(StringGrid1, r)));
        } else if (line == SkyLineResult::kTraced &&
                   GetTenkuRitu(workspace, {p.radius, BoxToDouble(Edit19)}, naisetu, gaisetu)) {
          StringGrid1.SetCell(5, r, FormatFixed(naisetu, 3));
          StringGrid1.SetCell(6, r, FormatFixed(gaisetu, 3));
          StringGrid1.SetCell(7, r, "");
        }
        StringGrid1.Row = r;
      }
    });
    if (stoppedAtEmptyRow) ShowMessage(kNoPointData);
  }
  for (TButton* b : {&Button9, &Button13, &Button14, &Button18, &Button24}) b->Enabled = true;
}

void TForm1::SpeedButton8Click() {
  if (!cad::IsCadActive(cad_.connector, TargetProgID)) return;
  try {
    const cad::CadApplicationPtr application = cad_.connector.GetActiveObject(TargetProgID);
    cad::ActivateCad(*application, MakeCadLink());
    const double value =
        cad::CadValueToDouble(application->ActiveDocument()->GetVariable("DIMSCALE"));
    if (value > 0.01) Edit19.Text = FormatFixed(value, 2);
  } catch (const cad::CadError&) {
    // A CAD that cannot tell its scale leaves the box as it is.
  }
}

namespace {

// Everything a diagram of one type reads from the boxes, read before the CAD is touched.
struct SkyDrawBoxes {
  int typ = 0;
  SkyProjectionParameters projection;
  double scale = 1.0;
  double radiusA = 0.0, radiusB = 0.0;
  double textHeight = 0.0;  // T, drawing units
  double textOnPaper = 0.0;
  double scaleInterval = 0.0;
  double hatchInterval = 0.0;
  double rotation = 0.0;  // ρ, degrees
  bool areaTable = false, positionTable = false;
  SkyDiagramStyle style;
  std::string scaleIntervalText;
};

SkyDrawBoxes ReadSkyDrawBoxes(TForm1& f, int typ) {
  SkyDrawBoxes b;
  b.typ = typ;
  b.projection = ReadSkyProjection(f, typ);
  b.scale = BoxToDouble(f.Edit19);
  b.radiusA = BoxToDouble(f.Edit15);
  b.radiusB = BoxToDouble(f.Edit21);
  b.textOnPaper = BoxToDouble(typ == 0 ? f.Edit20 : f.Edit22);
  b.textHeight = b.textOnPaper * b.scale;
  const TEdit& interval = typ == 0 ? f.Edit13 : f.Edit24;
  b.scaleInterval = BoxToDouble(interval);
  b.scaleIntervalText = interval.Text;
  b.hatchInterval = BoxToDouble(typ == 0 ? f.Edit18 : f.Edit25);
  b.rotation = f.CheckBox10.Checked ? BoxToDoubleOr(f.Edit12, 90.0) - 90.0 : 0.0;
  b.areaTable = (typ == 0 ? f.CheckBox3 : f.CheckBox6).Checked;
  b.positionTable = (typ == 0 ? f.CheckBox5 : f.CheckBox7).Checked;
  b.style.textHeight = b.textHeight;
  b.style.scaleInterval = b.scaleInterval;
  b.style.planeElevation = BoxToDouble(f.Edit17) * 1000.0;
  b.style.frameLayer = f.Edit33.Text;
  b.style.scaleLayer = f.Edit34.Text;
  return b;
}

std::string PointName(TForm1& f, int typ) { return typ == 0 ? f.GB_TenMeiA : f.GB_TenMeiB; }

// A table placed by the user as a block and dissolved into plain entities.
void PlaceTableByUser(TForm1& f, cad::CadApplication& app, cad::CadDocument& doc,
                      const DxfDocument& dxf) {
  const cad::CadLink link = f.MakeCadLink();
  const auto saved = cad::SaveDiagramFile(doc, dxf, f.folders().OutputFolder(), link);
  if (!saved) return;
  const int64_t before = cad::GetLastObjectID(doc);
  f.shell().MinimizeMainWindow();
  try {
    doc.SendCommand(cad::InsertionCommandText(
        cad::Insertion(cad::InsertionForm::kBlockByUser, "0", "0", "0"), saved->file.string()));
    cad::WaitCadIdle(app, 200, link);
  } catch (...) {
    f.shell().RestoreMainWindow();
    throw;
  }
  f.shell().RestoreMainWindow();
  TAcadPoint at;
  if (cad::GetLastObjectID(doc) != before && cad::ExplodeLastBlockRef(doc, saved->blockName, at)) {
    cad::DeleteBlockDef(doc, saved->blockName);
  }
}

void DrawTateiti(TForm1& f, cad::CadApplication& app, cad::CadDocument& doc,
                 const SkyDrawBoxes& b) {
  std::vector<TTateiti>& records = f.workspace.AryTateiti;
  if (records.empty()) return;
  PositionTableParameters p;
  p.northDegrees = b.projection.northDegrees;
  p.scale = b.scale;
  p.radius = b.projection.radius;
  p.textHeight = b.textOnPaper;
  p.scaleInterval = b.scaleIntervalText;
  p.layer = f.Edit37.Text;
  p.planeHeightMetres = b.projection.planeHeight / 1000.0;
  const std::optional<DxfDocument> table = PositionTableText(records, p);
  if (!table) return;
  records.clear();
  PlaceTableByUser(f, app, doc, *table);
}

void InsertLineEnt(TForm1& f, cad::CadApplication& app, cad::CadDocument& doc,
                   const SkyDrawBoxes& b, bool interactive, const std::optional<TAcadPoint>& at) {
  OutlineDrawingParameters p;
  p.radius = b.projection.radius;
  p.scale = b.scale;
  p.textHeight = b.textHeight;
  p.hatchInterval = b.hatchInterval;
  p.northDegrees = b.projection.northDegrees;
  p.rotationDegrees = b.rotation;
  p.variant = f.RadioGroup2.ItemIndex == 2 ? SkyVariant::kCircumscribed : SkyVariant::kInscribed;
  p.marks = interactive && b.positionTable;
  p.triangles = interactive && b.areaTable;
  p.frameLayer = f.Edit33.Text;
  p.hatchLayer = f.Edit35.Text;
  p.triangleLayer = f.Edit36.Text;
  p.markLayer = f.Edit37.Text;
  p.text = {b.scaleIntervalText,
            f.Edit3.Text,
            f.Edit5.Text,
            f.Edit23.Text,
            b.projection.planeHeight / 1000.0,
            PointName(f, b.typ)};
  const OutlineDrawing drawing = DrawSkyOutline(f.workspace, p);
  if (!drawing.result) return;
  const cad::CadLink link = f.MakeCadLink();
  if (!drawing.result->triangles.empty()) {
    const TAcadPoint centre = at.value_or(f.IDPOINT2);
    cad::SaveAndInsertDiagram(app, doc, drawing.dxf, f.folders().OutputFolder(),
                              cad::Insertion(cad::InsertionForm::kExplodedAtPointBlank,
                                             FormatGeneral(centre.x), FormatGeneral(centre.y)),
                              link);
  }
  if (!interactive) return;
  if (!b.areaTable || drawing.result->triangles.empty()) {
    if (b.positionTable) DrawTateiti(f, app, doc, b);
    return;
  }
  AreaTableParameters t;
  t.scale = b.scale;
  t.radius = b.projection.radius;
  t.textHeight = b.textHeight;
  t.layer = f.Edit36.Text;
  t.scaleInterval = b.scaleIntervalText;
  t.planeHeightMetres = b.projection.planeHeight / 1000.0;
  PlaceTableByUser(f, app, doc, AreaTableText(*drawing.result, t));
  if (b.positionTable) {
    DrawTateiti(f, app, doc, b);
  } else {
    f.workspace.AryTateiti.clear();
  }
}

void TenkuRinkaku(TForm1& f, cad::CadApplication& app, cad::CadDocument& doc, const SkyDrawBoxes& b,
                  bool interactive, const std::optional<TAcadPoint>& at) {
  if (f.workspace.AryLine.size() < 3) {
    f.shell().RestoreMainWindow();
    return;
  }
  if (!TraceDiagramOutline(f.workspace, OutlineScaleUp(b.typ, b.radiusA, b.radiusB))) {
    f.shell().RestoreMainWindow();
    f.ShowMessage(kSkyFailed);
    return;
  }
  InsertLineEnt(f, app, doc, b, interactive, at);
  if (!b.areaTable && !b.positionTable) f.shell().RestoreMainWindow();
}

// One sky diagram for IDPOINT1: placed by the user (no `at`) or exploded with its centre at
// `at`. Boxes that are not numbers end it with their message before anything is drawn.
void MakeTenkuzu(TForm1& f, int typ, const std::optional<TAcadPoint>& at) {
  if (!cad::IsCadActive(f.cad().connector, f.TargetProgID)) return;
  SkyDrawBoxes b;
  if (!f.RunCommand([&] { b = ReadSkyDrawBoxes(f, typ); })) return;
  const cad::CadLink link = f.MakeCadLink();
  const cad::CadApplicationPtr app = f.cad().connector.GetActiveObject(f.TargetProgID);
  cad::ActivateCad(*app, link);
  const cad::CadDocumentPtr doc = app->ActiveDocument();
  cad::LoadHiddenLinetype(*app, link);
  for (const TEdit* layer : {&f.Edit33, &f.Edit34, &f.Edit35, &f.Edit36, &f.Edit37}) {
    cad::EnsureLayer(*app, layer->Text);
  }
  f.workspace.AryTateiti.clear();
  if (f.workspace.BuildingEdges.empty()) return;
  DxfDocument dxf;
  const SkyProjectionResult projected = WriteSkyDiagram(f.workspace, b.projection, b.style, dxf);
  if (f.ProgressBar1.Position != 0) f.ProgressBar1.Position = 0;
  if (projected == SkyProjectionResult::kSurrounded) {
    f.ShowMessage(SurroundedMessage(PointName(f, typ)));
    return;
  }
  if (projected == SkyProjectionResult::kNotFinite) {
    f.ShowMessage(kSkyFailed);
    return;
  }
  if (!at) {
    const int64_t before = cad::GetLastObjectID(*doc);
    f.shell().MinimizeMainWindow();
    const auto saved = cad::SaveDiagramFile(*doc, dxf, f.folders().OutputFolder(), link);
    if (!saved) {
      f.shell().RestoreMainWindow();
      return;
    }
    doc->SendCommand(cad::InsertionCommandText(
        cad::Insertion(cad::InsertionForm::kBlockByUser, "0", "0", FormatFixed(b.rotation, 12)),
        saved->file.string()));
    cad::WaitCadIdle(*app, 200, link);
    f.shell().RestoreMainWindow();
    if (cad::GetLastObjectID(*doc) == before) return;
    TAcadPoint centre;
    if (cad::ExplodeLastBlockRef(*doc, saved->blockName, centre)) {
      cad::DeleteBlockDef(*doc, saved->blockName);
    }
    f.IDPOINT2 = centre;
    TenkuRinkaku(f, *app, *doc, b, true, std::nullopt);
    return;
  }
  cad::SaveAndInsertDiagram(
      *app, *doc, dxf, f.folders().OutputFolder(),
      cad::Insertion(cad::InsertionForm::kExplodedRotated, FormatGeneral(at->x),
                     FormatGeneral(at->y), FormatGeneral(b.rotation)),
      link);
  TenkuRinkaku(f, *app, *doc, b, false, at);
}

// Runs a drawing command's CAD work; a CAD that fails or stays busy ends it.
void GuardCad(TForm1& f, const std::function<void()>& body) {
  try {
    body();
  } catch (const cad::CadIdleTimeout&) {
    // The user has been told that the CAD stays busy.
  } catch (const cad::CadError&) {
    f.ShowMessage(kSkyFailed);
  }
  f.shell().RestoreMainWindow();
}

void PickAndDraw(TForm1& f, int typ) {
  if (f.RadioGroup2.ItemIndex == 0) {
    f.ShowMessage(kAreaRefusedA);
    return;
  }
  f.SetKernelProgress(true);
  f.MENTAKA = f.Edit17.Text;
  f.GB_TenMeiA = f.Edit16.Text;
  f.GB_TenMeiB = f.Edit14.Text;
  if (f.workspace.BuildingEdges.empty()) {
    f.ShowMessage(kNoBuilding);
    return;
  }
  if (!cad::IsCadActive(f.cad().connector, f.TargetProgID)) return;
  UndoMarkedDocument session;
  GuardCad(f, [&] {
    session.Open(f.cad().connector, f.TargetProgID, f.MakeCadLink());
    const cad::CadDocumentPtr& doc = session.document;
    doc->SetVariable("BLIPMODE", int32_t{1});
    f.workspace.AryPoint.clear();
    f.shell().MinimizeMainWindow();
    try {
      const auto utility = doc->Utility();
      const TAcadPoint picked = utility->GetPoint(std::nullopt, "測定点を指示 : ");
      utility->Prompt("\r\n測定点が指示されました.\r\n");
      f.IDPOINT1 = picked;
      const auto set = cad::GetOrCreateSelectionSet(*doc, cad::kVornSelectionSet);
      try {
        set->Select(1, {picked.x - 1000, picked.y + 1000, picked.z},
                    {picked.x + 1000, picked.y - 1000, picked.z},
                    cad::SelectionFilter{{0}, {"TEXT"}});
        for (int i = 0; i < set->Count(); ++i) {
          const auto entity = set->Item(i);
          if (entity->EntityName() != cad::kAcDbText) continue;
          (typ == 0 ? f.Edit16 : f.Edit14).Text = entity->TextString();
          (typ == 0 ? f.GB_TenMeiA : f.GB_TenMeiB) = entity->TextString();
          break;
        }
      } catch (const cad::CadError&) {
      }
      try {
        set->Delete();
      } catch (const cad::CadError&) {
      }
    } catch (const cad::CadError&) {
      // A cancelled pick draws for the previous point.
    }
    doc->SetVariable("BLIPMODE", int32_t{0});
    f.shell().RestoreMainWindow();
    MakeTenkuzu(f, typ, std::nullopt);
    TUpDown& updown = typ == 0 ? f.UpDown2 : f.UpDown6;
    updown.SetPosition(updown.Position + 1);
    if (typ == 0) {
      f.UpDown2Click();
    } else {
      f.UpDown6Click();
    }
    session.Close();
  });
  session.CloseLeftOpen();
}

void DrawSelectedRow(TForm1& f, int typ) {
  if (f.RadioGroup4.ItemIndex == 0) {
    f.ShowMessage(kAreaRefusedB);
    return;
  }
  f.SetKernelProgress(true);
  if (f.workspace.BuildingEdges.empty()) {
    f.ShowMessage(kNoBuilding);
    return;
  }
  UndoMarkedDocument session;
  GuardCad(f, [&] {
    session.Open(f.cad().connector, f.TargetProgID, f.MakeCadLink());
    const int r = f.StringGrid1.Row;
    if (r <= 0) {
      f.ShowMessage(kNoRowSelected);
    } else if (!RowHasXY(f.StringGrid1, r)) {
      f.ShowMessage(kNoPointData);
    } else if (f.RunCommand([&] { SetSkyPointFromRow(f, r); })) {
      (typ == 0 ? f.GB_TenMeiA : f.GB_TenMeiB) = f.StringGrid1.Cells(3, r);
      MakeTenkuzu(f, typ, std::nullopt);
      f.ActiveControl = "StringGrid1";
      if (f.CheckBox9.Checked) f.StringGrid1.Row = r + 1 < f.StringGrid1.RowCount() ? r + 1 : 1;
    }
    session.Close();
  });
  session.CloseLeftOpen();
}

int LastFilledRow(const TStringGrid& grid) {
  for (int r = grid.RowCount() - 1; r >= 1; --r) {
    if (RowHasXY(grid, r)) return r;
  }
  return 0;
}

void DrawAllRows(TForm1& f, int typ) {
  if (f.RadioGroup4.ItemIndex == 0) {
    f.ShowMessage(kAreaRefusedB);
    return;
  }
  f.SetKernelProgress(true);
  if (!cad::IsCadActive(f.cad().connector, f.TargetProgID)) return;
  UndoMarkedDocument session;
  GuardCad(f, [&] {
    session.Connect(f.cad().connector, f.TargetProgID, f.MakeCadLink());
    const cad::CadDocumentPtr& doc = session.document;
    if (f.workspace.BuildingEdges.empty()) {
      f.ShowMessage(kNoBuilding);
      return;
    }
    session.StartUndoMark();
    const int last = LastFilledRow(f.StringGrid1);
    std::optional<TAcadPoint> start;
    if (last > 0) {
      f.shell().MinimizeMainWindow();
      doc->SetVariable("BLIPMODE", int32_t{1});
      try {
        const auto utility = doc->Utility();
        utility->Prompt("\r\n作成する天空図の中心座標を指示 : ");
        start = utility->GetPoint(std::nullopt, "作成する天空図の中心座標を指示 : ");
        utility->Prompt("\r\n指示されました.\r\n");
        f.shell().Sleep(200);
      } catch (const cad::CadError&) {
        f.ShowMessage(kPointPickFailed);
      }
      doc->SetVariable("BLIPMODE", int32_t{0});
      f.shell().RestoreMainWindow();
    }
    if (start) {
      const double pitch =
          BoxToDoubleOr(typ == 1 ? f.Edit40 : f.Edit8, 0.0) * BoxToDoubleOr(f.Edit19, 0.0);
      if (pitch != 0) {
        TAcadPoint at = *start;
        f.IDPOINT2 = at;
        const int rows = f.StringGrid1.RowCount();
        const auto utility = doc->Utility();
        for (int g = 1; g < rows; ++g) {
          utility->Prompt("天空図作成中 ... " + std::to_string(g) + " / " +
                          std::to_string(rows - 1));
          if (!RowHasXY(f.StringGrid1, g)) break;
          try {
            if (f.RunCommand([&] { SetSkyPointFromRow(f, g); })) {
              (typ == 0 ? f.GB_TenMeiA : f.GB_TenMeiB) = f.StringGrid1.Cells(3, g);
              MakeTenkuzu(f, typ, at);
            }
          } catch (const cad::CadIdleTimeout&) {
            throw;
          } catch (const std::exception&) {
            // One diagram that fails does not stop the row.
          }
          at.x += pitch;
          f.IDPOINT2.x += pitch;
        }
      }
    }
    session.Close(false);
    doc->Utility()->Prompt("天空図作成 ... 終了しました．");
    if (last == 0) f.ShowMessage(kNoPointData);
  });
  session.CloseLeftOpen();
}

}  // namespace

void TForm1::Button8Click() { PickAndDraw(*this, 0); }
void TForm1::Button11Click() { PickAndDraw(*this, 1); }
void TForm1::Button13Click() { DrawSelectedRow(*this, 0); }
void TForm1::Button14Click() { DrawSelectedRow(*this, 1); }
void TForm1::Button18Click() { DrawAllRows(*this, 0); }
void TForm1::Button24Click() { DrawAllRows(*this, 1); }

}  // namespace vorn
