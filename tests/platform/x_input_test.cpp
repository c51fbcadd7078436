// gtest first: the Xlib headers define macros that clash with it.
#include <gtest/gtest.h>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/keysym.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <vector>

#include "core/virtual_key_table.h"
#include "platform/linux/x_desktop.h"
#include "platform/linux/x_keyboard_input.h"
#include "tests/platform/x_event_recorder.h"
#include "tests/platform/x_test_display.h"
#include "tests/support/real_time.h"

namespace veltranix {
namespace {

using testing::TestDisplayName;
using testing::XEventRecorder;

class XInputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        VELTRANIX_REQUIRE_X_DISPLAY();
        std::string error;
        connection_ = XDisplayConnection::Open(TestDisplayName(), &error);
        ASSERT_NE(connection_, nullptr) << error;
        desktop_ = std::make_unique<XDesktop>(connection_);
        pointer_ = XPointerInput::Create(connection_);
        ASSERT_NE(pointer_, nullptr) << "the X server has no XTest extension";
        keyboard_ = XKeyboardInput::Create(connection_);
        ASSERT_NE(keyboard_, nullptr);
        recorder_ = std::make_unique<XEventRecorder>(TestDisplayName());
    }

    void TearDown() override {
        if (recorder_ == nullptr) {
            return;
        }
        SetPointerMapping(false);
        for (const LockKey lock : {LockKey::CapsLock, LockKey::NumLock}) {
            if (keyboard_->lockKeyOn(lock)) {
                TapVirtualKey(lock == LockKey::CapsLock ? 0x14 : 0x90);
            }
        }
        recorder_->drain();
    }

    // The server's pointer mapping, with buttons 1 and 3 exchanged or not.
    void SetPointerMapping(bool swapped) {
        unsigned char map[256] = {};
        const int count = XGetPointerMapping(recorder_->display(), map, sizeof map);
        for (int index = 0; index < count; ++index) {
            map[index] = static_cast<unsigned char>(index + 1);
        }
        if (swapped) {
            std::swap(map[0], map[2]);
        }
        ASSERT_EQ(XSetPointerMapping(recorder_->display(), map, count), MappingSuccess);
        XSync(recorder_->display(), False);
    }

    void TapVirtualKey(std::uint16_t virtualKey) {
        keyboard_->sendVirtualKey(virtualKey, KeyDirection::Press);
        keyboard_->sendVirtualKey(virtualKey, KeyDirection::Release);
    }

    void Click(PointerButton button) {
        pointer_->sendButton(button, KeyDirection::Press);
        pointer_->sendButton(button, KeyDirection::Release);
    }

    // The key presses the window received since the last call.
    std::vector<XEventRecorder::KeyEvent> TakeKeyPresses(std::size_t expected) {
        const auto isPress = [](const XEventRecorder::KeyEvent& key) { return key.press; };
        auto& keys = recorder_->keys;
        recorder_->waitUntil([&] {
            return static_cast<std::size_t>(std::count_if(keys.begin(), keys.end(), isPress)) >=
                   expected;
        });
        std::vector<XEventRecorder::KeyEvent> presses;
        std::copy_if(keys.begin(), keys.end(), std::back_inserter(presses), isPress);
        keys.clear();
        return presses;
    }

    std::shared_ptr<XDisplayConnection> connection_;
    std::unique_ptr<XDesktop> desktop_;
    std::unique_ptr<XPointerInput> pointer_;
    std::unique_ptr<XKeyboardInput> keyboard_;
    std::unique_ptr<XEventRecorder> recorder_;
};

// Exact placement is the next test's; here the button lands where the pointer
// is. With buttons 1 and 3 swapped the engine presses the physical right
// button for a primary click: the application sees its primary button, 1.
TEST_F(XInputTest, EveryButtonLandsWhereThePointerIsWithItsMappedNumber) {
    const struct {
        PointerButton button;
        unsigned int expected;
        unsigned int swapped;
    } cases[] = {
        {PointerButton::Left, 1, 3}, {PointerButton::Middle, 2, 2}, {PointerButton::Right, 3, 1}};
    const ScreenPoint place{640, 341};
    for (const bool swapped : {false, true}) {
        SetPointerMapping(swapped);
        EXPECT_EQ(desktop_->primaryButtonSwapped(), swapped);
        for (const auto& one : cases) {
            recorder_->buttons.clear();
            pointer_->moveTo(place);
            Click(one.button);
            ASSERT_TRUE(recorder_->waitUntil([&] { return recorder_->buttons.size() >= 2; }));
            const auto& press = recorder_->buttons[0];
            const auto& release = recorder_->buttons[1];
            EXPECT_TRUE(press.press);
            EXPECT_FALSE(release.press);
            EXPECT_EQ(press.button, swapped ? one.swapped : one.expected);
            EXPECT_EQ(release.button, press.button);
            EXPECT_EQ(ScreenPoint(press.rootX, press.rootY), place);
        }
    }
}

