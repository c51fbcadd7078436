#include "platform/linux/file_settings_store.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "core/file_reading.h"
#include "core/text_codec.h"
#include "settings/settings.h"

namespace veltranix {

namespace {

std::filesystem::path EnvironmentPath(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value == '/' ? std::filesystem::path(value)
                                             : std::filesystem::path();
}

// Empty when there is no home folder to put it in.
std::filesystem::path ConfigHome() {
    auto path = EnvironmentPath("XDG_CONFIG_HOME");
    if (path.empty()) {
        const auto home = UserHomeFolder();
        if (home) {
            path = *home / ".config";
        }
    }
    return path;
}

std::string TimestampForFileName() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &parts);
    return text;
}

// Quotes an argument of a desktop entry's Exec line. A '%' would be read as a
// field code, so it is doubled.
std::string QuoteExecArgument(const std::string& argument) {
    std::string quoted = "\"";
    for (const char character : argument) {
        if (character == '"' || character == '`' || character == '$' || character == '\\') {
            quoted += '\\';
        } else if (character == '%') {
            quoted += '%';
        }
        quoted += character;
    }
    quoted += '"';
    // The string-level escape of desktop entries applies on top of the quoting.
    std::string escaped;
    for (const char character : quoted) {
        if (character == '\\') {
            escaped += "\\\\";
        } else {
            escaped += character;
        }
    }
    return escaped;
}

bool HasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char character) {
        const auto byte = static_cast<unsigned char>(character);
        return byte < 0x20 || byte == 0x7F;
    });
}

}  // namespace

std::optional<std::filesystem::path> UserHomeFolder() {
    const auto home = EnvironmentPath("HOME");
    if (!home.empty()) {
        return home;
    }
    // Without HOME (or with a relative one) the password database knows.
    long bufferSize = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<std::size_t>(bufferSize > 0 ? bufferSize : 16384));
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        return std::filesystem::path(found->pw_dir);
    }
    return std::nullopt;
}

StoreLocations StoreLocations::FromEnvironment() {
    StoreLocations locations;
    const auto override = EnvironmentPath("VELTRANIX_CONFIG_HOME");
    const auto configHome = ConfigHome();
    if (!override.empty()) {
        locations.storeFile = override / "settings.store";
    } else if (!configHome.empty()) {
        locations.storeFile = configHome / "veltranix" / "settings.store";
    }
    if (!configHome.empty()) {
        locations.autostartFolder = configHome / "autostart";
    }
    return locations;
}

std::string AutostartDesktopEntry(const std::string& executable) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Veltranix\n"
           "Comment=Hands-free pointer: move and click with your head\n"
           "Exec=" +
           QuoteExecArgument(executable) +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

FileSettingsStore::FileSettingsStore(StoreLocations locations, FileWriteCalls writeCalls)
    : locations_(std::move(locations)), writeCalls_(writeCalls) {}

StoreOpening FileSettingsStore::open() {
    const std::filesystem::path& file = locations_.storeFile;
    if (file.empty()) {
        lastError_ =
            "no home folder for the settings store (HOME is not set and the user has no "
            "home folder); settings are kept in memory";
        savesRefused_ = true;
        return StoreOpening::Unreadable;
    }
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    if (!std::filesystem::exists(status)) {
        return StoreOpening::NoFile;
    }
    const FileContent content =
        std::filesystem::is_regular_file(status)
            ? ReadWholeFile(file, StoreTree::kMaxTextBytes)
            : FileContent{FileReadStatus::Failed, {}, file.string() + " is not a regular file"};
    if (content.status == FileReadStatus::Missing) {
        return StoreOpening::NoFile;
    }
    if (content.status == FileReadStatus::Failed) {
        lastError_ = content.error;
        savesRefused_ = true;
        return StoreOpening::Unreadable;
    }
    StoreTree::Parsed parsed;
    if (content.status == FileReadStatus::TooLarge) {
        parsed.problem = content.error;
    } else {
        parsed = StoreTree::parse(content.bytes);
        parsed.problem = file.string() + ", " + parsed.problem;
    }
    const std::filesystem::path asideBase = file.string() + ".corrupt-" + TimestampForFileName();
    if (!parsed.tree) {
        lastError_ = parsed.problem;
        std::string renameError;
        const auto aside = RenameAside(file, asideBase, &renameError);
        if (!aside) {
            lastError_ += "; cannot set it aside: " + renameError;
            savesRefused_ = true;
            return StoreOpening::Unreadable;
        }
        setAsidePath_ = *aside;
        return StoreOpening::CorruptSetAside;
    }
    tree_ = std::move(*parsed.tree);
    if (parsed.linesLeftOut == 0) {
        return StoreOpening::Loaded;
    }
    // The next save drops the lines left out: the file as it was is kept.
    lastError_ =
        std::to_string(parsed.linesLeftOut) + " line(s) could not be read (" + parsed.problem + ")";
    std::string copyError;
    const auto copy = WriteAside(asideBase, content.bytes, &copyError);
    if (!copy) {
        lastError_ += "; no copy could be kept (" + copyError +
                      "), so the file is not overwritten; settings are kept in memory";
        savesRefused_ = true;
    } else {
        setAsidePath_ = *copy;
    }
    return StoreOpening::PartlyLoaded;
}

