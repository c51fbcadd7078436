#include "platform/linux/x_keyboard_input.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <array>
#include <iterator>

#include "core/virtual_key_table.h"

namespace veltranix {
namespace {

constexpr int kMaxSearchedLevel = 3;

KeySym ModifierKeysym(std::uint16_t virtualKey, int side) {
    switch (virtualKey) {
        case 0x10:
            return side == 0 ? XK_Shift_L : XK_Shift_R;
        case 0x11:
            return side == 0 ? XK_Control_L : XK_Control_R;
        case 0x12:
            return side == 0 ? XK_Alt_L : XK_Alt_R;
        default:
            return NoSymbol;
    }
}

}  // namespace

KeySym KeysymForCharacter(char32_t character) {
    switch (character) {
        case U'\r':
        case U'\n':
            return XK_Return;
        case U'\t':
            return XK_Tab;
        case U'\b':
            return XK_BackSpace;
        case 0x1B:
            return XK_Escape;
        default:
            break;
    }
    if (character < 0x20 || character > 0x10FFFF || (character >= 0xD800 && character <= 0xDFFF)) {
        return NoSymbol;
    }
    return xkb_utf32_to_keysym(static_cast<std::uint32_t>(character));
}

std::unique_ptr<XKeyboardInput> XKeyboardInput::Create(
    std::shared_ptr<XDisplayConnection> connection) {
    std::lock_guard lock(connection->mutex());
    Display* display = connection->display();
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
        return nullptr;
    }
    int opcode = 0;
    major = XkbMajorVersion;
    minor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &opcode, &eventBase, &errorBase, &major, &minor)) {
        return nullptr;
    }
    return std::unique_ptr<XKeyboardInput>(new XKeyboardInput(std::move(connection)));
}

XKeyboardInput::~XKeyboardInput() {
    // Never leave a key down or a borrowed keycode mapped.
    std::lock_guard lock(connection_->mutex());
    for (const BorrowedKeycode& borrowed : borrowedKeycodes_) {
        if (borrowed.held) {
            XTestFakeKeyEvent(connection_->display(), borrowed.keycode, False, CurrentTime);
        }
        KeySym none[2] = {NoSymbol, NoSymbol};
        XChangeKeyboardMapping(connection_->display(), borrowed.keycode, 2, none, 1);
    }
    XSync(connection_->display(), False);
}

int XKeyboardInput::currentGroup() const {
    XkbStateRec state{};
    if (XkbGetState(connection_->display(), XkbUseCoreKbd, &state) != Success) {
        return 0;
    }
    return state.group;
}

std::optional<XKeyboardInput::KeyPlace> XKeyboardInput::findKeysym(KeySym keysym,
                                                                   int maxLevel) const {
    if (keysym == NoSymbol) {
        return std::nullopt;
    }
    Display* display = connection_->display();
    int minKeycode = 0;
    int maxKeycode = 0;
    XDisplayKeycodes(display, &minKeycode, &maxKeycode);
    const int group = currentGroup();
    for (int level = 0; level <= maxLevel; ++level) {
        for (int keycode = minKeycode; keycode <= maxKeycode; ++keycode) {
            if (XkbKeycodeToKeysym(display, static_cast<KeyCode>(keycode), group, level) ==
                keysym) {
                return KeyPlace{static_cast<KeyCode>(keycode), level};
            }
        }
    }
    return std::nullopt;
}

KeyCode XKeyboardInput::keycodeForLinuxCode(std::uint16_t linuxKeyCode) const {
    if (linuxKeyCode == 0) {
        return 0;
    }
    Display* display = connection_->display();
    int minKeycode = 0;
    int maxKeycode = 0;
    XDisplayKeycodes(display, &minKeycode, &maxKeycode);
    const int keycode = linuxKeyCode + 8;
    if (keycode < minKeycode || keycode > maxKeycode) {
        return 0;
    }
    // A keycode the keymap leaves empty would type nothing.
    if (XkbKeycodeToKeysym(display, static_cast<KeyCode>(keycode), 0, 0) == NoSymbol) {
        return 0;
    }
    return static_cast<KeyCode>(keycode);
}

KeyCode XKeyboardInput::keycodeForKeysymOrLinuxCode(KeySym keysym,
                                                    std::uint16_t linuxKeyCode) const {
    if (const auto place = findKeysym(keysym, 0)) {
        return place->keycode;
    }
    if (const KeyCode keycode = keycodeForLinuxCode(linuxKeyCode)) {
        return keycode;
    }
    if (const auto place = findKeysym(keysym, kMaxSearchedLevel)) {
        return place->keycode;
    }
    return 0;
}

void XKeyboardInput::sendKeycode(KeyCode keycode, KeyDirection direction) {
    XTestFakeKeyEvent(connection_->display(), keycode, direction == KeyDirection::Press,
                      CurrentTime);
    XFlush(connection_->display());
}

