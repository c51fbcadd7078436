// What every fuzz target uses to report a broken property: the reason on
// standard error, then abort() so that libFuzzer keeps the input.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace veltranix::fuzz {

inline void Require(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", property);
        std::abort();
    }
}

}  // namespace veltranix::fuzz
