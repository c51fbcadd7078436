#pragma once

#include <vector>

#include "core/macro_player_port.h"
#include "tests/fakes/event_journal.h"

namespace veltranix::testing {

// Records which macro slots were started; the test sets whether one plays.
class FakeMacroPlayer : public MacroPlayerPort {
  public:
    void startMacroPlayback(int slot) override {
        Note(journal, "macro " + std::to_string(slot));
        startedSlots.push_back(slot);
    }
    bool macroPlaying() const override { return playing; }
    bool shellErrorShowing() const override { return shellError; }

    std::vector<int> startedSlots;
    bool playing = false;
    bool shellError = false;
    EventJournal* journal = nullptr;
};

}  // namespace veltranix::testing
