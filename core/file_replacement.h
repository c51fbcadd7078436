#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace veltranix {

// Replaces the file at `path` with `content` so that it holds either its old
// or its new content whatever happens (a crash, a full disk): a temporary
// file of a unique name beside it, flushed to disk, renamed over it, the
// folder flushed. A link at `path` is replaced, never written through. False,
// with `error` set when given, when the new content could not be put in
// place; the old file is then untouched. Defined by the platform layer.
bool ReplaceFileAtomically(const std::filesystem::path& path, std::string_view content,
                           std::string* error = nullptr);

}  // namespace veltranix