TEST_F(XInputTest, AbsolutePlacementIsExactAtCornersAndEdges) {
    const ScreenSize size = desktop_->screenSize();
    const int w = size.width;
    const int h = size.height;
    using P = ScreenPoint;
    for (const P exact : {P{0, 0}, P{w - 1, 0}, P{0, h - 1}, P{w - 1, h - 1}, P{w / 2, 0},
                          P{0, h / 2}, P{w - 1, h / 2}, P{w / 2, h - 1}, P{1, 1}}) {
        pointer_->moveTo(exact);
        EXPECT_EQ(desktop_->pointerPosition(), exact) << exact.x << "," << exact.y;
    }
    // Beyond the screen the pointer stops on its last pixels.
    pointer_->moveTo({w, h});
    EXPECT_EQ(desktop_->pointerPosition(), P(w - 1, h - 1));
    pointer_->moveTo({-5, -5});
    EXPECT_EQ(desktop_->pointerPosition(), P(0, 0));
}

TEST_F(XInputTest, RelativeMovesAreExactAndStopAtTheScreenEdge) {
    const ScreenSize size = desktop_->screenSize();
    pointer_->moveTo({100, 100});
    pointer_->moveBy(5, -3);
    EXPECT_EQ(desktop_->pointerPosition(), ScreenPoint(105, 97));
    pointer_->moveTo({0, 40});
    pointer_->moveBy(-51, 0);
    EXPECT_EQ(desktop_->pointerPosition(), ScreenPoint(0, 40));
    pointer_->moveTo({size.width - 1, 40});
    pointer_->moveBy(51, 0);
    EXPECT_EQ(desktop_->pointerPosition(), ScreenPoint(size.width - 1, 40));
}

// The work area is read again only when the server reports a change, so
// a change is awaited rather than expected at once.
TEST_F(XInputTest, WorkAreaIsTheWindowManagersOrTheWholeScreen) {
    const ScreenSize size = desktop_->screenSize();
    Display* display = recorder_->display();
    const Window root = DefaultRootWindow(display);
    const Atom workArea = XInternAtom(display, "_NET_WORKAREA", False);
    const Atom currentDesktop = XInternAtom(display, "_NET_CURRENT_DESKTOP", False);
    auto set = [&](Atom property, std::vector<long> values) {
        XChangeProperty(display, root, property, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(values.data()),
                        static_cast<int>(values.size()));
        XSync(display, False);
    };
    auto becomes = [&](ScreenRect expected) {
        return testing::WaitFor([&] { return desktop_->workArea() == expected; }, 2);
    };
    auto clear = [&] {
        XDeleteProperty(display, root, workArea);
        XDeleteProperty(display, root, currentDesktop);
        XSync(display, False);
    };
    clear();
    const ScreenRect whole(0, 0, size.width, size.height);
    EXPECT_TRUE(becomes(whole));

    set(workArea, {0, 0, size.width, size.height - 34, 0, 40, size.width, size.height - 40});
    EXPECT_TRUE(becomes(ScreenRect(0, 0, size.width, size.height - 34)));
    set(currentDesktop, {1});
    EXPECT_TRUE(becomes(ScreenRect(0, 40, size.width, size.height)));
    set(workArea, {0, 0, size.width + 500, size.height, 0, 0, size.width + 500, size.height});
    EXPECT_TRUE(becomes(whole));
    clear();
}

