#include "platform/linux/remote_keyboard.h"

#include "core/virtual_key_table.h"

namespace veltranix {
namespace {

constexpr std::uint16_t kLinuxLeftShift = 42;

}  // namespace

void SinkKeyboardInput::sendKeysym(std::uint32_t keysym, std::uint16_t fallbackLinuxKeyCode,
                                   KeyDirection direction) {
    if (keysym != 0 && sink_.sendKeysym(keysym, direction)) {
        return;
    }
    const auto key = keysym != 0 ? xWayland_.linuxKeyForKeysym(keysym) : std::nullopt;
    if (!key) {
        if (fallbackLinuxKeyCode != 0) {
            sink_.sendKeycode(fallbackLinuxKeyCode, direction);
        }
        return;
    }
    if (key->shift && direction == KeyDirection::Press) {
        sink_.sendKeycode(kLinuxLeftShift, KeyDirection::Press);
        sink_.sendKeycode(key->linuxKeyCode, KeyDirection::Press);
        sink_.sendKeycode(kLinuxLeftShift, KeyDirection::Release);
        return;
    }
    sink_.sendKeycode(key->linuxKeyCode, direction);
}

void SinkKeyboardInput::sendScanCode(std::uint16_t scanCode, KeyExtension extension,
                                     KeyDirection direction) {
    const auto [entry, linuxKeyCode] = FindKeyAtScanCode(scanCode, extension);
    if (linuxKeyCode != 0) {
        sink_.sendKeycode(linuxKeyCode, direction);
    } else if (entry != nullptr) {
        sendKeysym(entry->keysym, 0, direction);
    }
}

void SinkKeyboardInput::sendVirtualKey(std::uint16_t virtualKey, KeyDirection direction) {
    if (const VirtualKeyInfo* entry = FindVirtualKey(virtualKey)) {
        sendKeysym(entry->keysym, entry->linuxKeyCode, direction);
    }
}

void SinkKeyboardInput::sendCharacter(char32_t character, KeyDirection direction) {
    if (const unsigned long keysym = KeysymForCharacter(character)) {
        sendKeysym(static_cast<std::uint32_t>(keysym), 0, direction);
    }
}

}  // namespace veltranix
