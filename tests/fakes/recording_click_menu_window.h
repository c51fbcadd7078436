#pragma once

#include <vector>

#include "pointer/click_type_menu.h"
#include "tests/fakes/event_journal.h"

namespace veltranix::testing {

// Records what the menu logic asks of the click-type menu window.
class RecordingClickMenuWindow : public ClickMenuWindowPort {
  public:
    bool show(const ScreenRect& rect) override {
        Note(journal, "menu show");
        shownAt.push_back(rect);
        return canCreate;
    }
    void hide() override {
        Note(journal, "menu hide");
        ++hides;
    }
    void repaint() override { ++repaints; }

    std::vector<ScreenRect> shownAt;
    int hides = 0;
    int repaints = 0;
    bool canCreate = true;
    EventJournal* journal = nullptr;
};

}  // namespace veltranix::testing
