// What the targets that read the program folder's files share: a scratch
// program folder for the whole run, files written into it, and a user
// interface that shows nothing.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "core/program_folder.h"
#include "core/user_interface_port.h"

namespace veltranix::fuzz {

class SilentUserInterface : public UserInterfacePort {
  public:
    void showMessage(std::string_view, std::string_view) override {}
    void requestShutdown() override {}
};

inline void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A new folder under /tmp named after `name`, with its lib_ini folder,
// removed when the run ends.
inline ProgramFolder ScratchProgramFolder(const char* name) {
    static std::filesystem::path made;
    std::string pattern = std::string("/tmp/veltranix-") + name + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    made = pattern;
    std::filesystem::create_directories(made / "lib_ini");
    std::atexit([] { std::filesystem::remove_all(made); });
    return ProgramFolder{made};
}

}  // namespace veltranix::fuzz
