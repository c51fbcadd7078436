#pragma once

#include <string>
#include <vector>

namespace veltranix::testing {

// One ordered list of what several fakes were asked to do, as short texts
// ("press Left", "moveTo 10,20", "sleep 2"), for tests about the order of events.
using EventJournal = std::vector<std::string>;

inline void Note(EventJournal* journal, std::string event) {
    if (journal != nullptr) {
        journal->push_back(std::move(event));
    }
}

}  // namespace veltranix::testing
