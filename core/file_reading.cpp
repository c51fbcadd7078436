#include "core/file_reading.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace veltranix {

FileContent ReadWholeFile(const std::filesystem::path& path, std::size_t maxBytes) {
    FileContent content;
    const auto fail = [&](FileReadStatus status, const std::string& why) {
        content.status = status;
        content.bytes.clear();
        content.error = "cannot read " + path.string() + ": " + why;
        return content;
    };
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        const int error = errno;
        return fail(error == ENOENT ? FileReadStatus::Missing : FileReadStatus::Failed,
                    std::strerror(error));
    }
    char buffer[16384];
    bool tooLarge = false;
    while (true) {
        const std::size_t count = std::fread(buffer, 1, sizeof buffer, file);
        if (content.bytes.size() + count > maxBytes) {
            tooLarge = true;
            break;
        }
        content.bytes.append(buffer, count);
        if (count < sizeof buffer) {
            break;
        }
    }
    const int error = errno;
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (tooLarge) {
        return fail(FileReadStatus::TooLarge, "larger than " + std::to_string(maxBytes) + " bytes");
    }
    if (failed) {
        return fail(FileReadStatus::Failed, std::strerror(error != 0 ? error : EIO));
    }
    content.status = FileReadStatus::Read;
    return content;
}

}  // namespace veltranix
