// vorn-batch: the shadow studies without a window, on DXF drawings.
#include <iostream>
#include <string>
#include <vector>

#include "cli/batch_run.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return vorn::cli::BatchMain(args, std::cout, std::cerr);
}
