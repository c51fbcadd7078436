#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "core/program_folder.h"
#include "core/settings_store.h"
#include "platform/linux/file_settings_store.h"
#include "settings/lexicon.h"
#include "settings/settings.h"
#include "settings/settings_persistence.h"
#include "tracking/headless_user_interface.h"

namespace veltranix::testing {

// Whether a store names its current profile.
enum class CurrentProfile {
    Unnamed,  // as before the program first chose one
    Default,  // "Default.cfg"
};

// Where the program keeps its settings in `configDir`.
inline StoreLocations StoreIn(const std::filesystem::path& configDir) {
    return {configDir / "settings.store", configDir / "autostart"};
}

// A value of the store in `configDir`, as the program left it.
inline std::optional<std::int32_t> StoredInteger(const std::filesystem::path& configDir,
                                                 const char* key, const char* name) {
    FileSettingsStore store(StoreIn(configDir));
    store.open();
    return ReadInteger(store, key, name);
}
inline std::string StoredText(const std::filesystem::path& configDir, const char* key,
                              const char* name) {
    FileSettingsStore store(StoreIn(configDir));
    store.open();
    return ReadText(store, key, name, 256).value_or("");
}

// A store in `configDir` as after a first start: the defaults of every
// setting and the windows laid out.
inline void PrepareFirstStartSettings(const std::filesystem::path& configDir,
                                      const std::filesystem::path& programFolder,
                                      CurrentProfile profile) {
    FileSettingsStore store(StoreIn(configDir));
    store.open();
    Settings settings;
    Lexicon lexicon;
    HeadlessUserInterface userInterface;
    SettingsObserver observer;
    SettingsPersistence persistence(settings, lexicon, store, ProgramFolder{programFolder},
                                    userInterface, observer, kLanguageEnglishUs);
    ASSERT_EQ(persistence.LoadSystemSettings(), LexiconLoad::Loaded);
    persistence.LayoutWindows(settings.tamany);
    if (profile == CurrentProfile::Default) {
        ASSERT_EQ(persistence.SaveProfileName("Default.cfg"), StoreStatus::Ok);
    }
}

// The settings a user of the steered-face tests would have chosen in the
// options menus: dwell clicks left after 3 s and the slowest pointer speed,
// the most precise aim. Written into the store in `configDir`.
inline void PrepareDwellSettings(const std::filesystem::path& configDir,
                                 const std::filesystem::path& programFolder) {
    ASSERT_NO_FATAL_FAILURE(
        PrepareFirstStartSettings(configDir, programFolder, CurrentProfile::Unnamed));
    FileSettingsStore store(StoreIn(configDir));
    store.open();
    ASSERT_EQ(WriteInteger(store, store_keys::kMouse, "rellotge", 1), StoreStatus::Ok);
    ASSERT_EQ(WriteInteger(store, store_keys::kMouse, "tempsRellotge", 3), StoreStatus::Ok);
    ASSERT_EQ(WriteInteger(store, store_keys::kWebcam, "velocidad", 3), StoreStatus::Ok);
}

}  // namespace veltranix::testing
