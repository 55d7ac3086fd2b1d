// What the sky-page commands share: the measurement point of a grid row and the projection
// parameters read from the boxes.
#pragma once

#include "app/main_form.h"
#include "sky/sky_projection.h"

namespace vorn {

// IDPOINT1 and MENTAKA from a row of StringGrid1 (MENTAKA keeps its value when the row's
// plane height is empty). Throws ConversionError when x or y is not a number.
void SetSkyPointFromRow(TForm1& form, int row);

// The projection of diagram type typ (0 A, 1 B) for IDPOINT1 and MENTAKA. Throws
// ConversionError for a box that is not a number.
SkyProjectionParameters ReadSkyProjection(TForm1& form, int typ);

}  // namespace vorn
