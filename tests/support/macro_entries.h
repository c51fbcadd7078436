#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

#include "macros/macro_file.h"
#include "macros/macro_set.h"
#include "tests/support/temporary_folder.h"

namespace veltranix::testing {

// One recorded entry of a macro: a virtual key or a character, down or up.
struct MacroEntry {
    std::uint16_t value;
    std::uint8_t press;
    std::uint8_t unicode = 0;
};

// Appends the entries to the slot's in-use ones, as the editor records them.
inline void AppendEntries(MacroSlot& slot, std::initializer_list<MacroEntry> entries) {
    for (const MacroEntry& entry : entries) {
        const auto at = static_cast<std::size_t>(slot.count++);
        slot.keyValue[at] = entry.value;
        slot.pressFlag[at] = entry.press;
        slot.unicodeFlag[at] = entry.unicode;
    }
}

// Writes `set` as the Default profile beside the program `programFolder`,
// the one the real program plays from; the profile that was there (or none)
// comes back when the returned guard goes. The bytes written go to `bytes`.
[[nodiscard]] inline std::shared_ptr<void> SwapDefaultProfile(
    const std::filesystem::path& programFolder, const MacroSet& set, std::string* bytes = nullptr) {
    const std::filesystem::path profile = programFolder / "Macros" / "Default.cfg";
    std::filesystem::create_directories(profile.parent_path());
    const std::optional<std::string> kept =
        std::filesystem::exists(profile) ? std::optional(ReadFile(profile)) : std::nullopt;
    const std::string encoded = EncodeMacroFile(set);
    std::ofstream(profile, std::ios::binary) << encoded;
    if (bytes != nullptr) {
        *bytes = encoded;
    }
    return std::shared_ptr<void>(nullptr, [profile, kept](void*) {
        if (kept) {
            std::ofstream(profile, std::ios::binary) << *kept;
        } else {
            std::filesystem::remove(profile);
        }
    });
}

}  // namespace veltranix::testing
