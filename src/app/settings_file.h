// The settings file: every parameter of the main window, read once at start-up and written
// once at shut-down, in the profile (INI) format as UTF-8 text.
#pragma once

#include <filesystem>
#include <string>

#include "app/ini_file.h"
#include "app/shell.h"

namespace vorn {

class TForm1;

// The executable's file name with its extension replaced by ".ini".
std::string SettingsFileName(const std::filesystem::path& executable);

// Fills the controls from the file; what is missing or does not parse takes its default.
// The window is centred on the screen when the stored position is missing or would put it
// past the screen's right or bottom edge.
void ReadSettings(TForm1& form, const IniFile& ini, ScreenSize screen);

// Writes every key into `ini` (other keys of the file are kept) in the file's order.
IniFile WriteSettings(const TForm1& form, IniFile ini);

}  // namespace vorn
