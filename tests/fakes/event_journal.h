#pragma once

#include "tracking/headless_ports.h"

namespace veltranix::testing {

// One ordered list of what several doubles were asked to do, for tests about
// the order of events.
using EventJournal = PortLog;
using veltranix::Note;

}  // namespace veltranix::testing