unsigned char XKeyboardInput::borrowKeycodeFor(unsigned long keysym) {
    Display* display = connection_->display();
    if (!spareKeycodesSearched_) {
        spareKeycodesSearched_ = true;
        int minKeycode = 0;
        int maxKeycode = 0;
        XDisplayKeycodes(display, &minKeycode, &maxKeycode);
        int perKeycode = 0;
        KeySym* symbols = XGetKeyboardMapping(display, static_cast<KeyCode>(minKeycode),
                                              maxKeycode - minKeycode + 1, &perKeycode);
        if (symbols != nullptr) {
            // Taken from the back: the highest keycodes are the least likely to be on a
            // real keyboard.
            for (int keycode = minKeycode; keycode <= maxKeycode; ++keycode) {
                bool empty = true;
                for (int index = 0; index < perKeycode; ++index) {
                    if (symbols[(keycode - minKeycode) * perKeycode + index] != NoSymbol) {
                        empty = false;
                        break;
                    }
                }
                if (empty) {
                    freeSpareKeycodes_.push_back(static_cast<KeyCode>(keycode));
                }
            }
            XFree(symbols);
        }
    }
    KeyCode keycode = 0;
    if (!freeSpareKeycodes_.empty()) {
        keycode = freeSpareKeycodes_.back();
        freeSpareKeycodes_.pop_back();
    } else {
        const auto oldest = std::find_if(borrowedKeycodes_.begin(), borrowedKeycodes_.end(),
                                         [](const BorrowedKeycode& one) { return !one.held; });
        if (oldest == borrowedKeycodes_.end()) {
            return 0;
        }
        keycode = oldest->keycode;
        borrowedKeycodes_.erase(oldest);
    }
    KeySym both[2] = {keysym, keysym};
    XChangeKeyboardMapping(display, keycode, 2, both, 1);
    // The clients hear of the new mapping before the key event arrives.
    XSync(display, False);
    borrowedKeycodes_.push_back({keysym, keycode, false});
    return keycode;
}

void XKeyboardInput::sendOnSpareKeycode(unsigned long keysym, KeyDirection direction) {
    auto borrowed = std::find_if(borrowedKeycodes_.begin(), borrowedKeycodes_.end(),
                                 [&](const BorrowedKeycode& one) { return one.keysym == keysym; });
    if (direction == KeyDirection::Release) {
        if (borrowed != borrowedKeycodes_.end() && borrowed->held) {
            borrowed->held = false;
            sendKeycode(borrowed->keycode, KeyDirection::Release);
        }
        return;
    }
    if (borrowed == borrowedKeycodes_.end()) {
        if (borrowKeycodeFor(keysym) == 0) {
            return;
        }
        borrowed = std::prev(borrowedKeycodes_.end());
    } else {
        // Most recently used goes last.
        const BorrowedKeycode used = *borrowed;
        borrowedKeycodes_.erase(borrowed);
        borrowedKeycodes_.push_back(used);
        borrowed = std::prev(borrowedKeycodes_.end());
    }
    borrowed->held = true;
    sendKeycode(borrowed->keycode, KeyDirection::Press);
}

bool XKeyboardInput::typedOnSpareKeycode(unsigned long keysym) const {
    return std::any_of(borrowedKeycodes_.begin(), borrowedKeycodes_.end(),
                       [&](const BorrowedKeycode& one) { return one.keysym == keysym; });
}

void XKeyboardInput::sendKeysym(KeySym keysym, std::uint16_t linuxKeyCode, KeyDirection direction) {
    if (typedOnSpareKeycode(keysym)) {
        sendOnSpareKeycode(keysym, direction);
        return;
    }
    if (const KeyCode keycode = keycodeForKeysymOrLinuxCode(keysym, linuxKeyCode)) {
        sendKeycode(keycode, direction);
    } else if (keysym != NoSymbol) {
        sendOnSpareKeycode(keysym, direction);
    }
}

std::uint16_t XKeyboardInput::scanCodeForVirtualKey(std::uint16_t virtualKey) const {
    const VirtualKeyInfo* entry = FindVirtualKey(virtualKey);
    if (entry == nullptr) {
        return 0;
    }
    std::lock_guard lock(connection_->mutex());
    // Under another layout the key that carries the symbol may sit elsewhere.
    if (const auto place = findKeysym(entry->keysym, 0)) {
        for (const VirtualKeyInfo& candidate : VirtualKeyTable()) {
            if (candidate.linuxKeyCode != 0 && candidate.linuxKeyCode + 8 == place->keycode &&
                candidate.scanCode != 0) {
                return candidate.scanCode;
            }
        }
    }
    return entry->scanCode;
}

void XKeyboardInput::sendScanCode(std::uint16_t scanCode, KeyExtension extension,
                                  KeyDirection direction) {
    const auto [entry, linuxKeyCode] = FindKeyAtScanCode(scanCode, extension);
    std::lock_guard lock(connection_->mutex());
    // A scan code names a key position: its key types whatever the layout puts there.
    if (const KeyCode keycode = keycodeForLinuxCode(linuxKeyCode)) {
        sendKeycode(keycode, direction);
    } else if (entry != nullptr) {
        sendKeysym(entry->keysym, 0, direction);
    }
}

