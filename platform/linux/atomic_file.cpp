#include "platform/linux/atomic_file.h"

#include "core/file_replacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace veltranix {

FileWriteCalls RealFileWriteCalls() {
    return {&::write, &::fsync};
}

namespace {

bool Fail(std::string* error, const std::string& what, int errorNumber) {
    if (error != nullptr) {
        *error = what + ": " + std::strerror(errorNumber);
    }
    return false;
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view content,
                         std::string* error, unsigned permissions, const FileWriteCalls& calls) {
    const std::filesystem::path folder = path.parent_path();
    std::error_code folderError;
    std::filesystem::create_directories(folder, folderError);
    if (folderError) {
        return Fail(error, "cannot create " + folder.string(), folderError.value());
    }
    std::string temporary = path.string() + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return Fail(error, "cannot create a file in " + folder.string(), errno);
    }
    const auto abandon = [&](const std::string& what, int errorNumber) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return Fail(error, what, errorNumber);
    };
    for (std::size_t written = 0; written < content.size();) {
        const ssize_t count = calls.write(fd, content.data() + written, content.size() - written);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return abandon("cannot write " + path.string(), errno);
        }
        written += static_cast<std::size_t>(count);
    }
    if (::fchmod(fd, static_cast<mode_t>(permissions)) != 0) {
        return abandon("cannot set the permissions of " + path.string(), errno);
    }
    if (calls.fsync(fd) != 0) {
        return abandon("cannot flush " + path.string(), errno);
    }
    if (::close(fd) != 0) {
        ::unlink(temporary.c_str());
        return Fail(error, "cannot close " + path.string(), errno);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        return Fail(error, "cannot replace " + path.string(), renameError);
    }
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return true;
}

bool ReplaceFileAtomically(const std::filesystem::path& path, std::string_view content,
                           std::string* error) {
    return WriteFileAtomically(path, content, error, 0644);
}

}  // namespace veltranix
