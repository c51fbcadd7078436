#include "platform/linux/file_settings_store.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>

#include "core/text_codec.h"
#include "settings/settings.h"

namespace veltranix {

namespace {

std::filesystem::path EnvironmentPath(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value == '/' ? std::filesystem::path(value)
                                             : std::filesystem::path();
}

std::filesystem::path ConfigHome() {
    auto path = EnvironmentPath("XDG_CONFIG_HOME");
    if (path.empty()) {
        const auto home = EnvironmentPath("HOME");
        path = (home.empty() ? std::filesystem::path("/tmp") : home) / ".config";
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

// Quotes an argument of a desktop entry's Exec line.
std::string QuoteExecArgument(const std::string& argument) {
    std::string quoted = "\"";
    for (const char character : argument) {
        if (character == '"' || character == '`' || character == '$' || character == '\\') {
            quoted += '\\';
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

}  // namespace

StoreLocations StoreLocations::FromEnvironment() {
    StoreLocations locations;
    const auto override = EnvironmentPath("VELTRANIX_CONFIG_HOME");
    const auto configHome = ConfigHome();
    locations.storeFile =
        (override.empty() ? configHome / "veltranix" : override) / "settings.store";
    locations.autostartFolder = configHome / "autostart";
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
    std::error_code error;
    if (!std::filesystem::exists(locations_.storeFile, error)) {
        return StoreOpening::NoFile;
    }
    std::ifstream stream(locations_.storeFile, std::ios::binary);
    std::string text;
    if (std::filesystem::is_regular_file(locations_.storeFile, error) && stream) {
        text.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
    }
    if (!stream || error || !std::filesystem::is_regular_file(locations_.storeFile, error)) {
        lastError_ = "cannot read " + locations_.storeFile.string();
        savesRefused_ = true;
        return StoreOpening::Unreadable;
    }
    std::string parseError;
    if (auto parsed = StoreTree::parse(text, &parseError)) {
        tree_ = std::move(*parsed);
        return StoreOpening::Loaded;
    }
    lastError_ = locations_.storeFile.string() + ", " + parseError;
    setAsidePath_ = locations_.storeFile;
    setAsidePath_ += ".corrupt-" + TimestampForFileName();
    std::filesystem::rename(locations_.storeFile, setAsidePath_, error);
    if (error) {
        lastError_ += "; cannot set it aside: " + error.message();
        setAsidePath_.clear();
        savesRefused_ = true;
        return StoreOpening::Unreadable;
    }
    return StoreOpening::CorruptSetAside;
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
        tree_.createKey(keyPath);
        std::string executable(value.bytes.substr(0, value.bytes.find('\0')));
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
