#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "core/companion_port.h"
#include "core/desktop_port.h"
#include "core/feedback_port.h"
#include "core/input_port.h"
#include "core/macro_player_port.h"
#include "pointer/click_type_menu.h"
#include "pointer/open_windows.h"
#include "tracking/headless_user_interface.h"
#include "tracking/manual_clock.h"
#include "tracking/tracking_windows_port.h"

namespace veltranix {

// Ports that record what the engine asks for instead of acting on it, for
// runs without a desktop (the replay tool, tests). Single thread.

// What several ports were asked to do, in order, as short texts ("press Left",
// "moveTo 10,20", "sound click.wav"), when a log is attached to them.
using PortLog = std::vector<std::string>;

inline void Note(PortLog* log, std::string event) {
    if (log != nullptr) {
        log->push_back(std::move(event));
    }
}

// A simulated screen (1280 x 1024 unless told) whose pointer goes where the
// engine puts it; the work area leaves a 40-pixel task bar.
class HeadlessDesktop : public DesktopPort {
  public:
    explicit HeadlessDesktop(ScreenSize size = {1280, 1024})
        : screen(size),
          work{0, 0, size.width, size.height - 40},
          pointer{size.width / 2, size.height / 2} {}
    ScreenSize screenSize() const override { return screen; }
    ScreenRect workArea() const override { return work; }
    ScreenPoint pointerPosition() const override { return pointer; }
    bool primaryButtonSwapped() const override { return swapped; }

    ScreenSize screen;
    ScreenRect work;
    ScreenPoint pointer;
    bool swapped = false;
};

// Records input as texts: "press Left", "release Right", "moveTo 10,20",
// "moveBy -1,0", "wheel 2", "hwheel -1"; moves also move the desktop's pointer, kept on the screen.
class HeadlessPointerInput : public PointerInputPort {
  public:
    explicit HeadlessPointerInput(HeadlessDesktop& desktop) : desktop_(desktop) {}
    void sendButton(PointerButton button, KeyDirection direction) override {
        Record((direction == KeyDirection::Press ? "press " : "release ") + ButtonName(button));
    }
    void moveTo(ScreenPoint point) override {
        Record("moveTo " + std::to_string(point.x) + "," + std::to_string(point.y));
        desktop_.pointer = OnScreen(point);
    }
    void moveBy(int dxPixels, int dyPixels) override {
        Record("moveBy " + std::to_string(dxPixels) + "," + std::to_string(dyPixels));
        desktop_.pointer = OnScreen({desktop_.pointer.x + dxPixels, desktop_.pointer.y + dyPixels});
    }
    void sendWheel(WheelAxis axis, int steps) override {
        Record((axis == WheelAxis::Vertical ? "wheel " : "hwheel ") + std::to_string(steps));
    }
    // Only the button events.
    std::vector<std::string> Buttons() const {
        std::vector<std::string> buttons;
        std::copy_if(events.begin(), events.end(), std::back_inserter(buttons),
                     [](const std::string& event) {
                         return !event.starts_with("move") &&
                                event.find("wheel") == std::string::npos;
                     });
        return buttons;
    }

    std::vector<std::string> events;
    PortLog* log = nullptr;

  private:
    static std::string ButtonName(PointerButton button) {
        return button == PointerButton::Left    ? "Left"
               : button == PointerButton::Right ? "Right"
                                                : "Middle";
    }
    void Record(std::string event) {
        Note(log, event);
        events.push_back(std::move(event));
    }
    ScreenPoint OnScreen(ScreenPoint point) const {
        return {std::clamp(point.x, 0, desktop_.screen.width - 1),
                std::clamp(point.y, 0, desktop_.screen.height - 1)};
    }
    HeadlessDesktop& desktop_;
};

// Records cursor changes: "install <file name>", "still <file name>",
// "restore", "hand".
class HeadlessCursors : public CursorPort {
  public:
    bool installAnimatedCursor(const std::filesystem::path& aniFile) override {
        Record("install " + aniFile.filename().string());
        installedFiles.push_back(aniFile);
        return installSucceeds;
    }
    bool installCursorStill(const std::filesystem::path& aniFile, double) override {
        Record("still " + aniFile.filename().string());
        return installSucceeds;
    }
    void restoreSystemCursors() override { Record("restore"); }
    void showHandCursor() override { Record("hand"); }

    std::vector<std::string> events;
    std::vector<std::filesystem::path> installedFiles;
    bool installSucceeds = true;
    PortLog* log = nullptr;

  private:
    void Record(std::string event) {
        Note(log, event);
        events.push_back(std::move(event));
    }
};

struct PlayedSound {
    std::filesystem::path file;
    SoundOverlap overlap;
};

class HeadlessSound : public SoundPort {
  public:
    void play(const std::filesystem::path& waveFile, SoundOverlap overlap) override {
        Note(log, "sound " + waveFile.filename().string());
        played.push_back({waveFile, overlap});
    }
    std::vector<PlayedSound> played;
    PortLog* log = nullptr;
};

class HeadlessCompanion : public CompanionPort {
  public:
    void broadcastTrackingStarted() override { ++broadcasts; }
    void showCompanionWindow(std::uint64_t) override { ++shows; }
    void hideCompanionWindow(std::uint64_t) override {}
    void closeCompanionWindow(std::uint64_t) override {}
    int broadcasts = 0;
    int shows = 0;
};

// What the main window's timers did up to a moment.
struct WindowTimerEvents {
    bool headPauseCooldownEnded = false;  // timer 11's second tick
    bool restartCountdownEnded = false;   // timer 10's eleventh tick: Reset
};

// Windows that are never in the way: no popup open, main window docked at the
// bottom-right corner. Tests set the fields to put them in the way. The
// head-pause cooldown (timer 11, 2 s) and the restart countdown (timer 10,
// 1 s, from 10 down) run on the simulated clock when runTimers is called.
class HeadlessTrackingWindows : public TrackingWindowsPort {
  public:
    explicit HeadlessTrackingWindows(const ManualClock& clock) : clock_(clock) {}

