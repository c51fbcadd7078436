#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "core/program_folder.h"
#include "core/writable_folder.h"

namespace veltranix {

// The writable "Macros" folder, created when missing: beside the program when
// its folder is writable, else $XDG_DATA_HOME/veltranix/Macros (with
// ~/.local/share when XDG_DATA_HOME is unset or relative). Nullopt when
// neither can be created and written.
std::optional<std::filesystem::path> PrepareMacrosFolder(const ProgramFolder& folder,
                                                         const UserDataLocations& locations);

}  // namespace veltranix
