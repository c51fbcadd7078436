#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/program_folder.h"
#include "core/settings_store.h"
#include "core/user_interface_port.h"
#include "settings/lexicon.h"
#include "settings/settings.h"

namespace veltranix {

// Windows whose hit rectangles depend on the size factor or the settings.
enum class LayoutTarget { MainWindow, SystemMenu, WebcamMenu, MouseMenu, ClickTypeMenu };

// Who reacts to changed settings: the windows and the tracking code. GUI thread.
class SettingsObserver {
  public:
    virtual ~SettingsObserver() = default;
    // Rebuild the target's scaled hit rectangles from Settings::sizeFactor.
    virtual void rebuildLayout(LayoutTarget /*target*/) {}
    // Recompute the movement scale and the dead-zone box from the derived webcam values.
    virtual void webcamSettingsApplied() {}
};

// Language identifiers of the user's locale, as the first start uses them.
inline constexpr std::uint16_t kLanguageSpanish = 0x0C0A;
inline constexpr std::uint16_t kLanguageItalian = 0x0410;
inline constexpr std::uint16_t kLanguagePortugueseBrazil = 0x0416;
inline constexpr std::uint16_t kLanguageEnglishUk = 0x0809;
inline constexpr std::uint16_t kLanguageEnglishUs = 0x0409;

// The language part of a locale decides: "es_MX.UTF-8" -> 0x0C0A, "pt_PT" ->
// 0x0416, "it_CH" -> 0x0410, "en_GB" -> 0x0809, "en_US" -> 0x0409; none for a
// language the lexicon lacks (and for "C").
std::optional<std::uint16_t> LexiconLanguageIdFromLocale(std::string_view locale);
// The same, with English (0x0409) for anything else.
std::uint16_t LanguageIdFromLocale(std::string_view locale);
// The lexicon section chosen for a language identifier on first start.
std::string_view LanguageNameForId(std::uint16_t languageId);

// The C library's atoi over stored text: leading blanks, a sign, digits up to
// the first other character; no digits gives 0; clamped to 32 bits.
std::int32_t ParseLeadingInteger(std::string_view text);

// The windows' size factor for a size step on the settings' desktop scale.
float WindowSizeFactor(std::int32_t tamany, const Settings& settings);

struct SystemSaveResult {
    StoreStatus storeStatus = StoreStatus::Ok;
    LexiconLoad lexiconLoad = LexiconLoad::Loaded;
};

// Loads and saves the settings record. Every operation runs on the GUI thread.
// Store failures leave the record as it is: the program goes on with the
// values in memory; a save reports the first failure to its caller.
class SettingsPersistence {
  public:
    SettingsPersistence(Settings& settings, Lexicon& lexicon, SettingsStore& store,
                        ProgramFolder folder, UserInterfacePort& userInterface,
                        SettingsObserver& observer, std::uint16_t userLanguageId);

    // Language (created from the user's locale on first start), lexicon, system group.
    LexiconLoad LoadSystemSettings();
    // Size factor and every window layout; loads the webcam and mouse groups.
    void LayoutWindows(std::int32_t tamany);
    void LoadWebcamSettings();
    void ApplyWebcamSettings();
    StoreStatus SaveWebcamSettings();
    void LoadMouseSettings();
    StoreStatus SaveMouseSettings();
    // 1 = eye, 2 = mouth, 3 = both; other selectors do nothing.
    void RecomputeThresholds(int selector);
    void RebuildGestureMatrix();
    // `menuLanguageIndex`: the language the system options menu shows.
    SystemSaveResult SaveSystemSettings(int menuLanguageIndex);
    StoreStatus SaveAutoAdjust();
    // With the mouse group missing, tells the user and asks for shutdown.
    StoreStatus SaveGestureLevels();
    void LoadProfileName();
    StoreStatus SaveProfileName(std::string_view fileName);
    ManualEyePositions LoadManualEyePositions();
    StoreStatus SaveManualEyePositions(const ManualEyePositions& positions);

    // The executable that the log-on start entry runs, for an install folder;
    // empty when the path would not fit the entry's 299 characters.
    static std::string LogOnCommand(std::string_view installFolder);

  private:
    void ReadWebcamValues();
    void ReadGestureChoice(GestureRow row, const char* valueName);
    void ReadIntegerInto(const char* keyPath, const char* valueName, std::int32_t& field);
    void ReadOffsetInto(const char* valueName, std::int32_t& field);
    StoreStatus WriteMouseValues();

    Settings& settings_;
    Lexicon& lexicon_;
    SettingsStore& store_;
    ProgramFolder folder_;
    UserInterfacePort& userInterface_;
    SettingsObserver& observer_;
    std::uint16_t userLanguageId_;
};

}  // namespace veltranix
