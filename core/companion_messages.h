#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/geometry.h"

namespace veltranix {

// The messages exchanged with the companion on-screen keyboard and with other
// programs. Each carries two 32-bit payloads (`wParam`, `lParam`).
enum class CompanionMessageKind {
    KeyboardRectangle,       // "WM_KEYVANE": the companion keyboard's screen rectangle
    MacroKeyboardRectangle,  // "WM_MACROKEYVANE": the same for its macro keyboard
    CompanionShown,          // WM_USER (1024): wParam is the companion's window id
    CompanionHidden,         // WM_USER + 1 (1025)
    Ignored,                 // WM_USER + 21 (1045): accepted and ignored
    TrackingStarted,         // "WM_VELTRANIX": sent by this program, never handled by it
};

inline constexpr std::uint32_t kWindowsUserMessage = 1024;

struct CompanionMessage {
    CompanionMessageKind kind = CompanionMessageKind::Ignored;
    std::uint32_t wParam = 0;
    std::uint32_t lParam = 0;
    friend bool operator==(const CompanionMessage&, const CompanionMessage&) = default;
};

// The message name as it travels between processes: "WM_KEYVANE",
// "WM_MACROKEYVANE", "WM_VELTRANIX", "WM_USER", "WM_USER+1", "WM_USER+21".
std::string_view CompanionMessageName(CompanionMessageKind kind);

// The kind for a name as above; the numbers "1024", "1025" and "1045" are
// accepted for the three private messages. Anything else: none.
std::optional<CompanionMessageKind> ParseCompanionMessageName(std::string_view name);

// A payload as written on a command line: decimal, or hexadecimal after
// "0x" (a leading 0 is still decimal: "010" is ten); no blanks, no sign, at
// most 32 bits. None for anything else.
std::optional<std::uint32_t> ParseCompanionPayload(std::string_view text);

// What a keyboard rectangle message says about its keyboard.
enum class KeyboardPresence { Unchanged, Present, Absent };

struct KeyboardRectangleUpdate {
    // Signed 16-bit halves: left and top from wParam, right and bottom from lParam,
    // each low half first.
    ScreenRect rectangle;
    // All four halves 0xFFFF: the next trigger makes a plain left click.
    bool plainClickRequested = false;
    KeyboardPresence presence = KeyboardPresence::Unchanged;
    friend bool operator==(const KeyboardRectangleUpdate&,
                           const KeyboardRectangleUpdate&) = default;
};

// The payload rules of "WM_KEYVANE" and "WM_MACROKEYVANE".
KeyboardRectangleUpdate DecodeKeyboardRectangle(std::uint32_t wParam, std::uint32_t lParam);

// Receives the companion's messages. Called on the GUI thread, in arrival order.
class CompanionMessageReceiver {
  public:
    virtual ~CompanionMessageReceiver() = default;
    virtual void companionMessage(const CompanionMessage& message) = 0;
    // The companion left, or its window is gone: its window id and its
    // keyboard rectangles no longer stand. Its messages are refused from now
    // on until it hands over a window of its own again.
    virtual void companionGone() {}
};

}  // namespace veltranix
