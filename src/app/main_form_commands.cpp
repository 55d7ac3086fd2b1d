// The commands whose work lives in the computation layers (acquisition, shadows, isochrones,
// sky). Each handler is wired here to its layer as that layer is built; until then it does
// nothing. A command reads its boxes inside RunCommand so that a box that is not a number ends
// it with a message (see app/number_box.h), and uses BeginHourlyRun / RunStep / EndHourlyRun
// and the other run-state functions of run_control.cpp around its loop.
#include "app/main_form.h"

namespace vorn {

void TForm1::Button4Click() {}

}  // namespace vorn