// A window manager's frame around an application window: the application's
// window (the one with WM_STATE) is the answer, not the frame.
TEST_F(XInputTest, TheApplicationWindowInsideAFrameIsFound) {
    Display* display = recorder_->display();
    const Window root = DefaultRootWindow(display);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    const Window frame =
        XCreateWindow(display, root, 900, 700, 200, 150, 0, CopyFromParent, InputOutput,
                      CopyFromParent, CWOverrideRedirect, &attributes);
    XCreateSimpleWindow(display, frame, 0, 0, 200, 20, 0, 0, 0);  // the title bar
    const Window client = XCreateSimpleWindow(display, frame, 0, 20, 200, 130, 0, 0, 0);
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    long normalState[] = {1, 0};
    XChangeProperty(display, client, wmState, wmState, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(normalState), 2);
    XMapSubwindows(display, frame);
    XMapRaised(display, frame);
    XSync(display, False);

    EXPECT_EQ(desktop_->topLevelWindowAt({1000, 760}), client);
    XDeleteProperty(display, client, wmState);
    XSync(display, False);
    EXPECT_EQ(desktop_->topLevelWindowAt({1000, 760}), frame) << "no WM_STATE: the frame";
    XDestroyWindow(display, frame);
}

// The keysyms a keycode carries at its first two levels in the client's keymap.
bool KeycodeCarries(Display* display, unsigned int keycode, KeySym keysym) {
    for (int level = 0; level < 2; ++level) {
        if (XkbKeycodeToKeysym(display, static_cast<KeyCode>(keycode), 0, level) == keysym) {
            return true;
        }
    }
    return false;
}

TEST_F(XInputTest, EveryVirtualKeyReachesTheWindowAsItsKey) {
    for (const VirtualKeyInfo& entry : VirtualKeyTable()) {
        if (entry.keysym == 0) {
            continue;  // a code no X keyboard produces
        }
        TapVirtualKey(entry.virtualKey);
        const auto presses = TakeKeyPresses(1);
        ASSERT_EQ(presses.size(), 1u) << "virtual key 0x" << std::hex << entry.virtualKey;
        const bool sameKeysym =
            KeycodeCarries(recorder_->display(), presses[0].keycode, entry.keysym);
        const bool samePosition =
            entry.linuxKeyCode != 0 && presses[0].keycode == entry.linuxKeyCode + 8u;
        EXPECT_TRUE(sameKeysym || samePosition)
            << "virtual key 0x" << std::hex << entry.virtualKey << " arrived as keycode "
            << std::dec << presses[0].keycode;
    }
}

TEST_F(XInputTest, ScanCodesNameKeyPositions) {
    const struct {
        std::uint16_t scanCode;
        KeyExtension extension;
        unsigned int keycode;
    } cases[] = {
        {0x1E, KeyExtension::Plain, 38},      // A
        {0x48, KeyExtension::Extended, 111},  // Up
        {0x48, KeyExtension::Plain, 80},      // keypad 8
        {0x1D, KeyExtension::Extended, 105},  // right Control
        {0x45, KeyExtension::Extended, 77},   // Num Lock
        {0x45, KeyExtension::Plain, 127},     // Pause
        {0x54, KeyExtension::Plain, 107},     // Print Screen
        {0x37, KeyExtension::Extended, 107},  // Print Screen's make code
        {0x20, KeyExtension::Extended, 121},  // volume mute, not D
        {0x20, KeyExtension::Plain, 40},      // D
    };
    for (const auto& one : cases) {
        keyboard_->sendScanCode(one.scanCode, one.extension, KeyDirection::Press);
        keyboard_->sendScanCode(one.scanCode, one.extension, KeyDirection::Release);
        const auto presses = TakeKeyPresses(1);
        ASSERT_EQ(presses.size(), 1u) << "scan code 0x" << std::hex << one.scanCode;
        EXPECT_EQ(presses[0].keycode, one.keycode) << "scan code 0x" << std::hex << one.scanCode;
        if (one.keycode == 77) {
            TapVirtualKey(0x90);
            TakeKeyPresses(1);
        }
    }
}

TEST_F(XInputTest, ScanCodesOfVirtualKeysUnderTheUsLayout) {
    EXPECT_EQ(keyboard_->scanCodeForVirtualKey(0x41), 0x1E);
    EXPECT_EQ(keyboard_->scanCodeForVirtualKey(0x26), 0x48);
    EXPECT_EQ(keyboard_->scanCodeForVirtualKey(0x2C), 0x54);
    EXPECT_EQ(keyboard_->scanCodeForVirtualKey(0x14), 0x3A);
    EXPECT_EQ(keyboard_->scanCodeForVirtualKey(0x90), 0x45);
    EXPECT_EQ(keyboard_->scanCodeForVirtualKey(0x07), 0);
}

