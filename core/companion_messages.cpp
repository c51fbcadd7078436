#include "core/companion_messages.h"

#include <array>
#include <utility>

namespace veltranix {
namespace {

constexpr std::array<std::pair<CompanionMessageKind, std::string_view>, 6> kNames = {{
    {CompanionMessageKind::KeyboardRectangle, "WM_KEYVANE"},
    {CompanionMessageKind::MacroKeyboardRectangle, "WM_MACROKEYVANE"},
    {CompanionMessageKind::CompanionShown, "WM_USER"},
    {CompanionMessageKind::CompanionHidden, "WM_USER+1"},
    {CompanionMessageKind::Ignored, "WM_USER+21"},
    {CompanionMessageKind::TrackingStarted, "WM_VELTRANIX"},
}};

int SignedHalf(std::uint32_t value, int shift) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value >> shift));
}

}  // namespace

std::string_view CompanionMessageName(CompanionMessageKind kind) {
    for (const auto& [candidate, name] : kNames) {
        if (candidate == kind) {
            return name;
        }
    }
    return {};
}

std::optional<CompanionMessageKind> ParseCompanionMessageName(std::string_view name) {
    for (const auto& [kind, candidate] : kNames) {
        if (candidate == name) {
            return kind;
        }
    }
    if (name == "1024") {
        return CompanionMessageKind::CompanionShown;
    }
    if (name == "1025") {
        return CompanionMessageKind::CompanionHidden;
    }
    if (name == "1045") {
        return CompanionMessageKind::Ignored;
    }
    return std::nullopt;
}

KeyboardRectangleUpdate DecodeKeyboardRectangle(std::uint32_t wParam, std::uint32_t lParam) {
    KeyboardRectangleUpdate update;
    update.rectangle = {SignedHalf(wParam, 0), SignedHalf(wParam, 16), SignedHalf(lParam, 0),
                        SignedHalf(lParam, 16)};
    if (wParam == 0xFFFFFFFFu && lParam == 0xFFFFFFFFu) {
        update.plainClickRequested = true;
    } else if (wParam == 0 && lParam == 0) {
        update.presence = KeyboardPresence::Absent;
    } else {
        update.presence = KeyboardPresence::Present;
    }
    return update;
}

std::optional<std::uint32_t> ParseCompanionPayload(std::string_view text) {
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char character : text) {
        int digit = -1;
        if (character >= '0' && character <= '9') {
            digit = character - '0';
        } else if (base == 16 && character >= 'a' && character <= 'f') {
            digit = character - 'a' + 10;
        } else if (base == 16 && character >= 'A' && character <= 'F') {
            digit = character - 'A' + 10;
        }
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFu) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint32_t>(value);
}

}  // namespace veltranix
