#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/linux/atomic_file.h"
#include "settings/store_tree.h"

namespace veltranix {

// Where the settings store and the log-on start entry live.
struct StoreLocations {
    std::filesystem::path storeFile;
    // The desktop's autostart folder, where the log-on start entry becomes
    // "veltranix.desktop".
    std::filesystem::path autostartFolder;

    // The store in $VELTRANIX_CONFIG_HOME, else $XDG_CONFIG_HOME/veltranix,
    // else ~/.config/veltranix; autostart in $XDG_CONFIG_HOME/autostart
    // (or ~/.config/autostart). Only absolute paths are taken; with no home
    // folder at all the paths are empty and open() says so.
    static StoreLocations FromEnvironment();
};

// $HOME when it is an absolute path, else the user's home folder from the
// password database; none when neither is known.
std::optional<std::filesystem::path> UserHomeFolder();

enum class StoreOpening {
    Loaded,
    NoFile,  // first start: the store begins empty
    // Lines that could not be read were left out (their values count as
    // missing); a copy of the file as it was is at setAsidePath(), and
    // lastError() says which lines. Tell the user once.
    PartlyLoaded,
    CorruptSetAside,  // the file could not be followed at all: renamed, the store begins empty
    Unreadable,       // the file exists but could not be read; the store begins empty
};

// The settings store as one text file, replaced atomically on every change.
// The log-on start value ("autoStartVeltranix" under the Run key) is kept as
// an XDG autostart entry as well. GUI thread only.
class FileSettingsStore : public SettingsStore {
  public:
    explicit FileSettingsStore(StoreLocations locations,
                               FileWriteCalls writeCalls = RealFileWriteCalls());

    // Reads the file. Call once, before any other operation.
    StoreOpening open();
    // Where the file was set aside (CorruptSetAside) or copied (PartlyLoaded);
    // what went wrong.
    const std::filesystem::path& setAsidePath() const { return setAsidePath_; }
    const std::string& lastError() const { return lastError_; }

    bool keyExists(std::string_view keyPath) const override;
    StoreStatus createKey(std::string_view keyPath) override;
    StoreStatus deleteKey(std::string_view keyPath) override;
    std::optional<StoreValue> readValue(std::string_view keyPath,
                                        std::string_view valueName) const override;
    StoreStatus writeValue(std::string_view keyPath, std::string_view valueName,
                           const StoreValue& value) override;
    StoreStatus deleteValue(std::string_view keyPath, std::string_view valueName) override;

    std::filesystem::path autostartEntry() const;

  private:
    StoreStatus save();
    bool isLogOnValue(std::string_view keyPath, std::string_view valueName) const;

    StoreLocations locations_;
    FileWriteCalls writeCalls_;
    StoreTree tree_;
    std::filesystem::path setAsidePath_;
    std::string lastError_;
    bool savesRefused_ = false;
};

// The text of an XDG desktop entry that starts `executable` at log-on.
std::string AutostartDesktopEntry(const std::string& executable);

}  // namespace veltranix
