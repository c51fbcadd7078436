#include "macros/profiles.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "macros/utf16.h"

namespace veltranix {

namespace {

constexpr std::size_t kMaxProfileFileNameBytes = 255;

}  // namespace

bool ProfileNameCharacterAllowed(char32_t character) {
    return (character >= U'a' && character <= U'z') || (character >= U'A' && character <= U'Z') ||
           (character >= U'0' && character <= U'9') || character == U'-' || character == U'_' ||
           character == U'\u00F1' || character == U'\u00D1' || character == U'.' ||
           character == U'\b';
}

ProfileNameResult ProfileFileNameFromTyped(std::string_view typedName) {
    std::u16string name = Utf8ToUtf16(typedName).substr(0, kProfileNameBoxCharacters);
    std::erase(name, u' ');
    if (name.empty()) {
        return {ProfileNameCheck::Empty, {}};
    }
    const bool allowed = std::all_of(name.begin(), name.end(), [](char16_t character) {
        return character != u'\b' && ProfileNameCharacterAllowed(character);
    });
    if (!allowed || name.size() > kMaxTypedProfileNameCharacters || name.front() == u'.') {
        return {ProfileNameCheck::Refused, {}};
    }
    return {ProfileNameCheck::Valid, Utf16ToUtf8(name) + std::string(kProfileSuffix)};
}

bool IsSafeProfileFileName(std::string_view fileName) {
    return fileName.size() > kProfileSuffix.size() && fileName.size() <= kMaxProfileFileNameBytes &&
           fileName.ends_with(kProfileSuffix) &&
           fileName.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos &&
           fileName != "." && fileName != "..";
}

std::vector<std::string> ListProfiles(const std::filesystem::path& macrosDir) {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(macrosDir, error), end; !error && entry != end;
         entry.increment(error)) {
        std::string name = entry->path().filename().string();
        std::error_code statusError;
        if (IsSafeProfileFileName(name) && entry->is_regular_file(statusError) &&
            !entry->is_symlink(statusError)) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end());
    if (names.size() > kMaxListedProfiles) {
        names.resize(kMaxListedProfiles);
    }
    return names;
}

bool ProfileExists(const std::filesystem::path& macrosDir, std::string_view fileName) {
    std::error_code error;
    const auto status = std::filesystem::symlink_status(macrosDir / fileName, error);
    return IsSafeProfileFileName(fileName) && !error && std::filesystem::exists(status);
}

Profiles::Profiles(MacroFileStore& store, SettingsPersistence& persistence, Settings& settings,
                   std::filesystem::path macrosDir, const Lexicon& lexicon,
                   UserInterfacePort& userInterface)
    : store_(store),
      persistence_(persistence),
      settings_(settings),
      macrosDir_(std::move(macrosDir)),
      lexicon_(lexicon),
      userInterface_(userInterface) {}

bool Profiles::CurrentProfileListed() const {
    const auto names = ListProfiles(macrosDir_);
    return std::find(names.begin(), names.end(), profileFileName_) != names.end();
}

void Profiles::ChooseStartupProfile() {
    persistence_.LoadProfileName();
    profileFileName_ = settings_.profileName;
    if (CurrentProfileListed()) {
        store_.setMacroFilePath(macrosDir_ / profileFileName_);
        LoadMacroFile();
        store_.RestoreDefaultMacros(DefaultsScope::DefaultsOnly);
    } else {
        fallBackToDefaultProfile();
    }
}

void Profiles::LoadMacroFile() {
    if (store_.LoadMacroFile() == MacroFileLoad::Invalid) {
        RecoverBadProfile();
    }
}

void Profiles::RecoverBadProfile() {
    persistence_.LoadProfileName();
    setAside(store_.macroFilePath());
    fallBackToDefaultProfile();
}

