#pragma once

#include <array>
#include <string>

#include "app/shell/shell_actions_port.h"
#include "tracking/headless_ports.h"

namespace veltranix::testing {

// Records what the shell's window logic asks of the program, in order, as
// short texts ("state Reset", "open Pause from ButtonMenu"). Repaints are
// only counted.
class RecordingShellActions : public ShellActionsPort {
  public:
    void setTrackingState(TrackingRequest state) override {
        static constexpr std::array<const char*, 10> kNames{
            "Detect", "?", "StartTracking", "Track",    "Reset", "?",
            "?",      "?", "HeadPause",     "Suspended"};
        journal.push_back(std::string("state ") + kNames[static_cast<std::size_t>(state)]);
        paused = state == TrackingRequest::HeadPause;
    }
    bool trackingPaused() const override { return paused; }
    void setCalibrationHold(bool hold) override {
        journal.push_back(hold ? "hold on" : "hold off");
    }
    void restartSettling() override { journal.push_back("settling"); }
    bool bothEyesMarked() const override { return eyesMarked; }
    void clearEyeMarks() override { journal.push_back("clear marks"); }
    void startTrackingWithMarkedEyes() override { journal.push_back("start marked"); }

    void showForm(MainWindowForm form) override {
        static constexpr std::array<const char*, 4> kNames{"Startup", "Docked", "ButtonMenu",
                                                           "RestartCountdown"};
        journal.push_back(std::string("form ") + kNames[static_cast<std::size_t>(form)]);
    }
    void setMainWindowVisibility(Visibility visibility) override {
        journal.push_back(visibility == Visibility::Shown ? "show main" : "hide main");
    }
    void repaintMainWindow() override { ++repaints; }
    void startTimer(MainWindowTimer timer) override {
        journal.push_back("start timer " + Name(timer));
    }
    void stopTimer(MainWindowTimer timer) override {
        journal.push_back("stop timer " + Name(timer));
    }

    void openPopup(PopupKind popup, PopupOrigin origin) override {
        static constexpr std::array<const char*, 3> kOrigins{"ButtonMenu", "SetupBarAutomatic",
                                                             "SetupBarManual"};
        journal.push_back("open " + Name(popup) + " from " +
                          kOrigins[static_cast<std::size_t>(origin)]);
    }
    void closePopup(PopupKind popup) override { journal.push_back("close " + Name(popup)); }
    void movePointerBy(int dxPixels, int dyPixels) override {
        journal.push_back("pointer by " + std::to_string(dxPixels) + "," +
                          std::to_string(dyPixels));
    }
    void hideCompanionWindow() override { journal.push_back("hide companion"); }
    void openUserManual() override { journal.push_back("manual"); }
    void exitProgram() override { journal.push_back("exit"); }

    static std::string Name(MainWindowTimer timer) {
        static constexpr std::array<const char*, 4> kNames{"RestartCountdown", "CalibrationBlink",
                                                           "SetupSwitch", "OkFrameBlink"};
        return kNames[static_cast<std::size_t>(timer)];
    }
    static std::string Name(PopupKind popup) {
        static constexpr std::array<const char*, 9> kNames{
            "About", "LoadingBar",       "WebcamOptions", "MouseOptions",      "SystemOptions",
            "Pause", "ExitConfirmation", "Warning",       "ManualEyePositions"};
        return kNames[static_cast<std::size_t>(popup)];
    }

    PortLog journal;
    int repaints = 0;
    bool paused = false;
    bool eyesMarked = false;
};

}  // namespace veltranix::testing
