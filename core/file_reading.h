#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace veltranix {

enum class FileReadStatus { Read, Missing, TooLarge, Failed };

struct FileContent {
    FileReadStatus status = FileReadStatus::Failed;
    std::string bytes;  // when Read
    std::string error;  // otherwise: the file and the system's reason
};

// Reads a whole file of at most `maxBytes`. Never throws: a folder, a read
// error or a file that is too large is a result, not an exception.
FileContent ReadWholeFile(const std::filesystem::path& path, std::size_t maxBytes);

}  // namespace veltranix
