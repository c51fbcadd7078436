#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace veltranix::testing {

// The X display of the desktop tests: $DISPLAY, which the test command points
// at the Xvfb server it started. Without it the tests fail, unless
// VELTRANIX_SKIP_X_TESTS=1 asks to skip them.
inline std::string TestDisplayName() {
    const char* name = std::getenv("DISPLAY");
    return name != nullptr ? name : "";
}

inline bool XTestsSkipped() {
    const char* skip = std::getenv("VELTRANIX_SKIP_X_TESTS");
    return skip != nullptr && std::string(skip) == "1";
}

}  // namespace veltranix::testing

// Skips (when asked) or fails the test when there is no X display.
#define VELTRANIX_REQUIRE_X_DISPLAY()                                                  \
    do {                                                                               \
        if (::veltranix::testing::XTestsSkipped()) {                                   \
            GTEST_SKIP() << "VELTRANIX_SKIP_X_TESTS=1: the desktop tests are skipped"; \
        }                                                                              \
        ASSERT_FALSE(::veltranix::testing::TestDisplayName().empty())                  \
            << "no X display: run the tests through tests/platform/run_with_xvfb.sh";  \
    } while (false)
