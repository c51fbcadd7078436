#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "macros/macro_editor.h"
#include "macros/profiles.h"
#include "settings/store_tree.h"
#include "tests/fakes/fake_keyboard.h"
#include "tests/fakes/fake_shell.h"
#include "tests/support/temporary_folder.h"
#include "tracking/headless_user_interface.h"

namespace veltranix::testing {

// A profile of six slots but one TIPO_CLIC header short: invalid.
inline std::string OneHeaderShort() {
    std::string bytes = EncodeMacroFile(DefaultMacroSet());
    bytes.erase(bytes.find(std::string("T\0I\0P\0O\0", 8)), 22);
    return bytes;
}

// The macro sets, their file store and the profiles over a fresh Macros folder,
// with settings kept in memory; while `diskFull` every save fails.
struct ProfileRig {
    ProfileRig() { std::filesystem::create_directories(macrosDir); }

    TemporaryFolder folder;
    std::unique_ptr<MacroSets> sets = std::make_unique<MacroSets>();
    bool diskFull = false;
    MacroFileStore store{*sets,
                         [this](const std::filesystem::path& path, std::string_view content) {
                             return !diskFull && ReplaceMacroFileAtomically(path, content);
                         }};
    Settings settings;
    Lexicon lexicon;
    StoreTree settingsStore;
    HeadlessUserInterface userInterface;
    SettingsObserver observer;
    SettingsPersistence persistence{
        settings,      lexicon,  settingsStore,     ProgramFolder{folder.path()},
        userInterface, observer, kLanguageEnglishUs};
    std::filesystem::path macrosDir = folder.path() / "Macros";
    Profiles profiles{store, persistence, settings, macrosDir, lexicon, userInterface};
};

// The macro editor over those profiles, as the program builds it.
struct EditorRig : ProfileRig {
    RecordingKeyboard keyboard;
    KeyNames names;
    FakeClipboard clipboard;
    KeyRecorder recorder{sets->workingMacros, keyboard, names, clipboard, lexicon, userInterface};
    MacroEditor editor{*sets, recorder, store, profiles, keyboard, lexicon, userInterface};
};

}  // namespace veltranix::testing
