#pragma once

#include "core/clock.h"
#include "core/geometry.h"
#include "pointer/click_executor.h"
#include "pointer/click_type_menu.h"
#include "pointer/open_windows.h"
#include "settings/settings.h"

namespace veltranix {

// The triggers of one tracking frame. The eye and mouth tests set their flag
// and the kind bound to them, the dwell clock sets `clickPending` and its
// kind; the dispatch clears them all. GUI thread.
struct TriggerState {
    bool eyesClosedGesture = false;
    bool mouthOpenGesture = false;
    bool clickPending = false;
    int clickKindIndex = 0;
};

enum class PointerMotion { Still, Moved };

// The dwell clock: holding the pointer still for the dwell time fires the
// lowest click kind bound to the clock; after a dwell click the pointer must
// move before the clock counts again, except over the program's own windows.
// Also times the post-click pause that follows every dispatched trigger.
//
// Per tracking frame, in this order:
//   if (!clock.PostClickPauseStands()) {
//       if (clock.CheckStillness(pointer, trackMotion) == PointerMotion::Still) {
//           eye test, mouth test;
//           if (settings.pointerMoveMode != 1) clock.Advance(triggers);
//       }
//   }
//   dispatcher.Dispatch(triggers);
// GUI thread.
class DwellClock {
  public:
    static constexpr float kPostClickPauseSeconds = 0.7f;

    DwellClock(Clock& clock, const Settings& settings, CursorFeedback& cursorFeedback,
               const OpenWindows& openWindows, const ClickTypeMenu& menu);

    // Times the post-click pause; true while it still stands (the frame then
    // runs no gesture tests and no dwell clock).
    bool PostClickPauseStands();
    // Every dispatched trigger is followed by the pause.
    void RequestPostClickPause() { pauseRequested_ = true; }

    // Compares the pointer with its position on the previous tested frame.
    // Still: within 1 pixel in x and y and the face moved less than 2 pixels
    // in the camera image (always, in the pointer-follows-mouse mode 1).
    // Moved: the clock stops and the system cursors come back.
    PointerMotion CheckStillness(ScreenPoint pointer, double trackMotionPixels);

    // The clock's step for a still frame; an eye or mouth trigger of this
    // frame cancels the clock.
    void Advance(TriggerState& triggers);

    // While a held gesture builds (`part` > 0) the clock cursor shows its
    // progress and the dwell clock waits; 0 ends the display and the clock
    // starts afresh.
    void FollowHoldProgress(double part);

    bool clockRunning() const { return clockRunning_; }
    bool clockFired() const { return clockFired_; }
    bool postClickPauseRequested() const { return pauseRequested_; }

  private:
    bool AnyDwellBinding() const;
    void Stop();

    Clock& clock_;
    const Settings& settings_;
    CursorFeedback& cursorFeedback_;
    const OpenWindows& openWindows_;
    const ClickTypeMenu& menu_;

    bool clockRunning_ = false;
    bool clockFired_ = false;
    SystemTime clockStart_;
    bool pauseRequested_ = false;
    bool pauseTimingStarted_ = false;
    SystemTime pauseStart_;
    ScreenPoint lastPointer_;
};

}  // namespace veltranix
