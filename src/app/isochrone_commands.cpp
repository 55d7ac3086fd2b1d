// The isochronal shadow lines on the 等時間 page (Button6 and its run), the mesh-size read-out
// of the duration list (CheckListBox1, RadioGroup5).
#include <cmath>
#include <exception>
#include <optional>
#include <string>

#include "app/form_run_monitor.h"
#include "app/main_form.h"
#include "app/number_box.h"
#include "app/undo_marked_document.h"
#include "cad/cad_operations.h"
#include "cad/diagram_insertion.h"
#include "dxf/dxf_document.h"
#include "dxf/number_format.h"
#include "geometry/sun_position.h"
#include "isochrones/duration_raster.h"
#include "isochrones/isochrone_lines.h"
#include "shadows/hourly_diagram.h"

namespace vorn {

namespace {

inline constexpr const char* kNoBuilding = "基準データが作成されていません．";
inline constexpr const char* kNoCad = "有効な CAD が見つかりません．";
inline constexpr const char* kTraceMessageCaption = "Vorn";
inline constexpr const char* kIsochroneInsertWord = "-INsERT";

int FirstTickedLevel(const TCheckListBox& list) {
  for (std::size_t i = 0; i < list.Checked.size(); ++i) {
    if (list.Checked[i]) return static_cast<int>(i);
  }
  return -2;
}

// The range of the shortest ticked level (1.5 hours when none is ticked) from the coarse run
// over the form's times and plane, the progress bar following its instants.
std::optional<ToujiRange> TickedLevelRange(TForm1& form, int firstLevel) {
  ToujiHaniParameters hani;
  hani.firstHour = form.GB_kaisi;
  hani.lastHour = form.GB_owari;
  hani.planeHeight = form.GB_takasa;
  hani.level = firstLevel >= 0 ? LevelDuration(form.CheckListBox1.Items[firstLevel]) : 1.5;
  TProgressBar& progress = form.ProgressBar1;
  progress.Max =
      static_cast<int>(std::trunc((form.GB_owari - form.GB_kaisi) * 60 / kRangeStepMinutes));
  progress.Position = 0;
  const std::optional<ToujiRange> range = GetToujiHani(form.workspace, hani, [&](int k, double) {
    progress.Position = k + 1;
    form.shell().ProcessMessages();
    return true;
  });
  progress.Position = 0;
  return range;
}

}  // namespace

void TForm1::Button6Click() {
  SetKernelProgress(false);
  Label2.Caption.clear();
  if (workspace.BuildingEdges.empty()) {
    ShowMessage(kNoBuilding);
    return;
  }
  if (!cad::IsCadActive(cad_.connector, TargetProgID)) {
    ShowMessage(kNoCad);
    return;
  }
  if (!RunCommand([&] { workspace.sun.NorthAngle = NorthAngleFromDegrees(BoxToDouble(Edit12)); })) {
    return;
  }
  BeginIsochroneRun();
  DrawToujikan5A();
  EndIsochroneRun();
}

void TForm1::DrawToujikan5A() {
  if (!cad::IsCadActive(cad_.connector, TargetProgID)) return;
  // The boxes are read and checked before the CAD is touched, so that a box that is not a
  // number ends the command with no undo mark left open and nothing drawn.
  if (!RunCommand([&] { ReadShadowParameters(); })) return;
  // Outside 8-16 h there is no sun position to count shadows with.
  if (!IsSunTime(GB_kaisi) || !IsSunTime(GB_owari)) {
    ShowMessage(kHourRangeMessage);
    return;
  }
  const int stepItem = RadioGroup5.ItemIndex;
  const int n = MeshSizeFor(stepItem);
  const double stepMinutes = EvalSecondsFor(stepItem) / 60.0;
  const int firstLevel = FirstTickedLevel(CheckListBox1);
  IsochroneOutput out;
  out.layer = Edit28.Text;
  out.textHeight = Edit38.Text;
  out.planeHeight = GB_takasa;
  out.northDegrees = GB_kita;
  const std::optional<int> smoothing =
      CheckBox8.Checked ? std::optional<int>(UpDown5.Position) : std::nullopt;

  const cad::CadLink link = MakeCadLink();
  UndoMarkedDocument session;
  try {
    session.Open(cad_.connector, TargetProgID, link);
    cad::EnsureLayer(*session.application, out.layer);

    const std::optional<ToujiRange> range = TickedLevelRange(*this, firstLevel);
    ClearDurationGrid(workspace);
    const ElapsedTime elapsed;

    DxfDocument dxf;
    AddFrameOpening(dxf, true);
    const double cell = range ? range->CellFor(n) : 0.0;
    Sampling sampling;
    sampling.firstHour = GB_kaisi;
    sampling.lastHour = GB_owari;
    sampling.stepMinutes = stepMinutes;
    sampling.planeHeight = GB_takasa;
    sampling.map = RasterMapping{range ? range->txmin : 0.0, range ? range->tymin : 0.0, cell, n};
    ProgressBar1.Max = sampling.Count();
    const bool sampled =
        SampleDurations(workspace, sampling, AccumulationMethod::kFast, [&](int k, double t) {
          Label2.Caption = "時刻：" + TimeToHM(t);
          ProgressBar1.Position = k + 1;
          shell_.ProcessMessages();
          if (RunningFlag) return true;
          RunEsc();
          return false;
        });

    int contours = 0;
    if (sampled) {
      ProgressBar1.Position = 0;
      Label2.Caption = "経過時間：" + elapsed.Text();
      ProgressBar1.Max = kLevelCount;
      ProgressBar1.Position = 0;
      BitRaster raster(n);
      FormRunMonitor monitor(*this);
      for (int j = 0; j < kLevelCount; ++j) {
        const int item = kLevelCount - 1 - j;
        ++ProgressBar1.Position;
        if (!RunningFlag) {
          RunEsc();
          break;
        }
        if (!CheckListBox1.Checked[item]) continue;
        const std::string& text = CheckListBox1.Items[item];
        Label2.Caption = "等時間：" + text;
        shell_.ProcessMessages();
        LevelTraceParameters level;
        level.threshold = LevelThreshold(LevelDuration(text), stepMinutes, GB_owari - GB_kaisi);
        level.n = n;
        level.x0 = sampling.map.x0;
        level.y0 = sampling.map.y0;
        level.cell = cell;
        level.borderMessage = true;
        level.levelText = text;
        level.smoothing = smoothing;
        const LevelTraceResult traced = TraceLevelContours(
            workspace.DurationGrid, raster, level, monitor,
            [&](const std::string& m) { shell_.ShowMessage(kTraceMessageCaption, m); },
            [&](const std::vector<TTempPoint>& contour) {
              AppendIsochroneContour(dxf, contour, item, out);
              ++contours;
            });
        if (traced.stopped) {
          RunEsc();
          break;
        }
        Label2.Caption = "経過時間：" + elapsed.Text();
      }
    }
    ProgressBar1.Position = 0;
    // The insertion (and on "PCAD" targets the removal of the block definition it leaves)
    // happens inside the undo mark, so that one undo takes the whole diagram away.
    if (sampled && RunningFlag && contours > 0 && range) {
      Label2.Caption = "所要時間 : " + elapsed.Text();
      Label22.Caption = "ﾒｯｼｭｻｲｽﾞ : " + FormatFixed(cell, 1);
      AppendMeshSizeText(dxf, *range, cell, out);
      AddFrameClosing(dxf);
      cad::SaveAndInsertDiagram(*session.application, *session.document, dxf,
                                folders_.OutputFolder(),
                                cad::Insertion(cad::InsertionForm::kExplodedAtOrigin, "0", "0", "0",
                                               kIsochroneInsertWord),
                                link);
    }
    session.Close();
  } catch (const cad::CadIdleTimeout&) {
    // The user has been told that the CAD stays busy.
  } catch (const cad::CadError&) {
    ShowMessage(kShadowFailed);
  }
  session.CloseLeftOpen();
  ProgressBar1.Position = 0;
}

void TForm1::CheckListBox1Click() {
  if (!Button6.Enabled) return;
  const int first = FirstTickedLevel(CheckListBox1);
  if (first == GB_toujiidx && RadioGroup5.ItemIndex == GB_hyoukaidx) return;
  Label22.Caption.clear();
  Label2.Caption.clear();
  GB_toujiidx = first;
  GB_hyoukaidx = RadioGroup5.ItemIndex;
  if (!RunCommand([&] { ReadShadowParameters(); })) return;
  const std::optional<ToujiRange> range = TickedLevelRange(*this, first);
  // Without a building there is no range to speak of.
  if (!range) return;
  Label22.Caption =
      "ﾒｯｼｭｻｲｽﾞ : " + FormatFixed(range->CellFor(MeshSizeFor(RadioGroup5.ItemIndex)), 1);
}

void TForm1::RadioGroup5Click() {
  if (Button6.Enabled) CheckListBox1Click();
}

}  // namespace vorn
