#pragma once

// Include after OpenCV: the input extension's macros would replace its names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <string>

#include "tests/support/real_time.h"

namespace veltranix::testing {

// Real key events and pointer clicks, sent the way a keyboard and mouse
// would, slowly enough that the program sees each key's state as it was.
class XInput {
  public:
    explicit XInput(Display* display) : display_(display) {}

    void Key(unsigned int keycode, bool press) {
        XTestFakeKeyEvent(display_, keycode, press ? True : False, CurrentTime);
        XSync(display_, False);
        Hold(0.15);
    }
    void Tap(KeySym keysym) {
        const unsigned int keycode = XKeysymToKeycode(display_, keysym);
        Key(keycode, true);
        Key(keycode, false);
    }
    void TapWith(KeySym modifier, KeySym keysym) {
        const unsigned int held = XKeysymToKeycode(display_, modifier);
        Key(held, true);
        Tap(keysym);
        Key(held, false);
    }
    void Type(const std::string& ascii) {
        for (const char character : ascii) {
            if (character >= 'A' && character <= 'Z') {
                TapWith(XK_Shift_L, static_cast<KeySym>(character - 'A' + 'a'));
            } else {
                Tap(static_cast<KeySym>(character));
            }
        }
    }
    void ClickAt(int x, int y) {
        XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
        XSync(display_, False);
        Hold(0.15);
        XTestFakeButtonEvent(display_, 1, True, CurrentTime);
        XTestFakeButtonEvent(display_, 1, False, CurrentTime);
        XSync(display_, False);
        Hold(0.4);
        // Out of the way of every window, where a click would do nothing.
        XTestFakeMotionEvent(display_, -1, 1275, 5, CurrentTime);
        XSync(display_, False);
    }

  private:
    Display* display_;
};

}  // namespace veltranix::testing
