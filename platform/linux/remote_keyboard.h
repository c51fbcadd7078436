#pragma once

#include <cstdint>

#include <linux/input-event-codes.h>

#include "core/input_port.h"
#include "platform/linux/x_keyboard_input.h"

namespace veltranix {

// The Linux input event code of a pointer button, as every Wayland input
// channel takes buttons.
inline std::uint16_t EvdevButtonCode(PointerButton button) {
    return button == PointerButton::Left    ? BTN_LEFT
           : button == PointerButton::Right ? BTN_RIGHT
                                            : BTN_MIDDLE;
}

// Key events as a Wayland input channel takes them. Any thread; the events
// reach the compositor in call order.
class KeyEventSink {
  public:
    virtual ~KeyEventSink() = default;
    // A key by its Linux input event code: a position on the keyboard.
    virtual void sendKeycode(std::uint16_t linuxKeyCode, KeyDirection direction) = 0;
    // A key by the symbol it types, found by the compositor in its layout.
    // False when the channel takes key codes only.
    virtual bool sendKeysym(std::uint32_t keysym, KeyDirection direction) = 0;
};

// The keyboard of the macro files on a Wayland input channel. Keys given by
// scan code go by position (key codes); keys given by virtual key, and
// characters, go by keysym, so that the compositor types them under its
// layout, characters the layout lacks included. A channel of key codes only
// gets the key that XWayland's copy of the layout has for the symbol. The
// keyboard's state (locks, held keys, the layout) is read through XWayland.
// Any thread.
class SinkKeyboardInput : public KeyboardInputPort {
  public:
    SinkKeyboardInput(KeyEventSink& sink, XKeyboardInput& xWayland)
        : sink_(sink), xWayland_(xWayland) {}

    std::uint16_t scanCodeForVirtualKey(std::uint16_t virtualKey) const override {
        return xWayland_.scanCodeForVirtualKey(virtualKey);
    }
    void sendScanCode(std::uint16_t scanCode, KeyExtension extension,
                      KeyDirection direction) override;
    void sendVirtualKey(std::uint16_t virtualKey, KeyDirection direction) override;
    void sendCharacter(char32_t character, KeyDirection direction) override;
    bool lockKeyOn(LockKey key) const override { return xWayland_.lockKeyOn(key); }
    bool keyHeld(std::uint16_t virtualKey) const override { return xWayland_.keyHeld(virtualKey); }
    std::optional<KeyForCharacter> keyForCharacter(char32_t character) const override {
        return xWayland_.keyForCharacter(character);
    }

  private:
    // By keysym; on a channel of key codes, by the key that types it (with
    // Shift around the press when the symbol is on the second level).
    void sendKeysym(std::uint32_t keysym, std::uint16_t fallbackLinuxKeyCode,
                    KeyDirection direction);

    KeyEventSink& sink_;
    XKeyboardInput& xWayland_;
};

}  // namespace veltranix
