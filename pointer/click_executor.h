#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "core/clock.h"
#include "core/desktop_port.h"
#include "core/feedback_port.h"
#include "core/input_port.h"
#include "core/macro_player_port.h"
#include "core/program_folder.h"
#include "pointer/click_type_menu.h"
#include "pointer/scroll_mode.h"
#include "settings/settings.h"

namespace veltranix {

// The dwell time the pointer code works with: the clock cursors and the timed
// press exist for 2 to 8 seconds, so a value outside is taken as the nearest end.
int ClampedDwellSeconds(int dwellSeconds);

// The cursor feedback: the animated clock cursor that shows the dwell time
// running, and the hand after a timed press. GUI thread.
class CursorFeedback {
  public:
    CursorFeedback(CursorPort& cursors, const Settings& settings, ProgramFolder folder);

    // The cursor file for a dwell time: cursors/cur2.ani ... cursors/cur8.ani,
    // or scroll2.ani ... scroll8.ani (the clock with the scroll mark) while
    // the scroll mark is on.
    std::filesystem::path ClockCursorFileFor(int dwellSeconds) const;
    // While on, the system cursors are not brought back: the restore shows
    // the scroll mark's empty clock instead, and the clock runs marked.
    void SetScrollMark(bool on);
    // Replaces the system cursors by the clock of the current dwell time.
    void ShowClockCursor();
    // Brings back the system cursors if the clock is shown; cheap otherwise,
    // so it may be called on every frame the pointer moves.
    void RestoreSystemCursors();
    void ShowHandCursor() { cursors_.showHandCursor(); }
    // A held gesture's progress (0..1): the clock stands still at that part
    // of its round, until the next restore.
    void ShowHoldProgress(double part);
    bool clockShown() const { return clockShown_; }
    bool holdProgressShown() const { return holdStep_ >= 0; }

  private:
    CursorPort& cursors_;
    const Settings& settings_;
    ProgramFolder folder_;
    bool clockShown_ = false;
    int holdStep_ = -1;  // the still shown, in sixteenths of the round
    bool scrollMark_ = false;
    bool scrollMarkShown_ = false;
};

struct ClickPorts {
    PointerInputPort& input;
    const DesktopPort& desktop;
    SoundPort& sound;
    MacroPlayerPort& macros;
    Clock& clock;
};

// Turns click requests into synthetic pointer input, with the click sound.
// GUI thread; every call returns at once.
//
// A timed press holds the primary button for the dwell time without blocking:
// while timedPressHeld() is true the frame loop processes no frames and calls
// AdvanceTimedPress() on every tick instead, and the program calls it on a
// timer of its own, frames or not; `pointerMoveMode` reads 0 for the whole hold.
class ClickExecutor {
  public:
    ClickExecutor(ClickPorts ports, Settings& settings, ProgramFolder folder, ClickTypeMenu& menu,
                  CursorFeedback& cursorFeedback, ScrollMode& scroll);

    // Carries out one click request (see click_request). With the click-type
    // menu shown, the menu is hidden first and the click acts where it was opened.
    void ExecuteClick(std::int32_t clickRequest);
    // Presses the primary button, or releases it when a drag is held.
    void ToggleDrag();
    // Moves the pointer to a screen position on a monitor (the nearest
    // monitor's edge when it lies on none); on the left or right screen edge
    // it adds a one-pixel outward nudge so that edge-triggered panels react.
    void PlacePointer(ScreenPoint point);
    void PlayClickSound();

    bool timedPressHeld() const { return timedPressButton_.has_value(); }
    // Ends the timed press once the dwell time has passed on the clock.
    void AdvanceTimedPress();
    // Ends a timed press now (the camera lost): the button goes up.
    void ReleaseTimedPress();
    // Releases whatever button the program holds down (a drag or a timed
    // press); for shutdown, so that no button stays pressed after the program.
    void ReleaseHeldButtons();

    std::int32_t clickCount() const { return clickCount_; }
    // Every call of ExecuteClick, and the request of the last one; lets the
    // frame loop tell which request a trigger executed.
    std::int64_t requestsExecuted() const { return requestsExecuted_; }
    std::int32_t lastClickRequest() const { return lastClickRequest_; }
    bool dragActive() const { return dragButton_.has_value(); }
    bool scrolling() const { return scroll_.active(); }
    // Ends the scroll mode and takes its mark off the cursor.
    void EndScroll();

  private:
    PointerButton PrimaryButton() const;
    PointerButton SecondaryButton() const;
    void Click(PointerButton button);
    void StartTimedPress();
    void FinishTimedPress();
    void CountAndSound();

    ClickPorts ports_;
    Settings& settings_;
    ProgramFolder folder_;
    ClickTypeMenu& menu_;
    CursorFeedback& cursorFeedback_;
    ScrollMode& scroll_;
    std::int32_t clickCount_ = 0;
    std::int64_t requestsExecuted_ = 0;
    std::int32_t lastClickRequest_ = 0;
    // The button pressed by a drag or a timed press: released is the button
    // that was pressed, even if the button swap changes meanwhile.
    std::optional<PointerButton> dragButton_;
    std::optional<PointerButton> timedPressButton_;
    SystemTime timedPressStart_;
    int timedPressSeconds_ = 0;
    std::int32_t savedPointerMoveMode_ = 0;
};

}  // namespace veltranix
