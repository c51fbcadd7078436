#include "platform/linux/single_instance.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

namespace veltranix {
namespace {

constexpr std::string_view kDeletedSuffix = " (deleted)";

// Field 22 of /proc/<pid>/stat: the start time in clock ticks since boot.
// The command name (field 2) may hold blanks and parentheses, so fields are
// counted after its last ')'.
bool StartTicksOf(const std::filesystem::path& procRoot, pid_t pid, unsigned long long* ticks) {
    std::ifstream file(procRoot / std::to_string(pid) / "stat");
    std::string text;
    if (!std::getline(file, text)) {
        return false;
    }
    const auto close = text.rfind(')');
    if (close == std::string::npos) {
        return false;
    }
    std::istringstream fields(text.substr(close + 1));
    std::string field;
    for (int index = 3; index <= 22; ++index) {
        if (!(fields >> field)) {
            return false;
        }
    }
    char* end = nullptr;
    *ticks = std::strtoull(field.c_str(), &end, 10);
    return end != nullptr && *end == '\0';
}

}  // namespace

std::string ExecutableFileNameOf(const std::filesystem::path& procRoot, pid_t pid) {
    std::error_code error;
    const auto target =
        std::filesystem::read_symlink(procRoot / std::to_string(pid) / "exe", error);
    if (error) {
        return {};
    }
    std::string name = target.filename().string();
    // A program file replaced while it runs (an update) keeps its name.
    if (name.size() > kDeletedSuffix.size() &&
        name.compare(name.size() - kDeletedSuffix.size(), kDeletedSuffix.size(), kDeletedSuffix) ==
            0) {
        name.resize(name.size() - kDeletedSuffix.size());
    }
    return name;
}

bool IsAnotherInstanceRunning(const std::filesystem::path& procRoot) {
    const pid_t self = getpid();
    const std::string ownName = ExecutableFileNameOf(procRoot, self);
    unsigned long long ownStart = 0;
    if (ownName.empty() || !StartTicksOf(procRoot, self, &ownStart)) {
        return false;
    }
    const uid_t user = getuid();
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(procRoot, error)) {
        const std::string folder = entry.path().filename().string();
        if (folder.empty() || folder.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        const pid_t pid = static_cast<pid_t>(std::strtol(folder.c_str(), nullptr, 10));
        if (pid == self) {
            continue;
        }
        struct stat status {};
        if (::stat(entry.path().c_str(), &status) != 0 || status.st_uid != user) {
            continue;
        }
        if (ExecutableFileNameOf(procRoot, pid) != ownName) {
            continue;
        }
        unsigned long long start = 0;
        if (!StartTicksOf(procRoot, pid, &start)) {
            continue;
        }
        if (start < ownStart || (start == ownStart && pid < self)) {
            return true;
        }
    }
    return false;
}

}  // namespace veltranix
