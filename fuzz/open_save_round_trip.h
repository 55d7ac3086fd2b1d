// The round trip a user's drawing goes through in vorn-batch without a command: open it in the
// built-in drawing host, save it, and open what was saved. The fuzz target drives it with
// arbitrary bytes and the regression test with the inputs the fuzzer once broke it with.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vorn::fuzz {

// A broken promise of the round trip (an error the host cannot explain as a bad drawing, a
// drawing that opens but cannot be saved, a saved drawing that does not reopen or does not
// save to the same text again); what() says which.
class RoundTripFault : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

struct RoundTripResult {
  bool opened = false;
  std::string refusal;  // the host's error when the bytes were refused as a drawing
};

// Writes `bytes` as a drawing file into `folder` (which must exist and is left holding the
// files of this run), opens, saves and reopens it as vorn-batch would. A refusal is a
// result; anything else going wrong throws RoundTripFault.
RoundTripResult OpenSaveRoundTrip(std::string_view bytes, const std::filesystem::path& folder);

}  // namespace vorn::fuzz
