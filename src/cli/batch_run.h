// vorn-batch's run: open the drawing in the built-in host, apply the settings, run the
// commands through the form model as the desktop window would, save the resulting drawing.
#pragma once

#include <iosfwd>
#include <optional>

#include "app/ini_file.h"
#include "cli/batch_options.h"

namespace vorn::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitCommandFailed = 1;
inline constexpr int kExitBadInput = 2;

// The settings the form starts on: defaults, then the --settings file, then the overrides
// in the order given. Empty, with the reason on `err`, when the settings file is unreadable.
std::optional<IniFile> EffectiveSettings(const BatchOptions& options, std::ostream& err);

// Runs the whole job; message boxes go to `err` one line each, CAD prompts to `out` when
// verbose. Returns the exit status.
int RunBatch(const BatchOptions& options, std::ostream& out, std::ostream& err);

// Parses the arguments and runs; the whole tool behind main().
int BatchMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vorn::cli
