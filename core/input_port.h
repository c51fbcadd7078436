#pragma once

#include <cstdint>
#include <optional>

#include "core/geometry.h"

namespace veltranix {

// Physical buttons; the primary/secondary swap is decided by the engine.
enum class PointerButton { Left, Right, Middle };
enum class KeyDirection { Press, Release };
enum class KeyExtension { Plain, Extended };
enum class LockKey { CapsLock, NumLock };
enum class WheelAxis { Vertical, Horizontal };

// Synthetic pointer input. Events reach the system in call order. Any thread.
class PointerInputPort {
  public:
    virtual ~PointerInputPort() = default;
    // A button event at the pointer's current position.
    virtual void sendButton(PointerButton button, KeyDirection direction) = 0;
    // Moves the pointer to an absolute screen position.
    virtual void moveTo(ScreenPoint point) = 0;
    // Moves the pointer by a relative amount in pixels (the edge nudge).
    virtual void moveBy(int dxPixels, int dyPixels) = 0;
    // Wheel notches at the pointer's position: positive scrolls down
    // (vertical) or right (horizontal), negative up or left.
    virtual void sendWheel(WheelAxis axis, int steps) = 0;
};

// A key and the shift state that types a character under the current layout.
struct KeyForCharacter {
    std::uint16_t virtualKey = 0;
    bool shift = false;
    bool control = false;
    bool alt = false;
    friend bool operator==(const KeyForCharacter&, const KeyForCharacter&) = default;
};

// Synthetic keyboard input and keyboard state, in the vocabulary of the
// macro files: Windows virtual-key codes and set-1 scan codes. Any thread.
class KeyboardInputPort {
  public:
    virtual ~KeyboardInputPort() = default;
    // The scan code of a virtual key under the current layout; 0 when none.
    virtual std::uint16_t scanCodeForVirtualKey(std::uint16_t virtualKey) const = 0;
    // A key identified by its scan code alone.
    virtual void sendScanCode(std::uint16_t scanCode, KeyExtension extension,
                              KeyDirection direction) = 0;
    // A key identified by its virtual-key code (used for the lock keys).
    virtual void sendVirtualKey(std::uint16_t virtualKey, KeyDirection direction) = 0;
    // A character typed as such, whether or not the layout has a key for it.
    virtual void sendCharacter(char32_t character, KeyDirection direction) = 0;
    virtual bool lockKeyOn(LockKey key) const = 0;
    // True while the key is physically held down.
    virtual bool keyHeld(std::uint16_t virtualKey) const = 0;
    // The key that types `character` under the current layout, if any.
    virtual std::optional<KeyForCharacter> keyForCharacter(char32_t character) const = 0;
};

}  // namespace veltranix
