#include "settings/settings_persistence.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>

#include "settings/store_tree.h"
#include "tests/support/temporary_folder.h"
#include "tracking/headless_user_interface.h"

namespace veltranix {
namespace {

using namespace store_keys;
using testing::WriteFile;

class RecordingObserver : public SettingsObserver {
  public:
    void rebuildLayout(LayoutTarget target) override { layouts.push_back(target); }
    void webcamSettingsApplied() override { ++webcamApplied; }
    std::vector<LayoutTarget> layouts;
    int webcamApplied = 0;
};

class SettingsLoading : public ::testing::Test {
  protected:
    SettingsLoading() {
        folder.root = temporary.path();
        WriteFile(folder.lexiconFile(),
                  "[Spanish]\r\nok=Aceptar\r\n[English]\r\nok=OK\r\n[Italian]\r\nok=OK\r\n"
                  "[Portuguese]\r\nok=OK\r\n");
        WriteFile(folder.configFile(), "[DebugA]\r\ndebug=no\r\n[MetroA]\r\nmetro=no\r\n");
        WriteFile(folder.keyNamesFile(), "[Controls]\r\n0x41=A\r\n");
    }

    SettingsPersistence Persistence(std::uint16_t languageId = kLanguageEnglishUs) {
        return SettingsPersistence(settings, lexicon, store, folder, userInterface, observer,
                                   languageId);
    }

    // The start-up sequence: system settings, layout (webcam, mouse), profile.
    void StartUp(std::uint16_t languageId = kLanguageEnglishUs) {
        auto persistence = Persistence(languageId);
        ASSERT_EQ(persistence.LoadSystemSettings(), LexiconLoad::Loaded);
        persistence.LayoutWindows(settings.tamany);
        persistence.LoadProfileName();
    }

