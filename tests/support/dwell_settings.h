#pragma once

#include <filesystem>

#include <gtest/gtest.h>

#include "core/program_folder.h"
#include "core/settings_store.h"
#include "platform/linux/file_settings_store.h"
#include "settings/lexicon.h"
#include "settings/settings.h"
#include "settings/settings_persistence.h"
#include "tests/fakes/fake_user_interface.h"

namespace veltranix::testing {

// Whether a store names its current profile.
enum class CurrentProfile {
    Unnamed,  // as before the program first chose one
    Default,  // "Default.cfg"
};

// A store in `configDir` as after a first start: the defaults of every
// setting and the windows laid out.
inline void PrepareFirstStartSettings(const std::filesystem::path& configDir,
                                      const std::filesystem::path& programFolder,
                                      CurrentProfile profile) {
    FileSettingsStore store({configDir / "settings.store", configDir / "autostart"});
    store.open();
    Settings settings;
    Lexicon lexicon;
    FakeUserInterface userInterface;
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
    FileSettingsStore store({configDir / "settings.store", configDir / "autostart"});
    store.open();
    ASSERT_EQ(WriteInteger(store, store_keys::kMouse, "rellotge", 1), StoreStatus::Ok);
    ASSERT_EQ(WriteInteger(store, store_keys::kMouse, "tempsRellotge", 3), StoreStatus::Ok);
    ASSERT_EQ(WriteInteger(store, store_keys::kWebcam, "velocidad", 3), StoreStatus::Ok);
}

}  // namespace veltranix::testing
