#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace veltranix::testing {

// A fresh folder under the system's temporary folder, removed with its
// content when the object goes.
class TemporaryFolder {
  public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

void WriteFile(const std::filesystem::path& path, std::string_view content);
std::string ReadFile(const std::filesystem::path& path);
// The file's lines that begin with `prefix` (every line for an empty one).
std::vector<std::string> LinesStartingWith(const std::filesystem::path& path,
                                           std::string_view prefix = {});
// Every file of a folder with its bytes.
std::map<std::string, std::string> FolderContents(const std::filesystem::path& folder);

}  // namespace veltranix::testing
