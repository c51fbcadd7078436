#include "pointer/trigger_dispatcher.h"

#include "pointer/click_codes.h"

namespace veltranix {

namespace {

bool StrictlyInside(const ScreenRect& rect, ScreenPoint point) {
    return rect.left < point.x && point.x < rect.right && rect.top < point.y &&
           point.y < rect.bottom;
}

}  // namespace

TriggerDispatcher::TriggerDispatcher(TriggerDispatcherParts parts) : parts_(parts) {}

GestureSource TriggerDispatcher::Dispatch(TriggerState& triggers) {
    GestureSource source = GestureSource::None;
    if (triggers.eyesClosedGesture) {
        source = GestureSource::Eye;
    } else if (triggers.mouthOpenGesture) {
        source = GestureSource::Mouth;
    } else if (triggers.clickPending) {
        source = GestureSource::Dwell;
    } else {
        return source;
    }
    OnDwellTrigger(triggers.clickKindIndex, triggers);
    return source;
}

void TriggerDispatcher::OnDwellTrigger(int clickKindIndex, TriggerState& triggers) {
    Decide(clickKindIndex);
    triggers.eyesClosedGesture = false;
    triggers.mouthOpenGesture = false;
    triggers.clickPending = false;
    parts_.dwellClock.RequestPostClickPause();
}

bool TriggerDispatcher::PointerOnEditingWindow(ScreenPoint pointer) const {
    const OpenWindows& windows = parts_.openWindows;
    if (parts_.windowAtPoint.ownWindowAt(pointer) != OwnWindowAtPoint::None) {
        return true;
    }
    if (windows.profileNameDialogShown && StrictlyInside(windows.profileNameDialogRect, pointer)) {
        return true;
    }
    return windows.macroEditor && windows.macroEditorForegroundAtLastPaint &&
           !windows.profileNameDialogShown && StrictlyInside(windows.macroEditorRect, pointer);
}

bool TriggerDispatcher::PointerOnCompanionKeyboard(ScreenPoint pointer) const {
    const KeyboardCooperation& keyboards = parts_.keyboards;
    return (keyboards.keyboard.present && StrictlyInside(keyboards.keyboard.rect, pointer)) ||
           (keyboards.macroKeyboard.present &&
            StrictlyInside(keyboards.macroKeyboard.rect, pointer));
}

void TriggerDispatcher::Decide(int clickKindIndex) {
    ClickExecutor& clicks = parts_.clicks;
    ClickTypeMenu& menu = parts_.menu;

    if (clicks.scrolling()) {
        // Any trigger while the head scrolls ends the scrolling and clicks
        // nothing: the pointer has stood over the page all along.
        clicks.EndScroll();
        return;
    }
    if (parts_.macros.macroPlaying()) {
        // The click dismisses the player's message about a failed shell command.
        if (parts_.macros.shellErrorShowing()) {
            clicks.ExecuteClick(click_request::kLeft);
        }
        return;
    }
    if (parts_.settings.pointerMoveMode == 1) {
        clicks.ExecuteClick(click_request::kLeft);
        return;
    }
    const ScreenPoint pointer = parts_.desktop.pointerPosition();
    const bool plainClickWindowOpen = parts_.openWindows.AnyWantsPlainClick();
    if (menu.visible()) {
        if (plainClickWindowOpen) {
            clicks.ExecuteClick(clickKindIndex);
        } else if (menu.PointerInside(pointer)) {
            clicks.ExecuteClick(menu.menuClickRequest());
        } else {
            menu.setMenuClickRequest(click_request::kLeft);
            clicks.ExecuteClick(click_request::kLeft);
        }
        return;
    }

    KeyboardCooperation& keyboards = parts_.keyboards;
    if (keyboards.keyboard.plainClickRequested || keyboards.macroKeyboard.plainClickRequested) {
        keyboards.keyboard.plainClickRequested = false;
        keyboards.macroKeyboard.plainClickRequested = false;
        clicks.ExecuteClick(click_request::kLeft);
        return;
    }
    if (plainClickWindowOpen || PointerOnEditingWindow(pointer) ||
        PointerOnCompanionKeyboard(pointer)) {
        clicks.ExecuteClick(click_request::kLeft);
        return;
    }
    if (clickKindIndex != click_kind::kMenu) {
        clicks.ExecuteClick(clickKindIndex);
        return;
    }
    if (clicks.dragActive()) {
        // A menu trigger while a drag is held drops the drag where the pointer is.
        menu.setSavedClickPos(pointer);
        clicks.ExecuteClick(click_request::kDragToggle);
        return;
    }
    menu.Open(pointer);
}

}  // namespace veltranix
