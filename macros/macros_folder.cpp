#include "macros/macros_folder.h"

namespace veltranix {

std::optional<std::filesystem::path> PrepareMacrosFolder(const ProgramFolder& folder,
                                                         const UserDataLocations& locations) {
    return PrepareWritableFolder(folder, locations, "Macros");
}

}  // namespace veltranix
