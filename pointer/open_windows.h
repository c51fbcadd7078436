#pragma once

#include "core/companion_messages.h"
#include "core/geometry.h"

namespace veltranix {

// Which of the program's own windows are open, as the trigger code sees them.
// Set by the windows themselves; every window lives on the GUI thread, which
// also runs the tracking loop, so the flags are plain.
struct OpenWindows {
    bool about = false;
    bool pause = false;
    bool exitConfirmation = false;
    bool webcamOptions = false;
    bool mouseOptions = false;
    bool systemOptions = false;
    bool mainWindowButtonMenu = false;  // the main window shows its button menu
    bool warning = false;
    // A message in words with its OK button.
    bool notice = false;
    bool macroEditor = false;
    bool restartCountdown = false;  // the main window in its restart countdown form
    bool notificationMenu = false;  // the notification icon's menu is shown
    bool shellCommandDialog = false;
    // The user hid the main window with its hide button.
    bool mainWindowHiddenByUser = false;

    // Where the pointer counts as being on the macro editor or the profile name dialog.
    bool profileNameDialogShown = false;
    ScreenRect profileNameDialogRect;
    ScreenRect macroEditorRect;
    bool macroEditorForegroundAtLastPaint = false;

    // Windows over which the dwell clock counts again without the pointer
    // moving first (the click-type menu is one too; its owner knows whether
    // it is shown).
    bool AnyLetsClockRepeat() const {
        return about || pause || exitConfirmation || webcamOptions || mouseOptions ||
               systemOptions || mainWindowButtonMenu || warning || macroEditor;
    }

    // Windows during which any trigger makes a plain left click; ignored
    // while the user has hidden the main window, except for a message, which
    // holds the pointer on itself until it is answered.
    bool AnyWantsPlainClick() const {
        if (notice) {
            return true;
        }
        if (mainWindowHiddenByUser) {
            return false;
        }
        return about || pause || exitConfirmation || webcamOptions || mouseOptions ||
               systemOptions || mainWindowButtonMenu || restartCountdown || notificationMenu ||
               shellCommandDialog;
    }
};

// The companion on-screen keyboard and its macro keyboard, as their messages
// describe them. Written by the main window's message handler on the GUI thread.
struct CompanionKeyboard {
    ScreenRect rect;
    bool present = false;
    // The next trigger makes a plain left click.
    bool plainClickRequested = false;
};

struct KeyboardCooperation {
    CompanionKeyboard keyboard;
    CompanionKeyboard macroKeyboard;
};

// Applies a "WM_KEYVANE" or "WM_MACROKEYVANE" message to the keyboard it
// describes: the rectangle is stored and its plain-click request cleared;
// all four halves 0xFFFF ask for a plain click (presence unchanged); all
// four 0 mark the keyboard absent; anything else present. Other messages
// change nothing.
void ApplyKeyboardMessage(KeyboardCooperation& keyboards, const CompanionMessage& message);

// Which window of the program is topmost at a screen point.
enum class OwnWindowAtPoint { None, MacroEditor, ProfileNameDialog };

// Asks the window system what lies under a point. GUI thread.
class WindowAtPointPort {
  public:
    virtual ~WindowAtPointPort() = default;
    virtual OwnWindowAtPoint ownWindowAt(ScreenPoint point) const = 0;
};

}  // namespace veltranix
