#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "core/input_port.h"
#include "platform/linux/x_display.h"

namespace veltranix {

// Synthetic keyboard input through XTest, and the keyboard's state through
// XKB. Keys are found in the server's current keymap, so they follow the
// user's layout; a character the layout lacks is typed on a spare keycode
// that is given the character. Borrowed keycodes keep their character until
// the spare ones run out (then the least recently used is given a new one) or
// this object goes, so that an application that reads its events late still
// finds the character its key event was typed with.
class XKeyboardInput : public KeyboardInputPort {
  public:
    // Null when the server lacks XTest or XKB.
    static std::unique_ptr<XKeyboardInput> Create(std::shared_ptr<XDisplayConnection> connection);
    ~XKeyboardInput() override;

    std::uint16_t scanCodeForVirtualKey(std::uint16_t virtualKey) const override;
    void sendScanCode(std::uint16_t scanCode, KeyExtension extension,
                      KeyDirection direction) override;
    void sendVirtualKey(std::uint16_t virtualKey, KeyDirection direction) override;
    void sendCharacter(char32_t character, KeyDirection direction) override;
    bool lockKeyOn(LockKey key) const override;
    bool keyHeld(std::uint16_t virtualKey) const override;
    std::optional<KeyForCharacter> keyForCharacter(char32_t character) const override;

    // Where the current layout types `keysym` on its first two levels: the
    // Linux key code, and whether Shift goes with it.
    struct LinuxKey {
        std::uint16_t linuxKeyCode = 0;
        bool shift = false;
    };
    std::optional<LinuxKey> linuxKeyForKeysym(unsigned long keysym) const;

  private:
    struct KeyPlace {
        unsigned char keycode = 0;
        int level = 0;
    };

    explicit XKeyboardInput(std::shared_ptr<XDisplayConnection> connection)
        : connection_(std::move(connection)) {}

    // All of these run under the connection's lock.
    int currentGroup() const;
    std::optional<KeyPlace> findKeysym(unsigned long keysym, int maxLevel) const;
    unsigned char keycodeForLinuxCode(std::uint16_t linuxKeyCode) const;
    unsigned char keycodeForKeysymOrLinuxCode(unsigned long keysym,
                                              std::uint16_t linuxKeyCode) const;
    void sendKeycode(unsigned char keycode, KeyDirection direction);
    // Types `keysym` on a borrowed spare keycode.
    void sendOnSpareKeycode(unsigned long keysym, KeyDirection direction);
    // A spare keycode for `keysym`, mapped to it; 0 when every spare one is held down.
    unsigned char borrowKeycodeFor(unsigned long keysym);
    bool typedOnSpareKeycode(unsigned long keysym) const;
    void sendKeysym(unsigned long keysym, std::uint16_t linuxKeyCode, KeyDirection direction);

    std::shared_ptr<XDisplayConnection> connection_;
    struct BorrowedKeycode {
        unsigned long keysym = 0;
        unsigned char keycode = 0;
        bool held = false;
    };
    // Least recently used first.
    std::vector<BorrowedKeycode> borrowedKeycodes_;
    std::vector<unsigned char> freeSpareKeycodes_;
    bool spareKeycodesSearched_ = false;
};

// The keysym that stands for a Unicode character (legacy keysyms where X has
// one, so that layouts that carry them are found); 0 for none.
unsigned long KeysymForCharacter(char32_t character);

}  // namespace veltranix
