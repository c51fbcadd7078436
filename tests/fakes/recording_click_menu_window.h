#pragma once

#include "pointer/click_type_menu.h"
#include "tests/fakes/event_journal.h"

namespace veltranix::testing {

// Records what the menu logic asks of the click-type menu window.
class RecordingClickMenuWindow : public ClickMenuWindowPort {
  public:
    bool show(const ScreenRect&) override {
        Note(journal, "menu show");
        return canCreate;
    }
    void hide() override {
        Note(journal, "menu hide");
        ++hides;
    }
    void repaint() override { ++repaints; }

    int hides = 0;
    int repaints = 0;
    bool canCreate = true;
    EventJournal* journal = nullptr;
};

}  // namespace veltranix::testing
