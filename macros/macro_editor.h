#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/input_port.h"
#include "core/user_interface_port.h"
#include "macros/key_capture.h"
#include "macros/macro_file.h"
#include "macros/profiles.h"
#include "settings/lexicon.h"

namespace veltranix {

enum class EditorMode { Name, Record };

enum class EditorTool { Restore, ClearName, Paste, Erase, Pause, OpenFile, Run, Lock };

// Where a shell entry's command came from.
enum class ShellSource { FileDialog, RunDialog };

enum class ShellEntryResult { Added, Empty, Refused, Full };

enum class EditorSave { Saved, WriteFailed, NoProfile };

// The characters the name field holds, and what a slot label shows of it.
inline constexpr std::size_t kEditorNameFieldCharacters = 9;
inline constexpr std::size_t kSlotLabelCharacters = 10;
// Characters of a typed run command.
inline constexpr std::size_t kRunCommandCharacters = 260;

// The macro editor: the six slots of the current profile, named and recorded
// in two modes, its tools, the profile list and saving. Its window shows
// what this holds after every call. GUI thread; it owns the working set
// while it is open.
class MacroEditor {
  public:
    MacroEditor(MacroSets& sets, KeyRecorder& recorder, MacroFileStore& store, Profiles& profiles,
                KeyboardInputPort& keyboard, const Lexicon& lexicon,
                UserInterfacePort& userInterface);

    // Opening: Caps Lock and Num Lock off, the profile's file read, slot 0
    // in name mode, the profile list filled.
    void Open();

    void SelectSlot(int slot);
    void EnterRecordMode();
    void EnterNameMode();
    // The user changed the name field (at most 9 characters are kept).
    void SetName(std::u16string_view name);

    bool ToolEnabled(EditorTool tool) const;
    // Each does nothing while its tool is disabled.
    void RestoreDefault();
    void ClearName();
    void Paste();
    void Erase();
    void AddPause();
    void ToggleLock();
    ShellEntryResult AddShellEntry(std::u16string_view command, ShellSource source);

    // Key messages of the editor window: recorded while a slot is selected.
    void KeyPressed(std::uint16_t virtualKey, KeyMessage message);
    void KeyReleased(std::uint16_t virtualKey, KeyMessage message);
    void CharacterTyped(char16_t character);
    // Text that arrived without a key of the layout (an input method, a
    // character typed on a borrowed key): recorded as packet characters.
    void PacketText(std::u16string_view text);

    // A name chosen in the profile list becomes the current profile.
    void ChooseProfile(const std::string& fileName);
    // After the profile name dialog: the list read again, `shown` selected
    // (empty: the current profile), slot 0 in name mode.
    void ProfilesChanged(const std::string& shown);

    // OK: writes the slots into the profile shown in the list, which becomes
    // the current profile. On failure the user has been told and nothing is
    // lost: the editor stays as it was.
    EditorSave Save();
    // Cancel: the edits are dropped (the file is read again).
    void Cancel();

    int currentMacro() const { return currentMacro_; }
    EditorMode mode() const { return mode_; }
    SecretLock secretLock() const { return secretLock_; }
    std::u16string slotLabel(int slot) const;
    const std::u16string& nameField() const { return nameField_; }
    const std::u16string& displayText() const;
    const std::vector<std::string>& profileList() const { return profileList_; }
    const std::string& shownProfile() const { return shownProfile_; }

  private:
    MacroSlot& slot() { return sets_.workingMacros[static_cast<std::size_t>(currentMacro_)]; }
    void resetRecording();
    void toNameMode();

    MacroSets& sets_;
    KeyRecorder& recorder_;
    MacroFileStore& store_;
    Profiles& profiles_;
    KeyboardInputPort& keyboard_;
    const Lexicon& lexicon_;
    UserInterfacePort& userInterface_;

    int currentMacro_ = 0;
    EditorMode mode_ = EditorMode::Name;
    SecretLock secretLock_ = SecretLock::Open;
    std::u16string nameField_;
    std::vector<std::string> profileList_;
    std::string shownProfile_;
};

}  // namespace veltranix
