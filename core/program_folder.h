#pragma once

#include <filesystem>

namespace veltranix {

// The program's folder and the data files that lie in it. Every relative
// path of the program is relative to `root`.
struct ProgramFolder {
    std::filesystem::path root;

    std::filesystem::path lexiconFile() const { return root / "lib_ini" / "lexico.ini"; }
    std::filesystem::path keyNamesFile() const { return root / "lib_ini" / "contrl.ini"; }
    std::filesystem::path configFile() const { return root / "config.ini"; }
    std::filesystem::path soundsFolder() const { return root / "so"; }
    std::filesystem::path cursorsFolder() const { return root / "cursors"; }
    std::filesystem::path manualsFolder() const { return root / "manuals"; }
    std::filesystem::path readMeFile() const { return root / "README.md"; }
    // Present in a folder installed for all users (the package's): the
    // users' own files never go there, even when the folder is writable
    // (the administrator's account), and the program records the folder in
    // each user's settings itself, as no installer runs per user.
    std::filesystem::path sharedInstallMarker() const { return root / "shared-install"; }
};

}  // namespace veltranix