    testing::TemporaryFolder temporary;
    ProgramFolder folder;
    Settings settings;
    Lexicon lexicon;
    StoreTree store;
    HeadlessUserInterface userInterface;
    RecordingObserver observer;
};

TEST_F(SettingsLoading, FirstStartCreatesEveryGroupWithItsDefaults) {
    StartUp();
    EXPECT_EQ(ReadText(store, kLanguage, "idioma", 200), "English");
    using Stored = std::tuple<const char*, const char*, int>;
    for (const auto& [key, name, value] :
         {Stored{kSystem, "so", 1}, Stored{kSystem, "tamany", 0}, Stored{kSystem, "autoStart", 0},
          Stored{kSystem, "trasPausa", 1}, Stored{kSystem, "autoAjuste", 0},
          Stored{kSystem, "autoPause", 0}, Stored{kWebcam, "invertir", 1},
          Stored{kWebcam, "velocidad", 2}, Stored{kWebcam, "moveCara", 2},
          Stored{kWebcam, "tipoMoveRatoli", 3}, Stored{kMouse, "ull", 7}, Stored{kMouse, "boca", 1},
          Stored{kMouse, "rellotge", 7}, Stored{kMouse, "tempsRellotge", 3},
          Stored{kMouse, "clicMacro", 0}, Stored{kMouse, "nivellUll", 55},
          Stored{kMouse, "nivellBoca", 60}}) {
        EXPECT_EQ(ReadInteger(store, key, name), value) << name;
    }
    EXPECT_EQ(store.readValue(kMouse, "OffSetRefUll")->bytes, "0");  // bare text
    EXPECT_EQ(store.readValue(kMouse, "OffSetRefBoca")->bytes, "0");

    EXPECT_EQ(lexicon.text(LexiconKey::Ok), "OK");
    // Mouth opening is a left click; eyes and dwell do nothing; absolute movement.
    EXPECT_EQ(settings.gestureClickMatrix,
              (GestureMatrix{{{0, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}}}));
    EXPECT_EQ(std::tuple(settings.trasPausa, settings.sizeFactor, settings.pointerMoveMode,
                         settings.invertX, settings.dwellSeconds, settings.eyeThreshold,
                         settings.mouthThreshold, settings.profileName),
              std::tuple(true, 1.0f, 3, false, 3, 55, 60, std::string("Default.cfg")));
    EXPECT_DOUBLE_EQ(settings.speedGain, 0.6);
    EXPECT_DOUBLE_EQ(settings.moveCaraCurve, 45.0);
    EXPECT_DOUBLE_EQ(settings.moveCaraSpan, 100.0);
    EXPECT_EQ(observer.layouts,
              (std::vector<LayoutTarget>{LayoutTarget::MainWindow, LayoutTarget::SystemMenu,
                                         LayoutTarget::WebcamMenu, LayoutTarget::MouseMenu,
                                         LayoutTarget::ClickTypeMenu}));
    EXPECT_EQ(observer.webcamApplied, 1);
    // The sole left click cannot be taken away in the mouse options menu.
    EXPECT_FALSE(settings.mouseMenuCells[1][0].enabled);
    EXPECT_TRUE(settings.mouseMenuCells[1][1].enabled);
}

TEST_F(SettingsLoading, FirstStartFollowsTheUsersLanguage) {
    using Language = std::pair<int, const char*>;
    for (const auto& [id, name] :
         {Language{0x0C0A, "Spanish"}, Language{0x0410, "Italian"}, Language{0x0416, "Portuguese"},
          Language{0x0809, "English"}, Language{0x040A, "English"}, Language{0x0407, "English"}}) {
        store.deleteKey(kLanguage);
        StartUp(static_cast<std::uint16_t>(id));
        EXPECT_EQ(ReadText(store, kLanguage, "idioma", 200), name);
        EXPECT_EQ(lexicon.languageName, name);
    }
}

// The language part decides, so that a user in Mexico, Portugal or
// Switzerland gets a language of the lexicon they can read.
TEST(LanguageFromLocale, TheLanguagePartDecidesAndEnglishIsTheRest) {
    const std::pair<int, std::vector<const char*>> byLanguage[] = {
        {0x0C0A, {"es_ES.UTF-8", "es_MX.UTF-8", "es_AR", "es"}},
        {0x0410, {"it_CH.UTF-8"}},
        {0x0416, {"pt_BR.utf8", "pt_PT.UTF-8"}},
        {0x0809, {"en_GB.UTF-8@euro"}},
        {0x0409, {"de_CH.UTF-8", "C", ""}}};
    for (const auto& [id, locales] : byLanguage) {
        for (const char* locale : locales) {
            EXPECT_EQ(LanguageIdFromLocale(locale), id) << locale;
        }
    }
}

TEST_F(SettingsLoading, LanguageAndProfileAreReadUnderEitherSpelling) {
    store.createKey(kLanguage);
    WriteBareText(store, kLanguage, "Idioma", "Spanish");  // as the system menu writes it
    StartUp(kLanguageEnglishUs);
    EXPECT_EQ(lexicon.text(LexiconKey::Ok), "Aceptar");

    auto persistence = Persistence();
    ASSERT_EQ(persistence.SaveProfileName("Work.cfg"), StoreStatus::Ok);
    EXPECT_EQ(store.readValue(kProfileWritten, "perfil")->bytes.size(), 256u);
    persistence.LoadProfileName();
    EXPECT_EQ(settings.profileName, "Work.cfg");
    ASSERT_EQ(persistence.SaveProfileName(std::string(256, 'x')), StoreStatus::WriteFailed);
    persistence.LoadProfileName();
    EXPECT_EQ(settings.profileName, "Work.cfg") << "a name that does not fit is not stored";
}

// A hand-edited store: choices out of range leave their rows, missing values
// and wrong types keep the fields, a window size of 3 is the default size.
TEST_F(SettingsLoading, OutOfRangeMissingAndMistypedValuesKeepWhatWasThere) {
    store.createKey(kWebcam);
    for (const auto& [name, value] :
         {std::pair{"invertir", 0}, {"velocidad", 4}, {"moveCara", -1}, {"tipoMoveRatoli", 0}}) {
        WriteInteger(store, kWebcam, name, value);
    }
    store.createKey(kMouse);
    WriteInteger(store, kMouse, "ull", 9);
    WriteInteger(store, kMouse, "boca", 0);
    WriteInteger(store, kMouse, "rellotge", 3);
    store.createKey(kSystem);
    WriteInteger(store, kSystem, "tamany", 3);
    WriteBareText(store, kSystem, "so", "1");
    WriteInteger(store, kSystem, "trasPausa", 5);
    settings.so = 9;
    settings.autoPause = 4;
    settings.gestureHoldMs = 77;
    StartUp();
    EXPECT_EQ(settings.webcamChoiceRows[0], (WebcamChoiceRow{0, 0, 0}));
    EXPECT_TRUE(settings.invertX);
    EXPECT_DOUBLE_EQ(settings.speedGain, 0.5);
    EXPECT_DOUBLE_EQ(settings.moveCaraCurve, 60.0);
    EXPECT_DOUBLE_EQ(settings.moveCaraSpan, 300.0);
    EXPECT_EQ(settings.pointerMoveMode, 0);
    EXPECT_EQ(settings.gestureChoiceRows,
              (std::array<GestureChoiceRow, 3>{
                  {{0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, {0, 0, 1, 0, 0, 0}}}));
    EXPECT_FLOAT_EQ(settings.sizeFactor, 1.0f) << "tamany 3 is the default size";
    EXPECT_EQ(settings.so, 9);
    EXPECT_EQ(settings.autoPause, 4);
    EXPECT_TRUE(settings.trasPausa) << "any non-zero stored value is true";
    EXPECT_EQ(settings.gestureHoldMs, 500) << "absent from an older store: the default hold";

    WriteInteger(store, kMouse, "boca", 7);
    WriteInteger(store, kMouse, "ull", 4);
    Persistence().LoadMouseSettings();
    EXPECT_EQ(settings.gestureClickMatrix[0], (GestureChoiceRow{0, 0, 0, 1, 0, 0}));
    EXPECT_EQ(settings.gestureChoiceRows[1], (GestureChoiceRow{0, 0, 0, 0, 0, 0})) << "7: none";
    for (const auto& [stored, holdMs] : {std::pair{-40, 0}, {99999, 5000}, {800, 800}}) {
        WriteInteger(store, kMouse, "gestureHoldMs", stored);
        Persistence().LoadMouseSettings();
        EXPECT_EQ(settings.gestureHoldMs, holdMs) << stored;
    }
}

TEST_F(SettingsLoading, OffsetTextIsParsedLikeTheCLibrary) {
    StartUp();
    using Read = std::pair<const char*, int>;
    for (const auto& [stored, offset] :
         {Read{"-12", -12}, Read{"abc", 0}, Read{" +7", 7}, Read{"\t-3x9", -3}, Read{"", 0},
          Read{"-", 0}, Read{"99999999999", 2147483647}, Read{"-99999999999", -2147483647 - 1}}) {
        WriteBareText(store, kMouse, "OffSetRefUll", stored);
        Persistence().LoadMouseSettings();
        EXPECT_EQ(settings.OffSetRefUll, offset) << stored;
    }
    WriteBareText(store, kMouse, "OffSetRefUll", "-12");
    Persistence().LoadMouseSettings();
    EXPECT_EQ(settings.eyeThreshold, 43) << "nivellUll 55 less 12";
}

TEST_F(SettingsLoading, MouseGroupRecreatedAfterDeletionKeepsWhatIsInMemory) {
    StartUp();
    settings.OffSetRefUll = 5;
    store.deleteKey(kMouse);
    Persistence().LoadMouseSettings();
    EXPECT_EQ(settings.OffSetRefUll, 5);
    EXPECT_EQ(settings.nivellUll, 55);
    EXPECT_EQ(settings.eyeThreshold, 60);

    settings.OffSetRefUll = -4;
    settings.nivellBoca = 70;
    settings.dwellSeconds = 6;
    ClickGestureCell(settings.mouseMenuCells, GestureRow::Dwell, 2);  // dwell: right click
    store.deleteKey(kMouse);
    ASSERT_EQ(Persistence().SaveMouseSettings(), StoreStatus::Ok);
    EXPECT_EQ(store.readValue(kMouse, "OffSetRefUll")->bytes, "-4");  // bare decimal text
    EXPECT_EQ(store.readValue(kMouse, "OffSetRefBoca")->bytes, "0");
    for (const auto& [name, value] :
         {std::pair{"nivellBoca", 70}, {"tempsRellotge", 6}, {"rellotge", 3}, {"ull", 7}}) {
        EXPECT_EQ(ReadInteger(store, kMouse, name), value) << name;
    }
    EXPECT_EQ(settings.tempsRellotge, 6) << "the saved dwell time is the one to revert to";

    // Scroll, the seventh kind, is stored as 8: 7 keeps meaning none.
    ClickGestureCell(settings.mouseMenuCells, GestureRow::Eye, 6);
    settings.scrollSpeed = 3;
    ASSERT_EQ(Persistence().SaveMouseSettings(), StoreStatus::Ok);
    EXPECT_EQ(ReadInteger(store, kMouse, "ull"), 8);
    EXPECT_EQ(ReadInteger(store, kMouse, "scrollSpeed"), 3);
    settings = Settings{};
    Persistence().LoadMouseSettings();
    EXPECT_EQ(settings.gestureClickMatrix[0], (GestureChoiceRow{0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(settings.scrollSpeed, 3);
}

TEST_F(SettingsLoading, WebcamRowsSaveTheirFirstFlagDeriveTheirValuesAndComeBackDefault) {
    StartUp();
    auto persistence = Persistence();
    settings.webcamChoiceRows = {WebcamChoiceRow{0, 1, 0}, {1, 0, 0}, {0, 0, 0}, {0, 1, 1}};
    ASSERT_EQ(persistence.SaveWebcamSettings(), StoreStatus::Ok);
    EXPECT_EQ(ReadInteger(store, kWebcam, "invertir"), 2);
    EXPECT_EQ(ReadInteger(store, kWebcam, "velocidad"), 1);
    EXPECT_EQ(ReadInteger(store, kWebcam, "moveCara"), 2) << "an empty row is not written";
    EXPECT_EQ(ReadInteger(store, kWebcam, "tipoMoveRatoli"), 2);

    settings.webcamChoiceRows = {WebcamChoiceRow{0, 1, 0}, {1, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    persistence.ApplyWebcamSettings();
    EXPECT_TRUE(settings.invertX);
    EXPECT_DOUBLE_EQ(settings.speedGain, 0.7);
    EXPECT_DOUBLE_EQ(settings.moveCaraCurve, 30.0);
    EXPECT_DOUBLE_EQ(settings.moveCaraSpan, 50.0);
    EXPECT_EQ(settings.pointerMoveMode, 2);
    settings.webcamChoiceRows = {WebcamChoiceRow{1, 0, 0}, {0, 0, 1}, {0, 0, 1}, {0, 0, 0}};
    persistence.ApplyWebcamSettings();
    EXPECT_FALSE(settings.invertX);
    EXPECT_DOUBLE_EQ(settings.speedGain, 0.5);
    EXPECT_DOUBLE_EQ(settings.moveCaraCurve, 60.0);
    EXPECT_EQ(settings.pointerMoveMode, 2) << "no flag leaves the mode unchanged";

    // The menu's cancel after the key was deleted behind the program's back.
    store.deleteKey(kWebcam);
    persistence.LoadWebcamSettings();
    EXPECT_EQ(ReadInteger(store, kWebcam, "tipoMoveRatoli"), 3);
    EXPECT_EQ(settings.pointerMoveMode, 3) << "the head keeps moving the pointer";
}

TEST_F(SettingsLoading, ChosenCameraIsStoredByItsPathAndReadAtTheNextStart) {
    StartUp();
    EXPECT_EQ(settings.cameraPath, "") << "none chosen: the first camera";
    const std::string camera = "/dev/v4l/by-id/usb-Acme_HD_Webcam-video-index0";
    settings.cameraPath = camera;
    ASSERT_EQ(Persistence().SaveWebcamSettings(), StoreStatus::Ok);
    settings = Settings{};
    StartUp();
    EXPECT_EQ(settings.cameraPath, camera);
}

class SystemSave : public SettingsLoading {
  protected:
    void SetUp() override {
        StartUp();
        store.createKey(kLogOnRun);
    }
};

TEST_F(SystemSave, WritesTheMenusLanguageAndTheSixValuesThenReloads) {
    settings.so = 0;
    settings.tamany = 2;
    settings.trasPausa = false;
    settings.autoAjuste = true;
    settings.autoPause = 1;
    const auto result = Persistence().SaveSystemSettings(0);  // "Spanish"
    EXPECT_EQ(result.storeStatus, StoreStatus::Ok);
    EXPECT_EQ(result.lexiconLoad, LexiconLoad::Loaded);
    EXPECT_EQ(ReadText(store, kLanguage, "idioma", 200), "Spanish");
    EXPECT_EQ(lexicon.text(LexiconKey::Ok), "Aceptar");
    using Stored = std::pair<const char*, int>;
    for (const auto& [name, value] : {Stored{"so", 0}, Stored{"tamany", 2}, Stored{"trasPausa", 0},
                                      Stored{"autoAjuste", 1}, Stored{"autoPause", 1}}) {
        EXPECT_EQ(ReadInteger(store, kSystem, name), value) << name;
    }
}

TEST_F(SystemSave, AutoStartWritesTheLogOnEntryOnlyFromARecordedInstallFolder) {
    settings.autoStart = 1;
    Persistence().SaveSystemSettings(lexicon.languageIndex);
    store.createKey(kProduct);  // the key without its default value
    Persistence().SaveSystemSettings(lexicon.languageIndex);
    EXPECT_FALSE(store.readValue(kLogOnRun, kLogOnValue));

    WriteBareText(store, kProduct, "", "/opt/veltranix/");
    Persistence().SaveSystemSettings(lexicon.languageIndex);
    EXPECT_EQ(ReadText(store, kLogOnRun, kLogOnValue, 300), "/opt/veltranix/veltranix");
    settings.autoStart = 2;  // neither on nor off: nothing changes
    Persistence().SaveSystemSettings(lexicon.languageIndex);
    EXPECT_TRUE(store.readValue(kLogOnRun, kLogOnValue));

    settings.autoStart = 0;
    EXPECT_EQ(Persistence().SaveSystemSettings(lexicon.languageIndex).storeStatus, StoreStatus::Ok);
    EXPECT_FALSE(store.readValue(kLogOnRun, kLogOnValue));
    EXPECT_EQ(Persistence().SaveSystemSettings(lexicon.languageIndex).storeStatus, StoreStatus::Ok)
        << "removing an entry that is not there is no failure";

    EXPECT_EQ(SettingsPersistence::LogOnCommand("/" + std::string(288, 'a')).size(), 299u);
    EXPECT_EQ(SettingsPersistence::LogOnCommand("/" + std::string(289, 'a')), "")
        << "a path that would be cut is refused";
}

TEST_F(SettingsLoading, AutoAdjustIsSavedAloneAndOnlyIntoAnExistingGroup) {
    auto persistence = Persistence();
    settings.autoAjuste = true;
    EXPECT_EQ(persistence.SaveAutoAdjust(), StoreStatus::KeyMissing);
    EXPECT_FALSE(store.keyExists(kSystem));
    StartUp();
    settings.autoAjuste = true;
    settings.so = 0;
    EXPECT_EQ(persistence.SaveAutoAdjust(), StoreStatus::Ok);
    EXPECT_EQ(ReadInteger(store, kSystem, "autoAjuste"), 1);
    EXPECT_EQ(ReadInteger(store, kSystem, "so"), 1);
}

TEST_F(SettingsLoading, GestureLevelsAreSavedAndReadBackOrWarnWithoutTheMouseGroup) {
    EXPECT_EQ(Persistence().SaveGestureLevels(), StoreStatus::KeyMissing);
    EXPECT_EQ(userInterface.messages.size(), 1u);
    EXPECT_EQ(userInterface.shutdownRequests, 1);

    StartUp();
    settings.nivellUll = 48;
    settings.nivellBoca = 77;
    settings.OffSetRefUll = 2;
    EXPECT_EQ(Persistence().SaveGestureLevels(), StoreStatus::Ok);
    EXPECT_EQ(ReadInteger(store, kMouse, "nivellUll"), 48);
    EXPECT_EQ(ReadInteger(store, kMouse, "nivellBoca"), 77);
    EXPECT_EQ(settings.eyeThreshold, 50);
    EXPECT_EQ(settings.mouthThreshold, 77);
}

TEST_F(SettingsLoading, ManualEyePositionsDefaultAndRoundTrip) {
    auto persistence = Persistence();
    const ManualEyePositions defaults = persistence.LoadManualEyePositions();
    EXPECT_EQ(std::tie(defaults.ullDretX, defaults.ullDretY, defaults.ullEsquerreX,
                       defaults.ullEsquerreY),
              std::tuple(423, 219, 313, 219));
    EXPECT_EQ(ReadInteger(store, kManualEyes, "ullDretX"), 423) << "the missing key is created";
    store.deleteValue(kManualEyes, "ullDretY");
    WriteInteger(store, kManualEyes, "ullEsquerreX", 300);
    const ManualEyePositions read = persistence.LoadManualEyePositions();
    EXPECT_EQ(read.ullDretY, 219) << "a missing value takes its default";
    EXPECT_EQ(read.ullEsquerreX, 300);
}

TEST_F(SettingsLoading, MissingLexiconStopsTheLoadBeforeTheSystemGroup) {
    std::filesystem::remove(folder.lexiconFile());
    EXPECT_EQ(Persistence(kLanguageSpanish).LoadSystemSettings(), LexiconLoad::ExitProgram);
    EXPECT_FALSE(store.keyExists(kSystem));
}

// The mouse options menu's rule that always leaves a way to click: a sole
// left click (mouth, stored 1) is locked, only the menu cell stays open.
TEST(ClickSafety, TheSoleLeftClickOrMenuCannotBeTakenAway) {
    GestureCells cells{};
    for (auto& row : cells) {
        row.fill({0, true});
    }
    cells[1][0].value = 1;
    ApplyClickSafetyRule(cells);
    const auto enabled = [&cells](GestureRow row) {
        std::array<bool, 6> flags{};
        for (std::size_t cell = 0; cell < 6; ++cell) {
            flags[cell] = cells[static_cast<std::size_t>(row)][cell].enabled;
        }
        return flags;
    };
    const std::array<bool, 6> all{true, true, true, true, true, true};
    EXPECT_EQ(enabled(GestureRow::Mouth), (std::array<bool, 6>{false, true}));
    EXPECT_EQ(enabled(GestureRow::Eye), all);
    EXPECT_FALSE(ClickGestureCell(cells, GestureRow::Mouth, 3));
    // A second left click unlocks; removing the first then locks the other.
    ASSERT_TRUE(ClickGestureCell(cells, GestureRow::Eye, 0));
    EXPECT_EQ(enabled(GestureRow::Mouth), all);
    ASSERT_TRUE(ClickGestureCell(cells, GestureRow::Mouth, 0));
    EXPECT_EQ(enabled(GestureRow::Eye), (std::array<bool, 6>{false, true}));
    // Switching between left click and the menu stays possible.
    ASSERT_TRUE(ClickGestureCell(cells, GestureRow::Eye, 1));
    EXPECT_EQ(cells[0][0].value, 0);
    EXPECT_EQ(enabled(GestureRow::Eye), (std::array<bool, 6>{true}));
    // With neither assigned the rule leaves the flags alone.
    GestureCells none{};
    none[0][2].value = 1;
    ApplyClickSafetyRule(none);
    EXPECT_FALSE(none[0][5].enabled);
}

}  // namespace
}  // namespace veltranix
