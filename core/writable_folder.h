#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/program_folder.h"

namespace veltranix {

// Where the user's data folders may live besides the program's folder.
struct UserDataLocations {
    std::optional<std::string> xdgDataHome;  // $XDG_DATA_HOME
    std::optional<std::string> home;         // $HOME
};

// A writable folder named `name` (for example "Macros"), created when
// missing: beside the program when its folder is writable and not a shared
// install (see ProgramFolder::sharedInstallMarker), else
// $XDG_DATA_HOME/veltranix/<name> (with ~/.local/share when XDG_DATA_HOME is
// unset or relative; a relative HOME is not used). Nullopt when neither can
// be created and written.
std::optional<std::filesystem::path> PrepareWritableFolder(const ProgramFolder& folder,
                                                           const UserDataLocations& locations,
                                                           std::string_view name);

}  // namespace veltranix
