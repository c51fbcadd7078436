// The real program under Xvfb, operated only by a face: a steered camera
// whose head offset and gestures this test sets while the program runs, as
// a user moves their head in front of a webcam.
#include <gtest/gtest.h>

#include <X11/Xcursor/Xcursor.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <X11/keysym.h>
#include <signal.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "core/geometry.h"
#include "core/settings_store.h"
#include "core/virtual_key_table.h"
#include "macros/macro_file.h"
#include "platform/linux/file_settings_store.h"
#include "platform/linux/x_desktop.h"
#include "platform/linux/x_keyboard_input.h"
#include "settings/settings.h"
#include "tests/platform/x_event_recorder.h"
#include "tests/platform/x_screen.h"
#include "tests/platform/x_test_display.h"
#include "tests/support/dwell_settings.h"
#include "tests/support/face_sequence.h"
#include "tests/support/macro_entries.h"
#include "tests/support/real_time.h"
#include "tests/support/spawn_program.h"
#include "tests/support/steered_program.h"
#include "tests/support/temporary_folder.h"

// After OpenCV, whose names its input-extension macros would replace.
#include <X11/extensions/XTest.h>

#include "tests/platform/x_input.h"

namespace veltranix {
namespace {

using testing::DesktopSetup;
using testing::Hold;
using testing::RunningProgram;
using testing::SteeredFace;
using testing::StoredInteger;
using testing::WaitFor;
using testing::WindowPlace;
using testing::XEventRecorder;
using testing::XInput;

// A window's place and size, to compare with the expected ones at once.
std::array<int, 4> Box(const WindowPlace& place) {
    return {place.x, place.y, place.width, place.height};
}
std::pair<int, int> Size(const WindowPlace& place) {
    return {place.width, place.height};
}
// The button presses a window of the user's application has got.
std::vector<XEventRecorder::ButtonEvent> Presses(XEventRecorder& window) {
    window.drain();
    std::vector<XEventRecorder::ButtonEvent> presses;
    std::copy_if(window.buttons.begin(), window.buttons.end(), std::back_inserter(presses),
                 [](const auto& button) { return button.press; });
    return presses;
}

// Pixels of the check marks' green in a screen area.
int GreenPixels(Display* display, const WindowPlace& area) {
    XImage* image = XGetImage(display, DefaultRootWindow(display), area.x, area.y, area.width,
                              area.height, AllPlanes, ZPixmap);
    int green = 0;
    for (int y = 0; image != nullptr && y < area.height; ++y) {
        for (int x = 0; x < area.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            const int r = static_cast<int>((pixel >> 16) & 0xFF);
            const int g = static_cast<int>((pixel >> 8) & 0xFF);
            const int b = static_cast<int>(pixel & 0xFF);
            green += g > 80 && g > r + 40 && g > b + 30 ? 1 : 0;
        }
    }
    if (image != nullptr) {
        XDestroyImage(image);
    }
    return green;
}

class ProgramSystemTest : public testing::SteeredProgramTest {
  protected:
    void Prepare() override {
        // The desktop shows the theme's arrow, as a session does.
        Display* display = screen();
        const Cursor arrow = XcursorLibraryLoadCursor(display, "left_ptr");
        ASSERT_NE(arrow, 0u) << "no cursor theme with left_ptr";
        XFixesSetCursorName(display, arrow, "left_ptr");
        XDefineCursor(display, DefaultRootWindow(display), arrow);
        // The user's application, away from where the test steers.
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.cursor = arrow;
        application_ =
            XCreateWindow(display, DefaultRootWindow(display), 0, 0, 100, 100, 0, CopyFromParent,
                          InputOutput, CopyFromParent, CWOverrideRedirect | CWCursor, &attributes);
        XMapWindow(display, application_);
        // Passing over this one makes the server take the application's cursor afresh.
        attributes.cursor = XCreateFontCursor(display, 0);
        otherWindow_ =
            XCreateWindow(display, DefaultRootWindow(display), 100, 0, 100, 100, 0, CopyFromParent,
                          InputOutput, CopyFromParent, CWOverrideRedirect | CWCursor, &attributes);
        XMapWindow(display, otherWindow_);
        XSync(display, False);
        testing::PrepareDwellSettings(config_, VELTRANIX_PROGRAM_FOLDER);
    }

    // The program's windows now shown, for a failure's message.
    std::string OpenWindowNames() const { return testing::ShownWindows(screen()); }
    // A failed step's message: `what`, the windows shown and the steering.
    std::string Why(const std::string& what) const {
        return what + " (" + OpenWindowNames() + "): " + steering_.log;
    }
    // Holds while a window of this name is shown, with its place in `place`.
    std::function<bool()> Shown(const char* name, std::optional<WindowPlace>& place) {
        return [this, name, &place] { return (place = Find(name)).has_value(); };
    }
    std::function<bool()> Gone(const char* name) {
        return [this, name] { return !Find(name).has_value(); };
    }
    // Waits until the main window is `width` (0: any) by `height` pixels.
    bool MainBecomes(std::optional<WindowPlace>& main, int width, int height, double seconds = 10) {
        return WaitFor(
            [&] {
                main = Find("Veltranix");
                return main && (width == 0 || main->width == width) && main->height == height;
            },
            seconds);
    }
    bool DwellClickOn(const WindowPlace& target, const std::function<bool()>& done) {
        return steering_.DwellClickOn(*face_, target, done);
    }

