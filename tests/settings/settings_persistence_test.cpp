#include "settings/settings_persistence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "settings/store_tree.h"
#include "tests/fakes/fake_user_interface.h"
#include "tests/support/temporary_folder.h"

namespace veltranix {
namespace {

using namespace store_keys;
using testing::FakeUserInterface;
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
    FakeUserInterface userInterface;
    RecordingObserver observer;
};

TEST_F(SettingsLoading, FirstStartCreatesEveryGroupWithItsDefaults) {
    StartUp();
    EXPECT_EQ(ReadText(store, kLanguage, "idioma", 200), "English");
    EXPECT_EQ(ReadInteger(store, kSystem, "so"), 1);
    EXPECT_EQ(ReadInteger(store, kSystem, "tamany"), 0);
    EXPECT_EQ(ReadInteger(store, kSystem, "autoStart"), 0);
    EXPECT_EQ(ReadInteger(store, kSystem, "trasPausa"), 1);
    EXPECT_EQ(ReadInteger(store, kSystem, "autoAjuste"), 0);
    EXPECT_EQ(ReadInteger(store, kSystem, "autoPause"), 0);
    EXPECT_EQ(ReadInteger(store, kWebcam, "invertir"), 1);
    EXPECT_EQ(ReadInteger(store, kWebcam, "velocidad"), 2);
    EXPECT_EQ(ReadInteger(store, kWebcam, "moveCara"), 2);
    EXPECT_EQ(ReadInteger(store, kWebcam, "tipoMoveRatoli"), 3);
    EXPECT_EQ(ReadInteger(store, kMouse, "ull"), 7);
    EXPECT_EQ(ReadInteger(store, kMouse, "boca"), 1);
    EXPECT_EQ(ReadInteger(store, kMouse, "rellotge"), 7);
    EXPECT_EQ(ReadInteger(store, kMouse, "tempsRellotge"), 3);
    EXPECT_EQ(ReadInteger(store, kMouse, "clicMacro"), 0);
    EXPECT_EQ(ReadInteger(store, kMouse, "nivellUll"), 55);
    EXPECT_EQ(ReadInteger(store, kMouse, "nivellBoca"), 60);
    EXPECT_EQ(store.readValue(kMouse, "OffSetRefUll")->bytes, "0");  // bare text
    EXPECT_EQ(store.readValue(kMouse, "OffSetRefBoca")->bytes, "0");

    EXPECT_EQ(lexicon.languageName, "English");
    EXPECT_EQ(lexicon.text(LexiconKey::Ok), "OK");
    EXPECT_EQ(settings.so, 1);
    EXPECT_TRUE(settings.trasPausa);
    EXPECT_FALSE(settings.autoAjuste);
    EXPECT_FLOAT_EQ(settings.sizeFactor, 1.0f);
    // Mouth opening is a left click; eyes and dwell do nothing; absolute movement.
    EXPECT_EQ(settings.gestureClickMatrix[0], (GestureChoiceRow{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(settings.gestureClickMatrix[1], (GestureChoiceRow{1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(settings.gestureClickMatrix[2], (GestureChoiceRow{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(settings.pointerMoveMode, 3);
    EXPECT_FALSE(settings.invertX);
    EXPECT_DOUBLE_EQ(settings.speedGain, 0.6);
    EXPECT_DOUBLE_EQ(settings.moveCaraCurve, 45.0);
    EXPECT_DOUBLE_EQ(settings.moveCaraSpan, 100.0);
    EXPECT_EQ(settings.dwellSeconds, 3);
    EXPECT_EQ(settings.eyeThreshold, 55);
    EXPECT_EQ(settings.mouthThreshold, 60);
    EXPECT_EQ(settings.profileName, "Default.cfg");
    EXPECT_EQ(observer.layouts,
              (std::vector<LayoutTarget>{LayoutTarget::MainWindow, LayoutTarget::SystemMenu,
                                         LayoutTarget::WebcamMenu, LayoutTarget::MouseMenu,
                                         LayoutTarget::ClickTypeMenu}));
    EXPECT_EQ(observer.webcamApplied, 1);
}

struct FirstLanguageCase {
    std::uint16_t languageId;
    const char* name;
};

class FirstStartLanguage : public SettingsLoading,
                           public ::testing::WithParamInterface<FirstLanguageCase> {};

TEST_P(FirstStartLanguage, FollowsTheUsersLanguage) {
    StartUp(GetParam().languageId);
    EXPECT_EQ(ReadText(store, kLanguage, "idioma", 200), GetParam().name);
    EXPECT_EQ(lexicon.languageName, GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Identifiers, FirstStartLanguage,
    ::testing::Values(FirstLanguageCase{0x0C0A, "Spanish"}, FirstLanguageCase{0x0410, "Italian"},
                      FirstLanguageCase{0x0416, "Portuguese"}, FirstLanguageCase{0x0809, "English"},
                      FirstLanguageCase{0x040A, "English"}, FirstLanguageCase{0x0407, "English"}));

// The language part decides, so that a user in Mexico, Portugal or
// Switzerland gets a language of the lexicon they can read.
TEST(LanguageFromLocale, TheLanguagePartDecidesAndEnglishIsTheRest) {
    for (const auto& [locale, id] : {std::pair{"es_ES.UTF-8", 0x0C0A},
                                     {"es_MX.UTF-8", 0x0C0A},
                                     {"es_AR", 0x0C0A},
                                     {"es", 0x0C0A},
                                     {"it_CH.UTF-8", 0x0410},
                                     {"pt_BR.utf8", 0x0416},
                                     {"pt_PT.UTF-8", 0x0416},
                                     {"en_GB.UTF-8@euro", 0x0809},
                                     {"de_CH.UTF-8", 0x0409},
                                     {"C", 0x0409},
                                     {"", 0x0409}}) {
        EXPECT_EQ(LanguageIdFromLocale(locale), id) << locale;
    }
}

TEST_F(SettingsLoading, StoredLanguageIsReadUnderEitherSpelling) {
    store.createKey(kLanguage);
    WriteBareText(store, kLanguage, "Idioma", "Spanish");  // as the system menu writes it
    StartUp(kLanguageEnglishUs);
    EXPECT_EQ(lexicon.languageName, "Spanish");
    EXPECT_EQ(lexicon.text(LexiconKey::Ok), "Aceptar");
}

TEST_F(SettingsLoading, ProfileNameIsReadUnderEitherSpelling) {
    auto persistence = Persistence();
    ASSERT_EQ(persistence.SaveProfileName("Work.cfg"), StoreStatus::Ok);
    EXPECT_TRUE(store.keyExists("Software\\Veltranix\\Perfil"));
    EXPECT_EQ(store.readValue(kProfileWritten, "perfil")->bytes.size(), 256u);
    persistence.LoadProfileName();
    EXPECT_EQ(settings.profileName, "Work.cfg");

    ASSERT_EQ(persistence.SaveProfileName(std::string(256, 'x')), StoreStatus::WriteFailed);
    persistence.LoadProfileName();
    EXPECT_EQ(settings.profileName, "Work.cfg") << "a name that does not fit is not stored";
}

TEST_F(SettingsLoading, OutOfRangeChoicesLeaveTheirRowsAsTheyWere) {
    store.createKey(kWebcam);
    WriteInteger(store, kWebcam, "invertir", 0);
    WriteInteger(store, kWebcam, "velocidad", 4);
    WriteInteger(store, kWebcam, "moveCara", -1);
    WriteInteger(store, kWebcam, "tipoMoveRatoli", 0);
    store.createKey(kMouse);
    WriteInteger(store, kMouse, "ull", 8);
    WriteInteger(store, kMouse, "boca", 0);
    WriteInteger(store, kMouse, "rellotge", 3);
    store.createKey(kSystem);
    WriteInteger(store, kSystem, "tamany", 3);
    StartUp();
    EXPECT_EQ(settings.webcamChoiceRows[0], (WebcamChoiceRow{0, 0, 0}));
    EXPECT_TRUE(settings.invertX);
    EXPECT_DOUBLE_EQ(settings.speedGain, 0.5);
    EXPECT_DOUBLE_EQ(settings.moveCaraCurve, 60.0);
    EXPECT_DOUBLE_EQ(settings.moveCaraSpan, 300.0);
    EXPECT_EQ(settings.pointerMoveMode, 0);
    EXPECT_EQ(settings.gestureChoiceRows[0], (GestureChoiceRow{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(settings.gestureChoiceRows[1], (GestureChoiceRow{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(settings.gestureChoiceRows[2], (GestureChoiceRow{0, 0, 1, 0, 0, 0}));
    EXPECT_FLOAT_EQ(settings.sizeFactor, 1.0f) << "tamany 3 is the default size";
}

TEST_F(SettingsLoading, MissingValuesKeepTheFieldsAndWrongTypesAreUnreadable) {
    store.createKey(kSystem);
    WriteBareText(store, kSystem, "so", "1");
    WriteInteger(store, kSystem, "trasPausa", 5);
    settings.so = 9;
    settings.autoPause = 4;
    StartUp();
    EXPECT_EQ(settings.so, 9);
    EXPECT_EQ(settings.autoPause, 4);
    EXPECT_TRUE(settings.trasPausa) << "any non-zero stored value is true";
}

TEST_F(SettingsLoading, GestureValueSevenClearsTheRow) {
    StartUp();
    WriteInteger(store, kMouse, "boca", 7);
    WriteInteger(store, kMouse, "ull", 4);
    Persistence().LoadMouseSettings();
    EXPECT_EQ(settings.gestureChoiceRows[1], (GestureChoiceRow{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(settings.gestureClickMatrix[0], (GestureChoiceRow{0, 0, 0, 1, 0, 0}));
}

struct OffsetCase {
    const char* stored;
    std::int32_t expected;
};

class OffsetText : public SettingsLoading, public ::testing::WithParamInterface<OffsetCase> {};

TEST_P(OffsetText, IsParsedLikeTheCLibrary) {
    StartUp();
    WriteBareText(store, kMouse, "OffSetRefUll", GetParam().stored);
    Persistence().LoadMouseSettings();
    EXPECT_EQ(settings.OffSetRefUll, GetParam().expected);
    EXPECT_EQ(
        settings.eyeThreshold,
        std::clamp<std::int64_t>(std::int64_t{55} + GetParam().expected, INT32_MIN, INT32_MAX));
}

INSTANTIATE_TEST_SUITE_P(Texts, OffsetText,
                         ::testing::Values(OffsetCase{"-12", -12}, OffsetCase{"abc", 0},
                                           OffsetCase{" +7", 7}, OffsetCase{"\t-3x9", -3},
                                           OffsetCase{"", 0}, OffsetCase{"-", 0},
                                           OffsetCase{"99999999999", 2147483647},
                                           OffsetCase{"-99999999999", -2147483647 - 1}));

TEST_F(SettingsLoading, OffsetsAreWrittenAsBareDecimalText) {
    StartUp();
    settings.OffSetRefUll = -12;
    settings.OffSetRefBoca = 30;
    ASSERT_EQ(Persistence().SaveMouseSettings(), StoreStatus::Ok);
    EXPECT_EQ(store.readValue(kMouse, "OffSetRefUll")->bytes, "-12");
    EXPECT_EQ(store.readValue(kMouse, "OffSetRefBoca")->bytes, "30");
}

TEST_F(SettingsLoading, MouseGroupCreatedAfterDeletionKeepsTheOffsetsInMemory) {
    StartUp();
    settings.OffSetRefUll = 5;
    store.deleteKey(kMouse);
    Persistence().LoadMouseSettings();
    EXPECT_EQ(settings.OffSetRefUll, 5);
    EXPECT_EQ(settings.nivellUll, 55);
    EXPECT_EQ(settings.eyeThreshold, 60);
}

TEST_F(SettingsLoading, SavingTheMouseGroupAfterDeletionWritesWhatIsInMemory) {
    StartUp();
    settings.OffSetRefUll = -4;
    settings.nivellBoca = 70;
    settings.dwellSeconds = 6;
    ClickGestureCell(settings.mouseMenuCells, GestureRow::Dwell, 2);  // dwell: right click
    store.deleteKey(kMouse);
    ASSERT_EQ(Persistence().SaveMouseSettings(), StoreStatus::Ok);
    EXPECT_EQ(store.readValue(kMouse, "OffSetRefUll")->bytes, "-4");
    EXPECT_EQ(store.readValue(kMouse, "OffSetRefBoca")->bytes, "0");
    EXPECT_EQ(ReadInteger(store, kMouse, "nivellBoca"), 70);
    EXPECT_EQ(ReadInteger(store, kMouse, "tempsRellotge"), 6);
    EXPECT_EQ(ReadInteger(store, kMouse, "rellotge"), 3);
    EXPECT_EQ(ReadInteger(store, kMouse, "ull"), 7);
    EXPECT_EQ(settings.tempsRellotge, 6) << "the saved dwell time is the one to revert to";
}

TEST_F(SettingsLoading, WebcamGroupRecreatedAfterDeletionGetsTheStartUpDefaults) {
    StartUp();
    settings.webcamChoiceRows[3] = {0, 1, 0};
    store.deleteKey(kWebcam);
    Persistence().LoadWebcamSettings();  // the menu's cancel
    EXPECT_EQ(ReadInteger(store, kWebcam, "invertir"), 1);
    EXPECT_EQ(ReadInteger(store, kWebcam, "velocidad"), 2);
    EXPECT_EQ(ReadInteger(store, kWebcam, "moveCara"), 2);
    EXPECT_EQ(ReadInteger(store, kWebcam, "tipoMoveRatoli"), 3);
    EXPECT_EQ(settings.pointerMoveMode, 3) << "the head keeps moving the pointer";
}

TEST_F(SettingsLoading, WebcamRowsAreSavedAsTheirFirstFlagAndEmptyRowsAreSkipped) {
    StartUp();
    settings.webcamChoiceRows = {WebcamChoiceRow{0, 1, 0}, {1, 0, 0}, {0, 0, 0}, {0, 1, 1}};
    ASSERT_EQ(Persistence().SaveWebcamSettings(), StoreStatus::Ok);
    EXPECT_EQ(ReadInteger(store, kWebcam, "invertir"), 2);
    EXPECT_EQ(ReadInteger(store, kWebcam, "velocidad"), 1);
    EXPECT_EQ(ReadInteger(store, kWebcam, "moveCara"), 2) << "an empty row is not written";
    EXPECT_EQ(ReadInteger(store, kWebcam, "tipoMoveRatoli"), 2);
}

TEST_F(SettingsLoading, DerivedWebcamValuesFollowEachOption) {
    StartUp();
    auto persistence = Persistence();
    settings.webcamChoiceRows = {WebcamChoiceRow{0, 1, 0}, {1, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    persistence.ApplyWebcamSettings();
    EXPECT_TRUE(settings.invertX);
    EXPECT_DOUBLE_EQ(settings.speedGain, 0.7);
    EXPECT_DOUBLE_EQ(settings.moveCaraCurve, 30.0);
    EXPECT_DOUBLE_EQ(settings.moveCaraSpan, 50.0);
    EXPECT_EQ(settings.pointerMoveMode, 2);
    settings.webcamChoiceRows = {WebcamChoiceRow{1, 0, 0}, {0, 0, 1}, {0, 0, 1}, {1, 0, 0}};
    persistence.ApplyWebcamSettings();
    EXPECT_FALSE(settings.invertX);
    EXPECT_DOUBLE_EQ(settings.speedGain, 0.5);
    EXPECT_DOUBLE_EQ(settings.moveCaraCurve, 60.0);
    EXPECT_EQ(settings.pointerMoveMode, 1);
    settings.webcamChoiceRows[3] = {0, 0, 0};
    persistence.ApplyWebcamSettings();
    EXPECT_EQ(settings.pointerMoveMode, 1) << "no flag leaves the mode unchanged";
}

TEST_F(SettingsLoading, ThresholdSelectors) {
    auto persistence = Persistence();
    settings.nivellUll = 55;
    settings.OffSetRefUll = -12;
    settings.nivellBoca = 60;
    settings.OffSetRefBoca = 3;
    persistence.RecomputeThresholds(1);
    EXPECT_EQ(settings.eyeThreshold, 43);
    EXPECT_EQ(settings.mouthThreshold, 0);
    persistence.RecomputeThresholds(2);
    EXPECT_EQ(settings.mouthThreshold, 63);
    settings.nivellUll = 0;
    settings.nivellBoca = 0;
    persistence.RecomputeThresholds(4);
    EXPECT_EQ(settings.eyeThreshold, 43);
    persistence.RecomputeThresholds(3);
    EXPECT_EQ(settings.eyeThreshold, -12);
    EXPECT_EQ(settings.mouthThreshold, 3);
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
    EXPECT_EQ(ReadInteger(store, kSystem, "so"), 0);
    EXPECT_EQ(ReadInteger(store, kSystem, "tamany"), 2);
    EXPECT_EQ(ReadInteger(store, kSystem, "trasPausa"), 0);
    EXPECT_EQ(ReadInteger(store, kSystem, "autoAjuste"), 1);
    EXPECT_EQ(ReadInteger(store, kSystem, "autoPause"), 1);
}

TEST_F(SystemSave, AutoStartWritesTheLogOnEntryFromTheInstallFolder) {
    store.createKey(kProduct);
    WriteBareText(store, kProduct, "", "/opt/veltranix/");
    settings.autoStart = 1;
    Persistence().SaveSystemSettings(lexicon.languageIndex);
    EXPECT_EQ(ReadText(store, kLogOnRun, kLogOnValue, 300), "/opt/veltranix/veltranix");

    settings.autoStart = 0;
    EXPECT_EQ(Persistence().SaveSystemSettings(lexicon.languageIndex).storeStatus, StoreStatus::Ok);
    EXPECT_FALSE(store.readValue(kLogOnRun, kLogOnValue));
    EXPECT_EQ(Persistence().SaveSystemSettings(lexicon.languageIndex).storeStatus, StoreStatus::Ok)
        << "removing an entry that is not there is no failure";
}

TEST_F(SystemSave, AutoStartWithoutInstallFolderWritesNothing) {
    settings.autoStart = 1;
    Persistence().SaveSystemSettings(lexicon.languageIndex);
    EXPECT_FALSE(store.readValue(kLogOnRun, kLogOnValue));
    store.createKey(kProduct);  // the key without its default value
    Persistence().SaveSystemSettings(lexicon.languageIndex);
    EXPECT_FALSE(store.readValue(kLogOnRun, kLogOnValue));
}

TEST_F(SystemSave, OtherAutoStartValuesTouchNothing) {
    store.createKey(kProduct);
    WriteBareText(store, kProduct, "", "/opt/v");
    settings.autoStart = 1;
    Persistence().SaveSystemSettings(lexicon.languageIndex);
    settings.autoStart = 2;
    Persistence().SaveSystemSettings(lexicon.languageIndex);
    EXPECT_TRUE(store.readValue(kLogOnRun, kLogOnValue));
}

TEST(LogOnCommand, RefusesAPathThatWouldBeCut) {
    EXPECT_EQ(SettingsPersistence::LogOnCommand("/opt/v"), "/opt/v/veltranix");
    EXPECT_EQ(SettingsPersistence::LogOnCommand("/"), "/veltranix");
    EXPECT_EQ(SettingsPersistence::LogOnCommand("/" + std::string(288, 'a')).size(), 299u);
    EXPECT_EQ(SettingsPersistence::LogOnCommand("/" + std::string(289, 'a')), "");
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

TEST_F(SettingsLoading, GestureLevelsAreSavedAndReadBack) {
    StartUp();
    settings.nivellUll = 48;
    settings.nivellBoca = 77;
    settings.OffSetRefUll = 2;
    EXPECT_EQ(Persistence().SaveGestureLevels(), StoreStatus::Ok);
    EXPECT_EQ(ReadInteger(store, kMouse, "nivellUll"), 48);
    EXPECT_EQ(ReadInteger(store, kMouse, "nivellBoca"), 77);
    EXPECT_EQ(settings.eyeThreshold, 50);
    EXPECT_EQ(settings.mouthThreshold, 77);
    EXPECT_EQ(userInterface.shutdownRequests, 0);
}

TEST_F(SettingsLoading, GestureLevelsWithoutTheMouseGroupWarnAndShutDown) {
    EXPECT_EQ(Persistence().SaveGestureLevels(), StoreStatus::KeyMissing);
    ASSERT_EQ(userInterface.messages.size(), 1u);
    EXPECT_EQ(userInterface.messages[0].text,
              "Configuration files are not found, please, reinstall Veltranix.");
    EXPECT_EQ(userInterface.messages[0].caption, "Warning");
    EXPECT_EQ(userInterface.shutdownRequests, 1);
}

TEST_F(SettingsLoading, ManualEyePositionsDefaultAndRoundTrip) {
    auto persistence = Persistence();
    const ManualEyePositions defaults = persistence.LoadManualEyePositions();
    EXPECT_EQ(defaults.ullDretX, 423);
    EXPECT_EQ(defaults.ullDretY, 219);
    EXPECT_EQ(defaults.ullEsquerreX, 313);
    EXPECT_EQ(defaults.ullEsquerreY, 219);
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
    ASSERT_EQ(userInterface.messages.size(), 1u);
    EXPECT_EQ(userInterface.messages[0].caption, "Advertencia");
    EXPECT_FALSE(store.keyExists(kSystem));
}

// The mouse options menu's rule that always leaves a way to click.
class ClickSafety : public ::testing::Test {
  protected:
    void Load(std::int32_t eye, std::int32_t mouth, std::int32_t dwell) {
        for (auto& row : cells) {
            for (auto& cell : row) {
                cell = {0, true};
            }
        }
        const std::int32_t stored[] = {eye, mouth, dwell};
        for (std::size_t row = 0; row < 3; ++row) {
            if (stored[row] != 7) {
                cells[row][static_cast<std::size_t>(stored[row] - 1)].value = 1;
            }
        }
        ApplyClickSafetyRule(cells);
    }
    std::array<bool, 6> Enabled(GestureRow row) const {
        std::array<bool, 6> enabled{};
        for (std::size_t cell = 0; cell < 6; ++cell) {
            enabled[cell] = cells[static_cast<std::size_t>(row)][cell].enabled;
        }
        return enabled;
    }
    GestureCells cells{};
};

TEST_F(ClickSafety, SoleLeftClickIsLockedAndOnlyTheMenuCellStaysOpen) {
    Load(7, 1, 7);
    EXPECT_EQ(Enabled(GestureRow::Mouth),
              (std::array<bool, 6>{false, true, false, false, false, false}));
    EXPECT_EQ(Enabled(GestureRow::Eye), (std::array<bool, 6>{true, true, true, true, true, true}));
    EXPECT_EQ(Enabled(GestureRow::Dwell),
              (std::array<bool, 6>{true, true, true, true, true, true}));
    EXPECT_FALSE(ClickGestureCell(cells, GestureRow::Mouth, 0));
    EXPECT_FALSE(ClickGestureCell(cells, GestureRow::Mouth, 3));
    EXPECT_EQ(cells[1][0].value, 1);
}

TEST_F(ClickSafety, SecondLeftClickUnlocksAndRemovingTheFirstLocksTheOther) {
    Load(7, 1, 7);
    ASSERT_TRUE(ClickGestureCell(cells, GestureRow::Eye, 0));
    for (const auto row : {GestureRow::Eye, GestureRow::Mouth, GestureRow::Dwell}) {
        EXPECT_EQ(Enabled(row), (std::array<bool, 6>{true, true, true, true, true, true}));
    }
    ASSERT_TRUE(ClickGestureCell(cells, GestureRow::Mouth, 0));  // unassign the mouth
    EXPECT_EQ(cells[1][0].value, 0);
    EXPECT_EQ(Enabled(GestureRow::Eye),
              (std::array<bool, 6>{false, true, false, false, false, false}));
}

TEST_F(ClickSafety, SwitchingBetweenLeftClickAndTheMenuStaysPossible) {
    Load(7, 1, 7);
    ASSERT_TRUE(ClickGestureCell(cells, GestureRow::Mouth, 1));
    EXPECT_EQ(cells[1][0].value, 0);
    EXPECT_EQ(cells[1][1].value, 1);
    EXPECT_EQ(Enabled(GestureRow::Mouth),
              (std::array<bool, 6>{true, false, false, false, false, false}));
}

TEST_F(ClickSafety, NoLeftClickOrMenuLeavesTheFlagsAlone) {
    Load(3, 4, 7);
    cells[0][5].enabled = false;
    ApplyClickSafetyRule(cells);
    EXPECT_FALSE(cells[0][5].enabled);
    EXPECT_TRUE(cells[0][4].enabled);
}

TEST_F(SettingsLoading, LoadAppliesTheSafetyRuleToTheMenuCells) {
    StartUp();
    EXPECT_FALSE(settings.mouseMenuCells[1][0].enabled);
    EXPECT_TRUE(settings.mouseMenuCells[1][1].enabled);
    EXPECT_TRUE(settings.mouseMenuCells[0][3].enabled);
}

TEST(StoredChoices, FirstSetFlagOrTheNoneValue) {
    EXPECT_EQ(StoredWebcamChoice({0, 0, 0}), 0);
    EXPECT_EQ(StoredWebcamChoice({0, 1, 1}), 2);
    EXPECT_EQ(StoredGestureChoice({0, 0, 0, 0, 0, 0}), 7);
    EXPECT_EQ(StoredGestureChoice({0, 0, 0, 0, 0, 1}), 6);
}

}  // namespace
}  // namespace veltranix
