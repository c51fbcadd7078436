// veltranix-store: looks after the settings store from the command line.
//   veltranix-store record-install-folder DIR   the folder that holds the program
//   veltranix-store show                        prints the store
//   veltranix-store path                        prints where the store lives
//   veltranix-store --version
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/file_reading.h"
#include "core/settings_store.h"
#include "core/version.h"
#include "platform/linux/file_settings_store.h"
#include "settings/install_folder.h"

namespace {

int Usage() {
    std::fputs(
        "usage: veltranix-store record-install-folder DIR | show | path | --version\n"
        "The store lives in $VELTRANIX_CONFIG_HOME, else $XDG_CONFIG_HOME/veltranix.\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace veltranix;
    if (PrintVersionIfAsked(argc, argv, "veltranix-store")) {
        return 0;
    }
    if (argc < 2) {
        return Usage();
    }
    const std::string_view command = argv[1];
    const StoreLocations locations = StoreLocations::FromEnvironment();
    if (command == "path" && argc == 2) {
        std::printf("%s\n", locations.storeFile.c_str());
        return 0;
    }
    FileSettingsStore store(locations);
    const StoreOpening opening = store.open();
    if (opening == StoreOpening::Unreadable) {
        std::fprintf(stderr, "veltranix-store: %s\n", store.lastError().c_str());
        return 1;
    }
    if (opening == StoreOpening::CorruptSetAside) {
        std::fprintf(stderr, "veltranix-store: the store could not be read (%s); kept as %s\n",
                     store.lastError().c_str(), store.setAsidePath().c_str());
    }
    if (opening == StoreOpening::PartlyLoaded) {
        std::fprintf(stderr, "veltranix-store: %s; the file as it was is kept as %s\n",
                     store.lastError().c_str(), store.setAsidePath().c_str());
    }
    if (command == "show" && argc == 2) {
        const FileContent content = ReadWholeFile(locations.storeFile, StoreTree::kMaxTextBytes);
        if (content.status != FileReadStatus::Read && content.status != FileReadStatus::Missing) {
            std::fprintf(stderr, "veltranix-store: %s\n", content.error.c_str());
            return 1;
        }
        std::fwrite(content.bytes.data(), 1, content.bytes.size(), stdout);
        return 0;
    }
    if (command == "record-install-folder" && argc == 3) {
        std::error_code error;
        const auto folder = std::filesystem::canonical(argv[2], error);
        if (error || !std::filesystem::is_directory(folder)) {
            std::fprintf(stderr, "veltranix-store: %s is not a folder\n", argv[2]);
            return 1;
        }
        if (RecordInstallFolder(store, folder) != StoreStatus::Ok) {
            std::fprintf(stderr, "veltranix-store: cannot save %s: %s\n",
                         locations.storeFile.c_str(), store.lastError().c_str());
            return 1;
        }
        std::printf("install folder recorded: %s\n", folder.c_str());
        return 0;
    }
    return Usage();
}
