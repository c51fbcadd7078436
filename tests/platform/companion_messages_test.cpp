#include "core/companion_messages.h"

#include <gtest/gtest.h>

namespace veltranix {
namespace {

TEST(CompanionMessages, KeyboardRectanglePayloadRules) {
    const struct {
        std::uint32_t wParam;
        std::uint32_t lParam;
        KeyboardRectangleUpdate expected;
    } cases[] = {
        {0x00640032, 0x01F40190, {{50, 100, 400, 500}, false, KeyboardPresence::Present}},
        {0xFFFFFFFF, 0xFFFFFFFF, {{-1, -1, -1, -1}, true, KeyboardPresence::Unchanged}},
        {0, 0, {{0, 0, 0, 0}, false, KeyboardPresence::Absent}},
        // Halves are signed: a keyboard partly left of and above the screen.
        {0xFFF6FFEC, 0x00C80190, {{-20, -10, 400, 200}, false, KeyboardPresence::Present}},
        // Three halves of 0xFFFF are an ordinary rectangle.
        {0xFFFFFFFF, 0x0000FFFF, {{-1, -1, -1, 0}, false, KeyboardPresence::Present}},
        {0, 1, {{0, 0, 1, 0}, false, KeyboardPresence::Present}},
    };
    for (const auto& one : cases) {
        EXPECT_EQ(DecodeKeyboardRectangle(one.wParam, one.lParam), one.expected)
            << std::hex << one.wParam << " " << one.lParam;
    }
}

TEST(CompanionMessages, NamesTravelBothWays) {
    for (const auto kind :
         {CompanionMessageKind::KeyboardRectangle, CompanionMessageKind::MacroKeyboardRectangle,
          CompanionMessageKind::CompanionShown, CompanionMessageKind::CompanionHidden,
          CompanionMessageKind::Ignored, CompanionMessageKind::TrackingStarted}) {
        EXPECT_EQ(ParseCompanionMessageName(CompanionMessageName(kind)), kind);
    }
    EXPECT_EQ(ParseCompanionMessageName("1024"), CompanionMessageKind::CompanionShown);
    EXPECT_EQ(ParseCompanionMessageName("1025"), CompanionMessageKind::CompanionHidden);
    EXPECT_EQ(ParseCompanionMessageName("1045"), CompanionMessageKind::Ignored);
    for (const char* unknown : {"", "wm_keyvane", "WM_USER+2", "1026", "WM_KEYVANE "}) {
        EXPECT_EQ(ParseCompanionMessageName(unknown), std::nullopt) << unknown;
    }
}

// veltranix-send's numbers: decimal or 0x hexadecimal, as its usage says;
// "010" once read as octal 8.
TEST(CompanionMessages, PayloadsAreDecimalOrHexadecimalOnly) {
    const std::pair<const char*, std::uint32_t> numbers[] = {
        {"010", 10},  {"0", 0},      {"4294967295", 0xFFFFFFFF},
        {"0x1F", 31}, {"0XfF", 255}, {"0xFFFFFFFF", 0xFFFFFFFF}};
    for (const auto& [text, value] : numbers) {
        EXPECT_EQ(ParseCompanionPayload(text), value) << text;
    }
    for (const char* refused :
         {"4294967296", "0x100000000", " 5", "5 ", "+5", "-1", "", "0x", "1e3", "0b101"}) {
        EXPECT_EQ(ParseCompanionPayload(refused), std::nullopt) << '"' << refused << '"';
    }
}

}  // namespace
}  // namespace veltranix
