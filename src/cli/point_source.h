// Where vorn-batch's point commands take their points from: a CSV file whose points answer the
// continuous pick one by one, or a layer whose circle-and-text marks answer the batch
// acquisition's selection. Shared by every command that enters points.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "cad/host/scripted_interaction.h"
#include "geometry/records.h"

namespace vorn::cli {

struct GivenPoint {
  TAcadPoint p;
  std::optional<std::string> name;
};

struct PointFile {
  std::vector<GivenPoint> points;
  std::string error;  // "FILE:LINE: reason" when the file cannot be used
};

// One point a line: x,y[,z[,name]] (UTF-8; blank lines and lines starting with '#' skipped;
// the name is the rest of the line after the third comma, trimmed). A line that is not
// numbers, or a file without any point, is an error naming the file and the line.
PointFile ReadPointFile(const std::string& path);

struct PointSource {
  std::vector<GivenPoint> points;  // from --points
  std::string layer;               // from --points-layer
};

// Enters the points into the form's grid of `mode` (1: specific points, StringGrid2; 0: sky
// measurement points, StringGrid1) the way a user would: the file's points picked one by one
// with the continuous pick, then Enter; or the layer's marks selected for the batch
// acquisition. The pressed command runs its analysis at once. A name given in the file labels
// its point as a text beside it would. Returns why the entry failed, empty when it did not.
std::string EnterGivenPoints(TForm1& form, cad::host::ScriptedInteraction& user,
                             const PointSource& source, int mode);

}  // namespace vorn::cli
