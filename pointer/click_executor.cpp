#include "pointer/click_executor.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/desktop_layout.h"
#include "core/timing.h"
#include "pointer/click_codes.h"

namespace veltranix {

namespace {
constexpr int kShortestDwellSeconds = 2;
constexpr int kLongestDwellSeconds = 8;
// Lets the pointer jump back to where the menu was opened before the click.
constexpr int kSettleAfterMenuMs = 2;
}  // namespace

int ClampedDwellSeconds(int dwellSeconds) {
    return std::clamp(dwellSeconds, kShortestDwellSeconds, kLongestDwellSeconds);
}

CursorFeedback::CursorFeedback(CursorPort& cursors, const Settings& settings, ProgramFolder folder)
    : cursors_(cursors), settings_(settings), folder_(std::move(folder)) {}

std::filesystem::path CursorFeedback::ClockCursorFileFor(int dwellSeconds) const {
    return folder_.cursorsFolder() / ((scrollMark_ ? "scroll" : "cur") +
                                      std::to_string(ClampedDwellSeconds(dwellSeconds)) + ".ani");
}

void CursorFeedback::ShowClockCursor() {
    if (cursors_.installAnimatedCursor(ClockCursorFileFor(settings_.dwellSeconds))) {
        clockShown_ = true;
        scrollMarkShown_ = false;
    }
}

void CursorFeedback::SetScrollMark(bool on) {
    scrollMark_ = on;
    scrollMarkShown_ = false;
    RestoreSystemCursors();
}

void CursorFeedback::RestoreSystemCursors() {
    if (scrollMark_) {
        holdStep_ = -1;
        if (!scrollMarkShown_ &&
            cursors_.installCursorStill(ClockCursorFileFor(settings_.dwellSeconds), 0.0)) {
            clockShown_ = true;
            scrollMarkShown_ = true;
        }
        return;
    }
    if (clockShown_) {
        cursors_.restoreSystemCursors();
        clockShown_ = false;
    }
    holdStep_ = -1;
}

void CursorFeedback::ShowHoldProgress(double part) {
    constexpr int kHoldSteps = 16;
    const int step = static_cast<int>(std::lround(std::clamp(part, 0.0, 1.0) * kHoldSteps));
    // Installed only when the picture changes: a cursor change is a server round trip.
    if (step != holdStep_ && cursors_.installCursorStill(ClockCursorFileFor(settings_.dwellSeconds),
                                                         step / static_cast<double>(kHoldSteps))) {
        clockShown_ = true;
        scrollMarkShown_ = false;
        holdStep_ = step;
    }
}

ClickExecutor::ClickExecutor(ClickPorts ports, Settings& settings, ProgramFolder folder,
                             ClickTypeMenu& menu, CursorFeedback& cursorFeedback,
                             ScrollMode& scroll)
    : ports_(ports),
      settings_(settings),
      folder_(std::move(folder)),
      menu_(menu),
      cursorFeedback_(cursorFeedback),
      scroll_(scroll) {}

PointerButton ClickExecutor::PrimaryButton() const {
    return ports_.desktop.primaryButtonSwapped() ? PointerButton::Right : PointerButton::Left;
}

PointerButton ClickExecutor::SecondaryButton() const {
    return ports_.desktop.primaryButtonSwapped() ? PointerButton::Left : PointerButton::Right;
}

void ClickExecutor::Click(PointerButton button) {
    ports_.input.sendButton(button, KeyDirection::Press);
    ports_.input.sendButton(button, KeyDirection::Release);
}

void ClickExecutor::ExecuteClick(std::int32_t clickRequest) {
    ++requestsExecuted_;
    lastClickRequest_ = clickRequest;
    if (timedPressHeld()) {
        // Frames are not processed during a press; should a request arrive
        // anyway, the press ends first so that its button is not left down.
        FinishTimedPress();
    }
    if (menu_.visible()) {
        menu_.Hide();
        PlacePointer(menu_.savedClickPos());
        ports_.clock.sleepMs(kSettleAfterMenuMs);
    }
    switch (clickRequest) {
        case click_request::kLeft:
        case click_request::kLeftAlternate:
            Click(PrimaryButton());
            break;
        case click_request::kRight:
            Click(SecondaryButton());
            break;
        case click_request::kDouble: {
            const PointerButton primary = PrimaryButton();
            Click(primary);
            Click(primary);
            break;
        }
        case click_request::kMiddle:
            Click(PointerButton::Middle);
            break;
        case click_request::kDragToggle:
            ToggleDrag();
            break;
        case click_request::kTimedPress:
            StartTimedPress();
            // Counted and sounded when the button is released.
            return;
        case click_request::kScroll:
            // Not a click: the sound tells that the mode has begun.
            scroll_.Start();
            cursorFeedback_.SetScrollMark(true);
            PlayClickSound();
            return;
        default:
            if (clickRequest >= click_request::kFirstMacro &&
                clickRequest <= click_request::kLastMacro) {
                ports_.macros.startMacroPlayback(clickRequest - click_request::kFirstMacro);
            }
            break;
    }
    CountAndSound();
}

void ClickExecutor::CountAndSound() {
    ++clickCount_;
    PlayClickSound();
}

void ClickExecutor::ToggleDrag() {
    if (dragButton_) {
        ports_.input.sendButton(*dragButton_, KeyDirection::Release);
        dragButton_.reset();
    } else {
        dragButton_ = PrimaryButton();
        ports_.input.sendButton(*dragButton_, KeyDirection::Press);
    }
}

void ClickExecutor::StartTimedPress() {
    savedPointerMoveMode_ = settings_.pointerMoveMode;
    settings_.pointerMoveMode = 0;
    cursorFeedback_.ShowClockCursor();
    timedPressButton_ = PrimaryButton();
    timedPressSeconds_ = ClampedDwellSeconds(settings_.dwellSeconds);
    ports_.input.sendButton(*timedPressButton_, KeyDirection::Press);
    timedPressStart_ = ports_.clock.utcNow();
}

void ClickExecutor::AdvanceTimedPress() {
    if (timedPressHeld() && ElapsedAtLeast(timedPressStart_, ports_.clock.utcNow(),
                                           static_cast<float>(timedPressSeconds_))) {
        FinishTimedPress();
    }
}

void ClickExecutor::FinishTimedPress() {
    ports_.input.sendButton(*timedPressButton_, KeyDirection::Release);
    timedPressButton_.reset();
    // The clock stays installed as the system cursors until the pointer next
    // moves; the pointer itself shows the hand at once.
    cursorFeedback_.ShowHandCursor();
    // A mode chosen in the options meanwhile is kept.
    if (settings_.pointerMoveMode == 0) {
        settings_.pointerMoveMode = savedPointerMoveMode_;
    }
    CountAndSound();
}

void ClickExecutor::ReleaseTimedPress() {
    if (timedPressHeld()) {
        FinishTimedPress();
    }
}

void ClickExecutor::EndScroll() {
    scroll_.Stop();
    cursorFeedback_.SetScrollMark(false);
}

void ClickExecutor::ReleaseHeldButtons() {
    ReleaseTimedPress();
    EndScroll();
    if (dragButton_) {
        ToggleDrag();
    }
}

void ClickExecutor::PlacePointer(ScreenPoint point) {
    // Never where no monitor shows the pointer (the dead area beside monitors
    // of unequal height): the nearest monitor's edge instead.
    ports_.input.moveTo(NearestPointOnMonitors(point, ports_.desktop.monitors()));
    const int screenWidth = ports_.desktop.screenSize().width;
    if (point.x == screenWidth) {
        ports_.input.moveBy(1, 0);
    } else if (point.x == 0) {
        ports_.input.moveBy(-1, 0);
    }
}

void ClickExecutor::PlayClickSound() {
    if (settings_.so == 1) {
        ports_.sound.play(folder_.soundsFolder() / "click.wav", SoundOverlap::Interrupt);
    }
}

}  // namespace veltranix
