#pragma once

#include <filesystem>
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
    // (or ~/.config/autostart).
    static StoreLocations FromEnvironment();
};

enum class StoreOpening {
    Loaded,
    NoFile,           // first start: the store begins empty
    CorruptSetAside,  // the unreadable file was renamed and the store begins empty
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
    // Where an unreadable file was set aside, after CorruptSetAside; why it was.
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
