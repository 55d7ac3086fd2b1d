// AutoCAD's windows as the Windows desktop shows them: the command-line path's window calls
// over Win32. Built only on Windows.
#pragma once

#include <memory>

#include "cad/command_line.h"

namespace vorn::cad {

std::unique_ptr<WindowSystem> MakeWin32WindowSystem();

}  // namespace vorn::cad