void Profiles::fallBackToDefaultProfile() {
    persistence_.SaveProfileName(kDefaultProfileFileName);
    persistence_.LoadProfileName();
    profileFileName_ = kDefaultProfileFileName;
    const std::filesystem::path defaultFile = macrosDir_ / kDefaultProfileFileName;
    store_.setMacroFilePath(defaultFile);
    if (store_.LoadMacroFile() == MacroFileLoad::Loaded) {
        store_.RestoreDefaultMacros(DefaultsScope::DefaultsOnly);
        return;
    }
    // Kept for the user rather than overwritten; when it cannot be moved, the
    // defaults stay in memory and the file is not touched.
    if (!setAside(defaultFile)) {
        store_.RestoreDefaultMacros(DefaultsScope::AlsoWorkingSet);
        return;
    }
    // The working set holds the defaults even when the file cannot be written,
    // so there is nothing to read back; the user learns that they are not kept.
    if (!store_.RestoreDefaultMacros(DefaultsScope::AlsoWorkingSetAndFile)) {
        userInterface_.showMessage("The profile file " + defaultFile.string() +
                                       " could not be written (is the disk full?). The built-in "
                                       "macros are in use until the program ends.",
                                   lexicon_.text(LexiconKey::E4));
    }
}

bool Profiles::setAside(const std::filesystem::path& file) {
    std::error_code error;
    if (file.empty() || !std::filesystem::exists(std::filesystem::symlink_status(file, error))) {
        return true;
    }
    const auto target = ClaimSetAsideName(file);
    if (target) {
        // Replaces only the empty file just claimed.
        std::filesystem::rename(file, *target, error);
        if (!error) {
            return true;
        }
        std::error_code ignored;
        std::filesystem::remove(*target, ignored);
    }
    // A user's file is never deleted: it stays where it is, and the user is told.
    userInterface_.showMessage("The profile file " + file.string() +
                                   " cannot be read and could not be set aside (" +
                                   (target ? error.message() : std::string("no free .bad name")) +
                                   "); it is left as it is.",
                               lexicon_.text(LexiconKey::E4));
    return false;
}

bool Profiles::SelectProfile(std::string_view fileName) {
    if (!ProfileExists(macrosDir_, fileName)) {
        return false;
    }
    profileFileName_ = fileName;
    store_.setMacroFilePath(macrosDir_ / profileFileName_);
    persistence_.SaveProfileName(profileFileName_);
    LoadMacroFile();
    return true;
}

ProfileCreation Profiles::CreateProfile(std::string_view typedName) {
    const ProfileNameResult name = ProfileFileNameFromTyped(typedName);
    if (name.check == ProfileNameCheck::Empty) {
        return ProfileCreation::EmptyName;
    }
    if (name.check == ProfileNameCheck::Refused) {
        return ProfileCreation::InvalidName;
    }
    const std::filesystem::path file = macrosDir_ / name.fileName;
    // Created only when no file of that name exists, whatever raced with us.
    std::FILE* created =
        ProfileExists(macrosDir_, name.fileName) ? nullptr : std::fopen(file.c_str(), "wbx");
    if (created == nullptr) {
        if (ProfileExists(macrosDir_, name.fileName)) {
            userInterface_.showMessage(lexicon_.text(LexiconKey::E7),
                                       lexicon_.text(LexiconKey::E4));
            return ProfileCreation::AlreadyExists;
        }
        return ProfileCreation::WriteFailed;
    }
    std::fclose(created);
    if (!store_.WriteMacroFileAt(file, DefaultMacroSet())) {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
        return ProfileCreation::WriteFailed;
    }
    // The editor goes on with the new profile shown: its macros are the ones
    // edited and saved from now on, the current profile's file stays current.
    const std::filesystem::path current = store_.macroFilePath();
    store_.setMacroFilePath(file);
    store_.LoadMacroFile();
    store_.setMacroFilePath(current);
    return ProfileCreation::Created;
}

ProfileDeletion Profiles::DeleteProfile(std::string_view fileName) {
    if (!IsSafeProfileFileName(fileName)) {
        return ProfileDeletion::InvalidName;
    }
    std::error_code error;
    const bool removed = std::filesystem::remove(macrosDir_ / fileName, error) && !error;
    persistence_.LoadProfileName();
    if (fileName == settings_.profileName || fileName == profileFileName_) {
        fallBackToDefaultProfile();
    } else {
        store_.setMacroFilePath(macrosDir_ / kDefaultProfileFileName);
        LoadMacroFile();
    }
    return removed ? ProfileDeletion::Deleted : ProfileDeletion::DeleteFailed;
}

}  // namespace veltranix