void XKeyboardInput::sendVirtualKey(std::uint16_t virtualKey, KeyDirection direction) {
    const VirtualKeyInfo* entry = FindVirtualKey(virtualKey);
    if (entry == nullptr) {
        return;
    }
    std::lock_guard lock(connection_->mutex());
    sendKeysym(entry->keysym, entry->linuxKeyCode, direction);
}

void XKeyboardInput::sendCharacter(char32_t character, KeyDirection direction) {
    const KeySym keysym = KeysymForCharacter(character);
    if (keysym == NoSymbol) {
        return;
    }
    std::lock_guard lock(connection_->mutex());
    if (typedOnSpareKeycode(keysym)) {
        sendOnSpareKeycode(keysym, direction);
        return;
    }
    const auto place = findKeysym(keysym, 1);
    if (!place) {
        sendOnSpareKeycode(keysym, direction);
        return;
    }
    if (place->level == 0 || direction == KeyDirection::Release) {
        sendKeycode(place->keycode, direction);
        return;
    }
    // The second level: Shift goes down around the press only.
    const KeyCode shift = XKeysymToKeycode(connection_->display(), XK_Shift_L);
    if (shift == 0) {
        sendOnSpareKeycode(keysym, direction);
        return;
    }
    sendKeycode(shift, KeyDirection::Press);
    sendKeycode(place->keycode, KeyDirection::Press);
    sendKeycode(shift, KeyDirection::Release);
}

std::optional<XKeyboardInput::LinuxKey> XKeyboardInput::linuxKeyForKeysym(
    unsigned long keysym) const {
    std::lock_guard lock(connection_->mutex());
    const auto place = findKeysym(keysym, 1);
    if (!place || place->keycode < 8) {
        return std::nullopt;
    }
    return LinuxKey{static_cast<std::uint16_t>(place->keycode - 8), place->level == 1};
}

bool XKeyboardInput::lockKeyOn(LockKey key) const {
    std::lock_guard lock(connection_->mutex());
    Display* display = connection_->display();
    XkbStateRec state{};
    if (XkbGetState(display, XkbUseCoreKbd, &state) != Success) {
        return false;
    }
    const unsigned int mask =
        key == LockKey::CapsLock ? LockMask : XkbKeysymToModifiers(display, XK_Num_Lock);
    return mask != 0 && (state.locked_mods & mask) != 0;
}

bool XKeyboardInput::keyHeld(std::uint16_t virtualKey) const {
    const VirtualKeyInfo* entry = FindVirtualKey(virtualKey);
    if (entry == nullptr) {
        return false;
    }
    std::lock_guard lock(connection_->mutex());
    Display* display = connection_->display();
    char keys[32] = {};
    XQueryKeymap(display, keys);
    const auto down = [&](KeyCode keycode) {
        return keycode != 0 && (keys[keycode / 8] & (1 << (keycode % 8))) != 0;
    };
    if (ModifierKeysym(virtualKey, 0) != NoSymbol) {
        return down(XKeysymToKeycode(display, ModifierKeysym(virtualKey, 0))) ||
               down(XKeysymToKeycode(display, ModifierKeysym(virtualKey, 1)));
    }
    return down(keycodeForKeysymOrLinuxCode(entry->keysym, entry->linuxKeyCode));
}

std::optional<KeyForCharacter> XKeyboardInput::keyForCharacter(char32_t character) const {
    switch (character) {
        case U'\r':
            return KeyForCharacter{0x0D};
        case U'\n':
            return KeyForCharacter{0x0D, false, true, false};
        case U'\t':
            return KeyForCharacter{0x09};
        case U'\b':
            return KeyForCharacter{0x08};
        case 0x1B:
            return KeyForCharacter{0x1B};
        default:
            break;
    }
    const KeySym keysym = KeysymForCharacter(character);
    std::lock_guard lock(connection_->mutex());
    const auto place = findKeysym(keysym, kMaxSearchedLevel);
    if (!place) {
        return std::nullopt;
    }
    // The key's virtual key: by what it types unshifted, else by where it is.
    const KeySym base =
        XkbKeycodeToKeysym(connection_->display(), place->keycode, currentGroup(), 0);
    const VirtualKeyInfo* entry = FindVirtualKeyByKeysym(static_cast<std::uint32_t>(base));
    if (entry == nullptr) {
        for (const VirtualKeyInfo& candidate : VirtualKeyTable()) {
            if (candidate.linuxKeyCode != 0 && candidate.linuxKeyCode + 8 == place->keycode) {
                entry = &candidate;
                break;
            }
        }
    }
    if (entry == nullptr) {
        return std::nullopt;
    }
    KeyForCharacter key;
    key.virtualKey = entry->virtualKey;
    key.shift = place->level == 1 || place->level == 3;
    // The third and fourth levels are AltGr, which Windows reports as Ctrl+Alt.
    key.control = place->level >= 2;
    key.alt = place->level >= 2;
    return key;
}

}  // namespace veltranix
