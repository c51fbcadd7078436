#include <gtest/gtest.h>

#include "pointer/open_windows.h"

namespace veltranix {
namespace {

// The companion's rectangle messages, from a keyboard that was present with
// a pending plain click.
TEST(KeyboardMessages, RectangleRulesForBothKeyboards) {
    struct Case {
        const char* what;
        CompanionMessageKind kind;
        std::uint32_t wParam;
        std::uint32_t lParam;
        ScreenRect rect;
        bool present;
        bool plainClick;
    };
    const Case cases[] = {
        {"a rectangle",
         CompanionMessageKind::KeyboardRectangle,
         0x00640032,
         0x01F40190,
         {50, 100, 400, 500},
         true,
         false},
        {"all 0xFFFF: plain click, presence kept",
         CompanionMessageKind::KeyboardRectangle,
         0xFFFFFFFF,
         0xFFFFFFFF,
         {-1, -1, -1, -1},
         true,
         true},
        {"all zero: absent",
         CompanionMessageKind::KeyboardRectangle,
         0,
         0,
         {0, 0, 0, 0},
         false,
         false},
        {"the macro keyboard's",
         CompanionMessageKind::MacroKeyboardRectangle,
         0x00640032,
         0x01F40190,
         {50, 100, 400, 500},
         true,
         false},
    };
    for (const Case& c : cases) {
        KeyboardCooperation keyboards;
        for (CompanionKeyboard* keyboard : {&keyboards.keyboard, &keyboards.macroKeyboard}) {
            keyboard->present = true;
            keyboard->plainClickRequested = true;
        }
        ApplyKeyboardMessage(keyboards, {c.kind, c.wParam, c.lParam});
        const bool macro = c.kind == CompanionMessageKind::MacroKeyboardRectangle;
        const CompanionKeyboard& changed = macro ? keyboards.macroKeyboard : keyboards.keyboard;
        const CompanionKeyboard& other = macro ? keyboards.keyboard : keyboards.macroKeyboard;
        EXPECT_EQ(changed.rect, c.rect) << c.what;
        EXPECT_EQ(changed.present, c.present) << c.what;
        EXPECT_EQ(changed.plainClickRequested, c.plainClick) << c.what;
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
