#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "core/clock.h"
#include "core/input_port.h"

namespace veltranix::testing {

// One event sent to the keyboard, with the clock reading when it was sent.
struct SentKey {
    enum class Kind { ScanCode, VirtualKey, Character };
    Kind kind = Kind::ScanCode;
    std::uint16_t code = 0;  // scan code or virtual key
    char32_t character = 0;
    KeyExtension extension = KeyExtension::Plain;
    KeyDirection direction = KeyDirection::Press;
    SystemTime sentAt;
};

// Records what is sent, models the two lock keys, the keys held and a US
// layout (letters, digits, blank, Enter; CR is Enter, LF Ctrl+Enter).
class RecordingKeyboard : public KeyboardInputPort {
  public:
    explicit RecordingKeyboard(const Clock* clock = nullptr) : clock_(clock) {}

    std::uint16_t scanCodeForVirtualKey(std::uint16_t virtualKey) const override {
        static const std::map<std::uint16_t, std::uint16_t> kScanCodes = {
            {0x1B, 0x01}, {0x41, 0x1E}, {0x43, 0x2E}, {0x11, 0x1D}, {0x12, 0x38}, {0x10, 0x2A},
            {0x25, 0x4B}, {0x2E, 0x53}, {0x5B, 0x5B}, {0x0D, 0x1C}, {0x56, 0x2F}, {0xA5, 0x38}};
        const auto found = kScanCodes.find(virtualKey);
        return found == kScanCodes.end() ? 0 : found->second;
    }
    void sendScanCode(std::uint16_t scanCode, KeyExtension extension,
                      KeyDirection direction) override {
        record({SentKey::Kind::ScanCode, scanCode, 0, extension, direction, {}});
    }
    void sendVirtualKey(std::uint16_t virtualKey, KeyDirection direction) override {
        std::lock_guard lock(mutex_);
        if (direction == KeyDirection::Press && virtualKey == 0x14) {
            capsLock_ = !capsLock_;
        }
        if (direction == KeyDirection::Press && virtualKey == 0x90) {
            numLock_ = !numLock_;
        }
        sent_.push_back({SentKey::Kind::VirtualKey, virtualKey, 0, KeyExtension::Plain, direction,
                         clock_ ? clock_->utcNow() : SystemTime{}});
    }
    void sendCharacter(char32_t character, KeyDirection direction) override {
        record({SentKey::Kind::Character, 0, character, KeyExtension::Plain, direction, {}});
    }
    bool lockKeyOn(LockKey key) const override {
        std::lock_guard lock(mutex_);
        return key == LockKey::CapsLock ? capsLock_ : numLock_;
    }
    bool keyHeld(std::uint16_t virtualKey) const override {
        std::lock_guard lock(mutex_);
        return held_.count(virtualKey) != 0;
    }
    std::optional<KeyForCharacter> keyForCharacter(char32_t character) const override {
        if (character >= U'a' && character <= U'z') {
            return KeyForCharacter{static_cast<std::uint16_t>(character - U'a' + 0x41)};
        }
        if (character >= U'A' && character <= U'Z') {
            return KeyForCharacter{static_cast<std::uint16_t>(character), true};
        }
        if (character >= U'0' && character <= U'9') {
            return KeyForCharacter{static_cast<std::uint16_t>(character)};
        }
        if (character == U' ') {
            return KeyForCharacter{0x20};
        }
        if (character == U'\r') {
            return KeyForCharacter{0x0D};
        }
        if (character == U'\n') {
            return KeyForCharacter{0x0D, false, true};
        }
        return std::nullopt;
    }

    void setLock(LockKey key, bool on) {
        std::lock_guard lock(mutex_);
        (key == LockKey::CapsLock ? capsLock_ : numLock_) = on;
    }
    void hold(std::uint16_t virtualKey) {
        std::lock_guard lock(mutex_);
        held_.insert(virtualKey);
    }
    void release(std::uint16_t virtualKey) {
        std::lock_guard lock(mutex_);
        held_.erase(virtualKey);
    }
    std::vector<SentKey> sent() const {
        std::lock_guard lock(mutex_);
        return sent_;
    }
    // Scan codes and characters sent while Caps Lock was on.
    int keysSentWithCapsLock() const {
        std::lock_guard lock(mutex_);
        return keysSentWithCapsLock_;
    }

  private:
    void record(SentKey key) {
        std::lock_guard lock(mutex_);
        key.sentAt = clock_ ? clock_->utcNow() : SystemTime{};
        sent_.push_back(key);
        if (capsLock_) {
            keysSentWithCapsLock_++;
        }
    }

    const Clock* clock_;
    mutable std::mutex mutex_;
    bool capsLock_ = false;
    bool numLock_ = false;
    std::set<std::uint16_t> held_;
    std::vector<SentKey> sent_;
    int keysSentWithCapsLock_ = 0;
};

}  // namespace veltranix::testing
