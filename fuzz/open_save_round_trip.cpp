#include "fuzz/open_save_round_trip.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cad/cad_interface.h"
#include "cad/host/drawing_files.h"
#include "cad/host/drawing_host.h"
#include "cad/host/scripted_interaction.h"
#include "dxf/dxf_read_error.h"

namespace vorn::fuzz {
namespace fs = std::filesystem;
namespace {

void WriteBytes(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw RoundTripFault("cannot write the input file " + path.string());
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

int LineCount(std::string_view bytes) {
  return static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
}

// The real file reading and writing of the host, watched: the host turns every exception of
// a read or a save into one CadError, which would hide an out-of-range access or a failed
// allocation behind what looks like an ordinary refusal. Only the reader's own error, on one
// line and pointing into the file, is a refusal a user can act on.
class WatchedFiles final : public cad::host::DrawingFiles {
 public:
  explicit WatchedFiles(int inputLines) : inputLines_(inputLines) {}

  dxf::Drawing Read(const fs::path& path) override {
    try {
      return real_.Read(path);
    } catch (const dxf::DxfReadError& e) {
      CheckRefusal(e);
      throw;
    } catch (const std::exception& e) {
      fault_ = std::string("reading let through an error that is not a refusal: ") + e.what();
      throw;
    }
  }

  std::string Save(const dxf::Drawing& drawing, const fs::path& path) override {
    try {
      return real_.Save(drawing, path);
    } catch (const std::exception& e) {
      fault_ = std::string("a drawing that opened cannot be saved: ") + e.what();
      throw;
    }
  }

  // Empty while nothing went wrong that a bad drawing explains.
  const std::string& fault() const { return fault_; }

 private:
  void CheckRefusal(const dxf::DxfReadError& e) {
    const std::string_view what = e.what();
    if (what.empty() || what.find_first_of("\r\n") != std::string_view::npos) {
      fault_ = "the refusal is not one line: \"" + std::string(what) + "\"";
    } else if (e.line() < 1 || e.line() > inputLines_) {
      fault_ = "the refusal names line " + std::to_string(e.line()) + " of a file of " +
               std::to_string(inputLines_) + " lines: " + std::string(what);
    }
  }

  cad::host::DxfDrawingFiles real_;
  int inputLines_;
  std::string fault_;
};

// Opens `path` in a fresh host; a CadError the watched files found unexplained becomes a fault.
// Returns the refusal, empty when the drawing opened.
std::string OpenInto(cad::host::DrawingHost& host, const WatchedFiles& files,
                     const fs::path& path) {
  try {
    host.Open(path);
  } catch (const cad::CadError& e) {
    if (!files.fault().empty()) throw RoundTripFault(files.fault());
    return e.what();
  } catch (const std::exception& e) {
    throw RoundTripFault(std::string("opening threw past the host: ") + e.what());
  }
  return {};
}

void SaveFrom(cad::host::DrawingHost& host, const WatchedFiles& files, const fs::path& path) {
  try {
    host.SaveAs(path);
  } catch (const cad::CadError& e) {
    throw RoundTripFault(files.fault().empty() ? std::string(e.what()) : files.fault());
  } catch (const std::exception& e) {
    throw RoundTripFault(std::string("saving threw past the host: ") + e.what());
  }
}

}  // namespace

RoundTripResult OpenSaveRoundTrip(std::string_view bytes, const fs::path& folder) {
  const fs::path input = folder / "drawing.dxf";
  const fs::path saved = folder / "saved.dxf";
  const fs::path savedAgain = folder / "saved-again.dxf";
  WriteBytes(input, bytes);

  cad::host::ScriptedInteraction user;
  WatchedFiles files(LineCount(bytes));
  cad::host::DrawingHost host(user, files);
  const std::string refusal = OpenInto(host, files, input);
  if (!refusal.empty()) return RoundTripResult{false, refusal};
  SaveFrom(host, files, saved);

  // What the host saved must open again, and saving it once more must not change it: a writer
  // that drifts on its own output loses a little more of the drawing with every save.
  const std::string savedBytes = ReadBytes(saved);
  WatchedFiles reopenedFiles(LineCount(savedBytes));
  cad::host::DrawingHost reopened(user, reopenedFiles);
  const std::string reopenRefusal = OpenInto(reopened, reopenedFiles, saved);
  if (!reopenRefusal.empty()) {
    throw RoundTripFault("the saved drawing does not open again: " + reopenRefusal);
  }
  SaveFrom(reopened, reopenedFiles, savedAgain);
  if (ReadBytes(savedAgain) != savedBytes) {
    throw RoundTripFault("saving the saved drawing again changes its text");
  }
  return RoundTripResult{true, {}};
}

}  // namespace vorn::fuzz
