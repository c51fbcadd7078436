#include "settings/ini_file.h"

#include <algorithm>

#include "core/file_reading.h"
#include "core/text_codec.h"

namespace veltranix {

namespace {

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

IniFile IniFile::parse(std::string_view bytes) {
    constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
    if (bytes.starts_with(kUtf8Mark)) {
        bytes.remove_prefix(kUtf8Mark.size());
    }
    // A file marked as UTF-8 but edited later in Windows-1252 is read as
    // Windows-1252 as a whole: every text comes out well-formed.
    std::string converted;
    if (!IsValidUtf8(bytes)) {
        converted = Windows1252ToUtf8(bytes);
        bytes = converted;
    }

    IniFile file;
    // Null before the first section, and under a repeated one: its first
    // occurrence holds the keys.
    Section* current = nullptr;
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        line = Trim(line);
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            const auto close = line.find(']');
            const std::string name(Trim(
                line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1)));
            file.sectionNames_.push_back(name);
            const auto [section, added] = file.sections_.try_emplace(AsciiLower(name));
            current = added ? &section->second : nullptr;
            continue;
        }
        const auto equals = line.find('=');
        if (current == nullptr || equals == std::string_view::npos) {
            continue;
        }
        std::string_view value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        current->try_emplace(AsciiLower(Trim(line.substr(0, equals))), value);
    }
    return file;
}

std::optional<IniFile> IniFile::load(const std::filesystem::path& path, std::string* error) {
    const FileContent content = ReadWholeFile(path, kMaxBytes);
    if (content.status != FileReadStatus::Read) {
        if (error != nullptr) {
            *error = content.error;
        }
        return std::nullopt;
    }
    return parse(content.bytes);
}

std::string IniFile::value(std::string_view section, std::string_view key) const {
    const auto find = [](const auto& names, std::string_view name) {
        const bool lower = std::none_of(name.begin(), name.end(),
                                        [](char byte) { return byte >= 'A' && byte <= 'Z'; });
        return lower ? names.find(name) : names.find(AsciiLower(name));
    };
    const auto found = find(sections_, section);
    if (found == sections_.end()) {
        return {};
    }
    const auto entry = find(found->second, key);
    return entry == found->second.end() ? std::string() : entry->second;
}

}  // namespace veltranix
