// vorn-batch on Windows: the arguments come from the wide command line as UTF-8 (the narrow
// argv holds only what the ANSI code page can, so a layer named "建物" would arrive broken), and
// the console shows the UTF-8 messages as such.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/batch_run.h"

namespace {

std::string ToUtf8(const wchar_t* wide) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string text(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), size, nullptr, nullptr);
  text.pop_back();  // the terminating null
  return text;
}

std::vector<std::string> Utf8Arguments() {
  int count = 0;
  const std::unique_ptr<LPWSTR, decltype(&LocalFree)> argv(
      CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
  std::vector<std::string> args;
  for (int i = 1; argv && i < count; ++i) args.push_back(ToUtf8(argv.get()[i]));
  return args;
}

}  // namespace

int main() {
  SetConsoleOutputCP(CP_UTF8);
  return vorn::cli::BatchMain(Utf8Arguments(), std::cout, std::cerr);
}
