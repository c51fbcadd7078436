// Plays one macro through GNOME's remote desktop, as the program's macro
// player does in a Wayland session: the real player and keyboard, on a
// session of its own. The macro types "Hi!" and Enter: keys given by virtual
// key (sent by scan code, so by key code, Shift included) and a character
// on the layout's second level (sent by keysym). Ends with 0 once played.
#include <cstdio>

#include <QCoreApplication>

#include "macros/macro_player.h"
#include "platform/linux/mutter_remote_desktop.h"
#include "platform/linux/pointer_whereabouts.h"
#include "platform/linux/remote_keyboard.h"
#include "platform/linux/system_clock.h"
#include "platform/linux/x_desktop.h"
#include "platform/linux/x_display.h"
#include "platform/linux/x_keyboard_input.h"
#include "tests/fakes/fake_macro_playback_display.h"
#include "tests/fakes/fake_shell.h"

int main(int argc, char** argv) {
    using namespace veltranix;
    QCoreApplication application(argc, argv);
    std::string error;
    const std::shared_ptr<XDisplayConnection> x = XDisplayConnection::Open("", &error);
    if (!x) {
        std::fprintf(stderr, "no XWayland: %s\n", error.c_str());
        return 1;
    }
    const std::unique_ptr<XKeyboardInput> layout = XKeyboardInput::Create(x);
    const ScreenSize size = XDesktop(x).screenSize();
    PointerWhereabouts whereabouts(ScreenRect{0, 0, size.width, size.height});
    const std::unique_ptr<MutterRemoteDesktop> mutter =
        MutterRemoteDesktop::Open(whereabouts, &error);
    if (!layout || !mutter) {
        std::fprintf(stderr, "no remote desktop session: %s\n", error.c_str());
        return 1;
    }
    SinkKeyboardInput keyboard(*mutter, *layout);

    MacroSets sets;
    MacroSlot& macro = sets.workingMacros[0];
    const struct {
        std::uint16_t value;
        std::uint8_t press;
        std::uint8_t unicode;
    } entries[] = {
        {0x10, 1, 0}, {0x48, 1, 0}, {0x48, 0, 0}, {0x10, 0, 0},  // Shift+H
        {0x49, 1, 0}, {0x49, 0, 0},                              // i
        {0x21, 1, 1}, {0x21, 0, 1},                              // !, as a character
        {0x0D, 1, 0}, {0x0D, 0, 0},                              // Enter
    };
    for (const auto& entry : entries) {
        const auto at = static_cast<std::size_t>(macro.count++);
        macro.keyValue[at] = entry.value;
        macro.pressFlag[at] = entry.press;
        macro.unicodeFlag[at] = entry.unicode;
    }
    SystemClock clock;
    testing::FakeShell shell;
    Lexicon lexicon;
    testing::FakeMacroPlaybackDisplay display;
    MacroPlayer player(sets, keyboard, shell, clock, lexicon, display);
    player.startMacroPlayback(0);
    player.waitUntilFinished();
    return 0;
}
