// The commands whose work lives in the computation layers (acquisition, shadows, isochrones,
// sky). Each handler is wired here to its layer as that layer is built; until then it does
// nothing. A command reads its boxes inside RunCommand so that a box that is not a number ends
// it with a message (see app/number_box.h), and uses BeginHourlyRun / RunStep / EndHourlyRun
// and the other run-state functions of run_control.cpp around its loop.
#include "app/main_form.h"

namespace vorn {

void TForm1::Button4Click() {}
void TForm1::Button8Click() {}
void TForm1::Button9Click() {}
void TForm1::Button11Click() {}
void TForm1::Button12Click() {}
void TForm1::Button13Click() {}
void TForm1::Button14Click() {}
void TForm1::Button15Click() {}
void TForm1::Button16Click() {}
void TForm1::Button18Click() {}
void TForm1::Button21Click() {}
void TForm1::Button22Click() {}
void TForm1::Button24Click() {}
void TForm1::SpeedButton8Click() {}
void TForm1::RecalculatePointTimes() {}

}  // namespace vorn
