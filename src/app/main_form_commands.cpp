// The commands whose work lives in the computation layers (acquisition, shadows, isochrones,
// sky). Each handler is wired here to its layer as that layer is built; until then it does
// nothing. A command reads its boxes inside RunCommand so that a box that is not a number ends
// it with a message (see app/number_box.h), and uses BeginHourlyRun / RunStep / EndHourlyRun
// and the other run-state functions of run_control.cpp around its loop.
#include "app/main_form.h"

namespace vorn {

void TForm1::Button4Click() {}
void TForm1::Button5Click() {}
void TForm1::Button6Click() {}
void TForm1::Button19Click() {}  // "線分化" has no action
void TForm1::Button20Click() {}
void TForm1::SpeedButton2Click() {}
void TForm1::UpDown3Click(bool /*up*/) {}
void TForm1::UpDown4Click(bool /*up*/) {}
void TForm1::CheckBox1Click() {}
void TForm1::CheckListBox1Click() {}
void TForm1::RadioGroup5Click() {}

}  // namespace vorn
