// The options menus' logic, headless, over a real store and lexicon.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/shell/system_options_menu.h"
#include "settings/store_tree.h"
#include "tests/fakes/recording_menu_host.h"
#include "tests/support/temporary_folder.h"
#include "tracking/headless_user_interface.h"

namespace veltranix {
namespace {

using namespace store_keys;

using testing::RecordingMenuHost;

class OptionsMenuLogic : public ::testing::Test {
  protected:
    OptionsMenuLogic() {
        std::string lexiconText;
        for (const char* language : {"Spanish", "English", "Portuguese", "Italian"}) {
            lexiconText += std::string("[") + language + "]\r\nok=OK " + language + "\r\n";
        }
        testing::WriteFile(folder.lexiconFile(), lexiconText);
        testing::WriteFile(folder.configFile(), "[DebugA]\r\ndebug=no\r\n[MetroA]\r\nmetro=no\r\n");
        testing::WriteFile(folder.keyNamesFile(), "[Controls]\r\n0x41=A\r\n");
        EXPECT_EQ(persistence.LoadSystemSettings(), LexiconLoad::Loaded);
        persistence.LayoutWindows(settings.tamany);
    }

    testing::TemporaryFolder temporary;
    ProgramFolder folder{temporary.path()};
    Settings settings;
    Lexicon lexicon;
    StoreTree store;
    HeadlessUserInterface userInterface;
    SettingsObserver observer;
    SettingsPersistence persistence{settings, lexicon,           store, folder, userInterface,
                                    observer, kLanguageEnglishUs};
    RecordingMenuHost host;
    std::atomic<bool> handPlacedEyes{false};
};

TEST_F(OptionsMenuLogic, HitsAreStrictAndScaledByTruncation) {
    EXPECT_EQ(WebcamControlRect(WebcamControl::Ok, 1.4f), (ScreenRect{151, 660, 355, 701}));
    struct Case {
        ScreenPoint point;
        std::optional<WebcamControl> hit;
    };
    for (const Case& c :
         {Case{{108, 480}, std::nullopt}, Case{{109, 480}, WebcamControl::Ok},
          Case{{200, 472}, std::nullopt}, Case{{300, 400}, WebcamControl::ModeRelative},
          Case{{152, 661}, std::nullopt}}) {
        EXPECT_EQ(WebcamControlAt(c.point, 1.0f), c.hit) << c.point.x << "," << c.point.y;
    }
    EXPECT_EQ(SystemControlAt({179, 112}, 1.0f), SystemControl::SoundYes);
    EXPECT_EQ(SystemControlAt({178, 112}, 1.0f), std::nullopt);
    EXPECT_EQ(MouseControlAt({101, 106}, 1.0f), (MouseControl{MouseControlKind::EyeOffsetUp}));
    EXPECT_EQ(MouseControlAt({50, 120}, 1.0f), (MouseControl{MouseControlKind::EyeTest}));
    EXPECT_EQ(MouseControlAt({300, 200}, 1.0f),
              (MouseControl{MouseControlKind::TriggerCell, GestureRow::Mouth, 2}));
}

TEST_F(OptionsMenuLogic, WebcamClicksAreLiveOkStoresCancelReadsBack) {
    WebcamOptionsMenu menu(settings, persistence, host);
    menu.Click(WebcamControl::Speed1);
    EXPECT_DOUBLE_EQ(settings.speedGain, 0.7);
    menu.Click(WebcamControl::Ok);
    EXPECT_EQ(ReadInteger(store, kWebcam, "velocidad"), 1);

    WebcamOptionsMenu second(settings, persistence, host);
    second.Click(WebcamControl::InvertMirrored);
    EXPECT_TRUE(settings.invertX);
    second.Click(WebcamControl::Cancel);
    EXPECT_FALSE(settings.invertX);
    EXPECT_EQ(ReadInteger(store, kWebcam, "invertir"), 1);
    EXPECT_EQ(host.journal, (std::vector<std::string>{"close", "close"}));
}

TEST_F(OptionsMenuLogic, SwitchingHeadMovementOffAsksFirst) {
    WebcamOptionsMenu menu(settings, persistence, host);
    menu.Click(WebcamControl::ModeDisabled);
    EXPECT_EQ(host.journal, std::vector<std::string>{"warning"});
    EXPECT_EQ(settings.pointerMoveMode, 3) << "not before the answer";
    menu.OnWarningAnswer(WarningChoice::Cancel);
    EXPECT_EQ(settings.webcamChoiceRows[3], (WebcamChoiceRow{0, 0, 1}));
    EXPECT_EQ(settings.pointerMoveMode, 3);

    menu.Click(WebcamControl::ModeDisabled);
    menu.OnWarningAnswer(WarningChoice::Ok);
    EXPECT_EQ(settings.pointerMoveMode, 1);
    // Back to relative: at once, without a warning.
    host.journal.clear();
    menu.Click(WebcamControl::ModeRelative);
    EXPECT_EQ(settings.pointerMoveMode, 2);
    EXPECT_TRUE(host.journal.empty());
}

// The camera row starts at the camera in use and steps through the cameras
// by name; OK stores the one shown and opens it unless it is in use.
TEST_F(OptionsMenuLogic, WebcamCameraRowStepsThroughTheCamerasByName) {
    using enum WebcamControl;
    const std::string usb = "/dev/v4l/by-id/usb-Acme_HD_Webcam-video-index0";
    host.cameras = {{{"/dev/v4l/by-id/usb-Laptop-video-index0", "Laptop Camera"},
                     {usb, "Acme HD Webcam"},
                     {"/dev/video4", "Capture card"}},
                    usb};
    const struct {
        std::vector<WebcamControl> clicks;
        const char* shown;
        std::size_t checkMarks;  // the four rows' and the camera in use's
        std::optional<std::string> stored;
        std::size_t hostCalls;  // closing, and opening the camera
    } cases[] = {
        {{Ok}, "Acme HD Webcam", 5, std::nullopt, 1},
        {{CameraNext, Ok}, "Capture card", 4, "/dev/video4", 2},
        {{CameraNext, CameraNext, Cancel}, "Laptop Camera", 4, std::nullopt, 1},
        {{CameraPrevious, CameraNext, Ok}, "Acme HD Webcam", 5, usb, 1},
    };
    for (const auto& c : cases) {
        store.deleteValue(kWebcam, "camera");
        persistence.LoadWebcamSettings();
        host.journal.clear();
        WebcamOptionsMenu menu(settings, persistence, host, &host);
        for (const WebcamControl click : c.clicks) {
            if (click == Ok || click == Cancel) {
                EXPECT_EQ(menu.shownCamera()->name, c.shown);
                EXPECT_EQ(menu.View(lexicon).checkMarks.size(), c.checkMarks) << c.shown;
            }
            menu.Click(click);
        }
        EXPECT_EQ(ReadText(store, kWebcam, "camera", 4096), c.stored) << c.shown;
        EXPECT_EQ(settings.cameraPath, c.stored.value_or("")) << c.shown;
        EXPECT_EQ(host.journal.size(), c.hostCalls) << c.shown;
    }
}

TEST_F(OptionsMenuLogic, SystemLanguageStepsLiveAndCancelBringsTheStoredOneBack) {
    SystemMenuServices services{settings, lexicon,       persistence,
                                folder,   userInterface, handPlacedEyes};
    SystemOptionsMenu menu(services, host);
    ASSERT_EQ(lexicon.languageName, "English");
    menu.Click(SystemControl::LanguageNext);
    EXPECT_EQ(lexicon.text(LexiconKey::Ok), "OK Portuguese");
    menu.Click(SystemControl::LanguagePrevious);
    menu.Click(SystemControl::LanguagePrevious);
    menu.Click(SystemControl::LanguagePrevious);
    EXPECT_EQ(lexicon.text(LexiconKey::Ok), "OK Italian") << "before the first comes the last";
    menu.Click(SystemControl::SizeBig);
    EXPECT_FLOAT_EQ(settings.sizeFactor, 1.0f) << "the size waits for OK";
    menu.Click(SystemControl::Cancel);
    EXPECT_EQ(lexicon.text(LexiconKey::Ok), "OK English");
    EXPECT_EQ(settings.tamany, 0);

    SystemOptionsMenu second(services, host);
    handPlacedEyes = true;
    second.Click(SystemControl::AutoAjuste);
    EXPECT_FALSE(settings.autoAjuste) << "held while the eyes were placed by hand";
    second.Click(SystemControl::AutoStartYes);
    second.Click(SystemControl::Ok);
    EXPECT_EQ(ReadInteger(store, kSystem, "autoStart"), 1);
    EXPECT_EQ(ReadText(store, kLanguage, "idioma", 200), "English");
}

TEST_F(OptionsMenuLogic, MouseLimitsAndRules) {
    MouseOptionsMenu menu(settings, persistence, host, host);
    menu.Click({MouseControlKind::ClicMacro});
    EXPECT_EQ(settings.clicMacro, 0) << "no trigger opens the click-type menu";

    settings.OffSetRefUll = 39;
    for (int press = 0; press < 3; ++press) {
        menu.Click({MouseControlKind::EyeOffsetUp});
    }
    EXPECT_EQ(settings.OffSetRefUll, kEyeOffsetLimit);
    EXPECT_EQ(settings.eyeThreshold, 55 + 40);
    settings.OffSetRefBoca = -30;
    menu.Click({MouseControlKind::MouthOffsetDown});
    EXPECT_EQ(settings.OffSetRefBoca, -30);
    for (int press = 0; press < 9; ++press) {
        menu.Click({MouseControlKind::DwellUp});
    }
    EXPECT_EQ(settings.dwellSeconds, kDwellSecondsMax);

    // The eye bound to double click, then OK.
    menu.Click({MouseControlKind::TriggerCell, GestureRow::Eye, 3});
    menu.Click({MouseControlKind::ScrollSpeed, GestureRow::Eye, 2});
    menu.Click({MouseControlKind::Ok});
    EXPECT_EQ(ReadInteger(store, kMouse, "ull"), 4);
    EXPECT_EQ(ReadInteger(store, kMouse, "scrollSpeed"), 3) << "the fastest step";
    EXPECT_EQ(ReadInteger(store, kMouse, "tempsRellotge"), 8);
    EXPECT_EQ(ReadText(store, kMouse, "OffSetRefUll", 51), "40");
}

TEST_F(OptionsMenuLogic, HoldingOnCancelRestoresAllThatCancelDoes) {
    MouseOptionsMenu menu(settings, persistence, host, host);
    menu.Click({MouseControlKind::TriggerCell, GestureRow::Dwell, 2});
    menu.Click({MouseControlKind::EyeOffsetDown});
    menu.Click({MouseControlKind::DwellDown});
    const ScreenRect cancel = MouseControlRect({MouseControlKind::Cancel}, 1.0f);
    menu.OnPointerMoved({cancel.left + 5, cancel.top + 5});
    for (int tick = 1; tick < MouseOptionsMenu::kHeldCancelTicks; ++tick) {
        menu.OnTimer(MouseOptionsMenu::HeldCancel);
    }
    EXPECT_TRUE(host.journal.empty());
    menu.OnTimer(MouseOptionsMenu::HeldCancel);
    EXPECT_EQ(host.journal, std::vector<std::string>{"close"});
    EXPECT_EQ(settings.gestureClickMatrix[2][2], 0);
    EXPECT_EQ(settings.OffSetRefUll, 0);
    EXPECT_EQ(settings.eyeThreshold, 55);
    EXPECT_EQ(settings.dwellSeconds, 3);
}

TEST_F(OptionsMenuLogic, TestAreasSwitchTheGestureTestsWhileHovered) {
    MouseOptionsMenu menu(settings, persistence, host, host);
    menu.OnPointerMoved({40, 200});
    EXPECT_TRUE(host.mouthTest);
    EXPECT_FALSE(host.eyeTest);
    menu.OnPointerMoved({40, 120});
    EXPECT_TRUE(host.eyeTest);
    EXPECT_FALSE(host.mouthTest);
    // A click flashes the area; meanwhile moves change nothing.
    menu.OnLeftButtonDown({40, 120});
    menu.OnPointerMoved({300, 500});
    EXPECT_TRUE(host.eyeTest);
    for (int tick = 0; tick < MouseOptionsMenu::kFlashTicks; ++tick) {
        menu.OnTimer(MouseOptionsMenu::HeldCancel);
    }
    menu.OnPointerMoved({300, 500});
    EXPECT_FALSE(host.eyeTest);
    menu.OnPointerMoved({40, 120});
    menu.Click({MouseControlKind::Ok});
    EXPECT_FALSE(host.eyeTest) << "closing switches the tests off";
}

// Closed from outside (a tracking reset, shutdown), every menu reads its
// unsaved edits back without a return to the main window, and the mouse
// menu's gesture tests stop.
TEST_F(OptionsMenuLogic, EachMenuClosedFromOutsideReadsItsEditsBack) {
    SystemMenuServices services{settings, lexicon,       persistence,
                                folder,   userInterface, handPlacedEyes};
    WebcamOptionsMenu webcam(settings, persistence, host);
    webcam.Click(WebcamControl::InvertMirrored);
    SystemOptionsMenu system(services, host);
    system.Click(SystemControl::LanguageNext);
    MouseOptionsMenu mouse(settings, persistence, host, host);
    mouse.Click({MouseControlKind::DwellDown});
    mouse.OnPointerMoved({40, 120});
    ASSERT_TRUE(settings.invertX && settings.dwellSeconds == 2 && host.eyeTest);
    host.journal.clear();
    for (OptionsMenu* menu : std::initializer_list<OptionsMenu*>{&webcam, &system, &mouse}) {
        menu->OnClosedFromOutside();
    }
    EXPECT_FALSE(settings.invertX);
    EXPECT_EQ(lexicon.text(LexiconKey::Ok), "OK English");
    EXPECT_EQ(settings.dwellSeconds, 3);
    EXPECT_FALSE(host.eyeTest || host.mouthTest);
    EXPECT_TRUE(host.journal.empty());
}

// The companion keyboard comes back after the last open menu closes, by
// OK, cancel or from outside alike, and only when a menu took it away.
// Steps: the companion hands its window over (g) or hides it itself (h), a
// menu opens (m), closes with another still open (o) or as the last (c),
// shutdown closes the companion (x).
TEST(CompanionKeyboard, ComesBackWhenTheLastMenuCloses) {
    const std::pair<std::string_view, std::vector<std::string>> cases[] = {
        {"gmc", {"hide 7", "show 7"}},
        {"gmmo", {"hide 7"}},
        {"gmmoc", {"hide 7", "show 7"}},
        {"mc", {}},
        {"ghmc", {}},
        {"gmxc", {"hide 7", "close 7"}},
    };
    for (const auto& [steps, expected] : cases) {
        RecordingMenuHost companion;
        CompanionKeyboardWindow window(companion);
        for (const char step : steps) {
            step == 'g'   ? window.HandedOver(7)
            : step == 'h' ? window.HiddenByCompanion()
            : step == 'm' ? window.HideForMenu()
            : step == 'x' ? window.Close()
                          : window.MenuClosed(step == 'o');
        }
        EXPECT_EQ(companion.journal, expected) << steps;
    }
}

// The hold row steps through off, 0.3, 0.5, 0.8 and 1.2 s, from any stored
// value; OK stores it, cancel brings the stored one back.
TEST_F(OptionsMenuLogic, TheHoldRowStepsThroughTheOfferedHolds) {
    using enum MouseControlKind;
    const struct {
        std::int32_t fromMs;
        std::vector<MouseControlKind> clicks;
        std::int32_t toMs;
    } cases[] = {
        {500, {HoldLonger, HoldLonger, HoldLonger}, 1200},
        {500, {HoldShorter, HoldShorter, HoldShorter}, 0},
        {650, {HoldLonger}, 800},
        {650, {HoldShorter}, 500},
        {0, {HoldLonger}, 300},
    };
    for (const auto& c : cases) {
        settings.gestureHoldMs = c.fromMs;
        MouseOptionsMenu menu(settings, persistence, host, host);
        for (const MouseControlKind click : c.clicks) {
            menu.Click({click});
        }
        EXPECT_EQ(settings.gestureHoldMs, c.toMs) << c.fromMs;
        menu.Click({Ok});
        EXPECT_EQ(ReadInteger(store, kMouse, "gestureHoldMs"), c.toMs);
    }
    MouseOptionsMenu menu(settings, persistence, host, host);
    menu.Click({HoldShorter});
    menu.Click({Cancel});
    EXPECT_EQ(settings.gestureHoldMs, 300);
}

}  // namespace
}  // namespace veltranix
