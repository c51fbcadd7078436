#pragma once

#include "tracking/headless_ports.h"

namespace veltranix::testing {

using FakeDesktop = HeadlessDesktop;

}  // namespace veltranix::testing