std::filesystem::path FileSettingsStore::autostartEntry() const {
    return locations_.autostartFolder / "veltranix.desktop";
}

bool FileSettingsStore::isLogOnValue(std::string_view keyPath, std::string_view valueName) const {
    return AsciiLower(keyPath) == AsciiLower(store_keys::kLogOnRun) &&
           AsciiLower(valueName) == AsciiLower(store_keys::kLogOnValue);
}

StoreStatus FileSettingsStore::save() {
    if (savesRefused_) {
        lastError_ = locations_.storeFile.string() +
                     " could not be read, so it is not overwritten; settings are kept in memory";
        return StoreStatus::WriteFailed;
    }
    if (!WriteFileAtomically(locations_.storeFile, tree_.serialize(), &lastError_, 0600,
                             writeCalls_)) {
        return StoreStatus::WriteFailed;
    }
    return StoreStatus::Ok;
}

bool FileSettingsStore::keyExists(std::string_view keyPath) const {
    // The desktop always offers a place for log-on start entries.
    return tree_.keyExists(keyPath) || AsciiLower(keyPath) == AsciiLower(store_keys::kLogOnRun);
}

StoreStatus FileSettingsStore::createKey(std::string_view keyPath) {
    if (tree_.keyExists(keyPath)) {
        return StoreStatus::Ok;
    }
    const StoreStatus status = tree_.createKey(keyPath);
    return status == StoreStatus::Ok ? save() : status;
}

StoreStatus FileSettingsStore::deleteKey(std::string_view keyPath) {
    const StoreStatus status = tree_.deleteKey(keyPath);
    return status == StoreStatus::Ok ? save() : status;
}

std::optional<StoreValue> FileSettingsStore::readValue(std::string_view keyPath,
                                                       std::string_view valueName) const {
    if (isLogOnValue(keyPath, valueName)) {
        std::error_code error;
        if (!std::filesystem::exists(autostartEntry(), error)) {
            return std::nullopt;
        }
    }
    return tree_.readValue(keyPath, valueName);
}

StoreStatus FileSettingsStore::writeValue(std::string_view keyPath, std::string_view valueName,
                                          const StoreValue& value) {
    if (isLogOnValue(keyPath, valueName)) {
        std::string executable(value.bytes.substr(0, value.bytes.find('\0')));
        if (HasControlCharacter(executable) || locations_.autostartFolder.empty()) {
            // A line break would end the Exec line and add keys of its own.
            lastError_ =
                "the program cannot start at log-on from a folder whose name holds a "
                "line break or another control character: " +
                executable;
            return StoreStatus::Refused;
        }
        tree_.createKey(keyPath);
        if (!WriteFileAtomically(autostartEntry(), AutostartDesktopEntry(executable), &lastError_,
                                 0644, writeCalls_)) {
            return StoreStatus::WriteFailed;
        }
    }
    const StoreStatus status = tree_.writeValue(keyPath, valueName, value);
    return status == StoreStatus::Ok ? save() : status;
}

StoreStatus FileSettingsStore::deleteValue(std::string_view keyPath, std::string_view valueName) {
    bool removedEntry = false;
    if (isLogOnValue(keyPath, valueName)) {
        std::error_code error;
        removedEntry = std::filesystem::remove(autostartEntry(), error);
        if (error) {
            lastError_ = "cannot remove " + autostartEntry().string() + ": " + error.message();
            return StoreStatus::WriteFailed;
        }
    }
    const StoreStatus status = tree_.deleteValue(keyPath, valueName);
    if (status == StoreStatus::Ok) {
        return save();
    }
    return removedEntry ? StoreStatus::Ok : status;
}

}  // namespace veltranix
