#include "core/writable_folder.h"

#include <fstream>
#include <system_error>

namespace veltranix {

namespace {

// Creates the folder and proves it writable by creating and removing a file.
bool UsableFolder(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder, error)) {
        return false;
    }
    const std::filesystem::path probe = folder / ".veltranix-write-probe";
    // Only created, not written: a full disk is still the user's folder, and
    // saving into it tells the user; another folder would hide their files.
    bool created = false;
    {
        std::ofstream stream(probe, std::ios::binary | std::ios::trunc);
        created = stream.is_open();
    }
    std::filesystem::remove(probe, error);
    return created;
}

}  // namespace

std::optional<std::filesystem::path> PrepareWritableFolder(const ProgramFolder& folder,
                                                           const UserDataLocations& locations,
                                                           std::string_view name) {
    std::error_code error;
    const std::filesystem::path beside = folder.root / name;
    if (!std::filesystem::exists(folder.sharedInstallMarker(), error) && UsableFolder(beside)) {
        return beside;
    }
    std::filesystem::path dataHome;
    if (locations.xdgDataHome && std::filesystem::path(*locations.xdgDataHome).is_absolute()) {
        dataHome = *locations.xdgDataHome;
    } else if (locations.home && std::filesystem::path(*locations.home).is_absolute()) {
        dataHome = std::filesystem::path(*locations.home) / ".local" / "share";
    } else {
        return std::nullopt;
    }
    const std::filesystem::path userFolder = dataHome / "veltranix" / name;
    if (UsableFolder(userFolder)) {
        return userFolder;
    }
    return std::nullopt;
}

}  // namespace veltranix
