#include "platform/linux/atomic_file.h"

#include "core/file_replacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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

namespace {

constexpr int kAsideNames = 1000;

std::filesystem::path AsideName(const std::filesystem::path& base, int attempt) {
    std::filesystem::path name = base;
    if (attempt > 0) {
        name += "-" + std::to_string(attempt);
    }
    return name;
}

// rename() replaces; this does not, on every file system.
int RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return -1;
    }
    if (::link(from.c_str(), to.c_str()) != 0) {
        return -1;
    }
    return ::unlink(from.c_str());
}

}  // namespace

std::optional<std::filesystem::path> RenameAside(const std::filesystem::path& file,
                                                 const std::filesystem::path& base,
                                                 std::string* error) {
    for (int attempt = 0; attempt < kAsideNames; ++attempt) {
        const std::filesystem::path target = AsideName(base, attempt);
        if (RenameNoReplace(file, target) == 0) {
            return target;
        }
        if (errno != EEXIST) {
            Fail(error, "cannot rename " + file.string() + " to " + target.string(), errno);
            return std::nullopt;
        }
    }
    Fail(error, "no free name beside " + base.string(), EEXIST);
    return std::nullopt;
}

std::optional<std::filesystem::path> WriteAside(const std::filesystem::path& base,
                                                std::string_view content, std::string* error) {
    for (int attempt = 0; attempt < kAsideNames; ++attempt) {
        const std::filesystem::path target = AsideName(base, attempt);
        const int fd =
            ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            Fail(error, "cannot create " + target.string(), errno);
            return std::nullopt;
        }
        int failure = 0;
        for (std::size_t done = 0; failure == 0 && done < content.size();) {
            const ssize_t count = ::write(fd, content.data() + done, content.size() - done);
            if (count < 0 && errno != EINTR) {
                failure = errno;
            } else if (count > 0) {
                done += static_cast<std::size_t>(count);
            }
        }
        if (failure == 0 && ::fsync(fd) != 0) {
            failure = errno;
        }
        if (::close(fd) != 0 && failure == 0) {
            failure = errno;
        }
        if (failure != 0) {
            ::unlink(target.c_str());
            Fail(error, "cannot write " + target.string(), failure);
            return std::nullopt;
        }
        return target;
    }
    Fail(error, "no free name beside " + base.string(), EEXIST);
    return std::nullopt;
}

bool ReplaceFileAtomically(const std::filesystem::path& path, std::string_view content,
                           std::string* error) {
    return WriteFileAtomically(path, content, error, 0644);
}

}  // namespace veltranix
