#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace veltranix {

// A read-only INI file: [section] headers, key=value lines, ';' comments.
// Section and key names compare without regard to ASCII case; the first
// occurrence of a name wins; blanks around names and values are dropped, and
// so are quotes around a whole value. The file may be UTF-8 (with or without
// its byte-order mark) or Windows-1252; every text comes out as UTF-8.
class IniFile {
  public:
    // The largest file `load` reads.
    static constexpr std::size_t kMaxBytes = 16 << 20;

    static IniFile parse(std::string_view bytes);
    // Nullopt when the file cannot be read (missing, a folder, a read error,
    // larger than 16 MiB); `error`, when given, then names the file and why.
    static std::optional<IniFile> load(const std::filesystem::path& path,
                                       std::string* error = nullptr);

    // Section names in file order, as written.
    const std::vector<std::string>& sectionNames() const { return sectionNames_; }
    // Empty when the section or the key is missing.
    std::string value(std::string_view section, std::string_view key) const;

  private:
    // Looks names up by view: a name already in lower case is not copied.
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const {
            return std::hash<std::string_view>{}(name);
        }
    };
    template <typename Value>
    using ByName = std::unordered_map<std::string, Value, NameHash, std::equal_to<>>;
    // Names in ASCII lower case, each the first of its name.
    using Section = ByName<std::string>;

    std::vector<std::string> sectionNames_;
    ByName<Section> sections_;
};

}  // namespace veltranix
