// libFuzzer target: arbitrary bytes opened as a user's drawing, saved and reopened through the
// built-in drawing host. A crash, a hang, a sanitizer report or a broken round trip stops it.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "fuzz/open_save_round_trip.h"

namespace {

// One folder per fuzzing process for the drawing files of each input, so that parallel jobs
// never share a file; removed when the process ends normally.
class WorkFolder {
 public:
  WorkFolder()
      : path_(std::filesystem::temp_directory_path() /
              ("vorn-fuzz-" + std::to_string(static_cast<long>(getpid())))) {
    std::filesystem::create_directories(path_);
  }
  ~WorkFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const WorkFolder folder;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    vorn::fuzz::OpenSaveRoundTrip(bytes, folder.path());
  } catch (const vorn::fuzz::RoundTripFault& fault) {
    std::fprintf(stderr, "round trip fault: %s\n", fault.what());
    std::abort();
  }
  return 0;
}
