#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/platform/x_screen.h"

namespace veltranix::testing {

// A small X client for the tests: one window (by default covering the
// screen) that takes the keyboard focus and records the button and key events
// it receives. It has its own connection, so what it sees has gone through
// the server like any application's input.
class XEventRecorder {
  public:
    struct ButtonEvent {
        unsigned int button = 0;
        bool press = false;
        int rootX = 0;
        int rootY = 0;
        Time time = 0;
    };
    struct KeyEvent {
        unsigned int keycode = 0;
        bool press = false;
        KeySym keysym = 0;  // as the client's keymap reads it with the event's state
        std::u32string text;
        unsigned int state = 0;  // the modifiers held
    };

    explicit XEventRecorder(const std::string& displayName,
                            std::optional<WindowPlace> area = std::nullopt);
    ~XEventRecorder();
    XEventRecorder(const XEventRecorder&) = delete;
    XEventRecorder& operator=(const XEventRecorder&) = delete;

    Display* display() const { return display_; }
    Window window() const { return window_; }
    bool hasFocus() const;

    // Reads events until `done` holds or the time runs out; true when it held.
    bool waitUntil(const std::function<bool()>& done,
                   std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // Reads whatever has arrived once the server has handled all requests so far.
    void drain();

    std::vector<ButtonEvent> buttons;
    std::vector<KeyEvent> keys;

  private:
    void handle(XEvent& event);

    Display* display_ = nullptr;
    Window window_ = 0;
    int xkbEventBase_ = 0;
};

}  // namespace veltranix::testing
