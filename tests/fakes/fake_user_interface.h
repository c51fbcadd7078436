#pragma once

#include "tracking/headless_user_interface.h"

namespace veltranix::testing {

using FakeUserInterface = HeadlessUserInterface;
using veltranix::ShownMessage;

}  // namespace veltranix::testing
