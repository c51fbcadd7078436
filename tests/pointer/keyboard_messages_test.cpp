#include <gtest/gtest.h>

#include "pointer/open_windows.h"

namespace veltranix {
namespace {

// The companion's rectangle messages, from a keyboard that was present with
// a pending plain click.
TEST(KeyboardMessages, RectangleRulesForBothKeyboards) {
    constexpr auto kKeyboard = CompanionMessageKind::KeyboardRectangle;
    const struct {
        const char* what;
        CompanionMessage message;
        CompanionKeyboard after;
    } cases[] = {
        {"a rectangle", {kKeyboard, 0x00640032, 0x01F40190}, {{50, 100, 400, 500}, true, false}},
        {"all 0xFFFF: plain click, presence kept",
         {kKeyboard, 0xFFFFFFFF, 0xFFFFFFFF},
         {{-1, -1, -1, -1}, true, true}},
        {"all zero: absent", {kKeyboard, 0, 0}, {{0, 0, 0, 0}, false, false}},
        {"the macro keyboard's",
         {CompanionMessageKind::MacroKeyboardRectangle, 0x00640032, 0x01F40190},
         {{50, 100, 400, 500}, true, false}},
    };
    for (const auto& c : cases) {
        KeyboardCooperation keyboards{{{}, true, true}, {{}, true, true}};
        ApplyKeyboardMessage(keyboards, c.message);
        const bool macro = c.message.kind != kKeyboard;
        const CompanionKeyboard& changed = macro ? keyboards.macroKeyboard : keyboards.keyboard;
        const CompanionKeyboard& other = macro ? keyboards.keyboard : keyboards.macroKeyboard;
        EXPECT_EQ(changed.rect, c.after.rect) << c.what;
        EXPECT_EQ(changed.present, c.after.present) << c.what;
        EXPECT_EQ(changed.plainClickRequested, c.after.plainClickRequested) << c.what;
        EXPECT_TRUE(other.present && other.plainClickRequested) << c.what << ": the other one";
    }
}

TEST(KeyboardMessages, APlainClickRequestLeavesAnAbsentKeyboardAbsent) {
    KeyboardCooperation keyboards;
    ApplyKeyboardMessage(keyboards,
                         {CompanionMessageKind::KeyboardRectangle, 0xFFFFFFFF, 0xFFFFFFFF});
    EXPECT_FALSE(keyboards.keyboard.present);
    EXPECT_TRUE(keyboards.keyboard.plainClickRequested);
    ApplyKeyboardMessage(keyboards, {CompanionMessageKind::CompanionHidden, 1, 2});
    EXPECT_TRUE(keyboards.keyboard.plainClickRequested) << "other messages change nothing";
}

}  // namespace
}  // namespace veltranix
