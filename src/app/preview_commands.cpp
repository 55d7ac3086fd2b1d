// The wireframe preview on the " 時刻" page: Image2, its turn and tilt controls, the footprint
// box and the button that draws the view into the CAD.
#include <exception>

#include "acquisition/wireframe_preview.h"
#include "app/main_form.h"
#include "app/undo_marked_document.h"
#include "cad/cad_operations.h"

namespace vorn {

namespace {

// The turn rule of both up-downs: 5 degrees a press, wrapping at 0 and 360.
int Turned(int degrees, bool up) {
  if (up) return degrees >= 360 ? 0 : degrees + 5;
  return degrees <= 0 ? 360 : degrees - 5;
}

}  // namespace

void TForm1::DrawWaku3D(bool makeDxf) {
  const std::vector<TLineEnt> projected =
      ProjectPreview(PreviewEdges(workspace.BuildingEdges, CheckBox1.Enabled && CheckBox1.Checked),
                     GB_Draw3dHdeg, GB_Draw3dVdeg);
  const PreviewBounds bounds = ProjectedBounds(projected);
  GB_xcen = (bounds.xmin + bounds.xmax) / 2;
  GB_ycen = (bounds.ymin + bounds.ymax) / 2;
  if (!projected.empty()) {
    RgbPicture picture{Image2.Width, Image2.Height, std::move(Image2.Pixels)};
    PaintPreview(projected, bounds, GB_cvsc, picture);
    Image2.Pixels = std::move(picture.pixels);
  }

  if (makeDxf && !projected.empty() && cad::IsCadActive(cad_.connector, TargetProgID)) {
    const cad::CadLink link = MakeCadLink();
    UndoMarkedDocument session;
    try {
      session.Open(cad_.connector, TargetProgID, link);
      const auto block = cad::CreateNumberedBlock(*session.document, cad::kBlockPrefix);
      // The picture keeps drawing units, its lower-left bound at the block's base point.
      for (const TLineEnt& e : projected) {
        const auto line = block->AddLine({e.st.x - bounds.xmin, e.st.y - bounds.ymin, 0.0},
                                         {e.ed.x - bounds.xmin, e.ed.y - bounds.ymin, 0.0});
        line->SetColor(PreviewCadColour(e.id));
      }
      cad::InsertBlockByUser(*session.application, *session.document, *block, link, MainWindow());
      session.Close();
    } catch (const cad::CadError&) {
      // The CAD refused a call or stayed busy: the block is not placed.
    }
    session.CloseLeftOpen();
  }
  if (!shell_.IsMainWindowNormal()) shell_.RestoreMainWindow();
}

void TForm1::UpDown3Click(bool up) {
  GB_Draw3dHdeg = Turned(GB_Draw3dHdeg, up);
  if (!workspace.BuildingEdges.empty()) DrawWaku3D(false);
}

void TForm1::UpDown4Click(bool up) {
  GB_Draw3dVdeg = Turned(GB_Draw3dVdeg, up);
  if (!workspace.BuildingEdges.empty()) DrawWaku3D(false);
}

void TForm1::CheckBox1Click() {
  GB_cvsc = 0.0;
  if (!workspace.BuildingEdges.empty()) DrawWaku3D(false);
}

void TForm1::SpeedButton2Click() {
  if (!workspace.BuildingEdges.empty() && cad::IsCadActive(cad_.connector, TargetProgID)) {
    DrawWaku3D(true);
  }
}

}  // namespace vorn
