#include "platform/linux/desktop_shell.h"

#include <fcntl.h>
#include <gio/gio.h>
#include <linux/close_range.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace veltranix {
namespace {

bool LooksLikeUri(const std::string& command) {
    const auto colon = command.find(':');
    if (colon == std::string::npos || colon < 2) {  // "C:" is no scheme
        return false;
    }
    for (std::size_t index = 0; index < colon; ++index) {
        const char c = command[index];
        const bool allowed = std::isalpha(static_cast<unsigned char>(c)) ||
                             (index > 0 && (std::isdigit(static_cast<unsigned char>(c)) ||
                                            c == '+' || c == '-' || c == '.'));
        if (!allowed) {
            return false;
        }
    }
    return true;
}

int CodeForErrno(int error) {
    switch (error) {
        case ENOENT:
            return kShellFileNotFound;
        case ENOTDIR:
            return kShellPathNotFound;
        case EACCES:
        case EPERM:
            return kShellAccessDenied;
        case ENOMEM:
            return kShellOutOfMemory;
        case ENOEXEC:
            return kShellNoAssociation;
        default:
            return kShellFileNotFound;
    }
}

// Leaves the started program only 0 to 2: whatever this program has open
// (the camera, sockets, pipes, files) is closed at the exec. In the child of
// a fork: async-signal-safe calls only.
void CloseInheritedDescriptors() {
    if (close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0) {
        return;
    }
    // Kernels before 5.11.
    const long most = sysconf(_SC_OPEN_MAX);
    for (int fd = 3; fd < (most > 0 && most < 65536 ? most : 65536); ++fd) {
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
}

// A file the kernel runs itself: an ELF program or a "#!" script. A document
// that merely carries the executable bit (every file on a FAT or NTFS stick)
// is not one.
bool IsRealExecutable(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        // Executable but unreadable: only the exec can tell.
        return true;
    }
    char start[4] = {};
    const ssize_t got = read(fd, start, sizeof start);
    close(fd);
    return (got >= 2 && start[0] == '#' && start[1] == '!') ||
           (got == 4 && start[0] == 0x7F && start[1] == 'E' && start[2] == 'L' && start[3] == 'F');
}

// Starts `program` detached: a grandchild in its own session, so that it
// outlives this program and leaves no zombie. The exec's failure comes back
// through a close-on-exec pipe.
int StartDetached(const std::string& program) {
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        return kShellOutOfMemory;
    }
    const pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return kShellOutOfMemory;
    }
    if (child == 0) {
        close(report[0]);
        setsid();
        const pid_t grandchild = fork();
        if (grandchild != 0) {
            _exit(grandchild < 0 ? 1 : 0);
        }
        const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        if (devNull >= 0) {
            dup2(devNull, STDIN_FILENO);
        }
        CloseInheritedDescriptors();
        char* arguments[] = {const_cast<char*>(program.c_str()), nullptr};
        execv(program.c_str(), arguments);
        const int error = errno;
        [[maybe_unused]] const auto written = write(report[1], &error, sizeof error);
        _exit(127);
    }
    close(report[1]);
    int status = 0;
    waitpid(child, &status, 0);
    int error = 0;
    const ssize_t got = read(report[0], &error, sizeof error);
    close(report[0]);
    if (got == static_cast<ssize_t>(sizeof error)) {
        return CodeForErrno(error);
    }
    return kShellOpened;
}

std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        auto end = folders.find(':', start);
        if (end == std::string::npos) {
            end = folders.size();
        }
        const std::string folder = end > start ? folders.substr(start, end - start) : ".";
        const std::string candidate = folder + "/" + name;
        std::error_code error;
        if (access(candidate.c_str(), X_OK) == 0 &&
            !std::filesystem::is_directory(candidate, error)) {
            return candidate;
        }
        start = end + 1;
    }
    return {};
}

int LaunchDefault(GAppInfo* application, const std::string& uri) {
    GList* uris = g_list_append(nullptr, const_cast<char*>(uri.c_str()));
    GError* error = nullptr;
    const gboolean launched = g_app_info_launch_uris(application, uris, nullptr, &error);
    g_list_free(uris);
    if (error != nullptr) {
        g_error_free(error);
    }
    return launched ? kShellOpened : kShellNoAssociation;
}

int OpenUri(const std::string& uri) {
    char* scheme = g_uri_parse_scheme(uri.c_str());
    if (scheme == nullptr) {
        return kShellFileNotFound;
    }
    GAppInfo* application = g_app_info_get_default_for_uri_scheme(scheme);
    g_free(scheme);
    if (application == nullptr) {
        return kShellNoAssociation;
    }
    const int result = LaunchDefault(application, uri);
    g_object_unref(application);
    return result;
}

int OpenWithDefaultApplication(const std::filesystem::path& path) {
    GFile* file = g_file_new_for_path(path.c_str());
    GError* error = nullptr;
    GFileInfo* information = g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                               G_FILE_QUERY_INFO_NONE, nullptr, &error);
    int result = kShellNoAssociation;
    if (information == nullptr) {
        result = error != nullptr && error->code == G_IO_ERROR_PERMISSION_DENIED
                     ? kShellAccessDenied
                     : kShellFileNotFound;
    } else {
        const char* type = g_file_info_get_content_type(information);
        GAppInfo* application =
            type != nullptr ? g_app_info_get_default_for_type(type, FALSE) : nullptr;
        if (application != nullptr) {
            char* uri = g_file_get_uri(file);
            result = LaunchDefault(application, uri);
            g_free(uri);
            g_object_unref(application);
        }
        g_object_unref(information);
    }
    if (error != nullptr) {
        g_error_free(error);
    }
    g_object_unref(file);
    return result;
}

}  // namespace

int DesktopShell::open(const std::string& command) {
    if (command.empty()) {
        return kShellFileNotFound;
    }
    const bool hasFolder = command.find('/') != std::string::npos;
    // "mailto:x", "https://x", "file:///x" are URLs; "/a/b:c" is a path.
    if (LooksLikeUri(command) && (!hasFolder || command.find("://") != std::string::npos ||
                                  command.rfind("file:", 0) == 0)) {
        return OpenUri(command);
    }
    std::filesystem::path path(command);
    std::error_code error;
    if (!hasFolder) {
        const std::string program = FindOnPath(command);
        if (!program.empty()) {
            return StartDetached(program);
        }
        if (!std::filesystem::exists(path, error)) {
            return kShellFileNotFound;
        }
    }
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) {
        const auto folder = path.parent_path();
        if (!folder.empty() && !std::filesystem::is_directory(folder, error)) {
            return kShellPathNotFound;
        }
        return kShellFileNotFound;
    }
    if (std::filesystem::is_regular_file(status) && access(path.c_str(), X_OK) == 0 &&
        IsRealExecutable(path)) {
        return StartDetached(std::filesystem::absolute(path, error).string());
    }
    if (access(path.c_str(), R_OK) != 0) {
        return kShellAccessDenied;
    }
    return OpenWithDefaultApplication(std::filesystem::absolute(path, error));
}

}  // namespace veltranix
