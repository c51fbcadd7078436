#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/shell/companion_keyboard_window.h"
#include "app/shell/mouse_options_menu.h"
#include "app/shell/webcam_options_menu.h"

namespace veltranix::testing {

// What the options menus ask of the program, as short texts ("close",
// "hide 7"); the engine's readings as large as a long day makes them.
class RecordingMenuHost : public OptionsMenuHost,
                          public MouseMenuEngine,
                          public CompanionPort,
                          public CameraChoicePort {
  public:
    void broadcastTrackingStarted() override {}
    void showCompanionWindow(std::uint64_t id) override { Note("show", id); }
    void hideCompanionWindow(std::uint64_t id) override { Note("hide", id); }
    void closeCompanionWindow(std::uint64_t id) override { Note("close", id); }
    CameraChoices listCameras() override { return cameras; }
    void openStoredCamera() override { journal.push_back("camera"); }
    void closeOptionsMenu(PopupKind) override { journal.push_back("close"); }
    void askBeforeDisablingHeadMovement() override { journal.push_back("warning"); }
    void lexiconReloaded() override { journal.push_back("texts"); }
    void openMacroEditor() override { journal.push_back("editor"); }
    void setGestureTests(bool eye, bool mouth) override {
        eyeTest = eye;
        mouthTest = mouth;
    }
    std::optional<double> eyeActivity() const override { return 70.0; }
    std::optional<double> mouthActivity() const override { return 20.0; }
    std::int32_t clickCount() const override { return 123456; }
    double pointerTravelPixels() const override { return 98765432.0; }

    std::vector<std::string> journal;
    CameraChoices cameras;
    bool eyeTest = false;
    bool mouthTest = false;

  private:
    void Note(const char* what, std::uint64_t id) {
        journal.push_back(what + (" " + std::to_string(id)));
    }
};

}  // namespace veltranix::testing
