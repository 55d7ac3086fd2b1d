// Line-type files as the host loads them: the text format of .lin files, and the files the
// supported kinds of CAD ship, built in so the host needs nothing installed.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dxf/dxf_drawing.h"

namespace vorn::cad::host {

// "*NAME,description" followed by "A,dash,gap,..." lines; ';' starts a comment. Complex
// line types (with text or shapes in brackets) are skipped.
std::vector<dxf::LineType> ParseLinFile(std::string_view text);

// The line type `name` from `file`: a readable file on disk, else a built-in file of that
// name (without regard to letter case). nullopt when neither holds it.
std::optional<dxf::LineType> FindLinetypeInFile(const std::string& name, const std::string& file);

}  // namespace vorn::cad::host
