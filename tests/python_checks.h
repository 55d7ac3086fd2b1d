// The independent checks written in Python (ezdxf, shapely) run Debian's python3. A test program
// cross-built for Windows runs under Wine or on Windows, where that Python cannot be started:
// its build has no Python, and the checks are skipped there rather than failed.
#pragma once

#include <gtest/gtest.h>

#include <string_view>

namespace vorn::testing {

inline bool PythonChecksAvailable() { return !std::string_view(VORN_PYTHON).empty(); }

}  // namespace vorn::testing

// Skips the rest of the test (what it checked so far still counts) when the Python checks
// cannot run in this build.
#define VORN_SKIP_WITHOUT_PYTHON()                \
  if (::vorn::testing::PythonChecksAvailable()) { \
  } else                                          \
    GTEST_SKIP() << "the Python checks do not run in this build"
