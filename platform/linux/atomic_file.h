#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace veltranix {

// The system calls an atomic write goes through; tests replace them to make a
// write fail midway.
struct FileWriteCalls {
    ssize_t (*write)(int fd, const void* buffer, size_t count);
    int (*fsync)(int fd);
};
FileWriteCalls RealFileWriteCalls();

// Replaces `path` with `content` so that the file holds either its old or its
// new content, whatever happens: writes a temporary file beside it, flushes it
// to disk, renames it over `path` and flushes the folder. Returns false, with
// `error` set and the old file untouched, when any step fails.
// The new file gets `permissions` (mode bits).
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view content,
                         std::string* error, unsigned permissions = 0600,
                         const FileWriteCalls& calls = RealFileWriteCalls());

// Keeping a file aside without ever replacing another: the names tried are
// `base`, then `base`-1, `base`-2 ... up to -999; the first free one is used.
// Nullopt, with `error` set, when none could be used.
std::optional<std::filesystem::path> RenameAside(const std::filesystem::path& file,
                                                 const std::filesystem::path& base,
                                                 std::string* error);
// As RenameAside, for a copy: a new file at the first free name holds `content`.
std::optional<std::filesystem::path> WriteAside(const std::filesystem::path& base,
                                                std::string_view content, std::string* error);

}  // namespace veltranix
