#pragma once

#include <cstdint>
#include <span>

#include "core/input_port.h"

namespace veltranix {

// One key a keyboard can produce, in the vocabulary of the macro files
// (Windows virtual-key codes and set-1 scan codes under the US layout), with
// what the X desktop calls it.
struct VirtualKeyInfo {
    std::uint16_t virtualKey = 0;
    // The set-1 scan code without its 0xE0 prefix; 0 when the key has none.
    std::uint16_t scanCode = 0;
    // Extended keys carry the 0xE0 prefix (the arrows, the navigation block,
    // the right-hand modifiers, the media keys ...).
    KeyExtension extension = KeyExtension::Plain;
    // The X keysym the key produces at its first level; 0 when X has none.
    std::uint32_t keysym = 0;
    // The Linux input event code of the key (X keycode minus 8); 0 when none.
    std::uint16_t linuxKeyCode = 0;
};

// Every virtual-key code that the key-name file names, in ascending order.
std::span<const VirtualKeyInfo> VirtualKeyTable();

// The entry of a virtual-key code, or nullptr.
const VirtualKeyInfo* FindVirtualKey(std::uint16_t virtualKey);

// The entry whose scan code and extension match, or nullptr. Where several
// virtual keys share a scan code (Shift and Left Shift), the first wins.
const VirtualKeyInfo* FindVirtualKeyByScanCode(std::uint16_t scanCode, KeyExtension extension);

// The key at a scan code's position: the table's entry (Print Screen by its
// extended code too), or nullptr, and its Linux input key code, 0 when none.
// Keys of the plain main block outside the table keep their scan code, which
// Linux numbers as scan code set 1 does.
struct ScanCodeKey {
    const VirtualKeyInfo* entry = nullptr;
    std::uint16_t linuxKeyCode = 0;
};
ScanCodeKey FindKeyAtScanCode(std::uint16_t scanCode, KeyExtension extension);

// The entry whose first-level keysym matches, or nullptr.
const VirtualKeyInfo* FindVirtualKeyByKeysym(std::uint32_t keysym);

// The key a physical key (Linux input event code) is, or nullptr. The
// left/right modifiers win over their generic codes (Left Shift, not Shift);
// the keypad's Enter is Enter.
const VirtualKeyInfo* FindVirtualKeyByLinuxCode(std::uint16_t linuxKeyCode);

}  // namespace veltranix