    // Starts the program on the steered face; waits until it has docked.
    std::unique_ptr<RunningProgram> StartDocked() {
        std::unique_ptr<RunningProgram> program = Start();
        const auto docked = [&] { return testing::IsDocked(Find("Veltranix")); };
        const bool ended = !program->started() ||
                           !WaitFor([&] { return program->Poll().has_value() || docked(); }, 90) ||
                           program->Poll().has_value();
        return ended ? nullptr : std::move(program);
    }

    void Store(const char* key, const char* name, std::int32_t value) {
        FileSettingsStore store(testing::StoreIn(config_));
        store.open();
        ASSERT_EQ(WriteInteger(store, key, name, value), StoreStatus::Ok);
    }

    // The cursor the user's application window shows.
    std::vector<std::uint32_t> ApplicationCursor() {
        XWarpPointer(screen(), None, otherWindow_, 0, 0, 0, 0, 50, 50);
        XSync(screen(), False);
        Hold(0.1);
        XWarpPointer(screen(), None, application_, 0, 0, 0, 0, 50, 50);
        XSync(screen(), False);
        Hold(0.2);
        return testing::CurrentCursor(screen()).pixels;
    }

    Window application_ = 0;
    Window otherWindow_ = 0;
};

TEST_F(ProgramSystemTest, AUserOperatesTheProgramWithTheirFaceAlone) {
    const std::vector<std::uint32_t> arrowBefore = ApplicationCursor();
    ASSERT_FALSE(arrowBefore.empty());
    XWarpPointer(screen(), None, DefaultRootWindow(screen()), 0, 0, 0, 0, 640, 512);
    XSync(screen(), False);
    const std::unique_ptr<RunningProgram> program = Start();
    ASSERT_TRUE(program->started());

    // The start-up form in the middle of the work area (no panels here), the loading bar.
    std::optional<WindowPlace> main;
    ASSERT_TRUE(WaitFor(Shown("Veltranix", main), 30));
    EXPECT_EQ(Box(*main), (std::array{(1280 - 640) / 2, (1024 - 560) / 2, 640, 560}));
    std::optional<WindowPlace> bar;
    ASSERT_TRUE(WaitFor(Shown("BarraDeCarga", bar), 20));

    ASSERT_TRUE(WaitFor([&] { return testing::IsDocked(main = Find("Veltranix")); }, 60))
        << "the window never docked";
    EXPECT_EQ(Box(*main), (std::array{1280 - 160, 1024 - 122, 160, 120}));
    EXPECT_FALSE(Find("BarraDeCarga").has_value());

    EXPECT_TRUE(steering_.Follows(*face_)) << "the pointer did not follow the head";

    ASSERT_TRUE(steering_.PassInto(*face_, {main->x + 90, main->y + 13, 60, 40}));
    ASSERT_TRUE(MainBecomes(main, 0, 240)) << "no button menu";
    EXPECT_EQ(Box(*main), (std::array{1280 - 160, 1024 - 240, 160, 240}));

    // A dwell click on pause (right column, first row) opens the pause window.
    std::optional<WindowPlace> pause;
    ASSERT_TRUE(DwellClickOn({main->x + 90, main->y + 8, 62, 46}, Shown("PAUSE", pause)))
        << Why("the dwell click did not open the pause window");
    EXPECT_EQ(Box(*pause), (std::array{1280 - 160, 1024 - 120 - 2, 160, 120}));
    // The pointer cannot leave it, however far the head turns.
    const double inPauseX = face_->offsetX();
    const double inPauseY = face_->offsetY();
    face_->TurnTo(inPauseX - 60, inPauseY - 40);
    Hold(1.0);
    {
        const auto [x, y] = Pointer();
        EXPECT_TRUE(pause->Contains(x, y)) << "pointer left the pause window: " << x << "," << y;
    }
    face_->TurnTo(inPauseX, inPauseY);

    // Yes pauses tracking.
    ASSERT_TRUE(DwellClickOn({pause->x + 14, pause->y + 60, 50, 50}, Gone("PAUSE")))
        << Why("the dwell click on yes did not close the pause window");
    Hold(1.0);
    const auto pausedAt = Pointer();
    face_->TurnTo(face_->offsetX() + 20, face_->offsetY());
    Hold(1.0);
    EXPECT_EQ(Pointer(), pausedAt) << "the pointer moved while paused";

    // Looking straight at the camera again, a head shake resumes.
    face_->TurnTo(0, 0);
    Hold(1.0);
    bool resumed = false;
    for (int attempt = 0; attempt < 3 && !resumed; ++attempt) {
        for (int swing = 0; swing < 6; ++swing) {
            face_->MoveTo(swing % 2 == 0 ? 12.0 : -12.0, face_->offsetY());
            Hold(0.12);
        }
        face_->MoveTo(0, face_->offsetY());
        Hold(1.0);
        const auto before = Pointer();
        face_->TurnTo(-20, face_->offsetY());
        resumed = WaitFor([&] { return Pointer() != before; }, 3);
        face_->TurnTo(0, face_->offsetY());
    }
    ASSERT_TRUE(resumed) << "the head shake did not resume tracking";

    // Hide (left column, last row); a second start shows the window again and ends.
    ASSERT_TRUE(DwellClickOn({1280 - 150, 1024 - 52, 60, 40}, Gone("Veltranix")))
        << Why("the dwell click did not hide the window");
    ASSERT_TRUE(steering_.SteerInto(*face_, {560, 440, 160, 140})) << steering_.log;
    EXPECT_FALSE(Find("Veltranix").has_value());
    const std::unique_ptr<RunningProgram> second = Start();
    ASSERT_TRUE(WaitFor([&] { return second->Poll().has_value(); }, 30));
    EXPECT_EQ(*second->Poll(), 0);
    EXPECT_TRUE(WaitFor(
        [&] {
            main = Find("Veltranix");
            return main && main->width == 160 && main->x == 1280 - 160;
        },
        10))
        << Why("the second start did not show the window");

    // Exit lies under the docked window's bottom-right: the rest there clicks it.
    std::optional<WindowPlace> exit;
    ASSERT_TRUE(DwellClickOn({1280 - 70, 1024 - 240 + 188, 60, 44}, Shown("SALIDA", exit)))
        << Why("the dwell click did not open the exit confirmation");
    ASSERT_TRUE(DwellClickOn({exit->x + 14, exit->y + 60, 50, 50}, [&] {
        return program->Poll().has_value();
    })) << Why("the program did not end");
    EXPECT_EQ(*program->Poll(), 0);
    // The desktop shows the restored arrow, but XFixes reports no image of a
    // cursor whose maker's client slot is free until new clients take it.
    std::vector<std::unique_ptr<Display, decltype(&XCloseDisplay)>> newcomers;
    for (int index = 0; index < 8; ++index) {
        newcomers.emplace_back(XOpenDisplay(nullptr), &XCloseDisplay);
    }
    EXPECT_EQ(ApplicationCursor(), arrowBefore) << "the theme's arrow is not back";
}

TEST_F(ProgramSystemTest, AUserSetsTheOptionsWithTheirFaceAlone) {
    Display* display = screen();
    const WindowPlace clickTarget{160, 300, 300, 300};
    XEventRecorder clickWindow(testing::TestDisplayName(), clickTarget);
    const std::unique_ptr<RunningProgram> program = StartDocked();
    ASSERT_TRUE(program) << "the program never docked";
    steering_.LearnGain(*face_);

    // Mouse options (left, third row): the mouth makes a double click (the fourth kind).
    std::optional<WindowPlace> mouse;
    ASSERT_TRUE(
        DwellClickOn({1280 - 150, 1024 - 240 + 129, 62, 44}, Shown("MOPTIONSRATOLI", mouse)))
        << Why("no mouse options");
    EXPECT_EQ(Size(*mouse), std::pair(688, 514));
    const WindowPlace mouthDoubleMark{mouse->x + 374, mouse->y + 179, 25, 23};
    ASSERT_TRUE(DwellClickOn({mouse->x + 380, mouse->y + 192, 60, 42},
                             [&] { return GreenPixels(display, mouthDoubleMark) > 15; }))
        << "the mouth's double click was not checked: " << steering_.log;
    ASSERT_TRUE(DwellClickOn({mouse->x + 172, mouse->y + 463, 120, 20}, Gone("MOPTIONSRATOLI")))
        << "OK did not close the mouse options: " << steering_.log;
    EXPECT_EQ(StoredInteger(config_, store_keys::kMouse, "boca"), 4);

    // The mouth held open double-clicks, well before the dwell clock would click.
    std::vector<XEventRecorder::ButtonEvent> presses;
    const auto notePresses = [&] {
        presses = Presses(clickWindow);
        return presses.size() >= 2;
    };
    bool doubleClicked = false;
    steering_.log.clear();
    for (int attempt = 0; attempt < 3 && !doubleClicked; ++attempt) {
        ASSERT_TRUE(steering_.SteerInto(*face_, {clickTarget.x + 60, clickTarget.y + 60, 180, 180}))
            << steering_.log;
        if (!steering_.WaitForStillPointer()) {
            steering_.log += "the pointer never came to a stop; ";
        }
        clickWindow.drain();
        clickWindow.buttons.clear();
        // Held open past the default hold of 0.5 s.
        for (int frame = 0; frame < 22; ++frame) {
            face_->OpenMouth(frame == 0 || frame == 20 ? 8 : frame == 21 ? 0 : 16);
            Hold(0.04);
        }
        doubleClicked = WaitFor(notePresses, 1.5) && presses[0].button == Button1 &&
                        presses[1].button == Button1 && presses[1].time - presses[0].time <= 500;
        // Away and back: the dwell clock starts again.
        face_->TurnTo(face_->offsetX() + 3, face_->offsetY());
    }
    EXPECT_TRUE(doubleClicked) << Why(std::to_string(presses.size()) + " presses");

    // System options (left, second row): the medium size, OK.
    ASSERT_TRUE(steering_.PassInto(*face_, {1280 - 150, 1024 - 110, 60, 40}));
    std::optional<WindowPlace> main;
    ASSERT_TRUE(MainBecomes(main, 0, 240)) << "no button menu";
    std::optional<WindowPlace> system;
    ASSERT_TRUE(DwellClickOn({1280 - 150, 1024 - 240 + 68, 62, 46}, Shown("MSYSTEM", system)))
        << Why("no system options");
    const WindowPlace mediumMark{system->x + 177, system->y + 236, 25, 23};
    ASSERT_TRUE(DwellClickOn({system->x + 182, system->y + 242, 14, 11},
                             [&] { return GreenPixels(display, mediumMark) > 15; }))
        << "medium was not checked: " << steering_.log;
    ASSERT_TRUE(DwellClickOn({system->x + 116, system->y + 476, 126, 20}, Gone("MSYSTEM")))
        << "OK did not close the system options: " << steering_.log;
    ASSERT_TRUE(MainBecomes(main, 192, 144)) << Why("not at the medium size");
    EXPECT_EQ(Box(*main), (std::array{1280 - 192, 1024 - 146, 192, 144}));
    EXPECT_EQ(StoredInteger(config_, store_keys::kSystem, "tamany"), 1);
}

// A helper marks the eyes with a mouse; tracking starts from them, and the face
// alone picks a right click and scrolling from the click-type menu.
TEST_F(ProgramSystemTest, HandMarkedEyesStartTrackingAndTheClickMenuPicksAClick) {
    // The dwell clock opens the click-type menu (kind 1, stored as 2).
    Store(store_keys::kMouse, "rellotge", 2);
    // Too far to the side to be calibrated while the helper reaches the bar.
    face_->MoveTo(200, 0);
    const std::unique_ptr<RunningProgram> program = Start();
    ASSERT_TRUE(program->started());
    std::optional<WindowPlace> main;
    ASSERT_TRUE(WaitFor(Shown("Veltranix", main), 30));
    ASSERT_EQ(main->height, 560);

    // The set-up bar's manual button: the eye positions window over the camera picture.
    XInput(screen()).ClickAt(main->x + 455, main->y + 520);
    face_->MoveTo(0, 0);
    std::optional<WindowPlace> eyes;
    ASSERT_TRUE(WaitFor(Shown("TRANSPARENT", eyes), 10)) << OpenWindowNames();
    EXPECT_EQ(Box(*eyes), (std::array{main->x, main->y, 640, 482}));
    Hold(1.5);

    const testing::FaceSequence face;
    // The eyes' pixels, rounded.
    const cv::Point leftEye(face.leftEye({}));
    const cv::Point rightEye(face.rightEye({}));
    for (const cv::Point& at :
         {cv::Point(300, 330), {400, 330}, {280, 270}, {380, 270}, leftEye, rightEye}) {
        XInput(screen()).ClickAt(eyes->x + at.x, eyes->y + at.y);
    }
    EXPECT_EQ(StoredInteger(config_, store_keys::kManualEyes, "ullEsquerreX"), leftEye.x);
    EXPECT_EQ(StoredInteger(config_, store_keys::kManualEyes, "ullEsquerreY"), leftEye.y);
    EXPECT_EQ(StoredInteger(config_, store_keys::kManualEyes, "ullDretX"), rightEye.x);
    EXPECT_EQ(StoredInteger(config_, store_keys::kManualEyes, "ullDretY"), rightEye.y);

    XInput(screen()).ClickAt(main->x + 165, main->y + 520);
    ASSERT_TRUE(WaitFor([&] { return testing::IsDocked(main = Find("Veltranix")); }, 20))
        << "tracking did not start from the marked eyes (" << OpenWindowNames() << ")";
    EXPECT_FALSE(Find("TRANSPARENT").has_value());
    ASSERT_TRUE(steering_.Follows(*face_)) << "the pointer does not follow the head";

    const WindowPlace application{400, 350, 480, 360};
    XEventRecorder target(testing::TestDisplayName(), application);
    std::vector<XEventRecorder::ButtonEvent> presses;
    const auto readPresses = [&] { presses = Presses(target); };
    const auto forgetPresses = [&] {
        target.drain();
        target.buttons.clear();
    };

    // Resting on the application opens the menu at the pointer: its corner
    // is 105 left of and 36 above it.
    std::optional<WindowPlace> menu;
    auto openedAt = [&] { return std::make_pair(menu->x + 105, menu->y + 36); };
    ASSERT_TRUE(DwellClickOn({560, 480, 160, 100}, [&] {
        menu = Find("CLICK_DESPL");
        return menu && application.Contains(openedAt().first, openedAt().second);
    })) << Why("no click-type menu");
    EXPECT_EQ(Size(*menu), std::pair(140, 251));
    Hold(0.5);

    // Its right-click cell: a right click lands where the menu was opened.
    forgetPresses();
    const auto isRight = [](const auto& press) { return press.button == 3; };
    ASSERT_TRUE(DwellClickOn({menu->x + 10, menu->y + 76, 50, 52}, [&] {
        readPresses();
        return std::any_of(presses.begin(), presses.end(), isRight);
    })) << Why("no right click from the menu");
    const auto right = std::find_if(presses.begin(), presses.end(), isRight);
    EXPECT_EQ(std::pair(right->rootX, right->rootY), openedAt());
    EXPECT_FALSE(Find("CLICK_DESPL").has_value()) << "the menu stayed open";

    // Its scroll cell: the head tilted down scrolls down, tilted up up.
    ASSERT_TRUE(DwellClickOn({440, 380, 120, 80}, Shown("CLICK_DESPL", menu)))
        << Why("no click-type menu");
    ASSERT_TRUE(DwellClickOn({menu->x + 10, menu->y + 205, 120, 40}, Gone("CLICK_DESPL")))
        << "the scroll cell was not chosen: " << steering_.log;
    const double startX = face_->offsetX();
    const double startY = face_->offsetY();
    const auto wheel = [&](unsigned int button) {
        readPresses();
        return std::count_if(presses.begin(), presses.end(),
                             [&](const auto& press) { return press.button == button; });
    };
    // Quicker than TurnTo: crossing the dead zone, the head is not still.
    const auto tiltTo = [&](double y) {
        for (double at = face_->offsetY(); std::abs(at - y) > 0.1; Hold(0.04)) {
            face_->MoveTo(startX, at += std::clamp(y - at, -2.0, 2.0));
        }
    };
    for (const auto& [tilt, toward, away] : {std::tuple{25.0, 5u, 4u}, {-25.0, 4u, 5u}}) {
        tiltTo(startY + tilt);
        forgetPresses();
        EXPECT_TRUE(WaitFor([&] { return wheel(toward) >= 3; }, 10))
            << "no wheel button " << toward << " at a tilt of " << tilt;
        EXPECT_EQ(wheel(away), 0) << "wheel button " << away << " at a tilt of " << tilt;
    }
}

// The macro editor's controls, by their centre in design units at size 1.0.
constexpr ScreenPoint kSlot3{252, 128};
constexpr ScreenPoint kRecordMode{32, 267};
constexpr ScreenPoint kNameMode{302, 152};
constexpr ScreenPoint kClearName{511, 175};
constexpr ScreenPoint kPauseTool{475, 260};
constexpr ScreenPoint kProfileBox{380, 83};
constexpr ScreenPoint kNewProfile{511, 80};
constexpr ScreenPoint kDeleteProfile{571, 80};
constexpr ScreenPoint kEditorOk{197, 461};
constexpr ScreenPoint kEditorCancel{443, 461};
constexpr ScreenPoint kDialogOk{45, 75};

std::string StoredProfile(const std::filesystem::path& configDir) {
    return testing::StoredText(configDir, store_keys::kProfileRead, "Perfil");
}

// A free keycode whose key is no key of the key table: typing a character
// the layout lacks on it reaches the editor as a character of no key.
unsigned int SpareKeycode(Display* display) {
    int minKeycode = 0, maxKeycode = 0;
    XDisplayKeycodes(display, &minKeycode, &maxKeycode);
    for (int keycode = maxKeycode; keycode > minKeycode; --keycode) {
        int perCode = 0;
        KeySym* symbols = XGetKeyboardMapping(display, static_cast<KeyCode>(keycode), 1, &perCode);
        const bool empty = symbols == nullptr || symbols[0] == NoSymbol;
        if (symbols != nullptr) {
            XFree(symbols);
        }
        if (empty &&
            FindVirtualKeyByLinuxCode(static_cast<std::uint16_t>(keycode - 8)) == nullptr) {
            return static_cast<unsigned int>(keycode);
        }
    }
    return 0;
}

void MapKeycode(Display* display, unsigned int keycode, KeySym lower, KeySym upper) {
    KeySym symbols[2] = {lower, upper};
    XChangeKeyboardMapping(display, static_cast<int>(keycode), 2, symbols, 1);
    XSync(display, False);
    Hold(0.3);
}

// What the editor writes for "Hello", Ctrl+C, two pauses, é (a key of this
// layout) and Ω (a character the layout lacks), recorded into macro 3.
MacroSet ExpectedRecording() {
    MacroSet set = DefaultMacroSet();
    MacroSlot& slot = set[2];
    slot = MacroSlot{};
    slot.name = u"Hello";
    // The packet key's release at the end: the key that types ç, which this layout lacks.
    testing::AppendEntries(
        slot, {{0xA0, 1, 0},  {0x48, 1, 0},       {0x48, 0, 0},       {0xA0, 0, 0}, {0x45, 1, 0},
               {0x45, 0, 0},  {0x4C, 1, 0},       {0x4C, 0, 0},       {0x4C, 1, 0}, {0x4C, 0, 0},
               {0x4F, 1, 0},  {0x4F, 0, 0},       {0xA2, 1, 0},       {0x43, 1, 0}, {0x43, 0, 0},
               {0xA2, 0, 0},  {kPauseMark, 0, 0}, {kPauseMark, 0, 0}, {0xC0, 1, 0}, {0xC0, 0, 0},
               {0x3A9, 1, 1}, {0x3A9, 0, 1},      {0xFFFF, 0, 0}});
    slot.displayText = u"Hello [ LEFT CONTROL + C ] {Pause 1s}{Pause 1s}\u00E9\u03A9";
    return set;
}

// The macro editor opened from the set-up bar's mouse options: set-up waits
// behind it (no loading bar, no docking) until the mouse options close.
TEST_F(ProgramSystemTest, SetUpWaitsBehindTheMacroEditorOpenedFromItsBar) {
    face_->MoveTo(200, 0);
    const std::unique_ptr<RunningProgram> program = Start();
    std::optional<WindowPlace> main;
    ASSERT_TRUE(WaitFor(Shown("Veltranix", main), 30)) << OpenWindowNames();
    std::optional<WindowPlace> mouse;
    XInput(screen()).ClickAt(main->x + 200, main->y + 500);
    ASSERT_TRUE(WaitFor(Shown("MOPTIONSRATOLI", mouse), 10)) << OpenWindowNames();
    std::optional<WindowPlace> editor;
    XInput(screen()).ClickAt(mouse->x + 66, mouse->y + 393);
    ASSERT_TRUE(WaitFor(Shown("MACROS", editor), 10));
    face_->MoveTo(0, 0);
    const auto setUpGoesOn = [&] {
        const std::optional<WindowPlace> now = Find("Veltranix");
        return Find("BarraDeCarga").has_value() || (now && now->width == 160);
    };
    EXPECT_FALSE(WaitFor(setUpGoesOn, 8)) << OpenWindowNames();
    XInput(screen()).ClickAt(editor->x + kEditorCancel.x, editor->y + kEditorCancel.y);
    ASSERT_TRUE(WaitFor(Shown("MOPTIONSRATOLI", mouse), 10))
        << "the mouse options did not come back: " << OpenWindowNames();
    XInput(screen()).ClickAt(mouse->x + 480, mouse->y + 473);
    EXPECT_TRUE(WaitFor(setUpGoesOn, 30)) << OpenWindowNames();
}

// While the editor's open-file dialog is up a trigger over it makes a plain
// left click: the click-type menu, which the dwell clock is bound to, stays shut.
TEST_F(ProgramSystemTest, TheEditorsFileDialogTakesPlainLeftClicks) {
    Store(store_keys::kMouse, "rellotge", 2);
    Store(store_keys::kMouse, "clicMacro", 1);
    const std::unique_ptr<RunningProgram> program = Start({"--open-macro-editor"});
    std::optional<WindowPlace> editor;
    ASSERT_TRUE(WaitFor(
        [&] {
            const std::optional<WindowPlace> main = Find("Veltranix");
            editor = Find("MACROS");
            return editor && main && main->width == 160;
        },
        90))
        << OpenWindowNames();
    // Record mode, then its open-file tool (a stalled machine may need a second try).
    steering_.LearnGain(*face_);
    std::optional<WindowPlace> dialog;
    for (int attempt = 0; attempt < 2 && !dialog; ++attempt) {
        ASSERT_TRUE(steering_.SteerInto(*face_, {editor->x + 22, editor->y + 257, 20, 20}));
        Hold(4.5);
        steering_.DwellClickOn(*face_, {editor->x + 346, editor->y + 250, 20, 20},
                               [&] { return (dialog = Find("Open")).has_value(); });
    }
    ASSERT_TRUE(dialog) << "no open-file dialog (" << OpenWindowNames() << "): " << steering_.log;
    // Where a window manager might put it: off the editor.
    XMoveWindow(screen(), dialog->window, 20, 20);
    XSync(screen(), False);
    ASSERT_TRUE(steering_.SteerInto(*face_, {60, 120, 200, 100}));
    EXPECT_FALSE(WaitFor([&] { return Find("CLICK_DESPL").has_value(); }, 8)) << OpenWindowNames();
}

TEST_F(ProgramSystemTest, AMacroIsRecordedInTheEditorSavedAndPlayed) {
    Display* display = screen();
    // No head-driven pointer, no trigger: only the test's pointer and keys act.
    Store(store_keys::kWebcam, "tipoMoveRatoli", 1);
    for (const char* trigger : {"ull", "boca", "rellotge"}) {
        Store(store_keys::kMouse, trigger, 7);
    }
    // The program keeps its macros beside itself, where it may write.
    const std::filesystem::path macros = std::filesystem::path(VELTRANIX_PROGRAM_FOLDER) / "Macros";
    std::filesystem::remove_all(macros);
    // é on the grave accent key; Ω on no key at all.
    const unsigned int graveKey = XKeysymToKeycode(display, XK_grave);
    const unsigned int spareKey = SpareKeycode(display);
    ASSERT_NE(spareKey, 0u);
    MapKeycode(display, graveKey, XK_eacute, XK_Eacute);
    XEventRecorder text(testing::TestDisplayName(), WindowPlace{0, 300, 300, 100});
    XInput input(display);
    std::optional<WindowPlace> editor;
    const auto waitForEditor = [&] {
        ASSERT_TRUE(WaitFor(Shown("MACROS", editor), 30));
        ASSERT_TRUE(WaitFor(
            [&] {
                const std::optional<WindowPlace> main = Find("Veltranix");
                return main && main->width == 160 && !Find("BarraDeCarga").has_value();
            },
            90))
            << "the face was never found";
        Hold(1.0);
    };
    const auto click = [&](ScreenPoint spot) {
        input.ClickAt(editor->x + spot.x, editor->y + spot.y);
    };

    std::unique_ptr<RunningProgram> program = Start({"--open-macro-editor"});
    ASSERT_TRUE(program->started());
    waitForEditor();
    EXPECT_EQ(Box(*editor), (std::array{1280 / 2 - 304, 1024 / 2 - 257, 640, 480}));
    EXPECT_FALSE(text.hasFocus()) << "the editor took no focus";

    click(kSlot3);
    click(kRecordMode);
    input.Type("Hello");
    input.TapWith(XK_Control_L, XK_c);
    click(kPauseTool);
    click(kPauseTool);
    input.Key(graveKey, true);
    input.Key(graveKey, false);
    MapKeycode(display, spareKey, XK_Greek_OMEGA, XK_Greek_OMEGA);
    input.Key(spareKey, true);
    input.Key(spareKey, false);
    MapKeycode(display, spareKey, NoSymbol, NoSymbol);
    click(kNameMode);
    click(kClearName);
    input.Type("Hello");
    click(kEditorOk);
    ASSERT_TRUE(WaitFor(Gone("MACROS"), 5)) << "OK did not close the editor";
    EXPECT_TRUE(WaitFor([&] { return text.hasFocus(); }, 3)) << "the focus did not come back";
    const std::string expected = EncodeMacroFile(ExpectedRecording());
    EXPECT_TRUE(testing::ReadFile(macros / "Default.cfg") == expected);
    EXPECT_EQ(program->Terminate(10), 0);
    program.reset();

    // Read back as written; a second profile made, chosen and deleted.
    program = Start({"--open-macro-editor", "--test-click-request", "22"});
    waitForEditor();
    EXPECT_TRUE(testing::ReadFile(macros / "Default.cfg") == expected);
    click(kNewProfile);
    std::optional<WindowPlace> dialog;
    ASSERT_TRUE(WaitFor(Shown("New profile", dialog), 5));
    EXPECT_FALSE(Find("MACROS").has_value()) << "the editor stays shown behind the dialog";
    // The blank is refused; the name is typed into the focused box.
    input.Type("Sec ond");
    input.Tap(XK_Return);
    ASSERT_TRUE(WaitFor(Shown("MACROS", editor), 5));
    EXPECT_TRUE(
        testing::FolderContents(macros) ==
        (std::map<std::string, std::string>{{"Default.cfg", expected},
                                            {"Second.cfg", EncodeMacroFile(DefaultMacroSet())}}));
    EXPECT_EQ(StoredProfile(config_), "Default.cfg");
    // The list shows the new profile; choosing it makes it current.
    click(kProfileBox);
    Hold(0.5);
    input.Tap(XK_Return);
    EXPECT_TRUE(WaitFor([&] { return StoredProfile(config_) == "Second.cfg"; }, 3));
    click(kDeleteProfile);
    ASSERT_TRUE(WaitFor(Shown("Delete profile", dialog), 5));
    input.ClickAt(dialog->x + kDialogOk.x, dialog->y + kDialogOk.y);
    ASSERT_TRUE(WaitFor(Shown("MACROS", editor), 5));
    EXPECT_TRUE(testing::FolderContents(macros) ==
                (std::map<std::string, std::string>{{"Default.cfg", expected}}));
    EXPECT_EQ(StoredProfile(config_), "Default.cfg");
    click(kEditorCancel);
    ASSERT_TRUE(WaitFor(Gone("MACROS"), 5));
    ASSERT_TRUE(WaitFor([&] { return text.hasFocus(); }, 3)) << "the focus did not come back";

    // Macro 3 through its click request, typed into the text window.
    text.drain();
    text.keys.clear();
    kill(program->pid(), SIGUSR1);
    EXPECT_TRUE(WaitFor([&] { return Find("PauseMacro").has_value(); }, 3))
        << "no progress window for a macro with pauses";
    std::vector<std::pair<KeySym, bool>> typed;
    text.waitUntil(
        [&] {
            typed.clear();
            for (const XEventRecorder::KeyEvent& key : text.keys) {
                if (key.press && !IsModifierKey(key.keysym)) {
                    typed.emplace_back(key.keysym, (key.state & ControlMask) != 0);
                }
            }
            return typed.size() >= 8;
        },
        std::chrono::seconds(10));
    const std::vector<std::pair<KeySym, bool>> want = {
        {XK_H, false},      {XK_e, false},
        {XK_l, false},      {XK_l, false},
        {XK_o, false},      {XK_c, true},
        {XK_eacute, false}, {static_cast<KeySym>(KeysymForCharacter(U'\u03A9')), false}};
    EXPECT_EQ(typed, want);
    EXPECT_TRUE(WaitFor(Gone("PauseMacro"), 5));
    MapKeycode(display, graveKey, XK_grave, XK_asciitilde);
    EXPECT_TRUE(program->Terminate(10).has_value());
}

class DesktopSetupTest : public ProgramSystemTest,
                         public ::testing::WithParamInterface<DesktopSetup> {
  protected:
    void SetUp() override {
        if (!desktop_.missing().empty()) {
            GTEST_SKIP() << desktop_.missing() << " (scripts/install-deps.sh installs it)";
        }
        ProgramSystemTest::SetUp();
    }
    // The connection to the own desktop ends before the desktop does.
    void TearDown() override { x_.reset(); }

    testing::OwnDesktop desktop_{GetParam()};
};

// The docked window at the desktop's scale in the primary monitor's corner;
// the webcam options, the tallest popup, inside that monitor.
TEST_P(DesktopSetupTest, WindowsKeepToThePrimaryMonitorAtTheDesktopsScale) {
    const DesktopSetup& setup = GetParam();
    const int s = setup.scale;
    const WindowPlace primary{0, 0, 1920, 1080};
    const auto inside = [&](const WindowPlace& window) {
        return primary.Contains(window.x, window.y) &&
               primary.Contains(window.x + window.width - 1, window.y + window.height - 1);
    };
    std::vector<std::string> environment;
    if (*setup.environment != '\0') {
        environment.push_back(setup.environment);
    }
    const std::unique_ptr<RunningProgram> program = Start({}, environment);
    // The start-up form (640 x 560 at 96 dpi) as large as 1080 rows hold it.
    const int startupHeight = std::min(560 * s, 1080);
    std::optional<WindowPlace> main;
    std::optional<WindowPlace> bar;
    ASSERT_TRUE(WaitFor(
        [&] {
            main = Find("Veltranix");
            bar = Find("BarraDeCarga");
            return main && main->height == startupHeight && bar;
        },
        90))
        << "no start-up form: " << OpenWindowNames();
    EXPECT_EQ(main->width, 640 * startupHeight / 560);
    EXPECT_TRUE(inside(*main) && inside(*bar)) << OpenWindowNames();
    EXPECT_EQ(bar->height, 30 * s);
    ASSERT_TRUE(MainBecomes(main, 160 * s, 120 * s, 90)) << Why("not docked");
    EXPECT_TRUE(inside(*main)) << OpenWindowNames();
    EXPECT_EQ(main->x + main->width, 1920);

    steering_.LearnGain(*face_);
    std::optional<WindowPlace> webcam;
    ASSERT_TRUE(
        DwellClickOn({1920 - 68 * s, 1080 - 109 * s, 58 * s, 40 * s}, Shown("MOPTIONS", webcam)))
        << Why("no webcam options");
    EXPECT_TRUE(inside(*webcam)) << OpenWindowNames();
    EXPECT_EQ(Size(*webcam), std::pair(s == 1 ? 608 : 1152, s == 1 ? 570 : 1080));
}

INSTANTIATE_TEST_SUITE_P(
    Desktops, DesktopSetupTest,
    ::testing::Values(DesktopSetup{"QtScaleFactor2", "", "QT_SCALE_FACTOR=2", "", 2},
                      DesktopSetup{"XftDpi192", "", "", "Xft.dpi:\t192\n", 2},
                      DesktopSetup{"UnequalMonitors", "1280x1024", "", "", 1},
                      DesktopSetup{"TwoEqualMonitors", "1920x1080", "", "", 1}),
    [](const ::testing::TestParamInfo<DesktopSetup>& setup) { return setup.param.name; });

// The name of the focus window.
std::string FocusName(Display* display) {
    Window focus = None;
    int revert = 0;
    char* name = nullptr;
    XGetInputFocus(display, &focus, &revert);
    const std::string text = XFetchName(display, focus, &name) != 0 && name ? name : "none";
    XFree(name);
    return text;
}

// A window manager and the panel beside it (may be empty), started by the test.
using Desktop = std::pair<std::vector<std::string>, std::vector<std::string>>;
class WindowManagerTest : public ProgramSystemTest,
                          public ::testing::WithParamInterface<Desktop> {};

// The user's terminal keeps the keyboard focus (sampled every 0.5 s) through
// start-up, docking, the button menu, the popups and the click-type menu.
TEST_P(WindowManagerTest, TheUsersTerminalKeepsTheKeyboardFocus) {
    const auto& [manager, panel] = GetParam();
    for (const std::string& tool : {manager[0], panel.empty() ? manager[0] : panel[0]}) {
        if (!std::filesystem::exists(tool) || !std::filesystem::exists("/usr/bin/xterm")) {
            GTEST_SKIP() << tool
                         << " or xterm is not installed: scripts/install-deps.sh installs it";
        }
    }
    Display* display = screen();
    RunningProgram wm(manager, {}, {}, testing::Streams::Errors,
                      testing::EndWith::TerminateThenKill);
    std::optional<RunningProgram> strut;
    if (!panel.empty()) {
        strut.emplace(panel, std::vector<std::string>{});
    }
    // The terminal over the screen's middle, clicked into; the bare desktop below.
    const std::filesystem::path typed = folder_.path() / "typed.txt";
    RunningProgram terminal({"/usr/bin/xterm", "-T", "UserTerminal", "-geometry", "140x48+100+40",
                             "-e", "sh", "-c", "stty -icanon; cat > " + typed.string()},
                            {});
    ASSERT_TRUE(WaitFor(
        [&] {
            XInput(display).ClickAt(400, 300);
            return FocusName(display) == "UserTerminal";
        },
        30));
    Store(store_keys::kMouse, "rellotge", 2);
    std::atomic<const char*> stage{"start-up"};
    std::string lost;
    std::jthread sampler([&](std::stop_token stop) {
        Display* own = XOpenDisplay(nullptr);
        for (; !stop.stop_requested(); Hold(0.5)) {
            lost += FocusName(own) == "UserTerminal" ? "" : std::string(stage) + "; ";
        }
        XCloseDisplay(own);
    });
    const std::unique_ptr<RunningProgram> program = StartDocked();
    ASSERT_TRUE(program) << "the program never docked";
    const WindowPlace docked = *Find("Veltranix");
    std::string error;
    const ScreenRect area = XDesktop(XDisplayConnection::Open("", &error)).workArea();
    EXPECT_TRUE(area.left <= docked.x && docked.x + docked.width <= area.right &&
                area.top <= docked.y && docked.y + docked.height <= area.bottom &&
                (panel.empty() || area.bottom - area.top < 1024));
    stage = "docked";
    steering_.LearnGain(*face_);

    // A confirmation and an options menu (every popup is made focus-free alike)
    // from their cells of the button menu, closed by their own buttons.
    const int top = docked.y + 122 - 240;
    for (const auto& [name, opener, closer] :
         std::vector<std::tuple<const char*, WindowPlace, WindowPlace>>{
             {"PAUSE", {docked.x + 90, top + 8, 62, 46}, {100, 60, 50, 50}},
             {"MOPTIONS", {docked.x + 90, top + 129, 62, 44}, {115, 478, 130, 16}}}) {
        stage = name;
        std::optional<WindowPlace> shown;
        const auto open = [&, name = name] { return (shown = Find(name)).has_value(); };
        // A head that overshoots closes the button menu: pass in once more.
        bool opened = false;
        for (int pass = 0; pass < 2 && !opened; ++pass) {
            ASSERT_TRUE(steering_.PassInto(*face_, {docked.x + 90, docked.y + 13, 60, 40}));
            opened = DwellClickOn(opener, open);
        }
        ASSERT_TRUE(opened) << name << steering_.log;
        // A window manager may map it where it likes before the program places it.
        Hold(1);
        ASSERT_TRUE(open()) << name;
        ASSERT_TRUE(steering_.DwellClickOn(
            *face_, {shown->x + closer.x, shown->y + closer.y, closer.width, closer.height},
            [&] { return !open(); }))
            << name << steering_.log;
    }
    // A left click from the click-type menu on the bare desktop, where some
    // window managers take the focus from every window.
    stage = "CLICK_DESPL";
    std::optional<WindowPlace> menu;
    const auto open = Shown("CLICK_DESPL", menu);
    ASSERT_TRUE(DwellClickOn({200, 780, 400, 120}, open)) << steering_.log;
    ASSERT_TRUE(DwellClickOn({menu->x + 78, menu->y + 76, 52, 52}, [&] { return !open(); }))
        << steering_.log;
    XInput(display).Type("typed");
    EXPECT_TRUE(WaitFor([&] { return testing::ReadFile(typed) == "typed"; }, 5));
    sampler.request_stop();
    sampler.join();
    EXPECT_EQ(lost, "") << "the focus left the terminal";
}

INSTANTIATE_TEST_SUITE_P(
    Desktops, WindowManagerTest,
    ::testing::Values(Desktop{{"/usr/bin/openbox", "--sm-disable"}, {"/usr/bin/tint2"}},
                      Desktop{{"/usr/bin/xfwm4", "--compositor=off", "--sm-client-disable"}, {}}),
    [](const auto& desktop) {
        return std::filesystem::path(desktop.param.first[0]).filename().string();
    });

}  // namespace
}  // namespace veltranix
