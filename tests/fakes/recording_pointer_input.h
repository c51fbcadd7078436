#pragma once

#include <string>
#include <vector>

#include "core/input_port.h"
#include "tests/fakes/event_journal.h"
#include "tests/fakes/fake_desktop.h"

namespace veltranix::testing {

inline std::string ButtonName(PointerButton button) {
    switch (button) {
        case PointerButton::Left:
            return "Left";
        case PointerButton::Right:
            return "Right";
        case PointerButton::Middle:
            return "Middle";
    }
    return "?";
}

// Records synthetic pointer input as texts: "press Left", "release Right",
// "moveTo 10,20", "moveBy -1,0". Moves also move the fake desktop's pointer
// when one is attached.
class RecordingPointerInput : public PointerInputPort {
  public:
    void sendButton(PointerButton button, KeyDirection direction) override {
        Record((direction == KeyDirection::Press ? "press " : "release ") + ButtonName(button));
    }
    void moveTo(ScreenPoint point) override {
        Record("moveTo " + std::to_string(point.x) + "," + std::to_string(point.y));
        if (desktop != nullptr) {
            desktop->pointer = point;
        }
    }
    void moveBy(int dxPixels, int dyPixels) override {
        Record("moveBy " + std::to_string(dxPixels) + "," + std::to_string(dyPixels));
        if (desktop != nullptr) {
            desktop->pointer.x += dxPixels;
            desktop->pointer.y += dyPixels;
        }
    }

    // Only the button events.
    std::vector<std::string> Buttons() const {
        std::vector<std::string> buttons;
        for (const std::string& event : events) {
            if (event.starts_with("press") || event.starts_with("release")) {
                buttons.push_back(event);
            }
        }
        return buttons;
    }

    std::vector<std::string> events;
    FakeDesktop* desktop = nullptr;
    EventJournal* journal = nullptr;

  private:
    void Record(std::string event) {
        Note(journal, event);
        events.push_back(std::move(event));
    }
};

}  // namespace veltranix::testing