    WindowTimerEvents runTimers() {
        WindowTimerEvents events;
        const long long now = clock_.nowMs();
        if (cooldownStartMs_ && now - *cooldownStartMs_ >= 2 * kCooldownTickMs) {
            cooldownStartMs_.reset();
            events.headPauseCooldownEnded = true;
        }
        if (countdownStartMs_ && now - *countdownStartMs_ >= (kCountdownStart + 1) * 1000LL) {
            countdownStartMs_.reset();
            mainWindow = Visibility::Hidden;
            events.restartCountdownEnded = true;
        }
        return events;
    }
    // The digit the restart countdown shows; none while it is not shown.
    std::optional<int> countdownValue() const {
        if (!countdownStartMs_) {
            return std::nullopt;
        }
        const long long ticks = (clock_.nowMs() - *countdownStartMs_) / 1000;
        return static_cast<int>(std::max<long long>(0, kCountdownStart - ticks));
    }

    ScreenPoint mainWindowTopLeft() const override { return mainTopLeft; }
    bool mainWindowInStartupForm() const override { return startupForm; }
    bool mainWindowHiddenByUser() const override { return hiddenByUser; }
    void endMainWindowHidden() override { hiddenByUser = false; }
    void dockMainWindow() override {
        startupForm = false;
        ++docks;
    }
    void showMainMenuForm() override { ++menuForms; }
    void centerMainWindowLarge() override {
        startupForm = true;
        ++centres;
    }
    void setMainWindowVisibility(Visibility visibility) override { mainWindow = visibility; }
    void setCameraViewVisibility(Visibility visibility) override { cameraView = visibility; }
    void clearButtonHighlightUnlessHovered(ScreenPoint) override {}
    void invalidateCameraView() override {}
    bool anyPopupOpen() const override { return popupOpen; }
    bool dockingHeldByPopup() const override { return false; }
    bool restartCountdownShown() const override { return countdownStartMs_.has_value(); }
    void startRestartCountdown() override {
        ++restartCountdowns;
        countdownStartMs_ = clock_.nowMs();
    }
    void closeAllPopups() override { ++popupCloses; }
    void destroyGuideWindow() override {}
    void openLoadingBar() override { loadingBarOpen = true; }
    void closeLoadingBar() override { loadingBarOpen = false; }
    int positionHintWidth() const override { return 300; }
    bool manualEyeViewActive() const override { return manualEyeView; }
    void drawManualEyeGuides(CaptureFrame&) override {}
    void leaveManualEyeView() override { manualEyeView = false; }
    void startHeadPauseCooldownTimer() override {
        ++cooldownTimers;
        cooldownStartMs_ = clock_.nowMs();
    }
    std::optional<std::uint64_t> companionWindow() const override { return std::nullopt; }

    ScreenPoint mainTopLeft{100000, 100000};
    bool startupForm = true;
    bool hiddenByUser = false;
    bool popupOpen = false;
    bool loadingBarOpen = false;
    bool manualEyeView = false;
    Visibility mainWindow = Visibility::Shown;
    Visibility cameraView = Visibility::Shown;
    int docks = 0;
    int menuForms = 0;
    int centres = 0;
    int popupCloses = 0;
    int cooldownTimers = 0;
    int restartCountdowns = 0;

  private:
    static constexpr long long kCooldownTickMs = 2000;
    static constexpr int kCountdownStart = 10;
    const ManualClock& clock_;
    std::optional<long long> cooldownStartMs_;
    std::optional<long long> countdownStartMs_;
};

// A click-type menu window that is only a rectangle: "menu show", "menu hide".
class HeadlessClickMenuWindow : public ClickMenuWindowPort {
  public:
    bool show(const ScreenRect& rect) override {
        Note(log, "menu show");
        shownAt.push_back(rect);
        return canCreate;
    }
    void hide() override {
        Note(log, "menu hide");
        ++hides;
    }
    void repaint() override { ++repaints; }
    std::vector<ScreenRect> shownAt;
    int hides = 0;
    int repaints = 0;
    bool canCreate = true;
    PortLog* log = nullptr;
};

// The same window of the program (none unless told) under every point.
class HeadlessWindowAtPoint : public WindowAtPointPort {
  public:
    OwnWindowAtPoint ownWindowAt(ScreenPoint) const override { return window; }
    OwnWindowAtPoint window = OwnWindowAtPoint::None;
};

// Records the macro slots asked for ("macro 2"); nothing plays, unless a
// test says a macro or its shell error is showing.
class HeadlessMacroPlayer : public MacroPlayerPort {
  public:
    void startMacroPlayback(int slot) override {
        Note(log, "macro " + std::to_string(slot));
        slots.push_back(slot);
    }
    bool macroPlaying() const override { return playing; }
    bool shellErrorShowing() const override { return shellError; }
    std::vector<int> slots;
    bool playing = false;
    bool shellError = false;
    PortLog* log = nullptr;
};

}  // namespace veltranix
