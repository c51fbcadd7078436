#pragma once

#include <filesystem>

#include "core/settings_store.h"

namespace veltranix {

// Records `folder` as the program's install folder (the default value of
// "Software\Veltranix"), which starting at log-on runs the program from, as
// an installer does. A folder already recorded is not written again.
StoreStatus RecordInstallFolder(SettingsStore& store, const std::filesystem::path& folder);

}  // namespace veltranix