TEST_F(XInputTest, CharactersArriveAsTextEvenWhenTheLayoutLacksThem) {
    const char32_t characters[] = {U'a', U'A', U'!', U'1', U'é', U'ñ', U'€', U'ß', U'中', U'ж'};
    for (const char32_t character : characters) {
        keyboard_->sendCharacter(character, KeyDirection::Press);
        keyboard_->sendCharacter(character, KeyDirection::Release);
        const auto presses = TakeKeyPresses(1);
        ASSERT_FALSE(presses.empty()) << "U+" << std::hex << static_cast<unsigned>(character);
        EXPECT_EQ(presses.back().text, std::u32string(1, character))
            << "U+" << std::hex << static_cast<unsigned>(character);
    }
    EXPECT_FALSE(keyboard_->keyHeld(0x10));
    // The borrowed keycodes are given back when the keyboard goes.
    keyboard_.reset();
    recorder_->drain();
    EXPECT_EQ(XKeysymToKeycode(recorder_->display(), 0x0100'4E2D), 0);
    keyboard_ = XKeyboardInput::Create(connection_);
}

TEST_F(XInputTest, ACharacterHeldDownStaysDownUntilItsRelease) {
    keyboard_->sendCharacter(U'ñ', KeyDirection::Press);
    auto presses = TakeKeyPresses(1);
    ASSERT_EQ(presses.size(), 1u);
    const unsigned int keycode = presses[0].keycode;
    keyboard_->sendCharacter(U'ñ', KeyDirection::Release);
    ASSERT_TRUE(recorder_->waitUntil([&] { return !recorder_->keys.empty(); }));
    EXPECT_FALSE(recorder_->keys.back().press);
    EXPECT_EQ(recorder_->keys.back().keycode, keycode);
}

TEST_F(XInputTest, LockKeyTapsToggleTheLocks) {
    for (const auto& [lock, virtualKey] :
         {std::pair{LockKey::CapsLock, 0x14}, std::pair{LockKey::NumLock, 0x90}}) {
        ASSERT_FALSE(keyboard_->lockKeyOn(lock));
        for (const bool on : {true, false}) {
            TapVirtualKey(virtualKey);
            TakeKeyPresses(1);
            EXPECT_EQ(keyboard_->lockKeyOn(lock), on) << virtualKey;
        }
    }
}

TEST_F(XInputTest, HeldKeysAreSeenWhileDown) {
    keyboard_->sendVirtualKey(0xA0, KeyDirection::Press);
    TakeKeyPresses(1);
    EXPECT_TRUE(keyboard_->keyHeld(0xA0));
    EXPECT_TRUE(keyboard_->keyHeld(0x10));
    EXPECT_FALSE(keyboard_->keyHeld(0xA1));
    EXPECT_FALSE(keyboard_->keyHeld(0x41));
    keyboard_->sendVirtualKey(0xA0, KeyDirection::Release);
    recorder_->drain();
    EXPECT_FALSE(keyboard_->keyHeld(0xA0));
    EXPECT_FALSE(keyboard_->keyHeld(0x10));
}

TEST_F(XInputTest, CharactersMapToKeysAndShiftStatesOfTheUsLayout) {
    using K = KeyForCharacter;
    using Case = std::pair<char32_t, std::optional<K>>;
    for (const auto& [character, expected] :
         {Case{U'a', K{0x41}}, Case{U'A', K{0x41, true}}, Case{U'1', K{0x31}},
          Case{U'!', K{0x31, true}}, Case{U' ', K{0x20}}, Case{U';', K{0xBA}},
          Case{U':', K{0xBA, true}}, Case{U'?', K{0xBF, true}}, Case{U'\r', K{0x0D}},
          Case{U'\t', K{0x09}}, Case{U'\n', K{0x0D, false, true}}, Case{U'é', std::nullopt},
          Case{U'中', std::nullopt}}) {
        EXPECT_EQ(keyboard_->keyForCharacter(character), expected)
            << "U+" << std::hex << static_cast<unsigned>(character);
    }
}

}  // namespace
}  // namespace veltranix
