#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/user_interface_port.h"
#include "macros/macro_file.h"
#include "settings/lexicon.h"
#include "settings/settings.h"
#include "settings/settings_persistence.h"

namespace veltranix {

inline constexpr std::size_t kMaxListedProfiles = 50;
inline constexpr std::string_view kDefaultProfileFileName = "Default.cfg";
inline constexpr std::string_view kProfileSuffix = ".cfg";
// Characters the user may type for a profile name, and how many the dialog reads.
inline constexpr std::size_t kMaxTypedProfileNameCharacters = 10;
inline constexpr std::size_t kProfileNameBoxCharacters = 19;

// The profile name box's filter: letters (ñ and Ñ included), digits, '-',
// '_', the full stop and backspace pass; everything else is refused.
bool ProfileNameCharacterAllowed(char32_t character);

enum class ProfileNameCheck { Valid, Empty, Refused };
struct ProfileNameResult {
    ProfileNameCheck check = ProfileNameCheck::Empty;
    std::string fileName;  // UTF-8, with ".cfg"; set when Valid
};

// The file name for what the user typed: spaces removed, ".cfg" appended.
// Refused: a character the filter refuses, more than ten characters, or a
// leading full stop.
ProfileNameResult ProfileFileNameFromTyped(std::string_view typedName);

// A plain file name ending in ".cfg" that stays inside the Macros folder:
// no path separator, no NUL, not "." or "..".
bool IsSafeProfileFileName(std::string_view fileName);

// The profile files of the folder (regular files only, never links), in name
// order, at most fifty.
std::vector<std::string> ListProfiles(const std::filesystem::path& macrosDir);
bool ProfileExists(const std::filesystem::path& macrosDir, std::string_view fileName);

enum class ProfileCreation { Created, EmptyName, InvalidName, AlreadyExists, WriteFailed };
enum class ProfileDeletion { Deleted, DeleteFailed, InvalidName };

// The current profile and the operations of the profile name dialog and the
// editor's profile list. GUI thread.
class Profiles {
  public:
    Profiles(MacroFileStore& store, SettingsPersistence& persistence, Settings& settings,
             std::filesystem::path macrosDir, const Lexicon& lexicon,
             UserInterfacePort& userInterface);

    // Start-up: the stored profile when it is listed, else "Default.cfg".
    void ChooseStartupProfile();
    bool CurrentProfileListed() const;
    // Loads the macro file of the current path; an invalid file is recovered.
    void LoadMacroFile();
    // Sets an invalid profile file aside and falls back to "Default.cfg".
    void RecoverBadProfile();
    // A name chosen in the editor's list becomes the current profile; false
    // when it names no profile of the folder.
    bool SelectProfile(std::string_view fileName);
    // Writes a new profile with the built-in macros and loads them into the
    // working set. The current profile and the path of its file do not
    // change. Tells the user when the name exists.
    ProfileCreation CreateProfile(std::string_view typedName);
    // Deletes a profile and loads "Default.cfg"; deleting the current profile
    // makes "Default.cfg" current.
    ProfileDeletion DeleteProfile(std::string_view fileName);

    const std::string& profileFileName() const { return profileFileName_; }
    const std::filesystem::path& macrosDir() const { return macrosDir_; }

  private:
    // Makes "Default.cfg" current: loads it when it is a valid file, else
    // writes the built-in macros into it.
    void fallBackToDefaultProfile();
    // Renames an invalid file to a free .bad name; false, with the user told,
    // when it could not be moved (it is then left as it is).
    bool setAside(const std::filesystem::path& file);

    MacroFileStore& store_;
    SettingsPersistence& persistence_;
    Settings& settings_;
    std::filesystem::path macrosDir_;
    const Lexicon& lexicon_;
    UserInterfacePort& userInterface_;
    std::string profileFileName_;
};

}  // namespace veltranix
