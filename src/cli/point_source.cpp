#include "cli/point_source.h"

#include <algorithm>
#include <string_view>

#include "app/file_io.h"
#include "app/number_box.h"
#include "geometry/point_ops.h"

namespace vorn::cli {

namespace {

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return std::string(text.substr(first, last - first + 1));
}

// x,y[,z[,name]]; nothing when the line is not that.
std::optional<GivenPoint> ParsePointLine(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (fields.size() < 3) {
    const std::size_t comma = line.find(',', start);
    if (comma == std::string::npos) break;
    fields.push_back(line.substr(start, comma - start));
    start = comma + 1;
  }
  std::optional<std::string> name;
  if (fields.size() < 3) {
    fields.push_back(line.substr(start));
  } else {
    std::string rest = Trim(std::string_view(line).substr(start));
    if (!rest.empty()) name = std::move(rest);
  }
  if (fields.size() < 2) return std::nullopt;
  const auto x = ParseDouble(fields[0]);
  const auto y = ParseDouble(fields[1]);
  std::optional<double> z = 0.0;
  if (fields.size() > 2 && !Trim(fields[2]).empty()) z = ParseDouble(fields[2]);
  if (!x || !y || !z) return std::nullopt;
  return GivenPoint{{*x, *y, *z}, name};
}

// The label a given name puts on its row: the last given point at the row's place, as the
// last of repeated picks is the one the grid keeps.
void ApplyGivenNames(TStringGrid& grid, const std::vector<GivenPoint>& points) {
  for (int r = 1; r < grid.RowCount(); ++r) {
    const auto x = ParseDouble(grid.Cells(1, r));
    const auto y = ParseDouble(grid.Cells(2, r));
    if (!x || !y) continue;
    const TAcadPoint at{*x, *y, 0.0};
    const GivenPoint* match = nullptr;
    for (const GivenPoint& g : points) {
      if (SamePoint2D(g.p, at, kSamePointTol)) match = &g;
    }
    if (match != nullptr && match->name) grid.SetCell(3, r, *match->name);
  }
}

}  // namespace

PointFile ReadPointFile(const std::string& path) {
  PointFile file;
  const auto lines = ReadTextFileLines(Utf8Path(path));
  if (!lines) {
    file.error = path + ": cannot read the point file";
    return file;
  }
  for (std::size_t i = 0; i < lines->size(); ++i) {
    const std::string line = Trim((*lines)[i]);
    if (line.empty() || line[0] == '#') continue;
    auto point = ParsePointLine(line);
    if (!point) {
      file.points.clear();
      file.error = path + ":" + std::to_string(i + 1) + ": \"" + line +
                   "\" is not a point (x,y[,z[,name]] with numbers)";
      return file;
    }
    file.points.push_back(std::move(*point));
  }
  if (file.points.empty()) {
    file.error = path + ":" + std::to_string(std::max<std::size_t>(lines->size(), 1)) +
                 ": the file ends without a point";
  }
  return file;
}

std::string EnterGivenPoints(TForm1& form, cad::host::ScriptedInteraction& user,
                             const PointSource& source, int mode) {
  const std::size_t pending = user.Pending();
  form.sg = nullptr;
  if (!source.points.empty()) {
    for (const GivenPoint& g : source.points) user.Point(g.p);
    user.Cancel();  // Enter ends the continuous pick
    if (mode == 1) {
      form.Button21Click();
    } else {
      form.Button12Click();
    }
    if (user.Pending() != pending) {
      return "the continuous pick ended before every point was entered (a point at 0,0,0 "
             "ends the CAD's ID command)";
    }
  } else {
    user.SelectLayer(source.layer);
    if (mode == 1) {
      form.Button22Click();
    } else {
      form.Button16Click();
    }
    if (user.Pending() != pending) return "the selection of the point marks was not made";
  }
  if (form.sg == nullptr) {
    return source.points.empty() ? "no point marks (circles) on the layer " + source.layer
                                 : "no point was entered";
  }
  ApplyGivenNames(*form.sg, source.points);
  return {};
}

}  // namespace vorn::cli
