#include "settings/install_folder.h"

#include <string>

#include "settings/settings.h"

namespace veltranix {

StoreStatus RecordInstallFolder(SettingsStore& store, const std::filesystem::path& folder) {
    const std::string text = folder.string();
    // One byte more than the folder: a longer recorded text does not pass
    // for the same folder.
    if (store.keyExists(store_keys::kProduct) &&
        ReadText(store, store_keys::kProduct, "", text.size() + 2) == text) {
        return StoreStatus::Ok;
    }
    const StoreStatus status = store.createKey(store_keys::kProduct);
    return FirstFailure(status, WriteBareText(store, store_keys::kProduct, "", text));
}

}  // namespace veltranix
